#pragma once
// The files of an archive on this system's disks, searched with std::filesystem on both.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/eval/archive_report.h"

namespace kalmo::platform {

// The day a file was last written, for files whose name carries no read date.
std::optional<eval::report::ReadDate> modification_date(const std::filesystem::path& path);

// Every root (Windows character set) that is no folder, and every file below the folders that
// `wanted` accepts, each folder's files sorted. A folder that cannot be read and a link to a
// folder go to `problems`.
std::vector<std::filesystem::path> archive_files(const std::vector<std::string>& roots,
                                                 bool (*wanted)(const std::filesystem::path&),
                                                 std::vector<eval::report::Problem>& problems);

class SystemArchiveFinder : public eval::report::ArchiveFinder {
public:
    std::vector<eval::report::FoundFile>
    charge_files(const std::vector<std::string>& roots,
                 std::vector<eval::report::Problem>& problems) override;
};

} // namespace kalmo::platform
