// Alignment and anchoring arithmetic of child controls, free of any window:
// the controls layer feeds it the children's bounds and applies the result.
#pragma once

#include <vector>

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

struct TLayoutItem {
    TAlign Align = TAlign::alNone;
    unsigned Anchors = akLeft | akTop;
    bool Visible = true;
    TRect Bounds;
    // Distances to the parent's right and bottom edges, taken when the
    // anchors were set; used for akRight / akBottom.
    int RightGap = 0, BottomGap = 0;
};

// Records the gaps of `item` to a parent client area of the given size.
void RecordAnchorGaps(TLayoutItem& item, int parentWidth, int parentHeight);

// Lays out `items` (in creation order) in `client`: top-aligned items stack
// downward from the top in the order of their current Top, bottom-aligned
// ones upward from the bottom in the order of their current bottom edge
// (lowest first), then left, right, and the client-aligned ones take what is
// left. Unaligned items follow their right and bottom anchors.
void AlignItems(const TRect& client, std::vector<TLayoutItem>& items);
