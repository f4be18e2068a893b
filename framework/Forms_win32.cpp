#include "framework/Forms_win32.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "framework/ActnList.h"
#include "framework/FormData.h"
#include "framework/FormReader.h"
#include "framework/Published.h"
#include "framework/StepTimes.h"

TApplication* Application = nullptr;

// ----------------------------------------------------------------- TCustomForm

const TClassInfo& TCustomForm::StaticClass() {
    static const TClassInfo info{
        "TCustomForm",
        &TWinControl::StaticClass(),
        nullptr,
        {
            StrProp("Caption", &TCustomForm::SetCaption),
            IntProp("ClientWidth", &TCustomForm::SetClientWidth),
            IntProp("ClientHeight", &TCustomForm::SetClientHeight),
            StrProp("Font.Name", &TCustomForm::SetFontName, "MS Sans Serif"),
            IntProp("Font.Size", &TCustomForm::SetFontSize, "8"),
            IntProp("Constraints.MinWidth", &TCustomForm::SetMinWidth, "0"),
            IntProp("Constraints.MinHeight", &TCustomForm::SetMinHeight, "0"),
            EnumProp("FormStyle", &TCustomForm::SetFormStyle,
                     published::TEnumNames<TFormStyle>{{"fsNormal", TFormStyle::fsNormal},
                                                       {"fsStayOnTop", TFormStyle::fsStayOnTop}},
                     "fsNormal"),
            EnumProp(
                "Position", &TCustomForm::SetPosition,
                published::TEnumNames<TPosition>{{"poDesigned", TPosition::poDesigned},
                                                 {"poScreenCenter", TPosition::poScreenCenter},
                                                 {"poMainFormCenter", TPosition::poMainFormCenter}},
                "poDesigned"),
            EnumProp("BorderStyle", &TCustomForm::SetBorderStyle, BorderStyleNames(), "bsSizeable"),
            IntProp("BorderWidth", &TCustomForm::SetBorderWidth, "0"),
            EventProp("OnCreate", &TCustomForm::SetOnCreate),
            EventProp("OnShow", &TCustomForm::SetOnShow),
            EventProp("OnDestroy", &TCustomForm::SetOnDestroy),
            EventProp("OnClose", &TCustomForm::SetOnClose),
        }};
    return info;
}

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    FVisible = false;
    Screen().FForms.push_back(this);
}

TCustomForm::~TCustomForm() {
    auto& forms = Screen().FForms;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (FOnDestroy) {
        try {
            FOnDestroy(this);
        } catch (...) {
            HandleControlException();
        }
    }
    if (FToolTip)
        DestroyWindow(FToolTip);
}

void TCustomForm::InitializeForm(const std::string& className, TMethodTable methods) {
    FResourceName = className;
    FMethods = std::move(methods);
    {
        TStartupStep step("form data");
        ReadFormData(*this, LoadFormResource(className), FMethods);
        FFields.Bind(*this);
    }
    if (FOnCreate) {
        TStartupStep step("FormCreate");
        FOnCreate(this);
    }
}

std::vector<std::string> TCustomForm::CheckBindings() const {
    return CheckFormBindings(ParseFormData(LoadFormResource(FResourceName)), ClassInfo(), FFields,
                             FMethods);
}

namespace {
DWORD FormStyleBits(TBorderStyle border) {
    switch (border) {
    case TBorderStyle::bsDialog:
        return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    case TBorderStyle::bsSingle:
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case TBorderStyle::bsNone:
        return WS_POPUP;
    default:
        return WS_OVERLAPPEDWINDOW;
    }
}

DWORD FormExStyleBits(TBorderStyle border) {
    return border == TBorderStyle::bsDialog ? WS_EX_DLGMODALFRAME : 0;
}

} // namespace

SIZE TCustomForm::FrameSize() const {
    if (!FFrameSize) {
        RECT r{0, 0, 0, 0};
        AdjustWindowRectEx(&r, FormStyleBits(FBorderStyle), FALSE, FormExStyleBits(FBorderStyle));
        FFrameSize = SIZE{r.right - r.left, r.bottom - r.top};
    }
    return *FFrameSize;
}

// Before the window exists its client size is the window size less the
// frame its border style will have.
void TCustomForm::SetClientWidth(int v) {
    SetWidth(Width() - ClientWidth() + v);
}

