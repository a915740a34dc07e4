#include "core/app/shell.h"

#include <map>

#include "core/app/help_contexts.h"
#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/app/utf8.h"

namespace kalmo::app {

Action command_action(unsigned id) {
    switch (id) {
    case IDM_FILE_OPEN:
        return Action::OpenChargeFile;
    case IDM_FILE_SAVE:
        return Action::SaveChargeFile;
    case IDM_FILE_SAVE_AS:
        return Action::SaveChargeFileAs;
    case IDM_READ_CHARGES:
        return Action::ReadCharges;
    case IDM_DELETE_CHARGES:
        return Action::DeleteCharges;
    case IDM_READ_CALLS:
        return Action::ReadCalls;
    case IDM_DELETE_CALLS:
        return Action::DeleteCalls;
    case IDM_EXIT:
        return Action::Exit;
    case IDM_ABOUT:
        return Action::About;
    case IDM_PORT:
        return Action::PortDialog;
    case IDM_CURRENCY:
        return Action::CurrencyDialog;
    case IDM_PRIVACY:
        return Action::PrivacyDialog;
    case IDM_ARCHIVE_REPORT:
        return Action::ArchiveReport;
    case IDM_COLLECT:
        return Action::Collect;
    case IDM_ARCHIVE_OPTIONS:
        return Action::ArchiveDialog;
    case IDM_PRINTER:
        return Action::PrinterSetup;
    case IDM_HELP_ON_HELP:
        return Action::HelpOnHelp;
    case IDM_PROJECT_NAMES:
        return Action::EditProjectNames;
    case IDM_HELP_INDEX:
        return Action::HelpIndex;
    case IDM_CHARGE_EVALUATION:
        return Action::ChargeEvaluation;
    case IDM_CALL_LIST:
        return Action::CallList;
    case IDM_PROJECT_EVALUATION:
        return Action::ProjectEvaluation;
    case IDM_PHONEBOOK_NEW:
        return Action::NewPhonebook;
    case IDM_PHONEBOOK_OPEN:
        return Action::OpenPhonebook;
    case IDM_PHONEBOOK_EDIT:
        return Action::EditPhonebook;
    case IDM_SMALL_ICONS:
        return Action::SmallIcons;
    case IDM_LARGE_ICONS:
        return Action::LargeIcons;
    case IDM_SHOW_TOOLBAR:
        return Action::ToggleToolbar;
    case IDM_ICON_LABELS:
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
        m.enable.push_back(IDM_PHONEBOOK_EDIT);
        m.enable.push_back(IDM_PROJECT_NAMES);
    }
    if (charge_record_count != 0) {
        if (!settings.charge_file.empty()) m.enable.push_back(IDM_FILE_SAVE);
        m.enable.push_back(IDM_FILE_SAVE_AS);
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
    std::string title = string_text(str::MainTitle);
    if (!charge_file.empty()) {
        title += string_text(str::TitleChargeFile);
        title += shown_path(file_name_part(charge_file));
    }
    if (!phonebook_file.empty()) {
        title += string_text(str::TitlePhonebook);
        title += shown_path(file_name_part(phonebook_file));
    }
    return cut(title, kMaxTitle);
}

std::optional<unsigned> help_context(unsigned command) {
    for (const HelpTopic& topic : kHelpTopics)
        if (topic.command != 0 && topic.command == command) return topic.context;
    return std::nullopt;
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
        line = format(string_text(str::WindowsNtVersion), major, minor, high);
    else if (major < 4)
        line = format(string_text(str::Win32sVersion), major, minor, high & 0x7FFF);
    else
        line = format(string_text(str::Windows95Version), major, minor);
    return cut(line, 63);
}

namespace {

// Enough for the names of common adapters ("Prolific USB-to-Serial Comm Port") and short
// enough that the list stays readable.
constexpr std::size_t kPortDeviceNameMax = 60;

// The system's names end in the port they stand for ("USB Serial Port (COM7)"), which the line
// shows in front already.
std::string device_name_without_port(std::string name, unsigned number) {
    const std::string suffix = format("(COM%u)", number);
    if (name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
    while (!name.empty() && (name.back() == ' ' || name.back() == '-'))
        name.pop_back();
    return cut(name, kPortDeviceNameMax);
}

} // namespace

std::vector<PortEntry> port_entries(const std::vector<PresentPort>& present, std::uint8_t keep) {
    // By number: the first name the system gives a number is the one shown.
    std::map<unsigned, std::string> names;
    for (unsigned n = 1; n <= 4; ++n)
        names[n];
    names[keep + 1u];
    for (const PresentPort& port : present) {
        if (port.number < 1 || port.number > 256) continue;
        std::string& name = names[port.number];
        if (name.empty()) name = device_name_without_port(port.device_name, port.number);
    }
    std::vector<PortEntry> entries;
    for (const auto& [number, name] : names) {
        std::string text = format("COM%u", number);
        if (!name.empty()) text += " – " + name;
        entries.push_back({static_cast<std::uint8_t>(number - 1), text});
    }
    return entries;
}

std::optional<int> port_selection(const std::vector<PortEntry>& entries, std::uint8_t index) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].index == index) return static_cast<int>(i);
    return std::nullopt;
}

