// The clock and the summary the Windows benchmarks and the start-up floors
// share.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

// Seconds on the monotonic clock: the performance counter on Windows, the
// same for every process, so a benchmark can set a timed program's readings
// beside its own.
inline double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// 0 for no figures.
inline double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
