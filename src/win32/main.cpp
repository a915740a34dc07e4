// Entry of the Windows program: the start-up order, the message loop and the shutdown.
#include <windows.h>

#include <commctrl.h>

#include <new>

#include "app.h"
#include "phonebook_dialogs.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "platform/platform.h"

namespace kalmo::win32 {

App& app_state() {
    static App app;
    return app;
}

app::Answer Win32MessageUi::show(const app::Message& message) {
    UINT style = MB_OK;
    if (message.buttons == app::Buttons::YesNo)
        style = MB_YESNO;
    else if (message.buttons == app::Buttons::OkCancel)
        style = MB_OKCANCEL;
    if (message.default_no) style |= MB_DEFBUTTON2;
    switch (message.icon) {
    case app::Icon::Error:
        style |= MB_ICONHAND;
        break;
    case app::Icon::Warning:
        style |= MB_ICONEXCLAMATION;
        break;
    case app::Icon::Information:
        style |= MB_ICONASTERISK;
        break;
    case app::Icon::Question:
        style |= MB_ICONQUESTION;
        break;
    case app::Icon::None:
        break;
    }
    const int r = MessageBoxA(nullptr, message.text.c_str(),
                              message.caption ? message.caption->c_str() : nullptr, style);
    switch (r) {
    case IDYES:
        return app::Answer::Yes;
    case IDNO:
        return app::Answer::No;
    case IDCANCEL:
        return app::Answer::Cancel;
    default:
        return app::Answer::Ok;
    }
}

} // namespace kalmo::win32

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int show) {
    using namespace kalmo;
    win32::App& a = win32::app_state();
    a.help_mode = false;
    a.toolbar = nullptr;

    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    if (!previous && !win32::register_main_class(instance)) return 0;

    a.fs = platform::make_file_system();
    a.code_page = platform::make_code_page();
    a.clock = platform::make_clock();
    a.program = platform::program_path();
    // Read before the window exists, so the toolbar is created as the settings describe.
    a.settings = app::load_settings_beside(*a.fs, a.program);
    a.help_file = app::build_path_beside_program(a.program, app::kHelpFileName).path;

    if (!win32::create_main_window(instance, show)) return 0;
    win32::fill_dialog_records();
    ShowWindow(a.main, show);
    UpdateWindow(a.main);

    a.charges.reset(new (std::nothrow) data::ChargeStore());
    if (a.charges) a.calls.reset(new (std::nothrow) data::CallStore());
    if (a.calls) a.phonebook = win32::allocate_phonebook();
    if (!a.charges || !a.calls || !a.phonebook) {
        a.calls.reset();
        a.charges.reset();
        MessageBoxA(nullptr, app::string_text(app::str::NotEnoughMemory), nullptr,
                    MB_OK | MB_ICONHAND);
        return 0;
    }
    win32::load_phonebook_at_start();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    a.calls.reset();
    a.phonebook.reset();
    a.charges.reset();
    app::save_settings_beside(a.settings, *a.fs, a.program);
    return static_cast<int>(msg.wParam);
}
