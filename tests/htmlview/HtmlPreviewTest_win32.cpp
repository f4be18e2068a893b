// The preview window over pages made by hand, driven by its buttons, the
// page box, the keys and the wheel, as a user drives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "framework/Gdi_win32.h"
#include "htmlview/formHtmlPreview_win32.h"
#include "framework/ComObj_win32.h"
#include "tests/framework/FrameworkTestUtil_win32.h"
#include "tests/htmlview/HtmlViewTestUtil_win32.h"

namespace {
// The pages 200 x 300 at 96 per inch: at page width the page is about three
// panes tall, so it scrolls.
class HtmlPreview : public ::testing::Test {
protected:
    void Open(int count, std::function<void()> print = nullptr) {
        Form.ShowPages(HandMadePages(count));
        Form.SetPrint(std::move(print));
        Form.Show();
        App.Pump();
    }
    // A key as the loop hands it to the form, with Ctrl held or not.
    void Key(WORD vk, bool ctrl = false) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        HWND target = GetFocus() ? GetFocus() : Form.Handle();
        PostMessageA(target, WM_KEYDOWN, vk, 0);
        App.Pump();
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
    }
    void Wheel(int notches, bool ctrl = false) {
        const WPARAM wp = MAKEWPARAM(ctrl ? MK_CONTROL : 0, WORD(short(notches * WHEEL_DELTA)));
        SendMessageA(Form.tbPreview->Handle(), WM_MOUSEWHEEL, wp, 0);
    }
    void Click(TToolButton* button) { ClickToolButton(*button); }
    void Type(const char* text) {
        SetFocus(Form.edPage->Handle());
        SetWindowTextA(Form.edPage->Handle(), text);
        Key(VK_RETURN);
    }
    int Page() const { return Form.pbPages->PageIndex(); }

    THtmlTestApp App;
    THtmlPreviewForm Form{nullptr};
};
} // namespace

