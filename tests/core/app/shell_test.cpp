// The main window's logic: command table, menu state, title, help contexts, picture places,
// About box line, port dialog and toolbar tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "core/app/help.h"
#include "core/app/help_contexts.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/fakes.h"

namespace kalmo::app {
namespace {

TEST(CommandTable, EveryMenuAndToolbarCommandHasItsAction) {
    const std::pair<unsigned, Action> table[] = {
        {IDM_FILE_OPEN, Action::OpenChargeFile},
        {IDM_FILE_SAVE, Action::SaveChargeFile},
        {IDM_FILE_SAVE_AS, Action::SaveChargeFileAs},
        {IDM_READ_CHARGES, Action::ReadCharges},
        {IDM_DELETE_CHARGES, Action::DeleteCharges},
        {IDM_READ_CALLS, Action::ReadCalls},
        {IDM_DELETE_CALLS, Action::DeleteCalls},
        {IDM_EXIT, Action::Exit},
        {IDM_ABOUT, Action::About},
        {IDM_PORT, Action::PortDialog},
        {IDM_PRINTER, Action::PrinterSetup},
        {IDM_HELP_ON_HELP, Action::HelpOnHelp},
        {IDM_PROJECT_NAMES, Action::EditProjectNames},
        {IDM_HELP_INDEX, Action::HelpIndex},
        {IDM_CHARGE_EVALUATION, Action::ChargeEvaluation},
        {IDM_CALL_LIST, Action::CallList},
        {IDM_PROJECT_EVALUATION, Action::ProjectEvaluation},
        {IDM_CURRENCY, Action::CurrencyDialog},
        {IDM_PRIVACY, Action::PrivacyDialog},
        {IDM_COLLECT, Action::Collect},
        {IDM_ARCHIVE_OPTIONS, Action::ArchiveDialog},
        {IDM_PHONEBOOK_NEW, Action::NewPhonebook},
        {IDM_PHONEBOOK_OPEN, Action::OpenPhonebook},
        {IDM_PHONEBOOK_EDIT, Action::EditPhonebook},
        {IDM_SMALL_ICONS, Action::SmallIcons},
        {IDM_LARGE_ICONS, Action::LargeIcons},
        {IDM_SHOW_TOOLBAR, Action::ToggleToolbar},
        {IDM_ICON_LABELS, Action::ToggleLabels},
        {IDM_ARCHIVE_REPORT, Action::ArchiveReport}};
    for (const auto& [id, action] : table)
        EXPECT_EQ(command_action(id), action) << id;
    // Neighbours of the table's IDs, the unused string IDs and whole-parameter values that carry
    // a notification code in the high word do nothing.
    for (unsigned id : {0u, 1u, 2u, 100u, 111u, 115u, 117u, 203u, 299u, 305u, 308u, 309u,
                        0x10000u + 101u, 0xFFFFFFFFu})
        EXPECT_EQ(command_action(id), Action::None) << id;
}

TEST(CommandTable, OnlyFileAndPhonebookChoicesDirtyTheTitle) {
    std::set<Action> dirty;
    for (unsigned id = 0; id < 400; ++id)
        if (action_dirties_title(command_action(id))) dirty.insert(command_action(id));
    EXPECT_EQ(dirty, (std::set<Action>{Action::OpenChargeFile, Action::SaveChargeFileAs,
                                       Action::NewPhonebook, Action::OpenPhonebook}));
    EXPECT_FALSE(action_dirties_title(Action::SaveChargeFile)) << "Save keeps the same name";
}

TEST(OpenChargeFile, TheChosenNameIsAdoptedOnlyWhenRecordsCameIn) {
    test::MemoryFileSystem fs;
    test::RecordingUi ui;
    auto store = std::make_unique<data::ChargeStore>();
    Settings settings;
    settings.charge_file = "C:\\OLD.GDS";
    std::string image(data::kChargeMagic, sizeof data::kChargeMagic);
    image += std::string("\x01\x00", 2) + std::string(data::kChargeRecordSize, '\x01');
    fs.files["C:\\GOOD.GDS"] = image;
    fs.files["C:\\SHORT.GDS"] = image.substr(0, data::kChargeImageHead);
    fs.files["C:\\EMPTY.GDS"] = "";
    fs.files["C:\\OTHER.GDS"] = "kein Magic";

    // Locked or missing, empty, foreign: reported, and "&Speichern" still means the old file.
    for (const char* bad : {"C:\\LOCKED.GDS", "C:\\EMPTY.GDS", "C:\\OTHER.GDS"}) {
        SCOPED_TRACE(bad);
        ui.shown.clear();
        EXPECT_FALSE(data::records_loaded(open_chosen_charge_file(*store, settings, bad, fs, ui)));
        EXPECT_EQ(settings.charge_file, "C:\\OLD.GDS");
        EXPECT_EQ(ui.shown.size(), 1u);
    }
    EXPECT_EQ(ui.shown[0].text, "Error C:\\OTHER.GDS ist keine Gebührendatei.");

    EXPECT_EQ(open_chosen_charge_file(*store, settings, "C:\\GOOD.GDS", fs, ui),
              data::LoadResult::Loaded);
    EXPECT_EQ(settings.charge_file, "C:\\GOOD.GDS");
    // A truncated file is loaded as far as it goes, so it is the current file.
    EXPECT_EQ(open_chosen_charge_file(*store, settings, "C:\\SHORT.GDS", fs, ui),
              data::LoadResult::Truncated);
    EXPECT_EQ(settings.charge_file, "C:\\SHORT.GDS");
}

TEST(MenuMarks, FreshStartChecksFollowTheDefaultsAndEnablesNothing) {
    const MenuMarks m = menu_marks(Settings{}, 0);
    EXPECT_TRUE(m.show_toolbar);
    EXPECT_TRUE(m.small_icons);
    EXPECT_FALSE(m.large_icons);
    EXPECT_TRUE(m.labels);
    EXPECT_TRUE(m.enable.empty());
}

TEST(MenuMarks, AnyNonZeroSettingCountsAsOn) {
    Settings s;
    s.show_bar = 5;
    s.large_icons = -1;
    s.text = 0;
    const MenuMarks m = menu_marks(s, 0);
    EXPECT_TRUE(m.show_toolbar);
    EXPECT_TRUE(m.large_icons);
    EXPECT_FALSE(m.small_icons);
    EXPECT_FALSE(m.labels);
    s.show_bar = 0;
    EXPECT_FALSE(menu_marks(s, 0).show_toolbar);
}

TEST(MenuMarks, EnablingFollowsPhonebookNameRecordCountAndChargeFileName) {
    Settings s;
    s.phonebook_file = "C:\\a.TLB";
    EXPECT_EQ(menu_marks(s, 0).enable,
              (std::vector<unsigned>{IDM_PHONEBOOK_EDIT, IDM_PROJECT_NAMES}));

    s = Settings{};
    s.charge_file = "C:\\x.GDS";
    EXPECT_TRUE(menu_marks(s, 0).enable.empty()) << "a name without records saves nothing";
    EXPECT_EQ(menu_marks(s, 1).enable, (std::vector<unsigned>{IDM_FILE_SAVE, IDM_FILE_SAVE_AS}));

    s.charge_file.clear();
    EXPECT_EQ(menu_marks(s, 2000).enable, (std::vector<unsigned>{IDM_FILE_SAVE_AS}))
        << "records without a name: only Save As";
}

TEST(WindowTitle, NamesTheFilePartsOfBothPaths) {
    EXPECT_EQ(window_title("", ""), "Trelvik Gebührenauswertung");
    EXPECT_EQ(window_title("C:\\Daten\\Jan.GDS", ""),
              "Trelvik Gebührenauswertung - Gebührendaten Jan.GDS");
    EXPECT_EQ(window_title("", "D:\\tb\\Firma.TLB"),
              "Trelvik Gebührenauswertung - Telefonbuch Firma.TLB");
    EXPECT_EQ(window_title("Jan.GDS", "C:Firma.TLB"),
              "Trelvik Gebührenauswertung - Gebührendaten Jan.GDS - Telefonbuch C:Firma.TLB")
        << "without a backslash the whole path is the name";
    EXPECT_EQ(window_title("C:\\Daten\\", ""), "Trelvik Gebührenauswertung - Gebührendaten ")
        << "a path ending in a backslash has an empty name part";
}

TEST(WindowTitle, LongTitlesAreCutTo255Bytes) {
    const std::string long_name(300, 'a');
    const std::string t = window_title(long_name, "C:\\b.TLB");
    ASSERT_EQ(t.size(), 255u);
    EXPECT_EQ(t.substr(0, 43), "Trelvik Gebührenauswertung - Gebührendaten ");
    EXPECT_EQ(t.back(), 'a');
    // Exactly 255 stays whole.
    const std::string prefix = "Trelvik Gebührenauswertung - Gebührendaten ";
    const std::string fits(255 - prefix.size(), 'b');
    EXPECT_EQ(window_title(fits, ""), prefix + fits);
}

TEST(HelpContexts, CommandsMapToTheirTopics) {
    const std::pair<unsigned, unsigned> table[] = {{IDM_FILE_OPEN, 100},
                                                   {IDM_FILE_SAVE, 101},
                                                   {IDM_FILE_SAVE_AS, 102},
                                                   {IDM_READ_CHARGES, 103},
                                                   {IDM_DELETE_CHARGES, 104},
                                                   {IDM_READ_CALLS, 105},
                                                   {IDM_DELETE_CALLS, 106},
                                                   {IDM_EXIT, 107},
                                                   {IDM_CHARGE_EVALUATION, 110},
                                                   {IDM_CALL_LIST, 111},
                                                   {IDM_PROJECT_EVALUATION, 112},
                                                   {IDM_PHONEBOOK_NEW, 120},
                                                   {IDM_PHONEBOOK_OPEN, 121},
                                                   {IDM_PHONEBOOK_EDIT, 122},
                                                   {IDM_PROJECT_NAMES, 123},
                                                   {IDM_PORT, 130},
                                                   {IDM_PRINTER, 131},
                                                   {IDM_COLLECT, 108},
                                                   {IDM_ARCHIVE_OPTIONS, 132}};
    for (const auto& [command, context] : table)
        EXPECT_EQ(help_context(command), std::optional<unsigned>(context)) << command;
    for (unsigned command : {109u, 113u, 116u, 303u, 304u, 306u, 307u, 100u, 0u, 111u})
        EXPECT_EQ(help_context(command), std::nullopt) << command;
    EXPECT_EQ(help_context(IDM_PORT), std::optional<unsigned>(help::Port))
        << "the port dialog's own F1 topic is the command's";
    EXPECT_EQ(help_context(IDM_PRIVACY), std::optional<unsigned>(help::Privacy))
        << "so is the privacy dialog's";
    EXPECT_EQ(help_page(help::Privacy), std::optional<std::string_view>("datenschutz.html"));
}

TEST(StatusTexts, EveryCommandHasItsStatusStringAndTheFileMenuItsTitle) {
    for (unsigned id = 0; id < 400; ++id)
        if (command_action(id) != Action::None) {
            EXPECT_STRNE(string_text(id), "") << id;
        }
    EXPECT_STREQ(string_text(IDM_FILE_SAVE), "Sichern der Gebührendatensätze auf die Festplatte");
    EXPECT_STREQ(string_text(100), "Öffnen, sichern, TK-Anlage lesen oder Programm beenden");
}

TEST(PicturePlaces, HeightBelow419UsesFixedPlaces) {
    PicturePlaces p = picture_places(1000, 418);
    EXPECT_EQ(p.banner_y, 40);
    EXPECT_EQ(p.picture_y, 200);
    EXPECT_EQ(p.banner_x, (1000 - 448) / 2);
    EXPECT_EQ(p.picture_x, (1000 - 415) / 2);
    p = picture_places(1000, 419);
    EXPECT_EQ(p.banner_y, 12);
    EXPECT_EQ(p.picture_y, 129);
    p = picture_places(600, 769);
    EXPECT_EQ(p.banner_y, 100);
    EXPECT_EQ(p.picture_y, 305);
    EXPECT_EQ(picture_places(0, 0).banner_y, 40);
}

TEST(PicturePlaces, NarrowWindowsGiveNegativeXTruncatedTowardZero) {
    const PicturePlaces p = picture_places(100, 300);
    EXPECT_EQ(p.banner_x, -174);
    EXPECT_EQ(p.picture_x, -157); // -315 / 2 truncates toward zero
    EXPECT_EQ(picture_places(416, 300).picture_x, 0);
    EXPECT_EQ(picture_places(447, 300).banner_x, 0);
}

TEST(PicturePlaces, HugeHeightsStayIn16Bits) {
    // (h - 369) / 4 above 65535 wraps like the 16-bit value it was kept in.
    const PicturePlaces p = picture_places(800, 369 + 4 * 70000);
    EXPECT_EQ(p.banner_y, 70000 - 65536);
    EXPECT_EQ(p.picture_y, (2 * (70000 - 65536) + 105) & 0xFFFF);
}

TEST(WindowsVersionLine, NtWin32sAnd95) {
    // NT 4.0 build 1381: top bit clear.
    EXPECT_EQ(windows_version_line(0x05650004u), "Microsoft Windows NT Version 4.0 (Build: 1381)");
    EXPECT_EQ(windows_version_line(0x23F00206u), "Microsoft Windows NT Version 6.2 (Build: 9200)");
    // Windows 95: top bit set, major 4.
    EXPECT_EQ(windows_version_line(0xC3B60004u), "Microsoft Windows 95 Version 4.0");
    // Win32s: top bit set, major below 4; the build is the high word without its top bit.
    EXPECT_EQ(windows_version_line(0x80AB0A03u), "Microsoft Win32s Version 3.10 (Build: 171)");
    EXPECT_LE(windows_version_line(0x7FFFFFFFu).size(), 63u);
}

std::vector<std::string> texts(const std::vector<PortEntry>& entries) {
    std::vector<std::string> t;
    for (const PortEntry& e : entries)
        t.push_back(e.text);
    return t;
}

TEST(PortDialog, FirstFourAlwaysThenPresentPortsByNumber) {
    EXPECT_EQ(texts(port_entries({}, 0)),
              (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}));
    const auto entries = port_entries({{12, "USB Serial Port (COM12)"},
                                       {7, "USB-SERIAL CH340 (COM7)"},
                                       {2, ""},
                                       {3, "Kommunikationsanschluss (COM3)"}},
                                      0);
    EXPECT_EQ(texts(entries),
              (std::vector<std::string>{"COM1", "COM2", "COM3 – Kommunikationsanschluss", "COM4",
                                        "COM7 – USB-SERIAL CH340", "COM12 – USB Serial Port"}));
    // The line's index is the port's, not its position.
    EXPECT_EQ(entries[5].index, 11);
    EXPECT_EQ(port_selection(entries, 11), std::optional<int>(5));
    EXPECT_EQ(port_selection(entries, 7), std::nullopt) << "COM8 is not in the list";
}

TEST(PortDialog, DeviceNamesAsTheLineShowsThem) {
    const auto text = [](unsigned number, const std::string& name) {
        return port_entries({{number, name}}, 0).back().text;
    };
    // Only the name's own port is cut off; another number in brackets is part of the name.
    EXPECT_EQ(text(9, "Adapter (COM10)"), "COM9 – Adapter (COM10)");
    EXPECT_EQ(text(10, "Adapter (COM10)"), "COM10 – Adapter");
    EXPECT_EQ(text(10, "(COM10)"), "COM10") << "a name that is only the port adds nothing";
    EXPECT_EQ(text(5, std::string(200, 'x')).size(), std::string("COM5 – ").size() + 60);
    // The same number twice (two sources of the system): one line, the name given first.
    EXPECT_EQ(texts(port_entries({{5, ""}, {5, "B"}, {5, "C"}}, 0)).back(), "COM5 – B");
    // Numbers no port index can hold are left out.
    EXPECT_EQ(port_entries({{0, "zero"}, {257, "too high"}}, 0).size(), 4u);
    EXPECT_EQ(texts(port_entries({{256, ""}}, 0)).back(), "COM256");
}

TEST(PortDialog, TheKeptPortStaysInTheListWhenItIsGone) {
    // An adapter unplugged since it was chosen: OK must not move the port elsewhere.
    Settings s;
    s.port_index = 11;
    const auto entries = port_entries({{7, "X"}}, s.port_index);
    EXPECT_EQ(texts(entries),
              (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM7 – X", "COM12"}));
    const auto at = port_selection(entries, s.port_index);
    ASSERT_EQ(at, std::optional<int>(5));
    choose_port(s, entries, *at);
    EXPECT_EQ(s.port_name(), "COM12");
    choose_port(s, entries, 4);
    EXPECT_EQ(s.port_index, 6);
    EXPECT_EQ(s.port_name(), "COM7");
    EXPECT_EQ(port_entries({}, 255).back(), (PortEntry{255, "COM256"}));
}

TEST(PortDialog, OkWithoutSelectionKeepsThePort) {
    Settings s;
    s.port_index = 2;
    const auto entries = port_entries({}, s.port_index);
    choose_port(s, entries, -1); // CB_ERR
    EXPECT_EQ(s.port_index, 2);
    choose_port(s, entries, static_cast<int>(entries.size()));
    EXPECT_EQ(s.port_index, 2);
    choose_port(s, entries, 0);
    EXPECT_EQ(s.port_name(), "COM1");
}

TEST(Toolbar, SixteenEntriesTwelveButtonsInBitmapOrder) {
    const auto& b = toolbar_buttons();
    const std::set<std::size_t> separators = {0, 3, 9, 13};
    int next_bitmap = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (separators.count(i)) {
            EXPECT_TRUE(b[i].separator) << i;
            EXPECT_EQ(b[i].command, 0u);
            EXPECT_EQ(b[i].bitmap, 0);
        } else {
            EXPECT_FALSE(b[i].separator) << i;
            EXPECT_EQ(b[i].bitmap, next_bitmap++);
            EXPECT_NE(command_action(b[i].command), Action::None);
        }
    }
    EXPECT_EQ(next_bitmap, kToolbarImages);
    EXPECT_EQ(b[2].command, 103u) << "the Save button is Save As";
}

TEST(Toolbar, TooltipsByCommandAndTheLabelList) {
    EXPECT_STREQ(tooltip_text(IDM_FILE_SAVE_AS), "Speichern eines Gebührenfiles");
    EXPECT_STREQ(tooltip_text(IDM_FILE_OPEN), "Öffnen eines Gebührenfiles");
    EXPECT_STREQ(tooltip_text(109), "Programm-Info");
    EXPECT_STREQ(tooltip_text(116), "Hilfe");
    EXPECT_STREQ(tooltip_text(202), "Projekt bezogene Auswertung der Gebührendatensätze");
    EXPECT_STREQ(tooltip_text(102), "Invalid Button Index");
    EXPECT_STREQ(tooltip_text(0), "Invalid Button Index");
    std::size_t longest = 0;
    for (const auto& button : toolbar_buttons())
        if (!button.separator)
            longest = std::max(longest, std::string(tooltip_text(button.command)).size());
    EXPECT_EQ(longest, 50u) << "fits the request's 80-character buffer";

    const std::string list = toolbar_label_list();
    EXPECT_EQ(list.substr(0, 17), std::string("Öffnen\0Speichern\0", 17));
    EXPECT_EQ(list.substr(list.size() - 7), std::string("Help\0Info\0\0", 11).substr(4));
    EXPECT_EQ(std::count(list.begin(), list.end(), '\0'), 13);
}

TEST(Toolbar, RebuildCommandsChangeTheirSetting) {
    Settings s;
    apply_toolbar_rebuild(s, IDM_LARGE_ICONS);
    EXPECT_EQ(s.large_icons, 1);
    apply_toolbar_rebuild(s, IDM_SMALL_ICONS);
    EXPECT_EQ(s.large_icons, 0);
    s.text = 5;
    apply_toolbar_rebuild(s, IDM_ICON_LABELS);
    EXPECT_EQ(s.text, 0);
    apply_toolbar_rebuild(s, IDM_ICON_LABELS);
    EXPECT_EQ(s.text, 1);
    const Settings before = s;
    apply_toolbar_rebuild(s, IDM_SHOW_TOOLBAR);
    EXPECT_EQ(s, before) << "306 is show or hide, not a rebuild";
}

} // namespace
} // namespace kalmo::app
