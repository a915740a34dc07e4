#include "help.h"

#include <objbase.h>
#include <shellapi.h>

#include "core/app/settings.h"
#include "message_ui.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"

namespace kalmo::win32 {

namespace {

// "kalmo.hlp" beside the program, wherever it was started from.
std::string help_file() {
    return app::build_path_beside_program(platform::program_path(), app::kHelpFileName).path;
}

bool winhelp_file_exists() {
    const DWORD attributes = GetFileAttributesW(platform::widen(help_file()).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

UINT winhelp_command(app::HelpKind kind) {
    switch (kind) {
    case app::HelpKind::Context:
        return HELP_CONTEXT;
    case app::HelpKind::ContextPopup:
        return HELP_CONTEXTPOPUP;
    case app::HelpKind::Index:
    case app::HelpKind::HelpOnHelp:
        break;
    }
    return HELP_INDEX;
}

} // namespace

void open_help(HWND owner, app::HelpKind kind, unsigned context) {
    const app::HelpTarget target =
        app::help_target({kind, context}, help_file(), winhelp_file_exists());
    if (target.winhelp) {
        WinHelpW(owner, platform::widen(target.file).c_str(), winhelp_command(kind),
                 kind == app::HelpKind::Context || kind == app::HelpKind::ContextPopup ? context
                                                                                       : 0);
        return;
    }
    // Some browsers' shell handlers need COM on the calling thread; a second call is harmless.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        owner, L"open", platform::widen(target.file).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        const std::string text = app::help_not_opened_text(target);
        message_box(text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
}

void close_help(HWND owner) {
    if (winhelp_file_exists()) WinHelpW(owner, platform::widen(help_file()).c_str(), HELP_QUIT, 0);
}

} // namespace kalmo::win32
