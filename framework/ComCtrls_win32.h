// Common controls: image list, tool bar with its buttons, status bar and the
// report-style list view.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "framework/ActnList.h"
#include "framework/Controls_win32.h"
#include "framework/Menus_win32.h"
#include "framework/PostedCalls_win32.h"

// Images of one size, loaded from a bitmap strip resource (32-bit with alpha).
class TImageList : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TImageList(TComponent* owner) : TComponent(owner) {}
    ~TImageList() override;
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetWidth(int v) { FWidth = v; }
    void SetHeight(int v) { FHeight = v; }
    void SetResourceName(const std::string& v) { FResourceName = v; }
    int Count();
    HIMAGELIST Handle();
    // The same images greyed and faded, for disabled buttons.
    HIMAGELIST DisabledHandle();

private:
    HIMAGELIST Create(bool disabled);

    int FWidth = 16, FHeight = 16;
    std::string FResourceName;
    HIMAGELIST FHandle = nullptr;
    HIMAGELIST FDisabled = nullptr;
};

class TToolBar;
// A drop-down button is pressed as a whole; its click opens what it offers
// (a menu below it) and the system draws an arrow beside its face.
enum class TToolButtonStyle { tbsButton, tbsCheck, tbsSeparator, tbsDropDown };

// A button of a tool bar; the tool bar's window draws it. Linked to an action
// it takes the action's picture, hint and enabled state, and executes it.
// Its caption shows when the tool bar shows captions; a width above 0 fixes
// its width there, otherwise it fits its caption.
class TToolButton : public TControl, public TActionClient {
    QORV_COMPONENT_CLASS
public:
    explicit TToolButton(TComponent* owner);
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle v) { FStyle = v; }
    void SetGrouped(bool v) { FGrouped = v; }
    bool Grouped() const { return FGrouped; }
    bool Down() const;
    void SetDown(bool v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& v) { SetText(v); }
    // Where the tool bar draws us, in screen coordinates; empty without a
    // window.
    RECT ScreenRect() const;
    TAction* Action() const { return FAction.Get(); }
    void SetAction(TAction* action);
    void SetEnabled(bool enabled) override;
    void Click() override;
    void ActionChanged(TAction& action) override;
    // Pressed as a click would: a check button changes its state first; a
    // disabled button takes the key and does nothing.
    bool ShortCutPressed(TAction& action) override;
    // As a click of the mouse: a check button changes its state first.
    void Press() override;
    // Screen readers see each button (and separator) as a part of the tool
    // bar's window, named by its tool tip.
    bool AccessibleAsPart(TAccessiblePart& part) const override;
    // The tool tip: the hint, with the action's shortcut when it has one.
    std::string TipText() const;
    int Index() const;
    TToolBar* ToolBar() const;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void TextChanged() override;

private:
    friend class TToolBar;
    TToolButtonStyle FStyle = TToolButtonStyle::tbsButton;
    bool FGrouped = false;
    bool FDown = false;
    int FImageIndex = -1;
    TActionLink FAction;
    TPostedCalls FCalls; // clicks that came in a message from another program
    void RunClick();
};

class TToolBar : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TToolBar(TComponent* owner);
    TImageList* Images() const { return FImages.Get(); }
    void SetImages(TImageList* images);
    // 0 sizes the buttons to the images.
    void SetButtonWidth(int v);
    void SetButtonHeight(int v);
    SIZE ButtonSize() const;
    void SetBorderWidth(int v) { FBorderWidth = v; }
    void SetEdgeBottom(bool v) { FEdgeBottom = v; }
    // The buttons' captions are drawn: under their pictures, or beside them
    // in a list tool bar. Both are read when the window is made.
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool v) { FShowCaptions = v; }
    bool List() const { return FList; }
    void SetList(bool v) { FList = v; }
    // The button the keyboard is on (the hot one): null when none is.
    TToolButton* HotButton() const;
    // The width all the buttons take, with the border; 0 without a window.
    int ButtonsWidth() const;
    std::vector<TToolButton*> Buttons() const;
    void ReadChild(TComponent* child) override;
    void Loaded() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TToolButton;
    // Makes the next enabled button in `direction` (+1, -1) from the hot
    // one hot; round past the ends.
    void MoveHot(int direction);
    void SetHot(TToolButton* button);
    // Gives the window a button's new caption and lays the buttons out again.
    void ButtonTextChanged(TToolButton& button);
    // Gives the window the greyed copies of the images while a button is
    // disabled; they are made only then, not with every tool bar.
    void UpdateDisabledImages();
    void ApplyButtonSize();
    void SizeToButtons();
    int EffectiveButtonWidth() const;
    int EffectiveButtonHeight() const;

    TComponentRef<TImageList> FImages;
    int FButtonWidth = 23, FButtonHeight = 22;
    int FBorderWidth = 0;
    bool FEdgeBottom = false;
    bool FShowCaptions = false;
    bool FList = false;
};

