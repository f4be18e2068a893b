// Print and print preview of the real catalogue on the real main window,
// through the program's own HTML view (what serves under Wine), the real
// print dialog and the tests' printer.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <cstdlib>
#include <functional>

#include "htmlview/HtmlPaint_win32.h"
#include "htmlview/OwnHtmlView_win32.h"
#include "htmlview/formHtmlPreview_win32.h"
#include "settings/unitSettings.h"
#include "tests/app/MainFormHarness_win32.h"
#include "tests/printer/ModalDriver_win32.h"
#include "tests/printer/TestPrinter_win32.h"

using namespace qorvtest;

namespace {
std::string TempFolder() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return dir;
}

int PageFilesLeft() {
    int n = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((TempFolder() + "KVZ*.tmp*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            ++n;
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return n;
}

// The pages of the loaded page as the test printer prints them, laid out apart
// from the view's own paths.
int PagesOnTheTestPrinter(const THtmlDocument& document) {
    HDC dc = CreateDCA(nullptr, TestPrinterName, nullptr, nullptr);
    TGdiTextMeasurer measurer(dc);
    const int pages = LayoutHtmlPages(document, measurer, HtmlPrinterSetup(dc)).Count();
    DeleteDC(dc);
    return pages;
}

// Walks the shown preview with keys through the message loop, one step a
// tick, noting the page text after each and the status bar's text while the
// preview is open; ends with Esc. It starts once every page is known.
class TPreviewWalk {
public:
    TPreviewWalk(TMainFormHarness& h, TOwnHtmlView& view)
        : FDriver([this, &h, &view] {
              THtmlPreviewForm* form = view.PreviewForm();
              if (!form || !IsWindowVisible(form->Handle()) || !form->PagesComplete())
                  return false;
              if (FStep > 0)
                  Texts.push_back(form->PageText());
              static const WORD keys[] = {VK_NEXT, VK_END, VK_PRIOR, VK_HOME, VK_ESCAPE};
              if (FStep == 0) {
                  Texts.push_back(form->PageText());
                  Pages = view.PreviewPages().Count();
                  StatusWhileOpen = h.Status();
              }
              HWND focus = GetFocus() ? GetFocus() : form->Handle();
              PostMessageA(focus, WM_KEYDOWN, keys[FStep], 0);
              return ++FStep == 5;
          }) {}
    std::vector<std::string> Texts;
    int Pages = 0;
    std::string StatusWhileOpen;
    bool TimedOut() const { return FDriver.TimedOut(); }

private:
    int FStep = 0;
    TModalDriver FDriver;
};

// Opens the preview from the main window, notes its window's size, lets
// `act` do what it will with it and closes it.
SIZE PreviewOpenedAt(TMainFormHarness& h, const std::function<void(THtmlPreviewForm&)>& act = {}) {
    auto& view = dynamic_cast<TOwnHtmlView&>(*h.Form().Browser);
    SIZE size{};
    TModalDriver driver([&] {
        THtmlPreviewForm* form = view.PreviewForm();
        if (!form || !IsWindowVisible(form->Handle()))
            return false;
        RECT r;
        GetWindowRect(form->Handle(), &r);
        size = {r.right - r.left, r.bottom - r.top};
        EXPECT_TRUE(Inside(r, WorkAreaOf(form->Handle())));
        if (act)
            act(*form);
        form->Close();
        return true;
    });
    ClickToolButton(*h.Form().tbPrintPreview);
    h.Pump();
    EXPECT_FALSE(driver.TimedOut());
    return size;
}

class OwnViewPrint : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(TestPrinterOutput().c_str()); }
    TOwnHtmlView& View() { return dynamic_cast<TOwnHtmlView&>(*H->Form().Browser); }
    void Click(TToolButton* button) {
        ClickToolButton(*button);
        H->Pump();
    }
    TMemoryKeyStore Store; // outlives the window and settings that use it
    std::unique_ptr<TMainFormHarness> H;
};

std::string PageOf(int n, int of) {
    return "Page " + std::to_string(n) + " of " + std::to_string(of);
}
} // namespace

