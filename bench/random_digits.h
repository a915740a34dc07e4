#pragma once
// Random digit strings for the benchmarks' made-up phonebooks and dialled numbers; a seeded
// generator keeps every run's data the same.
#include <random>
#include <string>

inline std::string random_digits(std::mt19937& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + rng() % 10);
    return s;
}
