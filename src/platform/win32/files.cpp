#include "platform/files.h"

#include <windows.h>

#include <ctime>
#include <string>

#include "core/app/ui.h"
#include "platform/win32/wide.h"

namespace kalmo::platform {

namespace {
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    void reset(HANDLE h) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }
    // Closes now and reports whether the close succeeded (buffers reach the disk).
    bool close() {
        const bool ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

bool write_all(HANDLE h, std::string_view content) {
    while (!content.empty()) {
        const DWORD want =
            content.size() > 0x10000000 ? 0x10000000u : static_cast<DWORD>(content.size());
        DWORD done = 0;
        if (!WriteFile(h, content.data(), want, &done, nullptr) || done == 0) return false;
        content.remove_prefix(done);
    }
    return true;
}
} // namespace

std::optional<std::vector<std::uint8_t>> SystemFileSystem::read(const std::string& path,
                                                                std::size_t max_bytes) {
    // A journal that a read is still writing must open as well: the writer is let be.
    Handle f(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buf[8192];
    while (bytes.size() < max_bytes) {
        const std::size_t want = std::min(sizeof buf, max_bytes - bytes.size());
        DWORD got = 0;
        if (!ReadFile(f.get(), buf, static_cast<DWORD>(want), &got, nullptr)) return std::nullopt;
        bytes.insert(bytes.end(), buf, buf + got);
        if (got < want) break;
    }
    return bytes;
}

bool SystemFileSystem::exists(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {
bool replace_file(const std::string& path, std::string_view content, bool keep_time) {
    // A fresh name made only if nothing has that name yet: whatever someone placed beside the
    // file (a link to another file among it) is never opened and never overwritten.
    static unsigned serial = 0;
    const std::wstring target = widen(path);
    std::wstring temp;
    Handle f(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < 100 && !f.valid(); ++attempt) {
        temp = target + L".kalmo-tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++serial);
        HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
        if (h != INVALID_HANDLE_VALUE) f.reset(h);
    }
    if (!f.valid()) return false;
    bool ok = write_all(f.get(), content);
    if (keep_time) {
        // Set before the move, so that the file never shows under its name with another time.
        WIN32_FILE_ATTRIBUTE_DATA old{};
        if (GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &old))
            ok = SetFileTime(f.get(), nullptr, &old.ftLastAccessTime, &old.ftLastWriteTime) != 0 &&
                 ok;
    }
    ok = FlushFileBuffers(f.get()) != 0 && ok;
    ok = f.close() && ok;
    if (ok)
        ok = MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}
} // namespace

bool SystemFileSystem::write_replacing(const std::string& path, std::string_view content) {
    return replace_file(path, content, false);
}

bool SystemFileSystem::write_replacing_keeping_time(const std::string& path,
                                                    std::string_view content) {
    return replace_file(path, content, true);
}

namespace {
class Win32DurableFile : public app::DurableFile {
public:
    explicit Win32DurableFile(HANDLE h) : h_(h) {}
    ~Win32DurableFile() override { CloseHandle(h_); }
    bool write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(h_, at, nullptr, FILE_BEGIN)) return false;
        return write_all(h_, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }
    bool sync() override { return FlushFileBuffers(h_) != 0; }

private:
    HANDLE h_;
};
} // namespace

std::unique_ptr<app::DurableFile> SystemFileSystem::create_new(const std::string& path) {
    HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32DurableFile>(h);
}

bool SystemFileSystem::discard_new(const std::string& path) {
    return DeleteFileW(widen(path).c_str()) != 0;
}

bool SystemFileSystem::make_directories(const std::string& path) {
    // A drive or a share ("\\\\server\\share") is where folders are made, not one of them.
    const std::size_t root = app::path_root_length(path);
    for (std::size_t at = path.find_first_of("\\/", root);;
         at = path.find_first_of("\\/", at + 1)) {
        const std::string part = path.substr(0, at);
        if (part.size() > root && !CreateDirectoryW(widen(part).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (at == std::string::npos) break;
    }
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// CharToOemBuffA/OemToCharBuffA take a length, so texts with embedded zero bytes survive.
std::string SystemCodePage::ansi_to_oem(std::string_view text) {
    std::string out(text.size(), '\0');
    if (!text.empty()) CharToOemBuffA(text.data(), out.data(), static_cast<DWORD>(text.size()));
    return out;
}

std::string SystemCodePage::oem_to_ansi(std::string_view text) {
    std::string out(text.size(), '\0');
    if (!text.empty()) OemToCharBuffA(text.data(), out.data(), static_cast<DWORD>(text.size()));
    return out;
}

app::LocalTime SystemClock::now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::int64_t SystemClock::monotonic_ms() {
    return static_cast<std::int64_t>(GetTickCount64());
}

} // namespace kalmo::platform
