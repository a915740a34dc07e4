#include "privacy_dialog.h"

#include <string>

#include "core/app/help_contexts.h"
#include "core/app/privacy.h"
#include "core/app/shell.h"
#include "dialog.h"
#include "platform/platform.h"
#include "resource.h"

namespace kalmo::win32 {

namespace {

class PrivacyDialog : public Dialog {
public:
    explicit PrivacyDialog(Program& a)
        : Dialog("DatenschutzDlgBox", Help{app::HelpKind::ContextPopup, app::help::Privacy}),
          a_(a) {}

private:
    void on_init() override {
        const app::PrivacyFields f = app::privacy_fields(a_.settings);
        for (unsigned digits = 0; digits <= app::kMaxMaskedDigits; ++digits)
            send(IDC_PRIVACY_MASK, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(std::to_string(digits).c_str()));
        send(IDC_PRIVACY_MASK, CB_SETCURSEL, f.masked_digits);
        CheckDlgButton(hwnd(), IDC_PRIVACY_DROP, f.drop_confidential ? BST_CHECKED : 0);
        set_text(IDC_PRIVACY_MONTHS, f.cut_months);
        send(IDC_PRIVACY_MONTHS, EM_LIMITTEXT, 8);
        set_text(IDC_PRIVACY_CONFIDENTIAL, app::confidential_hint(a_.confidential_state));
        set_text(IDC_PRIVACY_FOLDER, folder());
    }

    bool on_command(int id, int) override {
        switch (id) {
        case IDOK:
            if (const auto s = app::apply_privacy_fields(a_.settings, fields(), a_.ui)) {
                a_.settings = *s;
                // Written now, not only at the end: a switch meant to protect somebody must
                // not be lost with a crash. A failure says nothing here, as at the end.
                app::save_settings_beside(a_.settings, *a_.fs, a_.path);
                end(IDOK);
            } else {
                SetFocus(item(IDC_PRIVACY_MONTHS));
            }
            return true;
        case IDCANCEL:
            end(IDCANCEL);
            return true;
        case IDC_PRIVACY_CUT_NOW: {
            const std::string where = folder();
            HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
            const app::ArchiveListing listing = platform::list_archive(where);
            SetCursor(old);
            app::cut_archive_now(*a_.fs, a_.ui, where, listing, a_.clock->now(),
                                 text(IDC_PRIVACY_MONTHS));
            return true;
        }
        default:
            return false;
        }
    }

    app::PrivacyFields fields() const {
        app::PrivacyFields f;
        const LRESULT sel = send(IDC_PRIVACY_MASK, CB_GETCURSEL);
        f.masked_digits = sel > 0 ? static_cast<unsigned>(sel) : 0;
        f.drop_confidential = IsDlgButtonChecked(hwnd(), IDC_PRIVACY_DROP) == BST_CHECKED;
        f.cut_months = text(IDC_PRIVACY_MONTHS);
        return f;
    }

    std::string folder() const { return app::archive_folder_beside(a_.settings, a_.path); }

    Program& a_;
};

} // namespace

void run_privacy_dialog(HWND owner, Program& a) {
    PrivacyDialog(a).run_modal(owner);
}

} // namespace kalmo::win32
