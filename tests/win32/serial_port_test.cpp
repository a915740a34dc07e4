// The Windows serial port under Wine. The line tests need two COM ports joined by a null-modem
// pair of pseudo-terminals: scripts/test-windows.sh maps them and names them in
// KALMO_SERIAL_LOOP ("COM3 COM4"); without it those tests are skipped.
#include "platform/win32/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <numeric>
#include <sstream>
#include <thread>
#include <vector>

namespace kalmo::platform {
namespace {

TEST(Win32SerialPort, NoDeviceNoPortAndAClosedPortDoesNothing) {
    Win32SerialPort port;
    EXPECT_FALSE(port.open("COM77"));
    EXPECT_FALSE(port.is_open());
    std::uint8_t b[1] = {};
    EXPECT_EQ(port.read(b, std::chrono::milliseconds(10)), 0u);
    const std::uint8_t data[] = {1, 2};
    EXPECT_FALSE(port.write(data));
    port.discard_input();
    port.close();
}

class SerialLoop : public ::testing::Test {
protected:
    void SetUp() override {
        const char* loop = std::getenv("KALMO_SERIAL_LOOP");
        if (!loop) GTEST_SKIP() << "KALMO_SERIAL_LOOP not set (scripts/test-windows.sh sets it)";
        std::istringstream names(loop);
        names >> a_name >> b_name;
        ASSERT_TRUE(a.open(a_name)) << a_name;
        ASSERT_TRUE(b.open(b_name)) << b_name;
    }

    // Gives the pseudo-terminal pair time to carry what was written to the other side.
    static void settle() { Sleep(300); }

    // One read of `n` bytes that waits at most `ms`.
    static std::vector<std::uint8_t> receive(Win32SerialPort& port, std::size_t n, DWORD ms) {
        std::vector<std::uint8_t> got(n);
        got.resize(port.read(got, std::chrono::milliseconds(ms)));
        return got;
    }

