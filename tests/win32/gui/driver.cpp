#include "driver.h"

#include <commctrl.h>
#include <dlgs.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "win32/resource.h"

namespace kalmo::gui {

std::wstring wide(const std::string& utf8) {
    std::wstring out(utf8.size() + 1, L'\0');
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
    return out;
}

std::string wine_path(const std::string& unix_path) {
    std::string p = "Z:" + unix_path;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string screenshot_dir() {
    const std::string dir = wine_path(KALMO_SCREENSHOT_DIR) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool screenshot(const std::string& name) {
    HDC screen = GetDC(nullptr);
    const int w = GetDeviceCaps(screen, HORZRES);
    const int h = GetDeviceCaps(screen, VERTRES);
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD row = static_cast<DWORD>((w * 3 + 3) & ~3);
    const DWORD size = row * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi;
    fh.bfSize = fh.bfOffBits + size;
    std::string content(reinterpret_cast<const char*>(&fh), sizeof fh);
    content.append(reinterpret_cast<const char*>(&bi), sizeof bi);
    content.append(static_cast<const char*>(bits), size);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    return write_file(screenshot_dir() + name + ".bmp", content);
}

std::string read_file(const std::string& path) {
    std::string content;
    if (FILE* f = _wfopen(wide(path).c_str(), L"rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            content.append(buf, n);
        std::fclose(f);
    }
    return content;
}

bool write_file(const std::string& path, const std::string& content) {
    FILE* f = _wfopen(wide(path).c_str(), L"wb");
    if (!f) return false;
    const bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    return std::fclose(f) == 0 && ok;
}

std::string window_text(HWND hwnd) {
    char buf[512] = {};
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

std::string combo_text(HWND combo, int index) {
    // Across processes the ANSI message comes back in UTF-16 under Wine: ask for UTF-16.
    const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (len < 0) return "<none>";
    std::wstring wide(static_cast<std::size_t>(len) + 16, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(wide.data()));
    char out[256] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out, sizeof out - 1, nullptr, nullptr);
    return out;
}

std::vector<std::string> list_lines(HWND list) {
    // LB_GETTEXT answers in UTF-16 across processes under Wine: ask for UTF-16.
    std::vector<std::string> lines;
    const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::vector<wchar_t> wide(static_cast<std::size_t>(len > 0 ? len : 0) + 256, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(wide.data()));
        char ansi[512] = {};
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, ansi, sizeof ansi - 1, nullptr, nullptr);
        lines.emplace_back(ansi);
    }
    return lines;
}

void click(HWND dlg, int id) {
    PostMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
}

std::string message_text(HWND box) {
    return window_text(GetDlgItem(box, kMessageBoxText));
}

bool gone(HWND window, int ms) {
    return wait_for([&] { return !IsWindow(window); }, ms);
}

bool dismiss(HWND dlg, int button) {
    click(dlg, button);
    return gone(dlg);
}

std::string field(HWND dlg, int id) {
    // GetWindowText does not ask a control of another process, and edit fields keep their text
    // to themselves: ask with WM_GETTEXT, in UTF-16 across processes.
    wchar_t wide[256] = {};
    SendMessageW(GetDlgItem(dlg, id), WM_GETTEXT, 255, reinterpret_cast<LPARAM>(wide));
    char out[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, out, sizeof out - 1, nullptr, nullptr);
    return out;
}

void set_field(HWND dlg, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string answer(const Program& p, const std::string& caption, int button) {
    HWND box = p.dialog(caption);
    if (!box) return "<no box " + caption + ">";
    const std::string text = message_text(box);
    return dismiss(box, button) ? text : text + " <box stayed>";
}

bool type_file_name(HWND dlg, const std::string& path) {
    // The combo box of the Explorer style, else the edit field of the old style.
    HWND name = GetDlgItem(dlg, cmb13);
    if (!name) name = GetDlgItem(dlg, edt1);
    if (!name) return false;
    const std::wstring text = wide(path);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

bool choose_file(HWND dlg, const std::string& path) {
    return type_file_name(dlg, path) && dismiss(dlg, IDOK);
}

bool open_charge_file(Program& p, const std::string& path) {
    HWND dlg = p.open(IDM_FILE_OPEN, "Open");
    return dlg && choose_file(dlg, path);
}

HWND read_calls_into_list(Program& p) {
    p.command(IDM_CALL_LIST);
    HWND question = p.dialog("Information");
    if (!question) return nullptr;
    click(question, IDYES);
    HWND done = nullptr;
    wait_for(
        [&] {
            done = p.dialog("Information", 100);
            return done && done != question;
        },
        60000);
    if (!done || done == question) return nullptr;
    click(done, IDOK);
    return p.dialog("Anrufliste", 20000);
}

namespace {
struct Search {
    DWORD pid;
    std::string cls;
    std::string caption; // empty: any
    HWND found = nullptr;
};

BOOL CALLBACK find_window(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (s->cls != cls) return TRUE;
    if (!s->caption.empty() && window_text(hwnd) != s->caption) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND find(DWORD pid, const std::string& cls, const std::string& caption) {
    Search s{pid, cls, caption};
    EnumWindows(find_window, reinterpret_cast<LPARAM>(&s));
    return s.found;
}
} // namespace

Program::Program(const std::string& dir, bool copy_program) : dir_(dir) {
    const std::string exe = dir_ + "kalmo32.exe";
    const std::wstring wide_exe = wide(exe);
    if (copy_program && !CopyFileW(wide(wine_path(KALMO32_EXE)).c_str(), wide_exe.c_str(), FALSE))
        return;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmdline = L"\"" + wide_exe + L"\"";
    if (!CreateProcessW(wide_exe.c_str(), cmdline.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        wide(dir_).c_str(), &si, &pi_)) {
        std::fprintf(stderr, "%s could not be started (error %lu)\n", exe.c_str(), GetLastError());
        std::exit(kProgramDidNotStart);
    }
    // Generous: a busy machine starts a Wine process slowly. Once the program waits for
    // input, its start (and the activations that come with it) is over.
    WaitForInputIdle(pi_.hProcess, 60000);
    wait_for(
        [&] { return (main_ = find(pi_.dwProcessId, "KalmoWClass", "")) != nullptr || !running(); },
        60000);
    if (!main_ && !running()) {
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        std::fprintf(stderr, "%s ended with %lu before its main window came\n", exe.c_str(), code);
        std::exit(kProgramDidNotStart);
    }
}

Program::~Program() {
    if (keys_taken_) CloseHandle(keys_taken_);
    if (running()) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
    if (pi_.hThread) CloseHandle(pi_.hThread);
}

bool Program::running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

std::string Program::title() const {
    return window_text(main_);
}

void Program::menu_select() {
    // The end of a menu selection: flags 0xFFFF and no menu.
    SendMessageA(main_, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
}

void Program::command(unsigned id) {
    PostMessageA(main_, WM_COMMAND, id, 0);
}

void Program::run(unsigned id) {
    SendMessageA(main_, WM_COMMAND, id, 0);
}

HWND Program::dialog(const std::string& caption, int ms) const {
    HWND found = nullptr;
    wait_for([&] { return (found = find(pi_.dwProcessId, "#32770", caption)) != nullptr; }, ms);
    return found;
}

HWND Program::open(unsigned command, const std::string& caption, int ms) {
    this->command(command);
    return dialog(caption, ms);
}

bool inject(HANDLE process, const std::string& dll) {
    void* remote =
        VirtualAllocEx(process, nullptr, dll.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    WriteProcessMemory(process, remote, dll.c_str(), dll.size() + 1, nullptr);
    auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    DWORD module = 0;
    if (HANDLE t = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr)) {
        // A loaded machine with several Wine servers busy can take long over a first load;
        // this only bounds a program that has hung.
        if (WaitForSingleObject(t, 4 * kPatience) == WAIT_OBJECT_0) GetExitCodeThread(t, &module);
        CloseHandle(t);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return module != 0;
}

std::string Program::menu_dump() {
    const std::string state = dir_ + "menu-state.txt";
    DeleteFileA(state.c_str());
    if (!inject(pi_.hProcess, wine_path(KALMO_MENU_PROBE))) {
        std::fprintf(stderr, "menu: the probe did not load into the program\n");
        return std::string();
    }
    if (!wait_for([&] { return GetFileAttributesA(state.c_str()) != INVALID_FILE_ATTRIBUTES; },
                  4 * kPatience))
        std::fprintf(stderr, "menu: the probe wrote no menu-state.txt\n");
    return read_file(state);
}

bool Program::load_hooks() {
    if (hooks_) return true;
    const std::string name = "KalmoKeysTaken-" + std::to_string(pi_.dwProcessId);
    if (!keys_taken_) keys_taken_ = CreateSemaphoreA(nullptr, 0, 1 << 20, name.c_str());
    hooks_ = keys_taken_ && inject(pi_.hProcess, wine_path(KALMO_PROGRAM_HOOKS));
    return hooks_;
}

std::map<unsigned, MenuItem> Program::menu() {
    std::map<unsigned, MenuItem> items;
    std::istringstream in(menu_dump());
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        MenuItem item;
        std::istringstream fields(line);
        int grey = 0, checked = 0;
        fields >> item.id >> grey >> checked;
        item.grey = grey != 0;
        item.checked = checked != 0;
        std::getline(fields, item.text);
        if (!item.text.empty() && item.text[0] == ' ') item.text.erase(0, 1);
        items[item.id] = item;
    }
    return items;
}

bool Program::activate(HWND target, int ms) {
    if (!target) target = main_;
    // The window is active once its own thread has taken the activation (and with it the
    // focus), not when the system has made it the foreground window: keys typed in between
    // may go to no window at all.
    const DWORD thread = GetWindowThreadProcessId(target, nullptr);
    return wait_for(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (GetForegroundWindow() == target && GetGUIThreadInfo(thread, &info) &&
                info.hwndActive == target && info.hwndFocus)
                return true;
            SetForegroundWindow(target);
            return false;
        },
        ms);
}

bool Program::key(WORD vk, bool shift, HWND target) {
    if (!load_hooks()) {
        std::fprintf(stderr, "key: the test's hooks did not load into the program\n");
        return false;
    }
    if (!activate(target)) {
        HWND front = GetForegroundWindow();
        char cls[64] = {};
        GetClassNameA(front, cls, sizeof cls);
        std::fprintf(stderr, "key: \"%s\" did not become active; in front: \"%s\" (%s)\n",
                     window_text(target ? target : main_).c_str(), window_text(front).c_str(), cls);
        return false;
    }
    // Counts left from keys typed without waiting are not this key's.
    while (WaitForSingleObject(keys_taken_, 0) == WAIT_OBJECT_0) {
    }
    std::vector<INPUT> in;
    auto add = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (shift) add(VK_SHIFT, false);
    add(vk, false);
    add(vk, true);
    if (shift) add(VK_SHIFT, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    const std::size_t presses = shift ? 2 : 1;
    for (std::size_t i = 0; i < presses; ++i) {
        if (WaitForSingleObject(keys_taken_, kPatience) != WAIT_OBJECT_0) {
            std::fprintf(stderr, "key: the program took %zu of %zu key presses\n", i, presses);
            return false;
        }
    }
    return true;
}

void Program::key_event(WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &i, sizeof i);
    Sleep(150);
}

std::string Program::tooltip(int index) {
    HWND bar = GetDlgItem(main_, 1);
    if (!bar) return "<no toolbar>";
    void* remote = VirtualAllocEx(pi_.hProcess, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    if (!remote) return "<no buffer>";
    RECT r{};
    SendMessageA(bar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(pi_.hProcess, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(pi_.hProcess, remote, 0, MEM_RELEASE);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(bar, &centre);
    if (!activate()) return "<main window not active>";
    // Move in two steps: the tooltip starts its timer on a move inside the tool.
    for (int dx : {-3, 0}) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = (centre.x + dx) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = centre.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof in);
        Sleep(100);
    }
    HWND tip = nullptr;
    wait_for(
        [&] {
            tip = find(pi_.dwProcessId, "tooltips_class32", "");
            return tip != nullptr;
        },
        kPatience);
    if (!tip) return "<no tooltip>";
    wchar_t wide[256] = {};
    SendMessageW(tip, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(wide));
    char out[256] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, out, sizeof out - 1, nullptr, nullptr);
    return out;
}

std::string Program::status_text() {
    HWND bar = GetDlgItem(main_, 2);
    if (!bar) return "<no status bar>";
    // The text is copied into a buffer in the program's own memory.
    const SIZE_T size = 512;
    void* remote =
        VirtualAllocEx(pi_.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return "<no buffer>";
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(remote));
    char text[size + 1] = {};
    ReadProcessMemory(pi_.hProcess, remote, text, size, nullptr);
    VirtualFreeEx(pi_.hProcess, remote, 0, MEM_RELEASE);
    return text;
}

void Program::kill() {
    if (!running()) return;
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 5000);
}

bool Program::close() {
    if (!running()) return false;
    PostMessageA(main_, WM_CLOSE, 0, 0);
    return WaitForSingleObject(pi_.hProcess, kPatience) == WAIT_OBJECT_0;
}

} // namespace kalmo::gui
