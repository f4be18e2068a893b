// The controls' properties and tree: published tables, parents and children,
// bounds, text, visibility, Ctl3D and the enter, exit and key events. The
// window, painting, mouse and layout are in the Controls_*_win32 sources.
#include "framework/Controls_win32.h"

#include <windows.h>

#include <uxtheme.h>

#include <algorithm>

#include "framework/Published.h"

namespace {

const published::TEnumNames<TAlign> kAlignNames = {
    {"alNone", TAlign::alNone}, {"alTop", TAlign::alTop},     {"alBottom", TAlign::alBottom},
    {"alLeft", TAlign::alLeft}, {"alRight", TAlign::alRight}, {"alClient", TAlign::alClient}};
const published::TEnumNames<unsigned> kAnchorNames = {
    {"akLeft", akLeft}, {"akTop", akTop}, {"akRight", akRight}, {"akBottom", akBottom}};
const published::TEnumNames<unsigned> kBevelEdgeNames = {
    {"beLeft", beLeft}, {"beTop", beTop}, {"beRight", beRight}, {"beBottom", beBottom}};
const published::TEnumNames<TBevelCut> kBevelCutNames = {{"bvNone", TBevelCut::bvNone},
                                                         {"bvLowered", TBevelCut::bvLowered},
                                                         {"bvRaised", TBevelCut::bvRaised},
                                                         {"bvSpace", TBevelCut::bvSpace}};
const published::TEnumNames<TBevelKind> kBevelKindNames = {{"bkNone", TBevelKind::bkNone},
                                                           {"bkTile", TBevelKind::bkTile},
                                                           {"bkSoft", TBevelKind::bkSoft},
                                                           {"bkFlat", TBevelKind::bkFlat}};
const published::TEnumNames<TBiDiMode> kBiDiModeNames = {
    {"bdLeftToRight", TBiDiMode::bdLeftToRight},
    {"bdRightToLeft", TBiDiMode::bdRightToLeft},
    {"bdRightToLeftNoAlign", TBiDiMode::bdRightToLeftNoAlign},
    {"bdRightToLeftReadingOnly", TBiDiMode::bdRightToLeftReadingOnly}};

} // namespace

bool ThemesEnabled() {
    // The program's manifest always binds it to common controls 6 (whose
    // DllGetVersion under Wine still answers 5, so it is not asked).
    return IsThemeActive() && IsAppThemed() && (GetThemeAppProperties() & STAP_ALLOW_CONTROLS);
}

bool NewStyleControls() {
    return true;
}

std::vector<TPropInfo> WinControlFrameProps() {
    return {
        BoolProp("AutoSize", &TControl::SetAutoSize, "False"),
        SetProp("BevelEdges", &TWinControl::SetBevelEdges, kBevelEdgeNames,
                "[beLeft, beTop, beRight, beBottom]"),
        EnumProp("BevelInner", &TWinControl::SetBevelInner, kBevelCutNames, "bvRaised"),
        EnumProp("BevelKind", &TWinControl::SetBevelKind, kBevelKindNames, "bkNone"),
        EnumProp("BevelOuter", &TWinControl::SetBevelOuter, kBevelCutNames, "bvLowered"),
        IntProp("BevelWidth", &TWinControl::SetBevelWidth, "1"),
        EnumProp("BiDiMode", &TControl::SetBiDiMode, kBiDiModeNames, "bdLeftToRight"),
        IntProp("BorderWidth", &TWinControl::SetBorderWidth, "0"),
        BoolProp("Ctl3D", &TWinControl::SetCtl3D, "True"),
        BoolProp("ParentCtl3D", &TWinControl::SetParentCtl3D, "True"),
        BoolProp("ParentBackground", &TWinControl::SetParentBackground, "False"),
        BoolProp("UseDockManager", &TWinControl::SetUseDockManager, "True"),
        BoolProp("DockSite", &TWinControl::SetDockSite, "False"),
    };
}

namespace {
TControlHost* GControlHost = nullptr;
}

TControlHost* ControlHost() {
    return GControlHost;
}

void SetControlHost(TControlHost* host) {
    GControlHost = host;
}

void HandleControlException() {
    if (GControlHost)
        GControlHost->HandleException(nullptr);
}

