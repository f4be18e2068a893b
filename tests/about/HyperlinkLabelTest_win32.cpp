#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "tests/tools/ShellLog_win32.h"
#include "about/QorvHyperlinkLabel_win32.h"
#include "framework/Forms_win32.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr TColor kBlue = 0xFF0000, kRed = 0x0000FF, kPurple = 0x800080;

// A label on a window of its own, driven with the mouse messages a user's
// pointer sends to that window.
class HyperlinkLabel : public ::testing::Test {
protected:
    HyperlinkLabel() {
        form.SetBounds(0, 0, 300, 100);
        link = new TQorvHyperlinkLabel(&form);
        link->SetParent(&form);
        link->SetBounds(10, 10, 120, 16);
        link->SetCaption("www.drovanex.com");
        form.HandleNeeded();
    }
    void Send(UINT msg, int x, int y) {
        SendMessageA(form.Handle(), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    void Enter() { Send(WM_MOUSEMOVE, 20, 15); }
    void Leave() { Send(WM_MOUSEMOVE, 250, 80); }
    void Click() {
        Enter();
        Send(WM_LBUTTONDOWN, 20, 15);
        Send(WM_LBUTTONUP, 20, 15);
    }

    TCustomForm form{nullptr};
    TQorvHyperlinkLabel* link;
};

TEST_F(HyperlinkLabel, FollowsThePointerAndTurnsPurpleOnceClicked) {
    EXPECT_EQ(link->FontColor(), kBlue);
    EXPECT_EQ(link->FontStyle(), TFontStyles(fsUnderline));
    EXPECT_EQ(link->Cursor(), LoadCursor(nullptr, IDC_HAND));
    Enter();
    EXPECT_TRUE(link->Hover());
    EXPECT_EQ(link->FontColor(), kRed);
    EXPECT_EQ(link->FontStyle(), TFontStyles(fsUnderline));
    Leave();
    EXPECT_FALSE(link->Hover());
    EXPECT_EQ(link->FontColor(), kBlue) << "not visited yet";

    Click(); // no URL: nothing to open, still visited
    EXPECT_TRUE(link->Visited());
    EXPECT_EQ(link->FontColor(), kRed) << "hover wins over visited";
    Leave();
    EXPECT_EQ(link->FontColor(), kPurple);
    // The window leaving altogether (no move over the rest of it) counts too.
    Enter();
    SendMessageA(form.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(link->Hover());
    EXPECT_EQ(link->FontColor(), kPurple);
}

TEST_F(HyperlinkLabel, ColourChangesShowOnlyInTheStateTheyBelongTo) {
    link->SetVisited(true);
    link->SetLinkFontColor(0x00FF00);
    EXPECT_EQ(link->FontColor(), kPurple);
    link->SetVisited(false);
    EXPECT_EQ(link->FontColor(), 0x00FF00);
    link->SetHoverFontStyle(fsBold);
    EXPECT_EQ(link->FontStyle(), TFontStyles(fsUnderline));
    Enter();
    EXPECT_EQ(link->FontStyle(), TFontStyles(fsBold));
    link->SetHoverFontColor(0x123456);
    EXPECT_EQ(link->FontColor(), 0x123456) << "changes to the state shown apply at once";
}

TEST_F(HyperlinkLabel, RunsOnClickBeforeTheShellOpensTheAddress) {
    TShellLog shell;
    std::vector<size_t> seenAtClick;
    link->SetURL("http://www.drovanex.com/");
    link->SetOnClick([&](TObject*) { seenAtClick.push_back(shell.Lines(0, 0).size()); });
    Click();
    EXPECT_THAT(shell.Lines(1), ElementsAre("http://www.drovanex.com/"));
    EXPECT_THAT(seenAtClick, ElementsAre(0u));
    EXPECT_TRUE(link->Visited());

    link->SetURL("");
    shell.Clear();
    Click();
    EXPECT_THAT(shell.Lines(0, 1500), IsEmpty());
}

} // namespace
