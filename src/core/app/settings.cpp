#include "core/app/settings.h"

#include <algorithm>

#include "core/app/ini.h"
#include "core/app/text.h"
#include "core/app/utf8.h"

namespace kalmo::app {

std::string Settings::port_name() const {
    return format("COM%d", port_index + 1);
}

BuiltPath build_path_beside_program(std::string_view program_path, std::string_view name) {
    // A program path that does not fit the buffer would be cut, and its last separator would
    // then belong to some parent directory, whose settings are not ours: too long is too long.
    // The buffer counted characters; a path carries them in UTF-8, several bytes to some.
    if (character_count(program_path) > kPathBufferSize - 1) return {"?", false};
    std::string buffer(program_path);
    std::size_t k = std::string::npos;
    for (std::size_t i = buffer.size(); i > 0; --i) {
        const char c = buffer[i];
        if (i < buffer.size() && (c == '\\' || c == ':' || c == '/')) {
            k = i;
            break;
        }
    }
    buffer = k == std::string::npos ? std::string() : buffer.substr(0, k + 1);
    const std::size_t dir_end = k == std::string::npos ? 0 : character_count(buffer) - 1;
    if (dir_end + 13 < kPathBufferSize) return {buffer + std::string(name), true};
    return {buffer + "?", false};
}

namespace {
// 255 characters, as the file dialogs' buffers always held; in UTF-8 up to four bytes each.
std::string read_path(const IniFile& ini, std::string_view section, std::string_view key) {
    return first_characters(path_from_settings(ini.get_string(section, key, "", 4 * 255)), 255);
}
} // namespace

Settings read_settings(FileSystem& fs, const std::string& ini_path) {
    const IniFile ini(fs, ini_path);
    Settings s;
    s.phonebook_file = read_path(ini, "Files", "Telbook");
    s.charge_file = read_path(ini, "Files", "GebFile");
    s.port_index = static_cast<std::uint8_t>(ini.get_int("Com", "ComPort", 0));
    s.show_bar = ini.get_int("Toolbar", "ShowBar", 1);
    s.text = ini.get_int("Toolbar", "Text", 1);
    s.large_icons = ini.get_int("Toolbar", "LargeIcons", 0);
    s.currency =
        parse_currency(ini.get_string("Optionen", "Waehrung", "DM")).value_or(Currency::DM);
    // A hand-edited value outside 0 to 6 is taken at its nearest end.
    s.masked_digits =
        static_cast<unsigned>(std::clamp(ini.get_int("Datenschutz", "Kuerzen", 0), 0, 6));
    s.drop_confidential = ini.get_int("Datenschutz", "NichtSpeichern", 0) != 0;
    // Negative is "never"; the upper end is a century, far beyond any retention rule.
    s.archive_cut_months =
        static_cast<unsigned>(std::clamp(ini.get_int("Datenschutz", "ArchivMonate", 0), 0, 1200));
    s.archive_folder = read_path(ini, "Archiv", "Ordner");
    s.collect_calls = ini.get_int("Archiv", "Anrufe", 1) != 0;
    return s;
}

bool write_settings(const Settings& s, FileSystem& fs, const std::string& ini_path) {
    IniFile ini(fs, ini_path);
    bool ok = ini.write_string("Files", "Telbook", path_for_settings(s.phonebook_file));
    ok = ini.write_string("Files", "GebFile", path_for_settings(s.charge_file)) && ok;
    ok = ini.write_string("Com", "ComPort", format("%i", s.port_index)) && ok;
    ok = ini.write_string("Toolbar", "ShowBar", format("%i", s.show_bar)) && ok;
    ok = ini.write_string("Toolbar", "Text", format("%i", s.text)) && ok;
    ok = ini.write_string("Toolbar", "LargeIcons", format("%i", s.large_icons)) && ok;
    // A file that never chose a currency stays as it was while the default holds.
    if (s.currency != Currency::DM || !ini.get_string("Optionen", "Waehrung", "").empty())
        ok = ini.write_string("Optionen", "Waehrung", currency_unit(s.currency)) && ok;
    if (s.masked_digits != 0 || !ini.get_string("Datenschutz", "Kuerzen", "").empty())
        ok = ini.write_string("Datenschutz", "Kuerzen", format("%u", s.masked_digits)) && ok;
    if (s.drop_confidential || !ini.get_string("Datenschutz", "NichtSpeichern", "").empty())
        ok = ini.write_string("Datenschutz", "NichtSpeichern", s.drop_confidential ? "1" : "0") &&
             ok;
    if (s.archive_cut_months != 0 || !ini.get_string("Datenschutz", "ArchivMonate", "").empty())
        ok = ini.write_string("Datenschutz", "ArchivMonate", format("%u", s.archive_cut_months)) &&
             ok;
    if (!s.archive_folder.empty() || !ini.get_string("Archiv", "Ordner", "").empty())
        ok = ini.write_string("Archiv", "Ordner", path_for_settings(s.archive_folder)) && ok;
    if (!s.collect_calls || !ini.get_string("Archiv", "Anrufe", "").empty())
        ok = ini.write_string("Archiv", "Anrufe", s.collect_calls ? "1" : "0") && ok;
    return ok;
}

} // namespace kalmo::app

namespace kalmo::app {
Settings load_settings_beside(FileSystem& fs, std::string_view program_path) {
    const BuiltPath p = build_path_beside_program(program_path, kSettingsFileName);
    return p.fits ? read_settings(fs, p.path) : Settings{};
}

bool save_settings_beside(const Settings& settings, FileSystem& fs, std::string_view program_path) {
    const BuiltPath p = build_path_beside_program(program_path, kSettingsFileName);
    return p.fits && write_settings(settings, fs, p.path);
}
} // namespace kalmo::app

namespace kalmo::app {
std::string journal_folder_beside(std::string_view program_path) {
    const auto cut = program_path.find_last_of("\\/");
    if (cut == std::string_view::npos) return "Journal";
    return std::string(program_path.substr(0, cut + 1)) + "Journal";
}

std::string archive_folder_beside(const Settings& settings, std::string_view program_path) {
    if (!settings.archive_folder.empty()) return settings.archive_folder;
    const auto cut = program_path.find_last_of("\\/");
    if (cut == std::string_view::npos) return "Archiv";
    return std::string(program_path.substr(0, cut + 1)) + "Archiv";
}
} // namespace kalmo::app
