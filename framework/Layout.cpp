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
        switch (align) {
        case TAlign::alTop:
            return ra.Top < rb.Top;
        case TAlign::alBottom:
            return ra.Bottom > rb.Bottom;
        case TAlign::alLeft:
            return ra.Left < rb.Left;
        case TAlign::alRight:
            return ra.Right > rb.Right;
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
