// Whole outputs of the evaluation subcommands over generated charge files, compared with the
// files in expected/ (NAME.out for stdout, NAME.err for stderr; a missing file means empty).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "core/data/charge.h"
#include "support/builders.h"

namespace fs = std::filesystem;
using namespace kalmo;

namespace {
// Columns in the order the tables below read best; "private" is a private call with stray bytes
// after its mark.
data::ChargeRecord rec(std::uint8_t sub, std::uint8_t month, std::uint8_t day, std::uint8_t hour,
                       std::uint8_t minute, std::uint16_t duration, const std::string& number,
                       std::uint32_t amount) {
    const bool is_private = number == "private";
    data::ChargeRecord r =
        test::charge(sub, month, day, amount, is_private ? "" : number, hour, minute, duration);
    if (is_private) r.number = data::NumberField{0xBB, 0x12};
    return r;
}

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class EvalCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() /
               ("kalmo_eval_cli_" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(dir_);
        // Read in March: the December record first, so the from year follows it.
        write("basic.gds",
              {rec(0x05, 12, 28, 18, 0, 30, "0301", 12),
               rec(0x21, 3, 14, 9, 5, 3725, "0123456789", 1234),
               rec(0x05, 3, 15, 10, 0, 59, "089123456", 5),
               rec(0x00, 3, 16, 11, 30, 3600, "private", 7000000),
               rec(0xFF, 3, 16, 12, 0, 10, "1", 99), rec(0x21, 3, 17, 8, 0, 120, "0891#", 505),
               rec(0x21, 3, 18, 23, 59, 0, "", 504)});
        // Sorted as the exchange delivers it: January before December.
        write("decjan.gds",
              {rec(0x21, 1, 3, 8, 0, 60, "0711", 100), rec(0x21, 1, 8, 9, 0, 60, "0712", 200),
               rec(0x22, 12, 20, 10, 0, 60, "0713", 400),
               rec(0x22, 12, 30, 11, 0, 60, "0714", 800)});
        // A file order that leaves the default range empty.
        write("rejected.gds",
              {rec(0x21, 3, 10, 8, 0, 60, "1", 100), rec(0x21, 3, 2, 9, 0, 60, "2", 200)});
        write("nodata.gds", {rec(0xFF, 3, 10, 8, 0, 60, "1", 100)});
        std::vector<data::ChargeRecord> many;
        for (int i = 0; i < 61; ++i)
            many.push_back(rec(static_cast<std::uint8_t>(0x10 + i), 3, 1, 8,
                               static_cast<std::uint8_t>(i % 60), 60, "5", 10));
        write("many.gds", many);
        // Project 2 holds two of basic.gds's numbers; project 3 is named but never called.
        std::ofstream(dir_ / "projects.tlb", std::ios::binary)
            << "[Telefonbuch]\r\n[Project 02;Kunde A]\r\nHotline;;;0123456789;\r\n"
               "M\xFCnchen;;89;123456;\r\n[Project 03;Leer]\r\nNiemand;;;777;\r\n"
               "[Ende Telefonbuch]\r\n";
        // The December call and M\xFCnchen (a phonebook name) are confidential.
        std::ofstream(dir_ / "secret.txt", std::ios::binary)
            << "; Betriebsrat\r\n0301\r\n\r\n  0891 \r\n";
        std::ofstream(dir_ / "typo.txt", std::ios::binary) << "0301\n030-1\n;\nx\n";
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static void write(const std::string& name, const std::vector<data::ChargeRecord>& records) {
        std::ofstream(dir_ / name, std::ios::binary) << test::text_of(test::charge_file(records));
    }

    // Runs kalmo with FILE names relative to the generated files and compares with expected/.
    void check(const std::string& name, std::vector<std::string> args, int status) {
        for (std::string& a : args)
            if (a.size() > 4 &&
                (a.substr(a.size() - 4) == ".gds" || a.substr(a.size() - 4) == ".tlb" ||
                 a.substr(a.size() - 4) == ".txt"))
                a = (dir_ / a).string();
        test::CliRun r = test::kalmo_cli(std::move(args));
        // Messages name the generated files; the expected texts cannot know their folder.
        const std::string folder = (dir_ / "").string();
        for (std::size_t at; (at = r.err.find(folder)) != std::string::npos;)
            r.err.erase(at, folder.size());
        const fs::path expected = fs::path(__FILE__).parent_path() / "expected";
        EXPECT_EQ(r.status, status) << name;
        EXPECT_EQ(r.out, read_file(expected / (name + ".out"))) << name;
        EXPECT_EQ(r.err, read_file(expected / (name + ".err"))) << name;
    }

    static fs::path dir_;
};
fs::path EvalCli::dir_;
} // namespace

