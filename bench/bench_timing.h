#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

// Runs `work` `runs` times after a short warm-up and returns the median
// duration of one run in microseconds.
template <typename Work>
double medianMicroseconds(int runs, Work&& work)
{
    for (int i = 0; i < std::max(1, runs / 10); ++i)
        work();
    std::vector<double> times;
    times.reserve(std::size_t(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

inline void report(const char* what, double microseconds)
{
    std::printf("%-60s median %9.1f us\n", what, microseconds);
    std::fflush(stdout);
}
