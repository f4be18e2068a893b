#include "framework/StdCtrls_win32.h"

#include <imm.h>

#include <cctype>
#include <utility>

#include "framework/Gdi_win32.h"
#include "framework/Published.h"
#include "framework/SysUtils_win32.h"

namespace {
const published::TEnumNames<TScrollStyle> kScrollNames = {
    {"ssNone", TScrollStyle::ssNone},
    {"ssHorizontal", TScrollStyle::ssHorizontal},
    {"ssVertical", TScrollStyle::ssVertical},
    {"ssBoth", TScrollStyle::ssBoth}};
} // namespace

const std::vector<std::pair<std::string, TEditCharCase>>& EditCharCaseNames() {
    static const published::TEnumNames<TEditCharCase> names = {
        {"ecNormal", TEditCharCase::ecNormal},
        {"ecUpperCase", TEditCharCase::ecUpperCase},
        {"ecLowerCase", TEditCharCase::ecLowerCase}};
    return names;
}

const std::vector<std::pair<std::string, TImeMode>>& ImeModeNames() {
    static const published::TEnumNames<TImeMode> names = {
        {"imDisable", TImeMode::imDisable},   {"imClose", TImeMode::imClose},
        {"imOpen", TImeMode::imOpen},         {"imDontCare", TImeMode::imDontCare},
        {"imSAlpha", TImeMode::imSAlpha},     {"imAlpha", TImeMode::imAlpha},
        {"imHira", TImeMode::imHira},         {"imSKata", TImeMode::imSKata},
        {"imKata", TImeMode::imKata},         {"imChinese", TImeMode::imChinese},
        {"imSHanguel", TImeMode::imSHanguel}, {"imHanguel", TImeMode::imHanguel}};
    return names;
}

// -------------------------------------------------------------------- TLabel

const TClassInfo& TLabel::StaticClass() {
    static const TClassInfo info{
        "TLabel",
        &TGraphicControl::StaticClass(),
        CreateComponent<TLabel>,
        {StrProp("Caption", &TLabel::SetCaption), RefProp("FocusControl", &TLabel::SetFocusControl),
         ColorProp("Font.Color", &TLabel::SetFontColor, "clWindowText"),
         SetProp("Font.Style", &TLabel::SetFontStyle, FontStyleNames(), "[]"),
         BoolProp("AutoSize", &TLabel::SetAutoSize, "False")}};
    return info;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner), FFocusControl(this) {
    FColor = clNone;
}

void TLabel::SetFontColor(TColor value) {
    if (value != FFontColor) {
        FFontColor = value;
        Invalidate();
    }
}

void TLabel::SetFontStyle(TFontStyles value) {
    if (value != FFontStyle) {
        FFontStyle = value;
        Invalidate();
        AdjustSize(); // bold is wider
    }
}

HFONT TLabel::Font() {
    TWinControl* top = TopParent();
    HFONT base = top ? top->ControlFont() : nullptr;
    if (!base)
        base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (FFontStyle == 0)
        return base;
    if (!FStyledFont.Get() || FStyledFrom != base || FStyledAs != FFontStyle) {
        LOGFONTA lf{};
        GetObjectA(base, sizeof lf, &lf);
        lf.lfWeight = (FFontStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FFontStyle & fsItalic) != 0;
        lf.lfUnderline = (FFontStyle & fsUnderline) != 0;
        lf.lfStrikeOut = (FFontStyle & fsStrikeOut) != 0;
        FStyledFont.Reset(CreateFontIndirectA(&lf));
        FStyledFrom = base;
        FStyledAs = FFontStyle;
    }
    return FStyledFont.Get() ? FStyledFont.Get() : base;
}

void TLabel::Paint(HDC dc) {
    TSelectObject font(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(FEnabled ? FFontColor : clBtnShadow));
    RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    DrawTextA(dc, FText.c_str(), -1, &r, DT_LEFT | DT_TOP | DT_WORDBREAK);
}

bool TLabel::CanAutoSize(int& width, int& height) {
    HDC dc = MeasuringDC();
    TSelectObject font(dc, Font());
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, FText.empty() ? " " : FText.c_str(), -1, &r, DT_LEFT | DT_CALCRECT);
    width = r.right;
    height = r.bottom;
    return true;
}

void TLabel::MouseDown(int, int) {
    FPressed = true;
}

void TLabel::MouseUp(int x, int y) {
    if (std::exchange(FPressed, false) && x >= 0 && y >= 0 && x < FWidth && y < FHeight)
        Click();
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustSize();
}

bool TLabel::DialogChar(char key) {
    for (size_t i = 0; i + 1 < FText.size(); ++i) {
        if (FText[i] != '&')
            continue;
        if (FText[i + 1] == '&') {
            ++i; // "&&" is a plain ampersand
            continue;
        }
        if (std::toupper(static_cast<unsigned char>(FText[i + 1])) !=
            std::toupper(static_cast<unsigned char>(key)))
            return false;
        TWinControl* target = FFocusControl.Get();
        if (!target || !target->CanFocus())
            return false;
        target->SetFocus();
        return true;
    }
    return false;
}