void choose_port(Settings& settings, const std::vector<PortEntry>& entries, int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= entries.size()) return;
    settings.port_index = entries[static_cast<std::size_t>(selected)].index;
}

const std::array<ToolbarButton, kToolbarEntries>& toolbar_buttons() {
    static const std::array<ToolbarButton, kToolbarEntries> buttons = {{
        {true, 0, 0},
        {false, 0, IDM_FILE_OPEN},
        {false, 1, IDM_FILE_SAVE_AS},
        {true, 0, 0},
        {false, 2, IDM_READ_CHARGES},
        {false, 3, IDM_DELETE_CHARGES},
        {false, 4, IDM_READ_CALLS},
        {false, 5, IDM_DELETE_CALLS},
        {false, 6, IDM_COLLECT},
        {true, 0, 0},
        {false, 7, IDM_CHARGE_EVALUATION},
        {false, 8, IDM_CALL_LIST},
        {false, 9, IDM_PROJECT_EVALUATION},
        {true, 0, 0},
        {false, 10, IDM_HELP_INDEX},
        {false, 11, IDM_ABOUT},
    }};
    return buttons;
}

namespace {
std::array<const char*, kToolbarImages> toolbar_texts(unsigned first) {
    std::array<const char*, kToolbarImages> texts{};
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = string_text(first + static_cast<unsigned>(i));
    return texts;
}
} // namespace

const std::array<const char*, kToolbarImages>& toolbar_labels() {
    static const auto labels = toolbar_texts(str::ToolbarLabelFirst);
    return labels;
}

const std::array<const char*, kToolbarImages>& toolbar_tooltips() {
    static const auto tips = toolbar_texts(str::ToolbarTooltipFirst);
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
        IDM_FILE_OPEN,  IDM_FILE_SAVE_AS,       IDM_READ_CHARGES, IDM_DELETE_CHARGES,
        IDM_READ_CALLS, IDM_DELETE_CALLS,       IDM_COLLECT,      IDM_CHARGE_EVALUATION,
        IDM_CALL_LIST,  IDM_PROJECT_EVALUATION, IDM_HELP_INDEX,   IDM_ABOUT};
    for (int i = 0; i < kToolbarImages; ++i)
        if (kCommands[i] == command) return toolbar_tooltips()[static_cast<std::size_t>(i)];
    return string_text(str::InvalidButtonIndex);
}

void apply_toolbar_rebuild(Settings& settings, unsigned command) {
    if (command == IDM_SMALL_ICONS)
        settings.large_icons = 0;
    else if (command == IDM_LARGE_ICONS)
        settings.large_icons = 1;
    else if (command == IDM_ICON_LABELS)
        settings.text = settings.text == 0 ? 1 : 0;
}

} // namespace kalmo::app
