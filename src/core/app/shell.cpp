#include "core/app/shell.h"

#include "core/app/text.h"

namespace kalmo::app {

Action command_action(unsigned id) {
    switch (id) {
    case cmd::FileOpen:
        return Action::OpenChargeFile;
    case cmd::FileSave:
        return Action::SaveChargeFile;
    case cmd::FileSaveAs:
        return Action::SaveChargeFileAs;
    case cmd::ReadCharges:
        return Action::ReadCharges;
    case cmd::DeleteCharges:
        return Action::DeleteCharges;
    case cmd::ReadCalls:
        return Action::ReadCalls;
    case cmd::DeleteCalls:
        return Action::DeleteCalls;
    case cmd::Exit:
        return Action::Exit;
    case cmd::About:
        return Action::About;
    case cmd::Port:
        return Action::PortDialog;
    case cmd::Printer:
        return Action::PrinterSetup;
    case cmd::HelpOnHelp:
        return Action::HelpOnHelp;
    case cmd::ProjectNames:
        return Action::EditProjectNames;
    case cmd::HelpIndex:
        return Action::HelpIndex;
    case cmd::ChargeEvaluation:
        return Action::ChargeEvaluation;
    case cmd::CallList:
        return Action::CallList;
    case cmd::ProjectEvaluation:
        return Action::ProjectEvaluation;
    case cmd::PhonebookNew:
        return Action::NewPhonebook;
    case cmd::PhonebookOpen:
        return Action::OpenPhonebook;
    case cmd::PhonebookEdit:
        return Action::EditPhonebook;
    case cmd::SmallIcons:
        return Action::SmallIcons;
    case cmd::LargeIcons:
        return Action::LargeIcons;
    case cmd::ShowToolbar:
        return Action::ToggleToolbar;
    case cmd::IconLabels:
        return Action::ToggleLabels;
    default:
        return Action::None;
    }
}

bool action_dirties_title(Action action) {
    return action == Action::OpenChargeFile || action == Action::SaveChargeFileAs ||
           action == Action::NewPhonebook || action == Action::OpenPhonebook;
}

MenuMarks menu_marks(const Settings& settings, std::uint16_t charge_record_count) {
    MenuMarks m;
    m.show_toolbar = settings.show_bar != 0;
    m.large_icons = settings.large_icons != 0;
    m.small_icons = settings.large_icons == 0;
    m.labels = settings.text != 0;
    if (!settings.phonebook_file.empty()) {
        m.enable.push_back(cmd::PhonebookEdit);
        m.enable.push_back(cmd::ProjectNames);
    }
    if (charge_record_count != 0) {
        if (!settings.charge_file.empty()) m.enable.push_back(cmd::FileSave);
        m.enable.push_back(cmd::FileSaveAs);
    }
    return m;
}

data::LoadResult open_chosen_charge_file(data::ChargeStore& store, Settings& settings,
                                         const std::string& chosen, FileSystem& fs, MessageUi& ui) {
    const data::LoadResult result = data::load_charge_file(store, chosen, fs, ui);
    if (data::records_loaded(result)) settings.charge_file = chosen;
    return result;
}

std::string_view file_name_part(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string window_title(std::string_view charge_file, std::string_view phonebook_file) {
    std::string title = kMainTitle;
    if (!charge_file.empty()) {
        title += " - Gebührendaten ";
        title += file_name_part(charge_file);
    }
    if (!phonebook_file.empty()) {
        title += " - Telefonbuch ";
        title += file_name_part(phonebook_file);
    }
    return cut(title, kMaxTitle);
}

std::optional<unsigned> help_context(unsigned command) {
    if (command >= cmd::FileOpen && command <= cmd::Exit) return 100 + (command - cmd::FileOpen);
    switch (command) {
    case cmd::ChargeEvaluation:
        return 110;
    case cmd::CallList:
        return 111;
    case cmd::ProjectEvaluation:
        return 112;
    case cmd::PhonebookNew:
        return 120;
    case cmd::PhonebookOpen:
        return 121;
    case cmd::PhonebookEdit:
        return 122;
    case cmd::ProjectNames:
        return 123;
    case cmd::Port:
        return kPortDialogHelpContext;
    case cmd::Printer:
        return 131;
    default:
        return std::nullopt;
    }
}

PicturePlaces picture_places(int width, int height) {
    int y1 = 40;
    int y2 = 200;
    if (height >= 419) {
        // The positions were 16-bit unsigned values.
        y1 = static_cast<std::uint16_t>((height - 369) / 4);
        y2 = static_cast<std::uint16_t>(2 * y1 + kBannerHeight);
    }
    return {(width - kBannerWidth) / 2, y1, (width - kPictureWidth) / 2, y2};
}

std::string windows_version_line(std::uint32_t version) {
    const unsigned major = version & 0xFF;
    const unsigned minor = (version >> 8) & 0xFF;
    const unsigned high = version >> 16;
    std::string line;
    if ((version & 0x80000000u) == 0)
        line = format("Microsoft Windows NT Version %u.%u (Build: %u)", major, minor, high);
    else if (major < 4)
        line = format("Microsoft Win32s Version %u.%u (Build: %u)", major, minor, high & 0x7FFF);
    else
        line = format("Microsoft Windows 95 Version %u.%u", major, minor);
    return cut(line, 63);
}

std::vector<std::string> port_list() {
    std::vector<std::string> list;
    for (int i = 1; i <= 4; ++i)
        list.push_back(format("COM%d", i));
    return list;
}

std::optional<int> port_selection(const Settings& settings) {
    if (settings.port_index < 4) return settings.port_index;
    return std::nullopt;
}

void choose_port(Settings& settings, int selected) {
    if (selected < 0 || selected >= 4) return;
    settings.port_index = static_cast<std::uint8_t>(selected);
}

const std::array<ToolbarButton, 15>& toolbar_buttons() {
    static const std::array<ToolbarButton, 15> buttons = {{
        {true, 0, 0},
        {false, 0, cmd::FileOpen},
        {false, 1, cmd::FileSaveAs},
        {true, 0, 0},
        {false, 2, cmd::ReadCharges},
        {false, 3, cmd::DeleteCharges},
        {false, 4, cmd::ReadCalls},
        {false, 5, cmd::DeleteCalls},
        {true, 0, 0},
        {false, 6, cmd::ChargeEvaluation},
        {false, 7, cmd::CallList},
        {false, 8, cmd::ProjectEvaluation},
        {true, 0, 0},
        {false, 9, cmd::HelpIndex},
        {false, 10, cmd::About},
    }};
    return buttons;
}

const std::array<const char*, kToolbarImages>& toolbar_labels() {
    static const std::array<const char*, kToolbarImages> labels = {
        "Öffnen",   "Speichern", "H-TK-Geb", "L-TK-Geb", "H-TK-Anr", "L-TK-Anr",
        "Geb-Ausw", "Anr-Ausw",  "Projekte", "Help",     "Info"};
    return labels;
}

const std::array<const char*, kToolbarImages>& toolbar_tooltips() {
    static const std::array<const char*, kToolbarImages> tips = {
        "Öffnen eines Gebührenfiles",
        "Speichern eines Gebührenfiles",
        "Lesen der Gebührendatensätze aus der TK-Anlage",
        "Löschen der Gebührendatensätze in der TK-Anlage",
        "Lesen der Anrufdatensätze aus der TK-Anlage",
        "Löschen der Anrufdatensätze in der TK-Anlage",
        "Auswertung der Gebührendatensätze",
        "Auswertung der Anrufdatensätze",
        "Projekt bezogene Auswertung der Gebührendatensätze",
        "Hilfe",
        "Programm-Info"};
    return tips;
}

std::string toolbar_label_list() {
    std::string list;
    for (const char* label : toolbar_labels()) {
        list += label;
        list += '\0';
    }
    list += '\0';
    return list;
}

const char* tooltip_text(unsigned command) {
    static constexpr unsigned kCommands[kToolbarImages] = {
        cmd::FileOpen,         cmd::FileSaveAs, cmd::ReadCharges,
        cmd::DeleteCharges,    cmd::ReadCalls,  cmd::DeleteCalls,
        cmd::ChargeEvaluation, cmd::CallList,   cmd::ProjectEvaluation,
        cmd::HelpIndex,        cmd::About};
    for (int i = 0; i < kToolbarImages; ++i)
        if (kCommands[i] == command) return toolbar_tooltips()[static_cast<std::size_t>(i)];
    return kInvalidButtonIndex;
}

void apply_toolbar_rebuild(Settings& settings, unsigned command) {
    if (command == cmd::SmallIcons)
        settings.large_icons = 0;
    else if (command == cmd::LargeIcons)
        settings.large_icons = 1;
    else if (command == cmd::IconLabels)
        settings.text = settings.text == 0 ? 1 : 0;
}

} // namespace kalmo::app
