#include "core/eval/csv.h"

#include <algorithm>

#include "core/app/text.h"
#include "core/app/utf8.h"
#include "core/eval/cells.h"
#include "core/eval/common.h"
#include "core/eval/filter.h"

namespace kalmo::eval::csv {

namespace {
// The name a lookup gives a number; empty when the phonebook does not know it.
std::string phonebook_name(const phonebook::NumberLookup& lookup, const std::string& number,
                           std::uint8_t& project) {
    std::string text = number;
    project = lookup.lookup(text);
    return text == number ? std::string() : app::trimmed(text);
}

std::string number_cell(unsigned value) {
    return std::to_string(value);
}
} // namespace

std::string ansi_to_utf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 8);
    for (const char ch : ansi) {
        const auto b = static_cast<unsigned char>(ch);
        const char32_t c = app::ansi_code_point(b);
        app::append_utf8(out, c != 0 || b == 0 ? c : 0xFFFD);
    }
    return out;
}

std::string quoted(std::string_view utf8) {
    if (utf8.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(utf8);
    std::string out = "\"";
    for (const char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string spreadsheet_cell(std::string_view ansi) {
    if (ansi.empty()) return std::string();
    if (std::string_view("=+-@\t\r").find(ansi.front()) != std::string_view::npos)
        return "'" + std::string(ansi);
    const bool digits =
        std::all_of(ansi.begin(), ansi.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits && ansi.size() > 1 && ansi.front() == '0') return "=\"" + std::string(ansi) + "\"";
    return std::string(ansi);
}

Table::Table(std::vector<std::string> header) : text_(kByteOrderMark) {
    add_row(header);
}

void Table::add(const std::vector<std::string>& cells) {
    add_row(cells);
}

void Table::add_row(const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) text_ += ';';
        text_ += quoted(ansi_to_utf8(spreadsheet_cell(cells[i])));
    }
    text_ += "\r\n";
}

std::string date_cell(unsigned day, unsigned month, unsigned full_year) {
    return app::format("%02u.%02u.%04u", day, month, full_year);
}

std::string time_cell(unsigned hour, unsigned minute) {
    return app::format("%02u:%02u", hour, minute);
}

std::string duration_cell(unsigned seconds) {
    return app::format("%u.%02u:%02u", seconds / 3600u, (seconds / 60u) % 60u, seconds % 60u);
}

std::string dm_cell(std::uint64_t pfennig) {
    return app::format("%llu,%02u", dm_part(pfennig), pf_part(pfennig));
}

std::string amount_header(app::Currency currency) {
    return app::format("Betrag (%s)", app::currency_unit(currency));
}

std::string hundredths_header(app::Currency currency) {
    return app::format("Betrag (%s)", app::minor_unit(currency));
}

std::string subscriber_cell(std::uint8_t subscriber) {
    return app::trimmed(subscriber_text(subscriber));
}

namespace {
// What a charge and a call row both give: date, time, the number and its phonebook name.
struct RecordCells {
    std::string date, time, number, name;
    std::uint8_t project = 0;
};

template <typename Record>
RecordCells record_cells(const Record& r, const phonebook::NumberLookup& lookup,
                         const app::LocalTime& now, std::uint8_t this_year, NumberPrivacy privacy) {
    RecordCells c;
    c.number = data::number_text(r.number);
    c.name = phonebook_name(lookup, c.number, c.project);
    // The lookup had the whole number; the table shows no more of it than the lists do, and
    // of a confidential number not even the name it is known by.
    if (privacy.hides(c.number) && !c.name.empty()) c.name = confidential_text();
    c.number = masked_number(c.number, privacy);
    c.date = date_cell(r.day, r.month, 1900u + record_year(r.month, now.month, this_year));
    c.time = time_cell(r.hour, r.minute);
    return c;
}
} // namespace

Table charge_table(const data::ChargeStore& store, const std::vector<std::size_t>& records,
                   const phonebook::NumberLookup& lookup, const ProjectNames& projects,
                   const app::LocalTime& now, app::Currency currency, NumberPrivacy privacy) {
    Table t({"Teilnehmer", "Datum", "Uhrzeit", "Dauer (s)", "Dauer", "Rufnummer", "Name",
             hundredths_header(currency), amount_header(currency), "Projekt", "Projektname"});
    const std::uint8_t this_year = current_year(now);
    for (const std::size_t i : records) {
        const data::ChargeRecord r = store.record(i);
        const RecordCells c = record_cells(r, lookup, now, this_year, privacy);
        const std::uint8_t project = c.project;
        t.add({subscriber_cell(r.subscriber), c.date, c.time, number_cell(r.duration),
               duration_cell(r.duration), c.number, c.name, std::to_string(r.amount),
               dm_cell(r.amount), project ? number_cell(project) : std::string(),
               project >= 1 && project <= kProjectCount ? projects[project - 1] : std::string()});
    }
    return t;
}

std::vector<std::size_t> subscriber_records(const data::ChargeStore& store,
                                            const std::string& subscriber_text_wanted) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < store.count(); ++i) {
        const std::uint8_t s = store.record_bytes(i)[data::charge_at::Subscriber];
        if (s != data::kEmptySubscriber && subscriber_text(s) == subscriber_text_wanted)
            out.push_back(i);
    }
    return out;
}

