// The dialogs of the evaluation lists. They copy what the core computed into the controls and
// hand the user's choices back; every line and every check is the core's.
#include "list_dialogs.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "controls.h"
#include "resource.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/call_list.h"
#include "core/eval/charge_list.h"
#include "core/eval/csv.h"
#include "core/eval/project.h"
#include "core/eval/subscriber.h"
#include "dialog.h"
#include "help.h"
#include "list_export.h"

namespace kalmo::win32 {

namespace {

// What tells the list dialogs apart: the list box, the heading on paper, the help, and the
// name an exported table is proposed under.
struct ListKind {
    const char* template_name;
    int list_id;
    const char* heading;
    Dialog::Help help;
    unsigned export_name; // string-table id
};

constexpr ListKind kChargeList{"GebTlnDatAllBox",
                               IDC_CHARGE_LIST,
                               eval::kChargeListPrintHeading,
                               {app::HelpKind::ContextPopup, app::help::ChargeListPopup},
                               app::str::ExportNameChargeList};
constexpr ListKind kSubscriberSums{"GebTlnDatSummBox",
                                   IDC_SUMS_LIST,
                                   eval::kSubscriberSumsHeader,
                                   {app::HelpKind::ContextPopup, app::help::SubscriberSumsPopup},
                                   app::str::ExportNameSubscriberSums};
constexpr ListKind kSubscriberStatistics{
    "GebTlnStatistikBox",
    IDC_STATISTICS_LIST,
    eval::kSubscriberStatisticsHeader,
    {app::HelpKind::ContextPopup, app::help::SubscriberStatisticsPopup},
    app::str::ExportNameSubscriberStatistics};
constexpr ListKind kProjectList{"ProjTlnDatAllBox",
                                IDC_PROJECT_LIST,
                                eval::kProjectListHeader,
                                {app::HelpKind::Context, app::help::ProjectList},
                                app::str::ExportNameProjectList};
constexpr ListKind kCallList{"AnrTlnDatAllBox",
                             IDC_CALL_LIST,
                             eval::kCallListHeader,
                             {app::HelpKind::Context, app::help::CallListWindow},
                             app::str::ExportNameCallList};

// A list dialog: its list box with a heading for the paper, its help, and the buttons every
// list has.
class ListDialog : public Dialog {
protected:
    ListDialog(const ListContext& context, const ListKind& kind)
        : Dialog(kind.template_name, kind.help), c_(context), list_id_(kind.list_id),
          heading_(kind.heading), export_name_(kind.export_name) {}

    // The table "Exportieren …" writes: the one the console's --csv writes for this list.
    virtual eval::csv::Table table() const = 0;
    // The name the file is proposed under, before the date.
    virtual std::string export_name() const { return app::string_text(export_name_); }

    // "OK" empties the list before the dialog ends.
    bool on_ok() override {
        send(list_id_, LB_RESETCONTENT);
        return true;
    }
    // "Drucken" prints the list under its heading, "Exportieren …" writes its table. false for
    // any other command.
    bool list_buttons(int id) {
        switch (id) {
        case IDC_PRINT:
            print_list(c_.printer, hwnd(), item(list_id_), heading_);
            return true;
        case IDC_EXPORT:
            export_list(hwnd(), ExportPlace{c_.fs, c_.ui, c_.clock}, export_name().c_str(),
                        [this] { return table(); });
            return true;
        default:
            return false;
        }
    }
    bool on_command(int id, int) override { return list_buttons(id); }

    // The lines, and the two summary lines in their statics below the list.
    template <typename Evaluation>
    void show_summary(const Evaluation& e, int first_id, int second_id) const {
        set_lines(list_id_, e.lines);
        set_text(first_id, e.summary_first_line);
        set_text(second_id, e.summary_second_line);
    }

    std::optional<std::size_t> selected_line() const {
        const LRESULT sel = send(list_id_, LB_GETCURSEL);
        if (sel == LB_ERR || sel < 0) return std::nullopt;
        return static_cast<std::size_t>(sel);
    }
    app::LocalTime now() const { return c_.clock.now(); }