const std::vector<std::pair<std::string, TBorderStyle>>& BorderStyleNames() {
    static const published::TEnumNames<TBorderStyle> names = {
        {"bsNone", TBorderStyle::bsNone},
        {"bsSingle", TBorderStyle::bsSingle},
        {"bsSizeable", TBorderStyle::bsSizeable},
        {"bsDialog", TBorderStyle::bsDialog}};
    return names;
}

const std::vector<std::pair<std::string, TAlignment>>& AlignmentNames() {
    static const published::TEnumNames<TAlignment> names = {
        {"taLeftJustify", TAlignment::taLeftJustify},
        {"taRightJustify", TAlignment::taRightJustify},
        {"taCenter", TAlignment::taCenter}};
    return names;
}

TShiftState KeyboardShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        s |= ssShift;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        s |= ssCtrl;
    return s;
}

// ---------------------------------------------------------------- TControl

const TClassInfo& TControl::StaticClass() {
    static const TClassInfo info{
        "TControl",
        &TComponent::StaticClass(),
        nullptr,
        {
            IntProp("Left", &TControl::SetLeft, "0"),
            IntProp("Top", &TControl::SetTop, "0"),
            IntProp("Width", &TControl::SetWidth),
            IntProp("Height", &TControl::SetHeight),
            EnumProp("Align", &TControl::SetAlign, kAlignNames, "alNone"),
            SetProp("Anchors", &TControl::SetAnchors, kAnchorNames, "[akLeft, akTop]"),
            BoolProp("Visible", &TControl::SetVisible, "True"),
            BoolProp("Enabled", &TControl::SetEnabled, "True"),
            StrProp("Hint", &TControl::SetHint),
            BoolProp("ShowHint", &TControl::SetShowHint, "False"),
            ColorProp("Color", &TControl::SetColor, "clBtnFace"),
            EventProp("OnClick", &TControl::SetOnClick),
            EventProp("OnDblClick", &TControl::SetOnDblClick),
            EventProp("OnResize", &TControl::SetOnResize),
        }};
    return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
    SetParent(nullptr);
}

