#include "app/formMain_win32.h"

#include <commdlg.h>
#include <dlgs.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "about/formAbout_win32.h"
#include "app/ErrorCatalog.h"
#include "app/ErrorExport.h"
#include "app/StatusTexts.h"
#include "app/unitHtmlView_win32.h"
#include "app/unitOSInfo.h"
#include "framework/ShellApi_win32.h"
#include "framework/StepTimes.h"
#include "framework/SysUtils_win32.h"
#include "settings/unitSettings.h"

std::string GetErrorDescription(int code) {
    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                       static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    if (length == 0 || !buffer)
        return {};
    std::string text(buffer, length);
    LocalFree(buffer);
    return text;
}

const TClassInfo& TMainForm::StaticClass() {
    static const TClassInfo info{"TMainForm", &TCustomForm::StaticClass(), nullptr, {}};
    return info;
}

TMainForm::TMainForm(TComponent* owner) : TCustomForm(owner) {
    InitializeForm("TMAINFORM", Methods());
}

TMainForm::~TMainForm() {
    // A request whose page never loaded leaves nothing in the temporary folder.
    DeletePrintPage();
}

TMethodTable TMainForm::Methods() {
    TMethodTable m;
    QORV_METHOD(m, TMainForm, FormCreate);
    QORV_METHOD(m, TMainForm, FormShow);
    QORV_METHOD(m, TMainForm, FormResize);
    QORV_METHOD(m, TMainForm, ApplicationEventsException);
    QORV_METHOD(m, TMainForm, atFindExecute);
    QORV_METHOD(m, TMainForm, atListExecute);
    QORV_METHOD(m, TMainForm, atCopyExecute);
    QORV_METHOD(m, TMainForm, atExportExecute);
    QORV_METHOD(m, TMainForm, SaveDialogTypeChange);
    QORV_METHOD(m, TMainForm, atStayOnTopExecute);
    QORV_METHOD(m, TMainForm, atSaveLayoutExecute);
    QORV_METHOD(m, TMainForm, atClearLayoutExecute);
    QORV_METHOD(m, TMainForm, atAboutExecute);
    QORV_METHOD(m, TMainForm, atLargeIconsExecute);
    QORV_METHOD(m, TMainForm, atSmallIconsExecute);
    QORV_METHOD(m, TMainForm, sbWordWrapClick);
    QORV_METHOD(m, TMainForm, atWordWrapExecute);
    QORV_METHOD(m, TMainForm, edCodeChange);
    QORV_METHOD(m, TMainForm, edCodeKeyDown);
    QORV_METHOD(m, TMainForm, lvListSelectItem);
    QORV_METHOD(m, TMainForm, lvListEnter);
    QORV_METHOD(m, TMainForm, lvListDblClick);
    QORV_METHOD(m, TMainForm, SplitterMoved);
    QORV_METHOD(m, TMainForm, MemoResize);
    QORV_METHOD(m, TMainForm, pgListResize);
    QORV_METHOD(m, TMainForm, atPrintExecute);
    QORV_METHOD(m, TMainForm, atPrintPreviewExecute);
    QORV_METHOD(m, TMainForm, BrowserCheck);
    return m;
}

// ------------------------------------------------------------ start and show

LRESULT TMainForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Shift+F10 or the menu key in a control without a menu of its own (the
    // list, the tool bar) comes up to us: the window's one menu is the tool
    // bar's, and it opens there. The memos and the code field keep theirs.
    if (msg == WM_CONTEXTMENU && GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1 &&
        ToolBar->PopupMenu())
        return ToolBar->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(ToolBar->Handle()),
                                lParam);
    return TCustomForm::WndProc(msg, wParam, lParam);
}

