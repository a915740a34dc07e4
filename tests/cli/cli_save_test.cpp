// kalmo save through the real file system: byte-for-byte copies, the export beside it, the
// refusals and their exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_run.h"
#include "platform/platform.h"
#include "support/utf8_text.h"

namespace fs = std::filesystem;

namespace {
using kalmo::test::CliRun;
const auto run_kalmo = kalmo::test::kalmo_cli;

using kalmo::test::utf8;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& p, const std::string& content) {
    std::ofstream(p, std::ios::binary) << content;
}

std::string charge_file(int records) {
    std::string s("Gebuehrendaten QUELTAR 240 V1.0", 31);
    s += '\0';
    s += static_cast<char>(records & 0xFF);
    s += static_cast<char>(records >> 8);
    for (int i = 0; i < records; ++i) {
        const unsigned char r[23] = {0xD2, 0x04, 0,    0,    75,   0,    0x21, 3,
                                     14,   9,    5,    0x08, 0x91, 0x23, 0x45, 0x6F,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        s.append(reinterpret_cast<const char*>(r), 23);
    }
    return s;
}

struct CliSave : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kalmo-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
};
} // namespace

TEST_F(CliSave, CopiesByteForByteAndWritesTheExport) {
    put(dir / "in.GDS", charge_file(3));
    const CliRun r = run_kalmo({"save", (dir / "in.GDS").string(), (dir / "out.GDS").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(slurp(dir / "out.GDS"), charge_file(3));
    const std::string line = "21;14;3;9;5;75;089123456;1234;\n";
    EXPECT_EQ(slurp(dir / "out.ASC"), line + line + line);
}

TEST_F(CliSave, ExistingTargetIsKeptUnlessYes) {
    put(dir / "in.GDS", charge_file(1));
    put(dir / "out.GDS", "old");
    CliRun r = run_kalmo({"save", (dir / "in.GDS").string(), (dir / "out.GDS").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Information: Das File " + (dir / "out.GDS").string() +
                         utf8(u8". existiert bereits überschreiben ?\n"));
    EXPECT_EQ(slurp(dir / "out.GDS"), "old");
    EXPECT_FALSE(fs::exists(dir / "out.ASC"));

    r = run_kalmo({"save", (dir / "in.GDS").string(), (dir / "out.GDS").string(), "--yes"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(slurp(dir / "out.GDS"), charge_file(1));
}

TEST_F(CliSave, MalformedInputGivesItsMessageAndNoOutput) {
    put(dir / "empty.GDS", "");
    CliRun r = run_kalmo({"save", (dir / "empty.GDS").string(), (dir / "o.GDS").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Meldung: Error reading " + (dir / "empty.GDS").string() + ".\n");

    put(dir / "bad.GDS", "Gebuehrendaten QUELTAR 240 V2.0" + std::string(40, '\0'));
    r = run_kalmo({"save", (dir / "bad.GDS").string(), (dir / "o.GDS").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Meldung: Error " + (dir / "bad.GDS").string() +
                         utf8(u8" ist keine Gebührendatei.\n"));

    put(dir / "none.GDS", charge_file(0));
    r = run_kalmo({"save", (dir / "none.GDS").string(), (dir / "o.GDS").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, utf8(u8"Fehler: Gebührendatenspeicher leer\nFunktion abgebrochen\n"));
    EXPECT_FALSE(fs::exists(dir / "o.GDS"));
    EXPECT_FALSE(fs::exists(dir / "o.ASC"));
}

TEST_F(CliSave, UnwritableTargetIsReported) {
    put(dir / "in.GDS", charge_file(2));
    const fs::path target = dir / "missing-dir" / "x.GDS";
    const CliRun r = run_kalmo({"save", (dir / "in.GDS").string(), target.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Meldung: Error writing " + target.string() + "."), std::string::npos);
}

TEST_F(CliSave, RefusalsThatProtectFiles) {
    put(dir / "in.GDS", charge_file(2));
    // The export of JAN.ASC would be JAN.ASC itself.
    CliRun r = run_kalmo({"save", (dir / "in.GDS").string(), (dir / "JAN.asc").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Fehler: "), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "JAN.asc"));
}

TEST_F(CliSave, NamesOutsideTheWindowsCharacterSetAreWrittenAsTheyAre) {
    // Spelt in the Windows character set, the name would become "??ód? ?.GDS": another file.
    // It is written under exactly its name, and its export beside it with .ASC.
    put(dir / "in.GDS", charge_file(2));
    const std::string polish = utf8(u8"Łódź Ξ");
    const fs::path target = dir / kalmo::platform::native_path(polish + ".GDS");
    const std::string target_arg = kalmo::platform::utf8_path(target);
    CliRun r = run_kalmo({"save", (dir / "in.GDS").string(), target_arg});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(slurp(target), charge_file(2));
    EXPECT_TRUE(fs::exists(dir / kalmo::platform::native_path(polish + ".ASC")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);

    // Read back by its name; a message that names it shows '?' where the text cannot.
    r = run_kalmo({"charges", target_arg});
    EXPECT_EQ(r.status, 0) << r.err;
    r = run_kalmo({"save", target_arg, target_arg});
    EXPECT_EQ(r.status, 1) << "asked before overwriting, answered No";
    EXPECT_NE(r.err.find(utf8(u8"?ód? ?.GDS. existiert bereits")), std::string::npos) << r.err;
}

TEST_F(CliSave, ATruncatedFileIsSavedAsFarAsItGoesButExitsOne) {
    std::string damaged = charge_file(3);
    damaged[32] = 5;
    put(dir / "in.GDS", damaged);
    const CliRun r = run_kalmo({"save", (dir / "in.GDS").string(), (dir / "out.GDS").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Meldung: " + utf8(u8"Gebührendatei ") + (dir / "in.GDS").string() +
                         utf8(u8" unvollständig:\n5 Datensätze angegeben, 3 gelesen.\n"));
    EXPECT_EQ(slurp(dir / "out.GDS"), charge_file(3));
}

TEST_F(CliSave, AFailedWriteToStdoutExitsOne) {
    put(dir / "a.TLB", "[Telefonbuch]\r\nAnna;;;123;\r\n[Ende Telefonbuch]\r\n");
    const std::string path = (dir / "a.TLB").string();
    const char* argv[] = {"kalmo", "phonebook", path.c_str()};
    std::ostringstream good, err;
    ASSERT_EQ(kalmo::cli::run(3, argv, good, err), 0) << err.str();
    ASSERT_FALSE(good.str().empty());

    struct FullDevice : std::streambuf {
        int overflow(int) override { return traits_type::eof(); }
    } full;
    std::ostream out(&full);
    EXPECT_EQ(kalmo::cli::run(3, argv, out, err), 1);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
}

TEST(CliUsage, BadCommandLinesExitWithTwo) {
    EXPECT_EQ(run_kalmo({}).status, 2);
    EXPECT_EQ(run_kalmo({"nonsense"}).status, 2);
    EXPECT_EQ(run_kalmo({"save", "only-one"}).status, 2);
    for (const char* date : {"2026-13-01", "2026-02-31", "2026-02-29", "2026-04-31", "2026-00-10"})
        EXPECT_EQ(run_kalmo({"save", "a", "b", "--today", date}).status, 2) << date;
    // A leap day is a date: the command runs (and fails on its missing file).
    EXPECT_EQ(run_kalmo({"save", "a", "b", "--today", "2028-02-29"}).status, 1);
    EXPECT_EQ(run_kalmo({"save", "a", "b", "--bogus", "1"}).status, 2);
}
