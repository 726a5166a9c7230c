#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

// Timing for the benchmarks: the performance counter, in milliseconds, and
// the median and other quantiles of several runs; and the end of a run that
// cannot measure.
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

// The value a fraction q of the runs lie below (0.5: the median).
inline double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
}

inline double Median(std::vector<double> v) { return Quantile(std::move(v), 0.5); }

// Ends a benchmark that cannot measure, saying why.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "benchmark: %s\n", what);
    std::fflush(nullptr);
    std::exit(1);
}

}  // namespace bench
