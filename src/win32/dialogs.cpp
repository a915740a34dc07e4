// The port dialog "TtyDlgBox", the currency dialog "WaehrungDlgBox" and the About box.
#include "dialogs.h"

#include <iterator>
#include <dbt.h>

#include "resource.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "dialog.h"
#include "help.h"
#include "kalmo_version.h"
#include "platform/win32/ports.h"

namespace kalmo::win32 {

namespace {

class PortDialog : public Dialog {
public:
    explicit PortDialog(app::Settings& settings)
        : Dialog("TtyDlgBox", Help{app::HelpKind::ContextPopup, app::help::Port}),
          settings_(settings) {}

private:
    void on_init() override { fill(settings_.port_index); }
    bool on_ok() override {
        app::choose_port(settings_, entries_, static_cast<int>(send(IDC_PORT_LIST, CB_GETCURSEL)));
        return true;
    }
    bool on_message(UINT msg, WPARAM wp, LPARAM) override {
        // An adapter plugged in or pulled out while the dialog is open; the line the user
        // has selected stays selected (and listed) even when its port went. Other device
        // events (a removal query above all) keep their default answer.
        if (msg != WM_DEVICECHANGE || (wp != DBT_DEVICEARRIVAL && wp != DBT_DEVICEREMOVECOMPLETE &&
                                       wp != DBT_DEVNODES_CHANGED))
            return false;
        fill(selected_index());
        return true;
    }

    std::uint8_t selected_index() const {
        const auto at = send(IDC_PORT_LIST, CB_GETCURSEL);
        if (at < 0 || static_cast<std::size_t>(at) >= entries_.size()) return settings_.port_index;
        return entries_[static_cast<std::size_t>(at)].index;
    }
    void fill(std::uint8_t keep) {
        entries_ = app::port_entries(platform::present_serial_ports(), keep);
        send(IDC_PORT_LIST, CB_RESETCONTENT);
        for (const app::PortEntry& entry : entries_)
            send(IDC_PORT_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
        const auto selected = app::port_selection(entries_, keep);
        send(IDC_PORT_LIST, CB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : WPARAM(-1));
    }

    app::Settings& settings_;
    std::vector<app::PortEntry> entries_;
};

// The units in the order the list offers them.
constexpr app::Currency kCurrencies[] = {app::Currency::DM, app::Currency::EUR};

class CurrencyDialog : public Dialog {
public:
    explicit CurrencyDialog(app::Settings& settings)
        : Dialog("WaehrungDlgBox"), settings_(settings) {}

private:
    void on_init() override {
        for (std::size_t i = 0; i < std::size(kCurrencies); ++i) {
            send(IDC_CURRENCY_LIST, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(app::currency_unit(kCurrencies[i])));
            if (kCurrencies[i] == settings_.currency) send(IDC_CURRENCY_LIST, CB_SETCURSEL, i);
        }
    }
    bool on_ok() override {
        const LRESULT sel = send(IDC_CURRENCY_LIST, CB_GETCURSEL);
        if (sel >= 0 && static_cast<std::size_t>(sel) < std::size(kCurrencies))
            settings_.currency = kCurrencies[sel];
        return true;
    }

    app::Settings& settings_;
};

class AboutBox : public Dialog {
public:
    AboutBox() : Dialog("AboutBox") {}

private:
    void on_init() override {
        // The same number as the file properties and `kalmo --version`, so a report names it.
        set_text(IDC_PROGRAM_VERSION,
                 std::string(app::string_text(app::str::ProgramVersion)) + KALMO_VERSION_STRING);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const DWORD version = GetVersion();
#pragma GCC diagnostic pop
        set_text(IDC_WINDOWS_VERSION,
                 app::windows_version_line(static_cast<std::uint32_t>(version)));
    }
};

} // namespace

void run_port_dialog(HWND owner, app::Settings& settings) {
    PortDialog(settings).run_modal(owner);
}

void run_currency_dialog(HWND owner, app::Settings& settings) {
    CurrencyDialog(settings).run_modal(owner);
}

void run_about_box(HWND owner) {
    AboutBox().run_modal(owner);
}

} // namespace kalmo::win32
