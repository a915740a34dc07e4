// Loaded into the running program by the GUI tests, and left there for its lifetime: it tells
// the test what the program has done, where the outside cannot see it, so that the test waits
// for that instead of guessing how long it takes.
//
// Keys: every key press the program's main thread takes from its queue releases the semaphore
// "KalmoKeysTaken-<pid>" (when the test made it). A key sent with SendInput has had its effect
// once the program took its press, since the thread handles it before anything else. Releases
// are not counted: a key that opens another program's window may see its release go there.
//
// Print jobs: when "print-hold.txt" lies beside the program, the job stops at the point it
// names (0: before the document starts; N: after the job's Nth page), signals the event
// "KalmoPrintHeld-<pid>" and goes on only when the test sets "KalmoPrintGo-<pid>" (or after a
// minute, so that a failed test cannot hang the program). The test thus acts while the job has
// provably not finished, however fast the machine prints.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HANDLE keys_taken = nullptr;
HHOOK hook = nullptr;

std::string named(const char* what) {
    return what + std::string("-") + std::to_string(GetCurrentProcessId());
}

LRESULT CALLBACK on_message(int code, WPARAM remove, LPARAM lp) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && remove == PM_REMOVE &&
        (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN))
        ReleaseSemaphore(keys_taken, 1, nullptr);
    return CallNextHookEx(hook, code, remove, lp);
}

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

// -1: no hold asked for.
int hold_point() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string file(path);
    file = file.substr(0, file.find_last_of('\\') + 1) + "print-hold.txt";
    int point = -1;
    if (FILE* f = std::fopen(file.c_str(), "rb")) {
        if (std::fscanf(f, "%d", &point) != 1) point = -1;
        std::fclose(f);
    }
    return point;
}

int hold_at = -1;
int pages_ended = 0;

void hold() {
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, named("KalmoPrintHeld").c_str());
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, named("KalmoPrintGo").c_str());
    if (held && go) {
        SetEvent(held);
        WaitForSingleObject(go, 60000);
    }
    if (held) CloseHandle(held);
    if (go) CloseHandle(go);
}

using StartDocFn = int(WINAPI*)(HDC, const DOCINFOA*);
using EndPageFn = int(WINAPI*)(HDC);
StartDocFn real_start_doc = nullptr;
EndPageFn real_end_page = nullptr;

int WINAPI start_doc(HDC dc, const DOCINFOA* doc) {
    hold_at = hold_point();
    pages_ended = 0;
    if (hold_at == 0) hold();
    return real_start_doc(dc, doc);
}

int WINAPI end_page(HDC dc) {
    const int result = real_end_page(dc);
    if (++pages_ended == hold_at) hold();
    return result;
}

// Points the program's own import of `name` from `dll` at `replacement`; the original in
// `original`.
template <class F>
bool redirect_import(const char* dll, const char* name, F replacement, F& original) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return false;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
        const DWORD names_at = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + names_at);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* by_name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), name) != 0) continue;
            DWORD protection = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                                &protection))
                return false;
            original = reinterpret_cast<F>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    HWND main = nullptr;
    EnumWindows(find_main, reinterpret_cast<LPARAM>(&main));
    keys_taken = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, named("KalmoKeysTaken").c_str());
    if (main && keys_taken)
        hook = SetWindowsHookExA(WH_GETMESSAGE, on_message, instance,
                                 GetWindowThreadProcessId(main, nullptr));
    redirect_import("gdi32.dll", "StartDocA", &start_doc, real_start_doc);
    redirect_import("gdi32.dll", "EndPage", &end_page, real_end_page);
    return TRUE;
}
