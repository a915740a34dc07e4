#pragma once
// The platform's implementations of the core's interfaces, for the front ends.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/app/privacy.h"
#include "core/app/ui.h"

namespace kalmo::platform {

std::unique_ptr<app::FileSystem> make_file_system();
std::unique_ptr<app::CodePage> make_code_page();
std::unique_ptr<app::Clock> make_clock();

// The console's encoding at the edge: UTF-8 on POSIX systems, the ANSI bytes on Windows.
std::string to_console(std::string_view ansi);
// A table's rows end in CR LF already: the process's stdout must write bytes as they are, not
// add a CR before each LF as the Windows C runtime does in text mode. Nothing on POSIX.
void write_stdout_as_bytes();
std::string from_console(std::string_view text);
// The same, but nothing when the text holds a character the Windows character set lacks (a
// lossy name would open or create another file than the one meant).
std::optional<std::string> from_console_exact(std::string_view text);

// File names between the Windows character set and what std::filesystem takes on this system.
std::string to_native_path(std::string_view ansi);
std::string from_native_path(std::string_view native);

// Every charge and call file below `folder` (a name in the Windows character set), sorted, with
// the day it was last written. Folders that cannot be read, links to folders (not followed:
// they may lead back up) and names the character set cannot spell are counted as unread, never
// passed over in silence; so is a folder that is not there.
app::ArchiveListing list_archive(const std::string& folder);
// When the newest file directly in `folder` was last written, in local time; nothing when the
// folder holds none or cannot be read.
std::optional<app::LocalTime> newest_file_time(const std::string& folder);

// Full path of the running program.
std::string program_path();

// Where the console program keeps its read journals unless told otherwise: beside the program
// on Windows (with the Windows program's), in the user's data folder elsewhere.
std::string default_journal_folder();

} // namespace kalmo::platform
