// Any charge data and any date through every charge evaluation and, read as call records,
// through the call list: nothing reaches past a table, and the totals agree with the records.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/eval/call_list.h"
#include "core/eval/charge_list.h"
#include "core/eval/project.h"
#include "core/eval/subscriber.h"

namespace {
// Matches a few numbers and gives them projects, like a small phonebook.
class DigitLookup : public kalmo::phonebook::NumberLookup {
public:
    std::uint8_t lookup(std::string& text) const override {
        if (text.empty() || text[0] < '0' || text[0] > '9') return 0;
        const std::uint8_t project = static_cast<std::uint8_t>(text[0] - '0');
        if (project > 5) return 0;
        text = std::string(23, 'N');
        return project;
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalmo;
    if (size < 4) return 0;
    const app::LocalTime now{1900 + data[0], 1 + data[1] % 12, 1, 12, 0, 0};
    const std::span<const std::uint8_t> rest(data + 4, size - 4);

    auto store = std::make_unique<data::ChargeStore>();
    store->append_received_block(rest);
    store->set_filter_range_from_records();
    const DigitLookup lookup;
    eval::SystemChargeList list(*store);
    eval::open_charge_evaluation(*store);
    list.fill(lookup, now);

    std::uint16_t non_empty = 0;
    for (std::size_t i = 0; i < store->count(); ++i)
        non_empty = static_cast<std::uint16_t>(non_empty + !store->record(i).empty());
    unsigned summed = 0;
    for (const auto& s : list.sums())
        summed += s.call_count;
    if (list.totals().call_count != non_empty || summed > non_empty ||
        list.lines().size() > non_empty)
        std::abort();

    // The filter dialog with texts cut from the input.
    eval::FilterForm::Fields f = list.filter_dialog_texts();
    const std::string text(reinterpret_cast<const char*>(rest.data()),
                           std::min<std::size_t>(rest.size(), 16));
    f.from_day = text.substr(0, std::min<std::size_t>(text.size(), 3));
    f.dm = text.size() > 3 ? text.substr(3, 5) : "";
    if (!list.filter_dialog_ok(f)) list.refill_after_filter_dialog(lookup, now);

    const auto sums = eval::subscriber_sums_lines(list.sums());
    for (std::size_t i = 0; i < sums.size(); ++i)
        eval::subscriber_statistics(*store, list.sums(), *eval::select_subscriber(sums, i), lookup,
                                    now);
    eval::ProjectNames names;
    names.fill("P");
    for (std::uint8_t p = 1; p <= 10; ++p)
        eval::evaluate_project(*store, lookup, names, p, now);

    auto calls = std::make_unique<data::CallStore>();
    calls->append_received_block(rest);
    eval::group_calls(*calls);
    unsigned grouped = 0;
    for (std::size_t i = 0; i < calls->count(); ++i)
        grouped += calls->repeat[i];
    if (grouped != calls->count()) std::abort();
    const eval::CallList call_list = eval::fill_call_list(*calls, lookup, now);
    for (std::size_t line = 0; line < call_list.lines.size(); ++line) {
        eval::call_statistics_of_line(*calls, call_list, line, lookup, now);
        eval::speed_dial(*calls, call_list.line_map[line], text);
    }
    return 0;
}