bool TLabel::NamesControl(const TWinControl& control, std::string& name) const {
    if (FFocusControl.Get() != &control)
        return false;
    name.clear();
    for (size_t i = 0; i < FText.size(); ++i) {
        if (FText[i] == '&') {
            if (i + 1 < FText.size() && FText[i + 1] == '&')
                name += FText[++i]; // "&&" shows one ampersand
            continue;
        }
        name += FText[i];
    }
    return true;
}

void TLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FFocusControl.Removed(component);
}

// ------------------------------------------------------------------- TButton

const TClassInfo& TButton::StaticClass() {
    static const TClassInfo info{"TButton",
                                 &TWinControl::StaticClass(),
                                 CreateComponent<TButton>,
                                 {StrProp("Caption", &TButton::SetCaption),
                                  BoolProp("Default", &TButton::SetDefault, "False"),
                                  IntProp("ModalResult", &TButton::SetModalResult, "0"),
                                  EventProp("OnClick", &TButton::SetOnClick)}};
    return info;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    FTabStop = true;
    FWidth = 75;
    FHeight = 25;
}

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = "BUTTON";
    params.Style |= WS_TABSTOP | (FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::SetDefault(bool value) {
    FDefault = value;
    if (HandleAllocated())
        Perform(BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool TButton::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    return TWinControl::Reflected(msg, wParam, lParam, result);
}

void TButton::Click() {
    TWinControl::Click();
    if (FModalResult != 0)
        if (TWinControl* top = TopParent(); top && top != this)
            top->ModalResultChosen(FModalResult);
}

bool TButton::DefaultKey() {
    if (!FDefault || !Visible() || !Enabled())
        return false;
    Click();
    return true;
}

// --------------------------------------------------------------- TCustomEdit

const TClassInfo& TCustomEdit::StaticClass() {
    static const TClassInfo info{
        "TCustomEdit",
        &TWinControl::StaticClass(),
        nullptr,
        {StrProp("Text", &TCustomEdit::SetText),
         IntProp("MaxLength", &TCustomEdit::SetMaxLength, "0"),
         BoolProp("ReadOnly", &TCustomEdit::SetReadOnly, "False"),
         EnumProp("BorderStyle", &TCustomEdit::SetBorderStyle, BorderStyleNames(), "bsSingle"),
         BoolProp("AutoSelect", &TCustomEdit::SetAutoSelect, "True"),
         EnumProp("CharCase", &TCustomEdit::SetCharCase, EditCharCaseNames(), "ecNormal"),
         EnumProp("ImeMode", &TCustomEdit::SetImeMode, ImeModeNames(), "imDontCare"),
         BoolProp("HideSelection", &TCustomEdit::SetHideSelection, "True"),
         BoolProp("OEMConvert", &TCustomEdit::SetOEMConvert, "False"),
         CharProp("PasswordChar", &TCustomEdit::SetPasswordChar, "#0"),
         StrProp("ImeName", &TCustomEdit::SetImeName),
         EventProp("OnChange", &TCustomEdit::SetOnChange)}};
    return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    FColor = clWindow;
    FTabStop = true;
}

void TCustomEdit::SetMaxLength(int v) {
    FMaxLength = v;
    if (HandleAllocated())
        Perform(EM_LIMITTEXT, static_cast<WPARAM>(v));
}

void TCustomEdit::SetReadOnly(bool v) {
    FReadOnly = v;
    if (HandleAllocated())
        Perform(EM_SETREADONLY, v);
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    if (FBorderStyle != v) {
        FBorderStyle = v;
        RecreateWnd();
    }
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
    if (FCharCase != v) {
        FCharCase = v;
        RecreateWnd();
    }
}

void TCustomEdit::SetHideSelection(bool v) {
    if (FHideSelection != v) {
        FHideSelection = v;
        RecreateWnd();
    }
}

void TCustomEdit::SetOEMConvert(bool v) {
    if (FOEMConvert != v) {
        FOEMConvert = v;
        RecreateWnd();
    }
}

void TCustomEdit::SetPasswordChar(char v) {
    if (FPasswordChar != v) {
        FPasswordChar = v;
        if (HandleAllocated()) {
            Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(v));
            Invalidate();
        }
    }
}

void TCustomEdit::DoEnter() {
    // Not for a press of the mouse: that places the caret where it points.
    const bool single = !(GetWindowLongA(Handle(), GWL_STYLE) & ES_MULTILINE);
    if (FAutoSelect && single && GetKeyState(VK_LBUTTON) >= 0)
        SelectAll();
    ApplyImeMode(true);
    TWinControl::DoEnter();
}

void TCustomEdit::SelectAll() {
    Perform(EM_SETSEL, 0, -1);
}

std::string TCustomEdit::SelText() const {
    DWORD start = 0, end = 0;
    Query(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return Text().substr(start, end - start);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = "EDIT";
    params.Style |= ES_AUTOHSCROLL;
    if (FReadOnly)
        params.Style |= ES_READONLY;
    if (FCharCase == TEditCharCase::ecUpperCase)
        params.Style |= ES_UPPERCASE;
    else if (FCharCase == TEditCharCase::ecLowerCase)
        params.Style |= ES_LOWERCASE;
    if (!FHideSelection)
        params.Style |= ES_NOHIDESEL;
    if (FOEMConvert)
        params.Style |= ES_OEMCONVERT;
    if (FBorderStyle == TBorderStyle::bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
    if (FMaxLength > 0)
        Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength));
    if (FPasswordChar)
        Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar));
    ApplyImeMode(false);
}

