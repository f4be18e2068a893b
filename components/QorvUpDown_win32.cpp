#include "components/QorvUpDown_win32.h"

#include <windows.h>

#include <uxtheme.h>
#include <vssym32.h>

#include "framework/StdCtrls_win32.h"
#include "framework/Variants.h"

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr int kFirstRepeat = 500;
constexpr int kNextRepeat = 100;

std::string LocaleText(LCTYPE type, const char* fallback) {
    char buffer[16] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) > 0)
        return buffer;
    return fallback;
}

// "3;2;0" as the list of its sizes.
std::vector<int> GroupingOf(const std::string& text) {
    std::vector<int> sizes;
    int value = 0;
    bool any = false;
    for (char c : text + ";") {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            any = true;
        } else if (c == ';' && any) {
            sizes.push_back(value);
            value = 0;
            any = false;
        }
    }
    return sizes;
}

const published::TEnumNames<TQorvUpDownAlignButton> kAlignButtonNames = {
    {"udUnaligned", TQorvUpDownAlignButton::udUnaligned},
    {"udLeft", TQorvUpDownAlignButton::udLeft},
    {"udRight", TQorvUpDownAlignButton::udRight}};
const published::TEnumNames<TQorvUpDownOrientation> kOrientationNames = {
    {"udHorizontal", TQorvUpDownOrientation::udHorizontal},
    {"udVertical", TQorvUpDownOrientation::udVertical}};

} // namespace

namespace {
TQorvNumberLocale& NumberLocale() {
    static TQorvNumberLocale locale{LocaleText(LOCALE_STHOUSAND, ","),
                                    LocaleText(LOCALE_SDECIMAL, "."),
                                    GroupingOf(LocaleText(LOCALE_SGROUPING, "3;0"))};
    return locale;
}
} // namespace

const TQorvNumberLocale& QorvUserNumberLocale() {
    return NumberLocale();
}

void SetQorvUserNumberLocale(const TQorvNumberLocale& locale) {
    NumberLocale() = locale;
}

const TClassInfo& TQorvCustomUpDown::StaticClass() {
    static const TClassInfo info{"TQorvCustomUpDown", &TCustomControl::StaticClass(), nullptr, {}};
    return info;
}

TQorvCustomUpDown::TQorvCustomUpDown(TComponent* owner)
    : TCustomControl(owner), TQorvUpDownValue(this), FAssociate(this) {
    FDoubleClicks = false;
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    FWidth = GetSystemMetrics(SM_CXVSCROLL);
    FHeight = arrow + arrow / 2;
    UpdateFormat();
}

TQorvCustomUpDown::~TQorvCustomUpDown() {
    SetRepeatTimer(0);
}

void TQorvCustomUpDown::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FAssociate.Removed(component);
}

// ------------------------------------------------------------ the associate

bool TQorvCustomUpDown::AssociateHasText() const {
    return dynamic_cast<TCustomEdit*>(FAssociate.Get()) != nullptr;
}

std::string TQorvCustomUpDown::AssociateText() const {
    return FAssociate.Get()->Text();
}

void TQorvCustomUpDown::SetAssociateText(const std::string& text) {
    auto* edit = static_cast<TCustomEdit*>(FAssociate.Get());
    edit->SetText(text);
    if (edit->AutoSelect() && edit->HandleAllocated())
        edit->SelectAll();
}

void TQorvCustomUpDown::SetAssociate(TWinControl* value) {
    // A button that frees before its associate leaves no notice behind.
    FAssociate.Set(value);
    AlignToAssociate();
    UpdateText();
}

void TQorvCustomUpDown::SetAlignButton(TQorvUpDownAlignButton value) {
    if (value != FAlignButton) {
        FAlignButton = value;
        AlignToAssociate();
    }
}

void TQorvCustomUpDown::AlignToAssociate() {
    TWinControl* associate = FAssociate.Get();
    if (FAlignButton == TQorvUpDownAlignButton::udUnaligned || !associate ||
        associate->Parent() != FParent)
        return;
    const int left = FAlignButton == TQorvUpDownAlignButton::udLeft
                         ? associate->Left() - FWidth
                         : associate->Left() + associate->Width();
    SetBounds(left, associate->Top(), FWidth, associate->Height());
}

void TQorvCustomUpDown::AllChildrenFlipped() {
    if (FAlignButton == TQorvUpDownAlignButton::udLeft)
        SetAlignButton(TQorvUpDownAlignButton::udRight);
    else if (FAlignButton == TQorvUpDownAlignButton::udRight)
        SetAlignButton(TQorvUpDownAlignButton::udLeft);
}

void TQorvCustomUpDown::SetOrientation(TQorvUpDownOrientation value) {
    if (value != FOrientation) {
        FOrientation = value;
        Invalidate();
    }
}

// ----------------------------------------------------------------- geometry

