#include "components/QorvPanel_win32.h"

#include <uxtheme.h>

#include "framework/Forms_win32.h"
#include "framework/Published.h"

static_assert(edge::RaisedOuter == BDR_RAISEDOUTER && edge::SunkenOuter == BDR_SUNKENOUTER &&
              edge::RaisedInner == BDR_RAISEDINNER && edge::SunkenInner == BDR_SUNKENINNER);
static_assert(edge::Left == BF_LEFT && edge::Top == BF_TOP && edge::Right == BF_RIGHT &&
              edge::Bottom == BF_BOTTOM && edge::Soft == BF_SOFT && edge::Adjust == BF_ADJUST &&
              edge::Flat == BF_FLAT && edge::Mono == BF_MONO);

namespace {
// The themed ring's element: the combo box frame, whole control, in its
// normal and disabled states.
constexpr int kRingPart = 0, kRingNormal = 2, kRingDisabled = 4;

class TThemeData {
public:
    TThemeData(HWND wnd, const wchar_t* classes) : FTheme(OpenThemeData(wnd, classes)) {}
    ~TThemeData() {
        if (FTheme)
            CloseThemeData(FTheme);
    }
    TThemeData(const TThemeData&) = delete;
    TThemeData& operator=(const TThemeData&) = delete;
    HTHEME Get() const { return FTheme; }

private:
    HTHEME FTheme;
};

RECT ToRECT(const TRect& r) {
    return {r.Left, r.Top, r.Right, r.Bottom};
}
TRect ToTRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

const published::TEnumNames<TAlignment> kAlignmentNames = {
    {"taLeftJustify", TAlignment::taLeftJustify},
    {"taRightJustify", TAlignment::taRightJustify},
    {"taCenter", TAlignment::taCenter}};
const published::TEnumNames<TBorderStyle> kBorderNames = {{"bsNone", TBorderStyle::bsNone},
                                                          {"bsSingle", TBorderStyle::bsSingle}};
} // namespace

// ------------------------------------------------------------ TQorvCustomPanel

const TClassInfo& TQorvCustomPanel::StaticClass() {
    static const TClassInfo info{"TQorvCustomPanel", &TQorvControl::StaticClass(), nullptr, {}};
    return info;
}

TQorvCustomPanel::TQorvCustomPanel(TComponent* owner)
    : TQorvControl(owner), FMargins(new TQorvMargins(this)) {
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque |
                    csDoubleClicks | csReplicatable | csNeedsBorderPaint);
    FWidth = 185;
    FHeight = 41;
    FColor = clBtnFace;
    SetUseDockManager(true);
    FMargins->SetOnChange([this](TObject*) { BorderChanged(); });
}

TQorvCustomPanel::~TQorvCustomPanel() {
    delete FMargins;
}

TQorvPanelFrame TQorvCustomPanel::Frame() const {
    TQorvPanelFrame f;
    f.Border =
        QorvPanelBorderOf(FBorderStyle == TBorderStyle::bsSingle, Ctl3D(), NewStyleControls());
    f.Bevel = BevelFrame();
    f.BevelOffset = FBevelOffset;
    f.BevelSpace = FBevelSpace;
    return f;
}

void TQorvCustomPanel::SetAlignment(TAlignment value) {
    if (FAlignment != value) {
        FAlignment = value;
        Invalidate();
    }
}

void TQorvCustomPanel::SetBevelOffset(int value) {
    ChangeFrame(FBevelOffset, value);
}

void TQorvCustomPanel::SetBevelSpace(int value) {
    ChangeFrame(FBevelSpace, value);
}

void TQorvCustomPanel::SetBorderStyle(TBorderStyle value) {
    if (FBorderStyle == value)
        return;
    FBorderStyle = value;
    if (value == TBorderStyle::bsSingle)
        SetControlStyle(ControlStyle() | csNeedsBorderPaint);
    else
        SetControlStyle(ControlStyle() & ~csNeedsBorderPaint);
    RecreateWnd();
}

void TQorvCustomPanel::SetDisableBorders(bool value) {
    if (FDisableBorders == value)
        return;
    FDisableBorders = value;
    if (ThemesEnabled() && (ControlStyle() & csNeedsBorderPaint))
        PaintNonClient(false);
}

