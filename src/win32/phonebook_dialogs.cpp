// The phonebook editor "EditTelbBox" and the project names editor "ProjEditDlgBox": the dialog
// procedures put the core's results into the controls and hand the user's actions back.
#include "phonebook_dialogs.h"

#include <cstring>
#include <new>

#include "app.h"
#include "help.h"
#include "controls.h"
#include "core/app/ids.h"
#include "core/app/settings.h"
#include "core/app/text.h"
#include "core/phonebook/editor.h"
#include "core/phonebook/phonebook_file.h"
#include "print.h"

namespace kalmo::win32 {

std::unique_ptr<phonebook::Phonebook> allocate_phonebook() {
    try {
        return std::make_unique<phonebook::Phonebook>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void load_phonebook_at_start() {
    App& a = app_state();
    a.settings.phonebook_file =
        phonebook::load_phonebook_at_start(*a.phonebook, a.settings.phonebook_file, *a.fs, a.ui);
}

std::optional<std::string> phonebook_file_dialog(const std::string& title,
                                                 const std::string& current) {
    App& a = app_state();
    static const char kFilter[] = "Telefonbuch Files (*.TLB)\0*.TLB\0";
    char file[256] = {};
    const std::string start = app::cut(current, sizeof file - 1);
    std::memcpy(file, start.c_str(), start.size() + 1);

    OPENFILENAMEA& o = a.charge_dialog;
    const OPENFILENAMEA lent = o;
    o.hwndOwner = a.main;
    o.lpstrFilter = kFilter;
    o.nFilterIndex = 1;
    o.lpstrDefExt = "TLB";
    o.lpstrFile = file;
    o.nMaxFile = sizeof file;
    o.lpstrTitle = title.c_str();
    o.Flags = 0;
    const BOOL ok = GetOpenFileNameA(&o);
    o.lpstrFilter = lent.lpstrFilter;
    o.nFilterIndex = lent.nFilterIndex;
    o.lpstrDefExt = lent.lpstrDefExt;
    o.lpstrFile = lent.lpstrFile;
    o.nMaxFile = lent.nMaxFile;
    o.lpstrTitle = lent.lpstrTitle;
    o.Flags = lent.Flags;
    if (!ok) return std::nullopt;
    WritePrivateProfileStringA("Files", "Telbook", file, app::kSettingsFileName);
    return std::string(file);
}

namespace {

std::string control_text(HWND dlg, int id) {
    HWND control = GetDlgItem(dlg, id);
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(control, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

void set_text(HWND dlg, int id, const std::string& text) {
    SetDlgItemTextA(dlg, id, text.c_str());
}

// ---- EditTelbBox ----

constexpr int kEntryButtons[] = {IDC_PB_DELETE,
                                 IDC_PB_CHANGE,
                                 IDC_PRINT,
                                 IDC_PB_SORT_NAME,
                                 IDC_PB_SORT_NUMBER,
                                 IDC_PB_SORT_AREA_CODE,
                                 IDC_PB_SORT_COUNTRY_CODE,
                                 IDC_PB_SORT_PROJECT};

phonebook::Editor& editor_of(HWND dlg) {
    return *reinterpret_cast<phonebook::Editor*>(GetWindowLongPtrA(dlg, DWLP_USER));
}

void show_entry(HWND dlg, const phonebook::ShownEntry& shown) {
    set_text(dlg, IDC_PB_NAME, shown.fields.name);
    set_text(dlg, IDC_PB_NUMBER, shown.fields.number);
    set_text(dlg, IDC_PB_COUNTRY_CODE, shown.fields.country_code);
    set_text(dlg, IDC_PB_AREA_CODE, shown.fields.area_code);
    HWND combo = GetDlgItem(dlg, IDC_PB_PROJECT);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : shown.combo_items)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(shown.combo_selection), 0);
}

void apply_fill(HWND dlg, const phonebook::Fill& fill) {
    HWND list = GetDlgItem(dlg, IDC_PB_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (fill.shown) show_entry(dlg, *fill.shown);
    for (const std::string& line : fill.lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (fill.enable_entry_buttons) {
        for (int id : kEntryButtons)
            EnableWindow(GetDlgItem(dlg, id), *fill.enable_entry_buttons);
        const auto limit = [dlg](int id, std::size_t max) {
            SendDlgItemMessageA(dlg, id, EM_LIMITTEXT, max, 0);
        };
        limit(IDC_PB_NAME, phonebook::kNameMax);
        limit(IDC_PB_SEARCH, phonebook::kSearchMax);
        limit(IDC_PB_NUMBER, phonebook::kNumberMax);
        limit(IDC_PB_COUNTRY_CODE, phonebook::kCountryCodeMax);
        limit(IDC_PB_AREA_CODE, phonebook::kAreaCodeMax);
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(fill.selected_line), 0);
}

void apply_fill(HWND dlg, const std::optional<phonebook::Fill>& fill) {
    if (fill) apply_fill(dlg, *fill);
}

phonebook::EntryFields entry_fields(HWND dlg) {
    return phonebook::EntryFields{control_text(dlg, IDC_PB_NAME), control_text(dlg, IDC_PB_NUMBER),
                                  control_text(dlg, IDC_PB_AREA_CODE),
                                  control_text(dlg, IDC_PB_COUNTRY_CODE)};
}

int selected_line(HWND dlg) {
    return static_cast<int>(SendDlgItemMessageA(dlg, IDC_PB_LIST, LB_GETCURSEL, 0, 0));
}

int selected_project_item(HWND dlg) {
    return static_cast<int>(SendDlgItemMessageA(dlg, IDC_PB_PROJECT, CB_GETCURSEL, 0, 0));
}

// Every command is told apart by its control alone: the list box and the search field act on
// any of their notifications.
void editor_command(HWND dlg, int id) {
    phonebook::Editor& editor = editor_of(dlg);
    switch (id) {
    case IDC_PB_LIST:
        if (const auto shown = editor.list_notification(selected_line(dlg)))
            show_entry(dlg, *shown);
        break;
    case IDC_PRINT:
        print_list(dlg, GetDlgItem(dlg, IDC_PB_LIST), phonebook::kEditorPrintHeading);
        break;
    case IDC_PB_DELETE:
        apply_fill(dlg, editor.remove(selected_line(dlg)));
        break;
    case IDC_PB_CHANGE:
        apply_fill(
            dlg, editor.change(selected_line(dlg), entry_fields(dlg), selected_project_item(dlg)));
        break;
    case IDC_PB_INSERT:
        apply_fill(dlg, editor.insert(entry_fields(dlg), selected_project_item(dlg)));
        break;
    case IDC_PB_TO_OEM:
        apply_fill(dlg, editor.convert_to_oem(selected_line(dlg)));
        break;
    case IDC_PB_TO_ANSI:
        apply_fill(dlg, editor.convert_to_ansi(selected_line(dlg)));
        break;
    case IDC_PB_SEARCH:
        if (const auto line = editor.search(control_text(dlg, IDC_PB_SEARCH)))
            SendDlgItemMessageA(dlg, IDC_PB_LIST, LB_SETCURSEL, static_cast<WPARAM>(*line), 0);
        break;
    case IDOK:
        SendDlgItemMessageA(dlg, IDC_PB_LIST, LB_RESETCONTENT, 0, 0);
        EndDialog(dlg, 0);
        break;
    default:
        if (const auto key = sort_key_of(id)) apply_fill(dlg, editor.sort(*key));
        break;
    }
}

INT_PTR CALLBACK editor_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        apply_fill(dlg, editor_of(dlg).open());
        return TRUE;
    case WM_COMMAND:
        // Notifications can come while the dialog is being made, before it knows its editor.
        if (GetWindowLongPtrA(dlg, DWLP_USER) == 0) return FALSE;
        editor_command(dlg, LOWORD(wp));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dlg, 0);
        return TRUE;
    case WM_HELP:
        open_help(dlg, app::HelpKind::Context, phonebook::kEditorHelpContext);
        return TRUE;
    default:
        return FALSE;
    }
}

// ---- ProjEditDlgBox ----

INT_PTR CALLBACK project_names_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        const auto& book = *reinterpret_cast<const phonebook::Phonebook*>(lp);
        const auto names = phonebook::project_name_fields(book);
        for (std::size_t p = 1; p <= names.size(); ++p)
            set_text(dlg, project_control(kProjectNameFields, p), names[p - 1]);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            auto& book =
                *reinterpret_cast<phonebook::Phonebook*>(GetWindowLongPtrA(dlg, DWLP_USER));
            std::array<std::string, phonebook::kProjectCount> fields;
            for (std::size_t p = 1; p <= fields.size(); ++p)
                fields[p - 1] = control_text(dlg, project_control(kProjectNameFields, p));
            phonebook::take_project_names(book, fields, app_state().ui);
            EndDialog(dlg, 0);
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dlg, 0);
        return TRUE;
    case WM_HELP:
        open_help(dlg, app::HelpKind::ContextPopup, phonebook::kProjectNamesHelpContext);
        return TRUE;
    default:
        return FALSE;
    }
}

