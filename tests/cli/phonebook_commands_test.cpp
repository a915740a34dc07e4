#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/cli_run.h"
#include "platform/platform.h"

namespace {

struct PhonebookCommandTest : ::testing::Test {
    std::string path;

    void SetUp() override {
        path = ::testing::TempDir() + "kalmo_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".tlb";
    }
    void TearDown() override { std::remove(path.c_str()); }

    void write(const std::string& content) {
        std::ofstream f(path, std::ios::binary);
        f << content;
    }
    int run(std::vector<std::string> args, std::string& out, std::string& err) {
        const auto r = kalmo::test::kalmo_cli(std::move(args));
        out = r.out;
        err = r.err;
        return r.status;
    }
};

} // namespace

TEST_F(PhonebookCommandTest, ListsTheEditorLinesAndLooksUpNumbers) {
    // The file holds Windows-1252 bytes; the console gets UTF-8.
    write("[Telefonbuch]\r\n[Project 02;Kunde A]\r\nB\xE4"
          "ckerei;049;89;123456;\r\n[Ende Telefonbuch]\r\nFirma;;89;1234**;\r\n\r\n");
    std::string out, err;
    // The list is shown, but the ignored line (the empty one) makes it incomplete.
    EXPECT_EQ(run({"phonebook", path}, out, err), 1);
    // Windows-1252 here, the console's encoding in the output.
    using kalmo::platform::to_console;
    EXPECT_EQ(out,
              to_console(" Bäckerei                   | 0049 | 089   | 123456       | Kunde A \n"
                         " Firma                      |      | 089   | 1234**       |  \n"));
    EXPECT_EQ(err, "Meldung: Fehlerhafter Eintrag im Telefonbuch\nZeilennummer 6\n\nEintrag: "
                   "\n\nignoriert!\n");

    EXPECT_EQ(run({"lookup", path, "004989123456", "089123499", "0891234567", "4711"}, out, err),
              0);
    EXPECT_EQ(out, to_console("Bäckerei;2\nFirma-99;0\n0891234567;0\n4711;0\n"));
}

TEST_F(PhonebookCommandTest, AFileWithoutEntriesFails) {
    write("[Telefonbuch]\r\n[Ende Telefonbuch]\r\n");
    std::string out, err;
    EXPECT_EQ(run({"lookup", path, "123"}, out, err), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "Fehler: Keinen Eintrag gefunden\n");
    EXPECT_EQ(run({"phonebook"}, out, err), 2);
}
