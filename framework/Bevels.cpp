#include "framework/Bevels.h"

#include <algorithm>
#include <climits>

namespace {
int Saturate(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}
} // namespace

TRect InsetEdges(TRect r, TBevelEdges edges, int64_t amount) {
    if (edges & beLeft)
        r.Left = Saturate(r.Left + amount);
    if (edges & beTop)
        r.Top = Saturate(r.Top + amount);
    if (edges & beRight)
        r.Right = Saturate(r.Right - amount);
    if (edges & beBottom)
        r.Bottom = Saturate(r.Bottom - amount);
    r.Right = std::max(r.Right, r.Left);
    r.Bottom = std::max(r.Bottom, r.Top);
    return r;
}

namespace {
int64_t BevelRoom(const TBevelFrame& frame) {
    if (frame.Kind == TBevelKind::bkNone)
        return 0;
    int64_t bevels = 0;
    if (frame.Inner != TBevelCut::bvNone)
        ++bevels;
    if (frame.Outer != TBevelCut::bvNone)
        ++bevels;
    return bevels * frame.Width;
}
} // namespace

TRect BevelClientRect(TRect window, const TBevelFrame& frame) {
    const TRect r = InsetEdges(window, beAllEdges, frame.BorderWidth);
    return InsetEdges(r, frame.Edges, BevelRoom(frame));
}

TRect BevelOuterRect(TRect client, const TBevelFrame& frame) {
    const TRect r = InsetEdges(client, frame.Edges, -BevelRoom(frame));
    return InsetEdges(r, beAllEdges, -int64_t{frame.BorderWidth});
}

unsigned BevelEdgeOf(TBevelCut cut, bool outer) {
    switch (cut) {
    case TBevelCut::bvLowered:
        return outer ? edge::SunkenOuter : edge::SunkenInner;
    case TBevelCut::bvRaised:
        return outer ? edge::RaisedOuter : edge::RaisedInner;
    default:
        return 0;
    }
}

unsigned BevelFlagsOf(TBevelEdges edges, TBevelKind kind, bool ctl3D) {
    unsigned flags = edge::Adjust;
    if (edges & beLeft)
        flags |= edge::Left;
    if (edges & beTop)
        flags |= edge::Top;
    if (edges & beRight)
        flags |= edge::Right;
    if (edges & beBottom)
        flags |= edge::Bottom;
    if (kind == TBevelKind::bkSoft)
        flags |= edge::Soft;
    else if (kind == TBevelKind::bkFlat)
        flags |= edge::Flat;
    if (!ctl3D)
        flags |= edge::Mono;
    return flags;
}
