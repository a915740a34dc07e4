#pragma once
// The evaluation lists: system charge list with filter, subscriber sums and statistics,
// project evaluation, call list with call statistics and speed dial.
#include <windows.h>

namespace kalmo::win32 {

// Each runs its dialog modally over `owner` when its store holds records, and does nothing
// otherwise (asking for data first is the caller's part).
void run_charge_evaluation(HWND owner);
void run_project_evaluation(HWND owner);
// Groups the calls and shows the call list.
void run_call_list(HWND owner);

} // namespace kalmo::win32
