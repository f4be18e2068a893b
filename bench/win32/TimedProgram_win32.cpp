// The program with its start-up steps written out: the same entry and the
// same resources, so it starts as the program does; when it ends it writes
// the times of its start-up steps to the file named on its command line.
#include <windows.h>

#include <cstdlib>

#include "app/unitStartup_win32.h"
#include "bench/win32/StepFile.h"
#include "framework/StepTimes.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int result = RunProgram();
    if (__argc < 2)
        return result;
    const TStepTimes& times = StartupSteps();
    std::vector<TReportedStep> steps;
    for (const TStepTime& step : times.Steps())
        steps.push_back({step.Name.c_str(), step.Seconds, step.Count});
    return WriteStepFile(__argv[1], times.Began(), times.Ended(), steps) ? result : 3;
}
