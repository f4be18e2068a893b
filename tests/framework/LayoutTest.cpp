#include "framework/Layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace {
TLayoutItem Item(TAlign align, TRect bounds) {
    TLayoutItem item;
    item.Align = align;
    item.Bounds = bounds;
    return item;
}
} // namespace

// The main window's shape: tool bar on top, status bar and a splitter pair at
// the bottom, the rest for the client-aligned control.
TEST(Layout, StacksTopAndBottomAndGivesTheRestToTheClient) {
    std::vector<TLayoutItem> items = {
        Item(TAlign::alClient, {0, 0, 10, 10}),     // list
        Item(TAlign::alBottom, {0, 300, 509, 359}), // lower memo, lowest
        Item(TAlign::alBottom, {0, 297, 509, 300}), // splitter just above it
        Item(TAlign::alTop, {0, 0, 509, 44}),       // tool bar
    };
    AlignItems({0, 0, 600, 400}, items);
    EXPECT_EQ(items[3].Bounds, (TRect{0, 0, 600, 44}));
    EXPECT_EQ(items[1].Bounds, (TRect{0, 341, 600, 400}));
    EXPECT_EQ(items[2].Bounds, (TRect{0, 338, 600, 341}));
    EXPECT_EQ(items[0].Bounds, (TRect{0, 44, 600, 338}));
}

TEST(Layout, AlignedWithMarginsAControlKeepsThemFreeOnEverySide) {
    std::vector<TLayoutItem> items = {
        Item(TAlign::alClient, {0, 0, 10, 10}),
        Item(TAlign::alTop, {0, 0, 100, 20}),
        Item(TAlign::alRight, {0, 0, 30, 10}),
    };
    items[0].Margins = {1, 2, 3, 4};
    items[1].Margins = {5, 6, 7, 8};
    items[2].Margins = {9, 0, 0, 0};
    AlignItems({0, 0, 200, 100}, items);
    // The top one takes 6 + 20 + 8 rows and stands 5 and 7 in from the sides.
    EXPECT_EQ(items[1].Bounds, (TRect{5, 6, 193, 26}));
    EXPECT_EQ(items[2].Bounds, (TRect{170, 34, 200, 100}));
    EXPECT_EQ(items[0].Bounds, (TRect{1, 36, 158, 96}));
    // Margins wider than the space left leave an empty place, never an inverted one.
    std::vector<TLayoutItem> tight = {Item(TAlign::alClient, {0, 0, 1, 1})};
    tight[0].Margins = {50, 50, 50, 50};
    AlignItems({0, 0, 60, 60}, tight);
    EXPECT_EQ(tight[0].Bounds, (TRect{50, 50, 50, 50}));
}

TEST(Layout, AControlOfNoHeightKeepsItsSideOfItsNeighbour) {
    std::vector<TLayoutItem> items = {
        Item(TAlign::alClient, {0, 0, 10, 10}),     // list
        Item(TAlign::alBottom, {0, 297, 509, 300}), // splitter, created first
        Item(TAlign::alBottom, {0, 300, 509, 300}), // memo below it, squeezed
        Item(TAlign::alTop, {0, 0, 509, 20}),       // a bar
        Item(TAlign::alTop, {0, 0, 509, 0}),        // one squeezed above it
    };
    AlignItems({0, 0, 600, 400}, items);
    EXPECT_EQ(items[2].Bounds, (TRect{0, 400, 600, 400}));
    EXPECT_EQ(items[1].Bounds, (TRect{0, 397, 600, 400}));
    EXPECT_EQ(items[4].Bounds, (TRect{0, 0, 600, 0}));
    EXPECT_EQ(items[3].Bounds, (TRect{0, 0, 600, 20}));
    EXPECT_EQ(items[0].Bounds, (TRect{0, 20, 600, 397}));
}

TEST(Layout, ClientShrinksToNothingWhenTheEdgesTakeEverything) {
    std::vector<TLayoutItem> items = {Item(TAlign::alTop, {0, 0, 1, 80}),
                                      Item(TAlign::alBottom, {0, 0, 1, 80}),
                                      Item(TAlign::alClient, {})};
    AlignItems({0, 0, 100, 100}, items);
    EXPECT_EQ(items[2].Bounds.Height(), 0);
    EXPECT_EQ(items[1].Bounds, (TRect{0, 20, 100, 100}));
}

