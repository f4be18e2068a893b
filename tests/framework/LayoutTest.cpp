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

TEST(FitToWorkAreas, AWindowOffEveryWorkAreaSlidesOntoTheNearest) {
    // Saved on a third monitor, below and right of the second: into its corner.
    EXPECT_EQ(FitToWorkAreas(5000, 5000, 500, 400, kDesktop), (TRect{2060, 624, 2560, 1024}));
    // Left of the primary: only the off-screen axis moves.
    EXPECT_EQ(FitToWorkAreas(-3000, 100, 500, 400, kDesktop), (TRect{0, 100, 500, 500}));
    // On the primary's screen but wholly behind its task bar.
    EXPECT_EQ(FitToWorkAreas(100, 990, 300, 30, kDesktop), (TRect{100, 954, 400, 984}));
    // Above both, nearer the second.
    EXPECT_EQ(FitToWorkAreas(2000, -900, 400, 300, kDesktop), (TRect{2000, 0, 2400, 300}));
    // As far from the one as from the other: the primary's.
    EXPECT_EQ(FitToWorkAreas(140, 300, 20, 20, {{0, 0, 100, 100}, {200, 0, 300, 100}}),
              (TRect{80, 80, 100, 100}));
}

TEST(FitToWorkAreas, AWindowPartlyOnAWorkAreaStaysAsItIs) {
    EXPECT_EQ(FitToWorkAreas(-250, 100, 500, 400, kDesktop), (TRect{-250, 100, 250, 500}));
    EXPECT_EQ(FitToWorkAreas(1000, 700, 600, 400, kDesktop), (TRect{1000, 700, 1600, 1100}));
    EXPECT_EQ(FitToWorkAreas(10, 20, 509, 418, kDesktop), (TRect{10, 20, 519, 438}));
    // Nothing to check against: as given.
    EXPECT_EQ(FitToWorkAreas(5000, 5000, 500, 400, {}), (TRect{5000, 5000, 5500, 5400}));
}

TEST(FitToWorkAreas, AWindowLargerThanItsWorkAreaIsShrunkToIt) {
    EXPECT_EQ(FitToWorkAreas(50, 100, 2000, 2000, kDesktop), (TRect{0, 0, 1280, 984}));
    EXPECT_EQ(FitToWorkAreas(100, 100, 1500, 400, kDesktop), (TRect{0, 100, 1280, 500}));
    // Mostly on the second monitor: shrunk to that one, not to the primary.
    EXPECT_EQ(FitToWorkAreas(1200, 50, 1400, 1100, kDesktop), (TRect{1280, 0, 2560, 1024}));
    // Off the screen and too large as well.
    EXPECT_EQ(FitToWorkAreas(-9000, 50, 500, 5000, kDesktop), (TRect{0, 0, 500, 984}));
}

TEST(FitToWorkAreas, ExtremeStoredNumbersDoNotOverflow) {
    const int32_t big = INT32_MAX, small = INT32_MIN;
    EXPECT_EQ(FitToWorkAreas(big, big, big, big, kDesktop), (TRect{1280, 0, 2560, 1024}));
    EXPECT_EQ(FitToWorkAreas(small, small, 500, 400, kDesktop), (TRect{0, 0, 500, 400}));
    // Wider than anything, ending left of the primary.
    EXPECT_EQ(FitToWorkAreas(small, 0, big, 400, kDesktop), (TRect{0, 0, 1280, 400}));
    // A negative size is no size: slid on as a point.
    EXPECT_EQ(FitToWorkAreas(big, 10, -5, -5, kDesktop), (TRect{2560, 10, 2560, 10}));
}

TEST(FitDockedHeight, TheClientControlKeepsItsMinimumAndTheDockedOneTheRest) {
    EXPECT_EQ(FitDockedHeight(59, 357, 3, 88), 59);
    EXPECT_EQ(FitDockedHeight(100000, 357, 3, 88), 357 - 3 - 88);
    EXPECT_EQ(FitDockedHeight(59, 60, 3, 88), 0);
    EXPECT_EQ(FitDockedHeight(-5, 357, 3, 88), 0);
}