    const ListContext& c_;
    const int list_id_;

private:
    const char* heading_;
    unsigned export_name_;
};

// ----- Filter -----

using F = eval::FilterForm;

struct FilterEdit {
    int id;
    unsigned limit;
    std::string F::Fields::*field;
};

const FilterEdit kFilterEdits[] = {
    {IDC_FROM_YEAR, F::kYearFieldLimit, &F::Fields::from_year},
    {IDC_FROM_MONTH, F::kDateFieldLimit, &F::Fields::from_month},
    {IDC_FROM_DAY, F::kDateFieldLimit, &F::Fields::from_day},
    {IDC_TO_YEAR, F::kYearFieldLimit, &F::Fields::to_year},
    {IDC_TO_MONTH, F::kDateFieldLimit, &F::Fields::to_month},
    {IDC_TO_DAY, F::kDateFieldLimit, &F::Fields::to_day},
    {IDC_MIN_DM, F::kDmFieldLimit, &F::Fields::dm},
    {IDC_MIN_PF, F::kPfFieldLimit, &F::Fields::pf},
};

class FilterDialog : public Dialog {
public:
    FilterDialog(eval::SystemChargeList& list, app::MessageUi& ui)
        : Dialog("GebFilterDlgBox", Help{app::HelpKind::ContextPopup, app::help::FilterPopup}),
          list_(list), ui_(ui) {}

private:
    void on_init() override {
        const F::Fields texts = list_.filter_dialog_texts();
        for (const FilterEdit& e : kFilterEdits) {
            send(e.id, EM_LIMITTEXT, e.limit);
            set_text(e.id, texts.*e.field);
        }
    }
    // Cancel and the close box change nothing.
    bool on_ok() override {
        F::Fields fields;
        for (const FilterEdit& e : kFilterEdits)
            fields.*e.field = text(e.id);
        if (auto error = list_.filter_dialog_ok(fields)) {
            ui_.show(*error);
            return false;
        }
        return true;
    }

    eval::SystemChargeList& list_;
    app::MessageUi& ui_;
};

// ----- Subscriber statistics and sums -----

class SubscriberStatisticsDialog : public ListDialog {
public:
    SubscriberStatisticsDialog(const ListContext& context, const eval::SystemChargeList& list,
                               const eval::SelectedSubscriber& selected)
        : ListDialog(context, kSubscriberStatistics), list_(list), selected_(selected) {}

private:
    void on_init() override {
        show_summary(eval::subscriber_statistics(list_.store(), list_.sums(), selected_, c_.lookup,
                                                 now(), c_.currency, c_.privacy),
                     IDC_STATISTICS_SUM1, IDC_STATISTICS_SUM2);
    }
    eval::csv::Table table() const override {
        return eval::csv::charge_table(list_.store(),
                                       eval::csv::subscriber_records(list_.store(), selected_.text),
                                       c_.lookup, c_.projects, now(), c_.currency, c_.privacy);
    }
    std::string export_name() const override {
        return ListDialog::export_name() + " " + app::trimmed(selected_.text);
    }

    const eval::SystemChargeList& list_;
    eval::SelectedSubscriber selected_;
};

class SubscriberSumsDialog : public ListDialog {
public:
    SubscriberSumsDialog(const ListContext& context, const eval::SystemChargeList& list)
        : ListDialog(context, kSubscriberSums), list_(list) {}

private:
    void on_init() override {
        lines_ = eval::subscriber_sums_lines(list_.sums(), c_.currency);
        if (!lines_.empty()) set_lines(list_id_, lines_);
    }
    eval::csv::Table table() const override {
        return eval::csv::subscriber_sums_table(list_.sums(), now(), c_.currency);
    }
    bool on_command(int id, int) override {
        if (list_buttons(id)) return true;
        if (id != IDC_SUBSCRIBER_STATISTICS) return false;
        if (const auto selected = eval::select_subscriber(lines_, selected_line()))
            SubscriberStatisticsDialog(c_, list_, *selected).run_modal(hwnd());
        return true;
    }

