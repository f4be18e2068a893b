#include "components/QorvEdit_win32.h"

#include <windows.h>

#include <uxtheme.h>
#include <vssym32.h>

#include "components/QorvDataStorage.h"
#include "framework/Gdi_win32.h"

namespace {

const published::TEnumNames<TQorvEditButtonType> kButtonTypeNames = {
    {"qvbtNone", TQorvEditButtonType::qvbtNone},
    {"qvbtButton", TQorvEditButtonType::qvbtButton},
    {"qvbtDropDown", TQorvEditButtonType::qvbtDropDown},
    {"qvbtUpDown", TQorvEditButtonType::qvbtUpDown}};

} // namespace

// ---------------------------------------------------------- TQorvEditInnerEdit

const TClassInfo& TQorvEditInnerEdit::StaticClass() {
    static const TClassInfo info{"TQorvEditInnerEdit", &TEdit::StaticClass(), nullptr, {}};
    return info;
}

TQorvEditInnerEdit::TQorvEditInnerEdit(TComponent* owner) : TEdit(owner) {
    FBorderStyle = TBorderStyle::bsNone;
    FParentColor = true; // it shows the edit's colour
}

TQorvCustomEdit* TQorvEditInnerEdit::OuterEdit() const {
    return dynamic_cast<TQorvCustomEdit*>(FParent);
}

void TQorvEditInnerEdit::CreateParams(TCreateParams& params) {
    TEdit::CreateParams(params);
    if (TQorvCustomEdit* edit = OuterEdit()) {
        params.Style &= ~static_cast<DWORD>(3);
        params.Style |= edit->Alignment() == TAlignment::taRightJustify ? ES_RIGHT
                        : edit->Alignment() == TAlignment::taCenter     ? ES_CENTER
                                                                        : ES_LEFT;
    }
}

int TQorvEditInnerEdit::AutoHeight() {
    HFONT own = CurrentFont();
    HDC dc = MeasuringDC();
    TSelectObject font(dc, own ? static_cast<HGDIOBJ>(own) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    return metrics.tmHeight + 8 * GetSystemMetrics(SM_CYBORDER);
}

LRESULT TQorvEditInnerEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KILLFOCUS)
        FFocusTo = reinterpret_cast<HWND>(wParam);
    // The text box would show the system's edit menu; the edit's own menu
    // or handler, when it has one, comes first.
    if (TQorvCustomEdit* edit = OuterEdit();
        msg == WM_CONTEXTMENU && edit && edit->WantsContextMenu() && edit->HandleAllocated())
        return SendMessageA(edit->Handle(), msg, reinterpret_cast<WPARAM>(edit->Handle()), lParam);
    // The wheel is left out: the edit's default handling already hands it
    // to the parent.
    if (msg < WM_MOUSEFIRST || msg > WM_MBUTTONDBLCLK)
        return TEdit::WndProc(msg, wParam, lParam);
    const LRESULT result = TEdit::WndProc(msg, wParam, lParam);
    // A press the text box answers by capturing the mouse (a selection
    // starting) stays its own; moves and the rest reach the edit too.
    TQorvCustomEdit* edit = OuterEdit();
    if (edit && edit->HandleAllocated() && HandleAllocated() && !MouseCapture()) {
        const int x = static_cast<short>(LOWORD(lParam)) + FLeft;
        const int y = static_cast<short>(HIWORD(lParam)) + FTop;
        SendMessageA(edit->Handle(), msg, wParam, MAKELPARAM(x, y));
    }
    return result;
}

void TQorvEditInnerEdit::DoEnter() {
    if (TQorvCustomEdit* edit = OuterEdit())
        edit->InnerEditEnter(this);
    TEdit::DoEnter();
}

void TQorvEditInnerEdit::DoExit() {
    // Another window taking the focus (the error box of a failed step,
    // another program) is no leaving of the field: the text stays as typed
    // until the user moves on inside the window.
    const bool left = FFocusTo && GetAncestor(FFocusTo, GA_ROOT) == GetAncestor(Handle(), GA_ROOT);
    if (TQorvCustomEdit* edit = OuterEdit()) {
        edit->InnerEditExit(this);
        if (left)
            edit->NormaliseOnExit();
    }
    TEdit::DoExit();
}

// ---------------------------------------------------------- TQorvEditInnerIcon

const TClassInfo& TQorvEditInnerIcon::StaticClass() {
    static const TClassInfo info{"TQorvEditInnerIcon", &TImage::StaticClass(), nullptr, {}};
    return info;
}

