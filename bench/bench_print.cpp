// Printing a full charge list (2,000 lines, over forty pages) under Wine to the prefix's test
// printer: the time from OK in the Print dialog to the end of the job in the program, to the
// finished PDF, the program's CPU time meanwhile, and how long the cancel dialog took at most to
// answer a message during the job (it must stay responsive). Run by hand with a display:
//   DISPLAY=:N bash scripts/wine-run.sh build/windows/bench/bench_print.exe [LINES [COPY.ps]]
// COPY.ps (a Windows path, e.g. Z:\tmp\job.ps) receives the job's PostScript.
#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "../tests/win32/temp_dir.h"
#include "win32/resource.h"
#include "driver.h"
#include "print_support.h"

using namespace kalmo::gui;
using Clock = std::chrono::steady_clock;

namespace {

// CPU time of the program's Unix process, from /proc through Wine's drive Z: (Wine's own
// process times of another process stay near zero). The process is the one whose command line
// holds `marker`, the program's own directory.
double cpu_seconds(const std::string& marker) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE) return -1;
    double seconds = -1;
    do {
        const std::string pid = fd.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string command = read_file("Z:\\proc\\" + pid + "\\cmdline");
        std::replace(command.begin(), command.end(), '\0', ' ');
        if (command.find(marker) == std::string::npos) continue;
        const std::string stat = read_file("Z:\\proc\\" + pid + "\\stat");
        // Fields after the command's closing parenthesis: state is field 3, utime 14, stime 15.
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        unsigned long long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14) utime = std::stoull(field);
            if (i == 15) stime = std::stoull(field);
        }
        seconds = static_cast<double>(utime + stime) / 100.0; // USER_HZ
        break;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return seconds;
}

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

int fail(const char* what) {
    std::fprintf(stderr, "bench_print: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 2000;
    // Raw PostScript: the figure is the program's and the printer driver's, not a converter's.
    PrintSpool spool(true);
    if (!spool.ok()) return fail("no spool command for the test printer");
    SetDefaultPrinterA("Kalmo A4");
    kalmo::test::TempDir dir;
    const std::string gds = dir.file("Bench.GDS");
    const std::string book = dir.file("KUNDEN.TLB");
    if (!write_file(gds, charge_file(lines)) || !write_file(book, phonebook_file()) ||
        !write_file(dir.file("Kalmo32.ini"),
                    "[Files]\r\nTelbook=" + book + "\r\nGebFile=\r\n[Toolbar]\r\nShowBar=0\r\n"))
        return fail("cannot write the charge, phonebook or settings file");
    Program p(dir.path());
    if (!p.main()) return fail("the program did not start");
    if (!open_charge_file(p, gds)) return fail("no Open dialog, or it stayed");
    HWND list = p.open(IDM_CHARGE_EVALUATION, "Anlageneinzelgebührensummen");
    if (!list) return fail("no charge list");
    wait_for([&] {
        return SendMessageW(GetDlgItem(list, IDC_CHARGE_LIST), LB_GETCOUNT, 0, 0) ==
               std::min(lines, 2000);
    });

    click(list, IDC_PRINT);
    HWND box = p.dialog("Print");
    if (!box) return fail("no Print dialog");
    const double cpu_before = cpu_seconds(dir.path() + "kalmo32.exe");
    const auto start = Clock::now();
    click(box, IDOK);
    // The cancel dialog is answered while the job runs; the job has ended in the program once
    // the list dialog is enabled again.
    HWND cancel = p.dialog("PrntFile", 10000);
    double slowest = 0;
    while (!IsWindowEnabled(list) || (cancel && IsWindow(cancel))) {
        if (cancel && IsWindow(cancel)) {
            const auto asked = Clock::now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(cancel, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
            slowest = std::max(slowest, since(asked));
        }
        Sleep(10);
        if (since(start) > 120) return fail("the job did not end within 120 s");
    }
    const double job_end = since(start);
    const double cpu = cpu_seconds(dir.path() + "kalmo32.exe") - cpu_before;
    const bool on_paper = wait_for([&] { return spool.jobs().size() == 1; }, 120000);
    const double spooled = since(start);
    if (on_paper && argc > 2)
        CopyFileA(spool.path(spool.jobs()[0] + ".ps").c_str(), argv[2], FALSE);
    std::printf("lines %d\n", lines);
    std::printf("OK to end of job in the program: %.2f s\n", job_end);
    std::printf("OK to PostScript file on disk:   %.2f s%s\n", spooled, on_paper ? "" : " (none)");
    std::printf("program CPU time meanwhile:      %.2f s\n", cpu);
    std::printf("slowest answer of the cancel dialog: %.0f ms\n", slowest * 1000);
    click(list, IDOK);
    p.close();
    return on_paper ? 0 : 1;
}
