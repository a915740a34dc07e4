// Dialog procedures of the evaluation lists. They copy what the core computed into the controls
// and hand the user's choices back; every line and every check is the core's.
#include "list_dialogs.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app.h"
#include "help.h"
#include "controls.h"
#include "core/app/ids.h"
#include "core/app/shell.h"
#include "core/eval/call_list.h"
#include "core/eval/charge_list.h"
#include "core/eval/project.h"
#include "core/eval/subscriber.h"
#include "lookup_access.h"
#include "print.h"
#include "transfers_gui.h"

namespace kalmo::win32 {

namespace {

void help_popup(HWND dlg, unsigned topic) {
    open_help(dlg, app::HelpKind::ContextPopup, topic);
}

void help_topic(HWND dlg, unsigned topic) {
    open_help(dlg, app::HelpKind::Context, topic);
}

void set_lines(HWND dlg, int list_id, const std::vector<std::string>& lines) {
    HWND list = GetDlgItem(dlg, list_id);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

// The buttons every list dialog has: "OK" empties the list and ends the dialog, the close box
// ends it, "Drucken" prints the list under its heading. false for any other command.
bool list_buttons(HWND dlg, WORD command, int list_id, const char* heading) {
    switch (command) {
    case IDOK:
        SendDlgItemMessageA(dlg, list_id, LB_RESETCONTENT, 0, 0);
        EndDialog(dlg, IDOK);
        return true;
    case IDCANCEL:
        EndDialog(dlg, IDCANCEL);
        return true;
    case IDC_PRINT:
        print_list(dlg, GetDlgItem(dlg, list_id), heading);
        return true;
    default:
        return false;
    }
}

std::optional<std::size_t> selected_line(HWND dlg, int list_id) {
    const LRESULT sel = SendDlgItemMessageA(dlg, list_id, LB_GETCURSEL, 0, 0);
    if (sel == LB_ERR || sel < 0) return std::nullopt;
    return static_cast<std::size_t>(sel);
}

std::string item_text(HWND dlg, int id) {
    char buffer[64] = {};
    GetDlgItemTextA(dlg, id, buffer, sizeof buffer);
    return buffer;
}

app::LocalTime now() {
    return app_state().clock->now();
}

template <typename T> T* context(HWND dlg) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(dlg, DWLP_USER));
}

void keep_context(HWND dlg, LPARAM lp) {
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
}

INT_PTR run_dialog(HWND owner, const char* name, DLGPROC proc, const void* param) {
    return DialogBoxParamA(app_state().instance, name, owner, proc,
                           reinterpret_cast<LPARAM>(param));
}

// ----- Filter -----

struct FilterEdit {
    int id;
    unsigned limit;
    std::string eval::FilterDialog::Fields::*field;
};

using F = eval::FilterDialog;
const FilterEdit kFilterEdits[] = {
    {IDC_FROM_YEAR, F::kDateFieldLimit, &F::Fields::from_year},
    {IDC_FROM_MONTH, F::kDateFieldLimit, &F::Fields::from_month},
    {IDC_FROM_DAY, F::kDateFieldLimit, &F::Fields::from_day},
    {IDC_TO_YEAR, F::kDateFieldLimit, &F::Fields::to_year},
    {IDC_TO_MONTH, F::kDateFieldLimit, &F::Fields::to_month},
    {IDC_TO_DAY, F::kDateFieldLimit, &F::Fields::to_day},
    {IDC_MIN_DM, F::kDmFieldLimit, &F::Fields::dm},
    {IDC_MIN_PF, F::kPfFieldLimit, &F::Fields::pf},
};

INT_PTR CALLBACK filter_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        keep_context(dlg, lp);
        const F::Fields texts = context<eval::SystemChargeList>(dlg)->filter_dialog_texts();
        for (const FilterEdit& e : kFilterEdits) {
            SendDlgItemMessageA(dlg, e.id, EM_LIMITTEXT, e.limit, 0);
            SetDlgItemTextA(dlg, e.id, (texts.*e.field).c_str());
        }
        return TRUE;
    }
    case WM_HELP:
        help_popup(dlg, F::kHelpPopup);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            F::Fields fields;
            for (const FilterEdit& e : kFilterEdits)
                fields.*e.field = item_text(dlg, e.id);
            if (auto error = context<eval::SystemChargeList>(dlg)->filter_dialog_ok(fields)) {
                app_state().ui.show(*error);
                return TRUE;
            }
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) { // the close box: nothing changes
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// ----- Subscriber statistics and sums -----

struct StatisticsContext {
    const eval::SystemChargeList* list;
    eval::SelectedSubscriber selected;
};

INT_PTR CALLBACK subscriber_statistics_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        keep_context(dlg, lp);
        const auto* c = context<StatisticsContext>(dlg);
        const eval::SubscriberStatistics s = eval::subscriber_statistics(
            c->list->store(), c->list->sums(), c->selected, current_lookup(), now());
        set_lines(dlg, IDC_STATISTICS_LIST, s.lines);
        SetDlgItemTextA(dlg, IDC_STATISTICS_SUM1, s.summary_first_line.c_str());
        SetDlgItemTextA(dlg, IDC_STATISTICS_SUM2, s.summary_second_line.c_str());
        return TRUE;
    }
    case WM_HELP:
        help_popup(dlg, eval::kSubscriberStatisticsHelpPopup);
        return TRUE;
    case WM_COMMAND:
        return list_buttons(dlg, LOWORD(wp), IDC_STATISTICS_LIST, eval::kSubscriberStatisticsHeader)
                   ? TRUE
                   : FALSE;
    default:
        return FALSE;
    }
}