TEST_F(EvalCli, SystemChargeList) {
    check("charges_basic", {"charges", "basic.gds", "--today", "2026-03-20"}, 0);
    check("charges_min", {"charges", "basic.gds", "--min", "5,5", "--today", "2026-03-20"}, 0);
    check("charges_range",
          {"charges", "basic.gds", "--from", "15.03.2026", "--to", "17.03.2026", "--today",
           "2026-03-20"},
          0);
    check("charges_decjan", {"charges", "decjan.gds", "--today", "2026-01-10"}, 0);
}

TEST_F(EvalCli, CurrencyNamesTheUnitOfEveryAmount) {
    check("charges_basic_eur",
          {"charges", "basic.gds", "--currency", "EUR", "--today", "2026-03-20"}, 0);
    check("sums_basic_eur", {"sums", "basic.gds", "--currency", "eur", "--today", "2026-03-20"}, 0);
    check("charges_basic", {"charges", "basic.gds", "--currency", "DM", "--today", "2026-03-20"},
          0);
    check("charges_usage_currency", {"charges", "basic.gds", "--currency", "EURO"}, 2);
}

TEST_F(EvalCli, MaskShortensNumbersButNotNames) {
    check("charges_basic_mask4", {"charges", "basic.gds", "--mask", "4", "--today", "2026-03-20"},
          0);
    // The phonebook still finds its names and projects through the whole number.
    check("project_2",
          {"project", "basic.gds", "--phonebook", "projects.tlb", "--project", "2", "--mask", "6",
           "--today", "2026-03-20"},
          0);
    check("charges_basic", {"charges", "basic.gds", "--mask", "0", "--today", "2026-03-20"}, 0);
    check("charges_usage_mask", {"charges", "basic.gds", "--mask", "7"}, 2);
}

TEST_F(EvalCli, ConfidentialNumbersShowNeitherNumberNorNameButCount) {
    check("charges_basic_confidential",
          {"charges", "basic.gds", "--confidential", "secret.txt", "--mask", "2", "--today",
           "2026-03-20"},
          0);
    check("project_2_confidential",
          {"project", "basic.gds", "--phonebook", "projects.tlb", "--project", "2",
           "--confidential", "secret.txt", "--today", "2026-03-20"},
          0);
    check("project_2_confidential_csv",
          {"project", "basic.gds", "--phonebook", "projects.tlb", "--project", "2",
           "--confidential", "secret.txt", "--csv", "--today", "2026-03-20"},
          0);
    check("subscriber_5_confidential",
          {"subscriber", "basic.gds", "5", "--confidential", "secret.txt", "--today", "2026-03-20"},
          0);
    // A mistyped line would leave its number in the list: nothing is listed.
    check("charges_confidential_typo",
          {"charges", "basic.gds", "--confidential", "typo.txt", "--today", "2026-03-20"}, 1);
    check("charges_confidential_missing",
          {"charges", "basic.gds", "--confidential", "none.txt", "--today", "2026-03-20"}, 1);
    check("charges_usage_drop", {"charges", "basic.gds", "--drop-confidential"}, 2);
}