TEST_F(HtmlPreview, PagesWithTheButtonsThePageBoxAndTheKeys) {
    EXPECT_TRUE(Form.CheckBindings().empty());
    Open(5);
    EXPECT_EQ(Form.PageText(), "Page 1 of 5");
    EXPECT_FALSE(Form.btFirst->Enabled());
    EXPECT_FALSE(Form.btPrevious->Enabled());
    EXPECT_TRUE(Form.btLast->Enabled());

    // Grey around a white page with the page's red fill, scaled to fit.
    const RECT page = Form.pbPages->PageRect();
    EXPECT_GT(page.right - page.left, 100);
    EXPECT_LE(page.bottom, Form.pbPages->ClientHeight());
    {
        TClientDC dc(Form.pbPages->Handle());
        EXPECT_EQ(GetPixel(dc.Get(), 2, 2), RGB(128, 128, 128));
        const double s = Form.pbPages->Scale();
        EXPECT_EQ(GetPixel(dc.Get(), page.left + int(30 * s), page.top + int(30 * s)),
                  RGB(255, 0, 0));
        EXPECT_EQ(GetPixel(dc.Get(), page.left + int(100 * s), page.top + int(200 * s)),
                  RGB(255, 255, 255));
    }

    Click(Form.btNext);
    Click(Form.btNext);
    EXPECT_EQ(Form.PageText(), "Page 3 of 5");
    Click(Form.btPrevious);
    EXPECT_EQ(Form.PageText(), "Page 2 of 5");
    Click(Form.btLast);
    EXPECT_EQ(Form.PageText(), "Page 5 of 5");
    EXPECT_FALSE(Form.btNext->Enabled());
    EXPECT_FALSE(Form.btLast->Enabled());
    Click(Form.btFirst);
    EXPECT_EQ(Page(), 0);

    // The page box: a number and Enter goes there, past the end to the last,
    // anything else puts the page shown back.
    Type("4");
    EXPECT_EQ(Form.PageText(), "Page 4 of 5");
    Type("99");
    EXPECT_EQ(Form.PageText(), "Page 5 of 5");
    Type("0");
    EXPECT_EQ(Form.PageText(), "Page 1 of 5");
    Type("x");
    EXPECT_EQ(Form.PageText(), "Page 1 of 5");
    // Home and End move the caret in the box; with Ctrl they go to the ends.
    Key(VK_END);
    EXPECT_EQ(Page(), 0);
    Key(VK_END, true);
    EXPECT_EQ(Page(), 4);
    Key(VK_HOME, true);
    EXPECT_EQ(Page(), 0);
    // Outside the box Home and End are the ends.
    SetFocus(Form.pbPages->Handle());
    Key(VK_END);
    EXPECT_EQ(Page(), 4);
    Key(VK_HOME);
    EXPECT_EQ(Page(), 0);

    Key(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Form.Handle()));
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, ScrollingReadsThePageToItsEndBeforeTurningIt) {
    Open(3);
    SetFocus(Form.pbPages->Handle());
    // The whole page has nothing to scroll: Page Down and the wheel turn.
    Key(VK_NEXT);
    EXPECT_EQ(Page(), 1);
    Wheel(-1);
    EXPECT_EQ(Page(), 2);
    Wheel(-1); // the last page stays
    EXPECT_EQ(Page(), 2);
    Key(VK_PRIOR);
    Key(VK_PRIOR);
    EXPECT_EQ(Page(), 0);

    // At page width the page is taller than the pane: Page Down scrolls by
    // a screen until the page's end, then turns to the next page's top.
    Form.ZoomMenu()->Items()[1]->Click();
    ASSERT_EQ(Form.pbPages->Zoom(), THtmlZoom::hzPageWidth);
    const int screens = 1 + (Form.pbPages->PageRect().bottom - Form.pbPages->PageRect().top) /
                                Form.pbPages->ClientHeight();
    ASSERT_GE(screens, 2);
    Key(VK_NEXT);
    EXPECT_EQ(Page(), 0);
    EXPECT_GT(Form.pbPages->ScrollY(), Form.pbPages->ClientHeight() / 2);
    int presses = 1;
    while (Page() == 0 && presses < 20) {
        Key(VK_NEXT);
        ++presses;
    }
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(Form.pbPages->ScrollY(), 0);
    EXPECT_GE(presses, screens);
    // The wheel scrolls within the page, and up past its top shows the
    // previous page from its end.
    Wheel(-1);
    const int scrolled = Form.pbPages->ScrollY();
    EXPECT_GT(scrolled, 0);
    EXPECT_EQ(Page(), 1);
    Wheel(1);
    EXPECT_EQ(Form.pbPages->ScrollY(), 0);
    Wheel(1);
    EXPECT_EQ(Page(), 0);
    EXPECT_GT(Form.pbPages->ScrollY(), scrolled);
    EXPECT_EQ(Form.PageText(), "Page 1 of 3");
    Key(VK_PRIOR);
    EXPECT_EQ(Page(), 0);
    EXPECT_LT(Form.pbPages->ScrollY(), Form.pbPages->ClientHeight() * (screens - 1));
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, ZoomFromTheMenuTheButtonsCtrlKeysAndCtrlWheel) {
    Open(2);
    EXPECT_EQ(Form.btZoom->Caption(), "Whole page");
    const auto& items = Form.ZoomMenu()->Items();
    ASSERT_EQ(items.size(), 2 + std::size(kHtmlZoomSteps));
    EXPECT_TRUE(items[0]->Checked());
    const double whole = Form.pbPages->Scale();
    TScreenDC screen;
    const double actual = GetDeviceCaps(screen.Get(), LOGPIXELSX) / 96.0;

    items[1]->Click();
    EXPECT_EQ(Form.btZoom->Caption(), "Page width");
    EXPECT_GT(Form.pbPages->Scale(), whole);
    EXPECT_TRUE(items[1]->Checked());
    EXPECT_FALSE(items[0]->Checked());
    EXPECT_TRUE(GetWindowLongA(Form.pbPages->Handle(), GWL_STYLE) & WS_VSCROLL);

    // 100% is the paper's size on the screen; every item shows its percentage.
    for (size_t i = 2; i < items.size(); ++i) {
        items[i]->Click();
        const int percent = kHtmlZoomSteps[i - 2];
        EXPECT_EQ(Form.btZoom->Caption(), std::to_string(percent) + "%");
        EXPECT_DOUBLE_EQ(Form.pbPages->Scale(), actual * percent / 100);
        EXPECT_TRUE(items[i]->Checked());
    }
    EXPECT_FALSE(Form.btZoomIn->Enabled());
    Click(Form.btZoomOut);
    EXPECT_EQ(Form.btZoom->Caption(), "400%");
    EXPECT_TRUE(Form.btZoomIn->Enabled());

    // Ctrl+minus and Ctrl+plus (main keys and keypad) step from what is shown.
    items[4]->Click();
    Key(VK_OEM_MINUS, true);
    EXPECT_EQ(Form.btZoom->Caption(), "25%");
    Key(VK_SUBTRACT, true);
    Key(VK_SUBTRACT, true); // the smallest step stays
    EXPECT_EQ(Form.btZoom->Caption(), "10%");
    EXPECT_FALSE(Form.btZoomOut->Enabled());
    Key(VK_ADD, true);
    Key(VK_OEM_PLUS, true);
    EXPECT_EQ(Form.btZoom->Caption(), "50%");
    Key(VK_OEM_PLUS); // without Ctrl: nothing
    EXPECT_EQ(Form.btZoom->Caption(), "50%");
    Click(Form.btZoomIn);
    EXPECT_EQ(Form.btZoom->Caption(), "75%");

    // From a fit the steps go on from the percentage the fit shows.
    items[0]->Click();
    const int fit = Form.pbPages->ZoomPercent();
    Wheel(1, true);
    EXPECT_EQ(Form.pbPages->ZoomPercent(), NextHtmlZoomStep(fit, 1));
    EXPECT_GT(Form.pbPages->ZoomPercent(), fit);
    Wheel(-1, true);
    Wheel(-1, true);
    EXPECT_LT(Form.pbPages->ZoomPercent(), fit);
    EXPECT_EQ(Page(), 0); // a Ctrl+wheel zooms and never turns
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, PrintFromTheButtonAndCtrlP) {
    int printed = 0;
    Open(1, [&] { ++printed; });
    EXPECT_TRUE(Form.btPrint->Enabled());
    Click(Form.btPrint);
    Key('P', true);
    EXPECT_EQ(printed, 2);
    Key('P'); // P alone is no command
    EXPECT_EQ(printed, 2);

    // Without a printer the button is off and Ctrl+P does nothing.
    Form.SetPrint(nullptr);
    EXPECT_FALSE(Form.btPrint->Enabled());
    Key('P', true);
    EXPECT_EQ(printed, 2);
    EXPECT_EQ(Form.PageText(), "Page 1 of 1");
    EXPECT_FALSE(Form.btNext->Enabled());
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, TheFirstPageShowsWhileTheRestIsLaidOut) {
    THtmlPages first = HandMadePages(1);
    first.Complete = false;
    std::atomic<bool> started{false}, release{false};
    Form.ShowPages(std::move(first), [&](const std::atomic<bool>&) {
        started = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return HandMadePages(4);
    });
    EXPECT_FALSE(started); // not before the first page is on the screen
    Form.Show();
    App.Pump();
    EXPECT_EQ(Form.PageText(), "Page 1 of ...");
    EXPECT_TRUE(Form.btNext->Enabled());
    EXPECT_FALSE(Form.PagesComplete());
    for (int i = 0; i < 2000 && !started; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(started);
    // Going past what is known waits for the rest.
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        release = true;
    });
    Click(Form.btNext);
    later.join();
    EXPECT_EQ(Form.PageText(), "Page 2 of 4");
    EXPECT_TRUE(Form.PagesComplete());

    // Once ready, the pages come in through the loop, the page shown kept.
    THtmlPages again = HandMadePages(1);
    again.Complete = false;
    Form.ShowPages(std::move(again), [](const std::atomic<bool>&) { return HandMadePages(6); });
    InvalidateRect(Form.pbPages->Handle(), nullptr, FALSE);
    for (int i = 0; i < 200 && !Form.PagesComplete(); ++i) {
        App.Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(Form.PageText(), "Page 1 of 6");
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, ClosingCallsOffTheLayoutStillRunning) {
    std::atomic<bool> stopped{false};
    {
        THtmlPreviewForm form(nullptr);
        THtmlPages first = HandMadePages(1);
        first.Complete = false;
        form.ShowPages(std::move(first), [&](const std::atomic<bool>& stop) {
            while (!stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            stopped = true;
            return HandMadePages(1);
        });
        form.Show();
        App.Pump();
    }
    EXPECT_TRUE(stopped);
    // A failing layout reaches the error box once its pages are asked for.
    THtmlPages first = HandMadePages(1);
    first.Complete = false;
    Form.ShowPages(std::move(first),
                   [](const std::atomic<bool>&) -> THtmlPages { throw Exception("no room"); });
    Form.Show();
    App.Pump();
    for (int i = 0; i < 200 && !Form.PagesComplete(); ++i) {
        App.Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(App.Errors(), std::vector<std::string>{"no room"});
}

TEST_F(HtmlPreview, TheOlderLayoutsReadyMessageNeitherWaitsForNorTakesTheNewer) {
    const auto partial = [] {
        THtmlPages first = HandMadePages(1);
        first.Complete = false;
        return first;
    };
    // The first layout is done before its message is handled...
    Form.ShowPages(partial(), [](const std::atomic<bool>&) { return HandMadePages(2); });
    Form.Show(); // paints, which starts it
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // ...by which time newer pages with a slow layout of their own are shown.
    std::atomic<bool> release{false};
    Form.ShowPages(partial(), [&](const std::atomic<bool>& stop) {
        for (int i = 0; i < 3000 && !release && !stop; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return HandMadePages(6);
    });
    UpdateWindow(Form.pbPages->Handle());
    const DWORD start = GetTickCount();
    App.Pump();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(Form.PageText(), "Page 1 of ...");
    release = true;
    for (int i = 0; i < 200 && !Form.PagesComplete(); ++i) {
        App.Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(Form.PageText(), "Page 1 of 6");
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, ALayoutThatFailsAfterTheWindowClosedIsNotToldThen) {
    std::atomic<bool> fail{false};
    THtmlPages first = HandMadePages(1);
    first.Complete = false;
    Form.ShowPages(std::move(first), [&](const std::atomic<bool>&) -> THtmlPages {
        while (!fail)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        throw Exception("no room");
    });
    Form.Show();
    App.Pump();
    ASSERT_TRUE(Form.PagesLaidOutOrComing());
    Form.Close();
    ASSERT_FALSE(IsWindowVisible(Form.Handle()));
    fail = true;
    for (int i = 0; i < 200 && Form.PagesLaidOutOrComing(); ++i) {
        App.Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The window keeps its first page; the next showing lays out anew.
    EXPECT_FALSE(Form.PagesLaidOutOrComing());
    EXPECT_EQ(Form.Pages().Count(), 1);
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, ThePageShownAgainIsTheOneShownNow) {
    // Red on the first page, blue on the second; then new pages of the same
    // size with green: each paint shows what is shown now, not what was drawn.
    THtmlPages pages = HandMadePages(2);
    std::get<THtmlFill>(pages.Pages[1].Items[0]).Color = colors::RGBColor(0, 0, 255);
    Form.ShowPages(std::move(pages));
    Form.Show();
    App.Pump();
    const auto colour = [&] {
        UpdateWindow(Form.pbPages->Handle());
        const RECT page = Form.pbPages->PageRect();
        const double s = Form.pbPages->Scale();
        TClientDC dc(Form.pbPages->Handle());
        return GetPixel(dc.Get(), page.left + int(30 * s), page.top + int(30 * s));
    };
    EXPECT_EQ(colour(), RGB(255, 0, 0));
    Form.GoToPage(1);
    EXPECT_EQ(colour(), RGB(0, 0, 255));
    Form.GoToPage(0);
    EXPECT_EQ(colour(), RGB(255, 0, 0));

    THtmlPages green = HandMadePages(1);
    std::get<THtmlFill>(green.Pages[0].Items[0]).Color = colors::RGBColor(0, 128, 0);
    Form.ShowPages(std::move(green));
    EXPECT_EQ(colour(), RGB(0, 128, 0));
    // Hidden and shown again, and zoomed: the same page, where it now lies.
    ShowWindow(Form.Handle(), SW_HIDE);
    ShowWindow(Form.Handle(), SW_SHOW);
    EXPECT_EQ(colour(), RGB(0, 128, 0));
    Form.pbPages->SetZoomPercent(50);
    EXPECT_EQ(colour(), RGB(0, 128, 0));
    Form.pbPages->SetZoom(THtmlZoom::hzWholePage);
    EXPECT_EQ(colour(), RGB(0, 128, 0));
}

TEST_F(HtmlPreview, OneToolBarOfCaptionsWithTheirTipsAndTheZoomShown) {
    Open(5, [] {});
    // One window for every button, the page box and its count beside it.
    EXPECT_EQ(Form.tbPreview->Buttons().size(), 11u);
    EXPECT_EQ(Form.tbPreview->Width(), Form.tbPreview->ButtonsWidth());
    EXPECT_GE(Form.edPage->Left(), Form.tbPreview->Left() + Form.tbPreview->Width());
    EXPECT_GE(Form.lbPageCount->Left(), Form.edPage->Left() + Form.edPage->Width());
    EXPECT_LE(Form.lbPageCount->Left() + Form.lbPageCount->Width(), Form.ClientWidth());
    const struct {
        TToolButton* Button;
        const char *Caption, *Tip;
    } shown[] = {{Form.btPrint, "Print...", "Print (Ctrl+P)"},
                 {Form.btClose, "Close", "Close (Esc)"},
                 {Form.btZoomOut, " - ", "Zoom out (Ctrl+minus)"},
                 {Form.btZoom, "Whole page", "Zoom"},
                 {Form.btZoomIn, " + ", "Zoom in (Ctrl+plus)"},
                 {Form.btFirst, "|<", "First page (Ctrl+Home)"},
                 {Form.btPrevious, " < ", "Previous page"},
                 {Form.btNext, " > ", "Next page"},
                 {Form.btLast, ">|", "Last page (Ctrl+End)"}};
    for (const auto& b : shown) {
        SCOPED_TRACE(b.Caption);
        EXPECT_EQ(ToolButtonText(*b.Button), b.Caption);
        EXPECT_EQ(ToolTipOf(*b.Button), b.Tip);
    }
    // The zoom button says what is shown, at one width whatever it says.
    const RECT before = Form.btZoomIn->ScreenRect();
    Form.ZoomMenu()->Items()[1]->Click();
    EXPECT_EQ(ToolButtonText(*Form.btZoom), "Page width");
    Click(Form.btZoomIn);
    EXPECT_EQ(ToolButtonText(*Form.btZoom), std::to_string(Form.pbPages->ZoomPercent()) + "%");
    const RECT after = Form.btZoomIn->ScreenRect();
    EXPECT_EQ(after.left, before.left);

    // It opens the zoom menu below itself.
    const TMenuSeen menu = MenuOpenedBy([&] { Click(Form.btZoom); }, [&] { App.Pump(); });
    ASSERT_EQ(menu.Items.size(), Form.ZoomMenu()->Items().size());
    EXPECT_EQ(menu.Items[0], "Whole page");
    const RECT zoom = Form.btZoom->ScreenRect();
    EXPECT_EQ(menu.Place.left, zoom.left);
    EXPECT_EQ(menu.Place.top, zoom.bottom);
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, TheKeyboardReachesEveryButtonOfTheBar) {
    Open(5);
    SetFocus(Form.pbPages->Handle());
    // Tab goes round the bar, the page box and the pages.
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Form.tbPreview->Handle());
    // Print is off without a printer, and so are First and Previous on the
    // first page: the arrows pass them.
    EXPECT_EQ(Form.tbPreview->HotButton(), Form.btClose);
    std::vector<TToolButton*> visited;
    for (int i = 0; i < 7; ++i) {
        Key(VK_RIGHT);
        visited.push_back(Form.tbPreview->HotButton());
    }
    EXPECT_EQ(visited,
              (std::vector<TToolButton*>{Form.btZoomOut, Form.btZoom, Form.btZoomIn, Form.btNext,
                                         Form.btLast, Form.btClose, Form.btZoomOut}));
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_EQ(Form.tbPreview->HotButton(), Form.btLast);
    Key(VK_LEFT);
    Key(VK_RETURN);
    EXPECT_EQ(Page(), 1);
    Key(VK_SPACE);
    EXPECT_EQ(Page(), 2);
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Form.edPage->Handle());
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Form.pbPages->Handle());
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Form.tbPreview->Handle());
    // The window's keys stay the window's on the bar.
    Key(VK_HOME);
    EXPECT_EQ(Page(), 0);
    Key(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Form.Handle()));
    EXPECT_TRUE(App.Errors().empty());
}

