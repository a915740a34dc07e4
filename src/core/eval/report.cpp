#include "core/eval/report.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "core/app/text.h"
#include "core/eval/common.h"

namespace kalmo::eval::report {

namespace {
bool digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view text) {
    int n = 0;
    for (const char c : text)
        n = n * 10 + (c - '0');
    return n;
}

std::string duration_text(std::uint64_t seconds) {
    return app::format("%llu.%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                       static_cast<unsigned>(seconds / 60 % 60),
                       static_cast<unsigned>(seconds % 60));
}

const char* group_title(By by) {
    switch (by) {
    case By::Subscriber:
        return "Teilnehmer";
    case By::Project:
        return "Projekt";
    case By::Month:
        return "Monat";
    }
    return "";
}

constexpr int kUndated = 1 << 30;

void add(Totals& t, const data::ChargeRecord& r) {
    ++t.calls;
    t.seconds += r.duration;
    t.pfennig += r.amount;
}
} // namespace

std::optional<ReadDate> read_date_from_name(std::string_view path, std::string_view extension) {
    const std::size_t sep = path.find_last_of("\\/:");
    const std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
    // YYYY-MM-DD_HHMMSS.EXT, or YYYY-MM-DD_HHMMSS_N.EXT for a second read within that second
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot < 17 ||
        !app::equal_ignoring_case(name.substr(dot + 1), extension))
        return std::nullopt;
    if (dot > 17 && (name[17] != '_' || dot == 18 || !digits(name.substr(18, dot - 18))))
        return std::nullopt;
    if (name[4] != '-' || name[7] != '-' || name[10] != '_') return std::nullopt;
    const std::string_view y = name.substr(0, 4), m = name.substr(5, 2), d = name.substr(8, 2),
                           t = name.substr(11, 6);
    if (!digits(y) || !digits(m) || !digits(d) || !digits(t)) return std::nullopt;
    const ReadDate read{number(y), number(m), number(d)};
    if (read.month < 1 || read.month > 12 || read.day < 1 || read.day > 31) return std::nullopt;
    return read;
}

std::optional<Month> parse_month(std::string_view text) {
    if (text.size() != 7 || text[4] != '-' || !digits(text.substr(0, 4)) ||
        !digits(text.substr(5, 2)))
        return std::nullopt;
    const Month m{number(text.substr(0, 4)), number(text.substr(5, 2))};
    if (m.month < 1 || m.month > 12) return std::nullopt;
    return m;
}

FileVerdict Archive::add_file(std::span<const std::uint8_t> bytes, ReadDate read) {
    if (!data::is_charge_image(bytes)) return FileVerdict::NotChargeData;
    ++files_read_;
    const std::size_t n = data::held_records(bytes);
    // How often this file holds each record so far.
    std::unordered_map<std::string, std::size_t> in_file;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* raw =
            bytes.data() + data::kChargeImageHead + i * data::kChargeRecordSize;
        const data::ChargeRecord r = data::ChargeRecord::from_bytes(raw);
        if (r.empty()) continue;
        const bool later_in_year =
            r.month > read.month || (r.month == read.month && r.day > read.day);
        const int year = later_in_year ? read.year - 1 : read.year;
        // Same bytes in the same year: the same call as one another file holds, as often as
        // that file holds it.
        std::string key(reinterpret_cast<const char*>(raw), data::kChargeRecordSize);
        key += static_cast<char>(year & 0xFF);
        key += static_cast<char>(year >> 8);
        const std::size_t occurrence = ++in_file[key];
        std::size_t& most = seen_[key];
        if (occurrence <= most) {
            ++duplicates_;
            continue;
        }
        most = occurrence;
        records_.push_back({r, year});
    }
    return n < data::stored_count(bytes.data()) ? FileVerdict::Incomplete : FileVerdict::Read;
}

Report summarize(const Archive& archive, By by, std::optional<Month> from, std::optional<Month> to,
                 const phonebook::NumberLookup& lookup, const ProjectNames& projects) {
    // Keys order the groups: subscriber byte, project 1..10 with 11 for none, month index.
    std::map<int, Totals> groups;
    // Numbers repeat across a year's calls: each is looked up once.
    std::unordered_map<std::string, std::uint8_t> project_of;
    Report out;
    for (const DatedRecord& d : archive.records()) {
        const data::ChargeRecord& r = d.record;
        const Month month{d.year, r.month};
        // A record without a calendar month cannot be placed in a period, but an unbounded
        // report must still account for it.
        const bool dated = r.month >= 1 && r.month <= 12;
        if ((from || to) && !dated) continue;
        if (from && month.index() < from->index()) continue;
        if (to && month.index() > to->index()) continue;
        int key = 0;
        switch (by) {
        case By::Subscriber:
            key = r.subscriber;
            break;
        case By::Month:
            key = dated ? month.index() : kUndated;
            break;
        case By::Project: {
            std::string text = data::number_text(r.number);
            auto it = project_of.find(text);
            if (it == project_of.end()) {
                std::string looked = text;
                const std::uint8_t p = lookup.lookup(looked);
                it = project_of.emplace(std::move(text), p).first;
            }
            key = it->second >= 1 && it->second <= kProjectCount ? it->second : 11;
            break;
        }
        }
        add(groups[key], r);
        add(out.total, r);
    }
    for (const auto& [key, totals] : groups) {
        std::string label;
        switch (by) {
        case By::Subscriber:
            label = app::trimmed(subscriber_text(static_cast<std::uint8_t>(key)));
            break;
        case By::Month:
            label = key == kUndated ? std::string("ohne gültigen Monat")
                                    : app::format("%02d.%04d", key % 12 + 1, key / 12);
            break;
        case By::Project:
            if (key == 11)
                label = kNoProject;
            else if (!projects[static_cast<std::size_t>(key - 1)].empty())
                label = projects[static_cast<std::size_t>(key - 1)];
            else
                label = app::format("Projekt %d", key);
            break;
        }
        out.groups.push_back({label, totals});
    }
    return out;
}

std::vector<std::string> report_lines(const Report& report, By by, app::Currency currency) {
    std::vector<std::string> lines;
    lines.push_back(
        app::format("%-14s %8s %14s %16s", group_title(by), "Anrufe", "Dauer", "Betrag"));
    auto line = [&](const std::string& label, const Totals& t) {
        lines.push_back(app::format("%-14s %8llu %14s %13llu,%02u %s", label.c_str(),
                                    static_cast<unsigned long long>(t.calls),
                                    duration_text(t.seconds).c_str(), dm_part(t.pfennig),
                                    pf_part(t.pfennig), app::currency_unit(currency)));
    };
    for (const Group& g : report.groups)
        line(g.label, g.totals);
    line("Summe", report.total);
    return lines;
}

csv::Table report_table(const Report& report, By by, app::Currency currency) {
    csv::Table t({group_title(by), "Anrufe", "Dauer (s)", "Dauer", csv::hundredths_header(currency),
                  csv::amount_header(currency)});
    auto row = [&](const std::string& label, const Totals& x) {
        t.add({label, std::to_string(x.calls), std::to_string(x.seconds), duration_text(x.seconds),
               std::to_string(x.pfennig), csv::dm_cell(x.pfennig)});
    };
    for (const Group& g : report.groups)
        row(g.label, g.totals);
    row("Summe", report.total);
    return t;
}

} // namespace kalmo::eval::report
