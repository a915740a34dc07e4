// Printing driven from outside under Wine and read back from paper: the prefix's PostScript
// printer hands each job to a command of the test's own that turns it into a PDF and its text
// (pdftotext -layout), which is compared with the dialog's own list lines page by page.
#include <windows.h>

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
#include "driver.h"
#include "print_support.h"

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

bool gone(HWND w) {
    return wait_for([&] { return !IsWindow(w); });
}

class GuiPrint : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display (scripts/test-windows.sh starts Xvfb)";
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
        p->command(101);
        HWND open = p->dialog("Open");
        EXPECT_NE(open, nullptr);
        if (!open) return p;
        HWND name = GetDlgItem(open, 1148);
        if (!name) name = GetDlgItem(open, 1152);
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(gds.c_str()));
        click(open, IDOK);
        EXPECT_TRUE(gone(open));
        return p;
    }

    // Opens a list dialog with `command` of the main window and waits for its lines.
    HWND open_list(Program& p, unsigned command, const char* caption, int list_id) {
        p.command(command);
        HWND dlg = p.dialog(caption);
        if (dlg) wait_for([&] { return !list_lines(GetDlgItem(dlg, list_id)).empty(); });
        return dlg;
    }

    // "Drucken" in `dlg`, OK in the Print dialog with `copies` and collation as given (unset:
    // as preselected).
    void print(Program& p, HWND dlg, int copies = 0, int collate = -1,
               const std::string& printer = {}) {
        click(dlg, 1012);
        HWND box = p.dialog("Print");
        ASSERT_NE(box, nullptr) << "no Print dialog";
        if (!printer.empty()) {
            HWND names = GetDlgItem(box, 1139);
            const auto count = SendMessageW(names, CB_GETCOUNT, 0, 0);
            int index = -1;
            for (int i = 0; i < count; ++i)
                if (combo_text(names, i) == printer) index = i;
            ASSERT_GE(index, 0) << printer;
            SendMessageW(names, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            SendMessageW(box, WM_COMMAND, MAKEWPARAM(1139, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(names));
        }
        if (copies > 0) {
            SendMessageA(GetDlgItem(box, 1154), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(std::to_string(copies).c_str()));
        }
        if (collate >= 0)
            SendMessageA(GetDlgItem(box, 1041), BM_SETCHECK, collate ? BST_CHECKED : 0, 0);
        click(box, IDOK);
        ASSERT_TRUE(gone(box));
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

    test::TempDir dir;
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

    HWND list = open_list(*p, 200, "Anlageneinzelgebührensummen", 1006);
    ASSERT_NE(list, nullptr);
    const std::size_t per_page = print_and_check(*p, list, 1006, kChargeHeading, paper);
    // A page holds far more than the printer's default font allowed (about 30 lines).
    EXPECT_GT(per_page, 40u);

    click(list, 1013);
    HWND sums = p->dialog("Anlagen Teilnehmergebührensummen");
    ASSERT_NE(sums, nullptr);
    ASSERT_TRUE(wait_for([&] { return !list_lines(GetDlgItem(sums, 1007)).empty(); }));
    print_and_check(*p, sums, 1007, kSumsHeading, paper);

    PostMessageA(GetDlgItem(sums, 1007), LB_SETCURSEL, 0, 0);
    click(sums, 1014);
    HWND statistics = p->dialog("Teilnehmereinzelgebührensummen");
    ASSERT_NE(statistics, nullptr);
    ASSERT_TRUE(wait_for([&] { return !list_lines(GetDlgItem(statistics, 1008)).empty(); }));
    print_and_check(*p, statistics, 1008, kStatisticsHeading, paper);
    click(statistics, IDOK);
    ASSERT_TRUE(gone(statistics));
    click(sums, IDOK);
    ASSERT_TRUE(gone(sums));
    click(list, IDOK);
    ASSERT_TRUE(gone(list));

    p->command(202);
    HWND select = p->dialog("Projekte definieren");
    ASSERT_NE(select, nullptr);
    ASSERT_TRUE(wait_for([&] { return IsWindowEnabled(GetDlgItem(select, 1021)) != FALSE; }));
    click(select, 1021);
    HWND project = p->dialog("Projektgebührenerfassung");
    ASSERT_NE(project, nullptr);
    ASSERT_TRUE(wait_for([&] { return !list_lines(GetDlgItem(project, 1009)).empty(); }));
    print_and_check(*p, project, 1009, kProjectHeading, paper);
    click(project, IDOK);
    ASSERT_TRUE(gone(project));
    if (IsWindow(select)) {
        click(select, IDOK);
        ASSERT_TRUE(gone(select));
    }

    // The widest list of all.
    HWND editor = open_list(*p, 302, "Telefonbuch editieren", 1005);
    ASSERT_NE(editor, nullptr);
    print_and_check(*p, editor, 1005, kPhonebookHeading, paper);
    click(editor, IDOK);
    ASSERT_TRUE(gone(editor));
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
    HWND list = open_list(*p, 200, "Anlageneinzelgebührensummen", 1006);
    ASSERT_NE(list, nullptr);
    const auto lines = list_lines(GetDlgItem(list, 1006));

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
    click(list, IDOK);
    ASSERT_TRUE(gone(list));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiPrint, CancelEndsTheJobAfterThePageInProgress) {
    auto p = start(2000);
    ASSERT_NE(p->main(), nullptr);
    HWND list = open_list(*p, 200, "Anlageneinzelgebührensummen", 1006);
    ASSERT_NE(list, nullptr);
    const auto lines = list_lines(GetDlgItem(list, 1006));
    ASSERT_EQ(lines.size(), 2000u);

    // Cancelled while the document starts (the printing system asks the abort procedure
    // then too), and a few pages into the job.
    for (int delay : {0, 1500}) {
        SCOPED_TRACE(delay);
        const std::size_t before = spool.jobs().size();
        click(list, 1012);
        HWND box = p->dialog("Print");
        ASSERT_NE(box, nullptr);
        click(box, IDOK);
        HWND cancel = p->dialog("PrntFile");
        ASSERT_NE(cancel, nullptr);
        EXPECT_FALSE(IsWindowEnabled(list)) << "the list dialog waits for the job";
        Sleep(static_cast<DWORD>(delay));
        click(cancel, IDCANCEL);
        ASSERT_TRUE(gone(cancel)) << "the cancel dialog goes at once";
        ASSERT_TRUE(wait_for([&] { return IsWindowEnabled(list) != FALSE; }, 5000));
        EXPECT_EQ(p->dialog("Fehler", 500), nullptr) << "a cancel is no failure";
        // The job ended early. What reaches the paper is up to the spooler (a job cancelled
        // at its start is thrown away here); what does is whole pages from the first.
        Job job;
        if (spool.wait_job(before + 1, job, delay ? 30000 : 3000)) {
            ASSERT_GE(job.pages.size(), 1u);
            const std::size_t per_page = job.pages[0].size() - 2;
            EXPECT_LT(job.pages.size(), (lines.size() + per_page - 1) / per_page);
            const auto printed =
                static_cast<std::ptrdiff_t>(std::min(lines.size(), job.pages.size() * per_page));
            expect_printed(job, kChargeHeading, {lines.begin(), lines.begin() + printed});
        } else {
            EXPECT_EQ(delay, 0) << "the pages printed before the cancel went nowhere";
        }
    }

    // The list dialog is usable again: the next "Drucken" asks for a printer.
    click(list, 1012);
    HWND box = p->dialog("Print");
    ASSERT_NE(box, nullptr);
    click(box, IDCANCEL);
    ASSERT_TRUE(gone(box));
    click(list, IDOK);
    ASSERT_TRUE(gone(list));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiPrint, PrinterCommandServesTheNextPrintOnly) {
    auto p = start(20);
    ASSERT_NE(p->main(), nullptr);
    p->command(112);
    HWND setup = p->dialog("Print Setup");
    ASSERT_NE(setup, nullptr);
    click(setup, IDOK);
    ASSERT_TRUE(gone(setup));

    HWND list = open_list(*p, 200, "Anlageneinzelgebührensummen", 1006);
    ASSERT_NE(list, nullptr);
    const auto lines = list_lines(GetDlgItem(list, 1006));
    click(list, 1012);
    Job job;
    ASSERT_TRUE(spool.wait_job(1, job)) << "the first print went nowhere";
    EXPECT_EQ(p->dialog("Print", 300), nullptr) << "no Print dialog after the Printer command";
    expect_printed(job, kChargeHeading, lines);

    ASSERT_TRUE(wait_for([&] { return IsWindowEnabled(list) != FALSE; }));
    click(list, 1012);
    HWND box = p->dialog("Print");
    ASSERT_NE(box, nullptr) << "the second print asks again";
    click(box, IDCANCEL);
    ASSERT_TRUE(gone(box));
    click(list, IDOK);
    ASSERT_TRUE(gone(list));
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

TEST_F(GuiPrint, JobThatCannotStartIsReported) {
    auto p = start(20);
    ASSERT_NE(p->main(), nullptr);
    HWND list = open_list(*p, 200, "Anlageneinzelgebührensummen", 1006);
    ASSERT_NE(list, nullptr);
    BlockedSpooler blocked;
    ASSERT_TRUE(blocked.blocked());
    click(list, 1012);
    HWND print_box = p->dialog("Print");
    ASSERT_NE(print_box, nullptr);
    click(print_box, IDOK);
    HWND box = p->dialog("Fehler");
    ASSERT_NE(box, nullptr) << "a print that did not happen is reported";
    EXPECT_EQ(window_text(GetDlgItem(box, 65535)), "Unable to start print job");
    EXPECT_EQ(p->dialog("PrntFile", 100), nullptr);
    click(box, IDOK);
    ASSERT_TRUE(gone(box));
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_TRUE(spool.jobs().empty());
    click(list, IDOK);
    ASSERT_TRUE(gone(list));
    EXPECT_TRUE(p->close());
}

class GuiPrintExchange : public GuiPrint {
protected:
    void SetUp() override {
        GuiPrint::SetUp();
        if (IsSkipped()) return;
        if (!std::getenv("KALMO_EXCHANGE_SIM")) GTEST_SKIP() << "no simulated exchange on COM1";
    }
};

TEST_F(GuiPrintExchange, CallListPrintsOnBothPapers) {
    auto p = start(1);
    ASSERT_NE(p->main(), nullptr);
    // The calls through the question of an empty call list, then the count message.
    p->command(201);
    HWND question = p->dialog("Information");
    ASSERT_NE(question, nullptr);
    click(question, IDYES);
    HWND done = nullptr;
    ASSERT_TRUE(wait_for(
        [&] {
            done = p->dialog("Information", 100);
            return done && done != question;
        },
        60000));
    click(done, IDOK);
    HWND list = p->dialog("Anrufliste", 20000);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(wait_for([&] { return !list_lines(GetDlgItem(list, 1010)).empty(); }));
    print_and_check(*p, list, 1010, kCallHeading, "(a4)");
    print_and_check(*p, list, 1010, kCallHeading, "(letter)", "Kalmo Letter");
    click(list, IDOK);
    ASSERT_TRUE(gone(list));
    EXPECT_TRUE(p->close());
}

} // namespace
} // namespace kalmo::gui
