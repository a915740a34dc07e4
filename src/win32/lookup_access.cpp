#include "lookup_access.h"

#include "app.h"
#include "core/phonebook/editor.h"

namespace kalmo::win32 {

const phonebook::NumberLookup& current_lookup() {
    static const phonebook::NoPhonebook none;
    const App& a = app_state();
    if (!a.phonebook) return none;
    return *a.phonebook;
}

eval::ProjectNames current_project_names() {
    const App& a = app_state();
    if (!a.phonebook) return {};
    return phonebook::project_name_fields(*a.phonebook);
}

} // namespace kalmo::win32
