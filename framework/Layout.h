// Alignment and anchoring arithmetic of child controls, free of any window:
// the controls layer feeds it the children's bounds and applies the result.
#pragma once

#include <cstdint>
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

// Where a top-level window of the given bounds goes on a desktop whose monitors
// have the given work areas (the primary's first). A window that touches some
// work area stays where it is; one that touches none moves onto the nearest,
// sliding in as little as it takes. Either way a window wider or taller than
// the work area it ends up on is shrunk to it and aligned with it. The values
// may be anything a hand-edited store holds, so sums are taken without
// overflow. Without work areas the bounds are kept as they are.
TRect FitToWorkAreas(int32_t left, int32_t top, int32_t width, int32_t height,
                     const std::vector<TRect>& workAreas);

// Height of a control docked to the bottom of a page below a splitter, so that
// the control filling the rest keeps at least `minClient` pixels: `wanted`,
// cut to the room there is, never negative.
int FitDockedHeight(int wanted, int pageHeight, int splitterHeight, int minClient);
