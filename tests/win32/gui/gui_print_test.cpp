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
#include "core/app/ui.h"
#include "core/data/charge.h"
#include "driver.h"

namespace kalmo::gui {
namespace {

constexpr char kSpoolerKey[] = "Software\\Wine\\Printing\\Spooler";
constexpr char kPort[] = "KALMO:";

std::string unix_path(const std::string& windows_path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    std::wstring wide(windows_path.begin(), windows_path.end());
    char* path = convert(wide.c_str());
    if (!path) return {};
    std::string result = path;
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

// Windows-1252 from the UTF-8 that pdftotext writes.
std::string ansi(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    std::string out(static_cast<std::size_t>(n) * 2 + 1, '\0');
    const int m = WideCharToMultiByte(1252, 0, wide.data(), n, out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(static_cast<std::size_t>(m));
    // The text extraction reads the font's hyphen glyph as a soft hyphen.
    std::replace(out.begin(), out.end(), '\xAD', '-');
    return out;
}

// pdftotext places words by their position: runs of blanks may grow or shrink.
std::string fold(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// One printed job: its paper and, per page, the non-blank lines folded.
struct Job {
    std::string paper;
    std::vector<std::vector<std::string>> pages;
};

// Sends the prefix printers' jobs into a directory of this test for the test's lifetime.
class PrintSpool {
public:
    PrintSpool() {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kSpoolerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        char old[1024] = {};
        DWORD size = sizeof old - 1;
        had_old_ = RegQueryValueExA(key, kPort, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                    &size) == ERROR_SUCCESS;
        old_ = old;
        const std::string d = unix_path(dir_.path());
        const std::string command =
            "|f=\"" + d +
            "/job-$(date +%s%N)\"; ps2pdf - \"$f.part\" && "
            "pdftotext -layout \"$f.part\" \"$f.txt\" && pdfinfo \"$f.part\" > \"$f.info\" && "
            "mv \"$f.part\" \"$f.pdf\"";
        ok_ = !d.empty() &&
              RegSetValueExA(key, kPort, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~PrintSpool() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSpoolerKey, 0, KEY_ALL_ACCESS, &key) != 0) return;
        if (had_old_)
            RegSetValueExA(key, kPort, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                           static_cast<DWORD>(old_.size() + 1));
        else
            RegDeleteValueA(key, kPort);
        RegCloseKey(key);
    }
    PrintSpool(const PrintSpool&) = delete;
    PrintSpool& operator=(const PrintSpool&) = delete;

    bool ok() const { return ok_; }

    // Names of the finished jobs, oldest first.
    std::vector<std::string> jobs() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(dir_.file("job-*.pdf").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            std::string name = fd.cFileName;
            names.push_back(name.substr(0, name.size() - 4));
        } while (FindNextFileA(h, &fd));
        FindClose(h);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Waits for the `n`th job and reads it back.
    bool wait_job(std::size_t n, Job& job, int ms = 30000) const {
        if (!wait_for([&] { return jobs().size() >= n; }, ms)) return false;
        const std::string name = jobs()[n - 1];
        std::istringstream info(read_file(dir_.file(name + ".info")));
        for (std::string line; std::getline(info, line);)
            if (line.rfind("Page size:", 0) == 0) job.paper = line;
        job.pages.clear();
        std::istringstream text(ansi(read_file(dir_.file(name + ".txt"))));
        std::string page;
        while (std::getline(text, page, '\f')) {
            std::vector<std::string> lines;
            std::istringstream in(page);
            for (std::string line; std::getline(in, line);)
                if (!fold(line).empty()) lines.push_back(fold(line));
            if (!lines.empty()) job.pages.push_back(lines);
        }
        return true;
    }

private:
    test::TempDir dir_;
    bool ok_ = false;
    bool had_old_ = false;
    std::string old_;
};

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

app::LocalTime local_now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void pack_number(const std::string& digits, data::NumberField& field) {
    field.fill(0xFF);
    for (std::size_t i = 0; i < digits.size() && i / 2 < field.size(); ++i) {
        const auto nibble = static_cast<std::uint8_t>(digits[i] - '0');
        std::uint8_t& byte = field[i / 2];
        byte = i % 2 == 0 ? static_cast<std::uint8_t>((nibble << 4) | 0x0F)
                          : static_cast<std::uint8_t>((byte & 0xF0) | nibble);
    }
}

// `count` calls of the current month: five subscribers, amounts up to 9.999,99 DM, every third
// to a phonebook customer of project 1 (whose names replace the numbers), the others to long
// numbers that fill the number column.
std::string charge_file(int count) {
    auto store = std::make_unique<data::ChargeStore>();
    const auto month = static_cast<std::uint8_t>(local_now().month);
    const std::uint8_t subscribers[] = {0x21, 0x05, 0x12, 0x45, 0x00};
    store->set_count(static_cast<std::uint16_t>(count));
    for (int i = 0; i < count; ++i) {
        data::ChargeRecord r;
        r.subscriber = subscribers[i % 5];
        r.month = month;
        r.day = static_cast<std::uint8_t>(1 + i * 28 / count);
        r.hour = static_cast<std::uint8_t>(8 + i % 10);
        r.minute = static_cast<std::uint8_t>(i % 60);
        r.duration = static_cast<std::uint16_t>(i * 37 % 36000);
        r.amount = static_cast<std::uint32_t>(i * 7919 % 1000000);
        pack_number(i % 3 == 0 ? "0891234" + std::to_string(10 + i % 30)
                               : "00431" + std::to_string(100000000 + i * 7777),
                    r.number);
        store->set_record(static_cast<std::size_t>(i), r);
    }
    store->set_filter_range_from_records();
    const auto image = store->save_image();
    return std::string(image.begin(), image.end());
}

// Thirty customers with names of the full 24 characters in project 1, whose numbers the charge
// file dials.
std::string phonebook_file() {
    std::string book = "[Telefonbuch]\r\n[Project 01;Großkunden Süd]\r\n";
    for (int n = 10; n < 40; ++n)
        book +=
            "Müller Großhandel Nr " + std::to_string(n) + ";;89;1234" + std::to_string(n) + ";\r\n";
    return book + "[Ende Telefonbuch]\r\n";
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
    void print(Program& p, HWND dlg, int copies = 0, int collate = -1) {
        click(dlg, 1012);
        HWND box = p.dialog("Print");
        ASSERT_NE(box, nullptr) << "no Print dialog";
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
                                const std::string& paper) {
        const auto lines = list_lines(GetDlgItem(dlg, list_id));
        EXPECT_FALSE(lines.empty());
        print(p, dlg);
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

    click(list, 1012);
    HWND box = p->dialog("Print");
    ASSERT_NE(box, nullptr);
    click(box, IDOK);
    HWND cancel = p->dialog("PrntFile");
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(IsWindowEnabled(list)) << "the list dialog waits for the job";
    click(cancel, IDCANCEL);
    ASSERT_TRUE(gone(cancel)) << "the cancel dialog goes at once";
    // The job ends after the page in progress: the list dialog is usable again long before
    // forty pages could have been spooled. What reaches the paper is up to the spooler (a
    // cancelled job may be thrown away); if anything does, it is whole pages from the first.
    ASSERT_TRUE(wait_for([&] { return IsWindowEnabled(list) != FALSE; }, 5000));
    Job job;
    if (spool.wait_job(1, job, 5000)) {
        ASSERT_GE(job.pages.size(), 1u);
        const std::size_t per_page = job.pages[0].size() - 2;
        EXPECT_LT(job.pages.size(), (lines.size() + per_page - 1) / per_page);
        const auto printed =
            static_cast<std::ptrdiff_t>(std::min(lines.size(), job.pages.size() * per_page));
        expect_printed(job, kChargeHeading, {lines.begin(), lines.begin() + printed});
    }

    // The list dialog is usable again: the next "Drucken" asks for a printer.
    click(list, 1012);
    box = p->dialog("Print");
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

} // namespace
} // namespace kalmo::gui
