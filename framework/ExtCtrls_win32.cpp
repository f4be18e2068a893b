#include "framework/ExtCtrls_win32.h"

#include <windows.h>

#include <oleacc.h>

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "framework/Published.h"
#include "framework/StepTimes.h"

namespace {

// Draws `glyph` centred in `r`, its bottom-left pixel's colour left out.
void DrawGlyph(HDC dc, HBITMAP glyph, const RECT& r, bool enabled) {
    BITMAP bm{};
    if (!glyph || !GetObjectA(glyph, sizeof bm, &bm))
        return;
    TMemoryDC src(dc);
    TSelectObject select(src.Get(), glyph);
    const COLORREF key = GetPixel(src.Get(), 0, bm.bmHeight - 1);
    const int x = r.left + (r.right - r.left - bm.bmWidth) / 2;
    const int y = r.top + (r.bottom - r.top - bm.bmHeight) / 2;
    if (enabled) {
        GdiTransparentBlt(dc, x, y, bm.bmWidth, bm.bmHeight, src.Get(), 0, 0, bm.bmWidth,
                          bm.bmHeight, key);
        return;
    }
    // Disabled: the glyph's shape in the shadow colour.
    TMemoryDC maskDC(dc);
    TBitmapHandle mask(CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr));
    TSelectObject selectMask(maskDC.Get(), mask.Get());
    SetBkColor(src.Get(), key);
    BitBlt(maskDC.Get(), 0, 0, bm.bmWidth, bm.bmHeight, src.Get(), 0, 0, SRCCOPY);
    TBrushHandle shadow(CreateSolidBrush(ColorToRGB(clBtnShadow)));
    TSelectObject selectBrush(dc, shadow.Get());
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, maskDC.Get(), 0, 0, 0x00B8074A); // PSDPxax
}
} // namespace

// --------------------------------------------------------- TPage, TNotebook

const TClassInfo& TPage::StaticClass() {
    static const TClassInfo info{"TPage",
                                 &TWinControl::StaticClass(),
                                 CreateComponent<TPage>,
                                 {StrProp("Caption", &TPage::SetCaption)}};
    return info;
}

TPage::TPage(TComponent* owner) : TWinControl(owner) {
    FAlign = TAlign::alClient;
}

const TClassInfo& TNotebook::StaticClass() {
    static const TClassInfo info{"TNotebook",
                                 &TWinControl::StaticClass(),
                                 CreateComponent<TNotebook>,
                                 {IntProp("PageIndex", &TNotebook::SetPageIndex, "0")}};
    return info;
}

TPage* TNotebook::Page(int index) const {
    int i = 0;
    for (TControl* c : FControls)
        if (auto* page = dynamic_cast<TPage*>(c); page && i++ == index)
            return page;
    return nullptr;
}

int TNotebook::PageCount() const {
    return static_cast<int>(std::count_if(FControls.begin(), FControls.end(), [](TControl* c) {
        return dynamic_cast<TPage*>(c) != nullptr;
    }));
}

void TNotebook::ReadChild(TComponent* child) {
    if (!dynamic_cast<TPage*>(child))
        throw EFormDataError("A notebook holds pages only, not " + child->Name());
    TWinControl::ReadChild(child);
}

void TNotebook::SetPageIndex(int index) {
    if (index == FPageIndex)
        return;
    if (!Loading() && !Page(index))
        throw Exception("Page index out of range");
    FPageIndex = index;
    if (!Loading())
        ShowOnly(index);
}

void TNotebook::Loaded() {
    TWinControl::Loaded();
    ShowOnly(FPageIndex);
}

void TNotebook::ShowOnly(int index) {
    TPage* shown = Page(index);
    if (shown) {
        shown->SetVisible(true);
        if (shown->HandleAllocated())
            BringWindowToTop(shown->Handle());
    }
    for (int i = 0; TPage* page = Page(i); ++i)
        if (page != shown)
            page->SetVisible(false);
}

// ----------------------------------------------------------------- TSplitter

const TClassInfo& TSplitter::StaticClass() {
    static const TClassInfo info{"TSplitter",
                                 &TGraphicControl::StaticClass(),
                                 CreateComponent<TSplitter>,
                                 {IntProp("MinSize", &TSplitter::SetMinSize, "30"),
                                  EventProp("OnMoved", &TSplitter::SetOnMoved)}};
    return info;
}

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
    FAlign = TAlign::alLeft;
    FWidth = 3;
}

HCURSOR TSplitter::Cursor() const {
    return LoadCursor(nullptr, Vertical() ? IDC_SIZEWE : IDC_SIZENS);
}

void TSplitter::Paint(HDC dc) {
    const RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    FillRectColor(dc, r, FColor);
}

TControl* TSplitter::ResizedControl() const {
    if (!FParent)
        return nullptr;
    // The neighbour aligned to the same side whose edge touches ours.
    for (TControl* c : FParent->Controls()) {
        if (c == this || c->Align() != FAlign || !c->Visible())
            continue;
        const TRect r = c->BoundsRect();
        if ((FAlign == TAlign::alBottom && r.Top == FTop + FHeight) ||
            (FAlign == TAlign::alTop && r.Bottom == FTop) ||
            (FAlign == TAlign::alLeft && r.Right == FLeft) ||
            (FAlign == TAlign::alRight && r.Left == FLeft + FWidth))
            return c;
    }
    return nullptr;
}

