#include "htmlview/formHtmlPreview_win32.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "framework/Gdi_win32.h"
#include "framework/StepTimes.h"
#include "framework/SysUtils.h"
#include "htmlview/HtmlText.h"

namespace {
// Grey around the page, as far as the page lies from the pane's edges, and
// the page's shadow.
constexpr COLORREF kBackground = RGB(128, 128, 128);
constexpr COLORREF kShadow = RGB(64, 64, 64);
constexpr int kGap = 12;
constexpr int kShadowOffset = 3;
constexpr int kLineStep = 20;
// Sent by the layout thread once the pages are made.
constexpr UINT kPagesReady = WM_APP + 1;

int ScreenPixelsPerInch() {
    TScreenDC screen;
    return GetDeviceCaps(screen.Get(), LOGPIXELSX);
}

std::string ZoomCaption(THtmlZoom zoom, int percent) {
    switch (zoom) {
    case THtmlZoom::hzWholePage:
        return "Whole page";
    case THtmlZoom::hzPageWidth:
        return "Page width";
    case THtmlZoom::hzPercent:
        break;
    }
    return std::to_string(percent) + "%";
}
} // namespace

int NextHtmlZoomStep(int percent, int direction) {
    if (direction > 0) {
        for (int step : kHtmlZoomSteps)
            if (step > percent)
                return step;
        return std::end(kHtmlZoomSteps)[-1];
    }
    for (auto it = std::rbegin(kHtmlZoomSteps); it != std::rend(kHtmlZoomSteps); ++it)
        if (*it < percent)
            return *it;
    return kHtmlZoomSteps[0];
}

// ---------------------------------------------------------- THtmlPreviewPane

const TClassInfo& THtmlPreviewPane::StaticClass() {
    static const TClassInfo info{
        "THtmlPreviewPane", &TCustomControl::StaticClass(), CreateComponent<THtmlPreviewPane>, {}};
    return info;
}

THtmlPreviewPane::THtmlPreviewPane(TComponent* owner) : TCustomControl(owner) {
    FTabStop = true;
    FDoubleBuffered = true;
}

void THtmlPreviewPane::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    // No scroll bars to begin with: the whole page, as the preview opens,
    // needs none, and drawing bars that are hidden straight after costs the
    // first paint about 20 ms under Wine. SetScrollInfo adds a bar when the
    // page outgrows the pane.
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void THtmlPreviewPane::SetPages(const THtmlPages* pages) {
    FPages = pages;
    ++FPagesSerial;
    FPageIndex = 0;
    FScrollX = FScrollY = 0;
    UpdateScrollBars();
    Invalidate();
}

void THtmlPreviewPane::SetPageIndex(int index) {
    if (FPageIndex != index) {
        FPageIndex = index;
        ScrollTo(FScrollX, 0);
        Invalidate();
    }
}

void THtmlPreviewPane::ZoomChanged() {
    FScrollX = FScrollY = 0;
    UpdateScrollBars();
    Invalidate();
    if (FOnZoomChange)
        FOnZoomChange();
}

void THtmlPreviewPane::SetZoom(THtmlZoom zoom) {
    if (FZoom != zoom) {
        FZoom = zoom;
        ZoomChanged();
    }
}

void THtmlPreviewPane::SetZoomPercent(int percent) {
    percent = std::clamp(percent, kHtmlZoomSteps[0], std::end(kHtmlZoomSteps)[-1]);
    if (FZoom != THtmlZoom::hzPercent || FPercent != percent) {
        FZoom = THtmlZoom::hzPercent;
        FPercent = percent;
        ZoomChanged();
    }
}

int THtmlPreviewPane::ZoomPercent() const {
    if (FZoom == THtmlZoom::hzPercent)
        return FPercent;
    if (!FPages || FPages->Setup.Dpi <= 0)
        return 100;
    return static_cast<int>(std::lround(Scale() * FPages->Setup.Dpi * 100 / ScreenPixelsPerInch()));
}

