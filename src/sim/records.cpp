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

data::NumberField pack(const std::string& digits) {
    data::NumberField f;
    f.fill(0xFF);
    for (std::size_t i = 0; i < digits.size() && i < 24; ++i) {
        const std::uint8_t nibble =
            digits[i] == '#' ? 0xA : static_cast<std::uint8_t>(digits[i] - '0');
        std::uint8_t& b = f[i / 2];
        b = (i % 2 == 0) ? static_cast<std::uint8_t>((nibble << 4) | 0x0F)
                         : static_cast<std::uint8_t>((b & 0xF0) | nibble);
    }
    return f;
}

struct When {
    std::uint8_t month, day, hour, minute;
};

When random_time(std::mt19937& rng) {
    // Mostly office hours, a December and the January after it.
    When w{};
    w.month = std::uniform_int_distribution<int>(0, 1)(rng) ? 12 : 1;
    w.day = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 31)(rng));
    const int hour_pick = std::uniform_int_distribution<int>(0, 9)(rng);
    w.hour =
        static_cast<std::uint8_t>(hour_pick < 8 ? std::uniform_int_distribution<int>(8, 17)(rng)
                                                : std::uniform_int_distribution<int>(0, 23)(rng));
    w.minute = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 59)(rng));
    return w;
}

Bytes random_charge(std::mt19937& rng) {
    data::ChargeRecord r;
    const When w = random_time(rng);
    r.month = w.month;
    r.day = w.day;
    r.hour = w.hour;
    r.minute = w.minute;
    // Subscribers 21 to 40 as BCD.
    const int sub = std::uniform_int_distribution<int>(21, 40)(rng);
    r.subscriber = static_cast<std::uint8_t>((sub / 10) << 4 | (sub % 10));
    const Destination& d = kDestinations[std::uniform_int_distribution<std::size_t>(
        0, std::size(kDestinations) - 1)(rng)];
    r.duration =
        static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 3)(rng) == 0
                                       ? std::uniform_int_distribution<int>(5, 60)(rng)
                                       : std::uniform_int_distribution<int>(40, 1800)(rng));
    const bool off_peak = w.hour < 8 || w.hour >= 18;
    const int per_unit = kSecondsPerUnit[d.zone][off_peak ? 1 : 0];
    r.amount = (1u + r.duration / static_cast<unsigned>(per_unit)) * kPfennigPerUnit;
    const bool private_call = std::uniform_int_distribution<int>(0, 11)(rng) == 0;
    if (private_call) {
        r.number.fill(0xFF);
        r.number[0] = data::kPrivateCallMark;
    } else {
        r.number = pack(d.number);
    }
    Bytes b(data::kChargeRecordSize);
    r.to_bytes(b.data());
    return b;
}

Bytes random_call(std::mt19937& rng) {
    data::CallRecord r;
    const When w = random_time(rng);
    r.month = w.month;
    r.day = w.day;
    r.hour = w.hour;
    r.minute = w.minute;
    const int pick = std::uniform_int_distribution<int>(0, 19)(rng);
    if (pick == 0) {
        r.subscriber = data::kAvaSubscriber;
    } else {
        const int sub = std::uniform_int_distribution<int>(21, 40)(rng);
        r.subscriber = static_cast<std::uint8_t>((sub / 10) << 4 | (sub % 10));
    }
    if (pick == 1 || pick == 2) {
        r.number.fill(0xFF); // no number transmitted
    } else if (pick == 3) {
        r.number.fill(0xFF);
        r.number[0] = data::kPrivateCallMark;
    } else {
        // A few callers call again and again.
        const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 7)(rng);
        r.number = pack(kDestinations[n * 2 + 1].number);
    }
    Bytes b(data::kCallRecordSize);
    r.to_bytes(b.data());
    return b;
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
    // The call list is short: 75 or more in the first bank would end it there.
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
    if (bytes.size() < data::kChargeImageHead ||
        std::string(reinterpret_cast<const char*>(bytes.data()),
                    strnlen(reinterpret_cast<const char*>(bytes.data()),
                            data::kChargeHeaderSize)) != data::kChargeMagic) {
        error = path + " is no charge data file";
        return false;
    }
    const std::size_t count = bytes[32] | bytes[33] << 8;
    std::vector<Bytes> records;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = data::kChargeImageHead + i * data::kChargeRecordSize;
        if (at + data::kChargeRecordSize > bytes.size()) break;
        records.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                             bytes.begin() +
                                 static_cast<std::ptrdiff_t>(at + data::kChargeRecordSize));
    }
    spread(std::move(records), exchange.charges);
    return true;
}

} // namespace kalmo::sim
