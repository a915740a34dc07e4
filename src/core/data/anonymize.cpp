#include "core/data/anonymize.h"

#include <algorithm>
#include <cstring>

#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/data/charge_file.h"

namespace kalmo::data {

namespace {
// Larger than any charge or call file the program writes; a file this long is not read in part.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 24;

void cut_fields(std::uint8_t* records, std::size_t count, std::size_t record_size,
                std::size_t number_at, std::size_t keep) {
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* field = records + i * record_size + number_at;
        NumberField number;
        std::memcpy(number.data(), field, kNumberFieldSize);
        number = cut_number(number, keep);
        std::memcpy(field, number.data(), kNumberFieldSize);
    }
}

std::string_view text_of(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

int days_in_month(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

std::optional<std::string> read_whole(app::FileSystem& fs, const std::string& path) {
    const auto bytes = fs.read(path, kMaxFileSize + 1);
    if (!bytes || bytes->size() > kMaxFileSize) return std::nullopt;
    return std::string(text_of(*bytes));
}

// Puts `content` in the place of `old` and reads it back; a file that does not read back as
// written gets its old bytes again, so that it is never left as neither.
CutResult replace_checked(app::FileSystem& fs, const std::string& path, const std::string& old,
                          const std::string& content, CutReport& report) {
    // Files without a read date in their name are dated by their modification time: a new time
    // would move their calls into another year and count them twice.
    if (!fs.write_replacing_keeping_time(path, content)) {
        report.failed = path;
        return CutResult::WriteFailed;
    }
    const auto back = fs.read(path, content.size() + 1);
    if (back && text_of(*back) == content) return CutResult::Rewritten;
    report.failed = path;
    report.restored = fs.write_replacing_keeping_time(path, old);
    return CutResult::CheckFailed;
}
} // namespace

NumberField cut_number(const NumberField& field, std::size_t keep) {
    const std::string text = number_text(field);
    if (field[0] == kPrivateCallMark) return pack_number(text);
    return pack_number(std::string_view(text).substr(0, std::min(keep, text.size())));
}

std::optional<std::vector<std::uint8_t>> cut_charge_file(std::span<const std::uint8_t> bytes,
                                                         std::size_t keep) {
    if (!is_charge_image(bytes)) return std::nullopt;
    std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
    // The records behind the count are none: the program never reads them.
    cut_fields(out.data() + kChargeImageHead, held_records(bytes), kChargeRecordSize,
               charge_at::Number, keep);
    return out;
}

std::vector<std::uint8_t> cut_call_file(std::span<const std::uint8_t> bytes, std::size_t keep) {
    std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
    cut_fields(out.data(), out.size() / kCallRecordSize, kCallRecordSize, call_at::Number, keep);
    return out;
}

std::string cut_export(std::string_view text, std::size_t keep) {
    // Each line: subscriber;day;month;hour;minute;duration;number;amount;
    constexpr int kNumberCell = 6;
    std::string out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end == std::string_view::npos ? text.size() : end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const bool had_end = end != std::string_view::npos;
        std::size_t start = 0;
        for (int cell = 0; cell < kNumberCell && start != std::string_view::npos; ++cell) {
            start = line.find(';', start);
            if (start != std::string_view::npos) ++start;
        }
        const std::size_t stop = start == std::string_view::npos ? start : line.find(';', start);
        if (stop != std::string_view::npos) {
            const std::string_view number = line.substr(start, stop - start);
            // A private call's text and an empty number are no digits to cut.
            if (is_dial_string(number) && number.size() > keep) {
                out.append(line.substr(0, start));
                out.append(number.substr(0, keep));
                line.remove_prefix(stop);
            }
        }
        out.append(line);
        if (had_end) out += '\n';
    }
    return out;
}

bool older_than(const app::LocalTime& date, const app::LocalTime& today, int months) {
    const int back = today.year * 12 + (today.month - 1) - months;
    const int year = back / 12, month = back % 12 + 1;
    const int day = std::min(today.day, days_in_month(year, month));
    const auto key = [](int y, int m, int d) { return (y * 12 + (m - 1)) * 32 + d; };
    return key(date.year, date.month, date.day) < key(year, month, day);
}

CutReport cut_archive_file(app::FileSystem& fs, const std::string& path, ArchiveKind kind,
                           std::size_t keep, bool write) {
    CutReport report;
    const auto old = read_whole(fs, path);
    if (!old) {
        report.result = CutResult::Unreadable;
        report.failed = path;
        return report;
    }
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(old->data()),
                                              old->size());
    std::string cut;
    if (kind == ArchiveKind::Charges) {
        const auto image = cut_charge_file(bytes, keep);
        if (!image) {
            report.result = CutResult::NotChargeData;
            report.failed = path;
            return report;
        }
        cut = std::string(text_of(*image));
    } else {
        cut = std::string(text_of(cut_call_file(bytes, keep)));
    }

    struct Change {
        std::string path, old, cut;
    };
    std::vector<Change> changes;
    if (cut != *old) changes.push_back({path, *old, cut});
    if (kind == ArchiveKind::Charges) {
        // The export holds the numbers as text; left alone it would keep what the data forgot.
        const std::string export_path = export_file_name(path);
        if (fs.exists(export_path)) {
            const auto text = read_whole(fs, export_path);
            if (!text) {
                report.result = CutResult::Unreadable;
                report.failed = export_path;
                return report;
            }
            std::string cut_text = cut_export(*text, keep);
            if (cut_text != *text) changes.push_back({export_path, *text, std::move(cut_text)});
        }
    }
    for (const Change& c : changes)
        report.changed.push_back(c.path);
    if (changes.empty()) return report;
    if (!write) {
        report.result = CutResult::WouldChange;
        return report;
    }
    for (const Change& c : changes) {
        report.result = replace_checked(fs, c.path, c.old, c.cut, report);
        if (report.result != CutResult::Rewritten) return report;
    }
    return report;
}

} // namespace kalmo::data
