// The serial ports the Windows platform finds, and the names it opens them by.
#include "platform/win32/ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace kalmo::platform {
namespace {

TEST(PortDevice, EveryPortByItsDeviceName) {
    // Wine opens a bare "COM12" as well, so only the name itself shows the prefix is there.
    EXPECT_EQ(port_device("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(port_device("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(port_device("COM256"), "\\\\.\\COM256");
    // A name given with its prefix (on the console) is not prefixed twice.
    EXPECT_EQ(port_device("\\\\.\\COM7"), "\\\\.\\COM7");
}

TEST(PresentSerialPorts, TheMappedPortsAreFound) {
    const char* com12 = std::getenv("KALMO_COM12_EXCHANGE");
    if (!com12) GTEST_SKIP() << "no port mapped to COM12 (scripts/test-windows.sh maps it)";
    const auto ports = present_serial_ports();
    const auto has = [&](unsigned n) {
        return std::any_of(ports.begin(), ports.end(),
                           [n](const app::PresentPort& p) { return p.number == n; });
    };
    EXPECT_TRUE(has(12));
    EXPECT_TRUE(has(1));
    EXPECT_FALSE(has(0));
    const auto entries = app::port_entries(ports, 0);
    EXPECT_NE(app::port_selection(entries, 11), std::nullopt) << "COM12 in the dialog's list";
}

} // namespace
} // namespace kalmo::platform
