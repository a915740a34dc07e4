#include "core/app/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kalmo::app {

void trim_text(std::string& text) {
    std::size_t start = 0;
    while (start < text.size() &&
           (text[start] == ' ' || static_cast<unsigned char>(text[start]) == 0xFF))
        ++start;
    std::size_t end = text.size();
    while (end > start && text[end - 1] == ' ')
        --end;
    text = text.substr(start, end - start);
}

std::string trimmed(std::string_view text) {
    std::string s(text);
    trim_text(s);
    return s;
}

void copy_text(char* dst, const char* src) {
    // memmove semantics for the forward direction the callers use.
    std::memmove(dst, src, std::strlen(src) + 1);
}

std::uint16_t text_length(const char* text) {
    return static_cast<std::uint16_t>(std::strlen(text));
}

std::string cut(std::string_view text, std::size_t max) {
    return std::string(text.substr(0, std::min(max, text.size())));
}

std::string format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, ap2);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(ap2);
    return out;
}

std::uint16_t decimal_u16(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || static_cast<unsigned char>(text[i]) == 0xFF))
        ++i;
    std::uint16_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = static_cast<std::uint16_t>(v * 10 + (text[i] - '0'));
    return v;
}

namespace {
unsigned char fold_case(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}
} // namespace

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold_case(static_cast<unsigned char>(a[i])) !=
            fold_case(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace kalmo::app
