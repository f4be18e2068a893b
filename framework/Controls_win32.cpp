#include "framework/Controls_win32.h"

#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "framework/Gdi_win32.h"
#include "framework/Published.h"
#include "framework/StepTimes.h"
#include "framework/SysUtils_win32.h"

namespace {
// Which object owns which window. Kept in the process rather than as window
// properties: a property lookup is a round trip to the window server under
// Wine, and every message a parent reflects asks this.
std::unordered_map<HWND, TWinControl*>& Objects() {
    static std::unordered_map<HWND, TWinControl*> objects;
    return objects;
}

// System controls are superclassed: "QorvEDIT" behaves as "EDIT" but is
// created with our window procedure, so the object attaches at WM_NCCREATE as
// for our own class. (Subclassing each window instead costs a round trip to
// the window server for every message under Wine.) Maps our class name to
// the system class's window procedure.
std::unordered_map<std::string, WNDPROC>& SystemProcs() {
    static std::unordered_map<std::string, WNDPROC> procs;
    return procs;
}

WNDPROC SystemProcOf(HWND wnd) {
    char name[64] = {};
    GetClassNameA(wnd, name, sizeof name);
    const auto it = SystemProcs().find(name);
    return it == SystemProcs().end() ? DefWindowProcA : it->second;
}
const char kWindowClass[] = "QorvWindow";

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

bool HasBevelFrame(const TBevelFrame& f) {
    return f.BorderWidth > 0 || f.Kind != TBevelKind::bkNone;
}

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
    if (FColor != color) {
        FColor = color;
        ColorChanged();
    }
}