class TStatusBar : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TStatusBar(TComponent* owner);
    void SetSimplePanel(bool v) { FSimplePanel = v; }
    std::string SimpleText() const;
    void SetSimpleText(const std::string& text);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    bool FSimplePanel = true;
    std::string FSimpleText;
};

class TListView;

class TListColumn : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TListColumn(TComponent* owner) : TComponent(owner) {}
    ~TListColumn() override;
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v) { FCaption = v; }
    int Width() const;
    void SetWidth(int v);
    int Index() const;

private:
    friend class TListView;
    std::string FCaption;
    int FWidth = 50;
    TListView* FListView = nullptr;
};

class TListItem {
public:
    TListItem(TListView& owner, int index) : FOwner(owner), FIndex(index) {}
    int Index() const { return FIndex; }
    const std::string& Caption() const { return FCaption; }
    const std::vector<std::string>& SubItems() const { return FSubItems; }
    bool Selected() const { return HasState(LVIS_SELECTED); }
    void SetSelected(bool v) { SetState(LVIS_SELECTED, v); }
    bool Focused() const { return HasState(LVIS_FOCUSED); }
    void SetFocused(bool v) { SetState(LVIS_FOCUSED, v); }
    // Scrolls the item into view; fully unless partialOK.
    void MakeVisible(bool partialOK);
    TRect DisplayRect() const;

private:
    friend class TListView;
    bool HasState(UINT state) const;
    void SetState(UINT state, bool on);
    TListView& FOwner;
    int FIndex;
    std::string FCaption;
    std::vector<std::string> FSubItems;
};

using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;

class TListView : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TListView(TComponent* owner);
    ~TListView() override;

    void ReadChild(TComponent* child) override;
    const std::vector<TListColumn*>& Columns() const { return FColumns; }
    TListColumn* Column(int index) const { return FColumns.at(static_cast<size_t>(index)); }

    TListItem* AddItem(const std::string& caption, const std::vector<std::string>& subItems);
    void ClearItems();
    int ItemCount() const { return static_cast<int>(FItems.size()); }
    TListItem* Item(int index) const;
    TListItem* Selected() const;
    TListItem* ItemFocused() const;
    // The list view's own search: the first item from `start` on whose caption
    // equals (or, partial, begins with) `text`.
    TListItem* FindCaption(int start, const std::string& text, bool partial, bool inclusive,
                           bool wrap) const;
    void BeginUpdate();
    void EndUpdate();
    int TopIndex() const;
    int VisibleRowCount() const;
    // Height of the column header in pixels; 0 without one. Measured, so the
    // window is made if there is none yet.
    int HeaderHeight();
    // Height of one row in pixels, measured on the first item; the height of
    // the small images (or of a 16-pixel image) plus a pixel without items.
    int RowHeight();

    void SetSmallImages(TImageList* images);
    void SetAllocBy(int v) { FAllocBy = v; }
    void SetBorderStyle(TBorderStyle v) { FBorderStyle = v; }
    void SetOnSelectItem(TLVSelectItemEvent e) { FOnSelectItem = std::move(e); }
    const TLVSelectItemEvent& OnSelectItem() const { return FOnSelectItem; }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void Notification(TComponent* component, TOperation operation) override;
    bool PaintsBuffered() const override { return false; } // the control buffers itself

private:
    friend class TListColumn;
    void InsertColumnWindow(TListColumn* column);
    // The window asks for the texts it shows; it holds only the count.
    void UpdateItemCount();
    const std::string* ItemText(int index, int subItem) const;
    int FindCaptionFrom(int first, const std::string& text, bool partial, bool wrap) const;

    std::vector<TListColumn*> FColumns;
    std::vector<std::unique_ptr<TListItem>> FItems;
    TComponentRef<TImageList> FSmallImages;
    int FAllocBy = 0;
    int FUpdating = 0; // BeginUpdate without its EndUpdate yet
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    TLVSelectItemEvent FOnSelectItem;
};
