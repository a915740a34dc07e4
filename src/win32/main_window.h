#pragma once
// The main window: class, creation, command dispatch, menu state and window title.
#include <windows.h>

namespace kalmo::win32 {

constexpr char kMainClass[] = "KalmoWClass";

bool register_main_class(HINSTANCE instance);
bool create_main_window(HINSTANCE instance, int show);
void fill_dialog_records();
LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

} // namespace kalmo::win32
