#include "framework/Layout.h"

#include <gtest/gtest.h>

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
