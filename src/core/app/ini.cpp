#include "core/app/ini.h"

#include <cstdint>

namespace kalmo::app {

namespace {
// A settings file is small; anything beyond this is not a settings file worth reading whole.
constexpr std::size_t kMaxIniBytes = 1 << 20;

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string_view strip(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// "[name]" gives name; anything else gives false.
bool section_name(std::string_view line, std::string_view& name) {
    line = strip(line);
    if (line.empty() || line.front() != '[') return false;
    const std::size_t close = line.find(']');
    name =
        strip(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return true;
}

bool key_line(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = strip(line.substr(0, eq));
    value = strip(line.substr(eq + 1));
    return true;
}
} // namespace

int profile_int(std::string_view value, int fallback) {
    value = strip(value);
    if (value.empty()) return fallback;
    std::size_t i = 0;
    bool negative = false;
    if (value[i] == '-' || value[i] == '+') negative = value[i++] == '-';
    std::uint32_t v = 0;
    if (i + 1 < value.size() && value[i] == '0' && value[i + 1] == 'x') {
        for (i += 2; i < value.size(); ++i) {
            const char c = lower(value[i]);
            unsigned d;
            if (c >= '0' && c <= '9')
                d = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                d = static_cast<unsigned>(c - 'a' + 10);
            else
                break;
            v = v * 16 + d;
        }
    } else {
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
            v = v * 10 + static_cast<unsigned>(value[i] - '0');
    }
    if (negative) v = 0u - v;
    return static_cast<int>(v);
}

std::vector<std::string> IniFile::read_lines() const {
    std::vector<std::string> lines;
    const auto bytes = fs_.read(path_, kMaxIniBytes);
    if (!bytes) return lines;
    std::string line;
    for (std::uint8_t b : *bytes) {
        if (b == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += static_cast<char>(b);
        }
    }
    if (!line.empty()) {
        if (line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

bool IniFile::find(std::string_view section, std::string_view key, std::string& value) const {
    bool in_section = false;
    for (const std::string& line : read_lines()) {
        std::string_view name, k, v;
        if (section_name(line, name)) {
            in_section = same(name, section);
        } else if (in_section && key_line(line, k, v) && same(k, key)) {
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            value = std::string(v);
            return true;
        }
    }
    return false;
}

std::string IniFile::get_string(std::string_view section, std::string_view key,
                                std::string_view fallback, std::size_t max_chars) const {
    std::string value;
    if (!find(section, key, value)) value = std::string(fallback);
    if (value.size() > max_chars) value.resize(max_chars);
    return value;
}

int IniFile::get_int(std::string_view section, std::string_view key, int fallback) const {
    std::string value;
    if (!find(section, key, value)) return fallback;
    return profile_int(value, fallback);
}

bool IniFile::write_string(std::string_view section, std::string_view key, std::string_view value) {
    std::vector<std::string> lines = read_lines();
    const std::string entry = std::string(key) + "=" + std::string(value);
    bool in_section = false;
    std::size_t insert_at = lines.size();
    bool found_section = false;
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        std::string_view name, k, v;
        if (section_name(lines[i], name)) {
            if (in_section) break; // end of our section: insert before the next one
            in_section = same(name, section);
            if (in_section) {
                found_section = true;
                insert_at = i + 1;
            }
        } else if (in_section) {
            if (key_line(lines[i], k, v) && same(k, key)) {
                lines[i] = entry;
                done = true;
            } else if (!strip(lines[i]).empty()) {
                insert_at = i + 1;
            }
        }
    }
    if (!done) {
        if (found_section) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert_at), entry);
        } else {
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(entry);
        }
    }
    std::string content;
    for (const std::string& line : lines)
        content += line + "\r\n";
    return fs_.write_replacing(path_, content);
}

} // namespace kalmo::app
