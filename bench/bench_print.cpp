// Printing a full charge list (2,000 lines, over forty pages) under Wine to the prefix's test
// printer: the time from OK in the Print dialog to the end of the job in the program, to the
// finished PDF, the program's CPU time meanwhile, and how long the cancel dialog took at most to
// answer a message during the job (it must stay responsive). Run by hand with a display:
//   DISPLAY=:N bash scripts/wine-run.sh build/windows/bench/bench_print.exe [lines]
#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../tests/win32/temp_dir.h"
#include "driver.h"
#include "print_support.h"

using namespace kalmo::gui;
using Clock = std::chrono::steady_clock;

namespace {

double cpu_seconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    auto value = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return value(kernel) + value(user);
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
    PrintSpool spool;
    if (!spool.ok()) return fail("no spool command for the test printer");
    SetDefaultPrinterA("Kalmo A4");
    kalmo::test::TempDir dir;
    const std::string gds = dir.file("Bench.GDS");
    if (!write_file(gds, charge_file(lines))) return fail("cannot write the charge file");
    Program p(dir.path());
    if (!p.main()) return fail("the program did not start");
    p.command(101);
    HWND open = p.dialog("Open");
    if (!open) return fail("no Open dialog");
    HWND name = GetDlgItem(open, 1148);
    if (!name) name = GetDlgItem(open, 1152);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(gds.c_str()));
    click(open, IDOK);
    wait_for([&] { return !IsWindow(open); });
    p.command(200);
    HWND list = p.dialog("Anlageneinzelgebührensummen");
    if (!list) return fail("no charge list");
    wait_for([&] {
        return SendMessageW(GetDlgItem(list, 1006), LB_GETCOUNT, 0, 0) == std::min(lines, 2000);
    });

    click(list, 1012);
    HWND box = p.dialog("Print");
    if (!box) return fail("no Print dialog");
    const double cpu_before = cpu_seconds(p.process());
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
    const double cpu = cpu_seconds(p.process()) - cpu_before;
    Job job;
    const bool on_paper = spool.wait_job(1, job, 120000);
    const double pdf = since(start);
    std::printf("lines %d, pages %zu\n", lines, job.pages.size());
    std::printf("OK to end of job in the program: %.2f s\n", job_end);
    std::printf("OK to PDF and text on disk:      %.2f s%s\n", pdf, on_paper ? "" : " (none)");
    std::printf("program CPU time meanwhile:      %.2f s\n", cpu);
    std::printf("slowest answer of the cancel dialog: %.0f ms\n", slowest * 1000);
    click(list, IDOK);
    p.close();
    return on_paper ? 0 : 1;
}