void TQorvCustomPanel::SetTransparent(bool value) {
    if (FTransparent == value)
        return;
    FTransparent = value;
    if (ParentBackground())
        Invalidate();
    else
        SetParentBackground(true);
}

void TQorvCustomPanel::SetEnabled(bool enabled) {
    TQorvControl::SetEnabled(enabled);
    if (ThemesEnabled() && (ControlStyle() & csNeedsBorderPaint) && FDisableBorders)
        PaintNonClient(false);
}

bool TQorvCustomPanel::CanAutoSize(int& width, int& height) {
    return !FDocking && TQorvControl::CanAutoSize(width, height);
}

void TQorvCustomPanel::DockClient(TControl* client) {
    if (!AutoSize()) {
        TQorvControl::DockClient(client);
        return;
    }
    struct TDocking {
        bool& Flag;
        ~TDocking() { Flag = false; }
    } docking{FDocking = true};
    // An empty panel takes the docked control's size on its aligned side,
    // growing from the edge it is aligned to.
    switch (Align()) {
    case TAlign::alTop:
        if (Height() == 0)
            SetHeight(client->Height());
        break;
    case TAlign::alBottom:
        if (Height() == 0)
            SetBounds(Left(), Top() - client->Height(), Width(), client->Height());
        break;
    case TAlign::alLeft:
        if (Width() == 0)
            SetWidth(client->Width());
        break;
    case TAlign::alRight:
        if (Width() == 0)
            SetBounds(Left() - client->Width(), Top(), client->Width(), Height());
        break;
    default:
        break;
    }
    TQorvControl::DockClient(client);
}

void TQorvCustomPanel::CreateParams(TCreateParams& params) {
    TQorvControl::CreateParams(params);
    // Our window class has no CS_HREDRAW or CS_VREDRAW: a resize repaints
    // the whole panel only when FullRepaint asks for it.
    switch (Frame().Border) {
    case TQorvPanelBorder::pbClientEdge:
        params.ExStyle |= WS_EX_CLIENTEDGE;
        break;
    case TQorvPanelBorder::pbBorder:
        params.Style |= WS_BORDER;
        break;
    default:
        break;
    }
}

void TQorvCustomPanel::ColorChanged() {
    TQorvControl::ColorChanged();
    if (FMargins->IsSet())
        BorderChanged();
}

void TQorvCustomPanel::Ctl3DChanged() {
    if (NewStyleControls() && FBorderStyle == TBorderStyle::bsSingle)
        RecreateWnd();
    TQorvControl::Ctl3DChanged();
}

void TQorvCustomPanel::TextChanged() {
    TQorvControl::TextChanged();
    Invalidate();
}

LRESULT TQorvCustomPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCALCSIZE: {
        const LRESULT result = TQorvControl::WndProc(msg, wParam, lParam);
        RECT* client = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                              : reinterpret_cast<RECT*>(lParam);
        *client = ToRECT(QorvPanelInsetRect(ToTRect(*client), Frame(), *FMargins));
        return result;
    }
    case WM_NCPAINT:
        PaintNonClient(true);
        return 0;
    case WM_WINDOWPOSCHANGED:
        if (FFullRepaint || !Caption().empty())
            Invalidate();
        break;
    default:
        break;
    }
    return TQorvControl::WndProc(msg, wParam, lParam);
}

