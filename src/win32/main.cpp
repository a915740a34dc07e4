// Entry of the Windows program: the start-up order, the message loop and the shutdown.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/app/clock.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/app/utf8.h"
#include "core/data/confidential.h"
#include "core/link/collect.h"
#include "core/phonebook/phonebook_file.h"
#include "main_window.h"
#include "platform/platform.h"
#include "program.h"

namespace {

using namespace kalmo;

// The phonebook storage, zero-filled; nothing when memory is short.
std::unique_ptr<phonebook::Phonebook> allocate_phonebook() {
    try {
        return std::make_unique<phonebook::Phonebook>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Clears the phonebook and reads the file the settings name; a file that yields nothing has
// its name dropped from the settings.
void load_phonebook_at_start(win32::Program& a) {
    a.settings.phonebook_file =
        phonebook::load_phonebook_at_start(*a.phonebook, a.settings.phonebook_file, *a.fs, a.ui);
}

// KALMO_TODAY=YYYY-MM-DD shows the lists as on that day (the time of day stays real), so that a
// test can see a December call in January; anything else leaves the clock alone.
void fix_date_from_environment(win32::Program& a) {
    char text[16] = {};
    const DWORD n = GetEnvironmentVariableA("KALMO_TODAY", text, sizeof text);
    if (n == 0 || n >= sizeof text) return;
    const auto date = app::parse_iso_date(text);
    if (!date) return;
    static std::unique_ptr<app::Clock> real;
    real = std::move(a.clock);
    a.clock = std::make_unique<app::FixedDateClock>(*real, date);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int show) {
    using namespace kalmo;
    // Both live until the message loop has ended.
    win32::Program a;
    win32::MainWindow window(a);

    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    if (!previous && !win32::MainWindow::register_class(instance)) return 0;

    a.fs = platform::make_file_system();
    a.code_page = platform::make_code_page();
    a.clock = platform::make_clock();
    fix_date_from_environment(a);
    a.path = platform::program_path();
    // Read before the window exists, so the toolbar is created as the settings describe.
    a.settings = app::load_settings_beside(*a.fs, a.path);
    const app::BuiltPath confidential_path =
        app::build_path_beside_program(a.path, data::kConfidentialFileName);
    data::ConfidentialFile confidential;
    if (confidential_path.fits)
        confidential = data::read_confidential_file(*a.fs, confidential_path.path);
    a.confidential_state = {
        confidential_path.path, confidential_path.fits && a.fs->exists(confidential_path.path),
        confidential.readable, confidential.numbers.size(), confidential.bad_lines.size()};
    a.confidential = std::move(confidential.numbers);

    if (!window.create(instance)) return 0;
    window.fill_dialog_records();
    ShowWindow(window.hwnd(), show);
    UpdateWindow(window.hwnd());

    a.charges.reset(new (std::nothrow) data::ChargeStore());
    if (a.charges) a.calls.reset(new (std::nothrow) data::CallStore());
    if (a.calls) a.phonebook = allocate_phonebook();
    if (!a.charges || !a.calls || !a.phonebook) {
        a.calls.reset();
        a.charges.reset();
        win32::message_box(app::string_text(app::str::NotEnoughMemory), nullptr,
                           MB_OK | MB_ICONHAND);
        return 0;
    }
    load_phonebook_at_start(a);
    // Said before the first list: otherwise a number meant to be hidden would be shown unnoticed.
    std::string warning;
    if (!confidential.readable)
        warning = app::format(app::string_text(app::str::ConfidentialUnreadable),
                              app::shown_path(confidential_path.path).c_str());
    const std::vector<std::size_t>& bad = confidential.bad_lines;
    if (!bad.empty()) {
        warning = app::format(app::string_text(app::str::ConfidentialBadLine),
                              app::shown_path(confidential_path.path).c_str(),
                              static_cast<unsigned>(bad[0]));
        if (bad.size() > 1)
            warning += "\n" + app::format(app::string_text(app::str::MoreBadLines),
                                          static_cast<unsigned>(bad.size() - 1));
    }
    if (!warning.empty())
        a.ui.show(app::Message{warning, std::string(app::string_text(app::str::Error)),
                               app::Buttons::Ok, app::Icon::Warning});

    // A reminder in passing: nothing to answer, nothing in the way.
    if (const auto reminder = link::collection_reminder(
            platform::newest_file_time(app::archive_folder_beside(a.settings, a.path)), *a.clock))
        window.show_status(*reminder);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    a.calls.reset();
    a.phonebook.reset();
    a.charges.reset();
    app::save_settings_beside(a.settings, *a.fs, a.path);
    return static_cast<int>(msg.wParam);
}
