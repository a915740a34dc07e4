// Opens every dialog among a program's resources at the screen's current scale and checks
// what a user would see first when a layout does not scale: every control inside its dialog,
// no two controls on top of each other (a group box holds its controls), and every caption
// fitting its control in the font the dialog really got. Dialog units scale the rectangles,
// but a font's width does not grow exactly with them, so a caption that fits at one scale
// can be cut off at another.
//
//   dialog_layout PROGRAM.exe [DPI]
//
// With DPI, first makes sure the screen has that scale (a check at the wrong scale would pass
// without checking anything). Prints one line per dialog and one per fault; exit status 0 when
// there is none, 1 otherwise, 2 when the program or a dialog could not be opened at all.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Control {
    HWND hwnd = nullptr;
    int id = 0;
    std::string cls;
    LONG style = 0;
    RECT rect{}; // in the dialog's client coordinates
    std::string text;
};

INT_PTR CALLBACK quiet_dialog(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

BOOL CALLBACK collect_name(HMODULE, LPCSTR, LPSTR name, LONG_PTR out) {
    auto* names = reinterpret_cast<std::vector<std::string>*>(out);
    names->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                          : std::string(name));
    return TRUE;
}

std::string class_of(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string text_of(HWND hwnd) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool same_class(const std::string& a, const char* b) {
    return lstrcmpiA(a.c_str(), b) == 0;
}

bool is_group_box(const Control& c) {
    return same_class(c.cls, "Button") && (c.style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::vector<Control> controls_of(HWND dlg) {
    std::vector<Control> out;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Control c;
        c.hwnd = child;
        c.id = GetDlgCtrlID(child);
        c.cls = class_of(child);
        c.style = GetWindowLongA(child, GWL_STYLE);
        GetWindowRect(child, &c.rect);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&c.rect), 2);
        c.text = text_of(child);
        if (c.style & WS_VISIBLE) out.push_back(c);
    }
    return out;
}

std::string name_of(const Control& c) {
    return "control " + std::to_string(c.id) + " (" + c.cls + " \"" + c.text + "\")";
}

int width(const RECT& r) {
    return r.right - r.left;
}
int height(const RECT& r) {
    return r.bottom - r.top;
}

// The room a caption needs in its control's own font, as the control would draw it.
SIZE text_size(const Control& c, UINT format, int wrap_width) {
    HDC dc = GetDC(c.hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c.hwnd, WM_GETFONT, 0, 0)));
    RECT r{0, 0, wrap_width, 0};
    DrawTextA(dc, c.text.c_str(), -1, &r, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(c.hwnd, dc);
    return SIZE{r.right, r.bottom};
}

// Room a control keeps beside its caption: the check box's square, a push button's edges, a
// group box's line on both sides of its title.
int scaled(int pixels_at_96, int dpi) {
    return MulDiv(pixels_at_96, dpi, 96);
}

void check_caption(const Control& c, int dpi, std::vector<std::string>& faults) {
    if (c.text.empty()) return;
    RECT client;
    GetClientRect(c.hwnd, &client);
    int room_x = width(client);
    int room_y = height(client);
    UINT format = DT_SINGLELINE;
    if (same_class(c.cls, "Static")) {
        const LONG kind = c.style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_SIMPLE &&
            kind != SS_LEFTNOWORDWRAP)
            return;
        if (kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT) format = DT_WORDBREAK;
        if (c.style & SS_NOPREFIX) format |= DT_NOPREFIX;
    } else if (same_class(c.cls, "Button")) {
        switch (c.style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            room_x -= scaled(6, dpi);
            room_y -= scaled(4, dpi);
            break;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE:
            room_x -= GetSystemMetrics(SM_CXMENUCHECK) + scaled(3, dpi);
            break;
        case BS_GROUPBOX:
            room_x -= scaled(16, dpi);
            room_y = height(c.rect);
            break;
        default:
            return;
        }
        if (c.style & BS_MULTILINE) format = DT_WORDBREAK;
    } else {
        return; // edit fields, lists: what they show is the user's, not the layout's
    }
    const SIZE need = text_size(c, format, room_x);
    if (need.cx > room_x || need.cy > room_y)
        faults.push_back(name_of(c) + " cuts its caption: needs " + std::to_string(need.cx) + "x" +
                         std::to_string(need.cy) + " px, has " + std::to_string(room_x) + "x" +
                         std::to_string(room_y));
}

std::vector<std::string> check_dialog(HWND dlg, int dpi) {
    std::vector<std::string> faults;
    RECT client;
    GetClientRect(dlg, &client);
    const std::vector<Control> controls = controls_of(dlg);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& a = controls[i];
        if (!contains(client, a.rect)) faults.push_back(name_of(a) + " reaches out of the dialog");
        check_caption(a, dpi, faults);
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const Control& b = controls[j];
            RECT both;
            if (!IntersectRect(&both, &a.rect, &b.rect)) continue;
            if (is_group_box(a) && contains(a.rect, b.rect)) continue;
            if (is_group_box(b) && contains(b.rect, a.rect)) continue;
            faults.push_back(name_of(a) + " and " + name_of(b) + " overlap");
        }
    }
    return faults;
}

int screen_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dialog_layout PROGRAM.exe [DPI]\n");
        return 2;
    }
    const int dpi = screen_dpi();
    if (argc > 2 && std::atoi(argv[2]) != dpi) {
        std::fprintf(stderr, "the screen has %d dpi, not %s\n", dpi, argv[2]);
        return 2;
    }
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    HMODULE program = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!program) {
        std::fprintf(stderr, "cannot open %s (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    std::vector<std::string> names;
    EnumResourceNamesA(program, RT_DIALOG, collect_name, reinterpret_cast<LONG_PTR>(&names));
    if (names.empty()) {
        std::fprintf(stderr, "%s has no dialogs\n", argv[1]);
        return 2;
    }
    int status = 0;
    for (const std::string& name : names) {
        const char* id =
            name[0] == '#' ? MAKEINTRESOURCEA(std::atoi(name.c_str() + 1)) : name.c_str();
        HRSRC found = FindResourceA(program, id, RT_DIALOG);
        const auto* layout =
            found ? static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(program, found)))
                  : nullptr;
        HWND dlg = layout ? CreateDialogIndirectParamA(program, layout, nullptr, quiet_dialog, 0)
                          : nullptr;
        if (!dlg) {
            std::printf("%s: cannot be opened (error %lu)\n", name.c_str(), GetLastError());
            status = 2;
            continue;
        }
        RECT r;
        GetWindowRect(dlg, &r);
        const std::vector<std::string> faults = check_dialog(dlg, dpi);
        std::printf("%s at %d dpi: %dx%d px, %s\n", name.c_str(), dpi, width(r), height(r),
                    faults.empty() ? "ok" : "FAULTS");
        for (const std::string& f : faults)
            std::printf("  %s\n", f.c_str());
        if (!faults.empty() && status == 0) status = 1;
        DestroyWindow(dlg);
    }
    return status;
}
