#include "framework/ComCtrls_win32.h"

#include <algorithm>

#include "framework/Gdi_win32.h"
#include "framework/Menus_win32.h"
#include "framework/Published.h"
#include "framework/StepTimes.h"
#include "framework/SysUtils_win32.h"

// ---------------------------------------------------------------- TImageList

const TClassInfo& TImageList::StaticClass() {
    static const TClassInfo info{"TImageList",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TImageList>,
                                 {IntProp("Width", &TImageList::SetWidth, "16"),
                                  IntProp("Height", &TImageList::SetHeight, "16"),
                                  StrProp("ResourceName", &TImageList::SetResourceName)}};
    return info;
}

TImageList::~TImageList() {
    if (FHandle)
        ImageList_Destroy(FHandle);
    if (FDisabled)
        ImageList_Destroy(FDisabled);
}

HIMAGELIST TImageList::Handle() {
    if (!FHandle)
        FHandle = Create(false);
    return FHandle;
}

HIMAGELIST TImageList::DisabledHandle() {
    if (!FDisabled)
        FDisabled = Create(true);
    return FDisabled;
}

HIMAGELIST TImageList::Create(bool disabled) {
    TStartupStep step("image lists and artwork");
    HIMAGELIST list = ImageList_Create(FWidth, FHeight, ILC_COLOR32, 10, 10);
    // A list of no images, only there to set a list view's row height, may be
    // 0 pixels wide; where the system refuses that, 1 pixel does the same.
    if (!list && FWidth == 0 && FResourceName.empty())
        list = ImageList_Create(1, FHeight, ILC_COLOR32, 0, 1);
    if (!list)
        RaiseLastOSError("Cannot create an image list of " + std::to_string(FWidth) + " x " +
                             std::to_string(FHeight) + " pixels",
                         "ImageList_Create");
    if (FResourceName.empty())
        return list;
    TBitmapHandle strip(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), FResourceName.c_str(),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    DIBSECTION dib{};
    if (!strip || !GetObjectA(strip.Get(), sizeof dib, &dib)) {
        const DWORD error = GetLastError();
        ImageList_Destroy(list);
        RaiseOSError("Cannot load the images " + FResourceName, "LoadImageA", error);
    }
    if (disabled && dib.dsBm.bmBitsPixel == 32 && dib.dsBm.bmBits) {
        // Grey by luminance, at a third of the opacity.
        auto* px = static_cast<uint8_t*>(dib.dsBm.bmBits);
        const size_t count = static_cast<size_t>(dib.dsBm.bmWidth) * std::abs(dib.dsBm.bmHeight);
        for (size_t i = 0; i < count; ++i, px += 4) {
            const auto grey = static_cast<uint8_t>((px[0] * 29 + px[1] * 150 + px[2] * 77) >> 8);
            px[0] = px[1] = px[2] = static_cast<uint8_t>(128 + grey / 2);
            px[3] = static_cast<uint8_t>(px[3] / 3);
        }
    }
    if (ImageList_Add(list, strip.Get(), nullptr) < 0) {
        ImageList_Destroy(list);
        throw Exception("Cannot load the images " + FResourceName);
    }
    return list;
}

int TImageList::Count() {
    return ImageList_GetImageCount(Handle());
}

// --------------------------------------------------------------- TToolButton

