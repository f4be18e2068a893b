// The preview window of the program's own HTML view: the pages as they will
// print, one at a time on a grey background, with paging, zoom and Print.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

#include "framework/ComCtrls_win32.h"
#include "framework/Forms_win32.h"
#include "framework/Gdi_win32.h"
#include "framework/Menus_win32.h"
#include "framework/PostedCalls_win32.h"
#include "framework/StdCtrls_win32.h"
#include "htmlview/HtmlPages.h"
#include "htmlview/HtmlPaint_win32.h"

// The two fits follow the pane's size; a percentage is of the paper's real
// size on the screen.
enum class THtmlZoom { hzWholePage, hzPageWidth, hzPercent };

// The percentages the zoom steps through, smallest first.
inline constexpr int kHtmlZoomSteps[] = {10, 25, 50, 75, 100, 125, 150, 200, 300, 400, 500};

// The step after (`direction` > 0) or before `percent`; the end steps stay.
int NextHtmlZoomStep(int percent, int direction);

// Shows one of the pages scaled by the zoom, centred on grey, with scroll
// bars where the page is larger than the pane. Scrolling past a page's end
// turns to the next page, and past its top to the previous one.
class THtmlPreviewPane : public TCustomControl {
    QORV_COMPONENT_CLASS
public:
    explicit THtmlPreviewPane(TComponent* owner);

    // Not owned; null shows an empty pane.
    void SetPages(const THtmlPages* pages);
    int PageIndex() const { return FPageIndex; }
    // Shows page `index` from its top (no check: the form clamps).
    void SetPageIndex(int index);
    THtmlZoom Zoom() const { return FZoom; }
    void SetZoom(THtmlZoom zoom);
    // The percentage shown now, also under a fit.
    int ZoomPercent() const;
    void SetZoomPercent(int percent);
    // One zoom step in or out from what is shown.
    void StepZoom(int direction);
    // Screen pixels per layout unit at the current zoom and size.
    double Scale() const;
    // Where the page lies in the client area now.
    RECT PageRect() const;
    int ScrollY() const { return FScrollY; }
    // Scrolls down (dy > 0) or up; at the page's end, or its top, turns the
    // page instead, the next shown from its top, the previous from its end.
    void ScrollOrTurn(int dy);
    // A screen less a line, as Page Up and Down scroll.
    int PageStep() const;

    // A page turned by scrolling; the zoom changed.
    void SetOnPageTurn(std::function<void(int delta)> e) { FOnPageTurn = std::move(e); }
    void SetOnZoomChange(std::function<void()> e) { FOnZoomChange = std::move(e); }
    // After each paint: the first one lets the rest of the pages be made.
    void SetOnPainted(std::function<void()> e) { FOnPainted = std::move(e); }

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint(HDC dc) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Resize() override;
    bool KeyDown(WORD& key, TShiftState shift) override;

private:
    friend class THtmlPreviewForm;
    void PaintPage(HDC dc, const RECT& page);
    void UpdateScrollBars();
    void ScrollTo(int x, int y);
    void Scroll(int bar, int code);
    int MaxScrollY() const;
    void ZoomChanged();

    const THtmlPages* FPages = nullptr;
    unsigned FPagesSerial = 0; // counts SetPages: the pages behind FPages may change
    int FPageIndex = 0;
    THtmlZoom FZoom = THtmlZoom::hzWholePage;
    int FPercent = 100;
    int FScrollX = 0, FScrollY = 0;
    int FWheel = 0; // wheel movement short of a notch
    bool FUpdatingBars = false;
    THtmlFontCache FFonts;
    // The page as drawn last, copied when the same page is shown at the same
    // size again (the window shown anew, uncovered, scrolled).
    struct TPageImage {
        TBitmapHandle Bitmap;
        unsigned Pages = 0;
        int Index = -1;
        int Width = 0, Height = 0;
    } FImage;
    std::function<void(int)> FOnPageTurn;
    std::function<void()> FOnZoomChange, FOnPainted;
};

