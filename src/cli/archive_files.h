#pragma once
// Finding the files of an archive below the folders on the command line, and the day each
// was read.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "core/eval/report.h"

namespace kalmo::cli {

// The day a file was last written, for files whose name carries no read date.
std::optional<eval::report::ReadDate> modification_date(const std::filesystem::path& path);

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
