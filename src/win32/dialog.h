#pragma once
// The one dialog procedure: each dialog is a small class that names its template, fills its
// controls when it opens, answers its commands and its help request, and keeps what it works
// on as members.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/app/help.h"

namespace kalmo::win32 {

class Dialog {
public:
    // What F1 opens in the dialog; a dialog without help passes the request on to its owner.
    struct Help {
        app::HelpKind kind;
        unsigned topic;
    };

    explicit Dialog(const char* template_name, std::optional<Help> help = std::nullopt)
        : template_(template_name), help_(help) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Runs the dialog modally over `owner`; what the dialog ended with.
    INT_PTR run_modal(HWND owner);
    // Creates the dialog without waiting for it; false when that failed.
    bool create_modeless(HWND owner);
    // Destroys a modeless dialog; nothing when there is none.
    void destroy();
    // The dialog's window while it exists, null before and after.
    HWND hwnd() const { return hwnd_; }

protected:
    virtual void on_init() {}
    // false hands the command on: OK and Cancel (also Esc and the close box) then end the
    // dialog with their id, OK after on_ok.
    virtual bool on_command(int, int) { return false; }
    // What OK does before the dialog ends; false keeps it open (a field the user must correct).
    virtual bool on_ok() { return true; }
    // The close box; false leaves it to the default handling, which sends IDCANCEL.
    virtual bool on_close() { return false; }
    // Any other message; false leaves it to the default handling.
    virtual bool on_message(UINT, WPARAM, LPARAM) { return false; }

    void end(INT_PTR result) const { EndDialog(hwnd_, result); }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    LRESULT send(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return SendDlgItemMessageA(hwnd_, id, msg, wp, lp);
    }
    void set_text(int id, const std::string& text) const {
        SetDlgItemTextA(hwnd_, id, text.c_str());
    }
    // The control's whole text, however long.
    std::string text(int id) const;
    // Replaces the list box's lines.
    void set_lines(int list_id, const std::vector<std::string>& lines) const;

private:
    static INT_PTR CALLBACK procedure(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

    const char* template_;
    std::optional<Help> help_;
    HWND hwnd_ = nullptr;
};

} // namespace kalmo::win32
