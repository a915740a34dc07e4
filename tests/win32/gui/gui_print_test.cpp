// Printing driven from outside under Wine and read back from paper: the prefix's PostScript
// printer hands each job to a command of the test's own that turns it into a PDF and its text
// (pdftotext -layout), which is compared with the dialog's own list lines page by page.
#include <windows.h>

#include <dlgs.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../temp_dir.h"
#include "win32/resource.h"
#include "driver.h"
#include "gui_fixture.h"
#include "print_support.h"
#include "win32/controls.h"

namespace kalmo::gui {
namespace {

// The lines a page holds under its header: the heading and its underline first.
std::vector<std::string> body_of(const std::vector<std::string>& page, const std::string& heading,
                                 int page_number) {
    std::vector<std::string> body;
    EXPECT_GE(page.size(), 2u) << "page " << page_number;
    if (page.size() < 2) return body;
    EXPECT_EQ(page[0], fold(heading)) << "page " << page_number;
    EXPECT_EQ(page[1], std::string(heading.size(), '_')) << "page " << page_number;
    body.assign(page.begin() + 2, page.end());
    return body;
}

// Every list line whole, in order, the pages full up to the last, as many pages as the lines
// need. Returns the list lines per page.
std::size_t expect_printed(const Job& job, const std::string& heading,
                           const std::vector<std::string>& lines) {
    std::vector<std::string> expected;
    for (const std::string& line : lines)
        expected.push_back(fold(line));
    std::vector<std::string> printed;
    std::size_t per_page = 0;
    for (std::size_t p = 0; p < job.pages.size(); ++p) {
        const auto body = body_of(job.pages[p], heading, static_cast<int>(p));
        if (p == 0) per_page = body.size();
        if (p + 1 < job.pages.size()) {
            EXPECT_EQ(body.size(), per_page) << "page " << p;
        }
        printed.insert(printed.end(), body.begin(), body.end());
    }
    EXPECT_EQ(printed, expected);
    if (per_page > 0) {
        EXPECT_EQ(job.pages.size(), (lines.size() + per_page - 1) / per_page);
    }
    return per_page;
}

class GuiPrint : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(spool.ok()) << "no spool command for the test printer";
    }
    void TearDown() override { SetDefaultPrinterA("Kalmo A4"); }

    // The program with `records` charges loaded through "&Öffnen" and the phonebook named in
    // its settings.
    std::unique_ptr<Program> start(int records, const char* printer = "Kalmo A4") {
        EXPECT_TRUE(SetDefaultPrinterA(printer)) << printer;
        const std::string book = dir.file("KUNDEN.TLB");
        EXPECT_TRUE(write_file(book, phonebook_file()));
        EXPECT_TRUE(write_file(dir.file("Kalmo32.ini"),
                               "[Files]\r\nTelbook=" + book +
                                   "\r\nGebFile=\r\n[Com]\r\nComPort=0\r\n"
                                   "[Toolbar]\r\nShowBar=0\r\nText=1\r\nLargeIcons=0\r\n"));
        const std::string gds = dir.file("Mon.GDS");
        EXPECT_TRUE(write_file(gds, charge_file(records)));
        auto p = std::make_unique<Program>(dir.path());
        if (!p->main()) return p;
        EXPECT_TRUE(open_charge_file(*p, gds));
        return p;
    }

    // Opens a list dialog with `command` of the main window and waits for its lines.
    HWND open_list(Program& p, unsigned command, const char* caption, int list_id) {
        return with_lines(p.open(command, caption), list_id);
    }
    // The system charge list "&Gebührenerfassung".
    HWND charge_list(Program& p) {
        return open_list(p, IDM_CHARGE_EVALUATION, "Anlageneinzelgebührensummen", IDC_CHARGE_LIST);
    }
    // The same with button `button` of `parent`.
    HWND open_list(Program& p, HWND parent, int button, const char* caption, int list_id) {
        click(parent, button);
        return with_lines(p.dialog(caption), list_id);
    }
    // `dlg` once its list has lines; nullptr when it has none or there is no dialog.
    static HWND with_lines(HWND dlg, int list_id) {
        const bool filled =
            dlg && wait_for([&] { return !list_lines(GetDlgItem(dlg, list_id)).empty(); });
        return filled ? dlg : nullptr;
    }