void TControl::SetText(const std::string& text) {
    if (FText != text) {
        FText = text;
        Invalidate();
        TextChanged();
    }
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

void TControl::SetBiDiMode(TBiDiMode mode) {
    if (FBiDiMode != mode) {
        FBiDiMode = mode;
        BiDiModeChanged();
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

void TWinControl::DetachHandles() {
    for (TControl* child : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(child))
            w->DetachHandles();
    if (!FHandle)
        return;
    Objects().erase(FHandle);
    FHandle = nullptr;
}

HWND TWinControl::Handle() {
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (FParent)
        params.Style |= WS_CHILD;
    if (FVisible)
        params.Style |= WS_VISIBLE;
    if (!FEnabled)
        params.Style |= WS_DISABLED;
    if (FTabStop)
        params.Style |= WS_TABSTOP;
    params.ParentWnd = FParent ? FParent->Handle() : nullptr;
}

void TWinControl::CreateHandle() {
    TStartupStep step("windows");
    RegisterControlClasses();
    TCreateParams params;
    CreateParams(params);
    if (FHandle)
        return; // creating the parent for our params created us already
    FSystemClass = !params.WindowClass.empty();
    std::string cls = kWindowClass;
    if (FSystemClass) {
        cls = SuperclassOf(params.WindowClass);
        FSystemProc = SystemProcs()[cls];
    } else if (params.Icon || params.SmallIcon) {
        cls = IconClassOf(params.Icon, params.SmallIcon);
    }
    HWND wnd = CreateWindowExA(params.ExStyle, cls.c_str(), FText.c_str(), params.Style, FLeft,
                               FTop, FWidth, FHeight, params.ParentWnd, nullptr,
                               GetModuleHandleA(nullptr), this);
    if (!wnd)
        RaiseLastOSError("Cannot create the window of " + Name(), "CreateWindowExA");
    if (HFONT font = TopParent()->ControlFont())
        SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    CreateWnd();
    for (TControl* child : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(child))
            if (!w->FHandle && !w->DefersWindow())
                w->CreateHandle();
    AlignControls();
    WindowsCreated();
}

bool TWinControl::WindowDeferred() const {
    for (const TWinControl* c = this; c && !c->FHandle; c = c->FParent)
        if (c->DefersWindow())
            return true;
    return false;
}

void TWinControl::Attach(HWND wnd) {
    FHandle = wnd;
    Objects()[wnd] = this;
}

void TWinControl::DestroyHandle() {
    if (!FHandle)
        return;
    FText = Text(); // kept for a window made anew
    HWND wnd = FHandle;
    DetachHandles();
    DestroyWindow(wnd);
}

void TWinControl::RecreateWnd() {
    if (FHandle) {
        DestroyHandle();
        CreateHandle();
    }
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
    if (!wnd)
        return nullptr;
    const auto& objects = Objects();
    const auto it = objects.find(wnd);
    return it == objects.end() ? nullptr : it->second;
}

void TWinControl::InsertControl(TControl* control) {
    FControls.push_back(control);
    control->FParent = this;
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->FParentCtl3D)
        w->FCtl3D = FCtl3D;
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

void TWinControl::SetBounds(int left, int top, int width, int height) {
    const bool resized = width != FWidth || height != FHeight;
    if (FHandle && (resized || left != FLeft || top != FTop)) {
        // The window reports its new bounds back through WM_WINDOWPOSCHANGED,
        // and its children are laid out again on WM_SIZE.
        SetWindowPos(FHandle, nullptr, left, top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    TControl::SetBounds(left, top, width, height);
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

void TWinControl::SetBorderWidth(int value) {
    if (value < 0)
        throw ERangeError("Border width " + std::to_string(value) + " is out of range");
    ChangeFrame(FBevels.BorderWidth, value);
}

void TWinControl::SetBevelKind(TBevelKind value) {
    ChangeFrame(FBevels.Kind, value);
}

void TWinControl::SetBevelInner(TBevelCut value) {
    ChangeFrame(FBevels.Inner, value);
}

void TWinControl::SetBevelOuter(TBevelCut value) {
    ChangeFrame(FBevels.Outer, value);
}

void TWinControl::SetBevelEdges(TBevelEdges value) {
    ChangeFrame(FBevels.Edges, value & beAllEdges);
}

void TWinControl::SetBevelWidth(int value) {
    if (value < 1)
        throw ERangeError("Bevel width " + std::to_string(value) + " is out of range");
    ChangeFrame(FBevels.Width, value);
}

void TWinControl::BorderChanged() {
    if (!FHandle)
        return;
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    if (FVisible)
        Invalidate();
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

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const {
    return FHandle && GetFocus() == FHandle;
}

bool TWinControl::MouseCapture() const {
    return FHandle && GetCapture() == FHandle;
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
        items.push_back(item);
    }
    AlignItems({0, 0, ClientWidth(), ClientHeight()}, items);
    for (size_t i = 0; i < FControls.size(); ++i) {
        const TRect& r = items[i].Bounds;
        FControls[i]->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(Handle(), msg, wParam, lParam);
}

LRESULT TWinControl::Query(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT noWindow) const {
    return FHandle ? SendMessageA(FHandle, msg, wParam, lParam) : noWindow;
}

TGraphicControl* TWinControl::GraphicControlAt(int x, int y) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        auto* g = dynamic_cast<TGraphicControl*>(*it);
        const TRect r = (*it)->BoundsRect();
        if (g && g->Visible() && x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom &&
            g->HitTest(x - r.Left, y - r.Top))
            return g;
    }
    return nullptr;
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

// ----------------------------------------------------- messages and barrier

// The object a message is for; the window's creation attaches it.
TWinControl* TWinControl::ObjectFor(HWND wnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (auto* self = static_cast<TWinControl*>(cs->lpCreateParams))
            self->Attach(wnd);
    }
    return FromHandle(wnd);
}

LRESULT CALLBACK TWinControl::OwnClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (TWinControl* self = ObjectFor(wnd, msg, lParam))
        return self->Dispatch(msg, wParam, lParam);
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK TWinControl::SystemClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (TWinControl* self = ObjectFor(wnd, msg, lParam))
        return self->Dispatch(msg, wParam, lParam);
    // A window already let go of by its object, on its way out.
    return CallWindowProcA(SystemProcOf(wnd), wnd, msg, wParam, lParam);
}

std::string TWinControl::SuperclassOf(const std::string& systemClass) {
    const std::string name = "Qorv" + systemClass;
    if (SystemProcs().count(name))
        return name;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(nullptr, systemClass.c_str(), &wc))
        RaiseLastOSError("Window class " + systemClass + " not found", "GetClassInfoExA");
    SystemProcs()[name] = wc.lpfnWndProc;
    wc.lpfnWndProc = SystemClassProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExA(&wc)) {
        const DWORD error = GetLastError();
        SystemProcs().erase(name);
        RaiseOSError("Cannot register window class " + name, "RegisterClassExA", error);
    }
    return name;
}

// Windows of our own with icons are of a class that carries them: the
// window server takes a class's icons as it makes the window, where each
// WM_SETICON afterwards converts both icons for it again (a millisecond each
// under Wine). One class per pair of icons, registered on first use.
std::string TWinControl::IconClassOf(HICON icon, HICON smallIcon) {
    char name[64];
    wsprintfA(name, "%s.%p.%p", kWindowClass, static_cast<void*>(icon),
              static_cast<void*>(smallIcon));
    static std::unordered_map<std::string, bool> registered;
    if (registered.count(name))
        return name;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = OwnClassProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError(std::string("Cannot register window class ") + name, "RegisterClassExA");
    registered[name] = true;
    return name;
}

namespace {
// While a start-up or an opening is timed, what each window spends painting
// and being activated is a step of its own: most of a first paint is the
// window server's and the system controls', and this shows which.
const char* TimedMessageKind(UINT msg) {
    switch (msg) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
        return "paint";
    case WM_ACTIVATE:
    case WM_NCACTIVATE:
    case WM_SETFOCUS:
        return "activation";
    default:
        return nullptr;
    }
}
} // namespace

// The one exception barrier: nothing unwinds through Windows.
LRESULT TWinControl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        std::optional<TStartupStep> step;
        if (const char* kind = TimedMessageKind(msg); kind && StartupSteps().Recording())
            step.emplace(
                (std::string(kind) + ": " + (Name().empty() ? ClassInfo().Name : Name())).c_str());
        return WndProc(msg, wParam, lParam);
    } catch (...) {
        HandleControlException();
        return 0;
    }
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!FHandle)
        return 0;
    return FSystemClass ? CallWindowProcA(FSystemProc, FHandle, msg, wParam, lParam)
                        : DefWindowProcA(FHandle, msg, wParam, lParam);
}

