// Takes the pictures of the program for docs/ from the real program under Wine, driven as the
// GUI tests drive it (scripts/doc-pictures.sh runs it at the scale the pictures are for): the
// main window, the system charge list, its filter, and the first page of that list as the
// prefix's A4 printer printed it.
//
//   doc_pictures OUT_DIR
//
// OUT_DIR (a Windows path) gets main-window.bmp, charge-list.bmp, filter.bmp and
// printed-page.pdf. Exit status 0 when all of them were made.
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <string>

#include "../temp_dir.h"
#include "win32/resource.h"
#include "driver.h"
#include "print_support.h"
#include "win32/controls.h"

namespace kalmo::gui {
namespace {

// The window as it stands on the screen, as a BMP file.
bool window_picture(HWND window, const std::string& path) {
    // Everything drawn before the picture is taken: painting is the window's own business.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
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
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
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
    return write_file(path, content);
}

bool fail(const char* what) {
    std::fprintf(stderr, "doc_pictures: %s\n", what);
    return false;
}

bool take_pictures(const std::string& out) {
    PrintSpool spool;
    if (!spool.ok()) return fail("no spool command for the printer");
    if (!SetDefaultPrinterA("Kalmo A4")) return fail("no printer \"Kalmo A4\"");
    test::TempDir dir;
    const std::string book = dir.file("KUNDEN.TLB");
    const std::string gds = dir.file("Dez.GDS");
    if (!write_file(book, phonebook_file()) || !write_file(gds, charge_file(60)) ||
        !write_file(dir.file("Kalmo32.ini"),
                    "[Files]\r\nTelbook=" + book +
                        "\r\nGebFile=\r\n[Com]\r\nComPort=0\r\n"
                        "[Toolbar]\r\nShowBar=1\r\nText=1\r\nLargeIcons=0\r\n"))
        return fail("cannot write the program's files");
    Program p(dir.path());
    if (!p.main()) return fail("the program did not start");
    if (!open_charge_file(p, gds)) return fail("the charge file did not open");
    p.menu_select();
    if (!window_picture(p.main(), out + "\\main-window.bmp")) return fail("main window");

    HWND list = p.open(IDM_CHARGE_EVALUATION, "Anlageneinzelgebührensummen");
    if (!list || !wait_for([&] { return !list_lines(GetDlgItem(list, IDC_CHARGE_LIST)).empty(); }))
        return fail("no charge list");
    if (!window_picture(list, out + "\\charge-list.bmp")) return fail("charge list");

    click(list, IDC_FILTER);
    HWND filter = p.dialog("Auswert-Filter");
    if (!filter) return fail("no filter dialog");
    if (!window_picture(filter, out + "\\filter.bmp")) return fail("filter");
    if (!dismiss(filter, IDOK)) return fail("the filter dialog stayed");

    click(list, IDC_PRINT);
    HWND print = p.dialog("Print");
    if (!print || !dismiss(print, IDOK)) return fail("no Print dialog");
    Job job;
    if (!spool.wait_job(1, job) || spool.jobs().empty()) return fail("the print job did not come");
    const std::string pdf = read_file(spool.path(spool.jobs().front() + ".pdf"));
    if (pdf.empty() || !write_file(out + "\\printed-page.pdf", pdf)) return fail("printed page");
    if (!wait_for([&] { return IsWindowEnabled(list) != FALSE; }) || !dismiss(list, IDOK))
        return fail("the charge list stayed");
    p.close();
    return true;
}

} // namespace
} // namespace kalmo::gui

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: doc_pictures OUT_DIR\n");
        return 2;
    }
    return kalmo::gui::take_pictures(argv[1]) ? 0 : 1;
}