    // "Drucken" in `dlg`, OK in the Print dialog with `copies` and collation as given (unset:
    // as preselected).
    void print(Program& p, HWND dlg, int copies = 0, int collate = -1,
               const std::string& printer = {}) {
        click(dlg, IDC_PRINT);
        HWND box = p.dialog("Print");
        ASSERT_NE(box, nullptr) << "no Print dialog";
        if (!printer.empty()) {
            HWND names = GetDlgItem(box, cmb4);
            const auto count = SendMessageW(names, CB_GETCOUNT, 0, 0);
            int index = -1;
            for (int i = 0; i < count; ++i)
                if (combo_text(names, i) == printer) index = i;
            ASSERT_GE(index, 0) << printer;
            SendMessageW(names, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            SendMessageW(box, WM_COMMAND, MAKEWPARAM(cmb4, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(names));
        }
        if (copies > 0) {
            SendMessageA(GetDlgItem(box, edt3), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(std::to_string(copies).c_str()));
        }
        if (collate >= 0)
            SendMessageA(GetDlgItem(box, chx2), BM_SETCHECK, collate ? BST_CHECKED : 0, 0);
        ASSERT_TRUE(dismiss(box, IDOK));
    }

    // Prints `dlg`'s list and checks the paper against it; the lines per page.
    std::size_t print_and_check(Program& p, HWND dlg, int list_id, const std::string& heading,
                                const std::string& paper, const std::string& printer = {}) {
        const auto lines = list_lines(GetDlgItem(dlg, list_id));
        EXPECT_FALSE(lines.empty());
        print(p, dlg, 0, -1, printer);
        Job job;
        EXPECT_TRUE(spool.wait_job(++jobs, job)) << "job " << jobs << " did not arrive";
        std::string size = job.paper;
        std::transform(size.begin(), size.end(), size.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        EXPECT_NE(size.find(paper), std::string::npos) << job.paper;
        // The dialog is usable again once the job is out.
        EXPECT_TRUE(wait_for([&] { return IsWindowEnabled(dlg) != FALSE; }));
        return expect_printed(job, heading, lines);
    }

    PrintSpool spool;
    std::size_t jobs = 0;
};

constexpr char kChargeHeading[] =
    " Tln  Datum    Uhrzeit   Dauer         Amtsrufnummer          Betrag";
constexpr char kSumsHeading[] = "Tln-Nr       vom            bis zum       Anz.       Betrag ";
constexpr char kStatisticsHeading[] =
    "Datum    Uhrzeit   Dauer         Amtsrufnummer             Betrag";
constexpr char kProjectHeading[] =
    "Tln   Datum    Uhrzeit   Dauer         Amtsrufnummer             Betrag";
constexpr char kCallHeading[] = "Tln   Datum    Uhrzeit     Amtsrufnummer            Anz ";
constexpr char kPhonebookHeading[] =
    "Name                         Lkz    Okz     Rufnummer     Projekt";

class GuiPrintPaper : public GuiPrint, public ::testing::WithParamInterface<const char*> {
protected:
    std::string printer() const { return std::string("Kalmo ") + GetParam(); }
};

TEST_P(GuiPrintPaper, EveryListReachesThePaperWholeUnderItsHeader) {
    auto p = start(150, printer().c_str());
    ASSERT_NE(p->main(), nullptr);
    std::string paper = std::string("(") + GetParam() + ")"; // as pdfinfo names it
    std::transform(paper.begin(), paper.end(), paper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });

    HWND list = charge_list(*p);
    ASSERT_NE(list, nullptr);
    const std::size_t per_page = print_and_check(*p, list, IDC_CHARGE_LIST, kChargeHeading, paper);
    // A page holds far more than the printer's default font allowed (about 30 lines).
    EXPECT_GT(per_page, 40u);

    HWND sums =
        open_list(*p, list, IDC_SUBSCRIBER_SUMS, "Anlagen Teilnehmergebührensummen", IDC_SUMS_LIST);
    ASSERT_NE(sums, nullptr);
    print_and_check(*p, sums, IDC_SUMS_LIST, kSumsHeading, paper);

    PostMessageA(GetDlgItem(sums, IDC_SUMS_LIST), LB_SETCURSEL, 0, 0);
    HWND statistics = open_list(*p, sums, IDC_SUBSCRIBER_STATISTICS,
                                "Teilnehmereinzelgebührensummen", IDC_STATISTICS_LIST);
    ASSERT_NE(statistics, nullptr);
    print_and_check(*p, statistics, IDC_STATISTICS_LIST, kStatisticsHeading, paper);
    ASSERT_TRUE(dismiss(statistics, IDOK));
    ASSERT_TRUE(dismiss(sums, IDOK));
    ASSERT_TRUE(dismiss(list, IDOK));

    HWND select = p->open(IDM_PROJECT_EVALUATION, "Projekte definieren");
    ASSERT_NE(select, nullptr);
    ASSERT_TRUE(wait_for(
        [&] { return IsWindowEnabled(GetDlgItem(select, IDC_PROJECT_BUTTON_1)) != FALSE; }));
    HWND project =
        open_list(*p, select, IDC_PROJECT_BUTTON_1, "Projektgebührenerfassung", IDC_PROJECT_LIST);
    ASSERT_NE(project, nullptr);
    print_and_check(*p, project, IDC_PROJECT_LIST, kProjectHeading, paper);
    ASSERT_TRUE(dismiss(project, IDOK));
    if (IsWindow(select)) {
        ASSERT_TRUE(dismiss(select, IDOK));
    }

    // The widest list of all.
    HWND editor = open_list(*p, IDM_PHONEBOOK_EDIT, "Telefonbuch editieren", IDC_PB_LIST);
    ASSERT_NE(editor, nullptr);
    print_and_check(*p, editor, IDC_PB_LIST, kPhonebookHeading, paper);
    ASSERT_TRUE(dismiss(editor, IDOK));
    EXPECT_TRUE(p->close());
}

INSTANTIATE_TEST_SUITE_P(Paper, GuiPrintPaper, ::testing::Values("A4", "Letter"));

// Pages told apart by their first list line.
std::vector<std::size_t> page_order(const Job& job, const std::vector<std::string>& firsts) {
    std::vector<std::size_t> order;
    for (const auto& page : job.pages) {
        const std::string first = page.size() > 2 ? page[2] : "";
        order.push_back(static_cast<std::size_t>(std::find(firsts.begin(), firsts.end(), first) -
                                                 firsts.begin()));
    }
    return order;
}

TEST_F(GuiPrint, CopiesWithAndWithoutCollation) {
    auto p = start(150);
    ASSERT_NE(p->main(), nullptr);
    HWND list = charge_list(*p);
    ASSERT_NE(list, nullptr);
    const auto lines = list_lines(GetDlgItem(list, IDC_CHARGE_LIST));

    print(*p, list, 2, 1);
    Job collated;
    ASSERT_TRUE(spool.wait_job(1, collated));
    ASSERT_GE(collated.pages.size(), 2u);
    // The first page's list lines tell the page length; pages are named by their first line.
    const std::size_t per_page = collated.pages[0].size() - 2;
    std::vector<std::string> firsts;
    for (std::size_t i = 0; i < lines.size(); i += per_page)
        firsts.push_back(fold(lines[i]));
    const std::size_t n = firsts.size();
    std::vector<std::size_t> expected;
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < n; ++i)
            expected.push_back(i);
    EXPECT_EQ(page_order(collated, firsts), expected);

    print(*p, list, 2, 0);
    Job uncollated;
    ASSERT_TRUE(spool.wait_job(2, uncollated));
    expected.clear();
    for (std::size_t i = 0; i < n; ++i)
        expected.insert(expected.end(), {i, i});
    EXPECT_EQ(page_order(uncollated, firsts), expected);
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

// Holds the program's next print job at `point` (0: before the document starts, N: after its
// Nth page) until release(), so that the test acts while the job has provably not finished
// however fast the machine prints (program_hooks.cpp).
class PrintHold {
public:
    PrintHold(Program& p, int point) : file_(p.dir() + "print-hold.txt") {
        const std::string pid = std::to_string(GetProcessId(p.process()));
        held_ = CreateEventA(nullptr, FALSE, FALSE, ("KalmoPrintHeld-" + pid).c_str());
        go_ = CreateEventA(nullptr, FALSE, FALSE, ("KalmoPrintGo-" + pid).c_str());
        ok_ = held_ && go_ && p.load_hooks() && write_file(file_, std::to_string(point));
    }
    ~PrintHold() {
        DeleteFileA(file_.c_str());
        release();
        if (held_) CloseHandle(held_);
        if (go_) CloseHandle(go_);
    }
    PrintHold(const PrintHold&) = delete;
    PrintHold& operator=(const PrintHold&) = delete;
    bool ok() const { return ok_; }
    bool held(int ms = 60000) const { return WaitForSingleObject(held_, ms) == WAIT_OBJECT_0; }
    void release() const {
        if (go_) SetEvent(go_);
    }

private:
    std::string file_;
    HANDLE held_ = nullptr;
    HANDLE go_ = nullptr;
    bool ok_ = false;
};

TEST_F(GuiPrint, CancelEndsTheJobAfterThePageInProgress) {
    auto p = start(500);
    ASSERT_NE(p->main(), nullptr);
    HWND list = charge_list(*p);
    ASSERT_NE(list, nullptr);
    const auto lines = list_lines(GetDlgItem(list, IDC_CHARGE_LIST));
    ASSERT_EQ(lines.size(), 500u);

    // Cancelled while the document starts (the printing system asks the abort procedure
    // then too), and three pages into the job; the job waits at that point until the cancel
    // has been pressed.
    for (int point : {0, 3}) {
        SCOPED_TRACE(point);
        PrintHold hold(*p, point);
        ASSERT_TRUE(hold.ok()) << "the print hold is not in place";
        const std::size_t before = spool.jobs().size();
        click(list, IDC_PRINT);
        HWND box = p->dialog("Print");
        ASSERT_NE(box, nullptr);
        click(box, IDOK);
        HWND cancel = p->dialog("PrntFile");
        ASSERT_NE(cancel, nullptr);
        ASSERT_TRUE(hold.held()) << "the job never reached the hold";
        EXPECT_FALSE(IsWindowEnabled(list)) << "the list dialog waits for the job";
        click(cancel, IDCANCEL);
        hold.release();
        ASSERT_TRUE(gone(cancel, 30000)) << "the cancel dialog goes";
        ASSERT_TRUE(wait_for([&] { return IsWindowEnabled(list) != FALSE; }, 30000));
        EXPECT_EQ(p->dialog("Fehler", 500), nullptr) << "a cancel is no failure";
        // What reaches the paper is whole pages from the first, up to the page in progress.
        // A job cancelled at its start is up to the spooler (here it is thrown away).
        const std::size_t expected_pages = static_cast<std::size_t>(point);
        Job job;
        if (spool.wait_job(before + 1, job, point ? 60000 : 3000)) {
            ASSERT_GE(job.pages.size(), 1u);
            const std::size_t per_page = job.pages[0].size() - 2;
            EXPECT_EQ(job.pages.size(), std::max<std::size_t>(expected_pages, 1));
            const auto printed =
                static_cast<std::ptrdiff_t>(std::min(lines.size(), job.pages.size() * per_page));
            expect_printed(job, kChargeHeading, {lines.begin(), lines.begin() + printed});
        } else {
            EXPECT_EQ(point, 0) << "the pages printed before the cancel went nowhere";
        }
    }

    // The list dialog is usable again: the next "Drucken" asks for a printer.
    click(list, IDC_PRINT);
    HWND box = p->dialog("Print");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(dismiss(box, IDCANCEL));
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiPrint, PrinterCommandServesTheNextPrintOnly) {
    auto p = start(20);
    ASSERT_NE(p->main(), nullptr);
    HWND setup = p->open(IDM_PRINTER, "Print Setup");
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(dismiss(setup, IDOK));

    HWND list = charge_list(*p);
    ASSERT_NE(list, nullptr);
    const auto lines = list_lines(GetDlgItem(list, IDC_CHARGE_LIST));
    click(list, IDC_PRINT);
    Job job;
    ASSERT_TRUE(spool.wait_job(1, job)) << "the first print went nowhere";
    EXPECT_EQ(p->dialog("Print", 300), nullptr) << "no Print dialog after the Printer command";
    expect_printed(job, kChargeHeading, lines);

    ASSERT_TRUE(wait_for([&] { return IsWindowEnabled(list) != FALSE; }));
    click(list, IDC_PRINT);
    HWND box = p->dialog("Print");
    ASSERT_NE(box, nullptr) << "the second print asks again";
    ASSERT_TRUE(dismiss(box, IDCANCEL));
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

// The spooler's directory blocked by a file for the test's lifetime: no job can start.
class BlockedSpooler {
public:
    BlockedSpooler() {
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, MAX_PATH);
        dir_ = std::string(windows) + "\\system32\\spool\\printers";
        moved_ = MoveFileA(dir_.c_str(), (dir_ + ".away").c_str()) != FALSE;
        blocked_ = moved_ && write_file(dir_, "not a directory");
    }
    ~BlockedSpooler() {
        if (blocked_) DeleteFileA(dir_.c_str());
        if (moved_) MoveFileA((dir_ + ".away").c_str(), dir_.c_str());
    }
    BlockedSpooler(const BlockedSpooler&) = delete;
    BlockedSpooler& operator=(const BlockedSpooler&) = delete;
    bool blocked() const { return blocked_; }

private:
    std::string dir_;
    bool moved_ = false;
    bool blocked_ = false;
};

// The report comes over the list, which it holds still: a second "Drucken" under the box
// would otherwise start another print underneath it.
TEST_F(GuiPrint, JobThatCannotStartIsReportedOverTheList) {
    auto p = start(20);
    ASSERT_NE(p->main(), nullptr);
    HWND list = charge_list(*p);
    ASSERT_NE(list, nullptr);
    BlockedSpooler blocked;
    ASSERT_TRUE(blocked.blocked());
    click(list, IDC_PRINT);
    HWND print_box = p->dialog("Print");
    ASSERT_NE(print_box, nullptr);
    click(print_box, IDOK);
    HWND box = p->dialog("Fehler");
    ASSERT_NE(box, nullptr) << "a print that did not happen is reported";
    EXPECT_EQ(message_text(box), "Unable to start print job");
    EXPECT_EQ(GetWindow(box, GW_OWNER), list);
    EXPECT_TRUE(wait_for([&] { return IsWindowEnabled(list) == FALSE; }));

    // The list's thread takes posted messages in order: once the selection posted after the
    // click has moved, the click has been handled too.
    HWND lines = GetDlgItem(list, IDC_CHARGE_LIST);
    const auto marker = SendMessageA(lines, LB_GETCOUNT, 0, 0) - 1;
    ASSERT_GT(marker, 0);
    ASSERT_NE(SendMessageA(lines, LB_GETCURSEL, 0, 0), marker);
    click(list, IDC_PRINT);
    PostMessageA(lines, LB_SETCURSEL, static_cast<WPARAM>(marker), 0);
    ASSERT_TRUE(wait_for([&] { return SendMessageA(lines, LB_GETCURSEL, 0, 0) == marker; }));
    EXPECT_EQ(p->dialog("Print", 0), nullptr) << "a second print started under the box";
    EXPECT_TRUE(IsWindow(box));

    EXPECT_EQ(p->dialog("PrntFile", 100), nullptr);
    ASSERT_TRUE(dismiss(box, IDOK));
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_TRUE(spool.jobs().empty());
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

using GuiPrintExchange = WithExchange<GuiPrint>;

TEST_F(GuiPrintExchange, CallListPrintsOnBothPapers) {
    auto p = start(1);
    ASSERT_NE(p->main(), nullptr);
    HWND list = read_calls_into_list(*p);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(wait_for([&] { return !list_lines(GetDlgItem(list, IDC_CALL_LIST)).empty(); }));
    print_and_check(*p, list, IDC_CALL_LIST, kCallHeading, "(a4)");
    print_and_check(*p, list, IDC_CALL_LIST, kCallHeading, "(letter)", "Kalmo Letter");
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

} // namespace
} // namespace kalmo::gui