void TCustomForm::SetClientHeight(int v) {
    SetHeight(Height() - ClientHeight() + v);
}

int TCustomForm::ClientWidth() const {
    return HandleAllocated() ? TWinControl::ClientWidth()
                             : Width() - FrameSize().cx - 2 * BorderWidth();
}

int TCustomForm::ClientHeight() const {
    return HandleAllocated() ? TWinControl::ClientHeight()
                             : Height() - FrameSize().cy - 2 * BorderWidth();
}

void TCustomForm::SetBorderStyle(TBorderStyle v) {
    const int width = ClientWidth(), height = ClientHeight();
    FBorderStyle = v;
    FFrameSize.reset();
    if (!HandleAllocated()) {
        SetClientWidth(width);
        SetClientHeight(height);
    }
}

HFONT TCustomForm::FontHandle() {
    if (!FFont) {
        TScreenDC screen;
        LOGFONTA lf{};
        lf.lfHeight = -MulDiv(FFontSize, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(lf.lfFaceName, FFontName.c_str(), LF_FACESIZE);
        FFont.Reset(CreateFontIndirectA(&lf));
    }
    return FFont.Get();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
    if (FFormStyle == style)
        return;
    FFormStyle = style;
    if (HandleAllocated())
        SetWindowPos(Handle(), style == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0,
                     0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() const {
    HWND wnd = HandleIfAllocated();
    if (!wnd || !IsWindowVisible(wnd))
        return FWindowState;
    return IsZoomed(wnd)   ? TWindowState::wsMaximized
           : IsIconic(wnd) ? TWindowState::wsMinimized
                           : TWindowState::wsNormal;
}

void TCustomForm::SetWindowState(TWindowState state) {
    FWindowState = state;
    if (HandleAllocated() && IsWindowVisible(Handle()))
        ShowWindow(Handle(), state == TWindowState::wsMaximized   ? SW_MAXIMIZE
                             : state == TWindowState::wsMinimized ? SW_MINIMIZE
                                                                  : SW_RESTORE);
}

bool TCustomForm::Showing() const {
    HWND wnd = HandleIfAllocated();
    return wnd && IsWindowVisible(wnd);
}

void TCustomForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    // From here on the window tells its client size; should it go, the
    // system's metrics may have changed by the time we ask again.
    FFrameSize.reset();
    params.Style = (params.Style & ~(WS_VISIBLE | WS_CHILD)) | FormStyleBits(FBorderStyle);
    params.ExStyle |= FormExStyleBits(FBorderStyle);
    if (FFormStyle == TFormStyle::fsStayOnTop)
        params.ExStyle |= WS_EX_TOPMOST;
    // Secondary forms belong to the main form: they stay above it and
    // leave the task bar to it.
    if (Application && Application->MainForm() && Application->MainForm() != this)
        params.ParentWnd = Application->MainForm()->Handle();
    if (Application && !Application->IconName().empty()) {
        TStartupStep step("image lists and artwork");
        HINSTANCE module = GetModuleHandleA(nullptr);
        const char* name = Application->IconName().c_str();
        params.Icon =
            static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                          GetSystemMetrics(SM_CYICON), LR_SHARED));
        params.SmallIcon =
            static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
}

HWND TCustomForm::HintWindow() {
    if (FToolTip || !FShown || !HandleAllocated())
        return FToolTip;
    // Not owned by the form: an owned top-most popup would keep the form
    // itself from becoming top-most on some systems. Its notifications go to
    // the windows of the tools, which pass them on to us. A top-level window
    // is a few milliseconds of the window server's under Wine, hence made
    // only when the mouse first comes.
    FToolTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (FToolTip) {
        SendMessageA(FToolTip, TTM_SETMAXTIPWIDTH, 0, 400);
        AddHintTools(this);
    }
    return FToolTip;
}

void TCustomForm::HintChanged(TControl* control) {
    if (HandleAllocated())
        UpdateHint(control);
}

void TCustomForm::AddHintTools(TWinControl* parent) {
    for (TControl* c : parent->Controls()) {
        auto* w = dynamic_cast<TWinControl*>(c);
        if (!c->Hint().empty() && c->ShowHint())
            UpdateHint(c);
        if (w)
            AddHintTools(w);
    }
}

void TCustomForm::UpdateHint(TControl* control) {
    if (!FToolTip || !control->Parent())
        return;
    TTTOOLINFOA ti{};
    ti.cbSize = sizeof ti;
    ti.lpszText = LPSTR_TEXTCALLBACKA;
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        ti.uFlags = TTF_IDISHWND;
        ti.hwnd = Handle();
        ti.uId = reinterpret_cast<UINT_PTR>(w->Handle());
    } else {
        ti.uFlags = 0;
        ti.hwnd = control->Parent()->Handle();
        ti.uId = reinterpret_cast<UINT_PTR>(control);
        ti.rect = {control->Left(), control->Top(), control->Left() + control->Width(),
                   control->Top() + control->Height()};
    }
    SendMessageA(FToolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    if (!control->Hint().empty())
        SendMessageA(FToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void TCustomForm::Show() {
    HandleNeeded();
    // Placed each time it comes out of hiding: a window kept between its
    // showings opens where a new one would.
    if (!FShown || !IsWindowVisible(Handle())) {
        FShown = true;
        FVisible = true;
        // A window that opens over the main window opens wholly on the work
        // area of that window's monitor: one centred on a main window dragged
        // low would show no edge to take it by.
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        if (main == this || (main && !main->HandleAllocated()))
            main = nullptr;
        if (FPosition == TPosition::poScreenCenter || FPosition == TPosition::poMainFormCenter) {
            RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
            if (main)
                GetWindowRect(main->Handle(), &over);
            const TRect work = WorkAreaFor({over.left, over.top, over.right, over.bottom});
            if (FPosition == TPosition::poScreenCenter || !main)
                over = {work.Left, work.Top, work.Right, work.Bottom};
            const int left = over.left + (over.right - over.left - Width()) / 2;
            const int top = over.top + (over.bottom - over.top - Height()) / 2;
            const TRect placed = KeepInsideWorkArea({left, top, left + Width(), top + Height()},
                                                    work, FBorderStyle == TBorderStyle::bsSizeable);
            SetBounds(placed.Left, placed.Top, placed.Width(), placed.Height());
        }
        if (FOnShow) {
            TStartupStep step("FormShow");
            FOnShow(this);
        }
    }
    FVisible = true;
    {
        TStartupStep step("show and first paint");
        ShowWindow(Handle(), FWindowState == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
                             : FWindowState == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                                                                         : SW_SHOWNORMAL);
        UpdateWindow(Handle());
        if (FActiveControl && FActiveControl->CanFocus())
            ::SetFocus(FActiveControl->Handle());
        else
            SelectNext(true);
    }
    // The program's start-up ends with its main window on the screen.
    if (Application && Application->MainForm() == this)
        StartupSteps().End();
}

void TCustomForm::Close() {
    if (HandleAllocated())
        SendMessageA(Handle(), WM_CLOSE, 0, 0);
}

int TCustomForm::ShowModal() {
    FModalResult = mrNone;
    HWND owner = Application && Application->MainForm() && Application->MainForm() != this
                     ? Application->MainForm()->Handle()
                     : nullptr;
    if (owner)
        EnableWindow(owner, FALSE);
    struct TRestore {
        HWND Owner;
        TCustomForm* Form;
        ~TRestore() {
            if (Owner) {
                EnableWindow(Owner, TRUE);
                SetActiveWindow(Owner);
            }
            if (Form->HandleAllocated())
                ShowWindow(Form->Handle(), SW_HIDE);
        }
    } restore{owner, this};
    TModalLoop loop(Handle());
    Show();
    MSG msg;
    while (FModalResult == mrNone) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            // A request to end the program: the main window takes it, and
            // closes once we have ended. Ending here would leave the caller
            // running on with the program half gone.
            if (owner) {
                PostMessageA(owner, WM_CLOSE, 0, 0);
                continue;
            }
            PostQuitMessage(static_cast<int>(msg.wParam));
            FModalResult = mrCancel;
            break;
        }
        Application->ProcessMessage(msg);
    }
    return FModalResult;
}

namespace {
bool PressDefault(TWinControl* parent) {
    for (TControl* c : parent->Controls())
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible())
            if (w->DefaultKey() || PressDefault(w))
                return true;
    return false;
}
} // namespace

