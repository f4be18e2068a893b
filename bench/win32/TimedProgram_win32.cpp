// The program with its start-up steps written out: the same entry, the same
// resources, so it starts as the program does; when it ends it writes the
// times of its start-up steps to the file named on its command line.
// Lines: "began <s>", "ended <s>" (the monotonic clock every process shares),
// then "<own seconds>\t<count>\t<step>" per step.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/unitStartup_win32.h"
#include "framework/StepTimes.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int result = RunProgram();
    if (__argc < 2)
        return result;
    FILE* out = std::fopen(__argv[1], "w");
    if (!out)
        return 3;
    const TStepTimes& steps = StartupSteps();
    std::fprintf(out, "began %.7f\nended %.7f\n", steps.Began(), steps.Ended());
    for (const TStepTime& step : steps.Steps())
        std::fprintf(out, "%.7f\t%d\t%s\n", step.Seconds, step.Count, step.Name.c_str());
    std::fclose(out);
    return result;
}