namespace {
// imm32, loaded when an edit first asks for an input method mode: most
// programs never do, and it is no import of ours.
struct TImm {
    decltype(&ImmAssociateContext) AssociateContext = nullptr;
    decltype(&ImmGetContext) GetContext = nullptr;
    decltype(&ImmReleaseContext) ReleaseContext = nullptr;
    decltype(&ImmSetOpenStatus) SetOpenStatus = nullptr;
    TImm() {
        const char* dll = "imm32.dll";
        HMODULE library = LoadSystemLibrary(dll);
        AssociateContext =
            LibraryEntry<decltype(AssociateContext)>(library, dll, "ImmAssociateContext");
        GetContext = LibraryEntry<decltype(GetContext)>(library, dll, "ImmGetContext");
        ReleaseContext = LibraryEntry<decltype(ReleaseContext)>(library, dll, "ImmReleaseContext");
        SetOpenStatus = LibraryEntry<decltype(SetOpenStatus)>(library, dll, "ImmSetOpenStatus");
    }
};
const TImm& Imm() {
    static const TImm imm;
    return imm;
}
} // namespace

void TCustomEdit::SetImeMode(TImeMode v) {
    if (FImeMode == v)
        return;
    const bool wasDisabled = FImeMode == TImeMode::imDisable;
    FImeMode = v;
    if (HWND wnd = HandleIfAllocated(); wnd && wasDisabled)
        // The window gets back the context imDisable took from it.
        Imm().AssociateContext(wnd, static_cast<HIMC>(std::exchange(FImeContext, nullptr)));
    ApplyImeMode(Focused());
}

void TCustomEdit::ApplyImeMode(bool entering) {
    HWND wnd = HandleIfAllocated();
    if (!wnd || FImeMode == TImeMode::imDontCare)
        return;
    if (FImeMode == TImeMode::imDisable) {
        if (HIMC own = Imm().AssociateContext(wnd, nullptr))
            FImeContext = own;
        return;
    }
    if (!entering || (FImeMode != TImeMode::imOpen && FImeMode != TImeMode::imClose))
        return;
    if (HIMC context = Imm().GetContext(wnd)) {
        Imm().SetOpenStatus(context, FImeMode == TImeMode::imOpen);
        Imm().ReleaseContext(wnd, context);
    }
}

bool TCustomEdit::Reflected(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        Change();
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) {
        // Read-only edits ask with WM_CTLCOLORSTATIC and would turn grey;
        // both kinds get the control's colour.
        if (FBrushColor != FColor || !FBrush) {
            FBrush.Reset(CreateSolidBrush(ColorToRGB(FColor)));
            FBrushColor = FColor;
        }
        SetBkColor(reinterpret_cast<HDC>(wParam), ColorToRGB(FColor));
        SetTextColor(reinterpret_cast<HDC>(wParam), ColorToRGB(clWindowText));
        result = reinterpret_cast<LRESULT>(FBrush.Get());
        return true;
    }
    return false;
}

void TCustomEdit::Change() {
    if (FOnChange && !Loading())
        FOnChange(this);
}

const TClassInfo& TEdit::StaticClass() {
    static const TClassInfo info{"TEdit", &TCustomEdit::StaticClass(), CreateComponent<TEdit>, {}};
    return info;
}

// --------------------------------------------------------------------- TMemo

const TClassInfo& TMemo::StaticClass() {
    static const TClassInfo info{
        "TMemo",
        &TCustomEdit::StaticClass(),
        CreateComponent<TMemo>,
        {StringsProp("Lines", &TMemo::SetLines), BoolProp("WordWrap", &TMemo::SetWordWrap, "True"),
         EnumProp("ScrollBars", &TMemo::SetScrollBars, kScrollNames, "ssNone")}};
    return info;
}

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner) {}

void TMemo::SetLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\r\n" : "") + lines[i];
    SetText(text);
}

void TMemo::SetWordWrap(bool v) {
    SetWrapping(v, FScrollBars);
}

void TMemo::SetScrollBars(TScrollStyle v) {
    SetWrapping(FWordWrap, v);
}

void TMemo::SetWrapping(bool wordWrap, TScrollStyle scrollBars) {
    if (FWordWrap == wordWrap && FScrollBars == scrollBars)
        return;
    FWordWrap = wordWrap;
    FScrollBars = scrollBars;
    // An edit control cannot change its wrapping or scroll bars in place;
    // one new window (some 3 ms under Wine) takes both.
    RecreateWnd();
}

void TMemo::CreateParams(TCreateParams& params) {
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
    params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    if (!FWordWrap)
        params.Style |= ES_AUTOHSCROLL;
    if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth)
        params.Style |= WS_VSCROLL;
    if (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth)
        params.Style |= WS_HSCROLL;
}
