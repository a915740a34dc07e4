#pragma once
// The phonebook file (*.TLB): "[Telefonbuch]", entry lines "name;country;area;number;" grouped
// under "[Project %02d;%s]" headers, "[Ende Telefonbuch]". Codes are stored without their
// prefix digit.
#include <cstdint>
#include <string>

#include "core/app/ui.h"
#include "core/phonebook/phonebook.h"

namespace kalmo::phonebook {

// Reading stops at this size; a phonebook file of 1,000 entries is far below it.
constexpr std::size_t kPhonebookFileMaxBytes = 16u << 20;

// Reads the file named by the phonebook's file name into the cleared phonebook, then sorts it
// by name. Returns the number of entries read; 0 on failure or when the file held none (the
// file name is then cleared). A file that cannot be opened leaves the phonebook as it was.
std::uint16_t read_phonebook_file(Phonebook& book, app::FileSystem& fs, app::MessageUi& ui);

// Start-up: clears the phonebook and, when `name` is set, reads that file. Returns the name the
// program goes on with: empty when nothing was named or the file yielded no entry, so that the
// title, the menu and the settings written at exit no longer name it.
std::string load_phonebook_at_start(Phonebook& book, const std::string& name, app::FileSystem& fs,
                                    app::MessageUi& ui);

// Bad lines named one message each; further ones are counted in a single message at the end.
constexpr unsigned kNamedBadLines = 5;

// Fills the cleared phonebook from the file's bytes, reporting bad lines; the entry count.
// (read_phonebook_file without the file and the final messages.)
std::uint16_t parse_phonebook_text(Phonebook& book, std::string_view bytes,
                                   const std::string& file_name, app::MessageUi& ui);

enum class WriteResult { Written, Empty, Declined, Failed };

// Sorts the phonebook by project and writes it to the file named by its file name, asking
// before it replaces an existing file. Neither the changed flag nor the file name change.
WriteResult write_phonebook_file(Phonebook& book, app::FileSystem& fs, app::MessageUi& ui);

// The file's content for the phonebook as it is ordered now (CR LF line ends).
std::string phonebook_file_content(const Phonebook& book);

} // namespace kalmo::phonebook
