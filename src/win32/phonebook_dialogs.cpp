// The phonebook editor "EditTelbBox" and the project names editor "ProjEditDlgBox": the dialogs
// put the core's results into the controls and hand the user's actions back.
#include "phonebook_dialogs.h"

#include <cstring>

#include "controls.h"
#include "resource.h"
#include "core/app/settings.h"
#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/phonebook/editor.h"
#include "platform/win32/wide.h"
#include "dialog.h"
#include "core/eval/csv.h"
#include "file_dialog.h"
#include "help.h"
#include "list_export.h"
#include "print.h"

namespace kalmo::win32 {

std::optional<std::string> phonebook_file_dialog(HWND owner, const std::string& title,
                                                 const std::string& current) {
    FileDialogRequest request;
    request.owner = owner;
    request.filter = app::str::PhonebookFileFilter;
    request.default_ext = L"TLB";
    request.title = title;
    request.current = current;
    auto chosen = run_file_dialog(request);
    if (!chosen) return std::nullopt;
    WritePrivateProfileStringW(L"Files", L"Telbook", platform::widen(*chosen).c_str(),
                               L"Kalmo32.ini");
    return chosen;
}

namespace {

// The close box ends the phonebook's dialogs with 0, whatever their Cancel does.
class PhonebookDialog : public Dialog {
protected:
    using Dialog::Dialog;

private:
    bool on_close() override {
        end(0);
        return true;
    }
};

// ---- EditTelbBox ----

constexpr int kEntryButtons[] = {IDC_PB_DELETE,
                                 IDC_PB_CHANGE,
                                 IDC_PRINT,
                                 IDC_EXPORT,
                                 IDC_PB_SORT_NAME,
                                 IDC_PB_SORT_NUMBER,
                                 IDC_PB_SORT_AREA_CODE,
                                 IDC_PB_SORT_COUNTRY_CODE,
                                 IDC_PB_SORT_PROJECT};

class EditorDialog : public PhonebookDialog {
public:
    EditorDialog(phonebook::Editor& editor, Printer printer, ExportPlace place)
        : PhonebookDialog("EditTelbBox", Help{app::HelpKind::Context, app::help::PhonebookEditor}),
          editor_(editor), printer_(printer), place_(place) {}

private:
    void on_init() override { apply_fill(editor_.open()); }

    // Every command is told apart by its control alone: the list box and the search field act
    // on any of their notifications.
    bool on_command(int id, int) override {
        switch (id) {
        case IDC_PB_LIST:
            if (const auto shown = editor_.list_notification(selected_line())) show_entry(*shown);
            break;
        case IDC_PRINT:
            print_list(printer_, hwnd(), item(IDC_PB_LIST), phonebook::kEditorPrintHeading);
            break;
        case IDC_EXPORT:
            export_list(hwnd(), place_, app::string_text(app::str::ExportNamePhonebook),
                        [this] { return eval::csv::phonebook_table(editor_.book()); });
            break;
        case IDC_PB_DELETE:
            apply_fill(editor_.remove(selected_line()));
            break;
        case IDC_PB_CHANGE:
            apply_fill(editor_.change(selected_line(), entry_fields(), selected_project_item()));
            break;
        case IDC_PB_INSERT:
            apply_fill(editor_.insert(entry_fields(), selected_project_item()));
            break;
        case IDC_PB_TO_OEM:
            apply_fill(editor_.convert_to_oem(selected_line()));
            break;
        case IDC_PB_TO_ANSI:
            apply_fill(editor_.convert_to_ansi(selected_line()));
            break;
        case IDC_PB_SEARCH:
            if (const auto line = editor_.search(text(IDC_PB_SEARCH)))
                send(IDC_PB_LIST, LB_SETCURSEL, static_cast<WPARAM>(*line));
            break;
        case IDOK:
            send(IDC_PB_LIST, LB_RESETCONTENT);
            end(0);
            break;
        default:
            if (const auto key = sort_key_of(id)) apply_fill(editor_.sort(*key));
            break;
        }
        return true;
    }

    void show_entry(const phonebook::ShownEntry& shown) const {
        set_text(IDC_PB_NAME, shown.fields.name);
        set_text(IDC_PB_NUMBER, shown.fields.number);
        set_text(IDC_PB_COUNTRY_CODE, shown.fields.country_code);
        set_text(IDC_PB_AREA_CODE, shown.fields.area_code);
        send(IDC_PB_PROJECT, CB_RESETCONTENT);
        for (const std::string& combo_item : shown.combo_items)
            send(IDC_PB_PROJECT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(combo_item.c_str()));
        send(IDC_PB_PROJECT, CB_SETCURSEL, static_cast<WPARAM>(shown.combo_selection));
    }

