// Loaded into the running program by the GUI tests: tells its main window, as the system does
// when the window moves to another screen, that it is now on a screen of 192 dpi and where to
// go (left 40, top 30, 820 x 640), then writes "dpi-changed.txt" beside the program: "icons N
// SIZE", the number and size of the images the toolbar then has (none when there is no
// toolbar), and unloads itself. The message carries a pointer, so it can only come from inside
// the process, and so does what the toolbar holds.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HMODULE self;

BOOL CALLBACK find_main(HWND hwnd, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = {};
    if (pid == GetCurrentProcessId() && GetClassNameA(hwnd, cls, sizeof cls) &&
        std::strcmp(cls, "KalmoWClass") == 0) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI probe(void*) {
    HWND main = nullptr;
    EnumWindows(find_main, reinterpret_cast<LPARAM>(&main));
    RECT suggested{40, 30, 40 + 820, 30 + 640};
    if (main)
        SendMessageA(main, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192),
                     reinterpret_cast<LPARAM>(&suggested));
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string out(path);
    out = out.substr(0, out.find_last_of('\\') + 1) + "dpi-changed.txt";
    int count = 0, width = 0, height = 0;
    if (HWND bar = main ? FindWindowExA(main, nullptr, TOOLBARCLASSNAMEA, nullptr) : nullptr) {
        auto icons = reinterpret_cast<HIMAGELIST>(SendMessageA(bar, TB_GETIMAGELIST, 0, 0));
        if (icons) {
            count = ImageList_GetImageCount(icons);
            ImageList_GetIconSize(icons, &width, &height);
        }
    }
    if (FILE* f = std::fopen(out.c_str(), "wb")) {
        std::fprintf(f, "icons %d %dx%d\n", count, width, height);
        std::fclose(f);
    }
    FreeLibraryAndExitThread(self, 0);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        // Not inside DllMain itself: the loader lock is held here.
        if (HANDLE t = CreateThread(nullptr, 0, probe, nullptr, 0, nullptr)) CloseHandle(t);
    }
    return TRUE;
}
