#include "framework/Layout.h"

#include <algorithm>
#include <numeric>

void RecordAnchorGaps(TLayoutItem& item, int parentWidth, int parentHeight) {
    item.RightGap = parentWidth - item.Bounds.Right;
    item.BottomGap = parentHeight - item.Bounds.Bottom;
}

namespace {
std::vector<size_t> Ordered(const std::vector<TLayoutItem>& items, TAlign align) {
    std::vector<size_t> order;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].Visible && items[i].Align == align)
            order.push_back(i);
    // stable: items at the same place keep their creation order
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const TRect &ra = items[a].Bounds, &rb = items[b].Bounds;
        // On a tie of the leading edge the other edge decides, so that a
        // control squeezed to nothing keeps its side of its neighbour.
        switch (align) {
        case TAlign::alTop:
            return ra.Top != rb.Top ? ra.Top < rb.Top : ra.Bottom < rb.Bottom;
        case TAlign::alBottom:
            return ra.Bottom != rb.Bottom ? ra.Bottom > rb.Bottom : ra.Top > rb.Top;
        case TAlign::alLeft:
            return ra.Left != rb.Left ? ra.Left < rb.Left : ra.Right < rb.Right;
        case TAlign::alRight:
            return ra.Right != rb.Right ? ra.Right > rb.Right : ra.Left > rb.Left;
        default:
            return false;
        }
    });
    return order;
}
} // namespace

namespace {
// An aligned item's place with its margins, and the item's bounds inside it.
TRect WithMargins(const TRect& r, const TRect& m) {
    return {r.Left - m.Left, r.Top - m.Top, r.Right + m.Right, r.Bottom + m.Bottom};
}
TRect InsideMargins(const TRect& r, const TRect& m) {
    const int left = r.Left + m.Left, top = r.Top + m.Top;
    return {left, top, std::max(left, r.Right - m.Right), std::max(top, r.Bottom - m.Bottom)};
}
} // namespace

void AlignItems(const TRect& client, std::vector<TLayoutItem>& items) {
    TRect rest = client;
    for (size_t i : Ordered(items, TAlign::alTop)) {
        TRect& r = items[i].Bounds;
        const int h = WithMargins(r, items[i].Margins).Height();
        r = InsideMargins({rest.Left, rest.Top, rest.Right, rest.Top + h}, items[i].Margins);
        rest.Top = std::min(rest.Bottom, rest.Top + h);
    }
    for (size_t i : Ordered(items, TAlign::alBottom)) {
        TRect& r = items[i].Bounds;
        const int h = WithMargins(r, items[i].Margins).Height();
        r = InsideMargins({rest.Left, rest.Bottom - h, rest.Right, rest.Bottom}, items[i].Margins);
        rest.Bottom = std::max(rest.Top, rest.Bottom - h);
    }
    for (size_t i : Ordered(items, TAlign::alLeft)) {
        TRect& r = items[i].Bounds;
        const int w = WithMargins(r, items[i].Margins).Width();
        r = InsideMargins({rest.Left, rest.Top, rest.Left + w, rest.Bottom}, items[i].Margins);
        rest.Left = std::min(rest.Right, rest.Left + w);
    }
    for (size_t i : Ordered(items, TAlign::alRight)) {
        TRect& r = items[i].Bounds;
        const int w = WithMargins(r, items[i].Margins).Width();
        r = InsideMargins({rest.Right - w, rest.Top, rest.Right, rest.Bottom}, items[i].Margins);
        rest.Right = std::max(rest.Left, rest.Right - w);
    }
    for (size_t i : Ordered(items, TAlign::alClient))
        items[i].Bounds = InsideMargins(rest, items[i].Margins);

    const int width = client.Width(), height = client.Height();
    for (TLayoutItem& item : items) {
        if (item.Align != TAlign::alNone)
            continue;
        TRect& r = item.Bounds;
        if (item.Anchors & akRight) {
            const int right = width - item.RightGap;
            r.Left = item.Anchors & akLeft ? r.Left : right - r.Width();
            r.Right = std::max(r.Left, right);
        }
        if (item.Anchors & akBottom) {
            const int bottom = height - item.BottomGap;
            r.Top = item.Anchors & akTop ? r.Top : bottom - r.Height();
            r.Bottom = std::max(r.Top, bottom);
        }
    }
}

namespace {
// Overlap of [a0, a1) and [b0, b1); negative when they are apart.
int64_t Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
    return std::min(a1, b1) - std::max(a0, b0);
}

// How far [a0, a1) lies outside [b0, b1): 0 when they overlap.
int64_t Gap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
    return std::max<int64_t>({0, b0 - a1, a0 - b1});
}

// A window's bounds as 64-bit numbers: stored values reach the ends of the
// 32-bit range, and their sums must not overflow.
struct TSpan64 {
    int64_t X, Y, W, H;
};