TRect TQorvCustomUpDown::ElementRect(TQorvUpDownElement element) const {
    const int height = FHeight, half = height / 2;
    switch (element) {
    case TQorvUpDownElement::udNext:
        return {0, 0, FWidth, half - 1};
    case TQorvUpDownElement::udDrag:
        return {0, half - 1, FWidth, half + 1};
    case TQorvUpDownElement::udPrev:
        return {0, half + 1, FWidth, height};
    case TQorvUpDownElement::udNone:
        break;
    }
    return {0, 0, 0, 0};
}

TQorvUpDownElement TQorvCustomUpDown::ElementAt(int x, int y) const {
    for (TQorvUpDownElement e :
         {TQorvUpDownElement::udPrev, TQorvUpDownElement::udNext, TQorvUpDownElement::udDrag}) {
        const TRect r = ElementRect(e);
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
            return e;
    }
    return TQorvUpDownElement::udNone;
}

// -------------------------------------------------------------------- mouse

void TQorvCustomUpDown::SetHot(TQorvUpDownElement element) {
    if (element == FHot)
        return;
    FHot = element;
    Invalidate();
    ::SetCursor(LoadCursor(nullptr, FHot == TQorvUpDownElement::udDrag ? IDC_SIZENS : IDC_ARROW));
}

void TQorvCustomUpDown::StepPressed() {
    Step(FPressed == TQorvUpDownElement::udNext ? 1 : -1);
}

void TQorvCustomUpDown::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    FHot = ElementAt(x, y);
    if (button != TMouseButton::mbLeft || !FEnabled || FPressed == FHot)
        return;
    FPressed = FHot;
    Invalidate();
    if (FPressed == TQorvUpDownElement::udPrev || FPressed == TQorvUpDownElement::udNext) {
        StepPressed();
        SetRepeatTimer(kFirstRepeat);
    }
    FAnchor = {x, y};
    ClientToScreen(Handle(), &FAnchor);
}

void TQorvCustomUpDown::MouseMove(TShiftState shift, int x, int y) {
    TCustomControl::MouseMove(shift, x, y);
    SetHot(ElementAt(x, y));
    if (FPressed != TQorvUpDownElement::udDrag)
        return;
    POINT p{x, y};
    ClientToScreen(Handle(), &p);
    Step(FAnchor.y - p.y); // one increment per pixel upwards
    FAnchor = p;
    // At the screen's top or bottom row the pointer moves to the other, so
    // that the drag can go on.
    const int bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
    if (p.y == 0 || p.y == bottom) {
        FAnchor.y = p.y == 0 ? bottom : 0;
        SetCursorPos(FAnchor.x, FAnchor.y);
    }
}

void TQorvCustomUpDown::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    SetRepeatTimer(0);
    TCustomControl::MouseUp(button, shift, x, y);
    FHot = ElementAt(x, y);
    if (FPressed == TQorvUpDownElement::udNone)
        return;
    if (FPressed == FHot)
        ElementClick(FHot);
    FPressed = TQorvUpDownElement::udNone;
    Invalidate();
}

void TQorvCustomUpDown::ElementClick(TQorvUpDownElement element) {
    if (FOnClickElement)
        FOnClickElement(this, element);
}

void TQorvCustomUpDown::MouseEnter() {
    TCustomControl::MouseEnter();
    if (ThemesEnabled() || (FHot == TQorvUpDownElement::udNone && FEnabled && !GetCapture()))
        Invalidate();
}

void TQorvCustomUpDown::MouseLeave() {
    TCustomControl::MouseLeave();
    if (ThemesEnabled() || (FHot != TQorvUpDownElement::udNone && FEnabled)) {
        FHot = TQorvUpDownElement::udNone;
        Invalidate();
    }
}

void TQorvCustomUpDown::SetRepeatTimer(int interval) {
    if (FRepeatInterval > 0) {
        if (HandleAllocated())
            KillTimer(Handle(), kRepeatTimer);
        FRepeatInterval = 0;
    }
    if (interval > 0 && HandleAllocated() && SetTimer(Handle(), kRepeatTimer, interval, nullptr))
        FRepeatInterval = interval;
}

LRESULT TQorvCustomUpDown::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kRepeatTimer) {
        // The pointer off the pressed arrow pauses the repeat, the timer runs on.
        if (FPressed == FHot &&
            (FPressed == TQorvUpDownElement::udPrev || FPressed == TQorvUpDownElement::udNext)) {
            StepPressed();
            if (FRepeatInterval > kNextRepeat)
                SetRepeatTimer(kNextRepeat);
        }
        return 0;
    }
    if (msg == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT && FHot == TQorvUpDownElement::udDrag) {
        ::SetCursor(LoadCursor(nullptr, IDC_SIZENS));
        return TRUE;
    }
    if (msg == WM_CAPTURECHANGED && !FReleasing && reinterpret_cast<HWND>(lParam) != Handle()) {
        // The mouse was taken from us mid-press (a message box, a menu): no
        // release will come, and the repeat must not run on by itself.
        SetRepeatTimer(0);
        if (FPressed != TQorvUpDownElement::udNone) {
            FPressed = TQorvUpDownElement::udNone;
            Invalidate();
        }
    }
    if (msg == WM_LBUTTONUP) {
        // Our own release of the capture comes before MouseUp.
        struct TGuard {
            bool& Flag;
            ~TGuard() { Flag = false; }
        } guard{FReleasing = true};
        return TCustomControl::WndProc(msg, wParam, lParam);
    }
    return TCustomControl::WndProc(msg, wParam, lParam);
}