std::vector<std::size_t> project_records(const data::ChargeStore& store,
                                         const phonebook::NumberLookup& lookup,
                                         std::uint8_t project) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < store.count(); ++i) {
        const data::ChargeRecord r = store.record(i);
        if (r.empty()) continue;
        std::string number = data::number_text(r.number);
        if (lookup.lookup(number) == project) out.push_back(i);
    }
    return out;
}

Table subscriber_sums_table(const SubscriberSumTable& sums, const app::LocalTime& now,
                            app::Currency currency) {
    Table t({"Teilnehmer", "Erster Anruf", "Uhrzeit", "Letzter Anruf", "Uhrzeit", "Anzahl",
             hundredths_header(currency), amount_header(currency)});
    const std::uint8_t this_year = current_year(now);
    for (const SubscriberSum& s : sums) {
        if (s.free()) break;
        // The list shows the current year for the last call; the table gives its own.
        const unsigned last_year =
            1900u + record_year(static_cast<std::uint8_t>(s.last_month), now.month, this_year);
        t.add({subscriber_cell(s.subscriber),
               date_cell(s.first_day, s.first_month, 1900u + s.first_year),
               time_cell(s.first_hour, s.first_minute),
               date_cell(s.last_day, s.last_month, last_year),
               time_cell(s.last_hour, s.last_minute), number_cell(s.call_count),
               std::to_string(s.amount_sum), dm_cell(s.amount_sum)});
    }
    return t;
}

Table phonebook_table(const phonebook::Phonebook& book) {
    Table t({"Name", "Landeskennzahl", "Ortskennzahl", "Rufnummer", "Projekt", "Projektname"});
    for (std::size_t i = 0; i < book.count(); ++i) {
        const phonebook::Entry& e = book.at(i);
        const unsigned project = e.project > 0 ? static_cast<unsigned>(e.project) : 0u;
        t.add({e.name, e.country_code, e.area_code, e.number,
               project ? number_cell(project) : std::string(), book.project_name(project)});
    }
    return t;
}

Table call_list_table(const data::CallStore& calls, const std::vector<std::size_t>& records,
                      const phonebook::NumberLookup& lookup, const app::LocalTime& now,
                      NumberPrivacy privacy) {
    Table t({"Teilnehmer", "Datum", "Uhrzeit", "Rufnummer", "Name", "Anrufe"});
    const std::uint8_t this_year = current_year(now);
    for (const std::size_t i : records) {
        const data::CallRecord r = calls.record(i);
        const RecordCells c = record_cells(r, lookup, now, this_year, privacy);
        t.add({app::trimmed(call_subscriber_text(r.subscriber)), c.date, c.time, c.number, c.name,
               number_cell(calls.repeat[i])});
    }
    return t;
}

Table call_statistics_table(const data::CallStore& calls, const std::vector<std::size_t>& records,
                            const phonebook::NumberLookup& lookup, const app::LocalTime& now,
                            NumberPrivacy privacy) {
    Table t({"Teilnehmer", "Datum", "Uhrzeit", "Rufnummer", "Name"});
    const std::uint8_t this_year = current_year(now);
    for (const std::size_t i : records) {
        const data::CallRecord r = calls.record(i);
        const RecordCells c = record_cells(r, lookup, now, this_year, privacy);
        t.add({app::trimmed(call_subscriber_text(r.subscriber)), c.date, c.time, c.number, c.name});
    }
    return t;
}

} // namespace kalmo::eval::csv
