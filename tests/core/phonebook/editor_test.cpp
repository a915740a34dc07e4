#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "core/app/strings.h"
#include "core/fakes.h"
#include "core/phonebook/editor.h"
#include "core/phonebook/phonebook_file.h"

using namespace kalmo;
using namespace kalmo::phonebook;

namespace {

// A few characters of the two code pages; everything else stays.
class FakeCodePage : public app::CodePage {
public:
    std::string ansi_to_oem(std::string_view text) override {
        return map(text, {{'\xE4', '\x84'}, {'\xA0', '\xFF'}, {'\x84', ','}});
    }
    std::string oem_to_ansi(std::string_view text) override {
        return map(text, {{'\x84', '\xE4'}, {'\xFF', '\xA0'}});
    }

private:
    static std::string map(std::string_view text, std::map<char, char> table) {
        std::string out(text);
        for (char& c : out)
            if (table.count(c)) c = table[c];
        return out;
    }
};

struct EditorTest : ::testing::Test {
    test::RecordingUi ui;
    FakeCodePage code_page;
    Phonebook book;
    Editor editor{book, ui, code_page};

    void SetUp() override {
        book.set_project_name(1, "Kunde");
        book.set_project_name(2, "Lieferant");
        book.set_project_name(4, "Privat");
        editor.prepare();
    }
    // Shows the entry at `line` so that the combo map is the dialog's, as after a click.
    void click(int line) { editor.list_notification(line); }
    std::vector<std::string> messages() const { return ui.texts(); }
};

EntryFields fields(std::string name, std::string number, std::string area = "",
                   std::string country = "") {
    return EntryFields{std::move(name), std::move(number), std::move(area), std::move(country)};
}

} // namespace

TEST_F(EditorTest, EmptyPhonebookDisablesTheEntryButtonsUntilTheFirstInsertion) {
    const Fill opened = editor.open();
    EXPECT_TRUE(opened.lines.empty());
    EXPECT_EQ(opened.shown, std::nullopt);
    EXPECT_EQ(opened.enable_entry_buttons, false);
    EXPECT_EQ(opened.selected_line, -1);
    // Clicking into the empty list shows nothing.
    EXPECT_EQ(editor.list_notification(-1), std::nullopt);
    EXPECT_EQ(editor.list_notification(0), std::nullopt);

    const auto inserted = editor.insert(fields("Apotheke", "4711"), -1);
    ASSERT_TRUE(inserted);
    EXPECT_EQ(
        inserted->lines,
        std::vector<std::string>{" Apotheke                   |      |       | 4711         |  "});
    EXPECT_EQ(inserted->enable_entry_buttons, true);
    EXPECT_EQ(inserted->selected_line, 0);
    EXPECT_TRUE(book.changed);
    ASSERT_TRUE(inserted->shown);
    EXPECT_EQ(inserted->shown->fields, fields("Apotheke", "4711"));
    EXPECT_EQ(inserted->shown->combo_items,
              (std::vector<std::string>{"", "Kunde", "Lieferant", "Privat"}));
    EXPECT_EQ(inserted->shown->combo_selection, 0);

    // The next fill leaves the buttons as they are.
    EXPECT_EQ(editor.sort(kSortByName).enable_entry_buttons, std::nullopt);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(EditorTest, ListLinesShowCodesInFullAndTheProjectName) {
    book.add(Entry{"Bäckerei", "0049", "089", "123456", 4});
    book.add(Entry{"Sehr langer Name mit 24Z", "00431", "0891234", "12345678901", 3});
    const Fill f = editor.open();
    EXPECT_EQ(f.lines, (std::vector<std::string>{
                           " Bäckerei                   | 0049 | 089   | 123456       | Privat ",
                           " Sehr langer Name mit 24Z   | 00431 | 0891234 | 12345678901  |  "}));
    ASSERT_TRUE(f.shown);
    EXPECT_EQ(f.shown->fields, fields("Bäckerei", "123456", "089", "0049"));
    EXPECT_EQ(f.shown->combo_selection, 3);
    // Project 3 has no name: the empty item.
    EXPECT_EQ(editor.list_notification(1)->combo_selection, 0);
}

TEST_F(EditorTest, FieldChecksInTheirOrderWithTheirMessages) {
    struct Case {
        EntryFields in;
        unsigned message;
    };
    const std::vector<Case> refused = {
        {fields("", "4711"), app::str::NameMissing},
        {fields("", "x", "x", "x"), app::str::NameMissing},
        {fields("A;B", "4711"), app::str::NameInvalid},
        {fields("A", ""), app::str::NumberInvalid},
        {fields("A", "12*3"), app::str::NumberInvalid},
        {fields("A", "12 3"), app::str::NumberInvalid},
        {fields("A", " 123"), app::str::NumberInvalid},
        {fields("A", "12a"), app::str::NumberInvalid},
        {fields("A", "123", "x", "00 49"), app::str::CountryCodeInvalid},
        {fields("A", "123", "", "49"), app::str::CountryCodeInvalid},
        {fields("A", "123", "08 9", "0049"), app::str::AreaCodeInvalid},
        {fields("A", "123", "89"), app::str::AreaCodeInvalid},
    };
    for (const Case& c : refused) {
        ui.shown.clear();
        EXPECT_EQ(editor.insert(c.in, 0), std::nullopt) << c.in.name << "/" << c.in.number;
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0], (app::Message{app::string_text(c.message), "Fehler",
                                             app::Buttons::Ok, app::Icon::Error}));
    }
    EXPECT_EQ(book.count(), 0u);
    EXPECT_FALSE(book.changed);

    ui.shown.clear();
    for (const EntryFields& ok :
         {fields("A", "123**"), fields("B", "*"), fields("C", "1", "089", "0049"),
          fields("   ", "2"), fields("  Blanks  ", "3", "0", "5")})
        EXPECT_TRUE(editor.insert(ok, 0)) << ok.name;
    EXPECT_TRUE(ui.shown.empty());
    book.sort(kSortByNumber);
    EXPECT_EQ(book.at(0), (Entry{"B", "", "", "*", 0}));
    EXPECT_EQ(book.at(1), (Entry{"C", "0049", "089", "1", 0}));
    EXPECT_EQ(book.at(2), (Entry{"", "", "", "2", 0}));
    // Codes of one character have no tail and are dropped.
    EXPECT_EQ(book.at(3), (Entry{"Blanks", "", "", "3", 0}));
}