void THtmlPreviewPane::StepZoom(int direction) {
    SetZoomPercent(NextHtmlZoomStep(ZoomPercent(), direction));
}

double THtmlPreviewPane::Scale() const {
    if (!FPages || FPages->Setup.Width <= 0 || FPages->Setup.Height <= 0 || FPages->Setup.Dpi <= 0)
        return 0;
    const double across = double(std::max(1, ClientWidth() - 2 * kGap)) / FPages->Setup.Width;
    switch (FZoom) {
    case THtmlZoom::hzWholePage:
        return std::min(across,
                        double(std::max(1, ClientHeight() - 2 * kGap)) / FPages->Setup.Height);
    case THtmlZoom::hzPageWidth:
        return across;
    case THtmlZoom::hzPercent:
        break;
    }
    return double(ScreenPixelsPerInch()) * FPercent / 100 / FPages->Setup.Dpi;
}

RECT THtmlPreviewPane::PageRect() const {
    const double scale = Scale();
    if (scale <= 0)
        return {0, 0, 0, 0};
    const int width = static_cast<int>(std::lround(FPages->Setup.Width * scale));
    const int height = static_cast<int>(std::lround(FPages->Setup.Height * scale));
    // Centred while it fits; from the gap, less what is scrolled away, when not.
    const int left =
        width + 2 * kGap <= ClientWidth() ? (ClientWidth() - width) / 2 : kGap - FScrollX;
    const int top =
        height + 2 * kGap <= ClientHeight() ? (ClientHeight() - height) / 2 : kGap - FScrollY;
    return {left, top, left + width, top + height};
}

void THtmlPreviewPane::Paint(HDC dc) {
    RECT client{0, 0, ClientWidth(), ClientHeight()};
    TBrushHandle grey(CreateSolidBrush(kBackground));
    FillRect(dc, &client, grey.Get());
    if (!FPages || FPages->Count() == 0)
        return;
    const RECT page = PageRect();
    RECT shadow = page;
    OffsetRect(&shadow, kShadowOffset, kShadowOffset);
    TBrushHandle dark(CreateSolidBrush(kShadow));
    FillRect(dc, &shadow, dark.Get());
    PaintPage(dc, page);
    if (FOnPainted)
        FOnPainted();
}