TEST(Layout, RightAnchoredControlKeepsItsGapAndHiddenOnesTakeNoSpace) {
    TLayoutItem button = Item(TAlign::alNone, {468, 8, 491, 30});
    button.Anchors = akTop | akRight;
    RecordAnchorGaps(button, 509, 40);
    TLayoutItem hidden = Item(TAlign::alTop, {0, 0, 10, 25});
    hidden.Visible = false;
    TLayoutItem stretch = Item(TAlign::alNone, {10, 10, 100, 20});
    stretch.Anchors = akLeft | akTop | akRight;
    RecordAnchorGaps(stretch, 509, 40);
    std::vector<TLayoutItem> items = {button, hidden, stretch, Item(TAlign::alTop, {0, 0, 5, 7})};
    AlignItems({0, 0, 700, 40}, items);
    EXPECT_EQ(items[0].Bounds, (TRect{659, 8, 682, 30}));
    EXPECT_EQ(items[2].Bounds, (TRect{10, 10, 291, 20}));
    EXPECT_EQ(items[3].Bounds, (TRect{0, 0, 700, 7}));
}

// A primary monitor with a task bar along its bottom and a second one to its
// right, as GetMonitorInfo reports their work areas.
const std::vector<TRect> kDesktop = {{0, 0, 1280, 984}, {1280, 0, 2560, 1024}};

constexpr int32_t kCaption = 20;

TRect Fit(int32_t left, int32_t top, int32_t width, int32_t height,
          const std::vector<TRect>& areas = kDesktop) {
    return FitToWorkAreas(left, top, width, height, areas, kCaption);
}

TEST(FitToWorkAreas, AWindowOffEveryWorkAreaSlidesOntoTheNearest) {
    // Saved on a third monitor, below and right of the second: into its corner.
    EXPECT_EQ(Fit(5000, 5000, 500, 400), (TRect{2060, 624, 2560, 1024}));
    // Left of the primary: only the off-screen axis moves.
    EXPECT_EQ(Fit(-3000, 100, 500, 400), (TRect{0, 100, 500, 500}));
    // On the primary's screen but wholly behind its task bar.
    EXPECT_EQ(Fit(100, 990, 300, 30), (TRect{100, 954, 400, 984}));
    // Above both, nearer the second.
    EXPECT_EQ(Fit(2000, -900, 400, 300), (TRect{2000, 0, 2400, 300}));
    // As far from the one as from the other: the primary's.
    EXPECT_EQ(Fit(140, 300, 20, 20, {{0, 0, 100, 100}, {200, 0, 300, 100}}),
              (TRect{80, 80, 100, 100}));
}

TEST(FitToWorkAreas, AWindowWhoseCaptionCanBeGrabbedStaysAsItIs) {
    EXPECT_EQ(Fit(-250, 100, 500, 400), (TRect{-250, 100, 250, 500}));
    EXPECT_EQ(Fit(1000, 700, 600, 400), (TRect{1000, 700, 1600, 1100}));
    EXPECT_EQ(Fit(10, 20, 509, 418), (TRect{10, 20, 519, 438}));
    // Three caption heights of its caption bar on the screen are enough.
    EXPECT_EQ(Fit(-440, 100, 500, 400), (TRect{-440, 100, 60, 500}));
    EXPECT_EQ(Fit(2500, 100, 500, 400), (TRect{2500, 100, 3000, 500}));
    // Its caption just below the top of the work area, the rest below the screen.
    EXPECT_EQ(Fit(300, 964, 500, 400), (TRect{300, 964, 800, 1364}));
    // Nothing to check against: as given.
    EXPECT_EQ(Fit(5000, 5000, 500, 400, {}), (TRect{5000, 5000, 5500, 5400}));
}

TEST(FitToWorkAreas, AWindowWhoseCaptionCannotBeGrabbedIsMovedWhollyOn) {
    const std::vector<TRect> one = {{0, 0, 1280, 984}};
    // One column of pixels on the screen.
    EXPECT_EQ(Fit(1279, 100, 500, 400, one), (TRect{780, 100, 1280, 500}));
    EXPECT_EQ(Fit(-499, 100, 500, 400, one), (TRect{0, 100, 500, 500}));
    // Less than three caption heights of the caption bar.
    EXPECT_EQ(Fit(1230, 100, 500, 400, one), (TRect{780, 100, 1280, 500}));
    // The caption above the top of the work area, the rest on it.
    EXPECT_EQ(Fit(100, -10, 500, 400, one), (TRect{100, 0, 600, 400}));
    // The caption behind the task bar.
    EXPECT_EQ(Fit(100, 970, 500, 400, one), (TRect{100, 584, 600, 984}));
    // The caption's rows in the gap below the primary's task bar, beside the
    // taller second monitor: the second holds them.
    EXPECT_EQ(Fit(1240, 990, 300, 30), (TRect{1240, 990, 1540, 1020}));
}