TEST_F(EditorTest, SameNumberInTwoProjectsAndDuplicates) {
    editor.open();
    ASSERT_TRUE(editor.insert(fields("A", "4711"), 0));
    click(0);
    // Combo item 1 is project 1 "Kunde", item 2 project 2, item 3 project 4.
    ASSERT_TRUE(editor.change(0, fields("A", "4711"), 1) == std::nullopt);
    EXPECT_EQ(messages().back(), app::string_text(app::str::EntryExists));

    ui.shown.clear();
    book.replace(0, Entry{"A", "", "", "4711", 1});
    EXPECT_EQ(editor.insert(fields("B", "4711"), 2), std::nullopt);
    EXPECT_EQ(messages(),
              std::vector<std::string>{app::string_text(app::str::NumberInTwoProjects)});
    EXPECT_TRUE(editor.insert(fields("B", "4711"), 1));
    EXPECT_TRUE(editor.insert(fields("C", "4711"), 0));
    // Other codes: another number.
    EXPECT_TRUE(editor.insert(fields("D", "4711", "089"), 3));
    EXPECT_EQ(editor.insert(fields("A", "4711"), 0), std::nullopt);
    EXPECT_EQ(messages().back(), app::string_text(app::str::EntryExists));
    EXPECT_EQ(book.count(), 4u);
}

TEST_F(EditorTest, ChangingOnlyTheProjectIsRefusedWith126Or127) {
    book.add(Entry{"A", "", "", "4711", 1});
    book.add(Entry{"B", "", "", "0815", 0});
    editor.open();
    click(0);
    // Project 1 to project 2, name unchanged or changed: the old entry still holds the number.
    EXPECT_EQ(editor.change(0, fields("A", "4711"), 2), std::nullopt);
    EXPECT_EQ(editor.change(0, fields("Anders", "4711"), 2), std::nullopt);
    EXPECT_EQ(messages(),
              std::vector<std::string>(2, app::string_text(app::str::NumberInTwoProjects)));
    // An entry without project given one: only the duplicate check can refuse it.
    ui.shown.clear();
    click(1);
    EXPECT_EQ(editor.change(1, fields("B", "0815"), 2), std::nullopt);
    EXPECT_EQ(messages(), std::vector<std::string>{app::string_text(app::str::EntryExists)});
    EXPECT_EQ(book.at(1).project, 0);
    EXPECT_FALSE(book.changed);

    ui.shown.clear();
    EXPECT_EQ(editor.change(-1, fields("B", "0815"), 0), std::nullopt);
    EXPECT_EQ(messages(), std::vector<std::string>{app::string_text(app::str::NoEntryMarked)});

    const auto changed = editor.change(1, fields("B", "0816"), 2);
    ASSERT_TRUE(changed);
    EXPECT_EQ(book.at(1), (Entry{"B", "", "", "0816", 2}));
    EXPECT_TRUE(book.changed);
    EXPECT_EQ(changed->selected_line, 1);
}

