// The main window: tool bar, the Find and List pages, status bar; the message
// lookup every page uses.
#pragma once

#include <string>

#include "framework/ActnList.h"
#include "framework/ComCtrls_win32.h"
#include "framework/ExtCtrls_win32.h"
#include "framework/Forms_win32.h"
#include "framework/Menus_win32.h"
#include "framework/StdCtrls_win32.h"
#include "settings/QorvSettings.h"

// The system's message text for `code` exactly as FormatMessageA gives it;
// empty when the system has none.
std::string GetErrorDescription(int code);

class TMainForm : public TCustomForm, public TPlacementWindow {
    QORV_COMPONENT_CLASS
public:
    explicit TMainForm(TComponent* owner);

    TToolBar* ToolBar = nullptr;
    TToolButton *tbFind = nullptr, *tbList = nullptr, *tbCopy = nullptr, *tbExport = nullptr,
                *tbPrint = nullptr, *tbPrintPreview = nullptr, *tbStayOnTop = nullptr,
                *tbSavePosition = nullptr, *tbClearPosition = nullptr, *tbAbout = nullptr;
    TNotebook* Notebook = nullptr;
    TPanel* pnFind = nullptr;
    TLabel* lbCode = nullptr;
    TNumberEdit* edCode = nullptr;
    TSpeedButton* sbWordWrap = nullptr;
    TMemo* mmDescription = nullptr;
    TListView* lvList = nullptr;
    TSplitter* Splitter = nullptr;
    TMemo* mmListDescription = nullptr;
    TStatusBar* StatusBar = nullptr;
    TImageList *LargeImages = nullptr, *SmallImages = nullptr, *ListSpacer = nullptr;
    TActionList* ActionList = nullptr;
    TAction *atFind = nullptr, *atList = nullptr, *atCopy = nullptr, *atExport = nullptr,
            *atPrint = nullptr, *atPrintPreview = nullptr, *atStayOnTop = nullptr,
            *atSaveLayout = nullptr, *atClearLayout = nullptr, *atAbout = nullptr,
            *atLargeIcons = nullptr, *atSmallIcons = nullptr;
    TPopupMenu* ToolBarMenu = nullptr;
    TMenuItem *miLargeIcons = nullptr, *miSmallIcons = nullptr;
    TApplicationEvents* ApplicationEvents = nullptr;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormResize(TObject* Sender);
    void ApplicationEventsException(TObject* Sender, const std::exception& E);
    void atFindExecute(TObject* Sender);
    void atListExecute(TObject* Sender);
    void atCopyExecute(TObject* Sender);
    void atStayOnTopExecute(TObject* Sender);
    void atSaveLayoutExecute(TObject* Sender);
    void atClearLayoutExecute(TObject* Sender);
    void atLargeIconsExecute(TObject* Sender);
    void atSmallIconsExecute(TObject* Sender);
    void sbWordWrapClick(TObject* Sender);
    void edCodeChange(TObject* Sender);
    void edCodeKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void lvListSelectItem(TObject* Sender, TListItem* Item, bool Selected);
    void lvListEnter(TObject* Sender);
    void lvListDblClick(TObject* Sender);
    void SplitterMoved(TObject* Sender);
    void pgListResize(TObject* Sender);

    // TPlacementWindow: the placement store reads and restores us through these.
    int32_t GetLeft() override { return Left(); }
    void SetLeft(int32_t value) override { TControl::SetLeft(value); }
    int32_t GetTop() override { return Top(); }
    void SetTop(int32_t value) override { TControl::SetTop(value); }
    int32_t GetWidth() override { return Width(); }
    void SetWidth(int32_t value) override { TControl::SetWidth(value); }
    int32_t GetHeight() override { return Height(); }
    void SetHeight(int32_t value) override { TControl::SetHeight(value); }
    TPlacementState GetWindowState() override;
    void SetWindowState(TPlacementState value) override;
    bool GetNormalBounds(TPlacementRect& bounds) override;
    std::vector<TRect> WorkAreas() override { return MonitorWorkAreas(); }

    // The least height of the list: its header, a few rows and a horizontal
    // scroll bar, so that the row of the current code can always be shown.
    int MinListHeight() const;

    std::string StatusText() const { return StatusBar->SimpleText(); }

protected:
    void ComponentsRead() override;
    // Builds the rows of every code with a text; once, at creation.
    void FillList();

private:
    void SetStatus(const std::string& text) { StatusBar->SetSimpleText(text); }
    void SetMemoMargins(TMemo* memo, int margin);
    // Gives the lower memo of the List page the height wanted for it, as far
    // as the page has room beside the list's minimum.
    void FitListMemo();
    void SelectIcons(TMenuItem* item, TImageList* images, bool small);
    TMethodTable Methods();

    // The lower memo's height as stored or dragged, and as last fitted: the
    // page may show less of it while the window is small.
    int FListMemoWanted = 0;
    int FListMemoShown = -1;
};