void TControl::SetParent(TWinControl* parent) {
    if (FParent == parent)
        return;
    if (FParent)
        FParent->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

TWinControl* TControl::TopParent() {
    if (!FParent)
        return dynamic_cast<TWinControl*>(this);
    TWinControl* top = FParent;
    while (top->FParent)
        top = top->FParent;
    return top;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if ((width != FWidth || height != FHeight) && !CheckNewSize(width, height)) {
        width = FWidth;
        height = FHeight;
    }
    ChangeBounds(left, top, width, height);
}

void TControl::ChangeBounds(int left, int top, int width, int height) {
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    Invalidate();
    const bool resized = width != FWidth || height != FHeight;
    FLeft = left, FTop = top, FWidth = width, FHeight = height;
    Invalidate();
    BoundsChanged();
    if (resized)
        Resize();
    if (FParent && FAlign != TAlign::alNone)
        FParent->AlignControls();
}

void TControl::Loaded() {
    TComponent::Loaded();
}

void TWinControl::Loaded() {
    // Parents load before their children: take each child's anchor gaps
    // against our design size, then lay them out.
    TControl::Loaded();
    for (TControl* c : FControls)
        c->RecordGaps();
    AlignControls();
}

void TControl::SetVisible(bool visible) {
    if (FVisible != visible) {
        FVisible = visible;
        Invalidate();
        if (FParent)
            FParent->AlignControls();
    }
}

void TControl::SetEnabled(bool enabled) {
    if (FEnabled != enabled) {
        FEnabled = enabled;
        Invalidate();
    }
}

void TControl::SetHint(const std::string& hint) {
    FHint = hint;
}

void TControl::SetColor(TColor color) {
    FParentColor = false;
    if (FColor != color) {
        FColor = color;
        ColorChanged();
        if (auto* w = dynamic_cast<TWinControl*>(this))
            for (TControl* c : w->Controls())
                c->TakeParentStyle();
    }
}

void TControl::SetText(const std::string& text) {
    if (FText != text) {
        FText = text;
        Invalidate();
        TextChanged();
    }
}

void TControl::SetBiDiMode(TBiDiMode mode) {
    FParentBiDiMode = false;
    if (FBiDiMode != mode) {
        FBiDiMode = mode;
        BiDiModeChanged();
        if (auto* w = dynamic_cast<TWinControl*>(this))
            for (TControl* c : w->Controls())
                c->TakeParentStyle();
    }
}

unsigned TControl::DrawTextBiDiModeFlags(unsigned flags) const {
    if (UseRightToLeftAlignment()) {
        if ((flags & (DT_CENTER | DT_RIGHT)) == 0)
            flags |= DT_RIGHT;
        else if (flags & DT_RIGHT)
            flags &= ~static_cast<unsigned>(DT_RIGHT);
    }
    if (UseRightToLeftReading())
        flags |= DT_RTLREADING;
    return flags;
}

void TControl::Click() {
    if (FOnClick)
        FOnClick(this);
}

void TControl::DblClick() {
    if (FOnDblClick)
        FOnDblClick(this);
}

void TControl::Invalidate() {}

void TControl::Resize() {
    if (FOnResize && !Loading())
        FOnResize(this);
}

// --------------------------------------------------------- TGraphicControl

const TClassInfo& TGraphicControl::StaticClass() {
    static const TClassInfo info{"TGraphicControl", &TControl::StaticClass(), nullptr, {}};
    return info;
}

void TGraphicControl::MouseDown(int, int) {}
void TGraphicControl::MouseMove(int, int) {}
void TGraphicControl::MouseUp(int, int) {}

void TGraphicControl::Invalidate() {
    if (FParent && FParent->HandleAllocated() && FVisible) {
        const RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
        InvalidateRect(FParent->Handle(), &r, TRUE);
    }
}

void TGraphicControl::BoundsChanged() {
    TControl::BoundsChanged();
    if (FHint.empty() || !FParent || !FParent->HandleAllocated())
        return;
    if (TWinControl* top = TopParent())
        top->HintChanged(this);
}

// ------------------------------------------------------------- TWinControl

const TClassInfo& TWinControl::StaticClass() {
    static const TClassInfo info{
        "TWinControl",
        &TControl::StaticClass(),
        nullptr,
        {
            BoolProp("TabStop", &TWinControl::SetTabStop, "False"),
            IntProp("TabOrder", &TWinControl::SetTabOrder, "-1"),
            BoolProp("DoubleBuffered", &TWinControl::SetDoubleBuffered, "False"),
            StrProp("AccessibleName", &TWinControl::SetAccessibleName),
            EventProp("OnEnter", &TWinControl::SetOnEnter),
            EventProp("OnExit", &TWinControl::SetOnExit),
            EventProp("OnKeyDown", &TWinControl::SetOnKeyDown),
            EventProp("OnKeyPress", &TWinControl::SetOnKeyPress),
            EventProp("OnKeyUp", &TWinControl::SetOnKeyUp),
            EventProp("OnMouseDown", &TWinControl::SetOnMouseDown),
            EventProp("OnMouseMove", &TWinControl::SetOnMouseMove),
            EventProp("OnMouseUp", &TWinControl::SetOnMouseUp),
        }};
    return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // One DestroyWindow takes the whole tree of windows down, after every
    // object in it has let go of its window, so no message of the dying
    // windows reaches a half-destroyed object. Then a parent frees its child
    // controls, as their windows died with its own.
    FClosing = true;
    LeaveDrag();
    if (HWND wnd = FHandle) {
        DetachHandles();
        DestroyWindow(wnd);
    }
    while (!FControls.empty()) {
        TControl* child = FControls.back();
        RemoveControl(child);
        delete child;
    }
}

void TWinControl::InsertControl(TControl* control) {
    FControls.push_back(control);
    control->FParent = this;
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->FParentCtl3D)
        w->FCtl3D = FCtl3D;
    control->TakeParentStyle();
    if (auto* w = dynamic_cast<TWinControl*>(control);
        w && FHandle && !w->FHandle && !w->DefersWindow())
        w->CreateHandle();
    if (!Loading())
        AlignControls();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    if (!FClosing)
        control->Invalidate();
    if (auto* w = dynamic_cast<TWinControl*>(control))
        w->DestroyHandle();
    if (FMouseControl == control)
        FMouseControl = nullptr;
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
    control->FParent = nullptr;
    if (!FClosing)
        AlignControls();
}

