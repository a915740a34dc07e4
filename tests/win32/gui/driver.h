#pragma once
// Drives the Windows program from another process under Wine: starts it in a directory of its
// own, finds its windows, sends it commands, reads texts back and takes screenshots.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace kalmo::gui {

// Paths here are UTF-8, as the program carries them.
std::wstring wide(const std::string& utf8);

// A Unix path (as CMake knows the build tree) as Wine sees it.
std::string wine_path(const std::string& unix_path);

// Everything under the test's screenshot directory (build tree).
std::string screenshot_dir();
// The whole virtual desktop as a BMP file.
bool screenshot(const std::string& name);

struct MenuItem {
    unsigned id = 0;
    bool grey = false;
    bool checked = false;
    std::string text;
};

// How long a test waits for what must come, in milliseconds: far more than it takes even on a
// busy machine, since a wait ends as soon as its condition holds.
constexpr int kPatience = 30000;

// The exit code of a test whose program did not start (the process could not be created, or
// ended before its main window came): Wine's doing, not the test's, so the test runner tries
// such a test once more. Every other failure fails at the first try.
constexpr int kProgramDidNotStart = 75;

class Program {
public:
    // Copies the program into `dir` (with a trailing backslash) and starts it there; an
    // installed program is started where it is. Waits for the main window; when the process
    // could not start, ends the test with kProgramDidNotStart.
    explicit Program(const std::string& dir, bool copy_program = true);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool running() const;
    HWND main() const { return main_; }
    std::string title() const;
    // As a user moving into the menu: the window recomposes a dirty title.
    void menu_select();
    // Posts a command, as a menu choice that may open a modal dialog.
    void command(unsigned id);
    // Sends a command that opens no dialog and waits until the window has handled it.
    void run(unsigned id);
    // A top-level dialog or message box of the program with this caption, waiting up to
    // `ms` milliseconds.
    HWND dialog(const std::string& caption, int ms = kPatience) const;
    // Posts a command and waits for the dialog with this caption that it opens.
    HWND open(unsigned command, const std::string& caption, int ms = kPatience);
    // The menu bar after WM_INITMENU as the program sees it (read from inside the program):
    // "popup <right-aligned> <title>", "separator" or "<id> <grey> <checked> <text>" lines.
    std::string menu_dump();
    // Its command items by ID.
    std::map<unsigned, MenuItem> menu();
    // Loads the test's hooks into the program (program_hooks.cpp); false when they did not
    // load. Loaded once; keys and print holds need them.
    bool load_hooks();
    // Makes the main window (or `target`) the active window and waits until it is: keys go to
    // the active window, and activation changes hands asynchronously (slowly on a busy
    // machine). False when it did not become active within `ms`.
    bool activate(HWND target = nullptr, int ms = 20000);
    // Types a key into the main window (or `target`) once it is active, with Shift held when
    // asked (the program sees the real keyboard state, which posted messages do not change),
    // and waits until the program has taken the key press from its queue: a command posted
    // after this comes after the key. False, and nothing typed, when the window did not become
    // active; false too when the program did not take the key.
    [[nodiscard]] bool key(WORD vk, bool shift = false, HWND target = nullptr);
    // Presses (down) or releases (up) one key of the real keyboard, whatever window is active.
    void key_event(WORD vk, bool up);
    // Rests the mouse on the toolbar button at `index` (separators count) and returns the
    // tooltip's text once it shows.
    std::string tooltip(int index);
    // The status bar's text (part 0, or the simple text while a menu is open).
    std::string status_text();
    // Ends the program as Alt+F4 does and waits for it; false when it did not end.
    bool close();
    // Ends it at once, as a crash or a power cut would, and waits for it.
    void kill();
    const std::string& dir() const { return dir_; }
    HANDLE process() const { return pi_.hProcess; }

private:
    std::string dir_;
    PROCESS_INFORMATION pi_{};
    HWND main_ = nullptr;
    HANDLE keys_taken_ = nullptr;
    bool hooks_ = false;
};

// Window text in the Windows character set.
std::string window_text(HWND hwnd);
// A combo box entry read across processes.
std::string combo_text(HWND combo, int index);
// Loads `dll` into `process` and returns whether it loaded.
bool inject(HANDLE process, const std::string& dll);
// Every line of a list box, read across processes.
std::vector<std::string> list_lines(HWND list);
// Presses a dialog's button without waiting for what it starts.
void click(HWND dlg, int id);
// Waits until `done` holds or `ms` pass.
template <class F> bool wait_for(F done, int ms = kPatience) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        Sleep(20);
    }
    return done();
}

// MessageBox gives its text control this ID.
constexpr int kMessageBoxText = 0xFFFF;
// A message box's text.
std::string message_text(HWND box);
// Waits until the window has gone.
bool gone(HWND window, int ms = kPatience);
// Presses a dialog's button and waits until the dialog has gone.
bool dismiss(HWND dlg, int button);
// An edit field's text, and typing one.
std::string field(HWND dlg, int id);
void set_field(HWND dlg, int id, const std::string& text);
// Answers the message box with `caption` by `button` and waits until it has gone. Its text, or
// what went wrong instead (no such box, the box stayed).
std::string answer(const Program& p, const std::string& caption, int button);
// Types a full path into a file dialog's name field; false when it has none.
bool type_file_name(HWND dlg, const std::string& path);
// Types the path and presses OK; false unless the dialog then went away.
bool choose_file(HWND dlg, const std::string& path);
// "&Öffnen" with `path` chosen in its file dialog; false unless the dialog came and went.
bool open_charge_file(Program& p, const std::string& path);
// "&Anrufliste" over no calls: "Yes" to reading them, OK to the count message, then the call
// list dialog; nullptr when any of these did not come.
HWND read_calls_into_list(Program& p);

std::string read_file(const std::string& path);
bool write_file(const std::string& path, const std::string& content);

} // namespace kalmo::gui
