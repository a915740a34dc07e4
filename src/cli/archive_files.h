#pragma once
// Finding the files of an archive below the folders on the command line, and the day each
// was read.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "core/eval/archive_report.h"
#include "platform/archive.h"

namespace kalmo::cli {

using platform::modification_date;

// Names what the search or the report could not take, on stderr.
void name_problems(Context& ctx, const std::vector<eval::report::Problem>& problems);

// The file name's extension is `upper` ("GDS"), in any case.
bool has_extension(const std::filesystem::path& p, std::string_view upper);

// The path as the console shows it; "?" for one the Windows character set cannot spell.
std::string shown_path(const std::filesystem::path& p);

// Every file named on the command line, and every file below the named folders that `wanted`
// accepts, in a stable order. A folder that cannot be read and a link to a folder are named
// on stderr and set `trouble`.
std::vector<std::filesystem::path> archive_files(Context& ctx, bool& trouble,
                                                 bool (*wanted)(const std::filesystem::path&));

} // namespace kalmo::cli
