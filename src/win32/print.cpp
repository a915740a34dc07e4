// Printing a list box: Print dialog, cancel dialog "AbortDlg", abort procedure with its pump.
// Where the lines go on which page is worked out by the core's print layout.
#include "print.h"

#include <vector>

#include "app.h"
#include "core/app/print_layout.h"

namespace kalmo::win32 {

namespace {

// One job at a time, all on the one thread.
bool user_abort = false;
HWND abort_dialog = nullptr;

// The cancel: the printing dialog is usable again at once, the job ends after its page.
void cancel_job() {
    user_abort = true;
    if (!abort_dialog) return;
    HWND dialog = abort_dialog;
    abort_dialog = nullptr;
    EnableWindow(GetParent(dialog), TRUE);
    DestroyWindow(dialog);
}

INT_PTR CALLBACK abort_dialog_proc(HWND dlg, UINT msg, WPARAM, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        EnableMenuItem(GetSystemMenu(dlg, FALSE), SC_CLOSE, MF_GRAYED);
        return TRUE; // focus to the default control
    case WM_COMMAND:
        cancel_job();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CALLBACK abort_proc(HDC, int) {
    MSG msg;
    while (!user_abort && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: the main loop must still see it, and the job ends.
            PostQuitMessage(static_cast<int>(msg.wParam));
            cancel_job();
            break;
        }
        if (abort_dialog && IsDialogMessageA(abort_dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !user_abort;
}

std::string list_line(HWND list_box, int index) {
    const LRESULT length = SendMessageA(list_box, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list_box, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}

void draw(HDC dc, int x, int y, const std::string& text) {
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Prints the passes; false when a page could not be started or ended (the document is then
// left unended).
bool print_pages(HDC dc, HWND list_box, const std::string& heading, int line_count,
                 const app::PageMetrics& metrics, const PRINTDLGA& settings) {
    const int pages = app::page_count(line_count, metrics);
    const bool collate = (settings.Flags & PD_COLLATE) != 0;
    for (int page : app::page_sequence(pages, settings.nCopies, collate)) {
        if (StartPage(dc) < 0) return false;
        for (const app::PageText& t : app::page_texts(page, heading, line_count, metrics)) {
            if (t.list_index < 0)
                draw(dc, t.x, t.y, t.text);
            else
                draw(dc, t.x, t.y, app::cut_to_line(list_line(list_box, t.list_index), metrics));
        }
        if (EndPage(dc) < 0) return false;
        if (user_abort) break;
    }
    return true;
}

} // namespace

void print_list(HWND owner, HWND list_box, const std::string& heading) {
    PRINTDLGA& settings = app_state().printer;
    settings.hwndOwner = owner;
    if (!settings.hDC) {
        settings.Flags |= PD_RETURNDC;
        if (!PrintDlgA(&settings) || !settings.hDC) return;
    }
    const int line_count =
        static_cast<short>(SendMessageA(list_box, LB_GETCOUNT, 0, 0)); // signed 16-bit count
    if (line_count <= 0) return; // a held context serves the next print

    HDC dc = settings.hDC;
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const app::PageMetrics metrics =
        app::page_metrics(tm.tmHeight, tm.tmExternalLeading, tm.tmAveCharWidth,
                          GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));

    EnableWindow(owner, FALSE);
    user_abort = false;
    abort_dialog =
        CreateDialogParamA(app_state().instance, "AbortDlg", owner, abort_dialog_proc, 0);
    if (abort_dialog) ShowWindow(abort_dialog, SW_SHOWNORMAL);
    SetAbortProc(dc, abort_proc);

    char name[4] = {};
    GetWindowTextA(owner, name, sizeof name);
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name;

    if (StartDoc(dc, &doc) > 0) {
        if (print_pages(dc, list_box, heading, line_count, metrics, settings)) EndDoc(dc);
    }
    if (!user_abort) {
        EnableWindow(owner, TRUE);
        if (abort_dialog) DestroyWindow(abort_dialog);
        abort_dialog = nullptr;
    }
    DeleteDC(dc);
    settings.hDC = nullptr;
}

} // namespace kalmo::win32
