// kalmo anonymize over a generated two-year archive: the totals of every report stay to the
// Pfennig, newer files stay byte for byte, a dry run touches nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "cli/cli_run.h"
#include "core/data/charge_file.h"
#include "support/builders.h"

namespace fs = std::filesystem;
using namespace kalmo;

namespace {
const auto kalmo_run = test::kalmo_cli;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void put(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// Noon of a local day, so that no time zone moves the file to another day.
void set_written(const fs::path& p, int year, int month, int day) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    fs::last_write_time(p, std::chrono::file_clock::from_sys(
                               std::chrono::system_clock::from_time_t(std::mktime(&tm))));
}

std::map<fs::path, std::string> snapshot(const fs::path& dir) {
    std::map<fs::path, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) files[e.path()] = slurp(e.path());
    return files;
}

std::string number_digits(std::mt19937& rng) {
    static const char* const kinds[] = {"0", "089", "#", "00"};
    std::string n = kinds[rng() % 4];
    const std::size_t length = rng() % 14;
    for (std::size_t i = 0; i < length; ++i)
        n += static_cast<char>('0' + rng() % 10);
    return n;
}

// A read on the 28th of every month from December 2024 to November 2026: charges (with their
// export) and calls, the month's calls and some of the month before. Two calls of a minute by
// one subscriber for one amount differ only in their numbers: cut, they become equal records
// that must still both count.
struct AnonymizeCli : ::testing::Test {
    fs::path dir;
    std::vector<std::string> reads;

    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kalmo-anonymize-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        std::mt19937 rng(25);
        for (int i = 0; i < 24; ++i) {
            const int year = 2024 + (11 + i) / 12, month = (11 + i) % 12 + 1;
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "%04d-%02d-28_170000", year, month);
            const fs::path folder = dir / std::to_string(year);
            fs::create_directories(folder);
            data::ChargeStore store;
            std::vector<data::CallRecord> calls;
            std::size_t n = 0;
            for (int k = 0; k < 60; ++k) {
                const auto m = static_cast<std::uint8_t>(k < 8 ? (month + 10) % 12 + 1 : month);
                const auto day = static_cast<std::uint8_t>(1 + rng() % (k < 8 ? 30 : 27));
                data::ChargeRecord r = test::charge(
                    static_cast<std::uint8_t>(0x21 + rng() % 4), m, day,
                    static_cast<std::uint32_t>(rng() % 50000),
                    k % 9 == 0 ? "Privatgespräch" : number_digits(rng),
                    static_cast<std::uint8_t>(rng() % 24), static_cast<std::uint8_t>(rng() % 60),
                    static_cast<std::uint16_t>(rng() % 65536));
                store.set_record(n++, r);
                if (k % 10 == 1) {
                    r.number = data::pack_number(number_digits(rng));
                    store.set_record(n++, r);
                }
                calls.push_back(
                    test::call(r.subscriber, r.month, r.day, number_digits(rng), r.hour, r.minute));
            }
            store.set_count(static_cast<std::uint16_t>(n));
            const std::string gds = (folder / (std::string(stamp) + ".GDS")).string();
            const auto image = store.save_image();
            put(gds, std::string(image.begin(), image.end()));
            put(data::export_file_name(gds), data::export_content(store));
            put(folder / (std::string(stamp) + ".ANR"), test::text_of(test::bytes_of(calls)));
            reads.push_back((folder / (std::string(stamp) + ".GDS")).string());
        }
        // The same reads saved under other names, dated by when they were written: one old,
        // one recent. Their records are counted once with the journals'.
        fs::copy_file(reads[2], dir / "Februar.GDS");
        set_written(dir / "Februar.GDS", 2025, 2, 28);
        fs::copy_file(reads[23], dir / "November.GDS");
        set_written(dir / "November.GDS", 2026, 11, 28);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<std::string> anonymize(std::vector<std::string> extra) {
        std::vector<std::string> args = {"anonymize", dir.string(), "--today", "2026-12-07"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
};
} // namespace

