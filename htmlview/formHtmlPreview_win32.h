// The preview window of the program's own HTML view: the pages as they will
// print, one at a time on a grey background, with paging, zoom and Print.
#pragma once

#include <functional>

#include "framework/Forms_win32.h"
#include "framework/StdCtrls_win32.h"
#include "htmlview/HtmlPages.h"
#include "htmlview/HtmlPaint_win32.h"

enum class THtmlZoom { hzWholePage, hzPageWidth, hzActualSize };

// Shows one of the pages scaled by the zoom, centred on grey, with scroll
// bars where the page is larger than the pane.
class THtmlPreviewPane : public TCustomControl {
    QORV_COMPONENT_CLASS
public:
    explicit THtmlPreviewPane(TComponent* owner);

    // Not owned; null shows an empty pane.
    void SetPages(const THtmlPages* pages);
    int PageIndex() const { return FPageIndex; }
    void SetPageIndex(int index);
    THtmlZoom Zoom() const { return FZoom; }
    void SetZoom(THtmlZoom zoom);
    // Screen pixels per layout unit at the current zoom and size.
    double Scale() const;
    // Where the page lies in the client area now.
    RECT PageRect() const;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint(HDC dc) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Resize() override;
    bool KeyDown(WORD& key, TShiftState shift) override;

private:
    void UpdateScrollBars();
    void ScrollTo(int x, int y);
    void Scroll(int bar, int code);

    const THtmlPages* FPages = nullptr;
    int FPageIndex = 0;
    THtmlZoom FZoom = THtmlZoom::hzWholePage;
    int FScrollX = 0, FScrollY = 0;
    bool FUpdatingBars = false;
    THtmlFontCache FFonts;
};

class THtmlPreviewForm : public TCustomForm {
    QORV_COMPONENT_CLASS
public:
    explicit THtmlPreviewForm(TComponent* owner);

    QORV_FIELD(TButton, btPrint);
    QORV_FIELD(TButton, btPrevious);
    QORV_FIELD(TButton, btNext);
    QORV_FIELD(TLabel, lbPage);
    QORV_FIELD(TButton, btWholePage);
    QORV_FIELD(TButton, btPageWidth);
    QORV_FIELD(TButton, btActualSize);
    QORV_FIELD(TButton, btClose);
    QORV_FIELD(THtmlPreviewPane, pbPages);

    void btPrintClick(TObject* Sender);
    void btPreviousClick(TObject* Sender);
    void btNextClick(TObject* Sender);
    void btWholePageClick(TObject* Sender);
    void btPageWidthClick(TObject* Sender);
    void btActualSizeClick(TObject* Sender);
    void btCloseClick(TObject* Sender);

    // The pages shown (not owned), from the first; `print` runs for the Print
    // button, which is enabled only with one.
    void SetPages(const THtmlPages* pages, std::function<void()> print);
    // Shows page `index` (clamped) and says so in the page text.
    void GoToPage(int index);
    std::string PageText() const { return lbPage->Caption(); }

    bool DialogKey(WORD key) override;

private:
    TMethodTable Methods();
    void UpdateButtons();

    const THtmlPages* FPages = nullptr;
    std::function<void()> FPrint;
};

void RegisterHtmlPreviewClasses();
