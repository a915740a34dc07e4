#pragma once
// Numbers that no list may show ("Vertraulich.txt": works council, company doctor,
// counselling lines), and that a read can keep off the disk altogether.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/ui.h"

namespace kalmo::data {

constexpr char kConfidentialFileName[] = "Vertraulich.txt";

class ConfidentialNumbers {
public:
    // One number or prefix a line, digits and "#"; blank lines and lines that begin with ";"
    // are no entries. Blanks and a carriage return around an entry do not count. Any other line
    // is no entry either; its number (1-based) is added to `bad_lines`, because a mistyped entry
    // would leave the number it meant in every list.
    static ConfidentialNumbers parse(std::string_view text,
                                     std::vector<std::size_t>* bad_lines = nullptr);

    bool empty() const { return prefixes_.empty(); }
    std::size_t size() const { return prefixes_.size(); }
    // Whether a number text (as number_text gives it) begins with one of the entries.
    bool matches(std::string_view number) const;
    // Empties the number field of every whole record in `records` whose number matches;
    // everything else of the record stays, so its amount and duration still count. Returns how
    // many were emptied.
    std::size_t drop_numbers(std::span<std::uint8_t> records, std::size_t record_size,
                             std::size_t number_at) const;

private:
    std::vector<std::string> prefixes_;
};

// The file at `path`. No file means no confidential numbers. `readable` is false when the file is
// there but could not be read (or is far larger than any list of numbers).
struct ConfidentialFile {
    ConfidentialNumbers numbers;
    bool readable = true;
    std::vector<std::size_t> bad_lines;
};
ConfidentialFile read_confidential_file(app::FileSystem& fs, const std::string& path);

} // namespace kalmo::data