bool TWinControl::Reflected(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            LRESULT result = 0;
            if (child->Reflected(msg, wParam, lParam, result))
                return result;
        }
        break;
    case WM_NOTIFY:
        if (TWinControl* child = FromHandle(reinterpret_cast<NMHDR*>(lParam)->hwndFrom)) {
            LRESULT result = 0;
            if (child->Reflected(msg, wParam, lParam, result))
                return result;
        } else if (reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOA) {
            // The form's hint window asks the window of a tool for its text.
            if (TWinControl* top = TopParent(); top != this)
                return SendMessageA(top->Handle(), msg, wParam, lParam);
        }
        break;
    case WM_DRAWITEM:
        if (TWinControl* child = FromHandle(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem)) {
            LRESULT result = 0;
            if (child->Reflected(msg, wParam, lParam, result))
                return result;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = DefaultHandler(msg, wParam, lParam);
        RECT r;
        GetWindowRect(FHandle, &r);
        if (HWND parent = GetParent(FHandle);
            parent && (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD))
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        return result;
    }
    case WM_SIZE:
        AlignControls();
        break;
    case WM_NCCALCSIZE:
        if (HasBevelFrame(FBevels)) {
            const LRESULT result = DefaultHandler(msg, wParam, lParam);
            RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                             : reinterpret_cast<RECT*>(lParam);
            const TRect client = BevelClientRect({r->left, r->top, r->right, r->bottom}, FBevels);
            *r = {client.Left, client.Top, client.Right, client.Bottom};
            return result;
        }
        break;
    case WM_NCPAINT:
        if (HasBevelFrame(FBevels)) {
            const LRESULT result = DefaultHandler(msg, wParam, lParam);
            PaintBevelFrame();
            return result;
        }
        // Most of our windows have no frame: their client area is the whole
        // window. The system's handler would still ask the window server for
        // the window's region to paint nothing, a round trip per window on
        // every first paint under Wine.
        if (!FSystemClass) {
            RECT window, client;
            GetWindowRect(FHandle, &window);
            GetClientRect(FHandle, &client);
            if (window.right - window.left == client.right &&
                window.bottom - window.top == client.bottom)
                return 0;
        }
        break;
    case WM_SETFOCUS:
        DoEnter();
        break;
    case WM_KILLFOCUS:
        DoExit();
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(wParam);
        if (KeyDown(key, KeyboardShiftState()) || key == 0)
            return 0;
        wParam = key;
        break;
    }
    case WM_CHAR:
        if (FOnKeyPress) {
            char key = static_cast<char>(wParam);
            FOnKeyPress(this, key);
            if (key == 0)
                return 0;
            wParam = static_cast<unsigned char>(key);
        }
        break;
    case WM_ERASEBKGND:
        // Also asked by transparent children (a flat tool bar) for what lies
        // behind them, in their own device context.
        if (!FSystemClass) {
            RECT r;
            GetClientRect(FHandle, &r);
            FillRectColor(reinterpret_cast<HDC>(wParam), r, FColor);
            return 1;
        }
        break;
    case WM_PAINT:
        if (!FSystemClass) {
            // With a DC given (a see-through control copying us), paint into it.
            if (wParam) {
                PaintWindow(reinterpret_cast<HDC>(wParam));
                return 0;
            }
            TPaintDC dc(FHandle);
            PaintWindow(dc.Get());
            return 0;
        }
        if (PaintsBuffered() && wParam == 0)
            return PaintDoubleBuffered();
        break;
    case WM_SETCURSOR:
        if (!FSystemClass && LOWORD(lParam) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(FHandle, &p);
            TGraphicControl* g = FMouseCaptured ? FMouseControl : GraphicControlAt(p.x, p.y);
            if (HCURSOR cursor = g ? g->Cursor() : nullptr) {
                SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(wParam);
        KeyUp(key, KeyboardShiftState());
        if (key == 0)
            return 0;
        wParam = key;
        break;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
    case WM_MOUSELEAVE:
        if (FSystemClass) {
            // The system control acts first (an edit places its caret), then
            // our events see the press.
            const LRESULT result = DefaultHandler(msg, wParam, lParam);
            if (msg != WM_MOUSELEAVE)
                MouseToWindow(msg, wParam, lParam);
            return result;
        }
        if (msg == WM_MOUSEMOVE && !FMouseInside) {
            // Captured moves arrive from outside too: only a point over us enters.
            RECT r;
            GetClientRect(FHandle, &r);
            const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (PtInRect(&r, p)) {
                FMouseInside = true;
                MouseEnter();
            }
        }
        if (!MouseToGraphic(msg, lParam))
            MouseToWindow(msg, wParam, lParam);
        if (msg == WM_MOUSELEAVE && FMouseInside) {
            FMouseInside = false;
            MouseLeave();
        }
        break;
    case WM_NCDESTROY: {
        const LRESULT result = DefaultHandler(msg, wParam, lParam);
        Objects().erase(FHandle);
        FHandle = nullptr;
        return result;
    }
    default:
        break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::PaintDoubleBuffered() {
    TPaintDC paint(FHandle);
    RECT r;
    GetClientRect(FHandle, &r);
    TMemoryDC mem(paint.Get());
    TBitmapHandle bitmap(CreateCompatibleBitmap(paint.Get(), r.right, r.bottom));
    if (!mem.Get() || !bitmap) {
        // No memory for the buffer: paint straight to the screen.
        DefaultHandler(WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint.Get()), 0);
        return DefaultHandler(WM_PAINT, reinterpret_cast<WPARAM>(paint.Get()), 0);
    }
    TSelectObject select(mem.Get(), bitmap.Get());
    DefaultHandler(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem.Get()), 0);
    DefaultHandler(WM_PAINT, reinterpret_cast<WPARAM>(mem.Get()), 0);
    BitBlt(paint.Get(), 0, 0, r.right, r.bottom, mem.Get(), 0, 0, SRCCOPY);
    return 0;
}