bool TCustomForm::DefaultKey() {
    return PressDefault(this);
}

bool TCustomForm::IsShortCut(WORD key) {
    if (key > 0xFF)
        return false;
    const TShiftState shift = KeyboardShiftState();
    const TShortCut shortCut = MakeShortCut(
        static_cast<uint8_t>(key), (shift & ssShift ? scShift : 0) | (shift & ssCtrl ? scCtrl : 0) |
                                       (shift & ssAlt ? scAlt : 0));
    for (TComponent* c : Components())
        if (auto* list = dynamic_cast<TActionList*>(c); list && list->IsShortCut(shortCut))
            return true;
    return false;
}

bool TCustomForm::DialogKey(WORD key) {
    if (IsShortCut(key))
        return true;
    return key == VK_RETURN && !(KeyboardShiftState() & (ssCtrl | ssAlt)) && DefaultKey();
}

bool TCustomForm::DialogChar(char key) {
    return FindDialogChar(key) != nullptr;
}

void TCustomForm::CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out) {
    std::vector<TWinControl*> children;
    for (TControl* c : parent->Controls())
        if (auto* w = dynamic_cast<TWinControl*>(c))
            children.push_back(w);
    // A stated tab order puts a child at that place; the others keep theirs.
    std::vector<std::pair<int, TWinControl*>> order;
    for (size_t i = 0; i < children.size(); ++i)
        order.emplace_back(children[i]->TabOrder() >= 0 ? children[i]->TabOrder()
                                                        : static_cast<int>(i),
                           children[i]);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [place, w] : order)
        if (w->Visible()) {
            if (w->TabStop() && w->CanFocus())
                out.push_back(w);
            CollectTabStops(w, out);
        }
}

