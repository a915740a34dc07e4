#pragma once
// File paths are UTF-8 inside the program, so a folder named in any script can be opened and
// written; texts shown in windows, lists and records stay Windows-1252. These convert between
// the two where a path meets a text: shown in a message or title, or kept in the settings file.
#include <string>
#include <string_view>

namespace kalmo::app {

// The character a Windows-1252 byte stands for; 0 for the five bytes the code page leaves out.
char32_t ansi_code_point(unsigned char byte);
void append_utf8(std::string& out, char32_t c);

bool is_valid_utf8(std::string_view text);
// Characters of a UTF-8 text, as a buffer of single-byte characters would count them.
std::size_t character_count(std::string_view utf8);
// The first `n` characters, never part of one.
std::string first_characters(std::string_view utf8, std::size_t n);

// A path as a text of the windows: every character the Windows character set lacks, and every
// byte that is no part of a well-formed character, becomes '?'. The path itself is not changed.
std::string shown_path(std::string_view utf8_path);

// The settings file keeps a path that the Windows character set can spell in that character set,
// as every earlier version wrote it, and any other in UTF-8; the reader tells them apart by
// whether the bytes are well-formed UTF-8. A 1252 path whose bytes would pass for UTF-8 is kept in
// UTF-8 for that reason.
std::string path_for_settings(std::string_view utf8_path);
std::string path_from_settings(std::string_view stored);

} // namespace kalmo::app