TQorvEditInnerIcon::TQorvEditInnerIcon(TComponent* owner) : TImage(owner) {
    SetAutoSize(true);
}

void TQorvEditInnerIcon::PictureChanged() {
    TImage::PictureChanged();
    if (auto* edit = dynamic_cast<TQorvCustomEdit*>(FParent))
        edit->ArrangeInnerControls();
}

// -------------------------------------------------------- TQorvEditInnerButton

const TClassInfo& TQorvEditInnerButton::StaticClass() {
    static const TClassInfo info{"TQorvEditInnerButton", &TSpeedButton::StaticClass(), nullptr, {}};
    return info;
}

TQorvEditInnerButton::TQorvEditInnerButton(TComponent* owner, bool dropDown)
    : TSpeedButton(owner), FDropDown(dropDown) {}

void TQorvEditInnerButton::Paint(HDC dc) {
    HTHEME theme = nullptr;
    if (ThemesEnabled() && FParent)
        theme = OpenThemeData(FParent->Handle(), FDropDown ? L"COMBOBOX" : L"SCROLLBAR");
    if (!theme) {
        TSpeedButton::Paint(dc);
        return;
    }
    RECT r{FLeft - 1, FTop - 1, FLeft + FWidth + 1, FTop + FHeight + 1};
    if (FDropDown)
        DrawThemeBackground(theme, dc, CP_DROPDOWNBUTTON, CBXS_NORMAL, &r, nullptr);
    else
        DrawThemeBackground(theme, dc, SBP_THUMBBTNVERT, SCRBS_NORMAL, &r, nullptr);
    CloseThemeData(theme);
}

// -------------------------------------------------------- TQorvEditInnerUpDown

const TClassInfo& TQorvEditInnerUpDown::StaticClass() {
    static const TClassInfo info{"TQorvEditInnerUpDown", &TQorvUpDown::StaticClass(), nullptr, {}};
    return info;
}

void TQorvEditInnerUpDown::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (auto* edit = dynamic_cast<TQorvCustomEdit*>(FParent); edit && edit->CanFocus())
        edit->SetFocus();
    TQorvUpDown::MouseDown(button, shift, x, y);
}

// ------------------------------------------------------------- TQorvCustomEdit

const TClassInfo& TQorvCustomEdit::StaticClass() {
    static const TClassInfo info{"TQorvCustomEdit", &TQorvEditBase::StaticClass(), nullptr, {}};
    return info;
}

TQorvCustomEdit::TQorvCustomEdit(TComponent* owner) : TQorvEditBase(owner) {
    // A box for text: nothing is dropped on it and its text is not a caption.
    SetControlStyle(ControlStyle() & ~(csAcceptsControls | csSetCaption));
    FColor = clWindow;
    FWidth = 137;
    FHeight = 22;
    FIcon = new TQorvEditInnerIcon(nullptr);
    FIcon->SetParent(this);
    FInnerEdit = new TQorvEditInnerEdit(nullptr);
    FInnerEdit->SetOnKeyDown(
        [this](TObject* s, WORD& key, TShiftState shift) { InnerKeyDown(s, key, shift); });
    FInnerEdit->SetOnKeyPress([this](TObject* s, char& key) { InnerKeyPress(s, key); });
    FInnerEdit->SetOnKeyUp(
        [this](TObject* s, WORD& key, TShiftState shift) { InnerKeyUp(s, key, shift); });
    InsertControl(FInnerEdit);
}

TQorvCustomEdit::~TQorvCustomEdit() {
    delete std::exchange(FButton, nullptr);
    delete std::exchange(FInnerEdit, nullptr);
    delete std::exchange(FIcon, nullptr);
}

TQorvEditInnerUpDown* TQorvCustomEdit::UpDown() const {
    return dynamic_cast<TQorvEditInnerUpDown*>(FButton);
}

void TQorvCustomEdit::CreateWnd() {
    TQorvEditBase::CreateWnd();
    if (TQorvEditInnerUpDown* upDown = UpDown())
        upDown->SetAssociate(FInnerEdit);
    ArrangeInnerControls();
}

void TQorvCustomEdit::Paint(HDC dc) {
    RECT r;
    GetClientRect(Handle(), &r);
    FillRectColor(dc, r, FColor);
}

// ------------------------------------------------------------------ arranging

