// TToolBar and TToolButton: the system tool bar with buttons that follow
// their actions, pictures or captions or both, drop-down buttons, the flat
// look and a keyboard of its own when it is a tab stop.
#include "framework/ComCtrls_win32.h"

#include <oleacc.h>

#include <algorithm>

#include "framework/Gdi_win32.h"
#include "framework/Menus_win32.h"
#include "framework/Published.h"

// --------------------------------------------------------------- TToolButton

const TClassInfo& TToolButton::StaticClass() {
    static const TClassInfo info{"TToolButton",
                                 &TControl::StaticClass(),
                                 CreateComponent<TToolButton>,
                                 {EnumProp("Style", &TToolButton::SetStyle,
                                           published::TEnumNames<TToolButtonStyle>{
                                               {"tbsButton", TToolButtonStyle::tbsButton},
                                               {"tbsCheck", TToolButtonStyle::tbsCheck},
                                               {"tbsSeparator", TToolButtonStyle::tbsSeparator},
                                               {"tbsDropDown", TToolButtonStyle::tbsDropDown}},
                                           "tbsButton"),
                                  StrProp("Caption", &TToolButton::SetCaption),
                                  BoolProp("Grouped", &TToolButton::SetGrouped, "False"),
                                  BoolProp("Down", &TToolButton::SetDown, "False"),
                                  IntProp("ImageIndex", &TToolButton::SetImageIndex, "-1"),
                                  RefProp("Action", &TToolButton::SetAction)}};
    return info;
}

TToolButton::TToolButton(TComponent* owner) : TControl(owner), FAction(this, this) {}

TToolBar* TToolButton::ToolBar() const {
    return dynamic_cast<TToolBar*>(FParent);
}

int TToolButton::Index() const {
    if (!FParent)
        return -1;
    const auto& c = FParent->Controls();
    return static_cast<int>(std::find(c.begin(), c.end(), this) - c.begin());
}

bool TToolButton::Down() const {
    TToolBar* bar = ToolBar();
    if (bar && bar->HandleAllocated())
        return SendMessageA(bar->Handle(), TB_ISBUTTONCHECKED, Index() + 1, 0) != 0;
    return FDown;
}

void TToolButton::SetDown(bool v) {
    FDown = v;
    TToolBar* bar = ToolBar();
    if (v && FGrouped && bar)
        // A grouped button going down takes its neighbours of the group up.
        for (TToolButton* b : bar->Buttons())
            if (b != this && b->FGrouped && b->FStyle == TToolButtonStyle::tbsCheck)
                b->FDown = false;
    if (bar && bar->HandleAllocated())
        SendMessageA(bar->Handle(), TB_CHECKBUTTON, Index() + 1, MAKELONG(v, 0));
}

void TToolButton::SetImageIndex(int v) {
    FImageIndex = v;
    TToolBar* bar = ToolBar();
    if (bar && bar->HandleAllocated())
        SendMessageA(bar->Handle(), TB_CHANGEBITMAP, Index() + 1, MAKELPARAM(v, 0));
}

void TToolButton::SetEnabled(bool enabled) {
    TControl::SetEnabled(enabled);
    TToolBar* bar = ToolBar();
    if (bar && bar->HandleAllocated()) {
        if (!enabled)
            bar->UpdateDisabledImages();
        SendMessageA(bar->Handle(), TB_ENABLEBUTTON, Index() + 1, MAKELONG(enabled, 0));
    }
}

void TToolButton::SetAction(TAction* action) {
    FAction.Set(action);
    // The action's checked state is the button's first state; after that
    // the button's own state rules (the tool bar toggles it on clicks).
    if (action && FStyle == TToolButtonStyle::tbsCheck)
        SetDown(action->Checked());
}

void TToolButton::ActionChanged(TAction& action) {
    SetHint(action.Hint());
    SetImageIndex(action.ImageIndex());
    SetEnabled(action.Enabled());
}

