#pragma once
// Private profile (INI) files with the Windows semantics the settings rely on: sections in
// square brackets, "key=value" lines, case-insensitive lookup, blanks around "=" and enclosing
// quotes dropped on reading, CRLF lines without blanks on writing.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/ui.h"

namespace kalmo::app {

// GetPrivateProfileInt's reading of a value: optional sign, "0x" (lower-case x) for hex,
// otherwise leading decimal digits; wraps like a 32-bit value; an empty value is `fallback`.
int profile_int(std::string_view value, int fallback);

class IniFile {
public:
    IniFile(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

    // Value of `key` in `section`, or `fallback`; at most `max_chars` bytes.
    std::string get_string(std::string_view section, std::string_view key,
                           std::string_view fallback, std::size_t max_chars = 255) const;
    int get_int(std::string_view section, std::string_view key, int fallback) const;
    // Replaces the key's line, or appends it to its section, or the section to the file.
    // false when the file cannot be written.
    bool write_string(std::string_view section, std::string_view key, std::string_view value);

    const std::string& path() const { return path_; }

private:
    std::vector<std::string> read_lines() const;
    bool find(std::string_view section, std::string_view key, std::string& value) const;

    FileSystem& fs_;
    std::string path_;
};

} // namespace kalmo::app