void TQorvCustomEdit::ArrangeInnerControls() {
    if (!FInnerEdit || !FIcon)
        return; // still being made or unmade
    const int clientWidth = ClientWidth(), clientHeight = ClientHeight();
    const bool iconShown = FIcon->Width() * FIcon->Height() != 0;
    FIcon->SetBounds(iconShown ? FIconOffsetX : 0,
                     (clientHeight - FIcon->Height()) / 2 + FIconOffsetY, FIcon->Width(),
                     FIcon->Height());
    const int editLeft =
        FIcon->Left() + FIcon->Width() + (iconShown ? FIconTail : 0) + FTextOffsetX;
    const int editHeight = FInnerEdit->AutoHeight();
    const int editTop = (clientHeight - editHeight) / 2 + FTextOffsetY;
    int buttonWidth = 0;
    if (FButton) {
        const int w = GetSystemMetrics(SM_CXVSCROLL);
        // Under the visual style the button covers the frame's inner ring
        // on the top, right and bottom.
        if (ThemesEnabled())
            FButton->SetBounds(clientWidth - w + 1, -1, w, clientHeight + 2);
        else
            FButton->SetBounds(clientWidth - w, 0, w, clientHeight);
        buttonWidth = FButton->Width();
    }
    FInnerEdit->SetBounds(editLeft, editTop, clientWidth - editLeft - buttonWidth, editHeight);
}

bool TQorvCustomEdit::WantsContextMenu() const {
    return PopupMenu() || OnContextPopup();
}

void TQorvCustomEdit::FontChanged() {
    TQorvEditBase::FontChanged();
    ArrangeInnerControls(); // the text box's height follows the font
}

void TQorvCustomEdit::Resize() {
    TQorvEditBase::Resize();
    ArrangeInnerControls();
}

void TQorvCustomEdit::SetOffset(int& field, int value) {
    if (field != value) {
        field = value;
        ArrangeInnerControls();
    }
}

void TQorvCustomEdit::SetIcon(const TPicture& picture) {
    FIcon->SetPicture(picture);
    ArrangeInnerControls();
}

void TQorvCustomEdit::SetIconData(const std::vector<uint8_t>& data) {
    FIcon->SetPictureData(data);
    ArrangeInnerControls();
}

void TQorvCustomEdit::SetAlignment(TAlignment value) {
    if (value != FAlignment) {
        FAlignment = value;
        FInnerEdit->Recreate();
    }
}

void TQorvCustomEdit::SetButtonType(TQorvEditButtonType value) {
    if (value == FButtonType)
        return;
    FButtonType = value;
    if (const TQorvEditInnerUpDown* upDown = UpDown())
        FNumbers = upDown->Settings();
    delete std::exchange(FButton, nullptr);
    switch (value) {
    case TQorvEditButtonType::qvbtButton:
    case TQorvEditButtonType::qvbtDropDown: {
        const bool dropDown = value == TQorvEditButtonType::qvbtDropDown;
        auto* button = new TQorvEditInnerButton(this, dropDown);
        button->SetOnClick([this](TObject* sender) { ButtonClick(sender); });
        if (dropDown)
            button->SetOnMouseDown([this](TObject* s, TMouseButton b, TShiftState shift, int x,
                                          int y) { ButtonMouseDown(s, b, shift, x, y); });
        FButton = button;
        break;
    }
    case TQorvEditButtonType::qvbtUpDown: {
        auto* upDown = new TQorvEditInnerUpDown(this);
        upDown->SetAlignButton(TQorvUpDownAlignButton::udUnaligned);
        upDown->SetSettings(FNumbers);
        FButton = upDown;
        break;
    }
    case TQorvEditButtonType::qvbtNone:
        break;
    }
    if (FButton) {
        FButton->SetEnabled(FEnabled);
        FButton->SetParent(this);
        if (TQorvEditInnerUpDown* upDown = UpDown(); upDown && HandleAllocated())
            upDown->SetAssociate(FInnerEdit);
    }
    if (FParent)
        ArrangeInnerControls();
}

void TQorvCustomEdit::ButtonClick(TObject* sender) {
    if (FOnButtonClick)
        FOnButtonClick(sender);
}

// ------------------------------------------------------------ text and value

std::string TQorvCustomEdit::Text() const {
    return FInnerEdit->Text();
}

void TQorvCustomEdit::SetText(const std::string& text) {
    FInnerEdit->SetText(text);
}

TVariant TQorvCustomEdit::GetValue() const {
    return TVariant(FInnerEdit->Text());
}