void TToolButton::Click() {
    // A click sent from another program (automation, a screen reader's
    // Press, a test) runs from our own loop: a dialog the command opens is
    // then not built inside that program's call, where the system's file
    // dialog can wait for good, and the sender is not held while it is up.
    if (InSendMessage())
        FCalls.Post([this] { RunClick(); });
    else
        RunClick();
}

void TToolButton::RunClick() {
    if (TAction* action = FAction.Get())
        action->Execute();
    else
        TControl::Click();
}

bool TToolButton::ShortCutPressed(TAction&) {
    if (FStyle == TToolButtonStyle::tbsSeparator)
        return false;
    if (Enabled())
        Press();
    return true;
}

void TToolButton::Press() {
    if (FStyle == TToolButtonStyle::tbsSeparator)
        return;
    if (FStyle == TToolButtonStyle::tbsCheck)
        SetDown(FGrouped || !Down()); // a grouped button stays down, as under the mouse
    Click();
}

bool TToolButton::AccessibleAsPart(TAccessiblePart& part) const {
    part = {};
    const TToolBar* bar = ToolBar();
    if (bar && bar->HandleAllocated())
        bar->Query(TB_GETITEMRECT, static_cast<WPARAM>(Index()),
                   reinterpret_cast<LPARAM>(&part.Bounds));
    if (FStyle == TToolButtonStyle::tbsSeparator) {
        part.Role = ROLE_SYSTEM_SEPARATOR;
        return true;
    }
    // The tool tip names a button; one without a hint goes by its caption.
    part.Name = TipText().empty() ? Caption() : TipText();
    if (const TAction* action = Action())
        part.KeyboardShortcut = ShortCutToText(action->ShortCut());
    part.DefaultAction = "Press";
    part.Role =
        FStyle == TToolButtonStyle::tbsDropDown ? ROLE_SYSTEM_BUTTONMENU : ROLE_SYSTEM_PUSHBUTTON;
    part.State = (Down() ? STATE_SYSTEM_CHECKED : 0) | (Enabled() ? 0 : STATE_SYSTEM_UNAVAILABLE);
    if (bar && bar->TabStop()) {
        part.State |= STATE_SYSTEM_FOCUSABLE;
        if (bar->Focused() && bar->HotButton() == this)
            part.State |= STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED;
    }
    return true;
}