void TMainForm::FormCreate(TObject*) {
    SetCaption(Application->Title());
    // Centred on the screen at the design size; a screen smaller than the
    // window puts it at the top left corner rather than off the screen.
    SetBounds(std::max(0, (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2),
              std::max(0, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2), Width(), Height());
    {
        TStartupStep step("placement");
        Settings->LoadPlacement(MainFormSection, *this, 0);
    }
    SetMemoMargins(mmDescription, 4);
    mmDescription->SetDoubleBuffered(true);
    Settings->AdjustListCol2(lvList->Width());
    lvList->Column(0)->SetWidth(Settings->AppliedListCol1());
    lvList->Column(1)->SetWidth(Settings->ListCol2);
    lvList->SetDoubleBuffered(true);
    FListMemoWanted = Settings->AppliedListSplitter();
    SetHtmlPreviewSize(*Browser, {Settings->PreviewWidth, Settings->PreviewHeight});
    FListMemoShown = mmListDescription->Height();
    FitListMemo();
    SetMemoMargins(mmListDescription, 4);
    mmListDescription->SetDoubleBuffered(true);
    // The rows are built once the window has painted (16384 lookups, a
    // twentieth of the start-up), or before, should the List page need them
    // first (pgListResize).
    FListCalls.Post([this] { ListNeeded(); });
}

void TMainForm::FormShow(TObject*) {
    if (Settings->SmallIcons()) {
        miSmallIcons->SetChecked(true);
        miSmallIcons->Click();
    }
    TToolButton* page = Settings->List() ? tbList : tbFind;
    page->SetDown(true);
    page->Click();
    if (Settings->StayOnTop()) {
        tbStayOnTop->SetDown(true);
        tbStayOnTop->Click();
    }
    if (!Settings->WordWrap()) {
        sbWordWrap->SetDown(false);
        sbWordWrap->Click();
    }
    Settings->SetModified(false);
    Browser->Navigate("about:blank");
}

void TMainForm::FormResize(TObject*) {
    SetMemoMargins(mmDescription, 4);
    SetMemoMargins(mmListDescription, 4);
}

void TMainForm::SetMemoMargins(TMemo* memo, int margin) {
    // A memo on a page not shown yet has no window: its page sets them when
    // it makes one (pgListResize).
    if (memo->WindowDeferred())
        return;
    RECT r;
    GetClientRect(memo->Handle(), &r);
    InflateRect(&r, -margin, -margin);
    memo->Perform(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
}

void TMainForm::ApplicationEventsException(TObject*, const std::exception& E) {
    MessageBoxA(HandleAllocated() ? Handle() : nullptr, E.what(), Application->Title().c_str(),
                MB_ICONERROR | MB_OK);
}

// -------------------------------------------------------------- the pages

void TMainForm::atFindExecute(TObject*) {
    SetStatus("");
    Notebook->SetPageIndex(0);
    edCodeChange(edCode);
    edCode->SetFocus();
    edCode->SelectAll();
    Settings->SetList(false);
}

void TMainForm::atListExecute(TObject*) {
    SetStatus("");
    Notebook->SetPageIndex(1);
    edCodeChange(edCode);
    lvList->SetFocus();
    Settings->SetList(true);
}

void TMainForm::edCodeChange(TObject*) {
    SetStatus("");
    int code = 0;
    if (!TryStrToInt(edCode->Text(), code)) {
        mmDescription->SetText("");
        SetStatus(SErrorNotFound);
        return;
    }
    if (Notebook->PageIndex() == 1) {
        // Follow the field: select the code's row without writing the field
        // back or touching the lower memo.
        TListItem* item = lvList->FindCaption(0, edCode->Text(), false, true, false);
        if (!item)
            return;
        TLVSelectItemEvent handler = lvList->OnSelectItem();
        lvList->SetOnSelectItem(nullptr);
        item->MakeVisible(false);
        item->SetSelected(true);
        item->SetFocused(true);
        lvList->SetOnSelectItem(handler);
        return;
    }
    mmDescription->SetText(GetErrorDescription(code));
    if (mmDescription->Text().empty())
        SetStatus(SErrorNotFound);
}

void TMainForm::edCodeKeyDown(TObject*, WORD& Key, TShiftState) {
    SetStatus("");
    if (Key == VK_UP) {
        edCode->SetValue(StrToInt(VarToStr(edCode->GetValue())) + 1);
        Key = 0;
    } else if (Key == VK_DOWN) {
        edCode->SetValue(StrToInt(VarToStr(edCode->GetValue())) - 1);
        Key = 0;
    }
}

void TMainForm::ListNeeded() {
    if (std::exchange(FListFilled, true))
        return;
    FListCalls.Cancel();
    FillList();
    // Only with rows is the list's least height known.
    FitListMemo();
}

void TMainForm::FillList() {
    lvList->BeginUpdate();
    for (int code = 0; code <= MaxErrorCode; ++code) {
        const std::string text = GetErrorDescription(code);
        if (!text.empty())
            lvList->AddItem(IntToStr(code), {FlattenLineBreaks(text)});
    }
    lvList->EndUpdate();
}

void TMainForm::lvListSelectItem(TObject*, TListItem* Item, bool) {
    SetStatus("");
    edCode->SetText(Item->Caption());
    mmListDescription->SetText(GetErrorDescription(StrToInt(edCode->Text())));
}

void TMainForm::lvListEnter(TObject*) {
    SetStatus("");
    int code = -1;
    if (!TryStrToInt(edCode->Text(), code))
        code = -1; // no number: no text, as for any code without one
    mmListDescription->SetText(GetErrorDescription(code));
}

void TMainForm::lvListDblClick(TObject*) {
    SetStatus("");
    tbFind->SetDown(true);
    tbFind->Click();
}

void TMainForm::SplitterMoved(TObject*) {
    SetStatus("");
    SetMemoMargins(mmListDescription, 4);
}

void TMainForm::MemoResize(TObject* Sender) {
    // A memo's window forgets its formatting rectangle whenever its size
    // changes, also when the tool bar or a hidden page's layout changed it
    // and the form itself kept its size.
    if (auto* memo = dynamic_cast<TMemo*>(Sender))
        SetMemoMargins(memo, 4);
}

void TMainForm::pgListResize(TObject*) {
    // Also when the page's windows have just been made: from then on the
    // list may be seen or asked for its rows.
    if (!lvList->WindowDeferred())
        ListNeeded();
    FitListMemo();
    SetMemoMargins(mmListDescription, 4);
}

int TMainForm::MinListHeight() const {
    return lvList->HeaderHeight() + 3 * lvList->RowHeight() + GetSystemMetrics(SM_CYHSCROLL);
}

void TMainForm::FitListMemo() {
    const int height = mmListDescription->Height();
    // A height we did not give it came from a drag of the splitter (or from
    // the program): that is the one wanted from now on.
    if (height != FListMemoShown)
        FListMemoWanted = height;
    // Until the page has its windows the list cannot tell its header and
    // rows: the memo takes the height wanted, fitted once the page shows.
    if (lvList->WindowDeferred()) {
        FListMemoShown = FListMemoWanted;
    } else {
        const int minList = MinListHeight();
        Splitter->SetMinClientSize(minList);
        FListMemoShown = FitDockedHeight(FListMemoWanted, Splitter->Parent()->ClientHeight(),
                                         Splitter->Height(), minList);
    }
    if (FListMemoShown != height) {
        // Its bottom edge stays: the page stacks bottom-aligned controls by it.
        mmListDescription->SetBounds(mmListDescription->Left(),
                                     mmListDescription->Top() + height - FListMemoShown,
                                     mmListDescription->Width(), FListMemoShown);
        SetMemoMargins(mmListDescription, 4);
    }
}

// ------------------------------------------------------------- the actions

void TMainForm::atCopyExecute(TObject*) {
    int code = -1;
    if (!TryStrToInt(edCode->Text(), code))
        code = -1;
    const std::string text = ClipboardText(edCode->Text(), GetErrorDescription(code));
    if (!OpenClipboard(Handle()))
        throw Exception("Cannot open clipboard.");
    struct TCloser {
        ~TCloser() { CloseClipboard(); }
    } closer;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* bytes = memory ? static_cast<char*>(GlobalLock(memory)) : nullptr;
    if (!bytes) {
        if (memory)
            GlobalFree(memory);
        throw Exception("Not enough memory to copy to the clipboard.");
    }
    std::copy(text.c_str(), text.c_str() + text.size() + 1, bytes);
    GlobalUnlock(memory);
    // Only now is the old content given up: a failure above leaves it.
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, memory)) {
        GlobalFree(memory);
        throw Exception("Cannot write to the clipboard.");
    }
    SetStatus(SErrorCopied);
}