void TQorvCustomEdit::SetValue(const TVariant& value) {
    // A number is shown with the locale's decimal separator and reaches the
    // up-down as itself: read back from its text in the locale it could
    // lose its point (1.5 becoming 15 where the point groups thousands).
    std::string text = VarToStr(value);
    double number = 0;
    const bool isNumber =
        (value.TypeName() == std::string("Double") || value.TypeName() == std::string("Int64")) &&
        QorvTextToFloat(text, TQorvNumberLocale{}, number);
    if (isNumber)
        text = QorvLocaliseNumber(text, QorvUserNumberLocale());
    FInnerEdit->SetText(text);
    if (TQorvEditInnerUpDown* upDown = UpDown()) {
        if (!isNumber && !QorvTextToFloat(text, QorvUserNumberLocale(), number))
            number = upDown->Position();
        upDown->SetPosition(number);
    }
}

void TQorvCustomEdit::NormaliseOnExit() {
    TQorvEditInnerUpDown* upDown = UpDown();
    if (!upDown)
        return;
    const double last = upDown->Position();
    double number = 0;
    if (!QorvTextToFloat(FInnerEdit->Text(), QorvUserNumberLocale(), number))
        number = last;
    upDown->SetPosition(number);
}

// ------------------------------------------------------ numeric properties

const TQorvUpDownSettings& TQorvCustomEdit::Numbers() const {
    const TQorvEditInnerUpDown* upDown = UpDown();
    return upDown ? upDown->Settings() : FNumbers;
}

// A number goes to the up-down while there is one (its own checks and
// effects), else into the numbers kept for the next.
template <class T, class Keep>
void TQorvCustomEdit::SetNumber(void (TQorvUpDownValue::*onUpDown)(T), T value, Keep keep) {
    if (TQorvEditInnerUpDown* upDown = UpDown())
        (upDown->*onUpDown)(value);
    else
        keep(FNumbers);
}

void TQorvCustomEdit::SetDecimals(int value) {
    SetNumber(&TQorvUpDownValue::SetDecimals, value,
              [value](TQorvUpDownSettings& s) { s.SetDecimals(value); });
}

void TQorvCustomEdit::SetIncrement(double value) {
    SetNumber(&TQorvUpDownValue::SetIncrement, value,
              [value](TQorvUpDownSettings& s) { s.Increment = value; });
}

void TQorvCustomEdit::SetMax(double value) {
    SetNumber(&TQorvUpDownValue::SetMax, value,
              [value](TQorvUpDownSettings& s) { s.SetRange(value, s.Min); });
}

void TQorvCustomEdit::SetMin(double value) {
    SetNumber(&TQorvUpDownValue::SetMin, value,
              [value](TQorvUpDownSettings& s) { s.SetRange(value, s.Max); });
}

void TQorvCustomEdit::SetThousands(bool value) {
    SetNumber(&TQorvUpDownValue::SetThousands, value,
              [value](TQorvUpDownSettings& s) { s.Thousands = value; });
}

void TQorvCustomEdit::SetWrap(bool value) {
    SetNumber(&TQorvUpDownValue::SetWrap, value,
              [value](TQorvUpDownSettings& s) { s.Wrap = value; });
}

// --------------------------------------------------------------------- keys

void TQorvCustomEdit::InnerKeyDown(TObject*, WORD& key, TShiftState shift) {
    if (FOnKeyDown)
        FOnKeyDown(this, key, shift);
}

void TQorvCustomEdit::InnerKeyPress(TObject*, char& key) {
    // Control characters (Backspace, the clipboard keys) always pass.
    if (static_cast<unsigned char>(key) > 31) {
        if ((!FValidChars.empty() && FValidChars.find(key) == std::string::npos) ||
            (!FInvalidChars.empty() && FInvalidChars.find(key) != std::string::npos)) {
            key = 0;
            return;
        }
    }
    if (FOnKeyPress)
        FOnKeyPress(this, key);
}

void TQorvCustomEdit::InnerKeyUp(TObject*, WORD& key, TShiftState shift) {
    if (FOnKeyUp)
        FOnKeyUp(this, key, shift);
}

// --------------------------------------------------------- focus and state

void TQorvCustomEdit::InnerEditEnter(TQorvEditInnerEdit* edit) {
    if (TQorvEditInnerUpDown* upDown = UpDown(); upDown && upDown->Associate() != edit)
        upDown->SetAssociate(edit);
    if (edit->AutoSelect())
        edit->SelectAll();
}

