#include <gtest/gtest.h>

#include <random>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/fakes.h"
#include "core/phonebook/phonebook_file.h"

using namespace kalmo;
using namespace kalmo::phonebook;

namespace {
const char* kPath = "C:\\TEL\\KUNDEN.TLB";

struct PhonebookFileTest : ::testing::Test {
    test::MemoryFileSystem fs;
    test::RecordingUi ui;
    Phonebook book;

    std::uint16_t read(const std::string& content) {
        fs.files[kPath] = content;
        book.file_name = kPath;
        return read_phonebook_file(book, fs, ui);
    }
};

std::string bad_line(int number, const std::string& line) {
    return app::format("Fehlerhafter Eintrag im Telefonbuch\nZeilennummer %d\n\nEintrag: "
                       "%s\nignoriert!",
                       number, line.c_str());
}
} // namespace

TEST_F(PhonebookFileTest, TheSingleEntryExampleIsWrittenByteForByteAndReadsBack) {
    book.file_name = kPath;
    book.set_project_name(2, "Kunde A");
    book.add(Entry{"Bäckerei", "0049", "089", "123456", 2});
    EXPECT_EQ(write_phonebook_file(book, fs, ui), WriteResult::Written);
    EXPECT_EQ(fs.files.at(kPath), "[Telefonbuch]\r\n[Project 02;Kunde A]\r\n"
                                  "B\xE4"
                                  "ckerei;049;89;123456;\r\n[Ende Telefonbuch]\r\n");
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(book.sort_key(), kSortByProject);

    Phonebook back;
    back.file_name = kPath;
    EXPECT_EQ(read_phonebook_file(back, fs, ui), 1);
    EXPECT_EQ(back.at(0), (Entry{"Bäckerei", "0049", "089", "123456", 2}));
    EXPECT_EQ(back.project_name(2), "Kunde A");
    EXPECT_EQ(back.sort_key(), kSortByName);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(PhonebookFileTest, WriterGroupsByProjectAndDropsNamesOfProjectsWithoutEntries) {
    book.file_name = kPath;
    book.set_project_name(1, "Eins");
    book.set_project_name(5, "Fünf");
    book.set_project_name(10, "");
    book.add(Entry{"Zeta", "", "0", "1", 10});
    book.add(Entry{"Alpha", "", "", "2", 1});
    book.add(Entry{"Ohne", "", "", "3", 0});
    book.add(Entry{"Beta", "", "", "4", 1});
    ASSERT_EQ(write_phonebook_file(book, fs, ui), WriteResult::Written);
    EXPECT_EQ(fs.files.at(kPath), "[Telefonbuch]\r\nOhne;;;3;\r\n[Project 01;Eins]\r\nAlpha;;;2;"
                                  "\r\nBeta;;;4;\r\n[Project 10;]\r\nZeta;;;1;\r\n"
                                  "[Ende Telefonbuch]\r\n");
    Phonebook back;
    back.file_name = kPath;
    ASSERT_EQ(read_phonebook_file(back, fs, ui), 4);
    EXPECT_EQ(back.project_name(5), "");
    EXPECT_EQ(back.at(3).name, "Zeta");
    EXPECT_EQ(back.at(3).area_code, ""); // "0" alone has no tail to keep
    EXPECT_EQ(back.at(3).project, 10);
}

TEST_F(PhonebookFileTest, WriterAsksBeforeReplacingAndReportsWhatItCannotDo) {
    book.file_name = kPath;
    EXPECT_EQ(write_phonebook_file(book, fs, ui), WriteResult::Empty);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0], (app::Message{app::string_text(app::str::PhonebookEmpty), "Fehler",
                                         app::Buttons::Ok, app::Icon::Error}));
    EXPECT_EQ(fs.writes, 0);

    book.add(Entry{"A", "", "", "1", 0});
    fs.files[kPath] = "alt";
    ui.answers = {app::Answer::No};
    EXPECT_EQ(write_phonebook_file(book, fs, ui), WriteResult::Declined);
    EXPECT_EQ(ui.shown.back(),
              (app::Message{"Das File C:\\TEL\\KUNDEN.TLB. existiert bereits überschreiben ?",
                            "Information", app::Buttons::YesNo, app::Icon::Information}));
    EXPECT_EQ(fs.files.at(kPath), "alt");

    fs.unwritable[kPath] = true;
    ui.answers = {app::Answer::Yes};
    EXPECT_EQ(write_phonebook_file(book, fs, ui), WriteResult::Failed);
    EXPECT_EQ(ui.shown.back(), (app::Message{"Error writing C:\\TEL\\KUNDEN.TLB.", std::nullopt,
                                             app::Buttons::Ok, app::Icon::Error}));
    EXPECT_EQ(fs.files.at(kPath), "alt");
}

