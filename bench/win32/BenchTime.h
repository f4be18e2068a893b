// The clock and the summary the in-process Windows benchmarks share.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

// Seconds on the monotonic clock (the performance counter on Windows).
inline double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