RECT TToolButton::ScreenRect() const {
    RECT r{};
    TToolBar* bar = ToolBar();
    if (bar && bar->HandleAllocated() &&
        SendMessageA(bar->Handle(), TB_GETRECT, Index() + 1, reinterpret_cast<LPARAM>(&r)))
        MapWindowPoints(bar->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void TToolButton::TextChanged() {
    TControl::TextChanged();
    if (TToolBar* bar = ToolBar())
        bar->ButtonTextChanged(*this);
}

std::string TToolButton::TipText() const {
    const TAction* action = FAction.Get();
    const std::string keys = action ? ShortCutToText(action->ShortCut()) : std::string();
    return keys.empty() ? Hint() : Hint() + " (" + keys + ")";
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
    TControl::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FAction.Removed(component);
}

// ------------------------------------------------------------------ TToolBar

const TClassInfo& TToolBar::StaticClass() {
    static const TClassInfo info{
        "TToolBar",
        &TWinControl::StaticClass(),
        CreateComponent<TToolBar>,
        {RefProp("Images", &TToolBar::SetImages),
         IntProp("ButtonWidth", &TToolBar::SetButtonWidth, "23"),
         IntProp("ButtonHeight", &TToolBar::SetButtonHeight, "22"),
         IntProp("BorderWidth", &TToolBar::SetBorderWidth, "0"),
         BoolProp("EdgeBottom", &TToolBar::SetEdgeBottom, "False"),
         BoolProp("ShowCaptions", &TToolBar::SetShowCaptions, "False"),
         BoolProp("List", &TToolBar::SetList, "False"),
         RefProp<TWinControl, TPopupMenu>("PopupMenu", &TWinControl::SetPopupMenu)}};
    return info;
}

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner), FImages(this) {
    FAlign = TAlign::alTop;
}

std::vector<TToolButton*> TToolBar::Buttons() const {
    std::vector<TToolButton*> out;
    for (TControl* c : FControls)
        if (auto* b = dynamic_cast<TToolButton*>(c))
            out.push_back(b);
    return out;
}

void TToolBar::ReadChild(TComponent* child) {
    if (!dynamic_cast<TToolButton*>(child))
        throw EFormDataError("A tool bar holds tool buttons only, not " + child->Name());
    TWinControl::ReadChild(child);
}

void TToolBar::Loaded() {
    TWinControl::Loaded();
    SizeToButtons();
}

void TToolBar::SetImages(TImageList* images) {
    FImages.Set(images);
    if (HandleAllocated()) {
        Perform(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
        // None rather than the old images' greyed copies until one is needed.
        Perform(TB_SETDISABLEDIMAGELIST, 0, 0);
        UpdateDisabledImages();
        if (images)
            Perform(TB_SETBITMAPSIZE, 0, MAKELONG(images->Width(), images->Height()));
        ApplyButtonSize();
    }
}

void TToolBar::UpdateDisabledImages() {
    TImageList* images = FImages.Get();
    if (!images || !HandleAllocated())
        return;
    const auto buttons = Buttons();
    if (std::any_of(buttons.begin(), buttons.end(), [](TToolButton* b) { return !b->Enabled(); }))
        Perform(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(images->DisabledHandle()));
}

int TToolBar::EffectiveButtonWidth() const {
    if (FButtonWidth > 0)
        return FButtonWidth;
    return (FImages.Get() ? FImages.Get()->Width() : 16) + 7;
}

int TToolBar::EffectiveButtonHeight() const {
    if (FButtonHeight > 0)
        return FButtonHeight;
    return (FImages.Get() ? FImages.Get()->Height() : 16) + 6;
}

void TToolBar::SetButtonWidth(int v) {
    FButtonWidth = v;
    ApplyButtonSize();
}

void TToolBar::SetButtonHeight(int v) {
    FButtonHeight = v;
    ApplyButtonSize();
}

SIZE TToolBar::ButtonSize() const {
    if (!HandleAllocated())
        return {EffectiveButtonWidth(), EffectiveButtonHeight()};
    const auto packed = static_cast<DWORD>(Query(TB_GETBUTTONSIZE));
    return {LOWORD(packed), HIWORD(packed)};
}

void TToolBar::ApplyButtonSize() {
    if (HandleAllocated()) {
        Perform(TB_SETBUTTONSIZE, 0, MAKELONG(EffectiveButtonWidth(), EffectiveButtonHeight()));
        Perform(TB_AUTOSIZE);
        Invalidate();
    }
    if (!Loading())
        SizeToButtons();
}

void TToolBar::SizeToButtons() {
    SetHeight(EffectiveButtonHeight() + 2 * FBorderWidth + (FEdgeBottom ? 2 : 0));
}

int TToolBar::ButtonsWidth() const {
    SIZE all{};
    if (!HandleAllocated() || !Query(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&all)))
        return 0;
    return all.cx + 2 * FBorderWidth;
}

void TToolBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = TOOLBARCLASSNAMEA;
    params.Style |= TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
                    CCS_NOPARENTALIGN | CCS_TOP;
    // The system reads the list style only as the window is made.
    if (FList)
        params.Style |= TBSTYLE_LIST;
}

