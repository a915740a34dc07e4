// Loaded into the running program by the GUI tests: menus cannot be read from another process,
// so this reads the main window's menu from inside and writes one line per command item,
// "<id> <grey 0/1> <checked 0/1> <text>", to "menu-state.txt" beside the program, after
// letting the window handle WM_INITMENU as when the user enters the menu bar. It then unloads
// itself, so the next load runs it again.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HMODULE self;

void dump(FILE* out, HMENU menu) {
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOA info{};
        char text[128] = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (info.hSubMenu) {
            std::fprintf(out, "popup %d %s\n", (info.fType & MFT_RIGHTJUSTIFY) ? 1 : 0, text);
            dump(out, info.hSubMenu);
        } else if (info.fType & MFT_SEPARATOR) {
            std::fprintf(out, "separator\n");
        } else {
            std::fprintf(out, "%u %d %d %s\n", info.wID, (info.fState & MFS_GRAYED) ? 1 : 0,
                         (info.fState & MFS_CHECKED) ? 1 : 0, text);
        }
    }
}

BOOL CALLBACK find_main(HWND hwnd, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64];
    if (pid == GetCurrentProcessId() && GetClassNameA(hwnd, cls, sizeof cls) &&
        std::string(cls) == "KalmoWClass") {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI probe(void*) {
    HWND main = nullptr;
    EnumWindows(find_main, reinterpret_cast<LPARAM>(&main));
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string out_path(path);
    out_path = out_path.substr(0, out_path.find_last_of('\\') + 1);
    const std::string temp = out_path + "menu-state.tmp";
    if (FILE* out = std::fopen(temp.c_str(), "wb")) {
        if (main) {
            HMENU menu = GetMenu(main);
            SendMessageA(main, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
            dump(out, menu);
        }
        std::fclose(out);
        MoveFileExA(temp.c_str(), (out_path + "menu-state.txt").c_str(), MOVEFILE_REPLACE_EXISTING);
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
