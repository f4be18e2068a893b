// The own view behind the embedded-HTML-view interface: loading local pages,
// completion through the message loop, and the command status.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "framework/SysUtils.h"
#include "htmlview/HtmlPaint_win32.h"
#include "htmlview/HtmlPrinting_win32.h"
#include "htmlview/OwnHtmlView_win32.h"
#include "htmlview/formHtmlPreview_win32.h"
#include "tests/framework/FrameworkTestUtil_win32.h"
#include "tests/htmlview/HtmlViewTestUtil_win32.h"
#include "tests/printer/TestPrinter_win32.h"

namespace {
std::string TempPage(const std::string& name, const std::string& text) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    const std::string path = std::string(dir) + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const char* const kPage = "<html><head><title>Two rows</title></head><body><table>"
                          "<tr><th>Code</th></tr><tr><td>1</td></tr></table></body></html>";

class HtmlOwnView : public ::testing::Test {
protected:
    void SetUp() override {
        View = new TOwnHtmlView(&Owner);
        View->SetOnNavigateComplete2(
            [this](TObject* sender, IDispatch* frame, const std::string& url) {
                EXPECT_EQ(sender, View);
                EXPECT_EQ(frame, nullptr);
                Completed.push_back(url);
            });
    }
    THtmlTestApp App;
    TComponent Owner{nullptr};
    TOwnHtmlView* View = nullptr;
    std::vector<std::string> Completed;
};
} // namespace

TEST_F(HtmlOwnView, PagesCompleteFromTheMessageLoopTheLatestOnly) {
    const std::string path = TempPage("qorv-view-a.htm", kPage);
    View->Navigate("about:blank");
    EXPECT_TRUE(Completed.empty());
    App.Pump();
    EXPECT_EQ(Completed, std::vector<std::string>{"about:blank"});
    ASSERT_NE(View->Document(), nullptr);

    // A second request before the first completes replaces it.
    Completed.clear();
    View->Navigate("about:blank");
    View->Navigate(path);
    App.Pump();
    EXPECT_EQ(Completed, std::vector<std::string>{path});
    EXPECT_EQ(View->Document()->Title(), "Two rows");
    EXPECT_EQ(View->LocationURL(), path);

    // A file: URL with escapes names the same file; the file may go once loaded.
    std::string url = "file:///" + path;
    for (char& c : url)
        if (c == '\\')
            c = '/';
    const std::string spaced = TempPage("qorv view b.htm", kPage);
    Completed.clear();
    View->Navigate(url);
    std::string spacedUrl =
        "file:///" + spaced.substr(0, spaced.rfind('\\') + 1) + "qorv%20view%20b.htm";
    View->Navigate(spacedUrl);
    DeleteFileA(spaced.c_str());
    App.Pump();
    EXPECT_EQ(Completed, std::vector<std::string>{spacedUrl});
    DeleteFileA(path.c_str());
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlOwnView, AnUnreadablePageRaisesNamingItAndNothingCompletes) {
    const std::string missing = "C:\\no-such-folder\\page.htm";
    try {
        View->Navigate(missing);
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
        EXPECT_EQ(e.ErrorCode(), ERROR_PATH_NOT_FOUND);
    }
    App.Pump();
    EXPECT_TRUE(Completed.empty());
    EXPECT_EQ(View->Document(), nullptr);
    // Nothing loaded: the commands have no page to work on.
    EXPECT_THROW(View->ExecWB(hcPrintPreview, hoPromptUser), Exception);
    EXPECT_THROW(View->ExecWB(hcPrint, hoPromptUser), Exception);
}

TEST_F(HtmlOwnView, StatusOfTheCommandsWithAPrinter) {
    EXPECT_EQ(View->QueryStatusWB(hcPrintPreview), hsSupported | hsEnabled);
    EXPECT_EQ(View->QueryStatusWB(hcPrint), hsSupported | hsEnabled);
    EXPECT_EQ(View->QueryStatusWB(2), 0u);
    View->Navigate("about:blank");
    App.Pump();
    EXPECT_THROW(View->ExecWB(2, hoPromptUser), Exception);
}