// ----------------------------------------------------------------- painting

void TQorvCustomUpDown::Paint(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    FillRectColor(dc, client, clWhite);
    using E = TQorvUpDownElement;
    enum TState { sNormal, sHot, sPressed, sDisabled };
    auto state = [&](E e) {
        if (!FEnabled)
            return sDisabled;
        if (FHot == e && FPressed == e)
            return sPressed;
        if (FHot == e && FPressed == E::udNone)
            return sHot;
        return sNormal;
    };
    auto rectOf = [&](E e) {
        const TRect r = ElementRect(e);
        return RECT{r.Left, r.Top, r.Right, r.Bottom};
    };
    RECT up = rectOf(E::udNext), down = rectOf(E::udPrev), strip = rectOf(E::udDrag);
    HTHEME theme = ThemesEnabled() ? OpenThemeData(Handle(), L"SPIN") : nullptr;
    if (theme) {
        static const int upStates[] = {UPS_NORMAL, UPS_HOT, UPS_PRESSED, UPS_DISABLED};
        static const int downStates[] = {DNS_NORMAL, DNS_HOT, DNS_PRESSED, DNS_DISABLED};
        DrawThemeBackground(theme, dc, SPNP_UP, upStates[state(E::udNext)], &up, nullptr);
        DrawThemeBackground(theme, dc, SPNP_DOWN, downStates[state(E::udPrev)], &down, nullptr);
        CloseThemeData(theme);
        InflateRect(&strip, -1, 0);
    } else {
        static const UINT flags[] = {0, DFCS_HOT, DFCS_PUSHED, DFCS_INACTIVE};
        DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | flags[state(E::udNext)]);
        DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | flags[state(E::udPrev)]);
    }
    FillRectColor(dc, strip,
                  FEnabled ? colors::RGBColor(0x60, 0x60, 0x60)
                           : colors::RGBColor(0xC8, 0xC8, 0xC8));
}

// ---------------------------------------------------------------- published

const TClassInfo& TQorvUpDown::StaticClass() {
    static const TClassInfo info = [] {
        TClassInfo c{
            "TQorvUpDown",
            &TQorvCustomUpDown::StaticClass(),
            CreateComponent<TQorvUpDown>,
            {
                EnumProp("AlignButton", &TQorvUpDown::SetAlignButton, kAlignButtonNames, "udRight"),
                BoolProp("ArrowKeys", &TQorvUpDown::SetArrowKeys, "True"),
                RefProp("Associate", &TQorvUpDown::SetAssociate),
                IntProp<TQorvUpDown, int>("Decimals", &TQorvUpDown::SetDecimals, "-1"),
                FloatProp<TQorvUpDown>("Increment", &TQorvUpDown::SetIncrement),
                FloatProp<TQorvUpDown>("Max", &TQorvUpDown::SetMax),
                FloatProp<TQorvUpDown>("Min", &TQorvUpDown::SetMin),
                EnumProp("Orientation", &TQorvUpDown::SetOrientation, kOrientationNames,
                         "udVertical"),
                FloatProp<TQorvUpDown>("Position", &TQorvUpDown::SetPosition),
                BoolProp<TQorvUpDown>("Thousands", &TQorvUpDown::SetThousands, "True"),
                BoolProp<TQorvUpDown>("Wrap", &TQorvUpDown::SetWrap, "False"),
                EventProp<TQorvUpDown, TQorvUpDownChangingEvent>("OnChanging",
                                                                 &TQorvUpDown::SetOnChanging),
                EventProp("OnClick", &TQorvUpDown::SetOnClick),
                EventProp<TQorvUpDown, TQorvUpDownFormatValueEvent>("OnFormatValue",
                                                                    &TQorvUpDown::SetOnFormatValue),
            }};
        // Of the common properties only those a spin button has a use for.
        for (TPropInfo& p : WinControlCommonProps())
            if (p.Name == "Cursor" || p.Name == "ParentShowHint" || p.Name == "PopupMenu" ||
                p.Name.starts_with("Constraints.") || p.Name.starts_with("Help") ||
                p.Name == "OnContextPopup" || p.Name == "OnMouseActivate")
                c.Props.push_back(std::move(p));
        for (TPropInfo& p : ControlMarginsProps())
            c.Props.push_back(std::move(p));
        return c;
    }();
    return info;
}

void RegisterQorvUpDown() {
    RegisterComponentClass(TQorvUpDown::StaticClass());
}
