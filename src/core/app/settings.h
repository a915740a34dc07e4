#pragma once
// What the program remembers between runs ("Kalmo32.ini" beside the program).
#include <cstdint>
#include <string>
#include <string_view>

#include "core/app/currency.h"
#include "core/app/ui.h"

namespace kalmo::app {

constexpr char kSettingsFileName[] = "Kalmo32.ini";
constexpr char kHelpFileName[] = "kalmo.hlp";
constexpr std::size_t kPathBufferSize = 128;

struct Settings {
    std::string phonebook_file;       // "Files" / "Telbook", at most 255 bytes
    std::string charge_file;          // "Files" / "GebFile", at most 255 bytes
    std::uint8_t port_index = 0;      // "Com" / "ComPort"; 0 = COM1
    int show_bar = 1;                 // "Toolbar" / "ShowBar"
    int text = 1;                     // "Toolbar" / "Text"
    int large_icons = 0;              // "Toolbar" / "LargeIcons"
    Currency currency = Currency::DM; // "Optionen" / "Waehrung": "DM" or "EUR"
    unsigned masked_digits = 0;       // "Datenschutz" / "Kuerzen": last digits shown as "*", 0-6
    bool drop_confidential = false;   // "Datenschutz" / "NichtSpeichern": 0 or 1
    unsigned archive_cut_months = 0;  // "Datenschutz" / "ArchivMonate": cut older files, 0 = never
    std::string archive_folder;       // "Archiv" / "Ordner"; empty = "Archiv" beside the settings
    bool collect_calls = true;        // "Archiv" / "Anrufe": collecting also takes the call list

    // "COM" and index + 1: what the serial port opens.
    std::string port_name() const;
    bool operator==(const Settings&) const = default;
};

// A file name in the program's directory, as the 128-byte path buffer allows it: the
// directory of `program_path` (up to its last backslash or colon) and `name`; "?" in place of
// the name when the directory, separator included, is longer than 115 characters.
struct BuiltPath {
    std::string path;
    bool fits = false;
};
BuiltPath build_path_beside_program(std::string_view program_path, std::string_view name);

Settings read_settings(FileSystem& fs, const std::string& ini_path);
// false when the file could not be written (nothing is shown: the run's changes are lost).
bool write_settings(const Settings& settings, FileSystem& fs, const std::string& ini_path);

} // namespace kalmo::app

namespace kalmo::app {
// Read and write "Kalmo32.ini" beside the program; a directory too long for the path buffer
// gives the defaults and writes nothing.
Settings load_settings_beside(FileSystem& fs, std::string_view program_path);
bool save_settings_beside(const Settings& settings, FileSystem& fs, std::string_view program_path);
// The folder "Journal" beside the settings file, where the reads keep their journals.
std::string journal_folder_beside(std::string_view program_path);
// Where collected files go: the chosen folder, else the folder "Archiv" beside the settings file.
std::string archive_folder_beside(const Settings& settings, std::string_view program_path);
} // namespace kalmo::app
