// The program's own HTML view: an IHtmlView that reads a local page, lays it
// out for paper, prints it through the system's print dialog and previews it
// in a window of its own. Serves where the platform's browser control cannot
// load pages.
#pragma once

#include <memory>
#include <string>

#include "framework/Controls_win32.h"
#include "framework/HtmlView.h"
#include "framework/PostedCalls_win32.h"
#include "htmlview/HtmlDocument.h"
#include "htmlview/HtmlPages.h"
#include "htmlview/HtmlPrinting_win32.h"

class THtmlPreviewForm;

class TOwnHtmlView : public TGraphicControl, public IHtmlView {
    QORV_COMPONENT_CLASS
public:
    explicit TOwnHtmlView(TComponent* owner);
    ~TOwnHtmlView() override;

    // "about:blank" loads an empty page; a "file:" URL or a path loads that
    // file, read at once: a file that cannot be read raises here, naming it.
    void Navigate(const std::string& url) override;
    // Preview: supported and enabled. Print: supported, enabled while the
    // system has a printer. Other commands: none.
    uint32_t QueryStatusWB(int cmd) override;
    // Print: the print dialog and one job at the chosen printer's resolution
    // (hoDontPrompt: the default printer, no dialog). Preview: the preview
    // window, until the user closes it.
    void ExecWB(int cmd, int option) override;

    // The page loaded last (null before the first completes) and its URL.
    const THtmlDocument* Document() const { return FDocument.get(); }
    const std::string& LocationURL() const { return FLocation; }
    // The pages as the preview shows them: laid out for the printer Print
    // will use (the one chosen last in the print dialog, else the default
    // printer) with its paper, orientation and resolution, or for the
    // locale's paper with no printer.
    THtmlPages PreviewPages() const;
    // The printer, paper and orientation chosen last in this view's print
    // dialog, kept for its next Print and preview.
    const THtmlPrinterChoice& PrinterChoice() const { return FPrinter; }
    // The preview window while ExecWB shows it, else null.
    THtmlPreviewForm* PreviewForm() const { return FPreview; }
    // The preview window's size, {0, 0} for the designed one, and after a
    // showing what the window was left at. A size below the window's minimum
    // is not applied; one larger than the work area is fitted to it when the
    // window opens.
    SIZE PreviewSize() const { return FPreviewSize; }
    void SetPreviewSize(int width, int height) { FPreviewSize = {width, height}; }

    // Never seen: it sits behind the page that shows the text.
    void Paint(HDC) override {}

private:
    void RequireDocument() const;
    void Print(bool prompt);
    void Preview();
    void ShowPreviewPages(THtmlPreviewForm& form);
    // The pages as the printer now prints them, at the page shown.
    void LayOutPreviewAgain(THtmlPreviewForm& form);
    THtmlPreviewForm& PreviewWindow();

    std::shared_ptr<const THtmlDocument> FDocument;
    std::string FPage; // the bytes FDocument was read from
    std::string FLocation;
    TPostedCalls FCalls;
    THtmlPreviewForm* FPreview = nullptr;
    THtmlPrinterChoice FPrinter;
    SIZE FPreviewSize{0, 0};
    // The preview window is kept hidden between showings, with the pages it
    // showed last and what they were laid out from and for: showing the same
    // page for the same printer again makes no window and lays out nothing.
    std::unique_ptr<THtmlPreviewForm> FPreviewWindow;
    SIZE FDesignedPreviewSize{0, 0};
    struct TPreviewKey {
        std::shared_ptr<const THtmlDocument> Document;
        std::string Printer;
        THtmlPageSetup Setup;
    } FShownPages;
};

// The factory that makes TOwnHtmlView, for SetHtmlViewFactory.
IHtmlView* NewOwnHtmlView(TComponent* owner);

// The page setup of a printer's DC: its paper and resolution, with margins of
// 3/4 inch or what the printer cannot print on, whichever is more.
THtmlPageSetup HtmlPrinterSetup(HDC printer);
