#pragma once
// The one place the lists learn how numbers become names and what the projects are called.
#include "core/eval/project.h"
#include "core/phonebook/lookup.h"

namespace kalmo::win32 {

const phonebook::NumberLookup& current_lookup();
eval::ProjectNames current_project_names();

} // namespace kalmo::win32
