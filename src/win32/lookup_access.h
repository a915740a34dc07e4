#pragma once
// What the list dialogs need of the phonebook in memory: the number lookup and the ten
// project names.
#include "core/eval/project.h"
#include "core/phonebook/lookup.h"

namespace kalmo::win32 {

// The loaded phonebook; a lookup that knows no number before the phonebook exists.
const phonebook::NumberLookup& current_lookup();
// The phonebook's ten project names; all empty before the phonebook exists.
eval::ProjectNames current_project_names();

} // namespace kalmo::win32
