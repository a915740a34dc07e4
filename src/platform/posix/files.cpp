#include "platform/posix/files.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalmo::platform {

namespace {
std::string convert(const char* to, const char* from, std::string_view text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string out;
    std::string in(text);
    char* inp = in.data();
    std::size_t inleft = in.size();
    char buf[256];
    while (inleft > 0) {
        char* outp = buf;
        std::size_t outleft = sizeof buf;
        const std::size_t r = iconv(cd, &inp, &inleft, &outp, &outleft);
        out.append(buf, static_cast<std::size_t>(outp - buf));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A byte without a counterpart: keep a placeholder and go on.
            out += '?';
            ++inp;
            --inleft;
        }
    }
    iconv_close(cd);
    return out;
}
} // namespace

std::string ansi_to_utf8(std::string_view text) {
    return convert("UTF-8", "CP1252", text);
}
std::string utf8_to_ansi(std::string_view text) {
    return convert("CP1252", "UTF-8", text);
}

std::string PosixCodePage::ansi_to_oem(std::string_view text) {
    return convert("CP850", "CP1252", text);
}
std::string PosixCodePage::oem_to_ansi(std::string_view text) {
    return convert("CP1252", "CP850", text);
}

std::optional<std::vector<std::uint8_t>> PosixFileSystem::read(const std::string& path,
                                                               std::size_t max_bytes) {
    std::FILE* f = std::fopen(ansi_to_utf8(path).c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buf[8192];
    while (bytes.size() < max_bytes) {
        const std::size_t want = std::min(sizeof buf, max_bytes - bytes.size());
        const std::size_t got = std::fread(buf, 1, want, f);
        bytes.insert(bytes.end(), buf, buf + got);
        if (got < want) break;
    }
    std::fclose(f);
    return bytes;
}

bool PosixFileSystem::exists(const std::string& path) {
    struct stat st;
    return ::stat(ansi_to_utf8(path).c_str(), &st) == 0;
}

bool PosixFileSystem::write_replacing(const std::string& path, std::string_view content) {
    const std::string target = ansi_to_utf8(path);
    const std::string temp = target + ".kalmo-tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    ok = std::fflush(f) == 0 && ok;
    ok = ::fsync(fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) std::remove(temp.c_str());
    return ok;
}

app::LocalTime SystemClock::now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::int64_t SystemClock::seconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace kalmo::platform
