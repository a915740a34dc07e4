#pragma once
// What the core needs from the outside world, as small interfaces the front ends implement.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kalmo::app {

enum class Icon { None, Error, Warning, Information, Question };
enum class Buttons { Ok, YesNo, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

// A message box. `caption` absent means the platform's default caption; Windows shows its own
// word there, the console front end writes "Meldung".
struct Message {
    std::string text;
    std::optional<std::string> caption;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    // The second button (No) is the default, for questions whose safe answer is No.
    bool default_no = false;

    bool operator==(const Message&) const = default;
};

class MessageUi {
public:
    virtual ~MessageUi() = default;
    // Shows the box and returns the button pressed.
    virtual Answer show(const Message& message) = 0;
};

// The message helper: a box of string-table texts, cut to its limits (text 159 bytes, caption
// 39), and the same box shown.
Message string_message(unsigned text_id, unsigned caption_id, Buttons buttons, Icon icon);
inline Answer show_string(MessageUi& ui, unsigned text_id, unsigned caption_id, Buttons buttons,
                          Icon icon) {
    return ui.show(string_message(text_id, caption_id, buttons, icon));
}

// Conversion between the Windows character set (1252) and the OEM one (850 in Germany), and to
// the console's encoding at the edge.
class CodePage {
public:
    virtual ~CodePage() = default;
    virtual std::string ansi_to_oem(std::string_view text) = 0;
    virtual std::string oem_to_ansi(std::string_view text) = 0;
};

struct LocalTime {
    int year = 1996; // full year, e.g. 2026
    int month = 1;   // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
    // Milliseconds on a clock that only moves forward, whatever happens to the time of day; the
    // link's deadlines are measured with it.
    virtual std::int64_t monotonic_ms() = 0;
};

// A file written piece by piece whose content can be put on stable storage at any point: what a
// journal needs so that a crash never loses what it had kept.
class DurableFile {
public:
    virtual ~DurableFile() = default;
    // Writes at `offset` (at the end, or over bytes written before); false on failure.
    virtual bool write_at(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
    // Returns once everything written so far is on stable storage; false on failure.
    virtual bool sync() = 0;
};

// Files by their names in the Windows character set.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // At most `max_bytes` of the file; nothing when it cannot be opened.
    virtual std::optional<std::vector<std::uint8_t>> read(const std::string& path,
                                                          std::size_t max_bytes) = 0;
    virtual bool exists(const std::string& path) = 0;
    // Writes the whole content into a new file beside `path` and only then puts it in the place
    // of the old one, so a failed write never destroys what was there. false on any failure.
    virtual bool write_replacing(const std::string& path, std::string_view content) = 0;
    // The same, and the new file keeps the old one's modification time: a file dated by it
    // must stay on its day when only its content is rewritten.
    virtual bool write_replacing_keeping_time(const std::string& path,
                                              std::string_view content) = 0;
    // A new, empty file whose name is durable in its folder; nothing when a file of that name
    // exists or it cannot be created. Never replaces anything.
    virtual std::unique_ptr<DurableFile> create_new(const std::string& path) = 0;
    // Removes a file made by create_new that never held anything worth keeping (a journal
    // that could not be started); true when it is gone.
    virtual bool discard_new(const std::string& path) = 0;
    // Creates a folder and the folders above it as needed; true when it exists afterwards.
    virtual bool make_directories(const std::string& path) = 0;
};

// `name` inside folder `dir`, with the separator the folder's name already uses.
std::string join_path(const std::string& dir, const std::string& name);

// The start of a Windows path that no program can create: a drive ("C:" and its separator), a
// share (two separators, server, share and the separator after it), either of them behind the
// long-path prefix; 0 for a relative path.
std::size_t path_root_length(std::string_view path);

} // namespace kalmo::app
