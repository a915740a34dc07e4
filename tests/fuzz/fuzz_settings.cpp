// Any byte string as the settings file: defaults or values, never a crash; writing it back
// and reading again gives the same settings.
#include <cstdint>
#include <cstdlib>

#include "core/app/settings.h"
#include "core/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalmo;
    test::MemoryFileSystem fs;
    fs.files["Kalmo32.ini"] = std::string(reinterpret_cast<const char*>(data), size);
    const app::Settings s = app::read_settings(fs, "Kalmo32.ini");
    if (s.phonebook_file.size() > 255 || s.charge_file.size() > 255) std::abort();
    test::MemoryFileSystem fresh;
    app::write_settings(s, fresh, "Kalmo32.ini");
    // Values with line breaks or leading/trailing blanks cannot survive an INI file; the
    // rest must.
    const app::Settings back = app::read_settings(fresh, "Kalmo32.ini");
    if (back.port_index != s.port_index || back.show_bar != s.show_bar || back.text != s.text ||
        back.large_icons != s.large_icons)
        std::abort();
    return 0;
}