struct SumsContext {
    const eval::SystemChargeList* list;
    std::vector<std::string> lines;
};

INT_PTR CALLBACK subscriber_sums_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        keep_context(dlg, lp);
        auto* c = context<SumsContext>(dlg);
        c->lines = eval::subscriber_sums_lines(c->list->sums());
        if (!c->lines.empty()) set_lines(dlg, IDC_SUMS_LIST, c->lines);
        return TRUE;
    }
    case WM_HELP:
        help_popup(dlg, eval::kSubscriberSumsHelpPopup);
        return TRUE;
    case WM_COMMAND:
        if (list_buttons(dlg, LOWORD(wp), IDC_SUMS_LIST, eval::kSubscriberSumsHeader)) return TRUE;
        switch (LOWORD(wp)) {
        case IDC_SUBSCRIBER_STATISTICS: {
            const auto* c = context<SumsContext>(dlg);
            const auto selected =
                eval::select_subscriber(c->lines, selected_line(dlg, IDC_SUMS_LIST));
            if (!selected) return TRUE;
            StatisticsContext statistics{c->list, *selected};
            run_dialog(dlg, "GebTlnStatistikBox", subscriber_statistics_proc, &statistics);
            return TRUE;
        }
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

// ----- System charge list -----

struct ChargeListContext {
    explicit ChargeListContext(data::ChargeStore& store) : list(store) {}
    eval::SystemChargeList list;
};

bool show_fill(HWND dlg, ChargeListContext& c, const eval::FillResult& result);

// The "Filter" button and a Yes to the filter question. false: the dialog has ended.
bool filter_change(HWND dlg, ChargeListContext& c) {
    run_dialog(dlg, "GebFilterDlgBox", filter_proc, &c.list);
    const auto refilled = c.list.refill_after_filter_dialog(current_lookup(), now());
    if (!refilled) return true;
    return show_fill(dlg, c, *refilled);
}

bool show_fill(HWND dlg, ChargeListContext& c, const eval::FillResult& result) {
    set_lines(dlg, IDC_CHARGE_LIST, c.list.lines());
    switch (result.outcome) {
    case eval::FillOutcome::Listed:
        SetDlgItemTextA(dlg, IDC_CHARGE_SUMMARY1, c.list.summary_first_line().c_str());
        SetDlgItemTextA(dlg, IDC_CHARGE_SUMMARY2, c.list.summary_second_line().c_str());
        return true;
    case eval::FillOutcome::AskFilter:
        if (result.message && app_state().ui.show(*result.message) == app::Answer::Yes)
            return filter_change(dlg, c);
        EndDialog(dlg, IDCANCEL);
        return false;
    case eval::FillOutcome::NoChargeData:
        if (result.message) app_state().ui.show(*result.message);
        EndDialog(dlg, IDCANCEL);
        return false;
    }
    return true;
}

INT_PTR CALLBACK charge_list_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        keep_context(dlg, lp);
        auto* c = context<ChargeListContext>(dlg);
        show_fill(dlg, *c, c->list.fill(current_lookup(), now()));
        return TRUE;
    }
    case WM_HELP:
        help_popup(dlg, eval::kChargeListHelpPopup);
        return TRUE;
    case WM_COMMAND: {
        auto* c = context<ChargeListContext>(dlg);
        if (list_buttons(dlg, LOWORD(wp), IDC_CHARGE_LIST, eval::kChargeListPrintHeading))
            return TRUE;
        switch (LOWORD(wp)) {
        case IDC_SUBSCRIBER_SUMS: {
            SumsContext sums{&c->list, {}};
            run_dialog(dlg, "GebTlnDatSummBox", subscriber_sums_proc, &sums);
            return TRUE;
        }
        case IDC_FILTER:
            filter_change(dlg, *c);
            return TRUE;
        default:
            return FALSE;
        }
    }
    default:
        return FALSE;
    }
}