TEST_F(OwnViewPrint, PreviewOfTheCatalogueOpensWithItsPagesAndPagesThrough) {
    ASSERT_TRUE(TestPrinterInstalled());
    H = std::make_unique<TMainFormHarness>();
    ASSERT_NE(dynamic_cast<TOwnHtmlView*>(H->Form().Browser), nullptr);
    EXPECT_TRUE(H->Form().tbPrintPreview->Enabled());
    EXPECT_TRUE(H->Form().tbPrint->Enabled());

    TPreviewWalk walk(*H, View());
    Click(H->Form().tbPrintPreview);
    EXPECT_FALSE(walk.TimedOut());
    const int pages = PagesOnTheTestPrinter(*View().Document());
    EXPECT_GT(pages, 5); // every code with a text, a few dozen rows a page
    EXPECT_EQ(walk.Pages, pages);
    EXPECT_EQ(walk.Texts,
              (std::vector<std::string>{PageOf(1, pages), PageOf(2, pages), PageOf(pages, pages),
                                        PageOf(pages - 1, pages), PageOf(1, pages)}));
    EXPECT_EQ(View().PreviewForm(), nullptr);
    // What has happened, already while the preview is open.
    EXPECT_EQ(walk.StatusWhileOpen, "Print preview was generated.");
    EXPECT_EQ(H->Status(), "Print preview was generated.");
    EXPECT_EQ(PageFilesLeft(), 0);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), -1);
    EXPECT_TRUE(H->TakeErrorBoxes().empty());
}

TEST_F(OwnViewPrint, ThePreviewsSizeIsKeptWithTheLayout) {
    const auto restart = [&] {
        H.reset();
        H = std::make_unique<TMainFormHarness>(&Store);
    };
    restart();
    const SIZE designed = PreviewOpenedAt(*H);
    EXPECT_GT(designed.cx, 600);

    // Resized, it opens again at its new size in this run, but only Save
    // Layout keeps that for the next.
    const SIZE resized{designed.cx + 60, designed.cy - 80};
    PreviewOpenedAt(*H, [&](THtmlPreviewForm& form) {
        SetWindowPos(form.Handle(), nullptr, 0, 0, resized.cx, resized.cy,
                     SWP_NOMOVE | SWP_NOZORDER);
    });
    EXPECT_EQ(PreviewOpenedAt(*H).cx, resized.cx);
    restart();
    EXPECT_EQ(PreviewOpenedAt(*H).cx, designed.cx);
    PreviewOpenedAt(*H, [&](THtmlPreviewForm& form) {
        SetWindowPos(form.Handle(), nullptr, 0, 0, resized.cx, resized.cy,
                     SWP_NOMOVE | SWP_NOZORDER);
    });
    H->Form().atSaveLayout->Execute();
    restart();
    const SIZE kept = PreviewOpenedAt(*H);
    EXPECT_EQ(kept.cx, resized.cx);
    EXPECT_EQ(kept.cy, resized.cy);

    // Clear Layout forgets it for the next run.
    H->Form().atClearLayout->Execute();
    restart();
    EXPECT_EQ(PreviewOpenedAt(*H).cx, designed.cx);

    // Stored values that would hide the window: too small is not applied,
    // too large opens within the work area (the helper checks it).
    const auto stored = [&](int width, int height) {
        Settings->PreviewWidth = width;
        Settings->PreviewHeight = height;
        Settings->SaveLayout();
        restart();
        return PreviewOpenedAt(*H);
    };
    EXPECT_EQ(stored(20, 10).cx, designed.cx);
    EXPECT_EQ(stored(-5000, 700).cx, designed.cx);
    const SIZE huge = stored(30000, 30000);
    EXPECT_LT(huge.cx, 30000);
    EXPECT_GT(huge.cx, designed.cx);
    EXPECT_TRUE(H->TakeErrorBoxes().empty());
}

