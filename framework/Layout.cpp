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

void AlignItems(const TRect& client, std::vector<TLayoutItem>& items) {
    TRect rest = client;
    for (size_t i : Ordered(items, TAlign::alTop)) {
        TRect& r = items[i].Bounds;
        const int h = r.Height();
        r = {rest.Left, rest.Top, rest.Right, rest.Top + h};
        rest.Top = std::min(rest.Bottom, rest.Top + h);
    }
    for (size_t i : Ordered(items, TAlign::alBottom)) {
        TRect& r = items[i].Bounds;
        const int h = r.Height();
        r = {rest.Left, rest.Bottom - h, rest.Right, rest.Bottom};
        rest.Bottom = std::max(rest.Top, rest.Bottom - h);
    }
    for (size_t i : Ordered(items, TAlign::alLeft)) {
        TRect& r = items[i].Bounds;
        const int w = r.Width();
        r = {rest.Left, rest.Top, rest.Left + w, rest.Bottom};
        rest.Left = std::min(rest.Right, rest.Left + w);
    }
    for (size_t i : Ordered(items, TAlign::alRight)) {
        TRect& r = items[i].Bounds;
        const int w = r.Width();
        r = {rest.Right - w, rest.Top, rest.Right, rest.Bottom};
        rest.Right = std::max(rest.Left, rest.Right - w);
    }
    for (size_t i : Ordered(items, TAlign::alClient))
        items[i].Bounds = rest;

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

// One dimension of the window on the chosen work area: shrunk and aligned when
// it is larger, slid in when it lies wholly outside, kept otherwise.
void FitSpan(int64_t& start, int64_t& length, int64_t areaStart, int64_t areaEnd, bool slide) {
    const int64_t room = areaEnd - areaStart;
    if (length > room) {
        start = areaStart;
        length = room;
    } else if (slide) {
        start = std::clamp(start, areaStart, areaEnd - length);
    }
}
} // namespace

TRect FitToWorkAreas(int32_t left, int32_t top, int32_t width, int32_t height,
                     const std::vector<TRect>& workAreas) {
    int64_t x = left, y = top, w = std::max<int32_t>(width, 0), h = std::max<int32_t>(height, 0);
    if (workAreas.empty())
        return {left, top, static_cast<int>(x + width), static_cast<int>(y + height)};
    // The monitor the window is mostly on, or else the nearest one; ties go to
    // the earlier area, so to the primary monitor.
    const TRect* best = nullptr;
    int64_t bestOverlap = 0;
    double bestDistance = 0;
    for (const TRect& area : workAreas) {
        const int64_t ox = Overlap(x, x + w, area.Left, area.Right);
        const int64_t oy = Overlap(y, y + h, area.Top, area.Bottom);
        const int64_t overlap = ox > 0 && oy > 0 ? ox * oy : 0;
        const int64_t dx = Gap(x, x + w, area.Left, area.Right);
        const int64_t dy = Gap(y, y + h, area.Top, area.Bottom);
        // Gaps of stored values reach 2^32; their squares overflow 64 bits.
        const double distance = double(dx) * double(dx) + double(dy) * double(dy);
        if (!best || overlap > bestOverlap ||
            (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
            best = &area;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    const bool outside = bestOverlap == 0;
    FitSpan(x, w, best->Left, best->Right, outside);
    FitSpan(y, h, best->Top, best->Bottom, outside);
    return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w),
            static_cast<int>(y + h)};
}

int FitDockedHeight(int wanted, int pageHeight, int splitterHeight, int minClient) {
    const int room = std::max(0, pageHeight - splitterHeight - minClient);
    return std::clamp(wanted, 0, room);
}
