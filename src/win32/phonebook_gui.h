#pragma once
// The phonebook of the running program.

namespace kalmo::win32 {

// Allocates the phonebook (after the two stores); false when memory is short.
bool allocate_phonebook();
void release_phonebook();
// Clears the phonebook and reads the file named in the settings; a name that yields nothing
// is forgotten, so that neither the title, the menu nor the settings file keep it.
void load_start_phonebook();

} // namespace kalmo::win32