void TToolBar::CreateWnd() {
    Perform(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    if (TImageList* images = FImages.Get()) {
        Perform(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images->Handle()));
        UpdateDisabledImages();
        Perform(TB_SETBITMAPSIZE, 0, MAKELONG(images->Width(), images->Height()));
    } else if (FShowCaptions) {
        // Captions alone: no room kept for pictures beside or above them.
        Perform(TB_SETBITMAPSIZE, 0, 0);
    }
    const auto all = Buttons();
    // The window copies the captions as they are added.
    std::vector<std::string> captions;
    captions.reserve(all.size());
    std::vector<TBBUTTON> buttons;
    for (TToolButton* b : all) {
        TBBUTTON tb{};
        tb.idCommand = b->Index() + 1;
        tb.iString = -1;
        if (b->Style() == TToolButtonStyle::tbsSeparator) {
            tb.fsStyle = BTNS_SEP;
            tb.iBitmap = b->Width() > 0 ? b->Width() : 8;
        } else {
            // Without pictures a captioned button has none, not room for one.
            tb.iBitmap = FShowCaptions && b->ImageIndex() < 0 ? I_IMAGENONE : b->ImageIndex();
            if (b->Style() == TToolButtonStyle::tbsCheck)
                tb.fsStyle = b->Grouped() ? BTNS_CHECKGROUP : BTNS_CHECK;
            else if (b->Style() == TToolButtonStyle::tbsDropDown)
                tb.fsStyle = BTNS_WHOLEDROPDOWN;
            if (FShowCaptions) {
                captions.push_back(b->Caption());
                tb.iString = reinterpret_cast<INT_PTR>(captions.back().c_str());
                tb.fsStyle |= BTNS_SHOWTEXT | (b->Width() > 0 ? 0 : BTNS_AUTOSIZE);
            }
            tb.fsState = (b->Enabled() ? TBSTATE_ENABLED : 0) | (b->FDown ? TBSTATE_CHECKED : 0);
        }
        buttons.push_back(tb);
    }
    Perform(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    Perform(TB_SETBUTTONSIZE, 0, MAKELONG(EffectiveButtonWidth(), EffectiveButtonHeight()));
    if (FShowCaptions)
        for (TToolButton* b : all)
            if (b->Style() != TToolButtonStyle::tbsSeparator && b->Width() > 0) {
                TBBUTTONINFOA info{};
                info.cbSize = sizeof info;
                info.dwMask = TBIF_SIZE;
                info.cx = static_cast<WORD>(b->Width());
                Perform(TB_SETBUTTONINFOA, b->Index() + 1, reinterpret_cast<LPARAM>(&info));
            }
}

void TToolBar::ButtonTextChanged(TToolButton& button) {
    if (!FShowCaptions || !HandleAllocated() || button.Style() == TToolButtonStyle::tbsSeparator)
        return;
    std::string caption = button.Caption();
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = caption.data();
    Perform(TB_SETBUTTONINFOA, button.Index() + 1, reinterpret_cast<LPARAM>(&info));
    // A button that fits its caption may have grown or shrunk.
    if (button.Width() <= 0)
        Perform(TB_AUTOSIZE);
    Invalidate();
}

TToolButton* TToolBar::HotButton() const {
    if (!HandleAllocated())
        return nullptr;
    const auto index = static_cast<int>(Query(TB_GETHOTITEM));
    const auto buttons = Buttons();
    return index >= 0 && index < static_cast<int>(buttons.size())
               ? buttons[static_cast<size_t>(index)]
               : nullptr;
}

void TToolBar::SetHot(TToolButton* button) {
    if (HandleAllocated())
        Perform(TB_SETHOTITEM,
                button ? static_cast<WPARAM>(button->Index()) : static_cast<WPARAM>(-1));
}

void TToolBar::MoveHot(int direction) {
    const auto buttons = Buttons();
    const int count = static_cast<int>(buttons.size());
    const TToolButton* hot = HotButton();
    int at = hot ? hot->Index() : (direction > 0 ? -1 : count);
    for (int step = 0; step < count; ++step) {
        at = ((at + direction) % count + count) % count;
        TToolButton* b = buttons[static_cast<size_t>(at)];
        if (b->Style() != TToolButtonStyle::tbsSeparator && b->Visible() && b->Enabled()) {
            SetHot(b);
            return;
        }
    }
}

LRESULT TToolBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCALCSIZE: {
        auto* r = reinterpret_cast<RECT*>(lParam); // first rectangle either way
        DefaultHandler(msg, wParam, lParam);
        InflateRect(r, -FBorderWidth, -FBorderWidth);
        if (FEdgeBottom)
            r->bottom -= 2;
        return 0;
    }
    case WM_NCPAINT: {
        DefaultHandler(msg, wParam, lParam);
        TWindowDC window(Handle());
        HDC dc = window.Get();
        RECT r;
        GetWindowRect(Handle(), &r);
        OffsetRect(&r, -r.left, -r.top);
        RECT inner = r;
        InflateRect(&inner, -FBorderWidth, -FBorderWidth);
        if (FEdgeBottom)
            inner.bottom -= 2;
        ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
        FillRectColor(dc, r, clBtnFace);
        if (FEdgeBottom)
            DrawEdge(dc, &r, EDGE_ETCHED, BF_BOTTOM);
        return 0;
    }
    // The system's tool bar moves between its buttons with the arrows and
    // presses the hot one with Enter or Space while it has the focus. Taking
    // the focus it makes the first button hot, or none when that one is
    // disabled; losing it, it leaves the button hot as if the keyboard were
    // still there. We put the keyboard on a button it can press, and take
    // it away with the focus.
    case WM_SETFOCUS: {
        const LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
        if (const TToolButton* hot = HotButton(); !hot || !hot->Enabled())
            MoveHot(1);
        return result;
    }
    case WM_KILLFOCUS:
        SetHot(nullptr);
        break;
    case WM_ERASEBKGND:
        // A flat tool bar is see-through: the system has the parent paint
        // all of itself behind it, which costs the parent a paint at every
        // showing. Over a parent of our own colour the face is all it would
        // paint there.
        if (Parent() && Parent()->Color() == Color()) {
            RECT r;
            GetClientRect(Handle(), &r);
            FillRectColor(reinterpret_cast<HDC>(wParam), r, Color());
            return 1;
        }
        break;
    case WM_CONTEXTMENU:
        if (TPopupMenu* menu = PopupMenu()) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (p.x == -1 && p.y == -1) { // from the keyboard
                p = {0, Height()};
                ClientToScreen(Handle(), &p);
            }
            menu->Popup(p.x, p.y, Handle());
            return 0;
        }
        break;
    default:
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