TEST_F(HtmlPreview, ScreenReadersNameEachButtonSayWhetherItIsOnAndPressIt) {
    OleInitializeOnce();
    Open(3);
    const TComPtr<IAccessible> bar = AccessibleOf(Form.tbPreview->Handle());
    ASSERT_TRUE(bar);
    EXPECT_EQ(NameOf(bar.Get()), "Preview tools");
    const auto id = [](TToolButton* b) { return static_cast<long>(b->Index() + 1); };
    EXPECT_EQ(NameOf(bar.Get(), id(Form.btPrint)), "Print (Ctrl+P)");
    EXPECT_EQ(NameOf(bar.Get(), id(Form.btFirst)), "First page (Ctrl+Home)");
    EXPECT_EQ(NameOf(bar.Get(), id(Form.btClose)), "Close (Esc)");
    EXPECT_EQ(NumberOf(bar.Get(), id(Form.btZoom), true), ROLE_SYSTEM_BUTTONMENU);
    EXPECT_EQ(NumberOf(bar.Get(), id(Form.btNext), true), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(NumberOf(bar.Get(), id(Form.btPrint), false) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_TRUE(NumberOf(bar.Get(), id(Form.btFirst), false) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(NumberOf(bar.Get(), id(Form.btNext), false) & STATE_SYSTEM_UNAVAILABLE);

    ASSERT_EQ(bar->accDoDefaultAction(Child(id(Form.btNext))), S_OK);
    App.Pump();
    EXPECT_EQ(Page(), 1);
    EXPECT_FALSE(NumberOf(bar.Get(), id(Form.btFirst), false) & STATE_SYSTEM_UNAVAILABLE);
    ASSERT_EQ(bar->accDoDefaultAction(Child(id(Form.btLast))), S_OK);
    App.Pump();
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(NumberOf(bar.Get(), id(Form.btNext), false) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_TRUE(App.Errors().empty());
}