void TWinControl::PaintWindow(HDC dc) {
    RECT r;
    GetClientRect(FHandle, &r);
    FillRectColor(dc, r, FColor);
    PaintControls(dc);
}

void TWinControl::DrawBevels(HDC dc, RECT& r, int offset, int space) const {
    if (FBevels.Kind == TBevelKind::bkNone || (FBevels.Edges & beAllEdges) == 0)
        return;
    const UINT flags = BevelFlagsOf(FBevels.Edges, FBevels.Kind, FCtl3D);
    auto inset = [&](int amount) {
        const TRect t = InsetEdges({r.left, r.top, r.right, r.bottom}, FBevels.Edges, amount);
        r = {t.Left, t.Top, t.Right, t.Bottom};
    };
    auto bevel = [&](TBevelCut cut, bool outer) {
        if (cut == TBevelCut::bvNone)
            return;
        // A space draws nothing but keeps the room the client area left it.
        if (cut == TBevelCut::bvSpace) {
            inset(FBevels.Width);
            return;
        }
        // Each pass shrinks r (BF_ADJUST) by a line; a width from form data
        // ends where the rectangle stops shrinking.
        for (int i = 0; i < FBevels.Width; ++i) {
            const RECT before = r;
            DrawEdge(dc, &r, BevelEdgeOf(cut, outer), flags);
            if (EqualRect(&before, &r) || IsRectEmpty(&r))
                break;
        }
    };
    inset(offset);
    bevel(FBevels.Outer, true);
    inset(space);
    bevel(FBevels.Inner, false);
}