namespace {
// A table long enough for several pages, its header row repeated on each.
std::string LongPage(int rows) {
    std::string page = "<?xml version=\"1.0\"?>\n<!DOCTYPE html>\n<html><head><title>Long "
                       "table</title><style type=\"text/css\">td, th { border: 1px solid "
                       "#000000; padding: 2px }</style></head><body><h1>Rows</h1><table>"
                       "<tr><th>Code</th><th>Description</th></tr>";
    for (int i = 0; i < rows; ++i)
        page += "<tr><td>" + std::to_string(i) + "</td><td>Row number " + std::to_string(i) +
                " of the table<br /></td></tr>";
    return page + "</table></body></html>";
}

int PagesForTheTestPrinter(const THtmlDocument& document) {
    HDC dc = CreateDCA(nullptr, qorvtest::TestPrinterName, nullptr, nullptr);
    TGdiTextMeasurer measurer(dc);
    const int pages = LayoutHtmlPages(document, measurer, HtmlPrinterSetup(dc)).Count();
    DeleteDC(dc);
    return pages;
}

class HtmlOwnViewPrinting : public HtmlOwnView {
protected:
    void SetUp() override {
        HtmlOwnView::SetUp();
        Path = TempPage("qorv-view-long.htm", LongPage(150));
        View->Navigate(Path);
        App.Pump();
        ASSERT_NE(View->Document(), nullptr);
        DeleteFileA(qorvtest::TestPrinterOutput().c_str());
    }
    void TearDown() override { DeleteFileA(Path.c_str()); }
    int PagesPrinted() { return qorvtest::CountPostScriptPages(qorvtest::TestPrinterOutput()); }
    std::string Path;
};
} // namespace

TEST_F(HtmlOwnViewPrinting, ThePreviewShowsThePagesAsTheyWillPrint) {
    const int expected = PagesForTheTestPrinter(*View->Document());
    ASSERT_GT(expected, 2);
    EXPECT_EQ(View->PreviewPages().Count(), expected);
    std::vector<std::string> seen;
    const std::string all = " of " + std::to_string(expected);
    TModalDriver driver([&] {
        THtmlPreviewForm* form = View->PreviewForm();
        // The first page shows first; the count follows from the loop.
        if (!form || !IsWindowVisible(form->Handle()) || !form->PagesComplete())
            return false;
        seen.push_back(form->Caption());
        seen.push_back(form->PageText());
        for (WORD key : {VK_NEXT, VK_END, VK_PRIOR, VK_HOME}) {
            form->DialogKey(key);
            seen.push_back(form->PageText());
        }
        form->DialogKey(VK_ESCAPE);
        return true;
    });
    View->ExecWB(hcPrintPreview, hoPromptUser);
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(View->PreviewForm(), nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "Long table - Print Preview", "Page 1" + all, "Page 2" + all,
                        "Page " + std::to_string(expected) + all,
                        "Page " + std::to_string(expected - 1) + all, "Page 1" + all}));
    EXPECT_EQ(PagesPrinted(), -1);
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlOwnViewPrinting, ShowingThePreviewAgainKeepsItsWindowAndPagesTillThePageChanges) {
    struct TShowing {
        HWND Window = nullptr;
        const THtmlPage* FirstPage = nullptr;
        std::string Caption, PageText;
        int ScrollY = -1;
    };
    // Each showing: what it opens with, then the user pages and scrolls away.
    const auto show = [&] {
        TShowing seen;
        TModalDriver driver([&] {
            THtmlPreviewForm* form = View->PreviewForm();
            if (!form || !IsWindowVisible(form->Handle()) || !form->PagesComplete())
                return false;
            seen = {form->Handle(), form->Pages().Pages.data(), form->Caption(), form->PageText(),
                    form->pbPages->ScrollY()};
            form->pbPages->SetZoom(THtmlZoom::hzPageWidth);
            form->DialogKey(VK_END);
            form->DialogKey(VK_NEXT);
            form->DialogKey(VK_ESCAPE);
            return true;
        });
        View->ExecWB(hcPrintPreview, hoPromptUser);
        EXPECT_FALSE(driver.TimedOut());
        return seen;
    };
    const TShowing first = show();
    const std::string all = " of " + std::to_string(PagesForTheTestPrinter(*View->Document()));
    EXPECT_EQ(first.PageText, "Page 1" + all);

    // The page written anew with the same text: nothing is laid out again,
    // and the window opens at the first page's top.
    const std::string again = TempPage("qorv-view-again.htm", LongPage(150));
    View->Navigate(again);
    App.Pump();
    const TShowing second = show();
    DeleteFileA(again.c_str());
    EXPECT_EQ(second.Window, first.Window);
    EXPECT_EQ(second.FirstPage, first.FirstPage);
    EXPECT_EQ(second.PageText, "Page 1" + all);
    EXPECT_EQ(second.ScrollY, 0);
    EXPECT_EQ(second.Caption, "Long table - Print Preview");

    // Another page: laid out and titled as itself, in the same window.
    const std::string other = TempPage("qorv-view-other.htm", kPage);
    View->Navigate(other);
    App.Pump();
    const TShowing third = show();
    DeleteFileA(other.c_str());
    EXPECT_EQ(third.Window, first.Window);
    EXPECT_EQ(third.Caption, "Two rows - Print Preview");
    EXPECT_EQ(third.PageText, "Page 1 of 1");
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlOwnViewPrinting, PrintSendsOneJobWithEveryPageAndCancelNone) {
    const int expected = PagesForTheTestPrinter(*View->Document());
    {
        TModalDriver driver([] {
            HWND dialog = FindPrintDialog();
            if (dialog)
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return dialog != nullptr;
        });
        View->ExecWB(hcPrint, hoPromptUser);
        EXPECT_FALSE(driver.TimedOut());
    }
    EXPECT_EQ(PagesPrinted(), -1);
    TModalDriver driver([] {
        HWND dialog = FindPrintDialog();
        if (dialog)
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return dialog != nullptr;
    });
    View->ExecWB(hcPrint, hoPromptUser);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(PagesPrinted(), expected);
}

