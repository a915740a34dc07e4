#pragma once
// A list's table saved into a file the user chose: the window's counterpart of the console's
// --csv, with the same bytes and the same care as a charge file.
#include <string>
#include <string_view>

#include "core/app/ui.h"
#include "core/eval/csv.h"

namespace kalmo::eval::csv {

// The name the save dialog proposes: the list's name and the day, "Anrufliste 2026-12-07.csv".
std::string proposed_export_name(std::string_view list_name, const app::LocalTime& today);

enum class ExportResult { Written, Declined, Failed };

// Asks before it replaces an existing file (No is the default: the old table may be the only
// copy of an earlier month), then writes the whole table into a new file that takes the old
// one's place only once it is complete, so a failed export never leaves half a table behind.
// A failure is reported with the file's name.
ExportResult save_table(const Table& table, const std::string& path, app::FileSystem& fs,
                        app::MessageUi& ui);

} // namespace kalmo::eval::csv