const TClassInfo& TToolButton::StaticClass() {
    static const TClassInfo info{"TToolButton",
                                 &TControl::StaticClass(),
                                 CreateComponent<TToolButton>,
                                 {EnumProp("Style", &TToolButton::SetStyle,
                                           published::TEnumNames<TToolButtonStyle>{
                                               {"tbsButton", TToolButtonStyle::tbsButton},
                                               {"tbsCheck", TToolButtonStyle::tbsCheck},
                                               {"tbsSeparator", TToolButtonStyle::tbsSeparator}},
                                           "tbsButton"),
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
    if (TAction* action = FAction.Get())
        action->Execute();
    else
        TControl::Click();
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
    TControl::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FAction.Removed(component);
}

// ------------------------------------------------------------------ TToolBar

const TClassInfo& TToolBar::StaticClass() {
    static const TClassInfo info{"TToolBar",
                                 &TWinControl::StaticClass(),
                                 CreateComponent<TToolBar>,
                                 {RefProp("Images", &TToolBar::SetImages),
                                  IntProp("ButtonWidth", &TToolBar::SetButtonWidth, "23"),
                                  IntProp("ButtonHeight", &TToolBar::SetButtonHeight, "22"),
                                  IntProp("BorderWidth", &TToolBar::SetBorderWidth, "0"),
                                  BoolProp("EdgeBottom", &TToolBar::SetEdgeBottom, "False"),
                                  RefProp("PopupMenu", &TToolBar::SetPopupMenu)}};
    return info;
}

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner), FImages(this), FPopupMenu(this) {
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

void TToolBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = TOOLBARCLASSNAMEA;
    params.Style |= TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
                    CCS_NOPARENTALIGN | CCS_TOP;
}

void TToolBar::CreateWnd() {
    Perform(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    if (TImageList* images = FImages.Get()) {
        Perform(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images->Handle()));
        UpdateDisabledImages();
        Perform(TB_SETBITMAPSIZE, 0, MAKELONG(images->Width(), images->Height()));
    }
    std::vector<TBBUTTON> buttons;
    for (TToolButton* b : Buttons()) {
        TBBUTTON tb{};
        tb.idCommand = b->Index() + 1;
        tb.iString = -1;
        if (b->Style() == TToolButtonStyle::tbsSeparator) {
            tb.fsStyle = BTNS_SEP;
            tb.iBitmap = b->Width() > 0 ? b->Width() : 8;
        } else {
            tb.iBitmap = b->ImageIndex();
            if (b->Style() == TToolButtonStyle::tbsCheck)
                tb.fsStyle = b->Grouped() ? BTNS_CHECKGROUP : BTNS_CHECK;
            tb.fsState = (b->Enabled() ? TBSTATE_ENABLED : 0) | (b->FDown ? TBSTATE_CHECKED : 0);
        }
        buttons.push_back(tb);
    }
    Perform(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    Perform(TB_SETBUTTONSIZE, 0, MAKELONG(EffectiveButtonWidth(), EffectiveButtonHeight()));
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
    case WM_CONTEXTMENU:
        if (TPopupMenu* menu = FPopupMenu.Get()) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (p.x == -1 && p.y == -1) { // from the keyboard
                p = {0, Height()};
                ClientToScreen(Handle(), &p);
            }
            menu->Popup(p.x, p.y);
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
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TBN_GETINFOTIPA) {
        auto* tip = reinterpret_cast<NMTBGETINFOTIPA*>(lParam);
        const int index = tip->iItem - 1;
        if (index >= 0 && index < static_cast<int>(buttons.size()) && tip->cchTextMax > 0)
            lstrcpynA(tip->pszText, buttons[static_cast<size_t>(index)]->Hint().c_str(),
                      tip->cchTextMax);
        result = 0;
        return true;
    }
    return false;
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        FImages.Removed(component);
        FPopupMenu.Removed(component);
    }
}

// ---------------------------------------------------------------- TStatusBar

const TClassInfo& TStatusBar::StaticClass() {
    static const TClassInfo info{"TStatusBar",
                                 &TWinControl::StaticClass(),
                                 CreateComponent<TStatusBar>,
                                 {BoolProp("SimplePanel", &TStatusBar::SetSimplePanel, "True"),
                                  StrProp("SimpleText", &TStatusBar::SetSimpleText)}};
    return info;
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    FAlign = TAlign::alBottom;
    FHeight = 19;
}

void TStatusBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = STATUSCLASSNAMEA;
    params.Style |= SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN;
}