    const eval::SystemChargeList& list_;
    std::vector<std::string> lines_;
};

// ----- System charge list -----

class ChargeListDialog : public ListDialog {
public:
    explicit ChargeListDialog(const ListContext& context)
        : ListDialog(context, kChargeList),
          list_(context.charges, context.currency, context.privacy) {}

private:
    void on_init() override { show_fill(list_.fill(c_.lookup, now())); }
    eval::csv::Table table() const override {
        return eval::csv::charge_table(c_.charges, list_.listed_records(), c_.lookup, c_.projects,
                                       now(), c_.currency, c_.privacy);
    }
    bool on_command(int id, int) override {
        if (list_buttons(id)) return true;
        switch (id) {
        case IDC_SUBSCRIBER_SUMS:
            SubscriberSumsDialog(c_, list_).run_modal(hwnd());
            return true;
        case IDC_FILTER:
            filter_change();
            return true;
        default:
            return false;
        }
    }

    // The "Filter" button and a Yes to the filter question. false: the dialog has ended.
    bool filter_change() {
        FilterDialog(list_, c_.ui).run_modal(hwnd());
        const auto refilled = list_.refill_after_filter_dialog(c_.lookup, now());
        if (!refilled) return true;
        return show_fill(*refilled);
    }

    bool show_fill(const eval::FillResult& result) {
        set_lines(list_id_, list_.lines());
        switch (result.outcome) {
        case eval::FillOutcome::Listed:
            set_text(IDC_CHARGE_SUMMARY1, list_.summary_first_line());
            set_text(IDC_CHARGE_SUMMARY2, list_.summary_second_line());
            return true;
        case eval::FillOutcome::AskFilter:
            if (result.message && c_.ui.show(*result.message) == app::Answer::Yes)
                return filter_change();
            end(IDCANCEL);
            return false;
        case eval::FillOutcome::NoChargeData:
            if (result.message) c_.ui.show(*result.message);
            end(IDCANCEL);
            return false;
        }
        return true;
    }

    eval::SystemChargeList list_;
};

// ----- Projects -----

class ProjectListDialog : public ListDialog {
public:
    ProjectListDialog(const ListContext& context, const eval::ProjectNames& names,
                      std::uint8_t project)
        : ListDialog(context, kProjectList), names_(names), project_(project) {}

private:
    void on_init() override {
        const eval::ProjectEvaluation e = eval::evaluate_project(
            c_.charges, c_.lookup, names_, project_, now(), c_.currency, c_.privacy);
        if (e.no_data) {
            c_.ui.show(*e.no_data);
            end(IDCANCEL);
            return;
        }
        show_summary(e, IDC_PROJECT_SUM1, IDC_PROJECT_SUM2);
    }
    eval::csv::Table table() const override {
        return eval::csv::charge_table(c_.charges,
                                       eval::csv::project_records(c_.charges, c_.lookup, project_),
                                       c_.lookup, names_, now(), c_.currency, c_.privacy);
    }
    std::string export_name() const override {
        return ListDialog::export_name() + " " + std::to_string(project_);
    }

    const eval::ProjectNames& names_;
    std::uint8_t project_;
};

class ProjectSelectDialog : public Dialog {
public:
    ProjectSelectDialog(const ListContext& context, const eval::ProjectNames& names)
        : Dialog("ProjSelectDlg", Help{app::HelpKind::Context, app::help::ProjectSelect}),
          c_(context), names_(names) {}

private:
    void on_init() override {
        const auto buttons = eval::project_buttons(names_);
        for (std::size_t p = 1; p <= buttons.size(); ++p) {
            const eval::ProjectButton& b = buttons[p - 1];
            const int id = project_control(kProjectButtons, p);
            if (b.enabled) set_text(id, b.caption);
            EnableWindow(item(id), b.enabled);
        }
    }
    bool on_command(int id, int) override {
        const auto number = project_of(kProjectButtons, id);
        const auto project = number ? eval::chosen_project(names_, *number) : std::nullopt;
        if (!project) return false;
        ProjectListDialog(c_, names_, *project).run_modal(hwnd());
        return true;
    }