bool TCustomForm::SelectNext(bool forward) {
    std::vector<TWinControl*> stops;
    CollectTabStops(this, stops);
    if (stops.empty())
        return false;
    HWND focus = GetFocus();
    auto it = std::find_if(stops.begin(), stops.end(), [&](TWinControl* w) {
        return w->HandleAllocated() && (w->Handle() == focus || IsChild(w->Handle(), focus));
    });
    size_t next = 0;
    if (it != stops.end()) {
        const size_t here = static_cast<size_t>(it - stops.begin());
        next = forward ? (here + 1) % stops.size() : (here + stops.size() - 1) % stops.size();
    }
    stops[next]->SetFocus();
    return true;
}

LRESULT TCustomForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, FMinWidth);
        info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, FMinHeight);
        return 0;
    }
    case WM_WINDOWPOSCHANGED:
        // A minimised window reports a parking position, not its bounds.
        if (IsIconic(Handle()))
            return DefaultHandler(msg, wParam, lParam);
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (FToolTip && hdr->hwndFrom == FToolTip && hdr->code == TTN_GETDISPINFOA) {
            static std::string text; // the tooltip copies it before we return
            auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            TControl* control = nullptr;
            if (info->uFlags & TTF_IDISHWND)
                control = FromHandle(reinterpret_cast<HWND>(hdr->idFrom));
            else
                for (TComponent* c : Components())
                    if (reinterpret_cast<UINT_PTR>(c) == hdr->idFrom)
                        control = dynamic_cast<TControl*>(c);
            text = control ? control->Hint() : std::string();
            info->lpszText = text.data();
            return 0;
        }
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && FActiveControl && FActiveControl->HandleAllocated() &&
            FActiveControl->CanFocus()) {
            ::SetFocus(FActiveControl->Handle());
            return 0;
        }
        break;
    case WM_ENDSESSION:
        if (wParam && Application && Application->MainForm() == this)
            Application->EndSession();
        return 0;
    case WM_CLOSE:
        if (DeferCloseToModal())
            return 0;
        if (FOnClose)
            FOnClose(this);
        if (FModalResult == mrNone && Application && Application->MainForm() != this) {
            FModalResult = mrCancel;
            ShowWindow(Handle(), SW_HIDE);
            return 0;
        }
        if (Application && Application->MainForm() == this) {
            ShowWindow(Handle(), SW_HIDE);
            Application->Terminate();
            // Wakes the main loop, which ends after this message. Not
            // WM_QUIT: a modal loop the running handler starts before the
            // main loop is reached would take it and end at once. A loop
            // nested inside a message the main loop's GetMessage delivered
            // (one sent from another thread or process) can take this
            // message too, and the main loop would then wait on for good:
            // the timer keeps waking it until it has seen the end.
            PostMessageA(Handle(), WM_NULL, 0, 0);
            SetTimer(Handle(), kEndTimer, 50, nullptr);
        }
        return 0;
    case WM_SYSCOMMAND:
        // The task bar's Close reaches a disabled window too; the system
        // would drop it there.
        if ((wParam & 0xFFF0) == SC_CLOSE && DeferCloseToModal())
            return 0;
        break;
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            CloseAfterModal();
            return 0;
        }
        if (wParam == kEndTimer)
            return 0; // its arrival was the point

        break;
    default:
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

