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
    ~TempDir() { remove_tree(wide(path_)); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with its trailing backslash.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

    // Paths are UTF-8, as the program carries them.
    static std::wstring wide(const std::string& utf8) {
        std::wstring out(utf8.size() + 1, L'\0');
        const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(),
                                          static_cast<int>(out.size()));
        out.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
        return out;
    }

private:
    // Folders inside (a journal, one named in another script) go with it.
    static void remove_tree(const std::wstring& folder) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    remove_tree(folder + name + L"\\");
                else
                    DeleteFileW((folder + name).c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::string path_;
};

} // namespace kalmo::test