void TStatusBar::CreateWnd() {
    Perform(SB_SIMPLE, FSimplePanel);
    Perform(SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
}

std::string TStatusBar::SimpleText() const {
    if (!HandleAllocated())
        return FSimpleText;
    // What the window shows, not what we asked it to show. Some status bars
    // answer for the simple text only as part 0.
    WPARAM part = SB_SIMPLEID;
    auto length = LOWORD(Query(SB_GETTEXTLENGTHA, part));
    if (length == 0 && FSimplePanel) {
        part = 0;
        length = LOWORD(Query(SB_GETTEXTLENGTHA, part));
    }
    std::string text(length + 1u, '\0');
    Query(SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void TStatusBar::SetSimpleText(const std::string& text) {
    FSimpleText = text;
    if (HandleAllocated())
        Perform(SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
}

// ------------------------------------------------------- TListColumn, TListItem

const TClassInfo& TListColumn::StaticClass() {
    static const TClassInfo info{"TListColumn",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TListColumn>,
                                 {StrProp("Caption", &TListColumn::SetCaption),
                                  IntProp("Width", &TListColumn::SetWidth, "50")}};
    return info;
}

TListColumn::~TListColumn() {
    if (FListView) {
        auto& v = FListView->FColumns;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

int TListColumn::Index() const {
    if (!FListView)
        return -1;
    const auto& v = FListView->FColumns;
    return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

int TListColumn::Width() const {
    if (FListView && FListView->HandleAllocated())
        return static_cast<int>(SendMessageA(FListView->Handle(), LVM_GETCOLUMNWIDTH, Index(), 0));
    return FWidth;
}

void TListColumn::SetWidth(int v) {
    FWidth = v;
    if (FListView && FListView->HandleAllocated())
        SendMessageA(FListView->Handle(), LVM_SETCOLUMNWIDTH, Index(), MAKELPARAM(v, 0));
}

bool TListItem::HasState(UINT state) const {
    return FOwner.Perform(LVM_GETITEMSTATE, FIndex, state) != 0;
}

void TListItem::SetState(UINT state, bool on) {
    LVITEMA item{};
    item.stateMask = state;
    item.state = on ? state : 0;
    FOwner.Perform(LVM_SETITEMSTATE, FIndex, reinterpret_cast<LPARAM>(&item));
}

void TListItem::MakeVisible(bool partialOK) {
    FOwner.Perform(LVM_ENSUREVISIBLE, FIndex, partialOK);
}

TRect TListItem::DisplayRect() const {
    RECT r{};
    r.left = LVIR_BOUNDS;
    FOwner.Perform(LVM_GETITEMRECT, FIndex, reinterpret_cast<LPARAM>(&r));
    return {r.left, r.top, r.right, r.bottom};
}

// ----------------------------------------------------------------- TListView

const TClassInfo& TListView::StaticClass() {
    static const TClassInfo info{
        "TListView",
        &TWinControl::StaticClass(),
        CreateComponent<TListView>,
        {RefProp("SmallImages", &TListView::SetSmallImages),
         IntProp("AllocBy", &TListView::SetAllocBy, "0"),
         EnumProp("BorderStyle", &TListView::SetBorderStyle, BorderStyleNames(), "bsSingle"),
         EventProp("OnSelectItem", &TListView::SetOnSelectItem)}};
    return info;
}

TListView::TListView(TComponent* owner) : TWinControl(owner), FSmallImages(this) {
    FColor = clWindow;
    FTabStop = true;
}

TListView::~TListView() {
    for (TListColumn* c : FColumns)
        c->FListView = nullptr;
}

void TListView::ReadChild(TComponent* child) {
    auto* column = dynamic_cast<TListColumn*>(child);
    if (!column)
        throw EFormDataError("A list view holds columns only, not " + child->Name());
    column->FListView = this;
    FColumns.push_back(column);
    if (HandleAllocated())
        InsertColumnWindow(column);
}

void TListView::SetSmallImages(TImageList* images) {
    FSmallImages.Set(images);
    if (HandleAllocated())
        Perform(LVM_SETIMAGELIST, LVSIL_SMALL,
                reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

void TListView::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = WC_LISTVIEWA;
    // Single selection kept visible without the focus, captions not editable,
    // headers that do not sort. The items stay ours (owner data): the window
    // asks for the rows it paints, where storing them in it cost two
    // messages per row, 1500 for the main window's list, on the way to the
    // screen.
    params.Style |=
        LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_OWNERDATA;
    if (FBorderStyle == TBorderStyle::bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateWnd() {
    DWORD ex = LVS_EX_FULLROWSELECT;
    if (FDoubleBuffered)
        ex |= LVS_EX_DOUBLEBUFFER;
    Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    if (TImageList* images = FSmallImages.Get())
        Perform(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images->Handle()));
    for (TListColumn* c : FColumns)
        InsertColumnWindow(c);
    UpdateItemCount();
}

void TListView::UpdateItemCount() {
    if (HandleAllocated() && FUpdating == 0)
        Perform(LVM_SETITEMCOUNT, FItems.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void TListView::InsertColumnWindow(TListColumn* column) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(column->FCaption.c_str());
    col.cx = column->FWidth;
    col.iSubItem = column->Index();
    Perform(LVM_INSERTCOLUMNA, column->Index(), reinterpret_cast<LPARAM>(&col));
}

const std::string* TListView::ItemText(int index, int subItem) const {
    const TListItem* item = Item(index);
    if (!item || subItem < 0 || subItem > static_cast<int>(item->FSubItems.size()))
        return nullptr;
    return subItem == 0 ? &item->FCaption : &item->FSubItems[static_cast<size_t>(subItem - 1)];
}

TListItem* TListView::AddItem(const std::string& caption,
                              const std::vector<std::string>& subItems) {
    // Storage grows by AllocBy items at a time, not one by one.
    if (FAllocBy > 0 && FItems.size() == FItems.capacity())
        FItems.reserve(FItems.size() + static_cast<size_t>(FAllocBy));
    auto item = std::make_unique<TListItem>(*this, ItemCount());
    item->FCaption = caption;
    item->FSubItems = subItems;
    FItems.push_back(std::move(item));
    UpdateItemCount();
    return FItems.back().get();
}

void TListView::ClearItems() {
    FItems.clear();
    if (HandleAllocated())
        Perform(LVM_DELETEALLITEMS);
}

TListItem* TListView::Item(int index) const {
    return index >= 0 && index < ItemCount() ? FItems[static_cast<size_t>(index)].get() : nullptr;
}

namespace {
// The list control's answer for no item.
constexpr LRESULT kNoItem = -1;
} // namespace

TListItem* TListView::Selected() const {
    return Item(
        static_cast<int>(Query(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, kNoItem)));
}

TListItem* TListView::ItemFocused() const {
    return Item(
        static_cast<int>(Query(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED, kNoItem)));
}

// As the list control compares captions: without regard to case.
int TListView::FindCaptionFrom(int first, const std::string& text, bool partial, bool wrap) const {
    const int count = ItemCount();
    first = std::clamp(first, 0, count);
    for (int n = 0, end = wrap ? count : count - first; n < end; ++n) {
        const int i = (first + n) % count;
        const std::string& caption = FItems[static_cast<size_t>(i)]->FCaption;
        if ((partial ? caption.size() >= text.size() : caption.size() == text.size()) &&
            CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.data(),
                           static_cast<int>(text.size()), text.data(),
                           static_cast<int>(text.size())) == CSTR_EQUAL)
            return i;
    }
    return -1;
}

TListItem* TListView::FindCaption(int start, const std::string& text, bool partial, bool inclusive,
                                  bool wrap) const {
    return Item(FindCaptionFrom(inclusive ? start : start + 1, text, partial, wrap));
}

void TListView::BeginUpdate() {
    if (FUpdating++ == 0 && HandleAllocated())
        Perform(WM_SETREDRAW, FALSE);
}

void TListView::EndUpdate() {
    if (FUpdating == 0 || --FUpdating > 0)
        return;
    if (HandleAllocated()) {
        UpdateItemCount();
        Perform(WM_SETREDRAW, TRUE);
        Invalidate();
    }
}

int TListView::TopIndex() const {
    return static_cast<int>(Query(LVM_GETTOPINDEX));
}

int TListView::VisibleRowCount() const {
    return static_cast<int>(Query(LVM_GETCOUNTPERPAGE));
}

int TListView::HeaderHeight() {
    HWND header = reinterpret_cast<HWND>(Perform(LVM_GETHEADER));
    RECT r;
    // Its own style, not IsWindowVisible: the list may not be shown yet.
    if (!header || !(GetWindowLongA(header, GWL_STYLE) & WS_VISIBLE) || !GetWindowRect(header, &r))
        return 0;
    return r.bottom - r.top;
}

int TListView::RowHeight() {
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (!FItems.empty() && Perform(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)))
        return r.bottom - r.top;
    const TImageList* images = FSmallImages.Get();
    return (images ? images->Height() : 16) + 1;
}

bool TListView::Reflected(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg != WM_NOTIFY)
        return false;
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    switch (hdr->code) {
    case LVN_GETDISPINFOA: { // our windows are ANSI: so are the notifications they get
        auto& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        const std::string* text = ItemText(item.iItem, item.iSubItem);
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            lstrcpynA(item.pszText, text ? text->c_str() : "", item.cchTextMax);
        break;
    }
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: {
        // Typing in the list: the row whose caption begins with what was
        // typed. Some list controls ask in UTF-16 even of an ANSI parent.
        auto* find = reinterpret_cast<NMLVFINDITEMA*>(lParam);
        std::string text;
        if (hdr->code == LVN_ODFINDITEMA) {
            text = find->lvfi.psz ? find->lvfi.psz : "";
        } else if (const auto* wide = reinterpret_cast<NMLVFINDITEMW*>(lParam)->lvfi.psz) {
            char buffer[256] = {};
            WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
            text = buffer;
        }
        const UINT flags = find->lvfi.flags;
        result = flags & (LVFI_STRING | LVFI_PARTIAL)
                     ? FindCaptionFrom(find->iStart, text, flags & LVFI_PARTIAL, flags & LVFI_WRAP)
                     : -1;
        return true;
    }
    case LVN_ITEMCHANGED: {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED) &&
            FOnSelectItem)
            if (TListItem* item = Item(nm->iItem))
                FOnSelectItem(this, item, (nm->uNewState & LVIS_SELECTED) != 0);
        break;
    }
    case NM_DBLCLK:
        DblClick();
        break;
    default:
        return false;
    }
    result = 0;
    return true;
}

void TListView::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FSmallImages.Removed(component);
}