void TMainForm::atStayOnTopExecute(TObject*) {
    SetStatus("");
    const bool onTop = tbStayOnTop->Down();
    SetFormStyle(onTop ? TFormStyle::fsStayOnTop : TFormStyle::fsNormal);
    Settings->SetStayOnTop(onTop);
}

void TMainForm::SelectIcons(TMenuItem* item, TImageList* images, bool small) {
    SetStatus("");
    item->SetChecked(true);
    ToolBar->SetImages(images);
    ToolBar->SetButtonWidth(0);
    ToolBar->SetButtonHeight(0);
    Settings->SetSmallIcons(small);
}

void TMainForm::atLargeIconsExecute(TObject*) {
    SelectIcons(miLargeIcons, LargeImages, false);
}

void TMainForm::atSmallIconsExecute(TObject*) {
    SelectIcons(miSmallIcons, SmallImages, true);
}

void TMainForm::sbWordWrapClick(TObject*) {
    SetStatus("");
    const bool wrap = sbWordWrap->Down();
    mmDescription->SetWrapping(wrap, wrap ? TScrollStyle::ssVertical : TScrollStyle::ssBoth);
    // The memo's window is made anew for the new wrapping; its margins go with it.
    SetMemoMargins(mmDescription, 4);
    Settings->SetWordWrap(wrap);
}