TEST_F(EvalCli, FilterYearsTheFilterCannotHoldAreRefused) {
    // Before 1950 a year's key would wrap and admit or reject every record.
    check("charges_to_1926",
          {"charges", "basic.gds", "--from", "15.03.2026", "--to", "01.01.1926", "--today",
           "2026-03-20"},
          1);
    check("charges_from_1926",
          {"charges", "decjan.gds", "--from", "01.01.1926", "--today", "2026-01-10"}, 1);
}

TEST_F(EvalCli, DecemberShownInJanuaryIsLastYears) {
    check("sums_decjan", {"sums", "decjan.gds", "--today", "2026-01-10"}, 0);
    check("subscriber_decjan", {"subscriber", "decjan.gds", "22", "--today", "2026-01-10"}, 0);
    check("charges_decjan_all",
          {"charges", "decjan.gds", "--from", "01.12.2025", "--to", "31.01.2026", "--today",
           "2026-01-10"},
          0);
}

TEST_F(EvalCli, FilterChecks) {
    check("charges_bad_month",
          {"charges", "basic.gds", "--from", "01.13.2026", "--to", "31.04.2026"}, 1);
    check("charges_bad_day", {"charges", "basic.gds", "--to", "31.04.2026"}, 1);
    check("charges_bad_range",
          {"charges", "basic.gds", "--from", "18.03.2026", "--to", "14.03.2026"}, 1);
    check("charges_usage", {"charges", "basic.gds", "--from", "2026-03-01"}, 2);
    check("charges_usage_min", {"charges", "basic.gds", "--min", "1000"}, 2);
}

TEST_F(EvalCli, NothingListed) {
    check("charges_rejected", {"charges", "rejected.gds", "--today", "2026-03-20"}, 1);
    check("charges_rejected_refiltered",
          {"charges", "rejected.gds", "--from", "01.03.2026", "--to", "31.03.2026", "--today",
           "2026-03-20"},
          0);
    check("charges_nodata", {"charges", "nodata.gds", "--today", "2026-03-20"}, 1);
    check("charges_nodata_filtered",
          {"charges", "nodata.gds", "--min", "1", "--today", "2026-03-20"}, 1);
}

TEST_F(EvalCli, SubscriberSumsAndStatistics) {
    check("sums_basic", {"sums", "basic.gds", "--today", "2026-03-20"}, 0);
    check("sums_many", {"sums", "many.gds", "--today", "2026-03-20"}, 0);
    check("subscriber_nn", {"subscriber", "basic.gds", "NN", "--today", "2026-03-20"}, 0);
    check("subscriber_5", {"subscriber", "basic.gds", "5", "--today", "2026-03-20"}, 0);
    check("subscriber_none", {"subscriber", "basic.gds", "7", "--today", "2026-03-20"}, 1);
    check("sums_rejected", {"sums", "rejected.gds", "--today", "2026-03-20"}, 1);
    check("sums_rejected_yes", {"sums", "rejected.gds", "--yes", "--today", "2026-03-20"}, 0);
}

TEST_F(EvalCli, ProjectThroughThePhonebook) {
    check("project_2",
          {"project", "basic.gds", "--phonebook", "projects.tlb", "--project", "2", "--today",
           "2026-03-20"},
          0);
    check("project_no_calls",
          {"project", "basic.gds", "--phonebook", "projects.tlb", "--project", "3"}, 1);
    check("project_undefined",
          {"project", "basic.gds", "--phonebook", "projects.tlb", "--project", "4"}, 1);
    // A phonebook that cannot be read fails the run instead of listing numbers without names.
    const test::CliRun r = test::kalmo_cli({"project", (dir_ / "basic.gds").string(), "--phonebook",
                                            (dir_ / "none.tlb").string(), "--project", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("none.tlb"), std::string::npos);
    check("project_usage", {"project", "basic.gds", "--phonebook", "none.tlb", "--project", "11"},
          2);
}
