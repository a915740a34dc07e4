#include "core/app/strings.h"

#include "core/app/charset_check.h"
#include "core/app/ids.h"

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
} // namespace

const char* string_text(unsigned id) {
    for (const Entry& e : kTable)
        if (e.id == id) return e.text;
    return "";
}

} // namespace kalmo::app
