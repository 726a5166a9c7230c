#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

// Timing for the benchmarks: the performance counter, in milliseconds, and
// the median of several runs.
namespace bench {

inline double NowMs() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename F>
double TimeMs(F&& f) {
    const double start = NowMs();
    f();
    return NowMs() - start;
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace bench