TEST(FitToWorkAreas, OnlyAWindowLargerThanTheDesktopIsShrunk) {
    // Spread over both monitors: kept, not shrunk to one.
    EXPECT_EQ(Fit(100, 100, 1500, 400), (TRect{100, 100, 1600, 500}));
    EXPECT_EQ(Fit(1000, 50, 1400, 900), (TRect{1000, 50, 2400, 950}));
    // Taller than the whole desktop: shrunk to the work area it is mostly on.
    EXPECT_EQ(Fit(50, 100, 2000, 2000), (TRect{50, 0, 2050, 984}));
    EXPECT_EQ(Fit(1200, 50, 1400, 1100), (TRect{1200, 0, 2600, 1024}));
    // Wider than both together: as much on the one as on the other, the primary's.
    EXPECT_EQ(Fit(-100, 100, 3000, 400), (TRect{0, 100, 1280, 500}));
    // Off the screen and too large as well.
    EXPECT_EQ(Fit(-9000, 50, 500, 5000), (TRect{0, 0, 500, 984}));
    // Wider than one monitor and moved: aligned with the one it lands on.
    EXPECT_EQ(Fit(-5000, 100, 1500, 400), (TRect{0, 100, 1500, 500}));
}

TEST(FitToWorkAreas, ExtremeStoredNumbersDoNotOverflow) {
    const int32_t big = INT32_MAX, small = INT32_MIN;
    EXPECT_EQ(Fit(big, big, big, big), (TRect{1280, 0, 2560, 1024}));
    EXPECT_EQ(Fit(small, small, 500, 400), (TRect{0, 0, 500, 400}));
    // Wider than anything, ending left of the primary.
    EXPECT_EQ(Fit(small, 0, big, 400), (TRect{0, 0, 1280, 400}));
    // A negative size is no size: slid on as a point.
    EXPECT_EQ(Fit(big, 10, -5, -5), (TRect{2560, 10, 2560, 10}));
}

TEST(WorkspaceCoordinates, CountFromTheWorkAreaOfTheMonitor) {
    const TMonitorArea top{{0, 0, 1280, 1024}, {0, 40, 1280, 1024}};
    const TMonitorArea left{{1280, 0, 2560, 1024}, {1340, 0, 2560, 1024}};
    EXPECT_EQ(WorkspaceToScreen({100, 80, 700, 530}, top), (TRect{100, 120, 700, 570}));
    EXPECT_EQ(WorkspaceToScreen({100, 80, 700, 530}, left), (TRect{160, 80, 760, 530}));
    EXPECT_EQ(ScreenToWorkspace({160, 80, 760, 530}, left), (TRect{100, 80, 700, 530}));
    const TMonitorArea plain{{0, 0, 1280, 1024}, {0, 0, 1280, 984}};
    EXPECT_EQ(WorkspaceToScreen({5, 6, 7, 8}, plain), (TRect{5, 6, 7, 8}));
}

TEST(AreaOf, TheAreaMostOverlappedOrTheNearest) {
    EXPECT_EQ(AreaOf({1000, 0, 1600, 400}, kDesktop), 1);
    EXPECT_EQ(AreaOf({1000, 0, 1500, 400}, kDesktop), 0);
    EXPECT_EQ(AreaOf({-32000, -32000, -31840, -31970}, kDesktop), 0);
    EXPECT_EQ(AreaOf({9000, 0, 9100, 10}, kDesktop), 1);
    EXPECT_EQ(AreaOf({0, 0, 1, 1}, {}), -1);
}

TEST(KeepInsideWorkArea, ADialogOpensWhollyOnTheWorkArea) {
    const TRect work{0, 0, 1280, 984};
    // Centred on a main window dragged low: lifted onto the screen.
    EXPECT_EQ(KeepInsideWorkArea({400, 900, 860, 1203}, work, false), (TRect{400, 681, 860, 984}));
    EXPECT_EQ(KeepInsideWorkArea({-100, -50, 360, 253}, work, false), (TRect{0, 0, 460, 303}));
    EXPECT_EQ(KeepInsideWorkArea({10, 10, 470, 313}, work, false), (TRect{10, 10, 470, 313}));
    // Larger than the work area: its top-left corner shows; a sizeable one fits.
    EXPECT_EQ(KeepInsideWorkArea({-10, 500, 1490, 1600}, work, false), (TRect{0, 0, 1500, 1100}));
    EXPECT_EQ(KeepInsideWorkArea({-10, 500, 1490, 1600}, work, true), work);
    // On a second monitor.
    EXPECT_EQ(KeepInsideWorkArea({2500, 100, 2700, 300}, {1280, 0, 2560, 1024}, false),
              (TRect{2360, 100, 2560, 300}));
}

TEST(FitDockedHeight, TheClientControlKeepsItsMinimumAndTheDockedOneTheRest) {
    EXPECT_EQ(FitDockedHeight(59, 357, 3, 88), 59);
    EXPECT_EQ(FitDockedHeight(100000, 357, 3, 88), 357 - 3 - 88);
    EXPECT_EQ(FitDockedHeight(59, 60, 3, 88), 0);
    EXPECT_EQ(FitDockedHeight(-5, 357, 3, 88), 0);
}
