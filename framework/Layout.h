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
    // Kept free around an aligned item (AlignWithMargins): Left, Top, Right
    // and Bottom are the widths on each side.
    TRect Margins;
};

// Records the gaps of `item` to a parent client area of the given size.
void RecordAnchorGaps(TLayoutItem& item, int parentWidth, int parentHeight);

// Lays out `items` (in creation order) in `client`: top-aligned items stack
// downward from the top in the order of their current Top, bottom-aligned
// ones upward from the bottom in the order of their current bottom edge
// (lowest first), then left, right, and the client-aligned ones take what is
// left. Unaligned items follow their right and bottom anchors.
void AlignItems(const TRect& client, std::vector<TLayoutItem>& items);

// A monitor as the system reports it: its whole area and its work area (less
// the task bar and docked tool bars), both in screen coordinates.
struct TMonitorArea {
    TRect Bounds;
    TRect Work;
    bool operator==(const TMonitorArea&) const = default;
};

// The restored rectangle the system keeps for a top-level window counts in
// workspace coordinates, from the top-left corner of the work area of the
// window's monitor; screen coordinates count from the primary monitor's
// top-left corner. With the task bar at the top or on the left they differ.
TRect WorkspaceToScreen(const TRect& r, const TMonitorArea& monitor);
TRect ScreenToWorkspace(const TRect& r, const TMonitorArea& monitor);

// Index of the area a window of the given bounds is on: the one it overlaps
// most, or else the nearest; ties go to the earlier area (the primary
// monitor's comes first). -1 when there are none.
int AreaOf(const TRect& bounds, const std::vector<TRect>& areas);

// Where a top-level window of the given bounds goes on a desktop whose
// monitors have the given work areas (the primary's first). A window whose
// caption bar can be grabbed (its top `captionHeight` rows lie within the
// height of some work area, with a stretch of it at least three caption
// heights wide, or the whole width of a narrower window, inside that area)
// stays where it is, also spread over two monitors. Any other is moved onto
// the work area it overlaps most, or the nearest, by as little as brings it
// wholly inside. Only a window wider or taller than the whole desktop is
// shrunk, to the work area it ends up on, and aligned with it. The values may
// be anything a hand-edited store holds, so sums are taken without overflow.
// Without work areas the bounds are kept as they are.
TRect FitToWorkAreas(int32_t left, int32_t top, int32_t width, int32_t height,
                     const std::vector<TRect>& workAreas, int32_t captionHeight);

// A window that opens over another (a dialog, a preview) on the work area of
// the monitor it opens on: slid inside by as little as it takes; larger than
// the work area, shrunk to it when `sizeable`, else aligned with its top-left
// corner so that its top and left edges show.
TRect KeepInsideWorkArea(const TRect& bounds, const TRect& work, bool sizeable);

// Height of a control docked to the bottom of a page below a splitter, so that
// the control filling the rest keeps at least `minClient` pixels: `wanted`,
// cut to the room there is, never negative.
int FitDockedHeight(int wanted, int pageHeight, int splitterHeight, int minClient);
