#include "core/app/utf8.h"

namespace kalmo::app {

namespace {
// Windows-1252 0x80 to 0x9F; 0 where the code page has no character.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr char32_t kMalformed = 0xFFFFFFFF;

// The next character of `text` from `at`, which moves past it; kMalformed for a byte that
// starts no well-formed character (overlong forms and surrogates included), which moves one.
char32_t next_code_point(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    std::size_t extra = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, c = lead & 0x07, least = 0x10000;
    } else {
        return kMalformed;
    }
    if (text.size() - at < extra) return kMalformed;
    for (std::size_t i = 0; i < extra; ++i) {
        const auto b = static_cast<unsigned char>(text[at + i]);
        if ((b & 0xC0) != 0x80) return kMalformed;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kMalformed;
    at += extra;
    return c;
}

// The Windows-1252 byte of a character; 0 when the code page has none (NUL is never in a path).
char ansi_byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (unsigned i = 0; i < 32; ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return 0;
}

bool has_high_byte(std::string_view text) {
    for (const char ch : text)
        if (static_cast<unsigned char>(ch) >= 0x80) return true;
    return false;
}
} // namespace

char32_t ansi_code_point(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool is_valid_utf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();)
        if (next_code_point(text, at) == kMalformed) return false;
    return true;
}

std::size_t character_count(std::string_view utf8) {
    std::size_t n = 0;
    for (const char ch : utf8)
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++n;
    return n;
}

std::string first_characters(std::string_view utf8, std::size_t n) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < utf8.size(); ++at)
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && seen++ == n) break;
    return std::string(utf8.substr(0, at));
}

std::string shown_path(std::string_view utf8_path) {
    std::string out;
    out.reserve(utf8_path.size());
    for (std::size_t at = 0; at < utf8_path.size();) {
        const char32_t c = next_code_point(utf8_path, at);
        const char b = c == kMalformed ? 0 : ansi_byte(c);
        out += b != 0 ? b : '?';
    }
    return out;
}

std::string path_for_settings(std::string_view utf8_path) {
    std::string ansi;
    ansi.reserve(utf8_path.size());
    for (std::size_t at = 0; at < utf8_path.size();) {
        const char32_t c = next_code_point(utf8_path, at);
        const char b = c == kMalformed ? 0 : ansi_byte(c);
        if (b == 0) return std::string(utf8_path);
        ansi += b;
    }
    if (has_high_byte(ansi) && is_valid_utf8(ansi)) return std::string(utf8_path);
    return ansi;
}

std::string path_from_settings(std::string_view stored) {
    if (is_valid_utf8(stored)) return std::string(stored);
    // Bytes the code page leaves out are kept as the control characters Windows reads them as,
    // so such a name still reaches the same file.
    std::string out;
    out.reserve(stored.size() + stored.size() / 4);
    for (const char ch : stored) {
        const auto b = static_cast<unsigned char>(ch);
        const char32_t c = ansi_code_point(b);
        append_utf8(out, c != 0 || b == 0 ? c : b);
    }
    return out;
}

} // namespace kalmo::app
