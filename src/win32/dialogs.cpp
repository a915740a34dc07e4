// The port dialog "TtyDlgBox" and the About box "AboutBox".
#include "dialogs.h"

#include "core/app/ids.h"
#include "core/app/shell.h"
#include "dialog.h"
#include "help.h"
#include "kalmo_version.h"

namespace kalmo::win32 {

namespace {

class PortDialog : public Dialog {
public:
    explicit PortDialog(app::Settings& settings)
        : Dialog(Help{app::HelpKind::ContextPopup, app::kPortDialogHelpContext}),
          settings_(settings) {}

private:
    void on_init() override {
        for (const std::string& name : app::port_list())
            send(IDC_PORT_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        const auto selected = app::port_selection(settings_);
        send(IDC_PORT_LIST, CB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : WPARAM(-1));
    }
    bool on_command(int id, int) override {
        if (id == IDOK)
            app::choose_port(settings_, static_cast<int>(send(IDC_PORT_LIST, CB_GETCURSEL)));
        else if (id != IDCANCEL)
            return false;
        end(1);
        return true;
    }

    app::Settings& settings_;
};

class AboutBox : public Dialog {
    void on_init() override {
        // The same number as the file properties and `kalmo --version`, so a report names it.
        set_text(IDC_PROGRAM_VERSION, "Version " KALMO_VERSION_STRING);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const DWORD version = GetVersion();
#pragma GCC diagnostic pop
        set_text(IDC_WINDOWS_VERSION,
                 app::windows_version_line(static_cast<std::uint32_t>(version)));
    }
    bool on_command(int id, int) override {
        if (id == IDOK || id == IDCANCEL) end(1);
        return true;
    }
};

} // namespace

void run_port_dialog(HWND owner, app::Settings& settings) {
    PortDialog(settings).run_modal(owner, "TtyDlgBox");
}

void run_about_box(HWND owner) {
    AboutBox().run_modal(owner, "AboutBox");
}

} // namespace kalmo::win32
