#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "components/QorvPanel.h"

namespace {

struct TCountingMargins {
    TQorvMargins Margins{nullptr};
    int Changes = 0;
    TObject* LastSender = nullptr;
    TCountingMargins() {
        Margins.SetOnChange([this](TObject* sender) {
            ++Changes;
            LastSender = sender;
        });
    }
};

class TOtherPersistent : public TPersistent {
public:
    std::string ClassName() const override { return "TOtherPersistent"; }
};

TEST(QorvMargins, NotifyOnlyOnARealChangeAndRejectNegativeSides) {
    TCountingMargins m;
    EXPECT_FALSE(m.Margins.IsSet());
    m.Margins.SetLeft(5);
    m.Margins.SetLeft(5);
    m.Margins.SetBottom(3);
    EXPECT_EQ(m.Changes, 2);
    EXPECT_EQ(m.LastSender, &m.Margins);
    EXPECT_EQ(m.Margins.Side(TQorvMargins::mLeft), 5);
    EXPECT_EQ(m.Margins.Bottom(), 3);
    EXPECT_TRUE(m.Margins.IsSet());

    EXPECT_THROW(m.Margins.SetTop(-1), ERangeError);
    EXPECT_THROW(m.Margins.SetSide(4, 1), ERangeError);
    EXPECT_EQ(m.Margins.Top(), 0);
    EXPECT_EQ(m.Changes, 2);
}

TEST(QorvMargins, LargeSidesCountAsSetEvenWhereA32BitSumWouldWrapToZero) {
    TQorvMargins m(nullptr);
    m.SetLeft(INT_MAX);
    m.SetTop(INT_MAX);
    m.SetRight(1);
    m.SetBottom(1);
    EXPECT_TRUE(m.IsSet());
}

TEST(QorvMargins, AssignCopiesIntoMarginsAndRefusesAnythingElse) {
    TCountingMargins source, target;
    source.Margins.SetLeft(1);
    source.Margins.SetTop(2);
    source.Margins.SetRight(3);
    source.Margins.SetBottom(4);
    const int sourceChanges = source.Changes;

    target.Margins.Assign(source.Margins);
    EXPECT_EQ(target.Changes, 1); // once for the four sides
    EXPECT_EQ(target.LastSender, &target.Margins);
    EXPECT_EQ(source.Changes, sourceChanges);
    EXPECT_EQ(target.Margins.Left(), 1);
    EXPECT_EQ(target.Margins.Top(), 2);
    EXPECT_EQ(target.Margins.Right(), 3);
    EXPECT_EQ(target.Margins.Bottom(), 4);

    TOtherPersistent other;
    try {
        other.Assign(source.Margins);
        FAIL() << "margins were assigned to another class";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TQorvMargins to a TOtherPersistent");
    }
    EXPECT_THROW(target.Margins.Assign(other), EConvertError);
    EXPECT_EQ(target.Margins.Left(), 1);
    EXPECT_EQ(target.Changes, 1);
}

TQorvPanelFrame FindHeaderFrame() {
    TQorvPanelFrame f;
    f.Border = QorvPanelBorderOf(false, true, true);
    f.Bevel.Kind = TBevelKind::bkTile;
    f.Bevel.Edges = beBottom;
    f.Bevel.Outer = TBevelCut::bvLowered;
    f.Bevel.Inner = TBevelCut::bvRaised;
    f.Bevel.Width = 1;
    return f;
}

TEST(QorvPanelClientRect, FindHeaderLeavesA504By38ClientFiveFromTheLeft) {
    TQorvMargins margins(nullptr);
    margins.SetLeft(5);
    const TRect r = QorvPanelClientRect({0, 0, 509, 40}, FindHeaderFrame(), margins);
    EXPECT_EQ(r, (TRect{5, 0, 509, 38}));
    EXPECT_EQ(r.Width(), 504);
    EXPECT_EQ(r.Height(), 38);
}

TEST(QorvPanelClientRect, BorderStyleGivesClientEdgeBorderOrNothing) {
    EXPECT_EQ(QorvPanelBorderOf(true, true, true), TQorvPanelBorder::pbClientEdge);
    EXPECT_EQ(QorvPanelBorderOf(true, false, true), TQorvPanelBorder::pbBorder);
    EXPECT_EQ(QorvPanelBorderOf(true, true, false), TQorvPanelBorder::pbBorder);
    EXPECT_EQ(QorvPanelBorderOf(false, true, true), TQorvPanelBorder::pbNone);

    TQorvMargins none(nullptr);
    TQorvPanelFrame f;
    f.Border = TQorvPanelBorder::pbClientEdge;
    EXPECT_EQ(QorvPanelClientRect({0, 0, 100, 50}, f, none), (TRect{2, 2, 98, 48}));
    f.Border = TQorvPanelBorder::pbBorder;
    f.Bevel.BorderWidth = 3;
    EXPECT_EQ(QorvPanelClientRect({0, 0, 100, 50}, f, none), (TRect{4, 4, 96, 46}));
}

TEST(QorvPanelClientRect, BevelsOffsetAndSpaceTakeRoomOnlyOnBevelledEdges) {
    TQorvMargins margins(nullptr);
    TQorvPanelFrame f;
    f.Bevel.Kind = TBevelKind::bkSoft;
    f.Bevel.Edges = beLeft | beTop;
    f.Bevel.Width = 2;
    f.BevelOffset = 3;
    f.BevelSpace = 1;
    // two bevels of width 2, then 3 + 1, on the left and top only
    EXPECT_EQ(QorvPanelClientRect({0, 0, 100, 50}, f, margins), (TRect{8, 8, 100, 50}));

    // A bvSpace bevel takes its room though it draws nothing; bvNone takes none.
    f.Bevel.Inner = TBevelCut::bvSpace;
    f.Bevel.Outer = TBevelCut::bvNone;
    EXPECT_EQ(QorvPanelClientRect({0, 0, 100, 50}, f, margins), (TRect{6, 6, 100, 50}));

    margins.SetRight(10);
    margins.SetBottom(20);
    EXPECT_EQ(QorvPanelClientRect({0, 0, 100, 50}, f, margins), (TRect{6, 6, 90, 30}));
}

TEST(QorvPanelClientRect, WithoutABevelKindOffsetSpaceAndBevelsHaveNoEffect) {
    TQorvMargins margins(nullptr);
    TQorvPanelFrame f;
    f.Bevel.Kind = TBevelKind::bkNone;
    f.Bevel.Width = 4;
    f.BevelOffset = 7;
    f.BevelSpace = 9;
    EXPECT_EQ(QorvPanelClientRect({0, 0, 100, 50}, f, margins), (TRect{0, 0, 100, 50}));
    margins.SetTop(5);
    EXPECT_EQ(QorvPanelClientRect({0, 0, 100, 50}, f, margins), (TRect{0, 5, 100, 50}));
}

TEST(QorvPanelClientRect, HugeOrNegativeWidthsNeitherWrapNorTurnTheAreaInsideOut) {
    TQorvMargins margins(nullptr);
    margins.SetLeft(INT_MAX);
    margins.SetRight(INT_MAX);
    TQorvPanelFrame f;
    f.Bevel.Kind = TBevelKind::bkFlat;
    f.Bevel.Width = INT_MAX;
    f.BevelOffset = INT_MAX;
    f.BevelSpace = INT_MAX;
    const TRect r = QorvPanelClientRect({0, 0, 100, 50}, f, margins);
    EXPECT_GE(r.Width(), 0);
    EXPECT_GE(r.Height(), 0);
    EXPECT_EQ(r.Left, INT_MAX);

    // A negative offset widens the client area over the bevel's room.
    TQorvMargins none(nullptr);
    TQorvPanelFrame g;
    g.Bevel.Kind = TBevelKind::bkTile;
    g.Bevel.Edges = beTop;
    g.BevelOffset = -2;
    EXPECT_EQ(QorvPanelClientRect({0, 0, 100, 50}, g, none), (TRect{0, 0, 100, 50}));
}

TEST(BevelTables, TheOuterRectangleOfAClientAreaIsTheOneThatLeavesIt) {
    TBevelFrame f;
    f.BorderWidth = 2;
    f.Kind = TBevelKind::bkTile;
    f.Edges = beTop | beRight;
    f.Width = 3;
    const TRect window{10, 20, 110, 70};
    const TRect client = BevelClientRect(window, f);
    EXPECT_EQ(client, (TRect{12, 28, 102, 68}));
    EXPECT_EQ(BevelOuterRect(client, f), window);
}

TEST(BevelTables, EdgesOfEachCutAndFlagsOfEachKind) {
    EXPECT_EQ(BevelEdgeOf(TBevelCut::bvNone, true), 0u);
    EXPECT_EQ(BevelEdgeOf(TBevelCut::bvLowered, true), edge::SunkenOuter);
    EXPECT_EQ(BevelEdgeOf(TBevelCut::bvLowered, false), edge::SunkenInner);
    EXPECT_EQ(BevelEdgeOf(TBevelCut::bvRaised, true), edge::RaisedOuter);
    EXPECT_EQ(BevelEdgeOf(TBevelCut::bvRaised, false), edge::RaisedInner);
    EXPECT_EQ(BevelEdgeOf(TBevelCut::bvSpace, true), 0u);
    EXPECT_EQ(BevelEdgeOf(TBevelCut::bvSpace, false), 0u);

    EXPECT_EQ(BevelFlagsOf(beBottom, TBevelKind::bkTile, true), edge::Bottom | edge::Adjust);
    EXPECT_EQ(BevelFlagsOf(beBottom, TBevelKind::bkNone, true), edge::Bottom | edge::Adjust);
    EXPECT_EQ(BevelFlagsOf(beLeft | beRight, TBevelKind::bkSoft, true),
              edge::Left | edge::Right | edge::Soft | edge::Adjust);
    EXPECT_EQ(BevelFlagsOf(beAllEdges, TBevelKind::bkFlat, false),
              edge::Left | edge::Top | edge::Right | edge::Bottom | edge::Flat | edge::Mono |
                  edge::Adjust);
    EXPECT_EQ(BevelFlagsOf(beTop, TBevelKind::bkTile, false),
              edge::Top | edge::Mono | edge::Adjust);
}

} // namespace
