// The dialogs of the archive report. The files are found, read and totalled by the core, as
// for the console's report: both show the same lines for the same choice.
#include "archive_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <variant>
#include <vector>

#include "resource.h"
#include "core/app/help_contexts.h"
#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/archive_report.h"
#include "dialog.h"
#include "file_dialog.h"
#include "list_export.h"
#include "platform/archive.h"

namespace kalmo::win32 {

namespace {

namespace report = eval::report;

struct Grouping {
    int id;
    report::By by;
};
constexpr Grouping kGroupings[] = {{IDC_ARCHIVE_BY_SUBSCRIBER, report::By::Subscriber},
                                   {IDC_ARCHIVE_BY_PROJECT, report::By::Project},
                                   {IDC_ARCHIVE_BY_MONTH, report::By::Month}};

class ArchiveListDialog : public Dialog {
public:
    ArchiveListDialog(const ListContext& context, const report::ArchiveReport& result)
        : Dialog("ArchivListeDlgBox", Help{app::HelpKind::Context, app::help::ArchiveList}),
          c_(context), result_(result) {}

    // The column titles, kept for the paper.
    void set_by(report::By by) { by_ = by; }

private:
    void on_init() override {
        std::vector<std::string> lines = report::report_lines(result_.report, by_, c_.currency);
        heading_ = lines.front();
        lines.erase(lines.begin());
        set_text(IDC_ARCHIVE_COUNTS, report::counts_line(result_));
        set_text(IDC_ARCHIVE_HEADER, heading_);
        set_lines(IDC_ARCHIVE_LIST, lines);
    }
    bool on_command(int id, int) override {
        switch (id) {
        case IDOK:
        case IDCANCEL:
            end(id);
            return true;
        case IDC_PRINT:
            print_list(c_.printer, hwnd(), item(IDC_ARCHIVE_LIST), heading_);
            return true;
        case IDC_EXPORT:
            export_list(hwnd(), ExportPlace{c_.fs, c_.ui, c_.clock},
                        app::string_text(app::str::ExportNameArchiveReport),
                        [this] { return report::report_table(result_.report, by_, c_.currency); });
            return true;
        default:
            return false;
        }
    }

    const ListContext& c_;
    const report::ArchiveReport& result_;
    report::By by_ = report::By::Subscriber;
    std::string heading_;
};

class ArchiveChoiceDialog : public Dialog {
public:
    ArchiveChoiceDialog(const ListContext& context, app::FileSystem& fs,
                        const eval::ProjectNames& projects, const std::string& archive_folder)
        : Dialog("ArchivDlgBox", Help{app::HelpKind::Context, app::help::ArchiveReport}),
          c_(context), fs_(fs), projects_(projects), archive_folder_(archive_folder) {}

private:
    void on_init() override {
        if (!archive_folder_.empty()) add_root(archive_folder_);
        const auto [from, to] = report::last_full_months(c_.clock.now());
        set_text(IDC_ARCHIVE_FROM, report::month_field_text(from));
        set_text(IDC_ARCHIVE_TO, report::month_field_text(to));
        CheckRadioButton(hwnd(), IDC_ARCHIVE_BY_SUBSCRIBER, IDC_ARCHIVE_BY_MONTH,
                         IDC_ARCHIVE_BY_SUBSCRIBER);
    }

    bool on_command(int id, int) override {
        switch (id) {
        case IDOK:
            run_report();
            return true;
        case IDCANCEL:
            end(IDCANCEL);
            return true;
        case IDC_ARCHIVE_ADD_FOLDER:
            add_folder();
            return true;
        case IDC_ARCHIVE_ADD_FILE:
            add_files();
            return true;
        case IDC_ARCHIVE_REMOVE:
            remove_selected();
            return true;
        default:
            return false;
        }
    }

    // One entry per folder or file: a second would count nothing (its records are duplicates)
    // but make the count of files read look larger.
    void add_root(const std::string& path) {
        const bool known = std::any_of(roots_.begin(), roots_.end(), [&](const std::string& r) {
            return app::equal_ignoring_case(r, path);
        });
        if (known || path.empty()) return;
        roots_.push_back(path);
        set_lines(IDC_ARCHIVE_SOURCES, roots_);
    }

    void remove_selected() {
        const LRESULT sel = send(IDC_ARCHIVE_SOURCES, LB_GETCURSEL);
        if (sel == LB_ERR || sel < 0 || static_cast<std::size_t>(sel) >= roots_.size()) return;
        roots_.erase(roots_.begin() + sel);
        set_lines(IDC_ARCHIVE_SOURCES, roots_);
    }

    void add_folder() {
        char name[MAX_PATH] = {};
        BROWSEINFOA info{};
        info.hwndOwner = hwnd();
        info.pszDisplayName = name;
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
        if (!chosen) return;
        char path[MAX_PATH] = {};
        const bool got = SHGetPathFromIDListA(chosen, path) != FALSE;
        CoTaskMemFree(chosen);
        if (got) add_root(path);
    }

    void add_files() {
        const std::string filter = dialog_filter(app::str::ChargeFileFilter);
        std::vector<char> names(32 * 1024, '\0');
        OPENFILENAMEA o{};
        o.lStructSize = sizeof o;
        o.hwndOwner = hwnd();
        o.lpstrFilter = filter.c_str();
        o.lpstrFile = names.data();
        o.nMaxFile = static_cast<DWORD>(names.size());
        o.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        if (!GetOpenFileNameA(&o)) return;
        // One file: its whole path. Several: the folder, then each name, each ended by a zero.
        const std::string first(names.data());
        const char* next = names.data() + first.size() + 1;
        if (*next == '\0') {
            add_root(first);
            return;
        }
        for (; *next != '\0'; next += std::string_view(next).size() + 1)
            add_root(app::join_path(first, next));
    }

    void run_report() {
        report::ReportChoice choice{roots_, text(IDC_ARCHIVE_FROM), text(IDC_ARCHIVE_TO),
                                    report::By::Subscriber};
        for (const Grouping& g : kGroupings)
            if (IsDlgButtonChecked(hwnd(), g.id) == BST_CHECKED) choice.by = g.by;
        const auto request = report::request_from_choice(choice);
        if (const auto* wrong = std::get_if<app::Message>(&request)) {
            c_.ui.show(*wrong);
            return;
        }
        platform::SystemArchiveFinder finder;
        const HCURSOR before = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
        const report::ArchiveReport result = report::report_archive(
            std::get<report::ReportRequest>(request), fs_, finder, c_.lookup, projects_);
        SetCursor(before);
        // The damaged are named first; the list then shows what the others hold.
        if (const auto box = report::problems_message(result.problems)) c_.ui.show(*box);
        ArchiveListDialog list(c_, result);
        list.set_by(choice.by);
        list.run_modal(hwnd());
    }

    const ListContext& c_;
    app::FileSystem& fs_;
    const eval::ProjectNames& projects_;
    std::string archive_folder_;
    std::vector<std::string> roots_;
};

} // namespace

void run_archive_report(HWND owner, const ListContext& context, app::FileSystem& fs,
                        const eval::ProjectNames& projects, const std::string& archive_folder) {
    ArchiveChoiceDialog(context, fs, projects, archive_folder).run_modal(owner);
}

} // namespace kalmo::win32
