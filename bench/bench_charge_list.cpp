// Filling the system charge list for a full store, with a phonebook lookup that walks 1,000
// entries for every record (no number matches, so every walk goes to the end).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/eval/charge_list.h"

using namespace kalmo;

namespace {
class WalkingLookup : public phonebook::NumberLookup {
public:
    WalkingLookup() {
        for (int i = 0; i < 1000; ++i)
            numbers_.push_back("0899" + std::to_string(100000 + i));
    }
    std::uint8_t lookup(std::string& text) const override {
        if (text.empty()) return 0;
        for (const std::string& n : numbers_)
            if (std::strncmp(text.c_str(), n.c_str(), text.size()) == 0 && n.size() == text.size())
                return 1;
        return 0;
    }

private:
    std::vector<std::string> numbers_;
};

void fill_full_store(data::ChargeStore& store) {
    for (std::size_t i = 0; i < data::kChargeCapacity; ++i) {
        data::ChargeRecord r;
        r.amount = static_cast<std::uint32_t>(i * 7 % 5000);
        r.duration = static_cast<std::uint16_t>(i % 4000);
        r.subscriber = static_cast<std::uint8_t>(0x10 + i % 40);
        r.month = static_cast<std::uint8_t>(1 + i * 12 / data::kChargeCapacity);
        r.day = static_cast<std::uint8_t>(1 + i % 28);
        r.hour = static_cast<std::uint8_t>(i % 24);
        r.minute = static_cast<std::uint8_t>(i % 60);
        r.number = {0x08, 0x91, 0x23, 0x45, static_cast<std::uint8_t>(i % 100), 0x6F};
        r.number[4] = static_cast<std::uint8_t>(((i / 10) % 10) << 4 | (i % 10));
        store.set_record(i, r);
    }
    store.set_count(static_cast<std::uint16_t>(data::kChargeCapacity));
    store.set_filter_range_from_records();
}

void BM_FillSystemChargeList(benchmark::State& state) {
    auto store = std::make_unique<data::ChargeStore>();
    fill_full_store(*store);
    const WalkingLookup lookup;
    const app::LocalTime now{2026, 12, 7, 10, 0, 0};
    eval::SystemChargeList list(*store);
    for (auto _ : state) {
        eval::open_charge_evaluation(*store);
        const eval::FillResult result = list.fill(lookup, now);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(list.lines().data());
    }
    state.counters["lines"] = static_cast<double>(list.lines().size());
}
BENCHMARK(BM_FillSystemChargeList)->Unit(benchmark::kMillisecond);

// The same fill without a phonebook: the list's own share of the time.
void BM_FillSystemChargeListNoPhonebook(benchmark::State& state) {
    auto store = std::make_unique<data::ChargeStore>();
    fill_full_store(*store);
    const phonebook::NoPhonebook lookup;
    const app::LocalTime now{2026, 12, 7, 10, 0, 0};
    eval::SystemChargeList list(*store);
    for (auto _ : state) {
        eval::open_charge_evaluation(*store);
        benchmark::DoNotOptimize(list.fill(lookup, now));
    }
}
BENCHMARK(BM_FillSystemChargeListNoPhonebook)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