    const ListContext& c_;
    const eval::ProjectNames& names_;
};

// ----- Calls -----

class CallStatisticsDialog : public Dialog {
public:
    CallStatisticsDialog(const ListContext& context, const std::vector<std::string>& lines,
                         std::size_t record)
        : Dialog("AnrTlnDatStatBox",
                 Help{app::HelpKind::ContextPopup, app::help::CallStatisticsPopup}),
          c_(context), lines_(lines), record_(record) {}

private:
    void on_init() override { set_lines(IDC_CALL_STATISTICS_LIST, lines_); }
    bool on_command(int id, int) override {
        if (id != IDC_EXPORT) return false;
        export_list(hwnd(), ExportPlace{c_.fs, c_.ui, c_.clock},
                    app::string_text(app::str::ExportNameCallStatistics), [this] {
                        return eval::csv::call_statistics_table(
                            c_.calls, eval::call_statistics_records(c_.calls, record_), c_.lookup,
                            c_.clock.now(), c_.privacy);
                    });
        return true;
    }

    const ListContext& c_;
    const std::vector<std::string>& lines_;
    std::size_t record_;
};

class SpeedDialDialog : public Dialog {
public:
    SpeedDialDialog(const ListContext& context, std::size_t record)
        : Dialog("ANRLKWBOX", Help{app::HelpKind::ContextPopup, app::help::SpeedDialPopup}),
          c_(context), record_(record) {}

private:
    void on_init() override {
        send(IDC_SPEED_DIAL_CODE, EM_LIMITTEXT, eval::kSpeedDialFieldLimit);
        set_text(IDC_SPEED_DIAL_CODE, eval::kSpeedDialInitialText);
    }
    // The dialog ends whatever came of the code: a wrong one has been said.
    bool on_ok() override {
        const auto result = eval::speed_dial(c_.calls, record_, text(IDC_SPEED_DIAL_CODE));
        if (const auto* error = std::get_if<app::Message>(&result)) {
            c_.ui.show(*error);
        } else {
            const auto& target = std::get<eval::SpeedDialTarget>(result);
            c_.write_speed_dial(hwnd(), target.number, target.index);
        }
        return true;
    }

    const ListContext& c_;
    std::size_t record_;
};

class CallListDialog : public ListDialog {
public:
    explicit CallListDialog(const ListContext& context) : ListDialog(context, kCallList) {}

private:
    void on_init() override {
        list_ = eval::fill_call_list(c_.calls, c_.lookup, now(), c_.privacy);
        set_lines(list_id_, list_.lines);
    }
    eval::csv::Table table() const override {
        return eval::csv::call_list_table(c_.calls, list_.line_map, c_.lookup, now(), c_.privacy);
    }
    // The lines stay: this list is not emptied on the way out.
    bool on_ok() override { return true; }
    bool on_command(int id, int) override {
        switch (id) {
        case IDC_CALL_STATISTICS: {
            const auto line = selected_line();
            if (!line) return true;
            const std::vector<std::string> lines =
                eval::call_statistics_of_line(c_.calls, list_, *line, c_.lookup, now(), c_.privacy);
            if (!lines.empty())
                CallStatisticsDialog(c_, lines, list_.line_map[*line]).run_modal(hwnd());
            return true;
        }
        case IDC_SPEED_DIAL: {
            const auto line = selected_line();
            if (!line || *line >= list_.line_map.size()) return true;
            SpeedDialDialog(c_, list_.line_map[*line]).run_modal(hwnd());
            return true;
        }
        default:
            return list_buttons(id);
        }
    }

    eval::CallList list_;
};

} // namespace

void run_charge_evaluation(HWND owner, const ListContext& context) {
    if (context.charges.count() == 0) return;
    eval::open_charge_evaluation(context.charges);
    ChargeListDialog(context).run_modal(owner);
}

void run_project_evaluation(HWND owner, const ListContext& context,
                            const eval::ProjectNames& names) {
    if (context.charges.count() == 0) return;
    ProjectSelectDialog(context, names).run_modal(owner);
}

void run_call_list(HWND owner, const ListContext& context) {
    if (context.calls.count() == 0) return;
    eval::group_calls(context.calls);
    CallListDialog(context).run_modal(owner);
}

} // namespace kalmo::win32
