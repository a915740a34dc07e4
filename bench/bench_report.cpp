// A report over two years of monthly reads: 24 full charge data files (48,000 records, every
// dialled number a different one, so no lookup is saved) against a 1,000-entry phonebook. The
// time covers taking the files' bytes (years, duplicates) and the totals.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/eval/report.h"
#include "core/phonebook/phonebook.h"
#include "random_digits.h"

using namespace kalmo;

namespace {
struct Archive24 {
    phonebook::Phonebook book;
    eval::ProjectNames projects;
    std::vector<std::vector<std::uint8_t>> files;
    std::vector<eval::report::Month> reads;

    Archive24() {
        std::mt19937 rng(2026);
        for (std::size_t i = 0; i < phonebook::kCapacity; ++i) {
            phonebook::Entry e;
            e.name = "Kunde " + std::to_string(i);
            e.area_code = "0" + random_digits(rng, 2 + static_cast<int>(rng() % 3));
            e.number = random_digits(rng, 5 + static_cast<int>(rng() % 3));
            e.project = static_cast<std::int8_t>(rng() % 11);
            book.add(e);
        }
        for (unsigned p = 1; p <= 10; ++p)
            projects[p - 1] = "Projekt " + std::to_string(p);
        for (int m = 0; m < 24; ++m) {
            const eval::report::Month read{2025 + m / 12, m % 12 + 1};
            std::vector<std::uint8_t> f(data::kChargeMagic,
                                        data::kChargeMagic + data::kChargeHeaderSize);
            f.push_back(static_cast<std::uint8_t>(data::kChargeCapacity & 0xFF));
            f.push_back(static_cast<std::uint8_t>(data::kChargeCapacity >> 8));
            for (std::size_t i = 0; i < data::kChargeCapacity; ++i) {
                data::ChargeRecord r;
                r.amount = static_cast<std::uint32_t>(rng() % 50000);
                r.duration = static_cast<std::uint16_t>(rng() % 7200);
                r.subscriber = static_cast<std::uint8_t>(0x10 + rng() % 60);
                r.month = static_cast<std::uint8_t>(read.month);
                r.day = static_cast<std::uint8_t>(1 + i % 28);
                r.hour = static_cast<std::uint8_t>(i % 24);
                r.minute = static_cast<std::uint8_t>(i % 60);
                r.number = data::pack_number("0" + random_digits(rng, 9));
                std::uint8_t raw[data::kChargeRecordSize];
                r.to_bytes(raw);
                f.insert(f.end(), raw, raw + sizeof raw);
            }
            files.push_back(std::move(f));
            reads.push_back(read);
        }
    }
};

void run(benchmark::State& state, eval::report::By by) {
    static const Archive24 data;
    for (auto _ : state) {
        eval::report::Archive archive;
        for (std::size_t i = 0; i < data.files.size(); ++i)
            archive.add_file(data.files[i], data.reads[i]);
        const auto report = eval::report::summarize(archive, by, std::nullopt, std::nullopt,
                                                    data.book, data.projects);
        benchmark::DoNotOptimize(report.total.pfennig);
        state.counters["records"] = static_cast<double>(archive.records().size());
    }
}

void BM_ReportByProject(benchmark::State& state) {
    run(state, eval::report::By::Project);
}
BENCHMARK(BM_ReportByProject)->Unit(benchmark::kMillisecond);

void BM_ReportBySubscriber(benchmark::State& state) {
    run(state, eval::report::By::Subscriber);
}
BENCHMARK(BM_ReportBySubscriber)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
