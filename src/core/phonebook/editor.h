#pragma once
// The phonebook editor and the project names editor as operations that return what the dialog
// must show, and the menu flows that lead into them (new, open, edit, with the save question).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/app/ui.h"
#include "core/phonebook/phonebook.h"

namespace kalmo::phonebook {

// The dialog's static heading over the list, and the heading handed to printing.
constexpr const char* kEditorHeading =
    "Name                         Lkz   Okz     Rufnummer       Projekt";
constexpr const char* kEditorPrintHeading =
    "Name                         Lkz    Okz     Rufnummer     Projekt";

// Field limits the dialog sets (EM_LIMITTEXT); the others are the storage widths.
constexpr std::size_t kSearchMax = 24;

// One list line: " %-26s | %-4s | %-5s | %-12s | %s ".
std::string editor_line(const Phonebook& book, const Entry& entry);

// The texts of the four edit fields.
struct EntryFields {
    std::string name;
    std::string number;
    std::string area_code;
    std::string country_code;

    bool operator==(const EntryFields&) const = default;
};

// What "show entry" puts into the dialog.
struct ShownEntry {
    EntryFields fields;
    std::vector<std::string> combo_items; // the empty item first, then the defined projects
    int combo_selection = 0;

    bool operator==(const ShownEntry&) const = default;
};

// What a fill puts into the dialog.
struct Fill {
    std::vector<std::string> lines;
    std::optional<ShownEntry> shown; // absent when the list is empty: fields stay as they are
    // Present when the entry-dependent buttons (Löschen, Ändern, Drucken, the five sort
    // buttons) change state: true enables them. The field limits are set at the same time.
    std::optional<bool> enable_entry_buttons;
    int selected_line = -1; // -1: no line selected

    bool operator==(const Fill&) const = default;
};

class Editor {
public:
    Editor(Phonebook& book, app::MessageUi& ui, app::CodePage& code_page)
        : book_(book), ui_(ui), code_page_(code_page) {}

    // Before the dialog opens: the enable state undetermined, the changed flag cleared.
    void prepare();
    // WM_INITDIALOG.
    Fill open();
    // A notification of the list box with `selected_line` (-1: none).
    std::optional<ShownEntry> list_notification(int selected_line);
    // The five sort buttons.
    Fill sort(SortKey key);
    // "Einfügen", "Ändern", "Löschen": nothing when the command was refused (its message has
    // been shown; the dialog stays as it is).
    std::optional<Fill> insert(const EntryFields& fields, int combo_selection);
    std::optional<Fill> change(int selected_line, const EntryFields& fields, int combo_selection);
    Fill remove(int selected_line);
    // "Ansi zu Oem" and "Oem zu Ansi".
    Fill convert_to_oem(int selected_line);
    Fill convert_to_ansi(int selected_line);
    // Every change of the search field: the line to select, or nothing.
    std::optional<int> search(std::string_view term) const;

    Fill fill();
    ShownEntry show_entry(const Entry& entry);
    // The four field checks; nothing (message shown) when one fails.
    std::optional<Entry> read_fields(const EntryFields& fields);
    bool project_check(Entry& entry, int combo_selection);
    bool duplicate_check(const Entry& entry);

    std::uint16_t selection() const { return selection_; }
    // The phonebook as the list shows it, unsaved changes and order included.
    const Phonebook& book() const { return book_; }

private:
    bool fail(unsigned text_id);
    Fill convert(int selected_line, bool to_oem);

    Phonebook& book_;
    app::MessageUi& ui_;
    app::CodePage& code_page_;
    std::uint16_t selection_ = 0;
    std::uint8_t enable_state_ = 127;
    std::vector<std::int8_t> combo_map_; // project of combo item i + 1
};

// The project names editor: its fields when it opens, and "OK".
std::array<std::string, kProjectCount> project_name_fields(const Phonebook& book);
void take_project_names(Phonebook& book, const std::array<std::string, kProjectCount>& fields,
                        app::MessageUi& ui);

// The platform's part of the phonebook commands.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    // The phonebook file dialog with `title`, starting at `current`; nothing when cancelled.
    virtual std::optional<std::string> choose_phonebook_file(const std::string& title,
                                                             const std::string& current) = 0;
    // Runs EditTelbBox modally over `editor` (after editor.prepare()).
    virtual void run_phonebook_editor(Editor& editor) = 0;
    // Runs ProjEditDlgBox modally; "OK" calls take_project_names.
    virtual void run_project_names_editor(Phonebook& book) = 0;
    // Enables the menu items "&Editieren" and "&Projekte".
    virtual void enable_phonebook_menu() = 0;
};

struct PhonebookCommands {
    Phonebook& book;
    app::FileSystem& fs;
    app::MessageUi& ui;
    app::CodePage& code_page;
    EditorHost& host;

    void new_phonebook();
    // false when cancelled or nothing was read.
    bool open_phonebook();
    void edit_phonebook();
    void edit_project_names();

private:
    void ask_to_save();
};

} // namespace kalmo::phonebook
