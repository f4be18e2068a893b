// The main window: tool bar, the Find and List pages, status bar; the message
// lookup every page uses.
#pragma once

#include <string>

#include "components/QorvDataStorage.h"
#include "components/QorvEdit_win32.h"
#include "components/QorvPanel_win32.h"
#include "framework/ActnList.h"
#include "framework/ComCtrls_win32.h"
#include "framework/Dialogs_win32.h"
#include "framework/ExtCtrls_win32.h"
#include "framework/Forms_win32.h"
#include "framework/HtmlView.h"
#include "framework/Menus_win32.h"
#include "framework/PostedCalls_win32.h"
#include "framework/StdCtrls_win32.h"
#include "settings/QorvSettings.h"

// The system's message text for `code` exactly as FormatMessageA gives it;
// empty when the system has none.
std::string GetErrorDescription(int code);

class TMainForm : public TCustomForm, public TPlacementWindow {
    QORV_COMPONENT_CLASS
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    // The components of the form data, in its order.
    QORV_FIELD(TToolBar, ToolBar);
    QORV_FIELD(TToolButton, tbFind);
    QORV_FIELD(TToolButton, tbList);
    QORV_FIELD(TToolButton, tbSep1);
    QORV_FIELD(TToolButton, tbCopy);
    QORV_FIELD(TToolButton, tbSep2);
    QORV_FIELD(TToolButton, tbExport);
    QORV_FIELD(TToolButton, tbSep3);
    QORV_FIELD(TToolButton, tbPrint);
    QORV_FIELD(TToolButton, tbPrintPreview);
    QORV_FIELD(TToolButton, tbSep4);
    QORV_FIELD(TToolButton, tbStayOnTop);
    QORV_FIELD(TToolButton, tbSep5);
    QORV_FIELD(TToolButton, tbSavePosition);
    QORV_FIELD(TToolButton, tbClearPosition);
    QORV_FIELD(TToolButton, tbSep6);
    QORV_FIELD(TToolButton, tbAbout);
    QORV_FIELD(TNotebook, Notebook);
    QORV_FIELD(TPage, pgMessage);
    QORV_FIELD(TQorvPanel, pnFind);
    QORV_FIELD(TLabel, lbCode);
    QORV_FIELD(TQorvEdit, edCode);
    QORV_FIELD(TSpeedButton, sbWordWrap);
    QORV_FIELD(TMemo, mmDescription);
    QORV_FIELD(IHtmlView, Browser);
    QORV_FIELD(TPage, pgList);
    QORV_FIELD(TListView, lvList);
    QORV_FIELD(TListColumn, colCode);
    QORV_FIELD(TListColumn, colDescription);
    QORV_FIELD(TSplitter, Splitter);
    QORV_FIELD(TMemo, mmListDescription);
    QORV_FIELD(TStatusBar, StatusBar);
    QORV_FIELD(TImageList, LargeImages);
    QORV_FIELD(TImageList, SmallImages);
    QORV_FIELD(TImageList, ListSpacer);
    QORV_FIELD(TActionList, ActionList);
    QORV_FIELD(TAction, atFind);
    QORV_FIELD(TAction, atList);
    QORV_FIELD(TAction, atCopy);
    QORV_FIELD(TAction, atExport);
    QORV_FIELD(TAction, atPrint);
    QORV_FIELD(TAction, atPrintPreview);
    QORV_FIELD(TAction, atStayOnTop);
    QORV_FIELD(TAction, atSaveLayout);
    QORV_FIELD(TAction, atClearLayout);
    QORV_FIELD(TAction, atAbout);
    QORV_FIELD(TAction, atLargeIcons);
    QORV_FIELD(TAction, atSmallIcons);
    QORV_FIELD(TAction, atWordWrap);
    QORV_FIELD(TPopupMenu, ToolBarMenu);
    QORV_FIELD(TMenuItem, miLargeIcons);
    QORV_FIELD(TMenuItem, miSmallIcons);
    QORV_FIELD(TApplicationEvents, ApplicationEvents);
    QORV_FIELD(TSaveDialog, SaveDialog);
    QORV_FIELD(TQorvTextStorage, tsExportHTM);
    QORV_FIELD(TQorvTextStorage, tsExportTXT);

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormResize(TObject* Sender);
    void ApplicationEventsException(TObject* Sender, const std::exception& E);
    void atFindExecute(TObject* Sender);
    void atListExecute(TObject* Sender);
    void atCopyExecute(TObject* Sender);
    void atExportExecute(TObject* Sender);
    void SaveDialogTypeChange(TObject* Sender);
    void atStayOnTopExecute(TObject* Sender);
    void atSaveLayoutExecute(TObject* Sender);
    void atClearLayoutExecute(TObject* Sender);
    void atAboutExecute(TObject* Sender);
    void atLargeIconsExecute(TObject* Sender);
    void atSmallIconsExecute(TObject* Sender);
    void sbWordWrapClick(TObject* Sender);
    // The word-wrap button from the keyboard: toggled as a click toggles it.
    void atWordWrapExecute(TObject* Sender);
    void edCodeChange(TObject* Sender);
    void edCodeKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void lvListSelectItem(TObject* Sender, TListItem* Item, bool Selected);
    void lvListEnter(TObject* Sender);
    void lvListDblClick(TObject* Sender);
    void SplitterMoved(TObject* Sender);
    void MemoResize(TObject* Sender);
    void pgListResize(TObject* Sender);
    void atPrintExecute(TObject* Sender);
    void atPrintPreviewExecute(TObject* Sender);
    void BrowserCheck(TObject* Sender, IDispatch* pDisp, const std::string& URL);
    void BrowserPrint(TObject* Sender, IDispatch* pDisp, const std::string& URL);
    void BrowserPrintPreview(TObject* Sender, IDispatch* pDisp, const std::string& URL);

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
    std::vector<TMonitorArea> Monitors() override { return DesktopMonitors(); }
    int32_t CaptionHeight() override;

