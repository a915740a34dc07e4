// The program's link and transfers against exchange-sim in a process of its own, over a real
// pseudo-terminal.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "core/link/exchange_fake.h"
#include "cli/transfer_console.h"
#include "sim_process.h"
#include "core/link/transfers.h"
#include "platform/platform.h"
#include "platform/posix/serial_port.h"
#include "sim/records.h"
#include "sim/server.h"

namespace kalmo {
namespace {

using namespace test;

class PtyLink : public ::testing::Test {
protected:
    std::unique_ptr<app::Clock> clock = platform::make_clock();
    platform::PosixSerialPort port;
    test::FakeTransferUi ui;
    link::Link link{port, ui, *clock};
    std::unique_ptr<data::ChargeStore> store = std::make_unique<data::ChargeStore>();
    data::CallStore calls;
};

TEST_F(PtyLink, EveryRecordArrivesSorted) {
    SimProcess sim({"--unpaced", "--count", "300", "--calls", "100", "--seed", "7"});
    const link::ReadResult report = link::read_charges(link, *store, sim.link);
    ASSERT_TRUE(report.opens_list());
    EXPECT_EQ(report.outcome, link::Outcome::Done);
    EXPECT_EQ(ui.messages_only(), std::vector<std::string>{" 300 Gebührensätze empfangen "});
    EXPECT_EQ(report.dropped, 0u);
    EXPECT_TRUE(sorted(*store));
    auto got = held(*store, data::kChargeRecordSize);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected_charges(300, 7, 100));

    ASSERT_TRUE(link::read_calls(link, calls, sim.link).opens_list());
    EXPECT_EQ(calls.count(), 100);
    EXPECT_TRUE(sorted(calls));
    EXPECT_EQ(ui.messages_only().back(), " 100 Anrufdatensätze empfangen ");
    EXPECT_EQ(sim.trace().find("not understood"), std::string::npos) << sim.trace();
}

TEST_F(PtyLink, MoreThanTheStoresHold) {
    SimProcess sim({"--unpaced", "--overflow"});
    link::ReadResult report = link::read_charges(link, *store, sim.link);
    ASSERT_TRUE(report.opens_list());
    EXPECT_EQ(store->count(), 2000);
    EXPECT_EQ(report.dropped, 8u);
    EXPECT_EQ(report.outcome, link::Outcome::Incomplete);
    EXPECT_TRUE(sorted(*store));
    report = link::read_calls(link, calls, sim.link);
    ASSERT_TRUE(report.opens_list());
    EXPECT_EQ(calls.count(), 150);
    EXPECT_GT(report.dropped, 0u);
    EXPECT_EQ(report.outcome, link::Outcome::Incomplete);
}

TEST_F(PtyLink, DisturbedRepliesAreRetriedQuietly) {
    link.timing.quiet_ms = 300; // no reply comes late here
    SimProcess sim({"--unpaced", "--count", "60", "--seed", "3", "--corrupt-checksum", "2",
                    "--bad-length", "4", "--reply-69", "6", "--fill-before", "40", "--ignore",
                    "8"});
    ASSERT_TRUE(link::read_charges(link, *store, sim.link).opens_list());
    EXPECT_EQ(ui.messages_only(), std::vector<std::string>{" 60 Gebührensätze empfangen "});
    auto got = held(*store, data::kChargeRecordSize);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected_charges(60, 3));
}

TEST_F(PtyLink, SecondOpeningWhenTheFirstIsNotAnswered) {
    link.timing.quiet_ms = 300;
    SimProcess sim({"--unpaced", "--count", "5", "--ignore", "1"});
    ASSERT_TRUE(link::read_charges(link, *store, sim.link).opens_list());
    EXPECT_EQ(store->count(), 5);
    EXPECT_EQ(ui.messages_only(), std::vector<std::string>{" 5 Gebührensätze empfangen "});
    EXPECT_NE(sim.trace().find("type 0x6E"), std::string::npos);
}

TEST_F(PtyLink, InProcessServerCountsTheLine) {
    sim::Exchange exchange;
    sim::fill_random(exchange, 40, 10, 11);
    sim::ServerOptions options;
    options.paced = false;
    options.announce_to = nullptr;
    sim::Server server(exchange, options);
    std::string error;
    ASSERT_TRUE(server.open_pty("", error)) << error;
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.run(stop); });
    const bool read = link::read_charges(link, *store, server.slave_path()).opens_list();
    stop = true;
    serving.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(store->count(), 40);
    // Fill run, opening, two full blocks and an empty one per bank, closing.
    EXPECT_EQ(server.bytes_in(), 255u + 5u + 6u * 6u + 5u);
    EXPECT_EQ(server.bytes_out(), 4u + 6u * 4u + 40u * 23u + 4u);
    EXPECT_TRUE(exchange.speed_dial.empty());
    EXPECT_FALSE(exchange.connected());
}

TEST_F(PtyLink, SlowExchangeSendingByteByByte) {
    // Every reply byte on its own and up to 2 ms late: the frames still come whole, and the
    // line was busy longer than its bytes need at the line rate.
    sim::Exchange exchange;
    sim::fill_random(exchange, 30, 10, 12);
    sim::ServerOptions options;
    options.char_gap_s = 0.002;
    options.announce_to = nullptr;
    sim::Server server(exchange, options);
    std::string error;
    ASSERT_TRUE(server.open_pty("", error)) << error;
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.run(stop); });
    const link::ReadResult report = link::read_charges(link, *store, server.slave_path());
    stop = true;
    serving.join();
    EXPECT_EQ(report.outcome, link::Outcome::Done);
    auto got = held(*store, data::kChargeRecordSize);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected_charges(30, 12, 10));
    const double ideal = static_cast<double>(server.bytes_in() + server.bytes_out()) / 480.0;
    EXPECT_GT(server.line_busy_s(), ideal);
}

