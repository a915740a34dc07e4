#pragma once
// The evaluation lists: system charge list with filter, subscriber sums and statistics,
// project evaluation, call list with call statistics and speed dial.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/app/ui.h"
#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/eval/project.h"
#include "core/phonebook/lookup.h"
#include "print.h"

namespace kalmo::win32 {

// What the list dialogs work on; lent by the main window for as long as a list is open.
struct ListContext {
    data::ChargeStore& charges;
    data::CallStore& calls;
    // The loaded phonebook, or one that knows no number.
    const phonebook::NumberLookup& lookup;
    app::Clock& clock;
    app::MessageUi& ui;
    app::Currency currency;      // the unit after every amount
    eval::NumberPrivacy privacy; // how much of each number the lists show
    Printer printer;
    // Where "Exportieren …" writes, and the project names its tables carry.
    app::FileSystem& fs;
    eval::ProjectNames projects;
    // Writes a speed-dial target to the exchange, `owner` owning the progress dialog.
    std::function<void(HWND owner, const std::string& number_text, std::uint8_t index)>
        write_speed_dial;
};

// Each runs its dialog modally over `owner` when its store holds records, and does nothing
// otherwise (asking for data first is the caller's part).
void run_charge_evaluation(HWND owner, const ListContext& context);
void run_project_evaluation(HWND owner, const ListContext& context,
                            const eval::ProjectNames& names);
// Groups the calls and shows the call list.
void run_call_list(HWND owner, const ListContext& context);

} // namespace kalmo::win32