bool TToolBar::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const auto buttons = Buttons();
    if (msg == WM_COMMAND) {
        const int index = LOWORD(wParam) - 1;
        if (index >= 0 && index < static_cast<int>(buttons.size())) {
            buttons[static_cast<size_t>(index)]->FDown =
                Perform(TB_ISBUTTONCHECKED, LOWORD(wParam)) != 0;
            buttons[static_cast<size_t>(index)]->Click();
        }
        result = 0;
        return true;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TBN_HOTITEMCHANGE) {
        // Screen readers follow the keyboard from button to button.
        const auto* change = reinterpret_cast<NMTBHOTITEM*>(lParam);
        if (Focused() && !(change->dwFlags & HICF_LEAVING) && change->idNew >= 1 &&
            change->idNew <= static_cast<int>(buttons.size()))
            NotifyWinEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, change->idNew);
        result = 0;
        return true;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TBN_DROPDOWN) {
        // A drop-down button's click: it opens its menu itself.
        const int index = reinterpret_cast<NMTOOLBARA*>(lParam)->iItem - 1;
        if (index >= 0 && index < static_cast<int>(buttons.size()))
            buttons[static_cast<size_t>(index)]->Click();
        result = TBDDRET_DEFAULT;
        return true;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TBN_GETINFOTIPA) {
        auto* tip = reinterpret_cast<NMTBGETINFOTIPA*>(lParam);
        const int index = tip->iItem - 1;
        if (index >= 0 && index < static_cast<int>(buttons.size()) && tip->cchTextMax > 0)
            lstrcpynA(tip->pszText, buttons[static_cast<size_t>(index)]->TipText().c_str(),
                      tip->cchTextMax);
        result = 0;
        return true;
    }
    return false;
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FImages.Removed(component);
}
