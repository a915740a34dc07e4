// "Archiv auswerten …" driven from outside under Wine, over a generated two-year archive: the
// window's lines are the console's `kalmo report` lines for the same choice, and a damaged file
// is named while the others are still counted.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "win32/resource.h"
#include "core/app/text.h"
#include "core/data/charge.h"
#include "core/eval/archive_report.h"
#include "driver.h"
#include "gui_fixture.h"

namespace kalmo::gui {
namespace {

namespace stdfs = std::filesystem;

app::LocalTime local_now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// A read on the 28th of each of the 24 months before this one, in a folder per year, each with
// the month's calls and some of the month before; a copy of one read in a folder of its own
// (all its records duplicates) and a file that is no charge data.
void write_archive(const std::string& root) {
    std::mt19937 rng(26);
    const app::LocalTime now = local_now();
    std::string copied;
    for (int back = 24; back >= 1; --back) {
        const int index = now.year * 12 + (now.month - 1) - back;
        const int year = index / 12, month = index % 12 + 1;
        const std::string folder = root + "\\" + std::to_string(year);
        CreateDirectoryA(folder.c_str(), nullptr);
        data::ChargeStore store;
        const std::uint16_t n = 40;
        for (std::uint16_t k = 0; k < n; ++k) {
            data::ChargeRecord r;
            r.subscriber = static_cast<std::uint8_t>(0x21 + rng() % 4);
            r.month = static_cast<std::uint8_t>(k < 6 ? (month + 10) % 12 + 1 : month);
            r.day = static_cast<std::uint8_t>(1 + rng() % 27);
            r.hour = static_cast<std::uint8_t>(rng() % 24);
            r.minute = static_cast<std::uint8_t>(rng() % 60);
            r.duration = static_cast<std::uint16_t>(rng() % 7200);
            r.amount = rng() % 20000;
            r.number = data::pack_number("089" + std::to_string(rng() % 100000));
            store.set_record(k, r);
        }
        store.set_count(n);
        const auto image = store.save_image();
        const std::string name = app::format("%04d-%02d-28_170000.GDS", year, month);
        ASSERT_TRUE(write_file(folder + "\\" + name, std::string(image.begin(), image.end())));
        if (back == 7) copied = folder + "\\" + name;
    }
    CreateDirectoryA((root + "\\Kopie").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(copied.c_str(),
                          (root + "\\Kopie\\" + stdfs::path(copied).filename().string()).c_str(),
                          TRUE));
    ASSERT_TRUE(write_file(root + "\\kaputt.GDS", "keine Gebührendaten"));
}

// The console writes UTF-8; the window shows the Windows character set.
std::string ansi_of_utf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int wide_length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        wide_length);
    const int length =
        WideCharToMultiByte(1252, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(1252, 0, wide.data(), wide_length, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

// What `kalmo report` writes on stdout for these arguments, as it comes.
std::string console_output(const std::string& args, const std::string& out_file) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(out_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return "cannot create " + out_file;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    const std::string exe = wine_path(KALMO_CLI_EXE);
    std::string cmdline = "\"" + exe + "\" report " + args;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(exe.c_str(), cmdline.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    if (!started) return "cannot start " + exe;
    const bool ended = WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!ended) return "kalmo report did not end";
    return read_file(out_file);
}

// What `kalmo report` prints on stdout for these arguments, line by line.
std::vector<std::string> console_report(const std::string& args, const std::string& out_file) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : console_output(args, out_file)) {
        if (c == '\n') {
            lines.push_back(ansi_of_utf8(line));
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    return lines;
}

// The list dialog's counts, column titles and lines, as the console prints them.
std::vector<std::string> shown_report(HWND list) {
    std::vector<std::string> lines = {window_text(GetDlgItem(list, IDC_ARCHIVE_COUNTS)),
                                      window_text(GetDlgItem(list, IDC_ARCHIVE_HEADER))};
    for (const std::string& l : list_lines(GetDlgItem(list, IDC_ARCHIVE_LIST)))
        lines.push_back(l);
    return lines;
}

class GuiArchive : public GuiTest {
protected:
    void TearDown() override {
        std::error_code ignored;
        stdfs::remove_all(dir.file("Archiv"), ignored);
    }
};

TEST_F(GuiArchive, ReportOfTheArchiveFolderEqualsTheConsolesAndNamesTheDamagedFile) {
    const std::string archive = dir.file("Archiv");
    ASSERT_TRUE(CreateDirectoryA(archive.c_str(), nullptr));
    write_archive(archive);
    if (HasFatalFailure()) return;
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);

    struct Case {
        int grouping;     // 0: as the dialog comes
        const char* from; // nullptr: as the dialog comes
        const char* to;
        std::string args;
    };
    const auto [first, last] = eval::report::last_full_months(local_now());
    const auto dashed = [](const eval::report::Month& m) {
        return app::format("%04d-%02d", m.year, m.month);
    };
    const std::string quoted = "\"" + archive + "\"";
    const Case cases[] = {
        // The defaults: the archive folder, the last 12 full months, per subscriber.
        {0, nullptr, nullptr, quoted + " --from " + dashed(first) + " --to " + dashed(last)},
        // Per month over a period that begins before the archive does.
        {IDC_ARCHIVE_BY_MONTH, "01.2000", "11.2030",
         quoted + " --from 2000-01 --to 2030-11 --by month"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        HWND choice = p.open(IDM_ARCHIVE_REPORT, "Archiv auswerten");
        ASSERT_NE(choice, nullptr);
        ASSERT_TRUE(wait_for([&] { return !field(choice, IDC_ARCHIVE_TO).empty(); }));
        EXPECT_EQ(list_lines(GetDlgItem(choice, IDC_ARCHIVE_SOURCES)),
                  std::vector<std::string>{archive});
        EXPECT_EQ(field(choice, IDC_ARCHIVE_FROM), eval::report::month_field_text(first));
        EXPECT_EQ(field(choice, IDC_ARCHIVE_TO), eval::report::month_field_text(last));
        if (c.from) set_field(choice, IDC_ARCHIVE_FROM, c.from);
        if (c.to) set_field(choice, IDC_ARCHIVE_TO, c.to);
        if (c.grouping) click(choice, c.grouping);
        click(choice, IDOK);

        HWND damaged = p.dialog("Fehler");
        ASSERT_NE(damaged, nullptr);
        const std::string named = message_text(damaged);
        EXPECT_NE(named.find(archive + "\\kaputt.GDS enthält keine Gebührendaten."),
                  std::string::npos)
            << named;
        ASSERT_TRUE(dismiss(damaged, IDOK));

        HWND list = p.dialog("Archivauswertung");
        ASSERT_NE(list, nullptr);
        const std::vector<std::string> expected = console_report(c.args, dir.file("report.txt"));
        ASSERT_GT(expected.size(), 3u) << expected.front();
        // 24 reads and the copy; the copy's 40 records are all counted already.
        EXPECT_EQ(expected.front(), "25 Dateien gelesen, 40 doppelte Datensätze nicht gezählt");
        ASSERT_TRUE(wait_for([&] { return shown_report(list).size() == expected.size(); }));
        EXPECT_EQ(shown_report(list), expected);
        if (c.grouping == IDC_ARCHIVE_BY_MONTH) {
            Sleep(200);
            screenshot("archive-report");
            // "Exportieren …" writes the table the console writes with --csv.
            click(list, IDC_EXPORT);
            HWND save = p.dialog("Liste exportieren");
            ASSERT_NE(save, nullptr);
            const std::string csv = dir.file("Archiv.csv");
            ASSERT_TRUE(choose_file(save, csv));
            std::string written;
            ASSERT_TRUE(wait_for([&] { return !(written = read_file(csv)).empty(); }));
            EXPECT_EQ(written, console_output(c.args + " --csv", dir.file("report.csv")));
        }
        ASSERT_TRUE(dismiss(list, IDOK));
        ASSERT_TRUE(dismiss(choice, IDCANCEL));
    }
    EXPECT_TRUE(p.close());
}

TEST_F(GuiArchive, ChoiceChecksItsPeriodAndKeepsItsEntries) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND choice = p.open(IDM_ARCHIVE_REPORT, "Archiv auswerten");
    ASSERT_NE(choice, nullptr);
    ASSERT_TRUE(wait_for([&] { return !field(choice, IDC_ARCHIVE_TO).empty(); }));
    set_field(choice, IDC_ARCHIVE_FROM, "13.2025");
    click(choice, IDOK);
    EXPECT_EQ(answer(p, "Fehler", IDOK).rfind("Zeitraum fehlerhaft!", 0), 0u);
    // Still open, nothing lost; without an entry it asks for one.
    PostMessageA(GetDlgItem(choice, IDC_ARCHIVE_SOURCES), LB_SETCURSEL, 0, 0);
    click(choice, IDC_ARCHIVE_REMOVE);
    ASSERT_TRUE(
        wait_for([&] { return list_lines(GetDlgItem(choice, IDC_ARCHIVE_SOURCES)).empty(); }));
    set_field(choice, IDC_ARCHIVE_FROM, "01.2025");
    click(choice, IDOK);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Kein Ordner und keine Datei gewählt!");
    ASSERT_TRUE(dismiss(choice, IDCANCEL));
    EXPECT_TRUE(p.close());
}

} // namespace
} // namespace kalmo::gui
