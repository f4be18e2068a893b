// The file in which a timed program of the start-up benchmark reports where
// its start-up went: "began <s>", "ended <s>" on the monotonic clock every
// process shares, then "<own seconds>\t<count>\t<step>" per step.
#pragma once

#include <cstdio>
#include <vector>

#include "bench/win32/BenchTime.h"

struct TReportedStep {
    const char* Name;
    double Seconds;
    int Count;
};

// Writes the report; false when the file cannot be written.
inline bool WriteStepFile(const char* path, double began, double ended,
                          const std::vector<TReportedStep>& steps) {
    FILE* out = std::fopen(path, "w");
    if (!out)
        return false;
    std::fprintf(out, "began %.7f\nended %.7f\n", began, ended);
    for (const auto& step : steps)
        std::fprintf(out, "%.7f\t%d\t%s\n", step.Seconds, step.Count, step.Name);
    return std::fclose(out) == 0;
}