void THtmlPreviewPane::PaintPage(HDC dc, const RECT& page) {
    const int width = page.right - page.left, height = page.bottom - page.top;
    const bool kept = FImage.Bitmap && FImage.Pages == FPagesSerial && FImage.Index == FPageIndex &&
                      FImage.Width == width && FImage.Height == height;
    TBitmapHandle fresh;
    if (!kept) {
        FImage = {};
        // A page zoomed far in is drawn where it shows, not kept whole.
        constexpr int kMostKeptPixels = 4 << 20;
        if (int64_t(width) * height <= kMostKeptPixels)
            fresh.Reset(CreateCompatibleBitmap(dc, width, height));
        if (!fresh) {
            TStartupStep step("page paint");
            FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            PaintHtmlPage(dc, *FPages, FPageIndex, page, FFonts);
            return;
        }
    }
    TMemoryDC image(dc);
    TSelectObject select(image.Get(), kept ? FImage.Bitmap.Get() : fresh.Get());
    if (!kept) {
        TStartupStep step("page paint");
        const RECT whole{0, 0, width, height};
        FillRect(image.Get(), &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        PaintHtmlPage(image.Get(), *FPages, FPageIndex, whole, FFonts);
        // Kept only once drawn whole.
        FImage = {std::move(fresh), FPagesSerial, FPageIndex, width, height};
    }
    BitBlt(dc, page.left, page.top, width, height, image.Get(), 0, 0, SRCCOPY);
}

void THtmlPreviewPane::Resize() {
    UpdateScrollBars();
    Invalidate();
    TCustomControl::Resize();
}

void THtmlPreviewPane::UpdateScrollBars() {
    if (!HandleAllocated() || FUpdatingBars)
        return;
    // Showing a bar narrows the client area, which changes the scale of the
    // fitting zooms and may call for the other bar: settle in a few rounds.
    FUpdatingBars = true;
    for (int round = 0; round < 3; ++round) {
        const RECT page = PageRect();
        const int contentW = page.right - page.left + 2 * kGap;
        const int contentH = page.bottom - page.top + 2 * kGap;
        SCROLLINFO h{sizeof h,
                     SIF_RANGE | SIF_PAGE | SIF_POS,
                     0,
                     contentW - 1,
                     static_cast<UINT>(ClientWidth()),
                     0,
                     0};
        SCROLLINFO v{sizeof v,
                     SIF_RANGE | SIF_PAGE | SIF_POS,
                     0,
                     contentH - 1,
                     static_cast<UINT>(ClientHeight()),
                     0,
                     0};
        FScrollX = std::clamp(FScrollX, 0, std::max(0, contentW - ClientWidth()));
        FScrollY = std::clamp(FScrollY, 0, std::max(0, contentH - ClientHeight()));
        h.nPos = FScrollX;
        v.nPos = FScrollY;
        const int oldW = ClientWidth(), oldH = ClientHeight();
        SetScrollInfo(Handle(), SB_HORZ, &h, TRUE);
        SetScrollInfo(Handle(), SB_VERT, &v, TRUE);
        if (ClientWidth() == oldW && ClientHeight() == oldH)
            break;
    }
    FUpdatingBars = false;
}

int THtmlPreviewPane::PageStep() const {
    return std::max(kLineStep, ClientHeight() - kLineStep);
}

int THtmlPreviewPane::MaxScrollY() const {
    const RECT page = PageRect();
    return std::max(0, int(page.bottom - page.top) + 2 * kGap - ClientHeight());
}

void THtmlPreviewPane::ScrollOrTurn(int dy) {
    if (!FPages || dy == 0)
        return;
    if (dy > 0 && FScrollY >= MaxScrollY()) {
        if (FOnPageTurn)
            FOnPageTurn(1);
    } else if (dy < 0 && FScrollY <= 0) {
        const int from = FPageIndex;
        if (FOnPageTurn)
            FOnPageTurn(-1);
        // The previous page is read on upwards from its end.
        if (FPageIndex != from)
            ScrollTo(FScrollX, MaxScrollY());
    } else {
        ScrollTo(FScrollX, std::clamp(FScrollY + dy, 0, MaxScrollY()));
    }
}

void THtmlPreviewPane::ScrollTo(int x, int y) {
    FScrollX = x;
    FScrollY = y;
    UpdateScrollBars();
    Invalidate();
}

void THtmlPreviewPane::Scroll(int bar, int code) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), bar, &si);
    int pos = si.nPos;
    switch (code) {
    case SB_LINEUP:
        pos -= kLineStep;
        break;
    case SB_LINEDOWN:
        pos += kLineStep;
        break;
    case SB_PAGEUP:
        pos -= static_cast<int>(si.nPage);
        break;
    case SB_PAGEDOWN:
        pos += static_cast<int>(si.nPage);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
    case SB_TOP:
        pos = 0;
        break;
    case SB_BOTTOM:
        pos = si.nMax;
        break;
    default:
        return;
    }
    if (bar == SB_HORZ)
        ScrollTo(pos, FScrollY);
    else
        ScrollTo(FScrollX, pos);
}

bool THtmlPreviewPane::KeyDown(WORD& key, TShiftState shift) {
    switch (key) {
    case VK_UP:
        ScrollOrTurn(-kLineStep);
        return true;
    case VK_DOWN:
        ScrollOrTurn(kLineStep);
        return true;
    case VK_LEFT:
        Scroll(SB_HORZ, SB_LINEUP);
        return true;
    case VK_RIGHT:
        Scroll(SB_HORZ, SB_LINEDOWN);
        return true;
    default:
        return TCustomControl::KeyDown(key, shift);
    }
}

