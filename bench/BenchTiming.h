// Wall-clock timing shared by the benchmarks: each measurement is the best of a few rounds, and
// every comparison is measured side by side in the same run.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kRounds = 3;

inline double Seconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

template <typename Work>
double Best(Work work) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const double start = Seconds();
        work();
        const double elapsed = Seconds() - start;
        if (elapsed < best) best = elapsed;
    }
    return best;
}

// For work that returns a checksum, which keeps it from being optimised away.
template <typename Work>
double Best(Work work, uint64_t& checksum) {
    return Best([&] { checksum += work(); });
}