// ----- Projects -----

struct ProjectContext {
    eval::ProjectNames names;
    std::uint8_t project = 0;
};

INT_PTR CALLBACK project_list_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        keep_context(dlg, lp);
        const auto* c = context<ProjectContext>(dlg);
        const eval::ProjectEvaluation e = eval::evaluate_project(
            *app_state().charges, current_lookup(), c->names, c->project, now());
        if (e.no_data) {
            app_state().ui.show(*e.no_data);
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        set_lines(dlg, IDC_PROJECT_LIST, e.lines);
        SetDlgItemTextA(dlg, IDC_PROJECT_SUM1, e.summary_first_line.c_str());
        SetDlgItemTextA(dlg, IDC_PROJECT_SUM2, e.summary_second_line.c_str());
        return TRUE;
    }
    case WM_HELP:
        help_topic(dlg, eval::kProjectListHelp);
        return TRUE;
    case WM_COMMAND:
        return list_buttons(dlg, LOWORD(wp), IDC_PROJECT_LIST, eval::kProjectListHeader) ? TRUE
                                                                                         : FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK project_select_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        keep_context(dlg, lp);
        const auto buttons = eval::project_buttons(context<ProjectContext>(dlg)->names);
        for (std::size_t p = 1; p <= buttons.size(); ++p) {
            const eval::ProjectButton& b = buttons[p - 1];
            const int id = project_control(kProjectButtons, p);
            if (b.enabled) SetDlgItemTextA(dlg, id, b.caption.c_str());
            EnableWindow(GetDlgItem(dlg, id), b.enabled);
        }
        return TRUE;
    }
    case WM_HELP:
        help_topic(dlg, eval::kProjectSelectHelp);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (id == IDOK || id == IDCANCEL) {
            EndDialog(dlg, id);
            return TRUE;
        }
        auto* c = context<ProjectContext>(dlg);
        const auto number = project_of(kProjectButtons, id);
        if (const auto project = number ? eval::chosen_project(c->names, *number) : std::nullopt) {
            c->project = *project;
            run_dialog(dlg, "ProjTlnDatAllBox", project_list_proc, c);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// ----- Calls -----

INT_PTR CALLBACK call_statistics_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        set_lines(dlg, IDC_CALL_STATISTICS_LIST,
                  *reinterpret_cast<const std::vector<std::string>*>(lp));
        return TRUE;
    case WM_HELP:
        help_popup(dlg, eval::kCallStatisticsHelpPopup);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK speed_dial_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        keep_context(dlg, lp);
        SendDlgItemMessageA(dlg, IDC_SPEED_DIAL_CODE, EM_LIMITTEXT, eval::kSpeedDialFieldLimit, 0);
        SetDlgItemTextA(dlg, IDC_SPEED_DIAL_CODE, eval::kSpeedDialInitialText);
        return TRUE;
    case WM_HELP:
        help_popup(dlg, eval::kSpeedDialHelpPopup);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            const std::size_t record = *context<const std::size_t>(dlg);
            const auto result =
                eval::speed_dial(*app_state().calls, record, item_text(dlg, IDC_SPEED_DIAL_CODE));
            if (const auto* error = std::get_if<app::Message>(&result)) {
                app_state().ui.show(*error);
            } else {
                const auto& target = std::get<eval::SpeedDialTarget>(result);
                write_speed_dial(dlg, target.number, target.index);
            }
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK call_list_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        keep_context(dlg, lp);
        auto* list = context<eval::CallList>(dlg);
        *list = eval::fill_call_list(*app_state().calls, current_lookup(), now());
        set_lines(dlg, IDC_CALL_LIST, list->lines);
        return TRUE;
    }
    case WM_HELP:
        help_topic(dlg, eval::kCallListHelp);
        return TRUE;
    case WM_COMMAND: {
        const auto* list = context<eval::CallList>(dlg);
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        case IDC_PRINT:
            print_list(dlg, GetDlgItem(dlg, IDC_CALL_LIST), eval::kCallListHeader);
            return TRUE;
        case IDC_CALL_STATISTICS: {
            const auto line = selected_line(dlg, IDC_CALL_LIST);
            if (!line) return TRUE;
            const std::vector<std::string> lines = eval::call_statistics_of_line(
                *app_state().calls, *list, *line, current_lookup(), now());
            if (!lines.empty()) run_dialog(dlg, "AnrTlnDatStatBox", call_statistics_proc, &lines);
            return TRUE;
        }
        case IDC_SPEED_DIAL: {
            const auto line = selected_line(dlg, IDC_CALL_LIST);
            if (!line || *line >= list->line_map.size()) return TRUE;
            const std::size_t record = list->line_map[*line];
            run_dialog(dlg, "ANRLKWBOX", speed_dial_proc, &record);
            return TRUE;
        }
        default:
            return FALSE;
        }
    }
    default:
        return FALSE;
    }
}

} // namespace

void run_charge_evaluation(HWND owner) {
    App& a = app_state();
    if (!a.charges || a.charges->count() == 0) return;
    eval::open_charge_evaluation(*a.charges);
    ChargeListContext c(*a.charges);
    run_dialog(owner, "GebTlnDatAllBox", charge_list_proc, &c);
}

void run_project_evaluation(HWND owner) {
    App& a = app_state();
    if (!a.charges || a.charges->count() == 0) return;
    ProjectContext c{current_project_names(), 0};
    run_dialog(owner, "ProjSelectDlg", project_select_proc, &c);
}

void run_call_list(HWND owner) {
    App& a = app_state();
    if (!a.calls) return;
    if (a.calls->count() == 0) {
        // Also after a read that found the exchange's call list empty: the user may read again.
        if (a.ui.show(eval::no_call_data_question()) != app::Answer::Yes) return;
        run_transfer(owner, IDM_READ_CALLS); // a connected read opens the list itself
        return;
    }
    eval::group_calls(*a.calls);
    eval::CallList list;
    run_dialog(owner, "AnrTlnDatAllBox", call_list_proc, &list);
}

} // namespace kalmo::win32
