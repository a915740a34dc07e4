#include "core/app/strings.h"

#include <cstddef>
#include <iterator>

#include "core/app/charset_check.h"
#include "core/app/commands.h"

namespace kalmo::app {

namespace {
struct Entry {
    unsigned id;
    const char* text;
};
constexpr Entry kTable[] = {
#define KALMO_STRING(id, text) {id, text},
#include "core/app/strings.def"
#undef KALMO_STRING
};

constexpr bool ids_unique() {
    for (std::size_t i = 0; i < std::size(kTable); ++i)
        for (std::size_t j = i + 1; j < std::size(kTable); ++j)
            if (kTable[i].id == kTable[j].id) return false;
    return true;
}
// A status-bar command and a message once shared a number: the lookup showed the first text
// for both. Every id names one text.
static_assert(ids_unique(), "two strings of strings.def share an id");
} // namespace

const char* string_text(unsigned id) {
    for (const Entry& e : kTable)
        if (e.id == id) return e.text;
    return "";
}

} // namespace kalmo::app
