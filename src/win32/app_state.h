#pragma once
// The Windows program's state: one instance for the process's lifetime, kept by the main
// window and lent to what it runs.
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

struct App {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HWND toolbar = nullptr;
    HWND status = nullptr;
    HWND tooltips = nullptr;
    bool help_mode = false;
    bool title_dirty = true;

    app::Settings settings;
    // "Vertraulich.txt" beside the settings, read at the start.
    data::ConfidentialNumbers confidential;
    // Where that file is and what came of reading it, for the dialog "Datenschutz".
    app::ConfidentialState confidential_state;
    std::string program; // full path of the running program
    std::string help_file;

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
    // Menu help table for MenuHelp: five pairs, the main menu in pair 1.
    UINT menu_help[10] = {};
};

// The one instance, made on first use.
App& app_state();

} // namespace kalmo::win32
