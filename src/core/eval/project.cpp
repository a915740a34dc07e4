#include "core/eval/project.h"

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/cells.h"
#include "core/eval/common.h"
#include "core/eval/filter.h"

namespace kalmo::eval {

std::array<ProjectButton, kProjectCount> project_buttons(const ProjectNames& names) {
    std::array<ProjectButton, kProjectCount> buttons;
    for (std::size_t i = 0; i < kProjectCount; ++i) {
        ProjectButton& b = buttons[i];
        b.enabled = !names[i].empty();
        b.caption = b.enabled ? names[i] : app::format("Projekt %2u", static_cast<unsigned>(i + 1));
    }
    return buttons;
}

std::optional<std::uint8_t> chosen_project(const ProjectNames& names, int project) {
    if (project < 1 || project > static_cast<int>(kProjectCount)) return std::nullopt;
    if (names[static_cast<std::size_t>(project - 1)].empty()) return std::nullopt;
    return static_cast<std::uint8_t>(project);
}

ProjectEvaluation evaluate_project(const data::ChargeStore& store,
                                   const phonebook::NumberLookup& lookup, const ProjectNames& names,
                                   std::uint8_t project, const app::LocalTime& now,
                                   app::Currency currency, NumberPrivacy privacy) {
    ProjectEvaluation out;
    const std::uint8_t this_year = current_year(now);
    const auto year_of = [&](const data::ChargeRecord& r) {
        return record_year(r.month, now.month, this_year);
    };
    const std::string name =
        project >= 1 && project <= kProjectCount ? names[project - 1] : std::string();

    std::uint16_t call_count = 0;
    std::uint64_t amount_total = 0;
    bool first_set = false;
    data::ChargeRecord first, last;
    for (std::size_t i = 0; i < store.count(); ++i) {
        const data::ChargeRecord r = store.record(i);
        if (r.empty()) continue;
        std::uint8_t found = 0;
        const std::string number =
            shown_number(data::number_text(r.number), lookup, privacy, &found);
        if (found != project) continue;
        out.lines.push_back(app::format(" %8s | ", subscriber_text(r.subscriber).c_str()) +
                            charge_cells(r, year_of(r), number, currency));
        ++call_count;
        amount_total += r.amount;
        if (!first_set) {
            first = r;
            first_set = true;
        }
        last = r;
    }

    if (out.lines.empty()) {
        out.no_data =
            app::Message{app::format(app::string_text(app::str::ProjectNoChargeData), name.c_str()),
                         std::nullopt, app::Buttons::Ok, app::Icon::Error};
        return out;
    }
    const auto stamp = [&](const data::ChargeRecord& r) {
        return line_stamp(r.day, r.month, year_of(r), r.hour, r.minute);
    };
    out.summary_first_line = app::format("Summe vom Projekt %s           vom %s bis %s",
                                         name.c_str(), stamp(first).c_str(), stamp(last).c_str());
    out.summary_second_line =
        app::format("Summe der Gespräche %4u %-19sAufgelaufener Betrag %s", unsigned{call_count},
                    "", line_amount(amount_total, currency).c_str());
    return out;
}

} // namespace kalmo::eval
