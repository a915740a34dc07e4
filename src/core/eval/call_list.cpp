#include "core/eval/call_list.h"

#include <algorithm>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/cells.h"
#include "core/eval/common.h"
#include "core/eval/filter.h"

namespace kalmo::eval {

namespace {
std::size_t listed_count(const data::CallStore& calls) {
    return std::min<std::size_t>(calls.count(), data::kCallCapacity);
}

std::string call_number_text(const data::CallStore& calls, std::size_t i) {
    return data::number_text(calls.record_bytes(i) + 5);
}

std::string display_text(const std::string& number, const phonebook::NumberLookup& lookup,
                         NumberPrivacy privacy) {
    if (number.empty()) return kUnknownNumber;
    return shown_number(number, lookup, privacy);
}

// Date and time of a call in its record year; the call lists keep two blanks between them.
std::string call_when(const data::CallRecord& r, const app::LocalTime& now) {
    return line_date(r.day, r.month, record_year(r.month, now.month, current_year(now))) + "  " +
           line_time(r.hour, r.minute);
}
} // namespace

app::Message no_call_data_question() {
    // An error icon on a question: that is how the list has always asked.
    return app::string_message(app::str::NoCallData, app::str::Information, app::Buttons::YesNo,
                               app::Icon::Error);
}

void group_calls(data::CallStore& calls) {
    const std::size_t n = listed_count(calls);
    std::vector<std::string> numbers(n);
    for (std::size_t i = 0; i < n; ++i) {
        numbers[i] = call_number_text(calls, i);
        calls.repeat[i] = 1;
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n && calls.repeat[i] != 0; ++j) {
            if (calls.repeat[j] == 0 || numbers[j] != numbers[i]) continue;
            calls.repeat[j] = static_cast<std::uint8_t>(calls.repeat[j] + calls.repeat[i]);
            calls.repeat[i] = 0;
        }
    }
}

CallList fill_call_list(data::CallStore& calls, const phonebook::NumberLookup& lookup,
                        const app::LocalTime& now, NumberPrivacy privacy) {
    CallList out;
    if (calls.count() > data::kCallCapacity)
        calls.set_count(static_cast<std::uint16_t>(data::kCallCapacity));
    for (std::size_t i = 0; i < calls.count(); ++i) {
        const data::CallRecord r = calls.record(i);
        if (calls.repeat[i] == 0 || r.empty()) continue;
        const std::string text = display_text(data::number_text(r.number), lookup, privacy);
        out.lines.push_back(
            app::format(" %3s | %s | %24s | %3u ", call_subscriber_text(r.subscriber).c_str(),
                        call_when(r, now).c_str(), text.c_str(), unsigned{calls.repeat[i]}));
        out.line_map.push_back(i);
    }
    return out;
}

std::vector<std::size_t> call_statistics_records(const data::CallStore& calls, std::size_t record) {
    std::vector<std::size_t> records;
    if (record >= listed_count(calls) || calls.repeat[record] <= 1) return records;
    const std::string number = call_number_text(calls, record);
    for (std::size_t d = 0; d <= record; ++d) {
        if (d != record && calls.repeat[d] != 0) continue;
        // No subscriber test: every call from the number is listed, empty records included.
        if (call_number_text(calls, d) == number) records.push_back(d);
    }
    if (records.size() < 2) records.clear();
    return records;
}

std::vector<std::string> call_statistics(const data::CallStore& calls, std::size_t record,
                                         const phonebook::NumberLookup& lookup,
                                         const app::LocalTime& now, NumberPrivacy privacy) {
    std::vector<std::string> lines;
    const std::vector<std::size_t> records = call_statistics_records(calls, record);
    if (records.empty()) return lines;
    const std::string text = display_text(call_number_text(calls, record), lookup, privacy);
    for (const std::size_t d : records) {
        const data::CallRecord r = calls.record(d);
        lines.push_back(app::format(" %3s | %s | %24s ", call_subscriber_text(r.subscriber).c_str(),
                                    call_when(r, now).c_str(), text.c_str()));
    }
    return lines;
}

std::vector<std::string> call_statistics_of_line(const data::CallStore& calls, const CallList& list,
                                                 std::size_t line,
                                                 const phonebook::NumberLookup& lookup,
                                                 const app::LocalTime& now, NumberPrivacy privacy) {
    if (line >= list.line_map.size()) return {};
    return call_statistics(calls, list.line_map[line], lookup, now, privacy);
}

std::variant<app::Message, SpeedDialTarget>
speed_dial(const data::CallStore& calls, std::size_t record, const std::string& code_text) {
    const std::string code = app::trimmed(code_text);
    // Counted wide, so that a long text of digits cannot wrap into the valid range.
    std::uint32_t value = 0;
    bool digits_only = true;
    for (const char c : code) {
        if (c < '0' || c > '9') {
            digits_only = false;
            break;
        }
        value = std::min<std::uint32_t>(value * 10 + static_cast<std::uint32_t>(c - '0'), 100000);
    }
    if (!digits_only || value < 100 || value > 299 || record >= listed_count(calls))
        return app::string_message(app::str::SpeedDialInvalid, app::str::Error, app::Buttons::Ok,
                                   app::Icon::Warning);
    std::string number = call_number_text(calls, record);
    // A private call or one without a number has only its display text; the exchange would
    // store that text as the number to dial.
    if (!data::is_dial_string(number))
        return app::string_message(app::str::SpeedDialNoNumber, app::str::Error, app::Buttons::Ok,
                                   app::Icon::Warning);
    return SpeedDialTarget{std::move(number), static_cast<std::uint8_t>(value - 100)};
}

} // namespace kalmo::eval
