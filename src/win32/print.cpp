// Printing a list box: Print dialog, cancel dialog "AbortDlg", abort procedure with its pump.
// Where the lines go on which page is worked out by the core's print layout.
#include "print.h"

#include <vector>

#include "core/app/print_layout.h"
#include "core/app/strings.h"
#include "core/app/ui.h"
#include "wait_pump.h"

namespace kalmo::win32 {

namespace {

// The cancel dialog "AbortDlg": any of its commands cancels the job.
class AbortDialog : public Dialog {
public:
    explicit AbortDialog(bool& user_abort) : Dialog("AbortDlg"), user_abort_(user_abort) {}

    // The cancel: the printing dialog is usable again at once, the job ends after its page.
    void cancel() {
        user_abort_ = true;
        if (!hwnd()) return;
        EnableWindow(GetParent(hwnd()), TRUE);
        destroy();
    }

private:
    void on_init() override { EnableMenuItem(GetSystemMenu(hwnd(), FALSE), SC_CLOSE, MF_GRAYED); }
    bool on_command(int, int) override {
        cancel();
        return true;
    }

    bool& user_abort_;
};

// One job at a time, all on the one thread: the printing system's abort procedure has no
// room for a context of its own.
bool user_abort = false;
AbortDialog* abort_dialog = nullptr;
WaitPump print_pump;

BOOL CALLBACK abort_proc(HDC, int) {
    if (abort_dialog && !print_pump.pump(*abort_dialog, &user_abort)) abort_dialog->cancel();
    return !user_abort;
}

std::vector<std::string> list_lines(HWND list_box, int count) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    std::vector<char> buffer;
    for (int i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list_box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR || length < 0) {
            lines.emplace_back();
            continue;
        }
        buffer.assign(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(list_box, LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(buffer.data()));
        lines.emplace_back(buffer.data());
    }
    return lines;
}

HFONT fixed_pitch_font(int cell_height) {
    LOGFONTA lf{};
    lf.lfHeight = cell_height;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynA(lf.lfFaceName, "Courier New", LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

// The printer's default font would cut the lists after a few dozen characters and lets their
// columns drift: print in a fixed-pitch font as large as the widest text allows. Returns the
// font selected into `dc` (to be deleted after the job), or none when the default stays.
HFONT select_list_font(HDC dc, const std::vector<std::string>& lines, const std::string& heading) {
    TEXTMETRICA tm{};
    if (!GetTextMetricsA(dc, &tm)) return nullptr;
    const int min_height = GetDeviceCaps(dc, LOGPIXELSY) * 6 / 72; // 6 pt: still legible
    auto char_width = [dc](int height) {
        HFONT font = fixed_pitch_font(height);
        if (!font) return 0;
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICA m{};
        const bool measured = GetTextMetricsA(dc, &m) != FALSE;
        SelectObject(dc, old);
        DeleteObject(font);
        if (!measured) return 0;
        // A printer without a fixed-pitch face substitutes a proportional one (the bit means
        // "variable"): its widest character still lets every line fit, though columns drift.
        const bool variable = (m.tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
        return static_cast<int>(variable ? m.tmMaxCharWidth : m.tmAveCharWidth);
    };
    const app::FontFit fit = app::fit_font(tm.tmHeight, min_height, GetDeviceCaps(dc, HORZRES),
                                           app::widest_text(lines, heading), char_width);
    if (fit.height <= 0) return nullptr;
    HFONT font = fixed_pitch_font(fit.height);
    if (font) SelectObject(dc, font);
    return font;
}

void draw(HDC dc, int x, int y, const std::string& text) {
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Prints the passes; false when a page could not be started or ended.
bool print_pages(HDC dc, const std::vector<std::string>& lines, const std::string& heading,
                 const app::PageMetrics& metrics, const PRINTDLGA& settings) {
    const int line_count = static_cast<int>(lines.size());
    const int pages = app::page_count(line_count, metrics);
    const bool collate = (settings.Flags & PD_COLLATE) != 0;
    for (int page : app::page_sequence(pages, settings.nCopies, collate)) {
        if (StartPage(dc) <= 0) return false;
        for (const app::PageText& t : app::page_texts(page, heading, line_count, metrics)) {
            if (t.list_index < 0)
                draw(dc, t.x, t.y, t.text);
            else
                draw(dc, t.x, t.y,
                     app::cut_to_line(lines[static_cast<std::size_t>(t.list_index)], metrics));
        }
        if (EndPage(dc) <= 0) return false;
        // Not every printing system asks the abort procedure between pages; the cancel
        // dialog must answer all the same.
        abort_proc(dc, 0);
        if (user_abort) break;
    }
    return true;
}

} // namespace

void print_list(const Printer& printer, HWND owner, HWND list_box, const std::string& heading) {
    PRINTDLGA& settings = printer.settings;
    settings.hwndOwner = owner;
    if (!settings.hDC) {
        settings.Flags |= PD_RETURNDC;
        if (!PrintDlgA(&settings) || !settings.hDC) return;
    }
    const int line_count =
        static_cast<short>(SendMessageA(list_box, LB_GETCOUNT, 0, 0)); // signed 16-bit count
    if (line_count <= 0) return; // a held context serves the next print

    HDC dc = settings.hDC;
    const std::vector<std::string> lines = list_lines(list_box, line_count);
    HGDIOBJ default_font = GetCurrentObject(dc, OBJ_FONT);
    HFONT font = select_list_font(dc, lines, heading);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const app::PageMetrics metrics =
        app::page_metrics(tm.tmHeight, tm.tmExternalLeading, tm.tmAveCharWidth,
                          GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));

    EnableWindow(owner, FALSE);
    user_abort = false;
    AbortDialog dialog(user_abort);
    if (dialog.create_modeless(owner)) ShowWindow(dialog.hwnd(), SW_SHOWNORMAL);
    abort_dialog = &dialog;
    SetAbortProc(dc, abort_proc);

    char name[4] = {};
    GetWindowTextA(owner, name, sizeof name);
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name;

    // A print that did not happen must not look like one that did: a job that cannot start,
    // or breaks off, is reported; a broken one is thrown away rather than left open.
    bool failed = false;
    if (StartDoc(dc, &doc) > 0) {
        if (print_pages(dc, lines, heading, metrics, settings)) {
            EndDoc(dc);
        } else {
            AbortDoc(dc);
            failed = !user_abort; // the cancel's own end of the job is no failure
        }
    } else {
        // The printing system asks the abort procedure while the document starts: a cancel
        // pressed that early fails the start, which is the user's doing, not a fault.
        failed = !user_abort;
    }
    abort_dialog = nullptr;
    if (!user_abort) {
        EnableWindow(owner, TRUE);
        dialog.destroy();
    }
    SelectObject(dc, default_font);
    if (font) DeleteObject(font);
    DeleteDC(dc);
    settings.hDC = nullptr;
    if (failed)
        app::show_string(printer.ui, app::str::PrintJobNotStarted, app::str::Error,
                         app::Buttons::Ok, app::Icon::Error);
}

} // namespace kalmo::win32
