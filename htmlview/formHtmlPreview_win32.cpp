#include "htmlview/formHtmlPreview_win32.h"

#include <algorithm>
#include <cmath>

#include "framework/Gdi_win32.h"
#include "framework/StepTimes.h"

namespace {
// Grey around the page, as far as the page lies from the pane's edges, and
// the page's shadow.
constexpr COLORREF kBackground = RGB(128, 128, 128);
constexpr COLORREF kShadow = RGB(64, 64, 64);
constexpr int kGap = 12;
constexpr int kShadowOffset = 3;
constexpr int kLineStep = 20;

int ScreenPixelsPerInch() {
    TScreenDC screen;
    return GetDeviceCaps(screen.Get(), LOGPIXELSX);
}
} // namespace

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

void THtmlPreviewPane::SetZoom(THtmlZoom zoom) {
    if (FZoom != zoom) {
        FZoom = zoom;
        FScrollX = FScrollY = 0;
        UpdateScrollBars();
        Invalidate();
    }
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
    case THtmlZoom::hzActualSize:
        break;
    }
    return double(ScreenPixelsPerInch()) / FPages->Setup.Dpi;
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
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TStartupStep step("page paint");
    PaintHtmlPage(dc, *FPages, FPageIndex, page, FFonts);
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
        Scroll(SB_VERT, SB_LINEUP);
        return true;
    case VK_DOWN:
        Scroll(SB_VERT, SB_LINEDOWN);
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
    case WM_MOUSEWHEEL:
        Scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN);
        return 0;
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
    SetActiveControl(pbPages);
    UpdateButtons();
}

TMethodTable THtmlPreviewForm::Methods() {
    TMethodTable m;
    QORV_METHOD(m, THtmlPreviewForm, btPrintClick);
    QORV_METHOD(m, THtmlPreviewForm, btPreviousClick);
    QORV_METHOD(m, THtmlPreviewForm, btNextClick);
    QORV_METHOD(m, THtmlPreviewForm, btWholePageClick);
    QORV_METHOD(m, THtmlPreviewForm, btPageWidthClick);
    QORV_METHOD(m, THtmlPreviewForm, btActualSizeClick);
    QORV_METHOD(m, THtmlPreviewForm, btCloseClick);
    return m;
}

void THtmlPreviewForm::SetPages(const THtmlPages* pages, std::function<void()> print) {
    FPages = pages;
    FPrint = std::move(print);
    pbPages->SetPages(pages);
    GoToPage(0);
}

void THtmlPreviewForm::GoToPage(int index) {
    const int count = FPages ? FPages->Count() : 0;
    index = std::clamp(index, 0, std::max(0, count - 1));
    pbPages->SetPageIndex(index);
    lbPage->SetCaption("Page " + std::to_string(count ? index + 1 : 0) + " of " +
                       std::to_string(count));
    UpdateButtons();
}

void THtmlPreviewForm::UpdateButtons() {
    const int count = FPages ? FPages->Count() : 0;
    btPrint->SetEnabled(FPrint != nullptr && count > 0);
    btPrevious->SetEnabled(pbPages->PageIndex() > 0);
    btNext->SetEnabled(pbPages->PageIndex() + 1 < count);
}

bool THtmlPreviewForm::DialogKey(WORD key) {
    const int count = FPages ? FPages->Count() : 0;
    switch (key) {
    case VK_ESCAPE:
        Close();
        return true;
    case VK_PRIOR:
        GoToPage(pbPages->PageIndex() - 1);
        return true;
    case VK_NEXT:
        GoToPage(pbPages->PageIndex() + 1);
        return true;
    case VK_HOME:
        GoToPage(0);
        return true;
    case VK_END:
        GoToPage(count - 1);
        return true;
    default:
        return false;
    }
}

void THtmlPreviewForm::btPrintClick(TObject*) {
    if (FPrint)
        FPrint();
}

void THtmlPreviewForm::btPreviousClick(TObject*) {
    GoToPage(pbPages->PageIndex() - 1);
}

void THtmlPreviewForm::btNextClick(TObject*) {
    GoToPage(pbPages->PageIndex() + 1);
}

void THtmlPreviewForm::btWholePageClick(TObject*) {
    pbPages->SetZoom(THtmlZoom::hzWholePage);
}

void THtmlPreviewForm::btPageWidthClick(TObject*) {
    pbPages->SetZoom(THtmlZoom::hzPageWidth);
}

void THtmlPreviewForm::btActualSizeClick(TObject*) {
    pbPages->SetZoom(THtmlZoom::hzActualSize);
}

void THtmlPreviewForm::btCloseClick(TObject*) {
    Close();
}

void RegisterHtmlPreviewClasses() {
    RegisterComponentClass(THtmlPreviewPane::StaticClass());
}
