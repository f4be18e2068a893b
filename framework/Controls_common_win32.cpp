// The properties every control has beyond position and text, and what makes
// them visible: the parent's colour, font, bidi mode and hint switch passed
// down, size limits, cursor, popup menu and mouse activation, help data, and
// dragging and docking with the mouse.
#include <windows.h>

#include <optional>

#include "framework/Controls_win32.h"
#include "framework/Menus_win32.h"
#include "framework/Published.h"

namespace {

const published::TEnumNames<int> kCursorNames = {
    {"crDefault", crDefault},     {"crNone", crNone},           {"crArrow", crArrow},
    {"crCross", crCross},         {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW},
    {"crSizeNS", crSizeNS},       {"crSizeNWSE", crSizeNWSE},   {"crSizeWE", crSizeWE},
    {"crUpArrow", crUpArrow},     {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
    {"crNoDrop", crNoDrop},       {"crHSplit", crHSplit},       {"crVSplit", crVSplit},
    {"crMultiDrag", crMultiDrag}, {"crSQLWait", crSQLWait},     {"crNo", crNo},
    {"crAppStart", crAppStart},   {"crHelp", crHelp},           {"crHandPoint", crHandPoint},
    {"crSizeAll", crSizeAll}};
const published::TEnumNames<int> kCharsetNames = {
    {"ANSI_CHARSET", ANSI_CHARSET},     {"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET}, {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
    {"GB2312_CHARSET", GB2312_CHARSET}, {"HANGEUL_CHARSET", HANGEUL_CHARSET},
    {"GREEK_CHARSET", GREEK_CHARSET},   {"TURKISH_CHARSET", TURKISH_CHARSET},
    {"HEBREW_CHARSET", HEBREW_CHARSET}, {"ARABIC_CHARSET", ARABIC_CHARSET},
    {"BALTIC_CHARSET", BALTIC_CHARSET}, {"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
    {"THAI_CHARSET", THAI_CHARSET},     {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
    {"OEM_CHARSET", OEM_CHARSET}};
const published::TEnumNames<TDragKind> kDragKindNames = {{"dkDrag", TDragKind::dkDrag},
                                                         {"dkDock", TDragKind::dkDock}};
const published::TEnumNames<TDragMode> kDragModeNames = {{"dmManual", TDragMode::dmManual},
                                                         {"dmAutomatic", TDragMode::dmAutomatic}};
const published::TEnumNames<THelpType> kHelpTypeNames = {{"htKeyword", THelpType::htKeyword},
                                                         {"htContext", THelpType::htContext}};

// A value form data may write by name or by number.
int AsIntOrName(const std::string& prop, const TFormValue& v,
                const published::TEnumNames<int>& names) {
    return v.Kind == TValueKind::Integer ? published::AsInt(prop, v)
                                         : published::AsEnum(prop, v, names);
}

// A cursor by name or by number (a program's own cursors count up from 1).
TPropInfo CursorProp(std::string name, void (TWinControl::*set)(TCursor), std::string def) {
    return {name, std::move(def), [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                (static_cast<TWinControl&>(c).*set)(AsIntOrName(name, v, kCursorNames));
            }};
}

// One part of the font: the control's font is copied, changed and written
// back, which ends ParentFont as writing it in code does.
template <class Change>
TPropInfo FontProp(std::string name, std::string def, Change change) {
    return {name, std::move(def), [name, change](TComponent& c, const TFormValue& v, TFormFixups&) {
                auto& control = static_cast<TWinControl&>(c);
                TControlFont font = control.Font();
                change(font, name, v);
                control.SetFont(font);
            }};
}

TPropInfo ConstraintProp(std::string name, int TSizeConstraints::*field) {
    return {name, "0", [name, field](TComponent& c, const TFormValue& v, TFormFixups&) {
                auto& control = static_cast<TControl&>(c);
                TSizeConstraints limits = control.Constraints();
                const int value = published::AsInt(name, v);
                if (value < 0)
                    published::WrongKind(name, v, "a size of 0 or more");
                limits.*field = value;
                control.SetConstraints(limits);
            }};
}

TPropInfo MarginProp(std::string name, int TControlMargins::*field) {
    return {name, "3", [name, field](TComponent& c, const TFormValue& v, TFormFixups&) {
                auto& control = static_cast<TControl&>(c);
                TControlMargins margins = control.Margins();
                margins.*field = published::AsInt(name, v);
                control.SetMargins(margins);
            }};
}

} // namespace

const std::vector<std::pair<std::string, unsigned>>& FontStyleNames() {
    static const std::vector<std::pair<std::string, unsigned>> names{{"fsBold", fsBold},
                                                                     {"fsItalic", fsItalic},
                                                                     {"fsUnderline", fsUnderline},
                                                                     {"fsStrikeOut", fsStrikeOut}};
    return names;
}

HCURSOR CursorHandle(TCursor cursor) {
    const char* id = nullptr;
    switch (cursor) {
    case crArrow:
    case crDrag: // no pointer of its own: the arrow stands for it
    case crMultiDrag:
        id = IDC_ARROW;
        break;
    case crCross:
        id = IDC_CROSS;
        break;
    case crIBeam:
        id = IDC_IBEAM;
        break;
    case crSizeNESW:
        id = IDC_SIZENESW;
        break;
    case crSizeNS:
    case crVSplit:
        id = IDC_SIZENS;
        break;
    case crSizeNWSE:
        id = IDC_SIZENWSE;
        break;
    case crSizeWE:
    case crHSplit:
        id = IDC_SIZEWE;
        break;
    case crUpArrow:
        id = IDC_UPARROW;
        break;
    case crHourGlass:
    case crSQLWait:
        id = IDC_WAIT;
        break;
    case crNoDrop:
    case crNo:
        id = IDC_NO;
        break;
    case crAppStart:
        id = IDC_APPSTARTING;
        break;
    case crHelp:
        id = IDC_HELP;
        break;
    case crHandPoint:
        id = IDC_HAND;
        break;
    case crSizeAll:
        id = IDC_SIZEALL;
        break;
    default:
        return nullptr;
    }
    return LoadCursorA(nullptr, id);
}

// ------------------------------------------------ TControl: what it inherits

bool TControl::ShowHint() const {
    return FParentShowHint && FParent ? FParent->ShowHint() : FShowHint;
}

void TControl::SetShowHint(bool v) {
    FShowHint = v;
    FParentShowHint = false;
}

void TControl::SetParentColor(bool value) {
    FParentColor = value;
    TakeParentStyle();
}

void TControl::SetParentBiDiMode(bool value) {
    FParentBiDiMode = value;
    TakeParentStyle();
}

void TControl::TakeParentStyle() {
    if (!FParent)
        return;
    bool changed = false;
    if (FParentColor && FColor != FParent->Color()) {
        FColor = FParent->Color();
        ColorChanged();
        changed = true;
    }
    if (FParentBiDiMode && FBiDiMode != FParent->BiDiMode()) {
        FBiDiMode = FParent->BiDiMode();
        BiDiModeChanged();
        changed = true;
    }
    if (auto* w = dynamic_cast<TWinControl*>(this); w && changed)
        for (TControl* c : w->Controls())
            c->TakeParentStyle();
}

// ------------------------------------------------------------ size limits

void TControl::SetConstraints(const TSizeConstraints& value) {
    if (FConstraints == value)
        return;
    FConstraints = value;
    // The current size may lie outside the new limits.
    int width = FWidth, height = FHeight;
    if (CheckNewSize(width, height))
        ChangeBounds(FLeft, FTop, width, height);
}

bool TControl::CheckNewSize(int& width, int& height) {
    int w = width, h = height;
    bool resize = true;
    if (FOnCanResize && !Loading())
        FOnCanResize(this, w, h, resize);
    if (!resize)
        return false;
    TSizeConstraints limits = FConstraints;
    if (FOnConstrainedResize && !Loading())
        FOnConstrainedResize(this, limits.MinWidth, limits.MinHeight, limits.MaxWidth,
                             limits.MaxHeight);
    if (limits.MaxWidth > 0 && w > limits.MaxWidth)
        w = limits.MaxWidth;
    if (limits.MinWidth > 0 && w < limits.MinWidth)
        w = limits.MinWidth;
    if (limits.MaxHeight > 0 && h > limits.MaxHeight)
        h = limits.MaxHeight;
    if (limits.MinHeight > 0 && h < limits.MinHeight)
        h = limits.MinHeight;
    width = w;
    height = h;
    return true;
}

void TControl::SetAlignWithMargins(bool value) {
    if (FAlignWithMargins != value) {
        FAlignWithMargins = value;
        if (FParent && FAlign != TAlign::alNone)
            FParent->AlignControls();
    }
}

void TControl::SetMargins(const TControlMargins& value) {
    FMargins = value;
    if (FParent && FAlign != TAlign::alNone && FAlignWithMargins)
        FParent->AlignControls();
}

// ------------------------------------------------------------------ font

void TWinControl::SetFont(const TControlFont& font) {
    const bool same = !FParentFont && FFont == font;
    FParentFont = false;
    if (same)
        return;
    FFont = font;
    FFontHandle.Reset();
    ApplyFont();
}

void TWinControl::SetParentFont(bool value) {
    if (FParentFont == value)
        return;
    FParentFont = value;
    FFontHandle.Reset();
    ApplyFont();
}

HFONT TWinControl::CurrentFont() {
    if (FParentFont)
        return FParent ? FParent->CurrentFont() : ControlFont();
    if (!FFontHandle) {
        LOGFONTA lf{};
        if (FFont.Height != 0) {
            lf.lfHeight = FFont.Height;
        } else {
            TScreenDC screen;
            lf.lfHeight = -MulDiv(FFont.Size, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
        }
        lf.lfWeight = (FFont.Style & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FFont.Style & fsItalic) != 0;
        lf.lfUnderline = (FFont.Style & fsUnderline) != 0;
        lf.lfStrikeOut = (FFont.Style & fsStrikeOut) != 0;
        lf.lfCharSet = static_cast<BYTE>(FFont.Charset);
        lstrcpynA(lf.lfFaceName, FFont.Name.c_str(), LF_FACESIZE);
        FFontHandle.Reset(CreateFontIndirectA(&lf));
    }
    return FFontHandle.Get();
}

TColor TWinControl::CurrentFontColor() const {
    if (FParentFont)
        return FParent ? FParent->CurrentFontColor() : clWindowText;
    return FFont.Color;
}

void TWinControl::ApplyFont() {
    if (FHandle)
        if (HFONT font = CurrentFont())
            SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    FontChanged();
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FParentFont)
            w->ApplyFont();
}

// ---------------------------------------------------------- help, menus

void TWinControl::SetHelpKeyword(const std::string& v) {
    FHelpKeyword = v;
    FHelpType = THelpType::htKeyword;
}

void TWinControl::SetHelpContext(int v) {
    FHelpContext = v;
    FHelpType = THelpType::htContext;
}

void TWinControl::SetPopupMenu(TPopupMenu* menu) {
    FPopupMenu.Set(menu);
}

void TWinControl::Notification(TComponent* component, TOperation operation) {
    TControl::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FPopupMenu.Removed(component);
}

LRESULT TWinControl::WmContextMenu(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != FHandle)
        return DefaultHandler(msg, wParam, lParam); // a child's, passed up
    POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const bool keyboard = screen.x == -1 && screen.y == -1;
    POINT client = screen;
    if (keyboard) {
        client = {0, 0};
        screen = client;
        ClientToScreen(FHandle, &screen);
    } else {
        ScreenToClient(FHandle, &client);
    }
    bool handled = false;
    if (FOnContextPopup)
        FOnContextPopup(this, keyboard ? POINT{-1, -1} : client, handled);
    if (handled)
        return 0;
    if (TPopupMenu* menu = FPopupMenu.Get()) {
        menu->Popup(screen.x, screen.y, FHandle);
        return 0;
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::WmMouseActivate(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!FOnMouseActivate)
        return DefaultHandler(msg, wParam, lParam);
    const UINT mouse = HIWORD(lParam);
    const TMouseButton button = mouse == WM_RBUTTONDOWN   ? TMouseButton::mbRight
                                : mouse == WM_MBUTTONDOWN ? TMouseButton::mbMiddle
                                                          : TMouseButton::mbLeft;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(FHandle, &p);
    TMouseActivate answer = TMouseActivate::maDefault;
    FOnMouseActivate(this, button, KeyboardShiftState(), p.x, p.y,
                     static_cast<short>(LOWORD(lParam)), answer);
    switch (answer) {
    case TMouseActivate::maActivate:
        return MA_ACTIVATE;
    case TMouseActivate::maActivateAndEat:
        return MA_ACTIVATEANDEAT;
    case TMouseActivate::maNoActivate:
        return MA_NOACTIVATE;
    case TMouseActivate::maNoActivateAndEat:
        return MA_NOACTIVATEANDEAT;
    case TMouseActivate::maDefault:
        break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

// ------------------------------------------------------ drag and dock

// The one drag that runs, held by the control that started it. It lives
// between a press and its release on the GUI thread; the source keeps the
// mouse meanwhile.
class TDragOperation {
public:
    TWinControl* Source = nullptr;
    TDragKind Kind = TDragKind::dkDrag;
    TWinControl* Target = nullptr;
    bool Accepted = false;

    static std::optional<TDragOperation>& Current() {
        static std::optional<TDragOperation> drag;
        return drag;
    }

    // The control under a screen point that takes part: for a drag the
    // nearest with OnDragOver, for a dock the nearest dock site, never the
    // dragged control nor one inside it.
    TWinControl* TargetAt(POINT screen) const {
        TWinControl* found = nullptr;
        for (HWND wnd = WindowFromPoint(screen); wnd && !found; wnd = GetParent(wnd))
            found = TWinControl::FromHandle(wnd);
        for (TWinControl* c = found; c; c = c->Parent()) {
            if (Kind == TDragKind::dkDock && Inside(c, Source))
                return nullptr;
            if (Kind == TDragKind::dkDrag ? static_cast<bool>(c->FOnDragOver) : c->DockSite())
                return c;
        }
        return nullptr;
    }

    static bool Inside(TWinControl* c, TWinControl* outer) {
        for (; c; c = c->Parent())
            if (c == outer)
                return true;
        return false;
    }

    static POINT ClientPoint(TWinControl* c, POINT screen) {
        if (c->HandleAllocated())
            ScreenToClient(c->Handle(), &screen);
        return screen;
    }

    // Asks the control under `screen` whether it takes the drop.
    void MoveTo(POINT screen) {
        TWinControl* over = TargetAt(screen);
        TDragState state = TDragState::dsDragMove;
        if (over != Target) {
            if (Target)
                Ask(Target, screen, TDragState::dsDragLeave);
            Target = over;
            state = TDragState::dsDragEnter;
        }
        Accepted = Target && Ask(Target, screen, state);
        ::SetCursor(CursorHandle(Accepted ? Source->DragCursor() : crNoDrop));
    }

    bool Ask(TWinControl* target, POINT screen, TDragState state) {
        const POINT p = ClientPoint(target, screen);
        if (Kind == TDragKind::dkDrag) {
            bool accept = false;
            target->FOnDragOver(target, Source, p.x, p.y, state, accept);
            return accept;
        }
        bool accept = true;
        if (state == TDragState::dsDragEnter && target->FOnGetSiteInfo) {
            TRect influence = target->BoundsRect();
            target->FOnGetSiteInfo(target, Source, influence, p, accept);
        }
        if (target->FOnDockOver && state != TDragState::dsDragLeave)
            target->FOnDockOver(target, Source, p.x, p.y, state, accept);
        return accept;
    }

    // Ends the drag over `screen`: the accepting control takes the drop,
    // then the source hears where it ended (nowhere when cancelled).
    void Finish(POINT screen, bool drop) {
        TWinControl* target = drop && Accepted ? Target : nullptr;
        if (!target && Target)
            Ask(Target, screen, TDragState::dsDragLeave);
        const POINT p = target ? ClientPoint(target, screen) : POINT{0, 0};
        if (Kind == TDragKind::dkDrag) {
            if (target && target->FOnDragDrop)
                target->FOnDragDrop(target, Source, p.x, p.y);
            if (Source->FOnEndDrag)
                Source->FOnEndDrag(Source, target, p.x, p.y);
            return;
        }
        if (target) {
            bool allow = true;
            if (TWinControl* host = Source->Parent(); host && host->FOnUnDock)
                host->FOnUnDock(host, Source, target, allow);
            if (!allow) {
                target = nullptr;
            } else {
                target->DockClient(Source);
                Source->SetBounds(p.x, p.y, Source->Width(), Source->Height());
                if (target->FOnDockDrop)
                    target->FOnDockDrop(target, Source, p.x, p.y);
            }
        }
        if (Source->FOnEndDock)
            Source->FOnEndDock(Source, target, p.x, p.y);
    }
};

bool TWinControl::Dragging() const {
    const auto& drag = TDragOperation::Current();
    return drag && drag->Source == this;
}

void TWinControl::BeginDrag() {
    auto& drag = TDragOperation::Current();
    if (drag || !HandleAllocated())
        return;
    drag = TDragOperation{this, FDragKind};
    TObject* dragObject = nullptr;
    const TStartDragEvent& start = FDragKind == TDragKind::dkDock ? FOnStartDock : FOnStartDrag;
    if (start)
        start(this, dragObject);
    if (Dragging()) // the handler may have ended it
        SetCapture(FHandle);
}

void TWinControl::CancelDrag() {
    auto& drag = TDragOperation::Current();
    if (!drag || drag->Source != this)
        return;
    TDragOperation ending = *drag;
    drag.reset();
    if (GetCapture() == FHandle)
        ReleaseCapture();
    POINT p;
    GetCursorPos(&p);
    ending.Finish(p, false);
}

bool TWinControl::DragMouse(UINT msg, LPARAM lParam) {
    auto& drag = TDragOperation::Current();
    if (!drag || drag->Source != this)
        return false;
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(FHandle, &p);
    switch (msg) {
    case WM_MOUSEMOVE:
        drag->MoveTo(p);
        break;
    case WM_LBUTTONUP: {
        drag->MoveTo(p);
        TDragOperation ending = *drag;
        drag.reset(); // before the capture goes, which would cancel it
        ReleaseCapture();
        ending.Finish(p, true);
        break;
    }
    case WM_RBUTTONDOWN:
        CancelDrag();
        break;
    default:
        break;
    }
    return true;
}

void TWinControl::LeaveDrag() {
    auto& drag = TDragOperation::Current();
    if (!drag)
        return;
    if (drag->Source == this)
        drag.reset();
    else if (drag->Target == this)
        drag->Target = nullptr, drag->Accepted = false;
}

// ------------------------------------------------------------- published

std::vector<TPropInfo> WinControlCommonProps() {
    using W = TWinControl;
    return {
        CursorProp("Cursor", &W::SetCursor, "crDefault"),
        CursorProp("DragCursor", &W::SetDragCursor, "crDrag"),
        EnumProp("DragKind", &W::SetDragKind, kDragKindNames, "dkDrag"),
        EnumProp("DragMode", &W::SetDragMode, kDragModeNames, "dmManual"),
        FontProp("Font.Charset", "DEFAULT_CHARSET",
                 [](TControlFont& f, const std::string& name, const TFormValue& v) {
                     f.Charset = AsIntOrName(name, v, kCharsetNames);
                 }),
        FontProp("Font.Color", "clWindowText",
                 [](TControlFont& f, const std::string& name, const TFormValue& v) {
                     f.Color = AsColor(name, v);
                 }),
        FontProp("Font.Height", "",
                 [](TControlFont& f, const std::string& name, const TFormValue& v) {
                     f.Height = published::AsInt(name, v);
                 }),
        FontProp("Font.Name", "MS Sans Serif",
                 [](TControlFont& f, const std::string& name, const TFormValue& v) {
                     f.Name = published::Expect(name, v, TValueKind::String, "a string").Str;
                 }),
        FontProp("Font.Size", "8",
                 [](TControlFont& f, const std::string& name, const TFormValue& v) {
                     f.Size = published::AsInt(name, v);
                     f.Height = 0;
                 }),
        FontProp("Font.Style", "[]",
                 [](TControlFont& f, const std::string& name, const TFormValue& v) {
                     f.Style = published::AsSet(name, v, FontStyleNames());
                 }),
        BoolProp("ParentFont", &W::SetParentFont, "True"),
        BoolProp("ParentColor", &TControl::SetParentColor, "False"),
        BoolProp("ParentShowHint", &TControl::SetParentShowHint, "True"),
        BoolProp("ParentBiDiMode", &TControl::SetParentBiDiMode, "True"),
        RefProp<W, TPopupMenu>("PopupMenu", &W::SetPopupMenu),
        ConstraintProp("Constraints.MaxHeight", &TSizeConstraints::MaxHeight),
        ConstraintProp("Constraints.MaxWidth", &TSizeConstraints::MaxWidth),
        ConstraintProp("Constraints.MinHeight", &TSizeConstraints::MinHeight),
        ConstraintProp("Constraints.MinWidth", &TSizeConstraints::MinWidth),
        EnumProp("HelpType", &W::SetHelpType, kHelpTypeNames, "htContext"),
        StrProp("HelpKeyword", &W::SetHelpKeyword),
        IntProp("HelpContext", &W::SetHelpContext, "0"),
        EventProp("OnCanResize", &TControl::SetOnCanResize),
        EventProp("OnConstrainedResize", &TControl::SetOnConstrainedResize),
        EventProp("OnContextPopup", &W::SetOnContextPopup),
        EventProp("OnMouseActivate", &W::SetOnMouseActivate),
        EventProp("OnDragDrop", &W::SetOnDragDrop),
        EventProp("OnDragOver", &W::SetOnDragOver),
        EventProp("OnStartDrag", &W::SetOnStartDrag),
        EventProp("OnEndDrag", &W::SetOnEndDrag),
        EventProp("OnDockDrop", &W::SetOnDockDrop),
        EventProp("OnDockOver", &W::SetOnDockOver),
        EventProp("OnStartDock", &W::SetOnStartDock),
        EventProp("OnEndDock", &W::SetOnEndDock),
        EventProp("OnGetSiteInfo", &W::SetOnGetSiteInfo),
        EventProp("OnUnDock", &W::SetOnUnDock),
    };
}

std::vector<TPropInfo> ControlMarginsProps() {
    return {
        BoolProp("AlignWithMargins", &TControl::SetAlignWithMargins, "False"),
        MarginProp("Margins.Left", &TControlMargins::Left),
        MarginProp("Margins.Top", &TControlMargins::Top),
        MarginProp("Margins.Right", &TControlMargins::Right),
        MarginProp("Margins.Bottom", &TControlMargins::Bottom),
    };
}