void TWinControl::ReadChild(TComponent* child) {
    // Controls become children; other components (image lists, action
    // lists) are only owned by the form.
    if (auto* control = dynamic_cast<TControl*>(child))
        control->SetParent(this);
}

void TWinControl::ChangeBounds(int left, int top, int width, int height) {
    const bool resized = width != FWidth || height != FHeight;
    if (FHandle && (resized || left != FLeft || top != FTop)) {
        // The window reports its new bounds back through WM_WINDOWPOSCHANGED,
        // and its children are laid out again on WM_SIZE.
        SetWindowPos(FHandle, nullptr, left, top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    TControl::ChangeBounds(left, top, width, height);
    if (!FHandle && resized)
        AlignControls();
}

int TWinControl::ClientWidth() const {
    RECT r;
    if (FHandle && GetClientRect(FHandle, &r))
        return r.right;
    return FWidth;
}

int TWinControl::ClientHeight() const {
    RECT r;
    if (FHandle && GetClientRect(FHandle, &r))
        return r.bottom;
    return FHeight;
}

void TWinControl::SetVisible(bool visible) {
    if (FHandle && visible != FVisible)
        ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
    TControl::SetVisible(visible);
    // A window left waiting while hidden is made when it shows.
    if (visible && !FHandle && FParent && FParent->FHandle)
        CreateHandle();
}

void TWinControl::SetEnabled(bool enabled) {
    if (FHandle)
        EnableWindow(FHandle, enabled);
    TControl::SetEnabled(enabled);
}

std::string TWinControl::Text() const {
    if (!FHandle)
        return FText;
    const int n = GetWindowTextLengthA(FHandle);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    s.resize(static_cast<size_t>(GetWindowTextA(FHandle, s.data(), n + 1)));
    return s;
}

void TWinControl::SetText(const std::string& text) {
    // Compare with what the window shows: setting the same text again must
    // not raise a change notification.
    if (Text() == text)
        return;
    FText = text;
    if (FHandle)
        SetWindowTextA(FHandle, text.c_str());
    TextChanged();
}

void TWinControl::SetHint(const std::string& hint) {
    TControl::SetHint(hint);
    if (FHandle)
        TopParent()->HintChanged(this);
}

void TWinControl::Invalidate() {
    if (FHandle)
        InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::SetDoubleBuffered(bool v) {
    FDoubleBuffered = v;
}

void TWinControl::SetCtl3D(bool value) {
    FParentCtl3D = false;
    if (FCtl3D == value)
        return;
    FCtl3D = value;
    Ctl3DChanged();
}

void TWinControl::SetParentCtl3D(bool value) {
    if (FParentCtl3D == value)
        return;
    FParentCtl3D = value;
    if (value && FParent && FParent->FCtl3D != FCtl3D) {
        FCtl3D = FParent->FCtl3D;
        Ctl3DChanged();
    }
}

void TWinControl::Ctl3DChanged() {
    Invalidate();
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FParentCtl3D && w->FCtl3D != FCtl3D) {
            w->FCtl3D = FCtl3D;
            w->Ctl3DChanged();
        }
}

void TWinControl::SetParentBackground(bool value) {
    if (ParentBackground() == value)
        return;
    if (value)
        FControlStyle = (FControlStyle | csParentBackground) & ~csOpaque;
    else
        FControlStyle = (FControlStyle | csOpaque) & ~csParentBackground;
    Invalidate();
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(Handle(), msg, wParam, lParam);
}

LRESULT TWinControl::Query(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT noWindow) const {
    return FHandle ? SendMessageA(FHandle, msg, wParam, lParam) : noWindow;
}

// -------------------------------------------------------- focus and keys

void TWinControl::DoEnter() {
    if (TWinControl* top = TopParent(); top != this)
        top->ControlActivated(this);
    if (FOnEnter)
        FOnEnter(this);
}

void TWinControl::DoExit() {
    if (FOnExit)
        FOnExit(this);
}

bool TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (FOnKeyDown)
        FOnKeyDown(this, key, shift);
    return false;
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (FOnKeyUp)
        FOnKeyUp(this, key, shift);
}

// ---------------------------------------------------------- TCustomControl

const TClassInfo& TCustomControl::StaticClass() {
    static const TClassInfo info{"TCustomControl", &TWinControl::StaticClass(), nullptr, {}};
    return info;
}