TEST_F(EditorTest, ChangeResortsAndKeepsTheLineNumber) {
    book.add(Entry{"Anna", "", "", "1", 0});
    book.add(Entry{"Berta", "", "", "2", 0});
    book.sort(kSortByName);
    editor.open();
    const auto f = editor.change(0, fields("Zora", "1"), 0);
    ASSERT_TRUE(f);
    EXPECT_EQ(book.at(0).name, "Berta");
    EXPECT_EQ(book.at(1).name, "Zora");
    EXPECT_EQ(f->selected_line, 0);
    EXPECT_EQ(f->shown->fields.name, "Berta");
}

TEST_F(EditorTest, DeleteSelectsThePreviousLineAndReusesTheSlot) {
    for (const char* name : {"A", "B", "C"})
        book.add(Entry{name, "", "", "1", 0});
    editor.open();
    // Without a selection nothing is deleted.
    Fill f = editor.remove(-1);
    EXPECT_EQ(book.count(), 3u);
    EXPECT_EQ(f.selected_line, 0);
    EXPECT_FALSE(book.changed);

    f = editor.remove(2);
    EXPECT_EQ(f.selected_line, 1);
    EXPECT_TRUE(book.changed);
    f = editor.remove(0);
    EXPECT_EQ(f.lines.size(), 1u);
    EXPECT_EQ(f.selected_line, 0);
    EXPECT_EQ(f.shown->fields.name, "B");

    // The lowest free slot is taken and the new entry is selected where the sort put it.
    const auto inserted = editor.insert(fields("A2", "5"), 0);
    ASSERT_TRUE(inserted);
    EXPECT_EQ(book.slot_of(0), 0);
    EXPECT_EQ(book.at(0).name, "A2");
    EXPECT_EQ(inserted->selected_line, 0);

    editor.remove(1);
    f = editor.remove(0);
    EXPECT_TRUE(f.lines.empty());
    EXPECT_EQ(f.enable_entry_buttons, false);
    EXPECT_EQ(f.selected_line, -1);
}

TEST_F(EditorTest, FullPhonebookRefusesWith130) {
    for (std::size_t i = 0; i < kCapacity; ++i)
        book.add(Entry{"X", "", "", std::to_string(i), 0});
    EXPECT_EQ(editor.insert(fields("Y", "1"), 0), std::nullopt);
    EXPECT_EQ(messages(), std::vector<std::string>{"Telefonbuch voll"});
    EXPECT_FALSE(book.changed);
}

TEST_F(EditorTest, SearchWalksTheRunOfTheTermsInitial) {
    for (const char* name : {"Anton", "Bank", "Maier", "Meier", "Müller", "Zoo"})
        book.add(Entry{name, "", "", "1", 0});
    book.sort(kSortByName);
    EXPECT_EQ(editor.search("M"), 2);
    EXPECT_EQ(editor.search("Me"), 3);
    EXPECT_EQ(editor.search(" Mü "), 4);
    EXPECT_EQ(editor.search("m"), std::nullopt);
    EXPECT_EQ(editor.search("Mx"), std::nullopt);
    EXPECT_EQ(editor.search(""), std::nullopt);
    EXPECT_EQ(editor.search("Zoo und mehr"), std::nullopt);
    // In another order only the first run of the initial is searched.
    book.add(Entry{"Max", "", "", "1", 0});
    EXPECT_EQ(editor.search("Max"), std::nullopt);
}

TEST_F(EditorTest, CodePageConversionConvertsAgainOnEveryPress) {
    book.add(Entry{"M\xE4"
                   "dchen",
                   "", "", "1", 0});
    book.add(Entry{"\xA0Vorne", "", "", "2", 0});
    editor.open();
    Fill f = editor.convert_to_oem(1);
    EXPECT_EQ(book.at(0).name, "M\x84"
                               "dchen");
    // 0xFF leads the converted name: trimmed, as the file would give it back.
    EXPECT_EQ(book.at(1).name, "Vorne");
    EXPECT_EQ(f.selected_line, 1);
    EXPECT_TRUE(book.changed);

    editor.convert_to_ansi(-1);
    EXPECT_EQ(book.at(0).name, "M\xE4"
                               "dchen");
    editor.convert_to_oem(0);
    f = editor.convert_to_oem(7);
    EXPECT_EQ(book.at(0).name, "M,dchen");
    EXPECT_EQ(f.selected_line, 0);
}