LRESULT THtmlPreviewPane::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HSCROLL:
        Scroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_VSCROLL:
        Scroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL: {
        // Whole notches only: a fine wheel sends parts of one.
        FWheel += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = FWheel / WHEEL_DELTA;
        FWheel -= notches * WHEEL_DELTA;
        if (notches == 0)
            return 0;
        if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) {
            StepZoom(notches);
            return 0;
        }
        UINT lines = 3;
        SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        const int step =
            lines == WHEEL_PAGESCROLL ? PageStep() : kLineStep * static_cast<int>(lines);
        ScrollOrTurn(-notches * step);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
        SetFocus();
        break;
    default:
        break;
    }
    return TCustomControl::WndProc(msg, wParam, lParam);
}

// ---------------------------------------------------------- THtmlPreviewForm

const TClassInfo& THtmlPreviewForm::StaticClass() {
    static const TClassInfo info{"THtmlPreviewForm", &TCustomForm::StaticClass(), nullptr, {}};
    return info;
}

THtmlPreviewForm::THtmlPreviewForm(TComponent* owner) : TCustomForm(owner) {
    InitializeForm("THTMLPREVIEWFORM", Methods());
    FZoomMenu = new TPopupMenu(this);
    const auto add = [this](const std::string& caption, std::function<void()> choose) {
        auto* item = new TMenuItem(this);
        item->SetCaption(caption);
        item->SetRadioItem(true);
        item->SetOnClick([choose](TObject*) { choose(); });
        FZoomMenu->ReadChild(item);
    };
    add(ZoomCaption(THtmlZoom::hzWholePage, 0),
        [this] { pbPages->SetZoom(THtmlZoom::hzWholePage); });
    add(ZoomCaption(THtmlZoom::hzPageWidth, 0),
        [this] { pbPages->SetZoom(THtmlZoom::hzPageWidth); });
    for (int percent : kHtmlZoomSteps)
        add(ZoomCaption(THtmlZoom::hzPercent, percent),
            [this, percent] { pbPages->SetZoomPercent(percent); });
    pbPages->SetOnPageTurn([this](int delta) { TurnPage(delta); });
    pbPages->SetOnZoomChange([this] { UpdateControls(); });
    pbPages->SetOnPainted([this] {
        StartWork();
        if (FAfterPaint)
            FCalls.Post(std::exchange(FAfterPaint, nullptr));
    });
    SetActiveControl(pbPages);
    UpdateControls();
}

THtmlPreviewForm::~THtmlPreviewForm() {
    StopWork();
}

TMethodTable THtmlPreviewForm::Methods() {
    TMethodTable m;
    QORV_METHOD(m, THtmlPreviewForm, btPrintClick);
    QORV_METHOD(m, THtmlPreviewForm, btFirstClick);
    QORV_METHOD(m, THtmlPreviewForm, btPreviousClick);
    QORV_METHOD(m, THtmlPreviewForm, btNextClick);
    QORV_METHOD(m, THtmlPreviewForm, btLastClick);
    QORV_METHOD(m, THtmlPreviewForm, btZoomOutClick);
    QORV_METHOD(m, THtmlPreviewForm, btZoomClick);
    QORV_METHOD(m, THtmlPreviewForm, btZoomInClick);
    QORV_METHOD(m, THtmlPreviewForm, btCloseClick);
    QORV_METHOD(m, THtmlPreviewForm, edPageExit);
    return m;
}

void THtmlPreviewForm::ShowPages(THtmlPages pages, THtmlPagesWork rest) {
    StopWork();
    FPages = std::move(pages);
    FRest = std::move(rest);
    pbPages->SetPages(&FPages);
    GoToPage(0);
    // Shown already (a Print that changed the paper): the pane paints soon,
    // which starts the rest.
}