TEST_F(PhonebookFileTest, MissingFileEmptyFileAndForeignFile) {
    book.add(Entry{"Bleibt", "", "", "1", 0});
    book.file_name = "C:\\FEHLT.TLB";
    EXPECT_EQ(read_phonebook_file(book, fs, ui), 0);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Error kann C:\\FEHLT.TLB nicht öffnen"});
    EXPECT_EQ(ui.shown[0].caption, std::nullopt);
    EXPECT_EQ(book.file_name, "");
    EXPECT_EQ(book.count(), 1u); // the phonebook in memory stays

    ui.shown.clear();
    EXPECT_EQ(read("[Telefonbuch]\r\n"), 0);
    EXPECT_EQ(ui.shown, (std::vector<app::Message>{{"Keinen Eintrag gefunden", "Fehler",
                                                    app::Buttons::Ok, app::Icon::Warning}}));
    EXPECT_EQ(book.file_name, "");
    EXPECT_EQ(book.count(), 0u);

    ui.shown.clear();
    EXPECT_EQ(read("[Gebuehren]\nA;;;1;\n"), 0);
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{"Error C:\\TEL\\KUNDEN.TLB ist keine Telefonbuchdatei.",
                                        "Keinen Eintrag gefunden"}));

    ui.shown.clear();
    EXPECT_EQ(read(""), 0);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Keinen Eintrag gefunden"});
}

TEST_F(PhonebookFileTest, ProjectHeadersCommentsAndLinesAfterTheEndLine) {
    ASSERT_EQ(read("[Telefonbuch] alt\n"
                   "-------- Kunden --------\n"
                   "[Project 1;Kunde]\n"
                   "A1;;;1;\n"
                   "[Project 11;X]\n"
                   "A2;;;2;\n"
                   "[Project 00;X]\n"
                   "A3;;;3;\n"
                   "[Project 03]\n"
                   "C1;;;4;\n"
                   "[Project 04;Lieferant]weiter\n"
                   "D1;;;5;\n"
                   "[Project 05;Ohne Klammer\n"
                   "[Ende Telefonbuch]\n"
                   "Z1;;;6;\n"
                   "[Project 07;Ein sehr langer Name]\n"
                   "G1;;;7;\n"),
              7);
    EXPECT_TRUE(ui.shown.empty());
    std::map<std::string, int> project;
    for (std::size_t i = 0; i < book.count(); ++i)
        project[book.at(i).name] = book.at(i).project;
    EXPECT_EQ(project,
              (std::map<std::string, int>{
                  {"A1", 1}, {"A2", 1}, {"A3", 1}, {"C1", 3}, {"D1", 4}, {"Z1", 0}, {"G1", 7}}));
    EXPECT_EQ(book.project_name(1), "Kunde");
    EXPECT_EQ(book.project_name(3), "");
    EXPECT_EQ(book.project_name(4), "Lieferant");
    EXPECT_EQ(book.project_name(5), "Ohne Klammer");
    EXPECT_EQ(book.project_name(7), "Ein sehr lang");
}

TEST_F(PhonebookFileTest, FieldsAreTrimmedAndCodesGetTheirZeroBack) {
    ASSERT_EQ(read("[Telefonbuch]\n"
                   "  Name mit Blanks  ;49;89;  4711 ;Rest wird ignoriert;\n"
                   "\xFF\xFFNull;;;1;\n"
                   "Blank; 49;;2;\n"
                   "Lang 1234567890123456789012345;12345;1234567;123456789012345;\n"
                   "Abcdefghijklmnopqrstuv  xyz;123 5;;9;\n"),
              5);
    EXPECT_TRUE(ui.shown.empty());
    book.sort(kSortByNumber);
    EXPECT_EQ(book.at(0), (Entry{"Null", "", "", "1", 0}));
    EXPECT_EQ(book.at(1), (Entry{"Blank", "0 49", "", "2", 0}));
    // A cut leaves no blank at the end, or the next reading would give another text.
    EXPECT_EQ(book.at(2), (Entry{"Abcdefghijklmnopqrstuv", "0123", "", "9", 0}));
    EXPECT_EQ(book.at(3), (Entry{"Name mit Blanks", "049", "089", "4711", 0}));
    // Cut to the storage of each field.
    EXPECT_EQ(book.at(4),
              (Entry{"Lang 1234567890123456789", "01234", "0123456", "12345678901", 0}));
}

TEST_F(PhonebookFileTest, BadLinesAreReportedWithTheirNumbersAndSkipped) {
    ASSERT_EQ(read("[Telefonbuch]\r\n"
                   "A;;;1;\r\n"
                   "\r\n"
                   "B;;;2\r\n"
                   "-kommentar\r\n"
                   "C;;;3;\r\n"
                   "kein Eintrag"),
              2);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{bad_line(3, "\n"), bad_line(4, "B;;;2\n"),
                                                    bad_line(7, "kein Eintrag")}));
    EXPECT_EQ(ui.shown[0].caption, std::nullopt);
    EXPECT_EQ(ui.shown[0].icon, app::Icon::Error);
}