TEST(ProjectNames, TrimDuplicatesAndChangedFlag) {
    test::RecordingUi ui;
    Phonebook book;
    book.set_project_name(3, "Alt");
    std::array<std::string, kProjectCount> f = project_name_fields(book);
    EXPECT_EQ(f[2], "Alt");
    f[0] = "Gleich";
    f[3] = "  Gleich ";
    f[6] = "Gleich";
    f[1] = "Fall";
    f[4] = "fall";
    f[7] = "Ein viel zu langer Name";
    take_project_names(book, f, ui);
    EXPECT_TRUE(book.changed);
    EXPECT_EQ(ui.shown, (std::vector<app::Message>(
                            2, app::Message{"Projekteintrag doppelt\nEintrag gelöscht", "Fehler",
                                            app::Buttons::Ok, app::Icon::Error})));
    EXPECT_EQ(book.project_name(1), "Gleich");
    EXPECT_EQ(book.project_name(4), "");
    EXPECT_EQ(book.project_name(7), "");
    EXPECT_EQ(book.project_name(2), "Fall");
    EXPECT_EQ(book.project_name(5), "fall");
    EXPECT_EQ(book.project_name(8), "Ein viel zu l");

    // Retyping the names unchanged (blanks around them) changes nothing.
    book.changed = false;
    ui.shown.clear();
    f = project_name_fields(book);
    f[0] = " Gleich  ";
    take_project_names(book, f, ui);
    EXPECT_FALSE(book.changed);
    EXPECT_TRUE(ui.shown.empty());
}

namespace {
// The dialogs as scripts.
class ScriptedHost : public EditorHost {
public:
    std::optional<std::string> choose_phonebook_file(const std::string& title,
                                                     const std::string& current) override {
        titles.push_back(title + "|" + current);
        return chosen;
    }
    void run_phonebook_editor(Editor& editor) override {
        ++editor_runs;
        if (phonebook_script) phonebook_script(editor);
    }
    void run_project_names_editor(Phonebook& book) override {
        ++project_runs;
        if (project_script) project_script(book);
    }
    void enable_phonebook_menu() override { menu_enabled = true; }

    std::optional<std::string> chosen;
    std::vector<std::string> titles;
    std::function<void(Editor&)> phonebook_script;
    std::function<void(Phonebook&)> project_script;
    int editor_runs = 0;
    int project_runs = 0;
    bool menu_enabled = false;
};

struct CommandsTest : ::testing::Test {
    test::MemoryFileSystem fs;
    test::RecordingUi ui;
    FakeCodePage code_page;
    ScriptedHost host;
    Phonebook book;
    PhonebookCommands commands{book, fs, ui, code_page, host};
};
} // namespace

TEST_F(CommandsTest, NewPhonebookCancelledKeepsEverything) {
    book.file_name = "ALT.TLB";
    book.add(Entry{"A", "", "", "1", 0});
    commands.new_phonebook();
    EXPECT_EQ(host.titles, std::vector<std::string>{"Telefonbuch Neu|"});
    EXPECT_EQ(book.file_name, "ALT.TLB");
    EXPECT_EQ(book.count(), 1u);
    EXPECT_EQ(host.editor_runs + host.project_runs, 0);
}

TEST_F(CommandsTest, NewPhonebookNamesProjectsThenEditsAndSaves) {
    book.add(Entry{"Alt", "", "", "1", 0});
    book.sort(kSortByNumber);
    host.chosen = "NEU.TLB";
    host.project_script = [&](Phonebook& b) {
        auto f = project_name_fields(b);
        f[1] = "Kunde";
        take_project_names(b, f, ui);
    };
    host.phonebook_script = [&](Editor& e) {
        EXPECT_EQ(e.open().lines.size(), 0u);
        e.insert(fields("Bäckerei", "123456", "089", "0049"), 0);
        e.list_notification(0);
        e.change(0, fields("Bäckerei", "123456", "089", "0049"), 1);
    };
    commands.new_phonebook();
    EXPECT_TRUE(host.menu_enabled);
    EXPECT_EQ(book.file_name, "NEU.TLB");
    // The project names' save question meets an empty phonebook; the editor's saves it all.
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{app::string_text(app::str::PhonebookChanged),
                                                    app::string_text(app::str::PhonebookEmpty),
                                                    app::string_text(app::str::EntryExists),
                                                    app::string_text(app::str::PhonebookChanged)}));
    EXPECT_EQ(ui.shown[0], (app::Message{app::string_text(app::str::PhonebookChanged),
                                         "Information", app::Buttons::YesNo, app::Icon::Warning}));
    EXPECT_EQ(fs.files.at("NEU.TLB"), "[Telefonbuch]\r\nB\xE4"
                                      "ckerei;049;89;123456;\r\n[Ende Telefonbuch]\r\n");
    EXPECT_EQ(book.sort_key(), kSortByProject);
}

