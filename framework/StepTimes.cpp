#include "framework/StepTimes.h"

#include <chrono>

TStepTimes::TStepTimes(TClock clock) : FClock(clock) {}

void TStepTimes::Begin() {
    FSteps.clear();
    FOpen.clear();
    FRecording = true;
    FBegan = FClock();
}

void TStepTimes::End() {
    if (!FRecording)
        return;
    FEnded = FClock();
    FRecording = false;
}

void TStepTimes::Enter(const char* name) {
    size_t step = 0;
    while (step < FSteps.size() && FSteps[step].Name != name)
        ++step;
    if (step == FSteps.size())
        FSteps.push_back({name, 0, 0});
    ++FSteps[step].Count;
    FOpen.push_back({step, FClock(), 0});
}

void TStepTimes::Leave() {
    if (FOpen.empty())
        return;
    const TOpen open = FOpen.back();
    FOpen.pop_back();
    const double whole = FClock() - open.Entered;
    FSteps[open.Step].Seconds += whole - open.Nested;
    if (!FOpen.empty())
        FOpen.back().Nested += whole;
}

namespace {
double MonotonicSeconds() {
    // On Windows this is the performance counter, the same for every
    // process, so a benchmark can set our readings beside its own.
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

TStepTimes& StartupSteps() {
    static TStepTimes steps(MonotonicSeconds);
    return steps;
}

TStartupStep::TStartupStep(const char* name) : FEntered(StartupSteps().Recording()) {
    if (FEntered)
        StartupSteps().Enter(name);
}

TStartupStep::~TStartupStep() {
    if (FEntered)
        StartupSteps().Leave();
}