void TWinControl::PaintBevelFrame() {
    TWindowDC dc(FHandle);
    if (!dc.Get())
        return;
    // Outward from the client area: what lies beyond is the system's border.
    const RECT client = ClientRectInWindow(FHandle);
    const TRect outer =
        BevelOuterRect({client.left, client.top, client.right, client.bottom}, FBevels);
    // Widths larger than the window end at its edge.
    const RECT window = WindowRectAtOrigin(FHandle);
    RECT r{std::max<int>(outer.Left, window.left), std::max<int>(outer.Top, window.top),
           std::min<int>(outer.Right, window.right), std::min<int>(outer.Bottom, window.bottom)};
    const int saved = SaveDC(dc.Get());
    ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
    FillRectColor(dc.Get(), r, FColor);
    DrawBevels(dc.Get(), r, 0, 0);
    RestoreDC(dc.Get(), saved);
}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* c : FControls)
        if (auto* g = dynamic_cast<TGraphicControl*>(c); g && g->Visible()) {
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, g->Left(), g->Top(), g->Left() + g->Width(),
                              g->Top() + g->Height());
            g->Paint(dc);
            RestoreDC(dc, saved);
        }
}

bool TWinControl::MouseToGraphic(UINT msg, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    if (msg == WM_MOUSELEAVE) {
        FTrackingLeave = false;
        if (FMouseControl && !FMouseCaptured)
            std::exchange(FMouseControl, nullptr)->MouseLeave();
        return false;
    }
    TGraphicControl* target = FMouseCaptured ? FMouseControl : GraphicControlAt(x, y);
    if (!FMouseCaptured && target != FMouseControl) {
        if (FMouseControl)
            FMouseControl->MouseLeave();
        FMouseControl = target;
        if (target)
            target->MouseEnter();
    }
    if (!FTrackingLeave) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, FHandle, 0};
        FTrackingLeave = TrackMouseEvent(&tme);
    }
    if (!target)
        return false;
    if (!target->Enabled())
        return true;
    const int cx = x - target->Left(), cy = y - target->Top();
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FMouseCaptured = true;
        SetCapture(FHandle);
        target->MouseDown(cx, cy);
        break;
    case WM_LBUTTONUP:
        FMouseCaptured = false;
        ReleaseCapture();
        target->MouseUp(cx, cy);
        break;
    case WM_MOUSEMOVE:
        target->MouseMove(cx, cy);
        break;
    default:
        break;
    }
    return true;
}

void TWinControl::MouseToWindow(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!FHandle)
        return;
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    TShiftState shift = KeyboardShiftState();
    if (wParam & MK_LBUTTON)
        shift |= ssLeft;
    if (wParam & MK_RBUTTON)
        shift |= ssRight;
    if (wParam & MK_MBUTTON)
        shift |= ssMiddle;
    TMouseButton button = TMouseButton::mbLeft;
    bool down = false;
    switch (msg) {
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        return;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (FDoubleClicks)
            shift |= ssDouble;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        down = true;
        break;
    default:
        break;
    }
    if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK || msg == WM_RBUTTONUP)
        button = TMouseButton::mbRight;
    else if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONDBLCLK || msg == WM_MBUTTONUP)
        button = TMouseButton::mbMiddle;
    // Our own windows hold the mouse from a left press to its release, so a
    // drag goes on outside them. System controls capture by themselves.
    const bool own = !FSystemClass && FCaptureMouse && button == TMouseButton::mbLeft;
    if (down) {
        if (own)
            SetCapture(FHandle);
        MouseDown(button, shift, x, y);
        return;
    }
    bool click = false;
    if (own && GetCapture() == FHandle) {
        RECT r;
        GetClientRect(FHandle, &r);
        click = PtInRect(&r, POINT{x, y});
        ReleaseCapture();
    }
    if (click)
        Click();
    if (FHandle)
        MouseUp(button, shift, x, y);
}

void TWinControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseDown)
        FOnMouseDown(this, button, shift, x, y);
}

void TWinControl::MouseMove(TShiftState shift, int x, int y) {
    if (FOnMouseMove)
        FOnMouseMove(this, shift, x, y);
}

void TWinControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseUp)
        FOnMouseUp(this, button, shift, x, y);
}

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

void TCustomControl::PaintWindow(HDC dc) {
    FCanvas.SetHandle(dc);
    struct TRelease {
        TCanvas& Canvas;
        ~TRelease() { Canvas.SetHandle(nullptr); }
    } release{FCanvas};
    Paint(dc);
    PaintControls(dc);
}

const char* QorvWindowClass() {
    return kWindowClass;
}

void RegisterControlClasses() {
    static bool registered = false;
    if (registered)
        return;
    {
        TStartupStep step("common controls");
        INITCOMMONCONTROLSEX icc{sizeof icc,
                                 ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TWinControl::OwnClassProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError(std::string("Cannot register window class ") + kWindowClass,
                         "RegisterClassExA");
    registered = true;
}
