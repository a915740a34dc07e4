#pragma once
// Literals in the tests are Windows-1252 like the program's texts; paths and console output are
// UTF-8, so those are written as u8"" literals and taken as bytes here.
#include <string>

namespace kalmo::test {
inline std::string utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}
} // namespace kalmo::test
