// Bevels and borders of windowed controls, free of any window: the frame a
// control's BorderWidth and bevel properties take from its window, and the
// edge and flag values its non-client painting hands to DrawEdge. The numbers
// are the system's own (BDR_*, BF_*); the Windows side checks them at build.
#pragma once

#include <cstdint>

#include "framework/Layout.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelEdge : unsigned { beLeft = 1, beTop = 2, beRight = 4, beBottom = 8 };
using TBevelEdges = unsigned;
constexpr TBevelEdges beAllEdges = beLeft | beTop | beRight | beBottom;

namespace edge {
constexpr unsigned RaisedOuter = 0x1, SunkenOuter = 0x2, RaisedInner = 0x4, SunkenInner = 0x8;
constexpr unsigned Left = 0x1, Top = 0x2, Right = 0x4, Bottom = 0x8;
constexpr unsigned Soft = 0x1000, Adjust = 0x2000, Flat = 0x4000, Mono = 0x8000;
} // namespace edge

struct TBevelFrame {
    int BorderWidth = 0;
    TBevelKind Kind = TBevelKind::bkNone;
    TBevelCut Inner = TBevelCut::bvRaised;
    TBevelCut Outer = TBevelCut::bvLowered;
    TBevelEdges Edges = beAllEdges;
    int Width = 1;
};

// Takes `amount` from each side of `r` named in `edges`. Widths come from
// form data and may be anything 32 bits hold: the sum saturates, and a
// rectangle never turns inside out (it ends empty at its far edge).
TRect InsetEdges(TRect r, TBevelEdges edges, int64_t amount);

// What the framework leaves as client area inside `window` (already less the
// system border or client edge): BorderWidth on every side, then BevelWidth
// for each drawn bevel on each bevelled edge.
TRect BevelClientRect(TRect window, const TBevelFrame& frame);

// The reverse: the rectangle whose BevelClientRect is `client`.
TRect BevelOuterRect(TRect client, const TBevelFrame& frame);

// The DrawEdge edge of a bevel cut; 0 for bvSpace, which draws nothing but
// still takes its room.
unsigned BevelEdgeOf(TBevelCut cut, bool outer);
// The DrawEdge flags of a bevel: its edges, its kind, mono without Ctl3D,
// and BF_ADJUST so that nested bevels shrink the rectangle.
unsigned BevelFlagsOf(TBevelEdges edges, TBevelKind kind, bool ctl3D);
