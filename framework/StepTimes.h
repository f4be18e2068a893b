// Where the time of a run of steps goes: each step's own time, without the
// steps nested inside it, so that the steps add up to the time they cover.
// The program's start-up records its steps here until its first window is
// on the screen; the start-up benchmark reads them. The benchmark of the
// modal windows records each opening the same way.
#pragma once

#include <string>
#include <vector>

struct TStepTime {
    std::string Name;
    double Seconds = 0; // own time: nested steps left out
    int Count = 0;      // how often the step was entered
};

class TStepTimes {
public:
    using TClock = double (*)(); // seconds, on a clock that only moves forward
    explicit TStepTimes(TClock clock);

    // Starts recording; the time of Begin is where the steps are counted from.
    void Begin();
    // Ends recording: later steps are not counted, steps still open finish.
    void End();
    bool Recording() const { return FRecording; }

    // A step begins and ends; Leave ends the innermost open step.
    void Enter(const char* name);
    void Leave();

    // In the order the steps were first entered.
    const std::vector<TStepTime>& Steps() const { return FSteps; }
    // The clock readings at Begin and at End (Now while recording).
    double Began() const { return FBegan; }
    double Ended() const { return FRecording ? FClock() : FEnded; }

private:
    struct TOpen {
        size_t Step;
        double Entered;
        double Nested; // time of the steps inside it
    };
    TClock FClock;
    bool FRecording = false;
    double FBegan = 0, FEnded = 0;
    std::vector<TStepTime> FSteps;
    std::vector<TOpen> FOpen;
};

// The process's start-up steps, on the system's monotonic clock.
TStepTimes& StartupSteps();

// One start-up step for the lifetime of the object; nothing once the
// start-up has ended.
class TStartupStep {
public:
    explicit TStartupStep(const char* name);
    ~TStartupStep();
    TStartupStep(const TStartupStep&) = delete;
    TStartupStep& operator=(const TStartupStep&) = delete;

private:
    bool FEntered;
};