void THtmlPreviewForm::StartWork() {
    if (!FRest || FWork.joinable())
        return;
    FStop = false;
    FFailure = nullptr;
    HWND self = Handle();
    const WPARAM generation = ++FGeneration;
    // The thread reads nothing of the form but what it is handed here.
    FWork = std::thread([this, self, generation, work = std::move(FRest)] {
        try {
            FDone = work(FStop);
        } catch (...) {
            FFailure = std::current_exception();
        }
        PostMessageA(self, kPagesReady, generation, 0);
    });
    FRest = nullptr;
}

void THtmlPreviewForm::StopWork() {
    FRest = nullptr;
    if (FWork.joinable()) {
        FStop = true;
        FWork.join();
    }
    // A ready message still queued is dropped: its generation has passed.
    ++FGeneration;
}

void THtmlPreviewForm::WorkDone(WPARAM generation) {
    if (generation != FGeneration || !FWork.joinable())
        return;
    FWork.join();
    if (const std::exception_ptr failure = std::exchange(FFailure, nullptr)) {
        // With the window closed, the first page stays alone: the next
        // showing lays out again, and tells a failure then.
        if (!IsWindowVisible(Handle()))
            return;
        std::rethrow_exception(failure);
    }
    const int page = pbPages->PageIndex();
    const int scrolled = pbPages->ScrollY();
    FPages = std::move(FDone);
    pbPages->SetPages(&FPages);
    GoToPage(page);
    pbPages->ScrollTo(pbPages->FScrollX, scrolled);
}

void THtmlPreviewForm::ShowFirstPage() {
    GoToPage(0);
    pbPages->ScrollTo(0, 0);
}

void THtmlPreviewForm::WaitForPages() {
    if (FRest)
        StartWork();
    WorkDone(FGeneration);
}

LRESULT THtmlPreviewForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kPagesReady:
        WorkDone(wParam);
        return 0;
    case WM_MOUSEWHEEL:
        // The wheel goes to the focused control: the pane scrolls for all.
        if (!pbPages->HandleAllocated())
            break;
        return SendMessageA(pbPages->Handle(), msg, wParam, lParam);
    default:
        break;
    }
    return TCustomForm::WndProc(msg, wParam, lParam);
}

void THtmlPreviewForm::AfterNextPaint(std::function<void()> call) {
    FAfterPaint = std::move(call);
}

void THtmlPreviewForm::WindowsCreated() {
    TCustomForm::WindowsCreated();
    const int width = tbPreview->ButtonsWidth();
    if (width <= 0)
        return;
    tbPreview->SetWidth(width);
    constexpr int kSpace = 4;
    edPage->SetLeft(tbPreview->Left() + width + kSpace);
    lbPageCount->SetLeft(edPage->Left() + edPage->Width() + kSpace);
}

void THtmlPreviewForm::SetPrint(std::function<void()> print) {
    FPrint = std::move(print);
    UpdateControls();
}

void THtmlPreviewForm::GoToPage(int index) {
    if (index >= FPages.Count() && !PagesComplete())
        WaitForPages();
    index = std::clamp(index, 0, std::max(0, FPages.Count() - 1));
    pbPages->SetPageIndex(index);
    UpdateControls();
}

void THtmlPreviewForm::TurnPage(int delta) {
    GoToPage(pbPages->PageIndex() + delta);
}

std::string THtmlPreviewForm::PageText() const {
    return "Page " + edPage->Text() + " " + lbPageCount->Caption();
}

