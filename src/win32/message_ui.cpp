#include "message_ui.h"

namespace kalmo::win32 {

namespace {

UINT box_style(const app::Message& message) {
    UINT style = message.buttons == app::Buttons::YesNo      ? MB_YESNO
                 : message.buttons == app::Buttons::OkCancel ? MB_OKCANCEL
                                                             : MB_OK;
    if (message.default_no) style |= MB_DEFBUTTON2;
    switch (message.icon) {
    case app::Icon::Error:
        return style | MB_ICONHAND;
    case app::Icon::Warning:
        return style | MB_ICONEXCLAMATION;
    case app::Icon::Information:
        return style | MB_ICONASTERISK;
    case app::Icon::Question:
        return style | MB_ICONQUESTION;
    case app::Icon::None:
        break;
    }
    return style;
}

} // namespace

app::Answer Win32MessageUi::show(const app::Message& message, HWND owner) {
    const int r =
        MessageBoxA(owner, message.text.c_str(),
                    message.caption ? message.caption->c_str() : nullptr, box_style(message));
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