TEST_F(OwnViewPrint, PrintSendsOneJobOfEveryPageThroughTheDialogAndCancelNone) {
    H = std::make_unique<TMainFormHarness>();
    {
        TPrintDialogAnswer cancel(IDCANCEL);
        Click(H->Form().tbPrint);
        EXPECT_TRUE(cancel.Seen);
    }
    EXPECT_EQ(H->Status(), "Errors were sent to printer.");
    EXPECT_EQ(PageFilesLeft(), 0);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), -1);

    TPrintDialogAnswer ok(IDOK);
    Click(H->Form().tbPrint);
    EXPECT_TRUE(ok.Seen);
    EXPECT_EQ(H->Status(), "Errors were sent to printer.");
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), PagesOnTheTestPrinter(*View().Document()));
    EXPECT_EQ(PageFilesLeft(), 0);
    EXPECT_TRUE(H->TakeErrorBoxes().empty());
}

TEST_F(OwnViewPrint, ManyCopiesAreOneQuickJobAndWhatCannotPrintIsTold) {
    H = std::make_unique<TMainFormHarness>();
    // The copies typed are made by the printer: the job holds each page once,
    // the window is answering again at once, and the next Print works.
    {
        TPrintDialogAnswer copies(IDOK, [](HWND d) { SetDlgItemTextA(d, edt3, "9999"); });
        Click(H->Form().tbPrint);
        EXPECT_TRUE(copies.Seen);
    }
    const int pages = PagesOnTheTestPrinter(*View().Document());
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), pages);
    EXPECT_EQ(H->Status(), "Errors were sent to printer.");
    EXPECT_EQ(PageFilesLeft(), 0);
    EXPECT_TRUE(IsWindowEnabled(H->Form().Handle()));

    // A range past the last page: told, nothing printed, nothing left.
    DeleteFileA(TestPrinterOutput().c_str());
    {
        TPrintDialogAnswer range(IDOK, [](HWND d) {
            CheckRadioButton(d, rad1, rad3, rad3);
            SetDlgItemTextA(d, edt1, "900");
            SetDlgItemTextA(d, edt2, "901");
        });
        Click(H->Form().tbPrint);
        EXPECT_TRUE(range.Seen);
    }
    EXPECT_EQ(H->TakeErrorBoxes(),
              std::vector<std::string>{Application->Title() +
                                       "|There are no pages 900 to 901 to print: the document "
                                       "has " +
                                       std::to_string(pages) + " pages. Nothing was printed."});
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), -1);
    EXPECT_EQ(H->Status(), "Errors were sent to printer.");
    EXPECT_EQ(PageFilesLeft(), 0);

    TPrintDialogAnswer ok(IDOK);
    Click(H->Form().tbPrint);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), pages);
    EXPECT_TRUE(H->TakeErrorBoxes().empty());
}

// In a process of its own (see CMakeLists.txt): the printer is taken away
// before the program starts and put back after.
TEST(OwnViewNoPrinter, PrintIsDisabledAndPreviewStillWorks) {
    if (!getenv("QORV_NO_PRINTER_CASES"))
        GTEST_SKIP() << "runs as wintest_ownview_noprinter";
    RemoveTestPrinter();
    {
        TMainFormHarness h;
        EXPECT_FALSE(h.Form().tbPrint->Enabled());
        EXPECT_TRUE(h.Form().tbPrintPreview->Enabled());
        auto& view = dynamic_cast<TOwnHtmlView&>(*h.Form().Browser);
        TPreviewWalk walk(h, view);
        ClickToolButton(*h.Form().tbPrintPreview);
        h.Pump();
        EXPECT_FALSE(walk.TimedOut());
        ASSERT_EQ(walk.Texts.size(), 5u);
        EXPECT_EQ(walk.Texts[0], PageOf(1, walk.Pages));
        EXPECT_GT(walk.Pages, 5);
        EXPECT_EQ(walk.StatusWhileOpen, "Print preview was generated.");
        EXPECT_EQ(h.Status(), "Print preview was generated.");
        EXPECT_TRUE(h.TakeErrorBoxes().empty());
    }
    InstallTestPrinter(QORV_TEST_PRINTER_PPD);
}