int BestArea(const TSpan64& s, const std::vector<TRect>& areas) {
    int best = -1;
    int64_t bestOverlap = 0;
    double bestDistance = 0;
    for (size_t i = 0; i < areas.size(); ++i) {
        const TRect& area = areas[i];
        const int64_t ox = Overlap(s.X, s.X + s.W, area.Left, area.Right);
        const int64_t oy = Overlap(s.Y, s.Y + s.H, area.Top, area.Bottom);
        const int64_t overlap = ox > 0 && oy > 0 ? ox * oy : 0;
        const int64_t dx = Gap(s.X, s.X + s.W, area.Left, area.Right);
        const int64_t dy = Gap(s.Y, s.Y + s.H, area.Top, area.Bottom);
        // Gaps of stored values reach 2^32; their squares overflow 64 bits.
        const double distance = double(dx) * double(dx) + double(dy) * double(dy);
        if (best < 0 || overlap > bestOverlap ||
            (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
            best = static_cast<int>(i);
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    return best;
}

// The caption bar can be grabbed on `area`: its rows lie within the area's
// height and enough of its width inside the area.
bool CaptionReachable(const TSpan64& s, int64_t caption, const TRect& area) {
    if (s.Y < area.Top || s.Y + caption > area.Bottom)
        return false;
    const int64_t needed = std::min(s.W, 3 * caption);
    return Overlap(s.X, s.X + s.W, area.Left, area.Right) >= std::max<int64_t>(needed, 1);
}

// One dimension of the window on the chosen work area: shrunk and aligned when
// it is larger than the desktop, slid wholly inside when it must move.
void FitSpan(int64_t& start, int64_t& length, int64_t areaStart, int64_t areaEnd,
             int64_t desktopLength, bool move) {
    const int64_t room = areaEnd - areaStart;
    if (length > desktopLength) {
        start = areaStart;
        length = room;
    } else if (move) {
        start = length > room ? areaStart : std::clamp(start, areaStart, areaEnd - length);
    }
}

TRect ToRect(const TSpan64& s) {
    return {static_cast<int>(s.X), static_cast<int>(s.Y), static_cast<int>(s.X + s.W),
            static_cast<int>(s.Y + s.H)};
}
} // namespace

TRect WorkspaceToScreen(const TRect& r, const TMonitorArea& m) {
    const int dx = m.Work.Left - m.Bounds.Left, dy = m.Work.Top - m.Bounds.Top;
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

TRect ScreenToWorkspace(const TRect& r, const TMonitorArea& m) {
    const int dx = m.Work.Left - m.Bounds.Left, dy = m.Work.Top - m.Bounds.Top;
    return {r.Left - dx, r.Top - dy, r.Right - dx, r.Bottom - dy};
}

int AreaOf(const TRect& bounds, const std::vector<TRect>& areas) {
    return BestArea(
        {bounds.Left, bounds.Top, std::max(bounds.Width(), 0), std::max(bounds.Height(), 0)},
        areas);
}

TRect FitToWorkAreas(int32_t left, int32_t top, int32_t width, int32_t height,
                     const std::vector<TRect>& workAreas, int32_t captionHeight) {
    if (workAreas.empty())
        return {left, top, static_cast<int>(int64_t(left) + width),
                static_cast<int>(int64_t(top) + height)};
    TSpan64 s{left, top, std::max<int32_t>(width, 0), std::max<int32_t>(height, 0)};
    const int64_t caption = std::max<int64_t>(captionHeight, 1);
    TRect desktop = workAreas.front();
    bool reachable = false;
    for (const TRect& area : workAreas) {
        desktop = {std::min(desktop.Left, area.Left), std::min(desktop.Top, area.Top),
                   std::max(desktop.Right, area.Right), std::max(desktop.Bottom, area.Bottom)};
        reachable = reachable || CaptionReachable(s, caption, area);
    }
    const TRect& best = workAreas[static_cast<size_t>(BestArea(s, workAreas))];
    FitSpan(s.X, s.W, best.Left, best.Right, int64_t(desktop.Right) - desktop.Left, !reachable);
    FitSpan(s.Y, s.H, best.Top, best.Bottom, int64_t(desktop.Bottom) - desktop.Top, !reachable);
    return ToRect(s);
}

TRect KeepInsideWorkArea(const TRect& bounds, const TRect& work, bool sizeable) {
    TSpan64 s{bounds.Left, bounds.Top, std::max(bounds.Width(), 0), std::max(bounds.Height(), 0)};
    const auto fit = [sizeable](int64_t& start, int64_t& length, int64_t a0, int64_t a1) {
        if (length > a1 - a0) {
            start = a0;
            if (sizeable)
                length = a1 - a0;
        } else {
            start = std::clamp(start, a0, a1 - length);
        }
    };
    fit(s.X, s.W, work.Left, work.Right);
    fit(s.Y, s.H, work.Top, work.Bottom);
    return ToRect(s);
}

int FitDockedHeight(int wanted, int pageHeight, int splitterHeight, int minClient) {
    const int room = std::max(0, pageHeight - splitterHeight - minClient);
    return std::clamp(wanted, 0, room);
}