void TMainForm::atWordWrapExecute(TObject*) {
    sbWordWrap->SetDown(!sbWordWrap->Down());
    sbWordWrapClick(sbWordWrap);
}

void TMainForm::atSaveLayoutExecute(TObject*) {
    SetStatus("");
    // The lower memo's height as the List page fits it, shown yet or not.
    pgList->HandleNeeded();
    const THtmlPreviewSize preview = HtmlPreviewSize(*Browser);
    Settings->PreviewWidth = preview.Width;
    Settings->PreviewHeight = preview.Height;
    Settings->SaveWindowLayout(*this, lvList->Column(0)->Width(), lvList->Column(1)->Width(),
                               mmListDescription->Height());
    SetStatus(SLayoutSaved);
}

void TMainForm::atClearLayoutExecute(TObject*) {
    SetStatus("");
    Settings->ClearWindowLayout();
    SetStatus(SLayoutCleared);
}

void TMainForm::atAboutExecute(TObject*) {
    SetStatus("");
    // No owner: the window is ours to free, also when showing it raises.
    std::unique_ptr<TAboutForm> about(new TAboutForm(nullptr));
    about->ShowModal();
}

// ------------------------------------------------------------------ export

namespace {
bool FileExists(const std::string& name) {
    const DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

void TMainForm::atExportExecute(TObject*) {
    SetStatus("");
    if (!SaveDialog->Execute())
        return;
    SetStatus(SExportingErrors);
    Application->ProcessMessages();
    const int filterIndex = SaveDialog->FilterIndex();
    const std::string target = ExportTargetName(SaveDialog->FileName(), filterIndex);
    // An unchanged name was already asked about by the dialog itself.
    if (target != SaveDialog->FileName() && FileExists(target) &&
        MessageBoxA(Handle(), ReplaceQuestion(target).c_str(), Application->Title().c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
        SetStatus(SExportCanceled);
        return;
    }
    ExportErrors(target, filterIndex);
    SetStatus(SErrorsExported);
    Application->ProcessMessages();
    ShellOpen(Handle(), target); // the result is ignored: no viewer is no failure
}

void TMainForm::SaveDialogTypeChange(TObject*) {
    // The component's handle is our hook's window; the dialog is its parent.
    HWND dialog = GetParent(SaveDialog->Handle());
    // The name as typed in the name box, without its folder.
    char typed[261] = {};
    if (SendMessageA(dialog, CDM_GETSPEC, 260, reinterpret_cast<LPARAM>(typed)) < 0)
        typed[0] = '\0';
    const std::string name = ExportTargetName(typed, SaveDialog->FilterIndex());
    // Wine's dialog has no name edit 1152: its name box is the combo box 1148.
    const int nameBox = GetDlgItem(dialog, edt1) ? edt1 : cmb13;
    SendMessageA(dialog, CDM_SETCONTROLTEXT, nameBox, reinterpret_cast<LPARAM>(name.c_str()));
}

namespace {
const TCatalogSource& SystemCatalog() {
    static const TCatalogSource source{GetErrorDescription, [] { return GetOSName(); }};
    return source;
}
} // namespace

void TMainForm::ExportErrors(const std::string& FileName, int FilterIndex) {
    const TQorvTextStorage* storage = FilterIndex == ExportWebPage ? tsExportHTM : tsExportTXT;
    ExportErrorCatalog(FileName, storage->Data().Text(), FilterIndex, SystemCatalog());
}

void TMainForm::WritePrintPage(const std::string& FileName) {
    // The system's texts do not change while the program runs: the page is
    // made once, and each request writes it out.
    if (FPrintPage.empty()) {
        TMemoryStream page;
        WriteErrorCatalog(page, tsExportHTM->Data().Text(), ExportWebPage, SystemCatalog());
        FPrintPage.assign(page.Bytes().begin(), page.Bytes().end());
    }
    TFileStream file(FileName, TFileMode::fmCreate);
    file.WriteBuffer(FPrintPage.data(), static_cast<int32_t>(FPrintPage.size()));
}

// ------------------------------------------------------- print and preview

void TMainForm::BrowserCheck(TObject*, IDispatch*, const std::string&) {
    const auto available = [this](int command) {
        return (Browser->QueryStatusWB(command) & (hsSupported | hsEnabled)) ==
               (hsSupported | hsEnabled);
    };
    tbPrint->SetEnabled(available(hcPrint));
    tbPrintPreview->SetEnabled(available(hcPrintPreview));
}

void TMainForm::atPrintExecute(TObject*) {
    StartPrintRequest(SPrintingErrors, &TMainForm::BrowserPrint);
}

void TMainForm::atPrintPreviewExecute(TObject*) {
    StartPrintRequest(SGeneratingPreview, &TMainForm::BrowserPrintPreview);
}

void TMainForm::StartPrintRequest(const std::string& progress, TPrintCompletion completion) {
    SetStatus(progress);
    // The progress shows while the page is made; the rest of the window,
    // and input, wait for the loop.
    UpdateWindow(StatusBar->Handle());
    Browser->SetOnNavigateComplete2(
        [this, completion](TObject* Sender, IDispatch* pDisp, const std::string& URL) {
            (this->*completion)(Sender, pDisp, URL);
        });
    LoadPrintPage();
}

void TMainForm::LoadPrintPage() {
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        RaiseLastOSError("Cannot find the temporary folder", "GetTempPathA");
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder, "KVZ", 0, name))
        RaiseLastOSError(std::string("Cannot make a file in the temporary folder ") + folder,
                         "GetTempFileNameA");
    // The page of a request still loading will never be printed: its files go
    // before the newer request takes the name.
    DeletePrintPage();
    PrintFileName = std::string(name) + ".htm";
    FPrintPageLeft = true;
    try {
        TStartupStep step("export");
        WritePrintPage(PrintFileName);
    } catch (...) {
        DeletePrintPage();
        throw;
    }
    Browser->Navigate(PrintFileName);
}

void TMainForm::BrowserPrint(TObject*, IDispatch*, const std::string&) {
    FinishPrintRequest(hcPrint, SErrorsPrinted);
}

void TMainForm::BrowserPrintPreview(TObject*, IDispatch*, const std::string&) {
    FinishPrintRequest(hcPrintPreview, SPreviewGenerated);
}

void TMainForm::FinishPrintRequest(int command, const std::string& done) {
    // The preview stays open until the user closes it: the status says it
    // was generated once its window runs, not only after it has gone.
    if (command == hcPrintPreview)
        FStatusCalls.Post([this, done] { SetStatus(done); });
    try {
        Browser->ExecWB(command, hoPromptUser);
    } catch (...) {
        FStatusCalls.Cancel();
        throw;
    }
    FStatusCalls.Cancel();
    Browser->SetOnNavigateComplete2(nullptr);
    DeletePrintPage();
    SetStatus(done);
}

void TMainForm::DeletePrintPage() {
    if (!std::exchange(FPrintPageLeft, false))
        return;
    // Failures are ignored: a file some other program holds open stays, and
    // nothing of ours depends on it.
    DeleteFileA(PrintFileName.c_str());
    DeleteFileA(PrintFileName.substr(0, PrintFileName.size() - 4).c_str());
}

// ---------------------------------------------------------------- placement

TPlacementState TMainForm::GetWindowState() {
    switch (WindowState()) {
    case TWindowState::wsMaximized:
        return TPlacementState::Maximized;
    case TWindowState::wsMinimized:
        return TPlacementState::Minimized;
    default:
        return TPlacementState::Normal;
    }
}

void TMainForm::SetWindowState(TPlacementState value) {
    TCustomForm::SetWindowState(value == TPlacementState::Maximized   ? TWindowState::wsMaximized
                                : value == TPlacementState::Minimized ? TWindowState::wsMinimized
                                                                      : TWindowState::wsNormal);
}

bool TMainForm::GetNormalBounds(TPlacementRect& bounds) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(Handle(), &wp))
        return false;
    RECT r = wp.rcNormalPosition;
    // Restored, the window's own rectangle is that rectangle; taken from the
    // screen and counted from the work area as Windows counts the record, it
    // is right also where the record is given in screen coordinates (Wine's).
    if (!IsZoomed(Handle()) && !IsIconic(Handle()) && GetWindowRect(Handle(), &r)) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoA(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &info))
            OffsetRect(&r, info.rcMonitor.left - info.rcWork.left,
                       info.rcMonitor.top - info.rcWork.top);
    }
    bounds = {r.left, r.top, r.right, r.bottom};
    return true;
}

int32_t TMainForm::CaptionHeight() {
    return GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
}