    // The least height of the list: its header, a few rows and a horizontal
    // scroll bar, so that the row of the current code can always be shown.
    int MinListHeight() const;

    std::string StatusText() const { return StatusBar->SimpleText(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Builds the rows of every code with a text.
    void FillList();
    // Writes the whole catalogue into `FileName`: the web page for filter
    // index 1, plain text otherwise. Failures raise.
    void ExportErrors(const std::string& FileName, int FilterIndex);
    // Writes the page that print and preview load.
    void WritePrintPage(const std::string& FileName);

private:
    void SetStatus(const std::string& text) { StatusBar->SetSimpleText(text); }
    void SetMemoMargins(TMemo* memo, int margin);
    // Gives the lower memo of the List page the height wanted for it, as far
    // as the page has room beside the list's minimum.
    void FitListMemo();
    // Builds the list's rows unless they are built: once, after the first
    // paint or when the List page first makes its windows, whichever comes
    // first.
    void ListNeeded();
    void SelectIcons(TMenuItem* item, TImageList* images, bool small);
    TMethodTable Methods();
    // Writes the catalogue page into a new temporary file and starts loading
    // it into Browser.
    void LoadPrintPage();
    // Runs a print or preview command on the loaded page and ends the request.
    void FinishPrintRequest(int command, const std::string& done);
    using TPrintCompletion = void (TMainForm::*)(TObject*, IDispatch*, const std::string&);
    // Shows the progress text, attaches the completion and makes the page.
    void StartPrintRequest(const std::string& progress, TPrintCompletion completion);
    // Deletes the page file of the latest request and the empty file its
    // unique name was reserved with, unless they are gone already.
    void DeletePrintPage();

    // The lower memo's height as stored or dragged, and as last fitted: the
    // page may show less of it while the window is small.
    int FListMemoWanted = 0;
    int FListMemoShown = -1;
    // The page file of the latest print or preview request.
    std::string PrintFileName;
    bool FPrintPageLeft = false; // its files exist and are ours to delete
    TPostedCalls FStatusCalls;   // a result to show while a preview is open
    std::string FPrintPage;      // the catalogue as a web page, once made
    TPostedCalls FListCalls;     // the rows, built once the window has painted
    bool FListFilled = false;
};