TEST_F(PhonebookFileTest, LongLinesAreReadInPiecesAndLineNumbersWrapAt16Bits) {
    // 300 bytes without a line end: one piece of 254, one of the rest.
    const std::string longline = std::string(250, 'x') + ";;;1;" + std::string(45, 'y') + "\n";
    ASSERT_EQ(read("[Telefonbuch]\n" + longline), 0);
    ASSERT_EQ(ui.shown.size(), 3u);
    EXPECT_EQ(ui.shown[0].text, bad_line(2, longline.substr(0, 254)));
    EXPECT_EQ(ui.shown[1].text, bad_line(3, longline.substr(254)));

    ui.shown.clear();
    std::string many = "[Telefonbuch]\n";
    for (int i = 2; i < 65535; ++i)
        many += "-\n";
    many += "bad 65535\nbad 0\nA;;;1;\n";
    ASSERT_EQ(read(many), 1);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{
                              "Fehlerhafter Eintrag im Telefonbuch\nZeilennummer unbestimmt\n\n"
                              "Eintrag: bad 65535\n\nignoriert!",
                              bad_line(0, "bad 0\n")}));
}

TEST_F(PhonebookFileTest, AJunkFileNamesAFewBadLinesAndCountsTheRest) {
    std::string file = "[Telefonbuch]\nA;;;1;\n";
    for (int i = 0; i < 20000; ++i)
        file += "junk " + std::to_string(i) + "\n";
    ASSERT_EQ(read(file), 1);
    ASSERT_EQ(ui.shown.size(), kNamedBadLines + 1);
    EXPECT_EQ(ui.shown[0].text, bad_line(3, "junk 0\n"));
    EXPECT_EQ(ui.shown[kNamedBadLines - 1].text, bad_line(7, "junk 4\n"));
    EXPECT_EQ(ui.shown.back().text, "19995 weitere fehlerhafte Zeilen ignoriert");
    EXPECT_EQ(ui.shown.back().icon, app::Icon::Error);

    // Exactly as many bad lines as are named: no summary.
    ui.shown.clear();
    std::string few = "[Telefonbuch]\nA;;;1;\n";
    for (unsigned i = 0; i < kNamedBadLines; ++i)
        few += "junk\n";
    ASSERT_EQ(read(few), 1);
    EXPECT_EQ(ui.shown.size(), kNamedBadLines);
}

TEST_F(PhonebookFileTest, AZeroByteEndsTheLine) {
    static const char file[] = "[Telefonbuch]\nA;;;1;\nB\0;;;;\n";
    ASSERT_EQ(read(std::string(file, sizeof file - 1)), 1);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{bad_line(3, "B")});
}

TEST_F(PhonebookFileTest, ReadingStopsAtTheThousandthEntryWithAMessage) {
    std::string file = "[Telefonbuch]\n";
    for (int i = 0; i < 1002; ++i)
        file += "N" + std::to_string(i) + ";;;" + std::to_string(i) + ";\n";
    ASSERT_EQ(read(file), 1000);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Telefonbuch voll\nZeilennummer 1002\n\nEintrag: N1000;;;1000;\n"
                                "\nDieser und alle weiteren Einträge ignoriert!");
    EXPECT_EQ(book.file_name, kPath);
    book.sort(kSortByNumber);
    EXPECT_EQ(book.at(999).number, "999");
}

TEST_F(PhonebookFileTest, EntriesAreInNameOrderByInitialKeepingFileOrderWithin) {
    ASSERT_EQ(read("[Telefonbuch]\nBrot;;;1;\nanna;;;2;\nBank;;;3;\nAxel;;;4;\n"), 4);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < book.count(); ++i)
        names.push_back(book.at(i).name);
    EXPECT_EQ(names, (std::vector<std::string>{"anna", "Axel", "Brot", "Bank"}));
}

TEST_F(PhonebookFileTest, NamesThatLookLikeCommentsOrSectionsSurviveTheRoundTrip) {
    book.file_name = kPath;
    book.set_project_name(3, "P");
    book.add(Entry{"-Minus", "", "", "1", 3});
    book.add(Entry{"[Klammer]", "", "", "2", 3});
    book.add(Entry{"Danach", "", "", "3", 3});
    ASSERT_EQ(write_phonebook_file(book, fs, ui), WriteResult::Written);
    EXPECT_NE(fs.files.at(kPath).find("\r\n -Minus;;;1;\r\n [Klammer];;;2;\r\n"),
              std::string::npos);
    Phonebook back;
    back.file_name = kPath;
    ASSERT_EQ(read_phonebook_file(back, fs, ui), 3);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(back.at(i).project, 3) << back.at(i).name;
    back.sort(kSortByNumber);
    EXPECT_EQ(back.at(0).name, "-Minus");
    EXPECT_EQ(back.at(1).name, "[Klammer]");
}

