#pragma once
// Stand-ins for the outside world, shared by the core tests.
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/app/ui.h"

namespace kalmo::test {

// Remembers every message; answers from a queue (Yes/Ok when it runs dry).
class RecordingUi : public app::MessageUi {
public:
    app::Answer show(const app::Message& message) override {
        shown.push_back(message);
        if (!answers.empty()) {
            const app::Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return message.buttons == app::Buttons::YesNo ? app::Answer::Yes : app::Answer::Ok;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& m : shown)
            t.push_back(m.text);
        return t;
    }
    std::vector<app::Message> shown;
    std::deque<app::Answer> answers;
};

// Files in memory; names in `unwritable` refuse every write.
class MemoryFileSystem : public app::FileSystem {
public:
    std::optional<std::vector<std::uint8_t>> read(const std::string& path,
                                                  std::size_t max_bytes) override {
        const auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        const std::string& c = it->second;
        return std::vector<std::uint8_t>(
            c.begin(), c.begin() + static_cast<std::ptrdiff_t>(std::min(max_bytes, c.size())));
    }
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    bool write_replacing(const std::string& path, std::string_view content) override {
        ++writes;
        if (unwritable.count(path)) return false;
        files[path] = std::string(content);
        return true;
    }
    // Memory files have no times; `kept_time` counts the writes that were asked to keep them.
    bool write_replacing_keeping_time(const std::string& path, std::string_view content) override {
        ++kept_time;
        return write_replacing(path, content);
    }
    // A new file whose content shows in `files` as it is written; `syncs` counts the flushes.
    std::unique_ptr<app::DurableFile> create_new(const std::string& path) override {
        if (files.count(path) || unwritable.count(path)) return nullptr;
        files[path];
        return std::make_unique<File>(*this, path);
    }
    bool discard_new(const std::string& path) override { return files.erase(path) != 0; }
    bool make_directories(const std::string& path) override {
        if (unwritable.count(path)) return false;
        folders.insert(path);
        return true;
    }
    std::map<std::string, std::string> files;
    std::map<std::string, bool> unwritable;
    std::set<std::string> folders;
    int writes = 0;
    int kept_time = 0;
    int syncs = 0;
    // Writes after this many fail (journal failures in the middle of a read).
    std::optional<int> durable_writes_left;

private:
    class File : public app::DurableFile {
    public:
        File(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
        bool write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
            if (fs_.durable_writes_left && (*fs_.durable_writes_left)-- <= 0) return false;
            std::string& c = fs_.files[path_];
            if (c.size() < offset + bytes.size()) c.resize(offset + bytes.size());
            std::copy(bytes.begin(), bytes.end(), c.begin() + static_cast<std::ptrdiff_t>(offset));
            return true;
        }
        bool sync() override {
            ++fs_.syncs;
            return true;
        }

    private:
        MemoryFileSystem& fs_;
        std::string path_;
    };
};

class FakeClock : public app::Clock {
public:
    app::LocalTime now() override { return time; }
    std::int64_t monotonic_ms() override { return ms; }
    app::LocalTime time{2026, 12, 7, 10, 30, 0};
    std::int64_t ms = 1'000'000;
};

} // namespace kalmo::test