void THtmlPreviewForm::UpdateControls() {
    const int count = FPages.Count();
    const int index = pbPages->PageIndex();
    const bool complete = PagesComplete();
    btPrint->SetEnabled(FPrint != nullptr && count > 0);
    btFirst->SetEnabled(index > 0);
    btPrevious->SetEnabled(index > 0);
    btNext->SetEnabled(index + 1 < count || !complete);
    btLast->SetEnabled(index + 1 < count || !complete);
    edPage->SetText(std::to_string(count ? index + 1 : 0));
    lbPageCount->SetCaption("of " + (complete ? std::to_string(count) : std::string("...")));
    const int percent = pbPages->ZoomPercent();
    btZoom->SetCaption(ZoomCaption(pbPages->Zoom(), percent));
    btZoomOut->SetEnabled(percent > kHtmlZoomSteps[0]);
    btZoomIn->SetEnabled(percent < std::end(kHtmlZoomSteps)[-1]);
    const auto& items = FZoomMenu->Items();
    const int checked = pbPages->Zoom() == THtmlZoom::hzWholePage   ? 0
                        : pbPages->Zoom() == THtmlZoom::hzPageWidth ? 1
                                                                    : -1;
    for (size_t i = 0; i < items.size(); ++i)
        items[i]->SetChecked(checked >= 0 ? int(i) == checked
                                          : i >= 2 && kHtmlZoomSteps[i - 2] == percent);
}

void THtmlPreviewForm::GoToTypedPage() {
    int typed = 0;
    if (TryStrToInt(HtmlTrim(edPage->Text()), typed))
        GoToPage(typed - 1);
    else
        UpdateControls(); // the box reads the page shown again
}

bool THtmlPreviewForm::DialogKey(WORD key) {
    const TShiftState shift = KeyboardShiftState();
    const bool ctrl = shift & ssCtrl;
    const bool inBox = edPage->Focused();
    switch (key) {
    case VK_ESCAPE:
        Close();
        return true;
    case VK_RETURN:
        if (!inBox)
            return TCustomForm::DialogKey(key);
        GoToTypedPage();
        edPage->SelectAll();
        return true;
    case VK_PRIOR:
        pbPages->ScrollOrTurn(-pbPages->PageStep());
        return true;
    case VK_NEXT:
        pbPages->ScrollOrTurn(pbPages->PageStep());
        return true;
    case VK_HOME:
    case VK_END:
        // In the page box they move the caret.
        if (inBox && !ctrl)
            return false;
        GoToPage(key == VK_HOME ? 0 : INT_MAX);
        return true;
    case VK_ADD:
    case VK_OEM_PLUS:
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        if (!ctrl)
            return false;
        pbPages->StepZoom(key == VK_ADD || key == VK_OEM_PLUS ? 1 : -1);
        return true;
    case 'P':
        if (!ctrl || (shift & ssAlt) || !btPrint->Enabled())
            return false;
        btPrintClick(this);
        return true;
    default:
        return TCustomForm::DialogKey(key);
    }
}

void THtmlPreviewForm::btPrintClick(TObject*) {
    if (FPrint)
        FPrint();
}

void THtmlPreviewForm::btFirstClick(TObject*) {
    GoToPage(0);
}

void THtmlPreviewForm::btPreviousClick(TObject*) {
    GoToPage(pbPages->PageIndex() - 1);
}

void THtmlPreviewForm::btNextClick(TObject*) {
    GoToPage(pbPages->PageIndex() + 1);
}

void THtmlPreviewForm::btLastClick(TObject*) {
    GoToPage(INT_MAX);
}

void THtmlPreviewForm::btZoomOutClick(TObject*) {
    pbPages->StepZoom(-1);
}

void THtmlPreviewForm::btZoomClick(TObject*) {
    const RECT r = btZoom->ScreenRect();
    FZoomMenu->Popup(r.left, r.bottom, Handle());
}

void THtmlPreviewForm::btZoomInClick(TObject*) {
    pbPages->StepZoom(1);
}

void THtmlPreviewForm::btCloseClick(TObject*) {
    Close();
}

void THtmlPreviewForm::edPageExit(TObject*) {
    GoToTypedPage();
}

void RegisterHtmlPreviewClasses() {
    RegisterComponentClass(THtmlPreviewPane::StaticClass());
}
