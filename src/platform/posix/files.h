#pragma once
#include <string>
#include <string_view>

#include "platform/files.h"

namespace kalmo::platform {

// Windows-1252 to UTF-8 and back, for the console.
std::string ansi_to_utf8(std::string_view text);
std::string utf8_to_ansi(std::string_view text);

} // namespace kalmo::platform
