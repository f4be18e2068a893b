// The way from the program's start to its main window on the screen: what the
// start-up record shows of it (each window painted once, the window activated
// once, the list not built on the way) and the list built later all the same.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>

#include "app/ErrorCatalog.h"
#include "app/StatusTexts.h"
#include "app/unitStartup_win32.h"
#include "framework/MemoryKeyStore.h"
#include "framework/StepTimes.h"
#include "settings/unitSettings.h"
#include "tests/app/MainFormHarness_win32.h"

namespace {

int CodesWithText() {
    int count = 0;
    for (int code = 0; code <= MaxErrorCode; ++code)
        count += !SystemText(code).empty();
    return count;
}

// How often each step of the last start-up was entered, by name.
std::map<std::string, int> StepCounts() {
    std::map<std::string, int> counts;
    for (const TStepTime& step : StartupSteps().Steps())
        counts[step.Name] = step.Count;
    return counts;
}

// Every window that painted did so once, and the main window was activated
// once; the windows a user sees first are among them, so that a record
// without paints cannot pass.
void ExpectOnePaintEach(const std::map<std::string, int>& steps,
                        std::initializer_list<const char*> onPage) {
    for (const char* shown : {"MainForm", "ToolBar", "StatusBar"})
        EXPECT_TRUE(steps.count(std::string("paint: ") + shown)) << shown;
    for (const char* shown : onPage)
        EXPECT_TRUE(steps.count(std::string("paint: ") + shown)) << shown;
    for (const auto& [name, count] : steps) {
        if (name.starts_with("paint") || name.starts_with("activation")) {
            EXPECT_EQ(count, 1) << name;
        }
    }
    EXPECT_EQ(steps.count("activation: MainForm"), 1u);
}

TEST(StartupTest, TheFirstShowPaintsEachWindowOnceAndActivatesTheWindowOnce) {
    StartupSteps().Begin();
    TMainFormHarness h;
    ASSERT_FALSE(StartupSteps().Recording());
    const std::map<std::string, int> steps = StepCounts();
    ExpectOnePaintEach(steps, {"edCode", "mmDescription"});
    // The rows wait until the window has painted.
    EXPECT_FALSE(steps.count("list (lookups and rows)"));
    EXPECT_EQ(h.Form().lvList->ItemCount(), CodesWithText());
}

TEST(StartupTest, StoredViewChoicesAddNoPaintNorActivation) {
    TMemoryKeyStore store;
    {
        TMainFormHarness first(&store);
        TMainForm& f = first.Form();
        f.miSmallIcons->Click();
        ClickToolButton(*f.tbStayOnTop);
        first.ClickGraphic(*f.sbWordWrap);
        ClickToolButton(*f.tbList);
        first.Pump();
    }
    StartupSteps().Begin();
    TMainFormHarness h(&store);
    ASSERT_FALSE(StartupSteps().Recording());
    ASSERT_EQ(h.Form().Notebook->PageIndex(), 1);
    ExpectOnePaintEach(StepCounts(), {"lvList", "mmListDescription"});
}

// The memo cannot change its wrapping in place: turned off as stored, it
// is made anew once, not once for the wrapping and again for its scroll bars.
TEST(StartupTest, WrappingStoredOffMakesTheMemoAnewOnce) {
    const auto windowsMade = [](TKeyStore& store) {
        StartupSteps().Begin();
        TMainFormHarness h(&store);
        return StepCounts()["windows"];
    };
    TMemoryKeyStore plain, unwrapped;
    {
        TMainFormHarness first(&unwrapped);
        first.ClickGraphic(*first.Form().sbWordWrap);
        first.Pump();
    }
    const int made = windowsMade(plain);
    EXPECT_EQ(windowsMade(unwrapped), made + 1);
}

// The main window shown as the program shows it, with no message loop run
// since: nothing has built the rows yet when a test asks for them.
class StartupBeforeTheLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        f->Show();
        ASSERT_EQ(f->lvList->ItemCount(), 0);
    }
    // The rows, once, also after the loop has run.
    void ExpectRowsOnce() {
        EXPECT_EQ(f->lvList->ItemCount(), CodesWithText());
        application.ProcessMessages();
        EXPECT_EQ(f->lvList->ItemCount(), CodesWithText());
    }
    TMemoryKeyStore store;
    TApplication& application = InitializeProgram(&store);
    TProgramShutdown shutdown;
    TMainForm* f = application.CreateForm<TMainForm>();
};

TEST_F(StartupBeforeTheLoopTest, ShowingTheListPageBuildsTheRowsAndSelectsTheCode) {
    f->tbList->SetDown(true);
    f->tbList->Click();
    ASSERT_NE(f->lvList->Selected(), nullptr);
    EXPECT_EQ(f->lvList->Selected()->Caption(), f->edCode->Text());
    ExpectRowsOnce();
}

// Save Layout on the unopened page measures the list with its rows.
TEST_F(StartupBeforeTheLoopTest, SaveLayoutBuildsTheRows) {
    f->atSaveLayout->Execute();
    EXPECT_EQ(f->StatusText(), SLayoutSaved);
    ExpectRowsOnce();
}

} // namespace
