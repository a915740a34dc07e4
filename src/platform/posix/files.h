#pragma once
#include "core/app/ui.h"

namespace kalmo::platform {

// Files on a POSIX system: names arrive in the Windows character set and are opened by their
// UTF-8 form.
class PosixFileSystem : public app::FileSystem {
public:
    std::optional<std::vector<std::uint8_t>> read(const std::string& path,
                                                  std::size_t max_bytes) override;
    bool exists(const std::string& path) override;
    bool write_replacing(const std::string& path, std::string_view content) override;
    std::unique_ptr<app::DurableFile> create_new(const std::string& path) override;
    bool make_directories(const std::string& path) override;
};

class PosixCodePage : public app::CodePage {
public:
    std::string ansi_to_oem(std::string_view text) override;
    std::string oem_to_ansi(std::string_view text) override;
};

class SystemClock : public app::Clock {
public:
    app::LocalTime now() override;
    std::int64_t monotonic_ms() override;
};

// Windows-1252 to UTF-8 and back, for the console and the file system.
std::string ansi_to_utf8(std::string_view text);
std::string utf8_to_ansi(std::string_view text);

} // namespace kalmo::platform
