// Nothing lost, nothing counted twice between the exchange and the disk: late replies over a
// real line, a kill in the middle of a read, and the unattended pull-and-empty.
#include <dirent.h>
#include <set>

#include <gtest/gtest.h>

#include "core/link/exchange_fake.h"
#include "core/link/journal.h"
#include "core/link/transfers.h"
#include "platform/posix/serial_port.h"
#include "sim_process.h"

namespace kalmo {
namespace {

using namespace test;

std::vector<Bytes> expected_calls(std::size_t n, std::uint32_t seed) {
    sim::Exchange ex;
    sim::fill_random(ex, 0, n, seed);
    std::vector<Bytes> all = ex.calls[0];
    all.insert(all.end(), ex.calls[1].begin(), ex.calls[1].end());
    std::sort(all.begin(), all.end());
    return all;
}

std::vector<std::string> files_in(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string fresh_dir(const char* what) {
    const std::string dir = "/tmp/kalmo-" + std::string(what) + "-" + std::to_string(::getpid());
    std::system(("rm -rf '" + dir + "'").c_str());
    return dir;
}

// A few points of the delay sweep (the whole sweep is bench/late_reply_sweep.sh): the reply to
// one request, or to every request, comes late. A read brings exactly the exchange's records or
// ends with a failure message, never anything else.
struct Delay {
    const char* option; // exchange-sim --delay
    bool calls;
};

class LateReplyOverALine : public ::testing::TestWithParam<Delay> {};

TEST_P(LateReplyOverALine, ExactlyTheRecordsOrAFailure) {
    const Delay d = GetParam();
    SimProcess sim({"--unpaced", "--count", d.calls ? "0" : "30", "--calls", d.calls ? "30" : "0",
                    "--seed", "5", "--delay", d.option});
    auto clock = platform::make_clock();
    platform::PosixSerialPort port;
    FakeTransferUi ui;
    link::Link line{port, ui, *clock};
    auto charges = std::make_unique<data::ChargeStore>();
    data::CallStore calls;
    const link::ReadResult r = d.calls ? link::read_calls(line, calls, sim.link)
                                       : link::read_charges(line, *charges, sim.link);
    auto got =
        d.calls ? held(calls, data::kCallRecordSize) : held(*charges, data::kChargeRecordSize);
    std::sort(got.begin(), got.end());
    const auto all = d.calls ? expected_calls(30, 5) : expected_charges(30, 5, 0);
    if (r.outcome == link::Outcome::Done) {
        EXPECT_EQ(got, all) << sim.trace();
    } else {
        const auto shown = ui.messages_only();
        EXPECT_NE(std::find(shown.begin(), shown.end(), "Fehler Gegenstelle antwortet nicht !"),
                  shown.end());
        EXPECT_TRUE(std::includes(all.begin(), all.end(), got.begin(), got.end()));
        EXPECT_EQ(std::adjacent_find(got.begin(), got.end()), got.end()) << "a record twice";
    }
}

INSTANTIATE_TEST_SUITE_P(Points, LateReplyOverALine,
                         ::testing::Values(Delay{"3:3.25", false}, Delay{"3:6", false},
                                           Delay{"all:3.5", false}, Delay{"4:4.5", true}));

// Killed in the middle of a read, the console program leaves a journal that is a charge data
// file holding every block it had received, byte for byte, in the order received.
TEST(Delivery, KillInTheMiddleOfARead) {
    SimProcess sim({"--count", "200", "--seed", "8", "--calls", "0"}); // paced: 10 s of line
    const std::string journal = fresh_dir("journal");
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(KALMO_CLI, KALMO_CLI, "read-charges", "--port", sim.link.c_str(), "--journal",
                journal.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    const auto names = files_in(journal);
    ASSERT_EQ(names.size(), 1u);
    const std::string file = file_bytes(journal + "/" + names[0]);
    ASSERT_GE(file.size(), data::kChargeImageHead);
    const std::size_t count =
        static_cast<unsigned char>(file[32]) | static_cast<unsigned char>(file[33]) << 8;
    EXPECT_EQ(file.size(), data::kChargeImageHead + count * data::kChargeRecordSize);
    // The blocks the exchange had sent by then: every one but the last in flight is kept.
    const std::string trace = sim.trace();
    std::size_t replies = 0;
    for (std::size_t at = trace.find("<- [EA 0D"); at != std::string::npos;
         at = trace.find("<- [EA 0D", at + 1))
        ++replies;
    ASSERT_GT(replies, 2u) << trace;
    EXPECT_TRUE(count == 10 * replies || count == 10 * (replies - 1)) << count << " " << replies;
    sim::Exchange ex;
    sim::fill_random(ex, 200, 0, 8);
    std::string sent;
    for (std::size_t i = 0; i < count; ++i)
        sent.append(ex.charges[0][i].begin(), ex.charges[0][i].end());
    EXPECT_EQ(file.substr(data::kChargeImageHead), sent);
    std::system(("rm -rf '" + journal + "'").c_str());
}

// The unattended pull empties the exchange only after a complete read and a verified copy.
TEST(Delivery, CollectEmptiesOnlyAfterAVerifiedCopy) {
    const std::string dir = fresh_dir("collect");
    {
        SimProcess sim({"--unpaced", "--count", "25", "--calls", "12", "--seed", "4"});
        const CliRun r = kalmo_cli({"collect", "--port", sim.link, "--dir", dir, "--calls",
                                    "--journal", dir + "/Journal"});
        EXPECT_EQ(r.status, 0) << r.err;
        const auto names = files_in(dir);
        ASSERT_EQ(names.size(), 4u) << r.err; // .ANR, .ASC, .GDS, Journal
        const std::string gds = file_bytes(dir + "/" + names[2]);
        ASSERT_EQ(gds.size(), data::kChargeImageHead + 25 * data::kChargeRecordSize);
        EXPECT_EQ(file_bytes(dir + "/" + names[0]).size(), 12 * data::kCallRecordSize);
        const std::string announced = sim.stdout_text();
        EXPECT_NE(announced.find("charge records deleted"), std::string::npos) << announced;
        EXPECT_NE(announced.find("call records deleted"), std::string::npos) << announced;
        EXPECT_EQ(files_in(dir + "/Journal").size(), 2u);
    }
    {
        // More than the store holds: kept, but the exchange is not emptied.
        SimProcess sim({"--unpaced", "--overflow"});
        const CliRun r = kalmo_cli(
            {"collect", "--port", sim.link, "--dir", dir + "/full", "--journal", dir + "/Journal"});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(
            contains(r.err, "not every charge record was read; the exchange is not emptied"))
            << r.err;
        EXPECT_EQ(sim.stdout_text().find("deleted"), std::string::npos);
        EXPECT_TRUE(files_in(dir + "/full").empty());
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

} // namespace
} // namespace kalmo
