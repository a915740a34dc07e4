// kalmo report over a folder on disk, and --csv on the lists: what the command line adds to the
// core (finding the files, their read dates, the exit status, the table on stdout).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_run.h"
#include "core/data/charge.h"
#include "support/builders.h"

namespace fs = std::filesystem;
using namespace kalmo;

namespace {
const auto kalmo_run = test::kalmo_cli;

void write_charges(const fs::path& p, const std::vector<std::array<std::uint8_t, 3>>& calls) {
    std::vector<data::ChargeRecord> records;
    for (const auto& [sub, month, amount] : calls)
        records.push_back(test::charge(sub, month, 1, amount, "", 0, 0, 0));
    std::ofstream(p, std::ios::binary) << test::text_of(test::charge_file(records));
}

struct ReportCli : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kalmo-report-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir / "2026");
    }
    void TearDown() override { fs::remove_all(dir); }
};
} // namespace

TEST_F(ReportCli, FolderWithJournalCopyDecemberAndADamagedFile) {
    // Read in January 2026: the December call is 2025's. The copy in the subfolder is the
    // journal of the same read.
    write_charges(dir / "2026-01-05_080000.GDS", {{{0x21, 12, 100}, {0x21, 1, 50}}});
    write_charges(dir / "2026" / "2026-01-05_080000.gds", {{{0x21, 12, 100}, {0x21, 1, 50}}});
    write_charges(dir / "2026" / "2026-02-02_090000.GDS", {{{0x05, 2, 7}}});
    std::ofstream(dir / "2026" / "kaputt.GDS") << "kein Gebührenfile";
    std::ofstream(dir / "notes.txt") << "ignored";

    test::CliRun r = kalmo_run({"report", dir.string(), "--by", "month"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("kaputt.GDS"), std::string::npos) << r.err;
    std::istringstream lines(r.out);
    std::string first, header, dec, jan, feb, total;
    std::getline(lines, first);
    EXPECT_EQ(first, "3 Dateien gelesen, 2 doppelte Datens\xC3\xA4tze nicht gez\xC3\xA4hlt");
    std::getline(lines, header);
    std::getline(lines, dec);
    std::getline(lines, jan);
    std::getline(lines, feb);
    std::getline(lines, total);
    EXPECT_EQ(dec.substr(0, 7), "12.2025");
    EXPECT_NE(dec.find("1,00 DM"), std::string::npos) << dec;
    EXPECT_EQ(feb.substr(0, 7), "02.2026");
    EXPECT_EQ(total.substr(0, 5), "Summe");
    EXPECT_NE(total.find("1,57 DM"), std::string::npos) << total;

    // Only good files, one month, as a table.
    fs::remove(dir / "2026" / "kaputt.GDS");
    r = kalmo_run({"report", dir.string(), "--from", "2026-01", "--to", "2026-01", "--csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\xEF\xBB\xBFTeilnehmer;Anrufe;Dauer (s);Dauer;Betrag (Pf);Betrag (DM)\r\n"
                     "21;1;0;0.00:00;50;0,50\r\n"
                     "Summe;1;0;0.00:00;50;0,50\r\n");

    EXPECT_EQ(kalmo_run({"report", dir.string(), "--from", "2026-1"}).status, 2);
    EXPECT_EQ(kalmo_run({"report", dir.string(), "--by", "year"}).status, 2);
    EXPECT_EQ(kalmo_run({"report", dir.string(), "--by", "project"}).status, 2);
    EXPECT_EQ(kalmo_run({"report", (dir / "missing").string()}).status, 1);
}

TEST_F(ReportCli, ListsGoOutAsTablesWithTheirFiltersApplied) {
    write_charges(dir / "a.GDS", {{{0x21, 3, 10}, {0x05, 3, 250}, {0x21, 3, 99}}});
    const std::string file = (dir / "a.GDS").string();
    test::CliRun r =
        kalmo_run({"charges", file, "--min", "0,50", "--today", "2026-03-20", "--csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3); // header, 250 and 99
    EXPECT_NE(r.out.find("\r\n5;01.03.2026;00:00;0;0.00:00;;;250;2,50;;\r\n"), std::string::npos)
        << r.out;

    r = kalmo_run({"sums", file, "--today", "2026-03-20", "--csv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\r\n21;01.03.2026;00:00;01.03.2026;00:00;2;109;1,09\r\n"),
              std::string::npos)
        << r.out;
    r = kalmo_run({"subscriber", file, "5", "--today", "2026-03-20", "--csv"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
    EXPECT_EQ(kalmo_run({"lookup", "x.TLB", "1", "--csv"}).status, 2);
}

TEST_F(ReportCli, FoldersItCannotCountAreNamed) {
    // A link to a folder and a folder it may not read: their calls would be missing from totals
    // that look complete.
    write_charges(dir / "2026" / "2026-02-02_090000.GDS", {{{0x05, 2, 7}}});
    fs::create_directories(dir / "elsewhere");
    write_charges(dir / "elsewhere" / "2026-03-02_090000.GDS", {{{0x05, 3, 9}}});
    std::error_code linked;
    fs::create_directory_symlink(dir / "elsewhere", dir / "2026" / "link", linked);
    // Wine's file system makes no links; Windows needs a privilege for them.
    if (linked) GTEST_SKIP() << "no folder links here: " << linked.message();
    test::CliRun r = kalmo_run({"report", (dir / "2026").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("link is a link to a folder; not followed"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.substr(0, 18), "1 Dateien gelesen,") << r.out;

    fs::remove(dir / "2026" / "link");
    fs::permissions(dir / "elsewhere", fs::perms::none);
    const bool unreadable = !std::ifstream(dir / "elsewhere" / "2026-03-02_090000.GDS");
    r = kalmo_run({"report", dir.string()});
    fs::permissions(dir / "elsewhere", fs::perms::owner_all);
    if (!unreadable) GTEST_SKIP() << "this user reads every folder";
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read the folder"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("elsewhere"), std::string::npos) << r.err;
}
