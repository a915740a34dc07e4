#pragma once
// A fresh directory under the Windows temp directory, removed with its files afterwards.
#include <windows.h>

#include <string>

namespace kalmo::test {

class TempDir {
public:
    TempDir() {
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        for (unsigned n = GetTickCount();; ++n) {
            path_ = std::string(base) + "kalmo" + std::to_string(GetCurrentProcessId()) + "_" +
                    std::to_string(n);
            if (CreateDirectoryA(path_.c_str(), nullptr)) break;
        }
        path_ += '\\';
    }
    ~TempDir() {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((path_ + "*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = fd.cFileName;
                if (name != "." && name != "..") DeleteFileA((path_ + name).c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(path_.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with its trailing backslash.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

} // namespace kalmo::test
