#include "platform/files.h"
#include "platform/platform.h"

namespace kalmo::platform {

std::unique_ptr<app::FileSystem> make_file_system() {
    return std::make_unique<SystemFileSystem>();
}
std::unique_ptr<app::CodePage> make_code_page() {
    return std::make_unique<SystemCodePage>();
}
std::unique_ptr<app::Clock> make_clock() {
    return std::make_unique<SystemClock>();
}

} // namespace kalmo::platform