TEST_F(CommandsTest, OpenReadsAndEditsNoSaveQuestionAfterASortOnly) {
    fs.files["K.TLB"] = "[Telefonbuch]\nA;;;1;\n";
    host.chosen = "K.TLB";
    host.phonebook_script = [](Editor& e) {
        e.open();
        e.sort(kSortByNumber);
    };
    EXPECT_TRUE(commands.open_phonebook());
    EXPECT_EQ(host.titles, std::vector<std::string>{"Telefonbuch Öffnen|"});
    EXPECT_EQ(host.editor_runs, 1);
    EXPECT_TRUE(ui.shown.empty());

    // A file without entries: no editor.
    fs.files["LEER.TLB"] = "[Telefonbuch]\n";
    host.chosen = "LEER.TLB";
    EXPECT_FALSE(commands.open_phonebook());
    EXPECT_EQ(host.editor_runs, 1);
    EXPECT_EQ(book.file_name, "");

    host.chosen.reset();
    EXPECT_FALSE(commands.open_phonebook());
}

TEST_F(CommandsTest, AnsweringNoKeepsTheChangesInMemoryOnly) {
    book.file_name = "K.TLB";
    book.add(Entry{"A", "", "", "1", 0});
    host.phonebook_script = [](Editor& e) {
        e.open();
        e.remove(0);
        e.insert(fields("B", "2"), 0);
    };
    ui.answers = {app::Answer::No};
    commands.edit_phonebook();
    EXPECT_EQ(fs.writes, 0);
    EXPECT_EQ(book.at(0).name, "B");
    EXPECT_TRUE(book.changed);
}

// Whatever the editor accepts, from any field texts, reads back the same after a save.
TEST_F(CommandsTest, EveryAcceptedEntryReadsBackUnchanged) {
    std::mt19937 rng(31);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const std::string alphabet = std::string("0123456789* -[;]\t\xFF\xA0\xE4\r\n") + "abcXYZ";
    const auto text = [&](int max) {
        std::string s;
        for (int i = pick(max + 1); i > 0; --i)
            s += alphabet[static_cast<std::size_t>(pick(static_cast<int>(alphabet.size())))];
        return s;
    };
    const auto digits = [&](int max) {
        std::string s = pick(2) ? "0" : "";
        for (int i = pick(max); i > 0; --i)
            s += static_cast<char>('0' + pick(10));
        return s;
    };
    for (unsigned p = 1; p <= kProjectCount; ++p)
        book.set_project_name(p, "P" + std::to_string(p));
    Editor editor(book, ui, code_page);
    editor.prepare();
    editor.open();
    book.add(Entry{"Start", "", "", "1", 1});
    editor.list_notification(0); // the combo now offers the ten projects
    for (int i = 0; i < 3000 && book.count() < 400; ++i) {
        EntryFields f;
        f.name = text(26);
        f.number =
            pick(4) ? digits(9) + std::string(static_cast<std::size_t>(pick(3)), '*') : text(11);
        f.area_code = pick(4) ? digits(7) : text(7);
        f.country_code = pick(4) ? digits(5) : text(5);
        editor.insert(f, pick(12) - 1);
    }
    ASSERT_GT(book.count(), 100u);
    std::vector<Entry> accepted;
    for (std::size_t i = 0; i < book.count(); ++i)
        accepted.push_back(book.at(i));

    book.file_name = "R.TLB";
    ui.shown.clear();
    ASSERT_EQ(write_phonebook_file(book, fs, ui), WriteResult::Written);
    Phonebook back;
    back.file_name = "R.TLB";
    ASSERT_EQ(read_phonebook_file(back, fs, ui), accepted.size());
    EXPECT_TRUE(ui.shown.empty());
    book.sort(kSortByName);
    for (std::size_t i = 0; i < book.count(); ++i)
        ASSERT_EQ(back.at(i), book.at(i)) << i;
}