// Lays out every page; runs on a thread of its own and ends soon once
// `stop` is set.
using THtmlPagesWork = std::function<THtmlPages(const std::atomic<bool>& stop)>;

class THtmlPreviewForm : public TCustomForm {
    QORV_COMPONENT_CLASS
public:
    explicit THtmlPreviewForm(TComponent* owner);
    ~THtmlPreviewForm() override;

    // One tool bar draws every button in one paint: a window per button
    // made each showing of the window paint ten times over.
    QORV_FIELD(TToolBar, tbPreview);
    QORV_FIELD(TToolButton, btPrint);
    QORV_FIELD(TToolButton, btClose);
    QORV_FIELD(TToolButton, tbSep1);
    QORV_FIELD(TToolButton, btZoomOut);
    QORV_FIELD(TToolButton, btZoom);
    QORV_FIELD(TToolButton, btZoomIn);
    QORV_FIELD(TToolButton, tbSep2);
    QORV_FIELD(TToolButton, btFirst);
    QORV_FIELD(TToolButton, btPrevious);
    QORV_FIELD(TToolButton, btNext);
    QORV_FIELD(TToolButton, btLast);
    QORV_FIELD(TEdit, edPage);
    QORV_FIELD(TLabel, lbPageCount);
    QORV_FIELD(THtmlPreviewPane, pbPages);

    void btPrintClick(TObject* Sender);
    void btFirstClick(TObject* Sender);
    void btPreviousClick(TObject* Sender);
    void btNextClick(TObject* Sender);
    void btLastClick(TObject* Sender);
    void btZoomOutClick(TObject* Sender);
    void btZoomClick(TObject* Sender);
    void btZoomInClick(TObject* Sender);
    void btCloseClick(TObject* Sender);
    void edPageExit(TObject* Sender);

    // The pages to show, from the first. When `rest` is given, `pages` is the
    // first page alone and `rest` lays out all of them on a thread of its own,
    // started once the first page has painted; the count reads "of ..." till
    // then. Going past what is known waits for it. A layout still running for
    // earlier pages is called off.
    void ShowPages(THtmlPages pages, THtmlPagesWork rest = {});
    const THtmlPages& Pages() const { return FPages; }
    bool PagesComplete() const { return !FWork.joinable() && FPages.Complete; }
    // All pages are there, or on their way: a layout runs or waits to, also
    // while the window is hidden.
    bool PagesLaidOutOrComing() const { return FPages.Complete || FWork.joinable() || FRest; }
    // Waits for the pages being laid out, and shows them.
    void WaitForPages();
    // The first page from its top, at the zoom chosen last.
    void ShowFirstPage();
    // Calls off the pages being laid out; those shown stay, incomplete.
    void StopWork();
    // Runs `call` from the message loop once the pane has painted next.
    void AfterNextPaint(std::function<void()> call);
    // Runs for Print (button and Ctrl+P), which is enabled only with one.
    void SetPrint(std::function<void()> print);
    // Shows page `index` (clamped) and says so in the page box.
    void GoToPage(int index);
    // "Page n of m", as the page box and the count read.
    std::string PageText() const;
    // The zoom menu: the two fits, then the percentages.
    TPopupMenu* ZoomMenu() const { return FZoomMenu; }

    bool DialogKey(WORD key) override;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The page box and its count stand beside the tool bar, which is as wide
    // as its captions, measured once its window exists.
    void WindowsCreated() override;

private:
    TMethodTable Methods();
    void UpdateControls();
    void StartWork();
    void WorkDone(WPARAM generation);
    void GoToTypedPage();
    void TurnPage(int delta);

    THtmlPages FPages;
    THtmlPagesWork FRest;
    std::thread FWork;
    std::atomic<bool> FStop{false};
    WPARAM FGeneration = 0; // of the thread running; a ready message of an older one is stale
    THtmlPages FDone;
    std::exception_ptr FFailure;
    std::function<void()> FPrint;
    std::function<void()> FAfterPaint;
    TPostedCalls FCalls;
    TPopupMenu* FZoomMenu = nullptr;
};

void RegisterHtmlPreviewClasses();
