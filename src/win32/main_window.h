#pragma once
// The main window as an object, hooked up as the dialogs are: the window procedure finds the
// object the window was created over and hands it every message. It runs the commands on the
// program it was lent, keeps the menu and the title in step, and keeps its furniture (toolbar,
// status bar, context help), which furniture.cpp and toolbar.cpp look after.
#include <windows.h>

#include <optional>
#include <string>

#include "furniture.h"
#include "list_dialogs.h"
#include "program.h"
#include "transfers_gui.h"

namespace kalmo::win32 {

constexpr char kMainClass[] = "KalmoWClass";

class MainWindow {
public:
    explicit MainWindow(Program& program) : program_(program) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    static bool register_class(HINSTANCE instance);
    // Creates the window, not yet shown; false when that failed.
    bool create(HINSTANCE instance);
    // Prepares the printer dialog record of the program, with this window as its owner.
    void fill_dialog_records();
    // Puts `text` (Windows-1252) into the status bar until the menu next writes there.
    void show_status(const std::string& text);
    // The window while it exists, null before and after.
    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp);

    void run_command(unsigned id);
    std::optional<std::string> charge_file_dialog(bool save);
    bool open_charge_file();
    void printer_setup();
    ListContext list_context();
    void open_call_list();
    void open_list(NextList list);
    void init_menu(HMENU menu);
    void update_title();
    void resize();

    Program& program_;
    Furniture furniture_;
    bool title_dirty_ = true;
    // A close asked for while a transfer ran, done when it has ended.
    bool close_pending_ = false;
    HWND hwnd_ = nullptr;
};

} // namespace kalmo::win32
