#pragma once
// The program's UTF-8 paths and the UTF-16 the wide Windows functions take.
#include <string>
#include <string_view>

namespace kalmo::platform {

// A byte that is no part of a well-formed character becomes U+FFFD: such a name opens nothing
// rather than some other file.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

} // namespace kalmo::platform
