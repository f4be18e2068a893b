#include "framework/StepTimes.h"

#include <gtest/gtest.h>

namespace {
// A clock the test moves by hand.
double gNow = 0;
double TestClock() {
    return gNow;
}

const TStepTime* Find(const TStepTimes& times, const std::string& name) {
    for (const TStepTime& step : times.Steps())
        if (step.Name == name)
            return &step;
    return nullptr;
}
} // namespace

// The start-up breakdown is only worth reading if its steps add up to the
// time they cover, however they nest and repeat.
TEST(StepTimes, NestedStepsAreLeftOutOfTheirParentsAndRepeatsAddUp) {
    gNow = 100;
    TStepTimes times(TestClock);
    times.Begin();
    gNow = 101; // 1 s before any step
    times.Enter("form");
    gNow = 102;
    times.Enter("windows");
    gNow = 104;
    times.Enter("images"); // nested two deep
    gNow = 107;
    times.Leave();
    times.Enter("windows"); // a window made while making one
    gNow = 108;
    times.Leave();
    gNow = 109;
    times.Leave(); // outer windows: 102..109 less images (3) and windows (1)
    gNow = 110;
    times.Leave(); // form: 101..110 less 7
    times.End();
    gNow = 200;

    ASSERT_EQ(times.Steps().size(), 3u);
    EXPECT_EQ(times.Steps()[0].Name, "form"); // in order of first entry
    EXPECT_DOUBLE_EQ(Find(times, "form")->Seconds, 2);
    EXPECT_DOUBLE_EQ(Find(times, "windows")->Seconds, 4);
    EXPECT_EQ(Find(times, "windows")->Count, 2);
    EXPECT_DOUBLE_EQ(Find(times, "images")->Seconds, 3);
    EXPECT_DOUBLE_EQ(times.Began(), 100);
    EXPECT_DOUBLE_EQ(times.Ended(), 110);
    double sum = 0;
    for (const TStepTime& step : times.Steps())
        sum += step.Seconds;
    EXPECT_DOUBLE_EQ(times.Ended() - times.Began() - sum, 1); // the time outside every step
}

TEST(StepTimes, BeginStartsAfreshAndAStrayLeaveChangesNothing) {
    gNow = 0;
    TStepTimes times(TestClock);
    EXPECT_FALSE(times.Recording());
    times.Begin();
    times.Leave(); // nothing open
    times.Enter("a");
    gNow = 5;
    times.Leave();
    EXPECT_EQ(times.Steps().size(), 1u);
    times.Begin();
    EXPECT_TRUE(times.Steps().empty());
    EXPECT_TRUE(times.Recording());
    gNow = 7;
    EXPECT_DOUBLE_EQ(times.Ended(), 7); // still running
}

// After the start-up the program's steps cost nothing and are not counted.
TEST(StepTimes, StartupStepsRecordOnlyBetweenBeginAndEnd) {
    TStepTimes& startup = StartupSteps();
    { TStartupStep before("before"); }
    startup.Begin();
    {
        TStartupStep outer("outer");
        startup.End(); // ends while a step is open: that step still finishes
    }
    { TStartupStep after("after"); }
    ASSERT_EQ(startup.Steps().size(), 1u);
    EXPECT_EQ(startup.Steps()[0].Name, "outer");
    EXPECT_EQ(startup.Steps()[0].Count, 1);
    EXPECT_FALSE(startup.Recording());
}
