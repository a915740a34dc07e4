#pragma once
// The core's files, code pages and clock on the system the program runs on. posix/ and win32/
// each define them. Paths are UTF-8: Windows opens them through the wide functions, a POSIX
// system by their bytes.
#include "core/app/ui.h"

namespace kalmo::platform {

class SystemFileSystem : public app::FileSystem {
public:
    std::optional<std::vector<std::uint8_t>> read(const std::string& path,
                                                  std::size_t max_bytes) override;
    bool exists(const std::string& path) override;
    bool write_replacing(const std::string& path, std::string_view content) override;
    bool write_replacing_keeping_time(const std::string& path, std::string_view content) override;
    std::unique_ptr<app::DurableFile> create_new(const std::string& path) override;
    bool discard_new(const std::string& path) override;
    bool make_directories(const std::string& path) override;
};

class SystemCodePage : public app::CodePage {
public:
    std::string ansi_to_oem(std::string_view text) override;
    std::string oem_to_ansi(std::string_view text) override;
};

class SystemClock : public app::Clock {
public:
    app::LocalTime now() override;
    std::int64_t monotonic_ms() override;
};

} // namespace kalmo::platform