void TQorvCustomPanel::PaintNonClient(bool withFrame) {
    if (!HandleAllocated())
        return;
    HWND wnd = Handle();
    TWindowDC dc(wnd);
    if (!dc.Get())
        return;
    const RECT window = WindowRectAtOrigin(wnd);
    const bool hasFrame = FBorderStyle == TBorderStyle::bsSingle ||
                          BevelKind() != TBevelKind::bkNone || BorderWidth() > 0 ||
                          FMargins->IsSet();
    if (withFrame && hasFrame) {
        const int saved = SaveDC(dc.Get());
        const RECT client = ClientRectInWindow(wnd);
        ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
        RECT r = window;
        if (FBorderStyle == TBorderStyle::bsSingle)
            DrawEdge(dc.Get(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        FillRectColor(dc.Get(), r, Color()); // border width, bevel and margin area
        DrawBevels(dc.Get(), r, FBevelOffset, FBevelSpace);
        RestoreDC(dc.Get(), saved);
    }

    if (ThemesEnabled() && (ControlStyle() & csNeedsBorderPaint) &&
        (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) {
        TThemeData theme(wnd, L"COMBOBOX");
        if (!theme.Get())
            return;
        ExcludeClipRect(dc.Get(), window.left + 2, window.top + 2, window.right - 2,
                        window.bottom - 2);
        const int state = FDisableBorders && !Enabled() ? kRingDisabled : kRingNormal;
        DrawThemeBackground(theme.Get(), dc.Get(), kRingPart, state, &window, nullptr);
    }
}

void TQorvCustomPanel::Paint(HDC dc) {
    RECT r;
    GetClientRect(Handle(), &r);
    if (FTransparent && Parent())
        PaintParentBackground(Canvas());
    else if (!(ThemesEnabled() && ParentBackground()))
        FillRectColor(dc, r, Color());
    else if (Parent())
        // Neither erasing nor this paints a background of our own here: show
        // the parent's rather than whatever the screen held before.
        DrawThemeParentBackground(Handle(), dc, &r);

    const std::string caption = Caption();
    if (caption.empty())
        return;
    HFONT own = CurrentFont();
    TSelectObject font(dc, own ? static_cast<HGDIOBJ>(own) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled() ? CurrentFontColor() : clGrayText));
    SIZE w{};
    GetTextExtentPoint32A(dc, "W", 1, &w);
    r.top = (r.top + r.bottom - w.cy) / 2;
    r.bottom = r.top + w.cy;
    const UINT align = FAlignment == TAlignment::taLeftJustify    ? DT_LEFT
                       : FAlignment == TAlignment::taRightJustify ? DT_RIGHT
                                                                  : DT_CENTER;
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
              DrawTextBiDiModeFlags(align | DT_EXPANDTABS | DT_VCENTER));
}

// ------------------------------------------------------------------ TQorvPanel

const TClassInfo& TQorvPanel::StaticClass() {
    static const TClassInfo info = [] {
        TClassInfo c{
            "TQorvPanel",
            &TQorvCustomPanel::StaticClass(),
            CreateComponent<TQorvPanel>,
            {
                EnumProp("Alignment", &TQorvCustomPanel::SetAlignment, kAlignmentNames, "taCenter"),
                IntProp("BevelOffset", &TQorvCustomPanel::SetBevelOffset, "0"),
                IntProp("BevelSpace", &TQorvCustomPanel::SetBevelSpace, "0"),
                BoolProp("Locked", &TQorvCustomPanel::SetLocked, "False"),
                NestedIntProp("Margins.Left", &TQorvCustomPanel::Margins, &TQorvMargins::SetLeft,
                              "0"),
                NestedIntProp("Margins.Top", &TQorvCustomPanel::Margins, &TQorvMargins::SetTop,
                              "0"),
                NestedIntProp("Margins.Right", &TQorvCustomPanel::Margins, &TQorvMargins::SetRight,
                              "0"),
                NestedIntProp("Margins.Bottom", &TQorvCustomPanel::Margins,
                              &TQorvMargins::SetBottom, "0"),
                BoolProp("Transparent", &TQorvCustomPanel::SetTransparent, "False"),
                StrProp("Caption", &TQorvCustomPanel::SetCaption),
            }};
        for (TPropInfo& p : QorvPanelFrameProps())
            c.Props.push_back(std::move(p));
        return c;
    }();
    return info;
}

std::vector<TPropInfo> QorvPanelFrameProps() {
    std::vector<TPropInfo> props{
        EnumProp("BorderStyle", &TQorvCustomPanel::SetBorderStyle, kBorderNames, "bsSingle"),
        BoolProp("DisableBorders", &TQorvCustomPanel::SetDisableBorders, "True"),
        BoolProp("FullRepaint", &TQorvCustomPanel::SetFullRepaint, "True"),
    };
    for (TPropInfo& p : WinControlFrameProps())
        props.push_back(std::move(p));
    for (TPropInfo& p : WinControlCommonProps())
        props.push_back(std::move(p));
    return props;
}

void RegisterQorvPanelClasses() {
    RegisterQorvControlsClasses();
    RegisterComponentClass(TQorvPanel::StaticClass());
}