    void apply_fill(const phonebook::Fill& fill) const {
        send(IDC_PB_LIST, LB_RESETCONTENT);
        if (fill.shown) show_entry(*fill.shown);
        set_lines(IDC_PB_LIST, fill.lines);
        if (fill.enable_entry_buttons) {
            for (int id : kEntryButtons)
                EnableWindow(item(id), *fill.enable_entry_buttons);
            send(IDC_PB_NAME, EM_LIMITTEXT, phonebook::kNameMax);
            send(IDC_PB_SEARCH, EM_LIMITTEXT, phonebook::kSearchMax);
            send(IDC_PB_NUMBER, EM_LIMITTEXT, phonebook::kNumberMax);
            send(IDC_PB_COUNTRY_CODE, EM_LIMITTEXT, phonebook::kCountryCodeMax);
            send(IDC_PB_AREA_CODE, EM_LIMITTEXT, phonebook::kAreaCodeMax);
        }
        send(IDC_PB_LIST, LB_SETCURSEL, static_cast<WPARAM>(fill.selected_line));
    }

    void apply_fill(const std::optional<phonebook::Fill>& fill) const {
        if (fill) apply_fill(*fill);
    }

    phonebook::EntryFields entry_fields() const {
        return phonebook::EntryFields{text(IDC_PB_NAME), text(IDC_PB_NUMBER),
                                      text(IDC_PB_AREA_CODE), text(IDC_PB_COUNTRY_CODE)};
    }
    int selected_line() const { return static_cast<int>(send(IDC_PB_LIST, LB_GETCURSEL)); }
    int selected_project_item() const {
        return static_cast<int>(send(IDC_PB_PROJECT, CB_GETCURSEL));
    }

    phonebook::Editor& editor_;
    Printer printer_;
    ExportPlace place_;
};

// ---- ProjEditDlgBox ----

class ProjectNamesDialog : public PhonebookDialog {
public:
    ProjectNamesDialog(phonebook::Phonebook& book, app::MessageUi& ui)
        : PhonebookDialog("ProjEditDlgBox",
                          Help{app::HelpKind::ContextPopup, app::help::ProjectNames}),
          book_(book), ui_(ui) {}

private:
    static int field_id(std::size_t project) {
        return project_control(kProjectNameFields, project);
    }

    void on_init() override {
        const auto names = phonebook::project_name_fields(book_);
        for (std::size_t p = 1; p <= names.size(); ++p)
            set_text(field_id(p), names[p - 1]);
    }
    bool on_command(int id, int) override {
        if (id == IDOK) {
            std::array<std::string, phonebook::kProjectCount> fields;
            for (std::size_t p = 1; p <= fields.size(); ++p)
                fields[p - 1] = text(field_id(p));
            phonebook::take_project_names(book_, fields, ui_);
            end(0);
        }
        return true;
    }

    phonebook::Phonebook& book_;
    app::MessageUi& ui_;
};

class Win32EditorHost : public phonebook::EditorHost {
public:
    Win32EditorHost(HWND main, Program& a) : main_(main), a_(a) {}

    std::optional<std::string> choose_phonebook_file(const std::string& title,
                                                     const std::string& current) override {
        return phonebook_file_dialog(main_, title, current);
    }
    void run_phonebook_editor(phonebook::Editor& editor) override {
        EditorDialog(editor, Printer{a_.printer, a_.ui}, ExportPlace{*a_.fs, a_.ui, *a_.clock})
            .run_modal(main_);
    }
    void run_project_names_editor(phonebook::Phonebook& book) override {
        ProjectNamesDialog(book, a_.ui).run_modal(main_);
    }
    void enable_phonebook_menu() override {
        HMENU menu = GetMenu(main_);
        EnableMenuItem(menu, IDM_PHONEBOOK_EDIT, MF_BYCOMMAND | MF_ENABLED);
        EnableMenuItem(menu, IDM_PROJECT_NAMES, MF_BYCOMMAND | MF_ENABLED);
    }

private:
    HWND main_;
    Program& a_;
};

} // namespace

void run_phonebook_command(HWND main, Program& a, app::Action action) {
    if (!a.phonebook) return;
    Win32EditorHost host(main, a);
    phonebook::PhonebookCommands commands{*a.phonebook, *a.fs, a.ui, *a.code_page, host};
    switch (action) {
    case app::Action::NewPhonebook:
        commands.new_phonebook();
        break;
    case app::Action::OpenPhonebook:
        commands.open_phonebook();
        break;
    case app::Action::EditPhonebook:
        commands.edit_phonebook();
        break;
    case app::Action::EditProjectNames:
        commands.edit_project_names();
        break;
    default:
        return;
    }
    a.settings.phonebook_file = a.phonebook->file_name;
}

} // namespace kalmo::win32