    std::string a_name, b_name;
    Win32SerialPort a, b;
};

TEST_F(SerialLoop, EveryByteValuePassesUnchangedBothWays) {
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(a.write(all));
    EXPECT_EQ(receive(b, all.size(), 5000), all) << "XON/XOFF, CR and zero bytes are data";
    std::vector<std::uint8_t> back(all.rbegin(), all.rend());
    ASSERT_TRUE(b.write(back));
    EXPECT_EQ(receive(a, back.size(), 5000), back);
}

TEST_F(SerialLoop, ConsecutiveWritesArriveInOrder) {
    std::vector<std::uint8_t> expected;
    for (std::uint8_t i = 0; i < 40; ++i) {
        const std::uint8_t frame[] = {0x02, i, static_cast<std::uint8_t>(~i), 0x03};
        ASSERT_TRUE(a.write(frame));
        expected.insert(expected.end(), std::begin(frame), std::end(frame));
    }
    EXPECT_EQ(receive(b, expected.size(), 5000), expected);
}

TEST_F(SerialLoop, ASilentLineIsWaitedForAsLongAsAsked) {
    // 1,000 bytes would need two seconds on the line: longer than the read may wait.
    for (std::size_t n : {std::size_t{4}, std::size_t{1000}})
        for (DWORD ms : {1u, 300u}) {
            const DWORD start = GetTickCount();
            EXPECT_TRUE(receive(b, n, ms).empty());
            const DWORD waited = GetTickCount() - start;
            EXPECT_GE(waited + 20, ms) << n << " bytes; the tick count is coarse";
            EXPECT_LT(waited, ms + 1500) << n << " bytes";
        }
}

TEST_F(SerialLoop, AReadThatEndsShortKeepsNothingBack) {
    const std::uint8_t first[] = {1, 2, 3};
    ASSERT_TRUE(a.write(first));
    EXPECT_EQ(receive(b, 10, 1000), (std::vector<std::uint8_t>{1, 2, 3}));
    const std::uint8_t second[] = {4, 5};
    ASSERT_TRUE(a.write(second));
    EXPECT_EQ(receive(b, 2, 3000), (std::vector<std::uint8_t>{4, 5}));
}

TEST_F(SerialLoop, CloseAndOpenAgain) {
    const std::uint8_t early[] = {1, 2};
    ASSERT_TRUE(a.write(early));
    settle();
    b.close();
    EXPECT_FALSE(b.is_open());
    EXPECT_TRUE(receive(b, 1, 100).empty());
    ASSERT_TRUE(b.open(b_name));
    const std::uint8_t data[] = {7, 8, 9};
    ASSERT_TRUE(a.write(data));
    EXPECT_EQ(receive(b, 3, 3000), (std::vector<std::uint8_t>{7, 8, 9}));
}

TEST_F(SerialLoop, BytesAtTheLinesPaceArriveWholeAndInOrder) {
    // Frames as the exchange sends them, a byte every two milliseconds with pauses between:
    // a short one, a full one and a run longer than the port's own buffer.
    const std::size_t sizes[] = {5, 250, 300};
    std::vector<std::uint8_t> expected;
    for (std::size_t size : sizes)
        for (std::size_t i = 0; i < size; ++i)
            expected.push_back(static_cast<std::uint8_t>(expected.size() * 7));
    DWORD last_written = 0;
    std::thread line([&] {
        std::size_t at = 0;
        for (std::size_t size : sizes) {
            for (std::size_t i = 0; i < size; ++i, ++at) {
                EXPECT_TRUE(a.write({&expected[at], 1}));
                Sleep(2);
            }
            last_written = GetTickCount();
            Sleep(40);
        }
    });
    // As the link reads: each frame's first byte, then its rest in one read.
    std::vector<std::uint8_t> got;
    for (std::size_t size : sizes) {
        const auto first = receive(b, 1, 3000);
        const auto rest = receive(b, size - 1, 3000);
        got.insert(got.end(), first.begin(), first.end());
        got.insert(got.end(), rest.begin(), rest.end());
    }
    const DWORD last_read = GetTickCount();
    line.join();
    EXPECT_EQ(got, expected);
    // A frame's last byte is handed over when it is in, not when the read's time is up.
    EXPECT_LT(static_cast<int>(last_read - last_written), 500);
}

TEST_F(SerialLoop, AFrameThatStallsAndTricklesArrivesWholeWhenItsLastByteIsIn) {
    // A slow exchange: bytes later than the line rate, then a pause of its own mid-frame.
    std::vector<std::uint8_t> frame(200);
    std::iota(frame.begin(), frame.end(), std::uint8_t{3});
    DWORD last_written = 0;
    std::thread line([&] {
        for (std::size_t i = 0; i < frame.size(); ++i) {
            EXPECT_TRUE(a.write({&frame[i], 1}));
            Sleep(i == 100 ? 700 : 3);
        }
        last_written = GetTickCount();
    });
    const auto got = receive(b, frame.size(), 8000);
    const DWORD last_read = GetTickCount();
    line.join();
    EXPECT_EQ(got, frame);
    EXPECT_LT(static_cast<int>(last_read - last_written), 500);
}

TEST_F(SerialLoop, DiscardDropsWhatCameBeforeAndKeepsWhatComesAfter) {
    std::vector<std::uint8_t> early(40);
    std::iota(early.begin(), early.end(), std::uint8_t{1});
    ASSERT_TRUE(a.write(early));
    ASSERT_EQ(receive(b, 1, 3000), std::vector<std::uint8_t>{1});
    settle();
    b.discard_input();
    const std::uint8_t late[] = {0xA1, 0xA2};
    ASSERT_TRUE(a.write(late));
    EXPECT_EQ(receive(b, 2, 3000), (std::vector<std::uint8_t>{0xA1, 0xA2}));
    EXPECT_TRUE(receive(b, 1, 200).empty()) << "nothing from before the discard comes later";
}

} // namespace
} // namespace kalmo::platform
