#include "platform/posix/files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <string>
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

std::string SystemCodePage::ansi_to_oem(std::string_view text) {
    return convert("CP850", "CP1252", text);
}
std::string SystemCodePage::oem_to_ansi(std::string_view text) {
    return convert("CP1252", "CP850", text);
}

std::optional<std::vector<std::uint8_t>> SystemFileSystem::read(const std::string& path,
                                                                std::size_t max_bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
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

bool SystemFileSystem::exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

namespace {

std::string folder_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename or a new name is only durable once the folder that holds it is. Some file systems
// (network shares, some FUSE ones) refuse fsync on a folder as such: they keep names their own
// way, and refusing every read and save there would help no one.
bool sync_folder(const std::string& path) {
    const int fd = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return ok;
}

// Charge files, journals and phonebooks hold the numbers employees dialled: what the program
// creates is its user's alone.
constexpr mode_t kPrivateFile = 0600;
constexpr mode_t kPrivateFolder = 0700;

// A save to a symbolic link replaces the file it points to and leaves the link a link.
std::string resolve_link(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf)) return buf;
    // A dangling link: its target is created where the link points.
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return path;
    std::string target(buf, static_cast<std::size_t>(n));
    if (target[0] != '/') target = folder_of(path) + "/" + target;
    return target;
}

class PosixDurableFile : public app::DurableFile {
public:
    explicit PosixDurableFile(int fd) : fd_(fd) {}
    ~PosixDurableFile() override { ::close(fd_); }
    bool write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                       static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool sync() override { return ::fsync(fd_) == 0; }

private:
    int fd_;
};

} // namespace

std::unique_ptr<app::DurableFile> SystemFileSystem::create_new(const std::string& path) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateFile);
    if (fd < 0) return nullptr;
    if (!sync_folder(path)) {
        // Nothing was kept in it: an empty file must not look like a journal of a read.
        ::close(fd);
        ::unlink(path.c_str());
        return nullptr;
    }
    return std::make_unique<PosixDurableFile>(fd);
}

bool SystemFileSystem::discard_new(const std::string& path) {
    return ::unlink(path.c_str()) == 0 && sync_folder(path);
}

bool SystemFileSystem::make_directories(const std::string& path) {
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        if (!part.empty()) {
            if (::mkdir(part.c_str(), kPrivateFolder) == 0) {
                // A new folder is only there for good once its parent says so.
                if (!sync_folder(part)) return false;
            } else if (errno != EEXIST) {
                return false;
            }
        }
        if (at == std::string::npos) break;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {
// A new file beside `target` that nobody else can have placed there: a fresh name, never
// through a link, with the permission bits `mode`. -1 when none can be made.
int create_temp_beside(const std::string& target, mode_t mode, std::string& temp) {
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = target + ".kalmo-tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
        const int fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            // The umask must not widen or narrow what the old file allowed.
            ::fchmod(fd, mode);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

bool write_fd(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool replace_file(const std::string& path, std::string_view content, bool keep_time) {
    const std::string target = resolve_link(path);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    const mode_t mode = existed ? (old.st_mode & 07777) : kPrivateFile;
    std::string temp;
    const int fd = create_temp_beside(target, mode, temp);
    if (fd < 0) return false;
    bool ok = write_fd(fd, content);
    if (keep_time && existed) {
        // Set before the rename, so that the file never shows under its name with another time.
        const timespec times[2] = {old.st_atim, old.st_mtim};
        ok = ::futimens(fd, times) == 0 && ok;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok && sync_folder(target);
}
} // namespace

bool SystemFileSystem::write_replacing(const std::string& path, std::string_view content) {
    return replace_file(path, content, false);
}

bool SystemFileSystem::write_replacing_keeping_time(const std::string& path,
                                                    std::string_view content) {
    return replace_file(path, content, true);
}

app::LocalTime SystemClock::now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::int64_t SystemClock::monotonic_ms() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

} // namespace kalmo::platform
