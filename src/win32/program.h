#pragma once
// What the Windows program works on from its start to its end: the settings, the stores, the
// phonebook and the system's services. WinMain keeps the one instance and lends it to the main
// window, which lends it on to the dialogs and transfers it runs.
#include <windows.h>

#include <commdlg.h>

#include <memory>
#include <string>

#include "core/app/privacy.h"
#include "core/app/settings.h"
#include "core/app/ui.h"
#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/data/confidential.h"
#include "core/phonebook/phonebook.h"
#include "message_ui.h"

namespace kalmo::win32 {

struct Program {
    app::Settings settings;
    // "Vertraulich.txt" beside the settings, read at the start.
    data::ConfidentialNumbers confidential;
    // Where that file is and what came of reading it, for the dialog "Datenschutz".
    app::ConfidentialState confidential_state;
    std::string path; // full path of the running program

    std::unique_ptr<data::ChargeStore> charges;
    std::unique_ptr<data::CallStore> calls;
    // A read in this run left records in the exchange (failed, cancelled, store or journal
    // full): a delete then warns before it asks.
    bool charges_unread = false;
    bool calls_unread = false;
    // Its file name is the program's phonebook file name; settings.phonebook_file follows it
    // after every phonebook command.
    std::unique_ptr<phonebook::Phonebook> phonebook;

    std::unique_ptr<app::FileSystem> fs;
    std::unique_ptr<app::CodePage> code_page;
    std::unique_ptr<app::Clock> clock;
    Win32MessageUi ui;

    PRINTDLGA printer{};
};

} // namespace kalmo::win32
