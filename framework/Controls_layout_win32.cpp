// Layout and focus: alignment of the children, automatic size, flipping for
// right-to-left, and which control takes the focus or a dialog character.
#include "framework/Controls_win32.h"

#include <windows.h>

#include <algorithm>

void TControl::SetAlign(TAlign align) {
    if (FAlign != align) {
        FAlign = align;
        if (FParent)
            FParent->AlignControls();
    }
}

void TControl::SetAnchors(unsigned anchors) {
    FAnchors = anchors;
    if (FParent && !Loading())
        RecordGaps();
}

void TControl::RecordGaps() {
    FLayout.Bounds = BoundsRect();
    RecordAnchorGaps(FLayout, FParent->ClientWidth(), FParent->ClientHeight());
}

void TControl::SetAutoSize(bool value) {
    if (FAutoSize != value) {
        FAutoSize = value;
        AdjustSize();
    }
}

bool TControl::CanAutoSize(int&, int&) {
    return false;
}

void TControl::AdjustSize() {
    if (!FAutoSize || Loading())
        return;
    int width = FWidth, height = FHeight;
    if (CanAutoSize(width, height))
        SetBounds(FLeft, FTop, width, height);
}

void TWinControl::DockClient(TControl* client) {
    client->SetParent(this);
}

bool TWinControl::CanAutoSize(int& width, int& height) {
    // Just big enough for the visible children, with the frame around them.
    int right = 0, bottom = 0;
    bool any = false;
    for (TControl* c : FControls)
        if (c->Visible()) {
            any = true;
            right = std::max(right, c->Left() + c->Width());
            bottom = std::max(bottom, c->Top() + c->Height());
        }
    if (!any)
        return false;
    width = right + (FWidth - ClientWidth());
    height = bottom + (FHeight - ClientHeight());
    return true;
}

void TWinControl::FlipChildren(bool allLevels) {
    const int width = ClientWidth();
    for (TControl* c : FControls) {
        if (c->Align() == TAlign::alLeft)
            c->SetAlign(TAlign::alRight);
        else if (c->Align() == TAlign::alRight)
            c->SetAlign(TAlign::alLeft);
        else if (c->Align() == TAlign::alNone)
            c->SetLeft(width - c->Left() - c->Width());
    }
    if (allLevels)
        for (TControl* c : FControls)
            if (auto* w = dynamic_cast<TWinControl*>(c))
                w->FlipChildren(true);
    // Each child learns its parent mirrored (a spin button swaps sides).
    for (TControl* c : FControls)
        c->AllChildrenFlipped();
}

void TWinControl::AlignControls() {
    // Children resized here ask us to lay out again: once is enough.
    if (FAligning || Loading())
        return;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; } // also when a resize handler raises
    } guard{FAligning = true};
    std::vector<TLayoutItem> items;
    for (TControl* c : FControls) {
        TLayoutItem item = c->LayoutItem();
        item.Align = c->Align();
        item.Anchors = c->Anchors();
        item.Visible = c->Visible();
        item.Bounds = c->BoundsRect();
        const TControlMargins& m = c->Margins();
        item.Margins = c->AlignWithMargins() ? TRect{m.Left, m.Top, m.Right, m.Bottom} : TRect{};
        items.push_back(item);
    }
    AlignItems({0, 0, ClientWidth(), ClientHeight()}, items);
    for (size_t i = 0; i < FControls.size(); ++i) {
        const TRect& r = items[i].Bounds;
        FControls[i]->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const {
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus() {
    if (!CanFocus())
        throw Exception("Cannot focus a disabled or invisible window");
    // A form not yet on screen focuses the control when it shows.
    TWinControl* top = TopParent();
    if (top != this && !IsWindowVisible(top->Handle()))
        top->ControlActivated(this);
    else
        ::SetFocus(Handle());
}

TGraphicControl* TWinControl::FindDialogChar(char key) const {
    for (TControl* c : FControls) {
        if (auto* g = dynamic_cast<TGraphicControl*>(c); g && g->Visible() && g->DialogChar(key))
            return g;
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible())
            if (TGraphicControl* found = w->FindDialogChar(key))
                return found;
    }
    return nullptr;
}
