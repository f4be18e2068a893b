// TListView: the system list view in report style, its columns and items.
#include "framework/ComCtrls_win32.h"

#include <algorithm>

#include "framework/Published.h"

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