// Every phonebook the editor can build reads back entry for entry after a save.
TEST_F(PhonebookFileTest, RandomPhonebooksSurviveSaveAndRead) {
    std::mt19937 rng(4711);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto digits = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += static_cast<char>('0' + pick(10));
        return s;
    };
    for (int round = 0; round < 40; ++round) {
        Phonebook original;
        original.file_name = kPath;
        for (unsigned p = 1; p <= kProjectCount; ++p)
            if (pick(3) != 0) original.set_project_name(p, "Projekt " + digits(pick(6)));
        const int count = 1 + pick(round == 0 ? 1000 : 60);
        for (int i = 0; i < count; ++i) {
            Entry e;
            // Names as the editor stores them: trimmed, no ';' and no line end.
            const int len = pick(25);
            for (int k = 0; k < len; ++k) {
                char c;
                do
                    c = static_cast<char>(1 + pick(255));
                while (c == ';' || c == '\n' || c == '\r');
                e.name += c;
            }
            app::trim_text(e.name);
            e.country_code = pick(2) ? "" : "0" + digits(1 + pick(4));
            e.area_code = pick(3) == 0 ? "" : "0" + digits(1 + pick(6));
            e.number = digits(pick(8)) + std::string(static_cast<std::size_t>(pick(3)), '*');
            if (e.number.empty()) e.number = "*";
            e.project = static_cast<std::int8_t>(pick(11));
            original.add(e);
        }
        std::vector<Entry> before;
        for (std::size_t i = 0; i < original.count(); ++i)
            before.push_back(original.at(i));

        fs.files.clear();
        ASSERT_EQ(write_phonebook_file(original, fs, ui), WriteResult::Written);
        Phonebook back;
        back.file_name = kPath;
        ASSERT_EQ(read_phonebook_file(back, fs, ui), before.size());
        ASSERT_TRUE(ui.shown.empty()) << ui.shown[0].text;

        // The reader sorts by name within the project order the writer left.
        original.sort(kSortByName);
        for (std::size_t i = 0; i < before.size(); ++i)
            ASSERT_EQ(back.at(i), original.at(i)) << "round " << round << " entry " << i;
        for (unsigned p = 1; p <= kProjectCount; ++p) {
            bool used = false;
            for (const Entry& e : before)
                used = used || e.project == static_cast<std::int8_t>(p);
            EXPECT_EQ(back.project_name(p), used ? original.project_name(p) : "");
        }
    }
}

TEST_F(PhonebookFileTest, StartUpKeepsTheNameOnlyWhenTheFileYieldsEntries) {
    fs.files[kPath] = "[Telefonbuch]\r\n[Project 01;Kunde]\r\nBank;;89;4711;\r\n";
    book.add(Entry{"Alt", "", "", "1", 0});
    book.set_project_name(3, "Alt");
    EXPECT_EQ(load_phonebook_at_start(book, kPath, fs, ui), kPath);
    EXPECT_EQ(book.file_name, kPath);
    ASSERT_EQ(book.count(), 1u);
    EXPECT_EQ(book.at(0), (Entry{"Bank", "", "089", "4711", 1}));
    EXPECT_EQ(book.project_name(1), "Kunde");
    EXPECT_EQ(book.project_name(3), "") << "cleared before reading";
    EXPECT_TRUE(ui.shown.empty());

    // A missing file: its message, the name dropped.
    EXPECT_EQ(load_phonebook_at_start(book, "C:\\TEL\\WEG.TLB", fs, ui), "");
    EXPECT_EQ(book.file_name, "");
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Error kann C:\\TEL\\WEG.TLB nicht öffnen"});
    EXPECT_EQ(book.count(), 0u) << "start-up clears the phonebook even when the read fails";

    // A file without entries: the no-entry message, the name dropped.
    ui.shown.clear();
    fs.files[kPath] = "[Telefonbuch]\r\n[Ende Telefonbuch]\r\n";
    EXPECT_EQ(load_phonebook_at_start(book, kPath, fs, ui), "");
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Keinen Eintrag gefunden"});

    // No name: nothing read, nothing shown, an empty phonebook.
    ui.shown.clear();
    book.add(Entry{"Alt", "", "", "1", 0});
    EXPECT_EQ(load_phonebook_at_start(book, "", fs, ui), "");
    EXPECT_EQ(book.count(), 0u);
    EXPECT_TRUE(ui.shown.empty());
}