class Win32EditorHost : public phonebook::EditorHost {
public:
    explicit Win32EditorHost(HWND main) : main_(main) {}

    std::optional<std::string> choose_phonebook_file(const std::string& title,
                                                     const std::string& current) override {
        return phonebook_file_dialog(title, current);
    }
    void run_phonebook_editor(phonebook::Editor& editor) override {
        DialogBoxParamA(app_state().instance, "EditTelbBox", main_, editor_proc,
                        reinterpret_cast<LPARAM>(&editor));
    }
    void run_project_names_editor(phonebook::Phonebook& book) override {
        DialogBoxParamA(app_state().instance, "ProjEditDlgBox", main_, project_names_proc,
                        reinterpret_cast<LPARAM>(&book));
    }
    void enable_phonebook_menu() override {
        HMENU menu = GetMenu(main_);
        EnableMenuItem(menu, IDM_PHONEBOOK_EDIT, MF_BYCOMMAND | MF_ENABLED);
        EnableMenuItem(menu, IDM_PROJECT_NAMES, MF_BYCOMMAND | MF_ENABLED);
    }

private:
    HWND main_;
};

} // namespace

void run_phonebook_command(HWND main, app::Action action) {
    App& a = app_state();
    if (!a.phonebook) return;
    Win32EditorHost host(main);
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
