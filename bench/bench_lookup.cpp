// The lists look up every dialled number: a full phonebook (1,000 entries with codes and
// wildcards) against 2,000 dialled numbers, most of them unknown.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/phonebook/phonebook.h"
#include "random_digits.h"

namespace {
using namespace kalmo::phonebook;

struct Data {
    Phonebook book;
    std::vector<std::string> dialled;

    Data() {
        std::mt19937 rng(1996);
        for (std::size_t i = 0; i < kCapacity; ++i) {
            Entry e;
            e.name = "Teilnehmer " + std::to_string(i);
            e.country_code = i % 5 == 0 ? "00" + random_digits(rng, 2) : "";
            e.area_code =
                i % 3 == 0 ? "" : "0" + random_digits(rng, 2 + static_cast<int>(rng() % 4));
            e.number = random_digits(rng, 4 + static_cast<int>(rng() % 4));
            if (i % 7 == 0) e.number += std::string(1 + rng() % 2, '*');
            e.project = static_cast<std::int8_t>(rng() % 11);
            book.add(e);
        }
        book.sort(kSortByName);
        // One in ten dialled numbers belongs to an entry, in one of its three forms.
        for (int i = 0; i < 2000; ++i) {
            if (i % 10 == 0) {
                const Entry& e = book.at(rng() % book.count());
                std::string n = e.number.substr(0, e.number.find('*'));
                n += std::string(wildcard_length(e.number), '5');
                const std::string area(code_tail(e.area_code));
                const std::string country(code_tail(e.country_code));
                dialled.push_back(i % 3 == 0   ? n
                                  : i % 3 == 1 ? "0" + area + n
                                               : "0" + country + area + n);
            } else {
                dialled.push_back("0" + random_digits(rng, 3 + static_cast<int>(rng() % 3)) +
                                  random_digits(rng, 5 + static_cast<int>(rng() % 4)));
            }
        }
    }
};

void BM_LookupTwoThousandNumbers(benchmark::State& state) {
    static const Data data;
    std::size_t matched = 0;
    for (auto _ : state) {
        matched = 0;
        for (const std::string& d : data.dialled) {
            std::string text = d;
            benchmark::DoNotOptimize(data.book.lookup(text));
            matched += text != d;
        }
    }
    state.counters["matched"] = static_cast<double>(matched);
}
BENCHMARK(BM_LookupTwoThousandNumbers)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
