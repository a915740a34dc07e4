#pragma once
// The platform's implementations of the core's interfaces, for the front ends.
#include <memory>
#include <string>
#include <string_view>

#include "core/app/ui.h"

namespace kalmo::platform {

std::unique_ptr<app::FileSystem> make_file_system();
std::unique_ptr<app::CodePage> make_code_page();
std::unique_ptr<app::Clock> make_clock();

// The console's encoding at the edge: UTF-8 on POSIX systems, the ANSI bytes on Windows.
std::string to_console(std::string_view ansi);
std::string from_console(std::string_view text);

// Full path of the running program.
std::string program_path();

// Where the console program keeps its read journals unless told otherwise: beside the program
// on Windows (with the Windows program's), in the user's data folder elsewhere.
std::string default_journal_folder();

} // namespace kalmo::platform