TEST_F(AnonymizeCli, TotalsStayToThePfennigAndNewerFilesStayByteForByte) {
    const char* const groupings[] = {"subscriber", "month"};
    std::map<std::string, std::string> before;
    for (const char* by : groupings) {
        const test::CliRun r = kalmo_run({"report", dir.string(), "--by", by, "--csv"});
        ASSERT_EQ(r.status, 0) << r.err;
        before[by] = r.out;
    }
    const auto original = snapshot(dir);

    // Reads from 7 December 2025 on are newer than 12 months: the last 12 and November.GDS.
    for (const char* keep : {"3", "0"}) {
        const test::CliRun r =
            kalmo_run(anonymize({"--older-than", "12", "--keep-digits", keep, "--yes"}));
        ASSERT_EQ(r.status, 0) << r.err;
        for (const char* by : groupings)
            EXPECT_EQ(kalmo_run({"report", dir.string(), "--by", by, "--csv"}).out, before[by])
                << by << " after --keep-digits " << keep;
    }

    const auto now = snapshot(dir);
    ASSERT_EQ(now.size(), original.size());
    for (const auto& [path, bytes] : now) {
        const std::string name = path.filename().string();
        const bool old = name < "2025-12-07" || name == "Februar.GDS";
        if (!old) {
            EXPECT_EQ(bytes, original.at(path)) << name;
            continue;
        }
        if (path.extension() != ".ASC") {
            EXPECT_EQ(bytes.size(), original.at(path).size()) << name;
        }
        EXPECT_NE(bytes, original.at(path)) << name;
        if (path.extension() == ".ASC") {
            // Every number cell of an old export is empty or a private call.
            std::istringstream asc(bytes);
            for (std::string line; std::getline(asc, line);) {
                std::size_t at = 0;
                for (int cell = 0; cell < 6; ++cell)
                    at = line.find(';', at) + 1;
                const std::string number = line.substr(at, line.find(';', at) - at);
                EXPECT_TRUE(number.empty() || number == "Privatgespräch") << line;
            }
        }
        if (path.extension() == ".GDS")
            for (std::size_t at = data::kChargeImageHead; at < bytes.size();
                 at += data::kChargeRecordSize) {
                const std::string number =
                    data::number_text(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at +
                                      data::charge_at::Number);
                EXPECT_TRUE(number.empty() || number == "Privatgespräch") << name << number;
            }
    }
}

TEST_F(AnonymizeCli, DryRunListsWhatWouldChangeAndChangesNothing) {
    const auto original = snapshot(dir);
    const test::CliRun r = kalmo_run(anonymize({"--older-than", "22"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(snapshot(dir), original);
    // Read before 7 February 2025: December and January, each .GDS, .ASC and .ANR.
    std::istringstream lines(r.out);
    std::vector<std::string> listed;
    for (std::string line; std::getline(lines, line);)
        listed.push_back(fs::path(line).filename().string());
    EXPECT_EQ(listed, (std::vector<std::string>{"2024-12-28_170000.ANR", "2024-12-28_170000.GDS",
                                                "2024-12-28_170000.ASC", "2025-01-28_170000.ANR",
                                                "2025-01-28_170000.GDS", "2025-01-28_170000.ASC"}));
    EXPECT_NE(r.err.find("6 files would change"), std::string::npos) << r.err;
}

TEST_F(AnonymizeCli, BadCommandLinesAndBadFiles) {
    EXPECT_EQ(kalmo_run(anonymize({})).status, 2);
    EXPECT_EQ(kalmo_run(anonymize({"--older-than", "-1"})).status, 2);
    EXPECT_EQ(kalmo_run(anonymize({"--older-than", "12x"})).status, 2);
    EXPECT_EQ(kalmo_run(anonymize({"--older-than", "12", "--keep-digits", "25"})).status, 2);

    put(dir / "2024" / "kaputt.GDS", "kein Gebührenfile");
    set_written(dir / "2024" / "kaputt.GDS", 2024, 1, 1);
    const auto original = snapshot(dir);
    const test::CliRun r = kalmo_run(anonymize({"--older-than", "1", "--yes"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("kaputt.GDS is not a charge data file"), std::string::npos) << r.err;
    // The others are still done.
    EXPECT_NE(slurp(reads[0]), original.at(reads[0]));
    EXPECT_EQ(slurp(dir / "2024" / "kaputt.GDS"), "kein Gebührenfile");
}
