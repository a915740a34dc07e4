#pragma once
// Records for the simulated exchange: realistic demo data, generated masses, or the records of
// a charge data file.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/exchange.h"

namespace kalmo::sim {

// About 120 charges and 40 calls of a December and January: subscribers 21 to 40, German
// numbers, some private calls, amounts after a unit tariff.
void fill_demo(Exchange& exchange, std::uint32_t seed = 1996);

// `charges` charge records and `calls` call records from `seed`, in no particular time order.
void fill_random(Exchange& exchange, std::size_t charges, std::size_t calls, std::uint32_t seed);

// Every record of a charge data file. false (and `error` set) when it cannot be read.
bool fill_from_charge_file(Exchange& exchange, const std::string& path, std::string& error);

// Spreads records over the two banks: the first bank takes half (at most 999, so that the
// program goes on to the second bank), the second the rest.
void spread(std::vector<Bytes> records, std::vector<Bytes> (&banks)[2]);

} // namespace kalmo::sim
