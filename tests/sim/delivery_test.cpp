// Nothing lost, nothing counted twice between the exchange and the disk: late replies over a
// real line, a kill in the middle of a read, and the unattended pull-and-empty.
#include <dirent.h>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "core/data/confidential.h"
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

// With dropping on, the confidential numbers are on no file the read leaves: not the journal,
// not the charge file, not its export; every record and every amount is.
TEST(Delivery, DroppedNumbersReachNoFile) {
    sim::Exchange ex;
    sim::fill_random(ex, 25, 0, 6);
    std::vector<data::ChargeRecord> sent;
    for (const auto* bank : {&ex.charges[0], &ex.charges[1]})
        for (const Bytes& r : *bank)
            sent.push_back(data::ChargeRecord::from_bytes(r.data()));
    ASSERT_EQ(sent.size(), 25u);
    // Two of the exchange's numbers, one of them as a prefix only.
    const std::string first = data::number_text(sent[0].number);
    const std::string second = data::number_text(sent[7].number);
    ASSERT_GE(first.size(), 4u);
    const std::string prefix = first.substr(0, 4);
    const data::ConfidentialNumbers secret =
        data::ConfidentialNumbers::parse(prefix + "\n" + second + "\n");
    std::uint64_t total = 0;
    std::vector<std::string> hidden;
    for (const data::ChargeRecord& r : sent) {
        total += r.amount;
        if (secret.matches(data::number_text(r.number)))
            hidden.push_back(data::number_text(r.number));
    }
    ASSERT_GE(hidden.size(), 2u);

    const std::string dir = fresh_dir("drop");
    std::system(("mkdir -p '" + dir + "'").c_str());
    {
        std::ofstream(dir + "/Vertraulich.txt") << prefix << "\n" << second << "\n";
        SimProcess sim({"--unpaced", "--count", "25", "--calls", "0", "--seed", "6"});
        const CliRun r = kalmo_cli({"read-charges", "--port", sim.link, "--journal",
                                    dir + "/Journal", "--out", dir + "/READ.GDS", "--confidential",
                                    dir + "/Vertraulich.txt", "--drop-confidential"});
        EXPECT_EQ(r.status, 0) << r.err;
    }
    const auto journals = files_in(dir + "/Journal");
    ASSERT_EQ(journals.size(), 1u);
    for (const std::string& path : {dir + "/READ.GDS", dir + "/Journal/" + journals[0]}) {
        const std::string file = file_bytes(path);
        ASSERT_EQ(file.size(), data::kChargeImageHead + 25 * data::kChargeRecordSize) << path;
        std::uint64_t sum = 0;
        std::size_t emptied = 0;
        for (std::size_t i = 0; i < 25; ++i) {
            const auto r = data::ChargeRecord::from_bytes(reinterpret_cast<const std::uint8_t*>(
                file.data() + data::kChargeImageHead + i * data::kChargeRecordSize));
            sum += r.amount;
            EXPECT_FALSE(secret.matches(data::number_text(r.number))) << path;
            if (data::number_text(r.number).empty()) ++emptied;
        }
        EXPECT_EQ(sum, total) << path;
        EXPECT_EQ(emptied, hidden.size()) << path;
    }
    const std::string export_text = file_bytes(dir + "/READ.ASC");
    ASSERT_FALSE(export_text.empty());
    for (const std::string& number : hidden)
        EXPECT_EQ(export_text.find(number), std::string::npos) << number;
    std::system(("rm -rf '" + dir + "'").c_str());
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
        // The charges are emptied, then the exchange falls silent before the calls: the message
        // must not claim that the exchange was left as it was. Requests 1 to 7 read the charges,
        // 8 closes, 9 to 12 delete them.
        SimProcess sim(
            {"--unpaced", "--count", "5", "--calls", "3", "--seed", "2", "--stop-after", "12"});
        const CliRun r = kalmo_cli({"collect", "--port", sim.link, "--dir", dir + "/half",
                                    "--calls", "--journal", dir + "/Journal"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(sim.stdout_text().find("charge records deleted"), std::string::npos) << r.err;
        const std::string said = "the exchange was not reached; its call records are left in "
                                 "the exchange, but its charge records were deleted there (they "
                                 "are kept in " +
                                 dir + "/half/";
        EXPECT_TRUE(contains(r.err, said.c_str())) << r.err;
        EXPECT_FALSE(contains(r.err, "not emptied")) << r.err;
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

// Replies that cannot be the block asked for, through a real line: retried, and when they
// persist, or when a bank no longer ends where the read ended, nothing is emptied.
TEST(Delivery, CollectEmptiesNothingAfterADoubtfulReply) {
    // Requests: 1 opening, 2 and 3 the first bank, 4 its empty block, 5 to 7 the second bank.
    struct Case {
        std::vector<std::string> fault;
        int status;
    };
    const Case cases[] = {
        {{"--short-reply", "3"}, 0},
        {{"--wrong-type", "3,4,5,6,7"}, 1},
        {{"--empty-reply", "3"}, 1}, // the first bank seems to end at 10 of 13
    };
    const std::string dir = fresh_dir("doubt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault[0] + " " + c.fault[1]);
        std::vector<std::string> args = {"--unpaced", "--count", "25", "--calls", "0"};
        args.insert(args.end(), c.fault.begin(), c.fault.end());
        SimProcess sim(args);
        const CliRun r =
            kalmo_cli({"collect", "--port", sim.link, "--dir", dir, "--journal", dir + "/Journal"});
        EXPECT_EQ(r.status, c.status) << r.err;
        const bool deleted = sim.stdout_text().find("deleted") != std::string::npos;
        EXPECT_EQ(deleted, c.status == 0) << sim.trace();
        if (c.status != 0) {
            EXPECT_TRUE(contains(r.err, "not every charge record was read; the exchange is not "
                                        "emptied"))
                << r.err;
        }
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

// The calls of a bank that holds more than the call list: all kept before the exchange is
// emptied, in a first bank of 200 as well as over both banks.
TEST(Delivery, CollectKeepsEveryCallBeforeItEmpties) {
    for (const char* first : {"200", "74"}) {
        SCOPED_TRACE(first);
        const std::string dir = fresh_dir("calls");
        SimProcess sim({"--unpaced", "--count", "4", "--calls", "200", "--calls-per-block", "5",
                        "--calls-in-first-bank", first});
        const CliRun r = kalmo_cli(
            {"collect", "--port", sim.link, "--dir", dir, "--calls", "--journal", dir + "/J"});
        EXPECT_EQ(r.status, 0) << r.err;
        std::string anr;
        for (const auto& name : files_in(dir))
            if (name.size() > 4 && name.substr(name.size() - 4) == ".ANR")
                anr = file_bytes(dir + "/" + name);
        ASSERT_EQ(anr.size(), 200 * data::kCallRecordSize) << r.err;
        std::vector<Bytes> kept;
        for (std::size_t at = 0; at < anr.size(); at += data::kCallRecordSize)
            kept.emplace_back(anr.begin() + static_cast<std::ptrdiff_t>(at),
                              anr.begin() +
                                  static_cast<std::ptrdiff_t>(at + data::kCallRecordSize));
        std::sort(kept.begin(), kept.end());
        sim::Exchange ex;
        sim::fill_random(ex, 4, 200, 1);
        std::vector<Bytes> sent = ex.calls[0];
        sent.insert(sent.end(), ex.calls[1].begin(), ex.calls[1].end());
        std::sort(sent.begin(), sent.end());
        EXPECT_TRUE(kept == sent);
        EXPECT_NE(sim.stdout_text().find("call records deleted"), std::string::npos);
        std::system(("rm -rf '" + dir + "'").c_str());
    }
}

} // namespace
} // namespace kalmo
