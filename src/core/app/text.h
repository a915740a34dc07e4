#pragma once
// Text helpers. Texts are Windows-1252 bytes.
#include <cstdint>
#include <string>
#include <string_view>

namespace kalmo::app {

// Removes leading blanks and 0xFF bytes, then trailing blanks (0x20 only).
void trim_text(std::string& text);
std::string trimmed(std::string_view text);

// Copies a zero-terminated text forwards, terminator included; the target may overlap the
// source toward the start of the same buffer.
void copy_text(char* dst, const char* src);

// Number of bytes before the terminator, as a 16-bit count.
std::uint16_t text_length(const char* text);

// Cuts `text` to at most `max` bytes (fields of fixed storage width).
std::string cut(std::string_view text, std::size_t max);

// printf-style formatting into a std::string (the formats of the lists and messages).
std::string format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Whether two texts are equal when upper and lower case letters of the Windows character set
// count as the same, as the Windows file system compares names.
bool equal_ignoring_case(std::string_view a, std::string_view b);

// Decimal conversion of a dialog or file field the way the program always read them: leading
// digits after optional blanks; a text without digits gives 0. Wraps like the 16-bit counters.
std::uint16_t decimal_u16(std::string_view text);

} // namespace kalmo::app