TEST_F(HtmlOwnViewPrinting, PrintFromThePreviewWindow) {
    const int expected = PagesForTheTestPrinter(*View->Document());
    int step = 0;
    TModalDriver driver([&] {
        THtmlPreviewForm* form = View->PreviewForm();
        if (step == 0 && form && IsWindowVisible(form->Handle())) {
            EXPECT_TRUE(form->btPrint->Enabled());
            ClickToolButton(*form->btPrint, true);
            step = 1;
        } else if (HWND dialog = step == 1 ? FindPrintDialog() : nullptr) {
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            step = 2;
        } else if (step == 2 && !FindPrintDialog() && PagesPrinted() > 0) {
            form->Close();
            return true;
        }
        return false;
    });
    View->ExecWB(hcPrintPreview, hoPromptUser);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(PagesPrinted(), expected);
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlOwnViewPrinting, ThePreviewLaysOutForThePrinterPrintWillUse) {
    const THtmlPages portrait = View->PreviewPages();
    EXPECT_LT(portrait.Setup.Width, portrait.Setup.Height);
    // Landscape Letter chosen in the print dialog is what the next preview
    // shows: 11 by 8.5 inches at the printer's 300 per inch.
    {
        TLandscapeLetter choose;
        TModalDriver user([&] { return choose.Step(); });
        View->ExecWB(hcPrint, hoPromptUser);
        EXPECT_FALSE(user.TimedOut());
    }
    const THtmlPages landscape = View->PreviewPages();
    EXPECT_EQ(landscape.Setup.Width, 3300);
    EXPECT_EQ(landscape.Setup.Height, 2550);
    EXPECT_EQ(View->PrinterChoice().PrinterName(), qorvtest::TestPrinterName);
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlOwnViewPrinting, PrintFromThePreviewLaysItOutAgainForTheChoice) {
    // The preview opens for the default printer (portrait); Print there with
    // landscape chosen turns the pages it shows.
    std::vector<bool> wide;
    int step = 0;
    TLandscapeLetter choose;
    TModalDriver driver([&] {
        THtmlPreviewForm* form = View->PreviewForm();
        if (!form || !IsWindowVisible(form->Handle()))
            return false;
        const RECT page = form->pbPages->PageRect();
        if (step == 0) {
            wide.push_back(page.right - page.left > page.bottom - page.top);
            ClickToolButton(*form->btPrint, true);
            step = 1;
        } else if (step == 1 && choose.Step()) {
            step = 2;
        } else if (step == 2 && !FindPrintDialog() && !PrintProgressWindow() &&
                   PagesPrinted() > 0) {
            wide.push_back(page.right - page.left > page.bottom - page.top);
            form->Close();
            return true;
        }
        return false;
    });
    View->ExecWB(hcPrintPreview, hoPromptUser);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(wide, (std::vector<bool>{false, true}));
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlOwnViewPrinting, ThePreviewShownAgainFollowsThePaperChosenSince) {
    // Shown for the default printer (portrait), then landscape Letter is
    // chosen in Print's dialog: the same page previewed again turns.
    const auto showWide = [&] {
        bool wide = false;
        int looks = 0;
        TModalDriver driver([&] {
            THtmlPreviewForm* form = View->PreviewForm();
            if (!form || !IsWindowVisible(form->Handle()) || !form->PagesComplete())
                return false;
            const RECT page = form->pbPages->PageRect();
            wide = page.right - page.left > page.bottom - page.top;
            // What shows first may be the earlier pages, turned once the
            // printer has been asked: a while is given for that.
            if (!wide && ++looks < 40)
                return false;
            form->Close();
            return true;
        });
        View->ExecWB(hcPrintPreview, hoPromptUser);
        EXPECT_FALSE(driver.TimedOut());
        return wide;
    };
    EXPECT_FALSE(showWide());
    {
        TLandscapeLetter choose;
        TModalDriver user([&] { return choose.Step(); });
        View->ExecWB(hcPrint, hoPromptUser);
        EXPECT_FALSE(user.TimedOut());
    }
    EXPECT_TRUE(showWide());
    EXPECT_TRUE(App.Errors().empty());
}