void TQorvCustomEdit::SetFocus() {
    TQorvEditBase::SetFocus();
    FInnerEdit->SetFocus();
}

bool TQorvCustomEdit::Focused() const {
    return TQorvEditBase::Focused() || FInnerEdit->Focused();
}

void TQorvCustomEdit::Click() {
    TQorvEditBase::Click();
    if (FInnerEdit->CanFocus())
        FInnerEdit->SetFocus();
}

void TQorvCustomEdit::DoEnter() {
    TQorvEditBase::DoEnter();
    if (FInnerEdit->CanFocus())
        FInnerEdit->SetFocus();
}

void TQorvCustomEdit::SetEnabled(bool enabled) {
    FInnerEdit->SetEnabled(enabled);
    if (FButton)
        FButton->SetEnabled(enabled);
    TQorvEditBase::SetEnabled(enabled);
}

void TQorvCustomEdit::SetName(const std::string& name) {
    const std::string old = Name();
    auto* owner = dynamic_cast<TControl*>(Owner());
    const bool follow =
        !Loading() && FInnerEdit && FInnerEdit->Text() == old && !(owner && owner->Loading());
    TQorvEditBase::SetName(name);
    if (follow)
        FInnerEdit->SetText(name);
}

// ---------------------------------------------------------------- published

const TClassInfo& TQorvEdit::StaticClass() {
    using E = TQorvEdit;
    static const TClassInfo info = [] {
        TClassInfo c{
            "TQorvEdit",
            &TQorvCustomEdit::StaticClass(),
            CreateComponent<TQorvEdit>,
            {
                EnumProp<E, TAlignment>("Alignment", &E::SetAlignment, AlignmentNames(),
                                        "taLeftJustify"),
                EnumProp<E, TQorvEditButtonType>("ButtonType", &E::SetButtonType, kButtonTypeNames,
                                                 "qvbtNone"),
                BinaryProp<E>("Icon.Data", &E::SetIconData),
                IntProp<E, int>("IconOffsetX", &E::SetIconOffsetX, "1"),
                IntProp<E, int>("IconOffsetY", &E::SetIconOffsetY, "0"),
                IntProp<E, int>("IconTail", &E::SetIconTail, "3"),
                IntProp<E, int>("TextOffsetX", &E::SetTextOffsetX, "1"),
                IntProp<E, int>("TextOffsetY", &E::SetTextOffsetY, "2"),
                StrProp<E>("InvalidChars", &E::SetInvalidChars),
                StrProp<E>("ValidChars", &E::SetValidChars),
                VariantProp<E>("Value", &E::SetValue),
                EventProp<E, TNotifyEvent>("OnButtonClick", &E::SetOnButtonClick),
                BoolProp<E>("AutoSelect", &E::SetAutoSelect, "True"),
                StrProp<E>("ImeName", &E::SetImeName),
                IntProp<E, int>("MaxLength", &E::SetMaxLength, "0"),
                BoolProp<E>("HideSelection", &E::SetHideSelection, "True"),
                BoolProp<E>("OEMConvert", &E::SetOEMConvert, "False"),
                CharProp<E>("PasswordChar", &E::SetPasswordChar, "#0"),
                EnumProp<E, TEditCharCase>("CharCase", &E::SetCharCase, EditCharCaseNames(),
                                           "ecNormal"),
                EnumProp<E, TImeMode>("ImeMode", &E::SetImeMode, ImeModeNames(), "imDontCare"),
                BoolProp<E>("ReadOnly", &E::SetReadOnly, "False"),
                StrProp<E>("Text", &E::SetText),
                EventProp<E, TNotifyEvent>("OnChange", &E::SetOnChange),
                IntProp<E, int>("Decimals", &E::SetDecimals, "-1"),
                FloatProp<E>("Increment", &E::SetIncrement),
                FloatProp<E>("Max", &E::SetMax),
                FloatProp<E>("Min", &E::SetMin),
                BoolProp<E>("Thousands", &E::SetThousands, "True"),
                BoolProp<E>("Wrap", &E::SetWrap, "False"),
                ColorProp<E>("Color", &E::SetColor, "clWindow"),
            }};
        for (TPropInfo& p : QorvPanelFrameProps())
            c.Props.push_back(std::move(p));
        return c;
    }();
    return info;
}

void RegisterQorvComponents() {
    RegisterQorvPanelClasses();
    RegisterQorvUpDown();
    RegisterComponentClass(TQorvEdit::StaticClass());
    RegisterQorvDataStorageClasses();
}
