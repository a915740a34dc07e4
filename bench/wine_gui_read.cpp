// Reads the charges from the File menu of kalmo32.exe, for bench/wine-read-charges.sh, which
// samples the CPU time of the program and of wineserver between the steps. Runs under Wine:
//   wine_gui_read KALMO32.EXE DIR
// copies the program into DIR (a Windows path ending in a backslash; fresh settings, so COM1)
// and starts it there, then talks to the
// script one line at a time:
//   "ready"                         the main window is up; the read starts at the next line in
//   "done <seconds> <message text>" the read's final message shows, <seconds> after the command;
//                                   the next line in answers it with OK
//   "list <seconds>"                the system charge list shows, <seconds> after that OK
// and ends the program at the next line in (or at end of input).
#include <windows.h>

#include <cstdio>
#include <string>

#include "win32/resource.h"

namespace {

// MessageBox gives its text control this ID.
constexpr int kMessageBoxText = 0xFFFF;

bool wait_line() {
    char line[64];
    return std::fgets(line, sizeof line, stdin) != nullptr;
}

// A visible top-level window of `pid` with this class and caption. Polled a few times a second
// only: every look costs wineserver time, which is part of what is measured.
HWND find(DWORD pid, const char* cls, const char* caption) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, cls, caption)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

HWND wait_for(DWORD pid, const char* cls, const char* caption, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND w = find(pid, cls, caption)) return w;
        if (GetTickCount() - start > ms) return nullptr;
        Sleep(50);
    }
}

double seconds_since(const LARGE_INTEGER& t0) {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wine_gui_read KALMO32.EXE DIR\\\n");
        return 2;
    }
    const std::string dir = argv[2];
    const std::string exe = dir + "kalmo32.exe";
    if (!CopyFileA(argv[1], exe.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s to %s\n", argv[1], exe.c_str());
        return 1;
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmdline = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), cmdline.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &si, &pi)) {
        std::fprintf(stderr, "cannot start %s\n", exe.c_str());
        return 1;
    }
    WaitForInputIdle(pi.hProcess, 10000);
    HWND main = wait_for(pi.dwProcessId, "KalmoWClass", nullptr, 20000);
    int status = 1;
    if (!main) {
        std::fprintf(stderr, "no main window\n");
    } else {
        std::printf("ready\n");
        std::fflush(stdout);
        if (wait_line()) {
            LARGE_INTEGER t0;
            QueryPerformanceCounter(&t0);
            PostMessageA(main, WM_COMMAND, IDM_READ_CHARGES, 0);
            // 2,000 records take under two minutes on the line.
            HWND box = wait_for(pi.dwProcessId, "#32770", "Information", 600000);
            const double wall = seconds_since(t0);
            char text[256] = {};
            if (box) GetWindowTextA(GetDlgItem(box, kMessageBoxText), text, sizeof text);
            std::printf("done %.3f %s\n", wall, box ? text : "(no final message)");
            std::fflush(stdout);
            status = box ? 0 : 1;
            if (box && wait_line()) {
                // OK to the final message opens the system charge list, filled before it shows.
                QueryPerformanceCounter(&t0);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                HWND list = nullptr;
                while (!list && seconds_since(t0) < 60) {
                    list = find(pi.dwProcessId, "#32770", "Anlageneinzelgebührensummen");
                    if (!list) Sleep(1);
                }
                std::printf("list %.3f\n", list ? seconds_since(t0) : -1.0);
                std::fflush(stdout);
                wait_line();
            }
        }
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return status;
}
