#pragma once
// The main window's logic without the window: which command does what, which menu items are
// checked and enabled, the window title, the help contexts, the status texts and where the
// pictures go. The Windows front end only carries the results out.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/commands.h"
#include "core/app/settings.h"
#include "core/app/ui.h"
#include "core/data/charge_file.h"

namespace kalmo::app {

enum class Action {
    None,
    OpenChargeFile,
    SaveChargeFile,
    SaveChargeFileAs,
    ReadCharges,
    DeleteCharges,
    ReadCalls,
    DeleteCalls,
    Exit,
    About,
    PortDialog,
    CurrencyDialog,
    PrivacyDialog,
    PrinterSetup,
    HelpOnHelp,
    EditProjectNames,
    HelpIndex,
    ChargeEvaluation,
    CallList,
    ProjectEvaluation,
    NewPhonebook,
    OpenPhonebook,
    EditPhonebook,
    SmallIcons,
    LargeIcons,
    ToggleToolbar,
    ToggleLabels,
    ArchiveReport,
    Collect,
    ArchiveDialog,
};

// The command table: what a command ID (IDM_* of core/app/commands.h) stands for; Action::None for
// any other ID.
Action command_action(unsigned id);

// Whether the title must be recomposed after the action ran (for "&Öffnen" and "Sichern &als" only
// when their file dialog was not cancelled).
bool action_dirties_title(Action action);

// "&Öffnen" after its file dialog: loads `chosen` and makes it the current charge file only when
// records were loaded, so that a failed open never lets a later "&Speichern" overwrite the
// chosen file with other records. Returns how the load ended.
data::LoadResult open_chosen_charge_file(data::ChargeStore& store, Settings& settings,
                                         const std::string& chosen, FileSystem& fs, MessageUi& ui);

// What the menu shows when it is opened: check marks follow the toolbar settings; items listed
// in `enable` become enabled (items are never greyed again while the program runs).
struct MenuMarks {
    bool show_toolbar = false; // IDM_SHOW_TOOLBAR
    bool large_icons = false;  // IDM_LARGE_ICONS
    bool small_icons = false;  // IDM_SMALL_ICONS
    bool labels = false;       // IDM_ICON_LABELS
    std::vector<unsigned> enable;
};
MenuMarks menu_marks(const Settings& settings, std::uint16_t charge_record_count);

// The file name part of a path: everything after its last backslash, the whole path without one.
std::string_view file_name_part(std::string_view path);

constexpr std::size_t kMaxTitle = 255;

// "Trelvik Gebührenauswertung", then " - Gebührendaten <file>" and " - Telefonbuch <file>" for
// the names that are set; cut to 255 bytes.
std::string window_title(std::string_view charge_file, std::string_view phonebook_file);

// Context-help mode: the help context of a command, nothing for commands without a topic.
std::optional<unsigned> help_context(unsigned command);

// Where the banner (448 x 105) and the exchange picture (415 x 284) go in a client area of
// `width` x `height`.
struct PicturePlaces {
    int banner_x = 0;
    int banner_y = 0;
    int picture_x = 0;
    int picture_y = 0;
};
constexpr int kBannerWidth = 448;
constexpr int kBannerHeight = 105;
constexpr int kPictureWidth = 415;
constexpr int kPictureHeight = 284;
PicturePlaces picture_places(int width, int height);

// The About box's Windows version line from GetVersion's value (at most 63 characters).
std::string windows_version_line(std::uint32_t version);

// Port dialog. A port the machine has now: n of "COMn" and the name the system gives the
// device ("" when it gives none).
struct PresentPort {
    unsigned number = 0;
    std::string device_name;
};
// One line of the list: the port index it stands for and its text.
struct PortEntry {
    std::uint8_t index = 0;
    std::string text;
    bool operator==(const PortEntry& o) const { return index == o.index && text == o.text; }
};
// COM1 to COM4, then every other present port and the port index `keep` (the configured or
// the chosen one, present or not), in the order of their numbers.
std::vector<PortEntry> port_entries(const std::vector<PresentPort>& present, std::uint8_t keep);
// The line standing for `index`; nothing when no line does.
std::optional<int> port_selection(const std::vector<PortEntry>& entries, std::uint8_t index);
// What OK does with the selected line (negative = none selected, which keeps the port).
void choose_port(Settings& settings, const std::vector<PortEntry>& entries, int selected);

// Toolbar.
struct ToolbarButton {
    bool separator = false;
    int bitmap = 0;
    unsigned command = 0;
};
constexpr int kToolbarImages = 12;
constexpr std::size_t kToolbarEntries = 16;
const std::array<ToolbarButton, kToolbarEntries>& toolbar_buttons();
// Labels and tooltips in bitmap-index order.
const std::array<const char*, kToolbarImages>& toolbar_labels();
const std::array<const char*, kToolbarImages>& toolbar_tooltips();
// The label list as TB_ADDSTRING takes it: each label zero-terminated, then an empty text.
std::string toolbar_label_list();
// The tooltip of a command; "Invalid Button Index" for a command without a button.
const char* tooltip_text(unsigned command);

// What IDM_SMALL_ICONS, IDM_LARGE_ICONS and IDM_ICON_LABELS change before the toolbar is rebuilt.
void apply_toolbar_rebuild(Settings& settings, unsigned command);

} // namespace kalmo::app
