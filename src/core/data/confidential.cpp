#include "core/data/confidential.h"

#include <algorithm>

#include "core/data/charge.h"

namespace kalmo::data {

ConfidentialNumbers ConfidentialNumbers::parse(std::string_view text,
                                               std::vector<std::size_t>* bad_lines) {
    ConfidentialNumbers out;
    std::size_t line_no = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++line_no;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos) continue;
        line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
        if (line.front() == ';') continue;
        // A prefix longer than a number field holds could never match anything.
        if (!is_dial_string(line)) {
            if (bad_lines) bad_lines->push_back(line_no);
            continue;
        }
        out.prefixes_.emplace_back(line);
    }
    return out;
}

bool ConfidentialNumbers::matches(std::string_view number) const {
    return std::any_of(prefixes_.begin(), prefixes_.end(), [&](const std::string& p) {
        return number.size() >= p.size() && number.compare(0, p.size(), p) == 0;
    });
}

std::size_t ConfidentialNumbers::drop_numbers(std::span<std::uint8_t> records,
                                              std::size_t record_size,
                                              std::size_t number_at) const {
    if (empty() || record_size < number_at + kNumberFieldSize) return 0;
    std::size_t dropped = 0;
    for (std::size_t at = 0; at + record_size <= records.size(); at += record_size) {
        std::uint8_t* field = records.data() + at + number_at;
        if (!matches(number_text(field))) continue;
        std::fill(field, field + kNumberFieldSize, std::uint8_t{0xFF});
        ++dropped;
    }
    return dropped;
}

ConfidentialFile read_confidential_file(app::FileSystem& fs, const std::string& path) {
    ConfidentialFile out;
    if (!fs.exists(path)) return out;
    constexpr std::size_t kMaxBytes = 1u << 20;
    const auto bytes = fs.read(path, kMaxBytes + 1);
    if (!bytes || bytes->size() > kMaxBytes) {
        out.readable = false;
        return out;
    }
    out.numbers = ConfidentialNumbers::parse(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
        &out.bad_lines);
    return out;
}

} // namespace kalmo::data
