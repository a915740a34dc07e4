#include "archive_dialog.h"

#include <objbase.h>
#include <shlobj.h>

#include "resource.h"
#include "core/app/help_contexts.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "dialog.h"

namespace kalmo::win32 {

namespace {

class ArchiveDialog : public Dialog {
public:
    ArchiveDialog(app::Settings& settings, const std::string& program)
        : Dialog("ArchivOptDlgBox", Help{app::HelpKind::ContextPopup, app::help::ArchiveOptions}),
          settings_(settings),
          default_folder_(app::archive_folder_beside(app::Settings{}, program)) {}

private:
    void on_init() override {
        // The folder the next collection will use, also while it is the default one.
        set_text(IDC_ARCHIVE_FOLDER,
                 settings_.archive_folder.empty() ? default_folder_ : settings_.archive_folder);
        send(IDC_ARCHIVE_CALLS, BM_SETCHECK, settings_.collect_calls ? BST_CHECKED : BST_UNCHECKED);
    }
    bool on_command(int id, int) override {
        if (id == IDC_ARCHIVE_CHOOSE) {
            choose();
            return true;
        }
        if (id == IDOK) {
            std::string folder = text(IDC_ARCHIVE_FOLDER);
            while (!folder.empty() && folder.back() == ' ')
                folder.pop_back();
            // The default stays unwritten, so that it moves with the program.
            settings_.archive_folder = folder == default_folder_ ? std::string() : folder;
            settings_.collect_calls = send(IDC_ARCHIVE_CALLS, BM_GETCHECK) == BST_CHECKED;
        } else if (id != IDCANCEL) {
            return false;
        }
        end(1);
        return true;
    }

    void choose() {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        BROWSEINFOA info{};
        info.hwndOwner = hwnd();
        info.lpszTitle = app::string_text(app::str::ArchiveFolderTitle);
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        if (LPITEMIDLIST chosen = SHBrowseForFolderA(&info)) {
            char path[MAX_PATH] = {};
            if (SHGetPathFromIDListA(chosen, path)) set_text(IDC_ARCHIVE_FOLDER, path);
            CoTaskMemFree(chosen);
        }
        if (SUCCEEDED(com)) CoUninitialize();
    }

    app::Settings& settings_;
    std::string default_folder_;
};

} // namespace

void run_archive_dialog(HWND owner, app::Settings& settings, const std::string& program) {
    ArchiveDialog(settings, program).run_modal(owner);
}

} // namespace kalmo::win32
