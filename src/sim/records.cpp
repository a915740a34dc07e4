#include "sim/records.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "core/data/calls.h"
#include "core/data/charge.h"

namespace kalmo::sim {

namespace {

// Dialled numbers as the operator's subscribers would dial them, with their tariff zone:
// 0 local, 1 regional, 2 long distance, 3 abroad, 4 mobile.
struct Destination {
    const char* number;
    int zone;
};
constexpr Destination kDestinations[] = {
    {"4711230", 0},     {"5503311", 0},     {"7720415", 0},       {"2291744", 0},
    {"0815124477", 1},  {"08161871200", 1}, {"0813133120", 1},    {"0302269110", 2},
    {"04038990", 2},    {"0221577300", 2},  {"0697100451", 2},    {"07111205566", 2},
    {"0511168440", 2},  {"00431588800", 3}, {"0041442123434", 3}, {"0033142961010", 3},
    {"01713345678", 4}, {"01729876543", 4}, {"0891234567", 0},    {"0893077260", 0},
};

// Seconds per 12-Pfennig unit by zone, daytime and off-peak.
constexpr int kSecondsPerUnit[5][2] = {{90, 240}, {26, 45}, {21, 42}, {8, 10}, {12, 20}};
constexpr std::uint32_t kPfennigPerUnit = 12;

// Mostly office hours, a December and the January after it.
template <typename Record> void set_random_time(Record& r, std::mt19937& rng) {
    r.month = std::uniform_int_distribution<int>(0, 1)(rng) ? 12 : 1;
    r.day = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 31)(rng));
    const int hour_pick = std::uniform_int_distribution<int>(0, 9)(rng);
    r.hour =
        static_cast<std::uint8_t>(hour_pick < 8 ? std::uniform_int_distribution<int>(8, 17)(rng)
                                                : std::uniform_int_distribution<int>(0, 23)(rng));
    r.minute = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 59)(rng));
}

// Subscribers 21 to 40 as BCD.
std::uint8_t random_subscriber(std::mt19937& rng) {
    const int sub = std::uniform_int_distribution<int>(21, 40)(rng);
    return static_cast<std::uint8_t>((sub / 10) << 4 | (sub % 10));
}

template <typename Record> Bytes record_bytes(const Record& r) {
    Bytes b(Record::kSize);
    r.to_bytes(b.data());
    return b;
}

Bytes random_charge(std::mt19937& rng) {
    data::ChargeRecord r;
    set_random_time(r, rng);
    r.subscriber = random_subscriber(rng);
    const Destination& d = kDestinations[std::uniform_int_distribution<std::size_t>(
        0, std::size(kDestinations) - 1)(rng)];
    r.duration =
        static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 3)(rng) == 0
                                       ? std::uniform_int_distribution<int>(5, 60)(rng)
                                       : std::uniform_int_distribution<int>(40, 1800)(rng));
    const bool off_peak = r.hour < 8 || r.hour >= 18;
    const int per_unit = kSecondsPerUnit[d.zone][off_peak ? 1 : 0];
    r.amount = (1u + r.duration / static_cast<unsigned>(per_unit)) * kPfennigPerUnit;
    const bool private_call = std::uniform_int_distribution<int>(0, 11)(rng) == 0;
    r.number = private_call ? data::kPrivateNumber : data::pack_number(d.number);
    return record_bytes(r);
}

Bytes random_call(std::mt19937& rng) {
    data::CallRecord r;
    set_random_time(r, rng);
    const int pick = std::uniform_int_distribution<int>(0, 19)(rng);
    r.subscriber = pick == 0 ? data::kAvaSubscriber : random_subscriber(rng);
    if (pick == 1 || pick == 2) {
        r.number = data::pack_number(""); // no number transmitted
    } else if (pick == 3) {
        r.number = data::kPrivateNumber;
    } else {
        // A few callers call again and again.
        const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 7)(rng);
        r.number = data::pack_number(kDestinations[n * 2 + 1].number);
    }
    return record_bytes(r);
}

} // namespace

void spread(std::vector<Bytes> records, std::vector<Bytes> (&banks)[2]) {
    const std::size_t first = std::min<std::size_t>((records.size() + 1) / 2, 999);
    banks[0].assign(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(first));
    banks[1].assign(records.begin() + static_cast<std::ptrdiff_t>(first), records.end());
}

void fill_random(Exchange& exchange, std::size_t charges, std::size_t calls, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Bytes> c, k;
    for (std::size_t i = 0; i < charges; ++i)
        c.push_back(random_charge(rng));
    for (std::size_t i = 0; i < calls; ++i)
        k.push_back(random_call(rng));
    spread(std::move(c), exchange.charges);
    // Half in each bank, at most 74 in the first (exchange-sim --calls-in-first-bank puts
    // more there).
    const std::size_t first = std::min<std::size_t>((k.size() + 1) / 2, 74);
    exchange.calls[0].assign(k.begin(), k.begin() + static_cast<std::ptrdiff_t>(first));
    exchange.calls[1].assign(k.begin() + static_cast<std::ptrdiff_t>(first), k.end());
}

void fill_demo(Exchange& exchange, std::uint32_t seed) {
    fill_random(exchange, 120, 40, seed);
}

bool fill_from_charge_file(Exchange& exchange, const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!data::is_charge_image(bytes)) {
        error = path + " is no charge data file";
        return false;
    }
    const std::size_t count = data::held_records(bytes);
    std::vector<Bytes> records;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = data::kChargeImageHead + i * data::kChargeRecordSize;
        records.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                             bytes.begin() +
                                 static_cast<std::ptrdiff_t>(at + data::kChargeRecordSize));
    }
    spread(std::move(records), exchange.charges);
    return true;
}

} // namespace kalmo::sim