void TSplitter::MouseDown(int x, int y) {
    TControl* target = ResizedControl();
    if (!target)
        return;
    FDragging = true;
    FDownPos = Vertical() ? x + FLeft : y + FTop;
    FStartSize = Vertical() ? target->Width() : target->Height();
}

void TSplitter::MouseMove(int x, int y) {
    TControl* target = FDragging ? ResizedControl() : nullptr;
    if (!target)
        return;
    const int pos = Vertical() ? x + FLeft : y + FTop;
    int delta = pos - FDownPos;
    if (FAlign == TAlign::alBottom || FAlign == TAlign::alRight)
        delta = -delta;
    // Neither the resized control nor what the client area keeps may drop
    // below its minimum size.
    int room = 0;
    for (TControl* c : FParent->Controls())
        if (c->Align() == TAlign::alClient && c->Visible())
            room = Vertical() ? c->Width() : c->Height();
    const int current = Vertical() ? target->Width() : target->Height();
    const int most =
        std::max(0, current + room - (FMinClientSize >= 0 ? FMinClientSize : FMinSize));
    const int size = std::clamp(FStartSize + delta, std::min(FMinSize, most), most);
    if (size == current)
        return;
    if (Vertical())
        target->SetWidth(size);
    else
        target->SetHeight(size);
}

void TSplitter::MouseUp(int, int) {
    if (!FDragging)
        return;
    FDragging = false;
    if (FOnMoved)
        FOnMoved(this);
}

// -------------------------------------------------------------- TSpeedButton

const TClassInfo& TSpeedButton::StaticClass() {
    static const TClassInfo info{"TSpeedButton",
                                 &TGraphicControl::StaticClass(),
                                 CreateComponent<TSpeedButton>,
                                 {BoolProp("Down", &TSpeedButton::SetDown, "False"),
                                  IntProp("GroupIndex", &TSpeedButton::SetGroupIndex, "0"),
                                  BoolProp("AllowAllUp", &TSpeedButton::SetAllowAllUp, "False"),
                                  BoolProp("Flat", &TSpeedButton::SetFlat, "False"),
                                  StrProp("GlyphResource", &TSpeedButton::SetGlyphResource)}};
    return info;
}

void TSpeedButton::SetDown(bool v) {
    if (FDown == v)
        return;
    if (!v && FGroupIndex != 0 && !FAllowAllUp && !Loading())
        return; // the last one down of a group stays down
    FDown = v;
    if (v && FGroupIndex != 0 && FParent)
        for (TControl* c : FParent->Controls())
            if (auto* other = dynamic_cast<TSpeedButton*>(c);
                other && other != this && other->FGroupIndex == FGroupIndex) {
                other->FDown = false;
                other->Invalidate();
            }
    Invalidate();
}

void TSpeedButton::SetGlyphResource(const std::string& name) {
    TStartupStep step("image lists and artwork");
    FGlyph.Reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name.c_str(),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!FGlyph)
        throw EFormDataError("Bitmap resource " + name + " not found");
    Invalidate();
}

void TSpeedButton::MouseDown(int x, int y) {
    FPressed = true;
    Invalidate();
    if (FOnMouseDown)
        FOnMouseDown(this, TMouseButton::mbLeft, KeyboardShiftState() | ssLeft, x, y);
}

void TSpeedButton::MouseUp(int x, int y) {
    const bool inside = x >= 0 && y >= 0 && x < FWidth && y < FHeight;
    FPressed = false;
    Invalidate();
    if (inside)
        Press();
}

void TSpeedButton::Press() {
    if (FGroupIndex != 0)
        SetDown(!FDown || !FAllowAllUp);
    Click();
}

bool TSpeedButton::AccessibleAsPart(TAccessiblePart& part) const {
    if (!Visible())
        return false;
    part = {};
    part.Name = Hint();
    part.DefaultAction = "Press";
    part.Role = ROLE_SYSTEM_PUSHBUTTON;
    part.State = (FGroupIndex != 0 && FDown ? STATE_SYSTEM_CHECKED : 0) |
                 (Enabled() ? 0 : STATE_SYSTEM_UNAVAILABLE);
    part.Bounds = {Left(), Top(), Left() + Width(), Top() + Height()};
    return true;
}

void TSpeedButton::MouseEnter() {
    FHot = true;
    Invalidate();
}

void TSpeedButton::MouseLeave() {
    FHot = false;
    Invalidate();
}

void TSpeedButton::Paint(HDC dc) {
    RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    const bool sunk = FPressed || FDown;
    HTHEME theme = FParent ? OpenThemeData(FParent->Handle(), L"TOOLBAR") : nullptr;
    if (theme) {
        const int state = !FEnabled       ? TS_DISABLED
                          : FPressed      ? TS_PRESSED
                          : FDown && FHot ? TS_HOTCHECKED
                          : FDown         ? TS_CHECKED
                          : FHot          ? TS_HOT
                                          : TS_NORMAL;
        if (state != TS_NORMAL || !FFlat)
            DrawThemeBackground(theme, dc, TP_BUTTON, state, &r, nullptr);
        CloseThemeData(theme);
    } else if (sunk) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    } else if (FHot || !FFlat) {
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    }
    if (sunk)
        OffsetRect(&r, 1, 1);
    DrawGlyph(dc, FGlyph.Get(), r, FEnabled);
}
