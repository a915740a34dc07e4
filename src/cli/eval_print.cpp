#include "cli/eval_print.h"

#include <ostream>

#include "core/data/charge_file.h"
#include "core/eval/call_list.h"
#include "core/eval/csv.h"
#include "core/eval/filter.h"
#include "platform/platform.h"

namespace kalmo::cli {

namespace {
bool all_digits(const std::string& s, std::size_t min, std::size_t max) {
    if (s.size() < min || s.size() > max) return false;
    for (const char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// DD.MM.YYYY into the three fields, the four-digit year as the dialog takes it.
bool parse_filter_date(const std::string& text, std::string& day, std::string& month,
                       std::string& year) {
    const std::size_t a = text.find('.');
    const std::size_t b = a == std::string::npos ? a : text.find('.', a + 1);
    if (b == std::string::npos) return false;
    day = text.substr(0, a);
    month = text.substr(a + 1, b - a - 1);
    year = text.substr(b + 1);
    return all_digits(day, 1, 2) && all_digits(month, 1, 2) && all_digits(year, 4, 4);
}

// DM[,PF] into the two fields of "Minimum Betrag" (3 and 2 characters).
bool parse_minimum(const std::string& text, std::string& dm, std::string& pf) {
    const std::size_t comma = text.find(',');
    dm = text.substr(0, comma);
    pf = comma == std::string::npos ? std::string() : text.substr(comma + 1);
    return all_digits(dm, 0, 3) && all_digits(pf, 0, 2) && !(dm.empty() && pf.empty());
}

int report_outcome(Context& ctx, const eval::FillResult& result) {
    if (result.message) ctx.ui->show(*result.message);
    return kExitFailed;
}
} // namespace

bool load_charges_for_cli(Context& ctx, data::ChargeStore& store, const std::string& path) {
    const data::LoadResult loaded = data::load_charge_file(store, path, *ctx.fs, *ctx.ui);
    if (!data::records_loaded(loaded)) return false;
    ctx.incomplete = ctx.incomplete || loaded == data::LoadResult::Truncated;
    if (store.count() == 0) {
        ctx.err << "kalmo: no charge records in " << platform::path_to_console(path) << "\n";
        return false;
    }
    return true;
}

std::optional<FilterOptions> filter_options(Context& ctx) {
    FilterOptions o;
    const auto from = ctx.option("--from");
    const auto to = ctx.option("--to");
    const auto minimum = ctx.option("--min");
    if (from) {
        o.from.emplace();
        if (!parse_filter_date(*from, o.from->day, o.from->month, o.from->year)) {
            ctx.usage("--from takes DD.MM.YYYY");
            return std::nullopt;
        }
    }
    if (to) {
        o.to.emplace();
        if (!parse_filter_date(*to, o.to->day, o.to->month, o.to->year)) {
            ctx.usage("--to takes DD.MM.YYYY");
            return std::nullopt;
        }
    }
    if (minimum) {
        o.minimum.emplace();
        if (!parse_minimum(*minimum, o.minimum->first, o.minimum->second)) {
            ctx.usage("--min takes DM[,PF]");
            return std::nullopt;
        }
    }
    return o;
}

int print_system_charge_list(Context& ctx, data::ChargeStore& store,
                             const phonebook::NumberLookup& lookup, const FilterOptions& options,
                             const eval::ProjectNames& projects) {
    eval::open_charge_evaluation(store);
    eval::SystemChargeList list(store, ctx.currency, ctx.privacy());
    const app::LocalTime now = ctx.clock->now();
    eval::FillResult result = list.fill(lookup, now);

    if (options.from || options.to || options.minimum) {
        // The options are typed into the filter dialog, so a first fill that lists nothing
        // only matters when there is nothing to filter at all.
        if (result.outcome == eval::FillOutcome::NoChargeData) return report_outcome(ctx, result);
        eval::FilterForm::Fields fields = list.filter_dialog_texts();
        if (options.from) {
            fields.from_day = options.from->day;
            fields.from_month = options.from->month;
            fields.from_year = options.from->year;
        }
        if (options.to) {
            fields.to_day = options.to->day;
            fields.to_month = options.to->month;
            fields.to_year = options.to->year;
        }
        if (options.minimum) {
            fields.dm = options.minimum->first;
            fields.pf = options.minimum->second;
        }
        if (const auto error = list.filter_dialog_ok(fields)) {
            ctx.ui->show(*error);
            return kExitFailed;
        }
        if (auto refilled = list.refill_after_filter_dialog(lookup, now)) result = *refilled;
    }

    if (result.outcome != eval::FillOutcome::Listed) return report_outcome(ctx, result);
    if (ctx.csv) {
        ctx.raw(eval::csv::charge_table(store, list.listed_records(), lookup, projects, now,
                                        ctx.currency, ctx.privacy())
                    .text());
        return kExitOk;
    }
    ctx.line(list.summary_first_line());
    ctx.line(list.summary_second_line());
    for (const std::string& l : list.lines())
        ctx.line(l);
    return kExitOk;
}

namespace {
// false, after the GUI's message, when the list would have ended at once.
bool open_system_charge_list(Context& ctx, data::ChargeStore& store, eval::SystemChargeList& list,
                             const phonebook::NumberLookup& lookup) {
    eval::open_charge_evaluation(store);
    const eval::FillResult result = list.fill(lookup, ctx.clock->now());
    switch (result.outcome) {
    case eval::FillOutcome::Listed:
        return true;
    case eval::FillOutcome::AskFilter:
        // Yes opens the filter dialog; confirmed unchanged, the list stays open, empty.
        return ctx.ui->show(*result.message) == app::Answer::Yes;
    case eval::FillOutcome::NoChargeData:
        ctx.ui->show(*result.message);
        return false;
    }
    return false;
}
} // namespace

std::optional<OpenChargeList> open_charge_list_for_cli(Context& ctx) {
    OpenChargeList open;
    open.store = std::make_unique<data::ChargeStore>();
    if (!load_charges_for_cli(ctx, *open.store, ctx.positional[0])) return std::nullopt;
    auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return std::nullopt;
    open.book = std::move(*book);
    open.list = std::make_unique<eval::SystemChargeList>(*open.store, ctx.currency, ctx.privacy());
    if (!open_system_charge_list(ctx, *open.store, *open.list, *open.book.lookup))
        return std::nullopt;
    return open;
}

int print_call_list(Context& ctx, data::CallStore& calls, const phonebook::NumberLookup& lookup) {
    eval::group_calls(calls);
    const app::LocalTime now = ctx.clock->now();
    const eval::CallList list = eval::fill_call_list(calls, lookup, now, ctx.privacy());
    if (ctx.csv) {
        ctx.raw(
            eval::csv::call_list_table(calls, list.line_map, lookup, now, ctx.privacy()).text());
        return kExitOk;
    }
    for (const std::string& l : list.lines)
        ctx.line(l);
    return kExitOk;
}

int print_call_statistics(Context& ctx, data::CallStore& calls,
                          const phonebook::NumberLookup& lookup, std::size_t line) {
    eval::group_calls(calls);
    const app::LocalTime now = ctx.clock->now();
    const eval::CallList list = eval::fill_call_list(calls, lookup, now, ctx.privacy());
    const auto lines = eval::call_statistics_of_line(calls, list, line, lookup, now, ctx.privacy());
    if (lines.empty()) {
        ctx.err << "kalmo: call list line " << line + 1 << " has no call statistics\n";
        return kExitFailed;
    }
    if (ctx.csv) {
        const auto records = eval::call_statistics_records(calls, list.line_map[line]);
        ctx.raw(
            eval::csv::call_statistics_table(calls, records, lookup, now, ctx.privacy()).text());
        return kExitOk;
    }
    for (const std::string& l : lines)
        ctx.line(l);
    return kExitOk;
}

} // namespace kalmo::cli