TEST_F(PtyLink, ACancelFromAnotherThreadEndsTheWaitSoon) {
    // The exchange answers the opening and nothing after it: the read waits for its first
    // block when the user cancels from the window's thread.
    SimProcess sim({"--unpaced", "--count", "20", "--stop-after", "1"});
    using Clock = std::chrono::steady_clock;
    Clock::time_point cancelled_at{};
    std::thread user([&] {
        const auto give_up = Clock::now() + std::chrono::seconds(20);
        while (sim.trace().find("index 0") == std::string::npos && Clock::now() < give_up)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        cancelled_at = Clock::now();
        ui.cancel = true;
    });
    const link::ReadResult report = link::read_charges(link, *store, sim.link);
    const auto ended_at = Clock::now();
    user.join();
    EXPECT_EQ(report.outcome, link::Outcome::Cancelled);
    EXPECT_TRUE(ui.messages_only().size() <= 2u) << "the count and the warning, no failure";
    // The wait (3 s for the frame, 4 s of quiet before a retry) is not sat out.
    EXPECT_LT(ended_at - cancelled_at, std::chrono::milliseconds(1500));
    EXPECT_EQ(sim.trace().find("type 0x63"), std::string::npos) << "no closing command";
}

TEST(PtyCli, ReadSaveDeleteAndSpeedDial) {
    SimProcess sim({"--unpaced", "--count", "25", "--seed", "9"});
    const std::string gds = sim.link + ".GDS";
    CliRun r = kalmo_cli({"read-charges", "--port", sim.link, "--out", gds});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "          lese Gebührensatz Nr.: 10\n"));
    EXPECT_TRUE(contains(r.err, "Information:  25 Gebührensätze empfangen \n"));
    std::ifstream in(gds, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(file.size(), 34u + 25u * 23u);
    EXPECT_EQ(static_cast<unsigned char>(file[32]), 25);

    r = kalmo_cli({"speed-dial", "--port", sim.link, "--code", "150", "--number", "0891234567"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = kalmo_cli({"speed-dial", "--port", sim.link, "--code", "300", "--number", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Fehler: Kurzwahlkennziffer fehlerhaft\n");

    r = kalmo_cli({"delete-charges", "--port", sim.link});
    EXPECT_EQ(r.status, 1) << "declined without --yes";
    r = kalmo_cli({"delete-charges", "--port", sim.link, "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "Information: Gebührendaten gelöscht \n"));
    r = kalmo_cli({"read-charges", "--port", sim.link});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "Information:  Gebührendatenspeicher leer \n"));

    // The saved file serves as the records of another exchange.
    {
        SimProcess again({"--unpaced", "--charges", gds});
        r = kalmo_cli({"read-charges", "--port", again.link, "--out", gds, "--yes"});
        EXPECT_EQ(r.status, 0) << r.err;
        std::ifstream back(gds, std::ios::binary);
        const std::string second((std::istreambuf_iterator<char>(back)),
                                 std::istreambuf_iterator<char>());
        EXPECT_EQ(second, file) << "sorted records read again come back in the same order";
    }

    const std::string announced = sim.stdout_text();
    EXPECT_NE(announced.find("speed-dial 150 = 0891234567\n"), std::string::npos) << announced;
    EXPECT_NE(announced.find("charge records deleted\n"), std::string::npos) << announced;
    ::unlink(gds.c_str());
    ::unlink((sim.link + ".ASC").c_str());
}

TEST(PtyCli, NoExchangeOnTheLine) {
    CliRun r = kalmo_cli({"read-calls", "--port", "/dev/kalmo-no-such-port"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, platform::to_console("          Initialisierung der Schnittstelle\n"
                                          "Meldung: Connection failed.\nDie "
                                          "Schnittstelle /dev/kalmo-no-such-port ist nicht "
                                          "vorhanden oder von einem anderen Programm belegt.\n"));
}

TEST(PtyCli, CtrlCCancelsLikeTheButton) {
    // Paced, so the read is still running when the interrupt comes.
    SimProcess sim({"--count", "100"});
    std::thread interrupt([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::kill(::getpid(), SIGINT);
    });
    const CliRun r = kalmo_cli({"read-charges", "--port", sim.link});
    interrupt.join();
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(contains(r.err, "Fehler")) << r.err;
    EXPECT_TRUE(contains(r.err, " Gebührensätze empfangen \n")) << r.err;
    EXPECT_EQ(sim.trace().find("type 0x63"), std::string::npos) << "no closing command";
}

TEST(PtyCli, CtrlCHoldsForTheRestOfTheCommand) {
    // Between two transfers of one command (a pull keeping its records) a Ctrl+C must still
    // stop the next one: opening its progress lines must not forget it.
    std::ostringstream out, err;
    cli::Context ctx(out, err);
    cli::ConsoleTransferUi ui(ctx);
    ASSERT_TRUE(ui.open_progress_dialog());
    ui.close_progress_dialog();
    std::raise(SIGINT);
    EXPECT_TRUE(ui.cancelled());
    ASSERT_TRUE(ui.open_progress_dialog());
    EXPECT_TRUE(ui.cancelled());
    ui.close_progress_dialog();

    // A new command starts afresh.
    cli::ConsoleTransferUi next(ctx);
    ASSERT_TRUE(next.open_progress_dialog());
    EXPECT_FALSE(next.cancelled());
}

} // namespace
} // namespace kalmo