namespace {
struct TModalSearch {
    HWND Main;
    HWND Found = nullptr;
};

// The modal window the user would answer now: a shown, enabled top-level
// window of the thread other than the main one, either a dialog of the
// system's (a message box, a common dialog) or one of our forms.
BOOL CALLBACK FindAnswerableModal(HWND wnd, LPARAM data) {
    auto* search = reinterpret_cast<TModalSearch*>(data);
    if (wnd == search->Main || !IsWindowVisible(wnd) || !IsWindowEnabled(wnd))
        return TRUE;
    char cls[8] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    if (std::string(cls) == "#32770" || dynamic_cast<TCustomForm*>(TWinControl::FromHandle(wnd))) {
        search->Found = wnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND TCustomForm::TopModalWindow() const {
    TModalSearch search{HandleIfAllocated()};
    EnumThreadWindows(GetCurrentThreadId(), FindAnswerableModal, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

bool TCustomForm::ModalWindowOpen() const {
    // Every modal window disables its owner; but a message box owned by the
    // main window enables it again as it goes, also when it came up over
    // another modal window, so our own loops are counted and the thread's
    // shown dialogs looked for as well.
    return !IsWindowEnabled(HandleIfAllocated()) || TModalLoop::Depth() > 0 || TopModalWindow();
}

bool TCustomForm::DeferCloseToModal() {
    if (!Application || Application->MainForm() != this || !ModalWindowOpen())
        return false;
    CloseAfterModal();
    return true;
}

void TCustomForm::CloseAfterModal() {
    if (!ModalWindowOpen()) {
        KillTimer(Handle(), kCloseTimer);
        FCloseAsked = nullptr;
        PostMessageA(Handle(), WM_CLOSE, 0, 0);
        return;
    }
    // The one on top is asked as the user would ask it (a dialog takes it as
    // Cancel); the ones beneath, and any the caller opens next, in turn as
    // they come on top. A box that cannot be closed waits for its answer.
    HWND top = TopModalWindow();
    if (top && top != FCloseAsked) {
        FCloseAsked = top;
        PostMessageA(top, WM_CLOSE, 0, 0);
    }
    SetTimer(Handle(), kCloseTimer, 50, nullptr);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FActiveControl)
        FActiveControl = nullptr;
}

// ---------------------------------------------------------------- TApplication

TApplication::TApplication() : TComponent(nullptr) {
    Application = this;
    SetControlHost(this);
}

TApplication::~TApplication() {
    // Forms go first, while Application still answers their exceptions.
    while (!Components().empty())
        delete Components().back();
    SetControlHost(nullptr);
    Application = nullptr;
}

void TApplication::Initialize() {
    RegisterControlClasses();
}

HWND TApplication::PopupOwner() {
    return FMainForm ? FMainForm->Handle() : nullptr;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component == FMainForm)
        FMainForm = nullptr;
}

void TApplication::Run() {
    if (!FMainForm)
        return;
    try {
        FMainForm->Show();
    } catch (...) {
        HandleException(FMainForm);
    }
    MSG msg;
    while (!FTerminated && GetMessageA(&msg, nullptr, 0, 0))
        ProcessMessage(msg);
    FTerminated = true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // As in a modal loop: the main window closes the program its way.
            if (FMainForm && FMainForm->HandleAllocated()) {
                PostMessageA(FMainForm->Handle(), WM_CLOSE, 0, 0);
                continue;
            }
            FTerminated = true;
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ProcessMessage(msg);
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    // Before the form's shortcuts see a key: the windows beneath a modal
    // one take no input.
    if (TModalLoop::Blocks(msg.hwnd, msg.message))
        return true;
    if (IsKeyMsg(msg))
        return true;
    // The hint window learns where the mouse is from the loop rather than by
    // subclassing every window that has a hint.
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
        if (auto* form =
                dynamic_cast<TCustomForm*>(TWinControl::FromHandle(GetAncestor(msg.hwnd, GA_ROOT))))
            if (form->HintWindow())
                SendMessageA(form->HintWindow(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

bool TApplication::IsKeyMsg(const MSG& msg) {
    if (msg.message != WM_SYSCHAR && msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    auto* form =
        dynamic_cast<TCustomForm*>(TWinControl::FromHandle(GetAncestor(msg.hwnd, GA_ROOT)));
    if (!form)
        return false;
    try {
        if (msg.message == WM_SYSCHAR)
            return form->DialogChar(static_cast<char>(msg.wParam));
        // With Alt held (or F10) only a shortcut takes the key; the rest is
        // the system's (menus, mnemonics through WM_SYSCHAR).
        if (msg.message == WM_SYSKEYDOWN)
            return form->IsShortCut(static_cast<WORD>(msg.wParam));
        if (msg.wParam == VK_TAB && !(KeyboardShiftState() & (ssCtrl | ssAlt)))
            return form->SelectNext(!(KeyboardShiftState() & ssShift));
        return form->DialogKey(static_cast<WORD>(msg.wParam));
    } catch (...) {
        HandleException(form);
        return true;
    }
}

void TApplication::HandleException(TObject* sender) {
    try {
        throw;
    } catch (const std::exception& e) {
        if (FOnException) {
            try {
                FOnException(sender, e);
                return;
            } catch (...) {
                // the handler failed too: fall back to the plain box below
            }
        }
        ShowException(e);
    } catch (...) {
        ShowException(Exception("An unknown error occurred."));
    }
}

void TApplication::EndSession() {
    if (!FOnEndSession)
        return;
    try {
        FOnEndSession();
    } catch (...) {
        // Nothing can be shown any more: the session is ending.
    }
}

void TApplication::ShowException(const std::exception& e) {
    HWND owner = FMainForm && FMainForm->HandleAllocated() ? FMainForm->Handle() : nullptr;
    MessageBoxA(owner, e.what(), FTitle.c_str(), MB_ICONERROR | MB_OK);
}

// ----------------------------------------------------------- TApplicationEvents

const TClassInfo& TApplicationEvents::StaticClass() {
    static const TClassInfo info{"TApplicationEvents",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TApplicationEvents>,
                                 {EventProp("OnException", &TApplicationEvents::SetOnException)}};
    return info;
}

TApplicationEvents::~TApplicationEvents() {
    if (FHooked && Application)
        Application->SetOnException(nullptr);
}

void TApplicationEvents::SetOnException(TExceptionEvent e) {
    FHooked = static_cast<bool>(e);
    if (Application)
        Application->SetOnException(std::move(e));
}

std::string LoadFormResource(const std::string& name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10)); // RT_RCDATA
    HGLOBAL data = res ? LoadResource(module, res) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes)
        throw EFormDataError("Form data resource " + name + " not found");
    return std::string(static_cast<const char*>(bytes), SizeofResource(module, res));
}

namespace {
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        auto& monitors = *reinterpret_cast<std::vector<TMonitorArea>*>(data);
        const RECT &m = info.rcMonitor, &w = info.rcWork;
        const TMonitorArea area{{m.left, m.top, m.right, m.bottom},
                                {w.left, w.top, w.right, w.bottom}};
        if (info.dwFlags & MONITORINFOF_PRIMARY)
            monitors.insert(monitors.begin(), area);
        else
            monitors.push_back(area);
    }
    return TRUE;
}
} // namespace

std::vector<TMonitorArea> DesktopMonitors() {
    std::vector<TMonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        RECT work;
        if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
            monitors.push_back(
                {{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                 {work.left, work.top, work.right, work.bottom}});
    }
    return monitors;
}

TRect WorkAreaFor(const TRect& bounds) {
    const std::vector<TMonitorArea> monitors = DesktopMonitors();
    std::vector<TRect> screens;
    for (const TMonitorArea& m : monitors)
        screens.push_back(m.Bounds);
    const int at = AreaOf(bounds, screens);
    return at < 0 ? bounds : monitors[static_cast<size_t>(at)].Work;
}
