// The main window from the keyboard alone, and as a screen reader sees it
// through the accessibility interfaces.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>

#include "app/ErrorCatalog.h"
#include "app/StatusTexts.h"
#include "framework/ComObj_win32.h"
#include "settings/unitSettings.h"
#include "tests/app/MainFormHarness_win32.h"

namespace {

class KeyboardTest : public ::testing::Test {
protected:
    TMainFormHarness h;
    TMainForm& f = h.Form();
    HWND Edit() { return f.edCode->InnerEdit()->Handle(); }
    bool OnPage(int page) {
        return f.Notebook->PageIndex() == page && f.tbFind->Down() == (page == 0) &&
               f.tbList->Down() == (page == 1);
    }
    bool OnTop() { return GetWindowLongA(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST; }
    void Focus(TWinControl& control) {
        SetFocus(control.Handle());
        h.Pump();
    }
};

TEST_F(KeyboardTest, EachShortcutRunsWhatItsButtonRuns) {
    h.Press("Ctrl+L");
    EXPECT_TRUE(OnPage(1));
    EXPECT_EQ(GetFocus(), f.lvList->Handle());
    EXPECT_TRUE(Settings->List());
    h.Press("Ctrl+L"); // as a second click on the button down: the page stays
    EXPECT_TRUE(OnPage(1));
    h.Press("Ctrl+F");
    EXPECT_TRUE(OnPage(0));
    EXPECT_EQ(GetFocus(), Edit());
    EXPECT_FALSE(Settings->List());

    h.Press("Ctrl+T");
    EXPECT_TRUE(f.tbStayOnTop->Down());
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(Settings->StayOnTop());
    h.Press("Ctrl+T");
    EXPECT_FALSE(f.tbStayOnTop->Down());
    EXPECT_FALSE(OnTop());
    EXPECT_FALSE(Settings->StayOnTop());

    h.Press("Ctrl+Shift+4");
    EXPECT_EQ(f.ToolBar->Images(), f.SmallImages);
    EXPECT_TRUE(f.miSmallIcons->Checked());
    EXPECT_TRUE(Settings->SmallIcons());
    h.Press("Ctrl+Shift+2");
    EXPECT_EQ(f.ToolBar->Images(), f.LargeImages);
    EXPECT_TRUE(f.miLargeIcons->Checked());
    EXPECT_FALSE(Settings->SmallIcons());

    h.Press("Ctrl+Shift+W"); // the word-wrap button, which no tool button has
    EXPECT_FALSE(f.sbWordWrap->Down());
    EXPECT_TRUE(GetWindowLongA(f.mmDescription->Handle(), GWL_STYLE) & WS_HSCROLL);
    EXPECT_FALSE(Settings->WordWrap());
    h.Press("Ctrl+Shift+W");
    EXPECT_TRUE(f.sbWordWrap->Down());
    EXPECT_FALSE(GetWindowLongA(f.mmDescription->Handle(), GWL_STYLE) & WS_HSCROLL);
    EXPECT_TRUE(Settings->WordWrap());

    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    h.Type(Edit(), "5");
    h.Press("Ctrl+Shift+C");
    EXPECT_EQ(ClipboardString(), ClipboardText("5", SystemText(5)));
    EXPECT_EQ(h.Status(), SErrorCopied);

    h.Press("Ctrl+Shift+S");
    EXPECT_EQ(h.Status(), SLayoutSaved);
    h.Press("Ctrl+Shift+R");
    EXPECT_EQ(h.Status(), SLayoutCleared);
}

TEST_F(KeyboardTest, AShortcutWithAltComesAsASystemKeyAndStillRuns) {
    f.atStayOnTop->SetShortCut(TextToShortCut("Alt+T"));
    h.Press("Alt+T");
    EXPECT_TRUE(OnTop());
    Focus(*f.mmDescription);
    h.Press("Alt+C"); // a mnemonic, no shortcut: the label's
    EXPECT_EQ(GetFocus(), Edit());
}

TEST_F(KeyboardTest, TheControlsKeepTheKeysTheyUse) {
    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    h.Type(Edit(), "123");
    SendMessageA(Edit(), EM_SETSEL, 0, 2);
    h.Press("Ctrl+C"); // the selection, not the program's copy
    EXPECT_EQ(ClipboardString(), "12");
    EXPECT_EQ(h.Status(), "");
    h.Press("Up");
    EXPECT_EQ(f.edCode->Text(), "124");

    // A key no action has reaches the control: the list's Down moves a row.
    h.Press("Ctrl+L");
    ASSERT_TRUE(OnPage(1));
    ASSERT_NE(f.lvList->Selected(), nullptr);
    const int row = f.lvList->Selected()->Index();
    h.Press("Down");
    EXPECT_EQ(f.lvList->Selected()->Index(), row + 1);
    EXPECT_TRUE(OnPage(1));
}

TEST_F(KeyboardTest, ToolTipsShowTheShortcuts) {
    const auto tip = [](TToolButton* b) { return ToolTipOf(*b); };
    EXPECT_EQ(tip(f.tbFind), "Find error (Ctrl+F)");
    EXPECT_EQ(tip(f.tbCopy), "Copy error (Ctrl+Shift+C)");
    EXPECT_EQ(tip(f.tbPrint), "Print errors... (Ctrl+P)");
    EXPECT_EQ(tip(f.tbPrintPreview), "Print preview (Ctrl+F2)");
    EXPECT_EQ(tip(f.tbClearPosition), "Clear saved window layout (Ctrl+Shift+R)");
    EXPECT_EQ(tip(f.tbAbout), "About Drovanex Vantrel 2006 (F1)");
}

TMenuSeen MenuOpenedBy(TMainFormHarness& h, const std::string& keys) {
    return ::MenuOpenedBy([&] { h.Press(keys); }, [&] { h.Pump(); });
}

TEST_F(KeyboardTest, TheMenuKeysOpenTheToolBarsMenuUnderItWhereNoControlHasItsOwn) {
    h.Press("Ctrl+L");
    POINT corner{0, f.ToolBar->Height()};
    ClientToScreen(f.ToolBar->Handle(), &corner);
    for (const char* keys : {"Shift+F10", "Apps"}) {
        SCOPED_TRACE(keys);
        const TMenuSeen seen = MenuOpenedBy(h, keys);
        EXPECT_EQ(seen.Items, (std::vector<std::string>{"Large Icons\tCtrl+Shift+2",
                                                        "Small Icons\tCtrl+Shift+4"}));
        EXPECT_EQ(seen.Place.left, corner.x);
        EXPECT_EQ(seen.Place.top, corner.y);
    }
    // The memo's own menu stays its own.
    Focus(*f.mmListDescription);
    for (const char* keys : {"Shift+F10", "Apps"}) {
        SCOPED_TRACE(keys);
        const TMenuSeen memo = MenuOpenedBy(h, keys);
        EXPECT_FALSE(memo.Items.empty());
        EXPECT_EQ(std::find(memo.Items.begin(), memo.Items.end(), "Large Icons\tCtrl+Shift+2"),
                  memo.Items.end());
    }
}

// ------------------------------------------------------------ screen readers

TEST_F(KeyboardTest, ScreenReadersFindANameForEveryControlAndButton) {
    OleInitializeOnce();
    EXPECT_EQ(NameOf(AccessibleOf(Edit()).Get()), "Code:");
    EXPECT_EQ(NameOf(AccessibleOf(f.mmDescription->Handle()).Get()), "Description");
    f.pgList->HandleNeeded();
    EXPECT_EQ(NameOf(AccessibleOf(f.lvList->Handle()).Get()), "Error codes");
    EXPECT_EQ(NameOf(AccessibleOf(f.mmListDescription->Handle()).Get()), "Description");

    const TComPtr<IAccessible> bar = AccessibleOf(f.ToolBar->Handle());
    ASSERT_TRUE(bar);
    EXPECT_EQ(NameOf(bar.Get()), "Tool bar");
    long count = 0;
    ASSERT_EQ(bar->get_accChildCount(&count), S_OK);
    const auto buttons = f.ToolBar->Buttons();
    ASSERT_EQ(count, static_cast<long>(buttons.size()));
    for (long id = 1; id <= count; ++id) {
        const TToolButton& b = *buttons[static_cast<size_t>(id - 1)];
        SCOPED_TRACE(b.Name());
        if (b.Style() == TToolButtonStyle::tbsSeparator) {
            EXPECT_EQ(NumberOf(bar.Get(), id, true), ROLE_SYSTEM_SEPARATOR);
            continue;
        }
        EXPECT_EQ(NameOf(bar.Get(), id), b.TipText());
        EXPECT_EQ(NumberOf(bar.Get(), id, true), ROLE_SYSTEM_PUSHBUTTON);
        // Each part stands where its button is drawn.
        long left, top, width, height;
        ASSERT_EQ(bar->accLocation(&left, &top, &width, &height, Child(id)), S_OK);
        RECT r{};
        SendMessageA(f.ToolBar->Handle(), TB_GETRECT, b.Index() + 1, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(f.ToolBar->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(left, r.left);
        EXPECT_EQ(top, r.top);
        EXPECT_EQ(width, r.right - r.left);
        EXPECT_EQ(height, r.bottom - r.top);
    }
    EXPECT_EQ(NameOf(bar.Get(), f.tbPrint->Index() + 1), "Print errors... (Ctrl+P)");
    EXPECT_EQ(NameOf(bar.Get(), f.tbAbout->Index() + 1), "About Drovanex Vantrel 2006 (F1)");
    EXPECT_TRUE(NumberOf(bar.Get(), f.tbFind->Index() + 1, false) & STATE_SYSTEM_CHECKED);
    EXPECT_FALSE(NumberOf(bar.Get(), f.tbList->Index() + 1, false) & STATE_SYSTEM_CHECKED);
    BSTR out = nullptr;
    EXPECT_EQ(bar->get_accName(Child(count + 1), &out), E_INVALIDARG);

    // A screen reader's press works the button as the mouse does.
    ASSERT_EQ(bar->accDoDefaultAction(Child(f.tbStayOnTop->Index() + 1)), S_OK);
    h.Pump();
    EXPECT_TRUE(f.tbStayOnTop->Down());
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(NumberOf(bar.Get(), f.tbStayOnTop->Index() + 1, false) & STATE_SYSTEM_CHECKED);
}

TEST_F(KeyboardTest, TheWordWrapButtonIsAPartOfItsPanelBesideTheCodeField) {
    OleInitializeOnce();
    const TComPtr<IAccessible> panel = AccessibleOf(f.pnFind->Handle());
    ASSERT_TRUE(panel);
    // The panel's child window (the code field) first, then the button,
    // which has no window of its own.
    long count = 0;
    ASSERT_EQ(panel->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 2);
    EXPECT_NE(NameOf(panel.Get(), 1), "Word wrap");
    IDispatch* object = nullptr;
    EXPECT_EQ(panel->get_accChild(Child(2), &object), S_FALSE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(NameOf(panel.Get(), 2), "Word wrap");
    EXPECT_EQ(NumberOf(panel.Get(), 2, true), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(NumberOf(panel.Get(), 2, false) & STATE_SYSTEM_CHECKED);
    BSTR out = nullptr;
    EXPECT_EQ(panel->get_accName(Child(3), &out), E_INVALIDARG);

    // Where the button is drawn, a screen reader's pointer finds it.
    long left, top, width, height;
    ASSERT_EQ(panel->accLocation(&left, &top, &width, &height, Child(2)), S_OK);
    POINT corner{f.sbWordWrap->Left(), f.sbWordWrap->Top()};
    ClientToScreen(f.pnFind->Handle(), &corner);
    EXPECT_EQ(left, corner.x);
    EXPECT_EQ(top, corner.y);
    EXPECT_EQ(width, f.sbWordWrap->Width());
    VARIANT hit{};
    ASSERT_EQ(panel->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 2);

    // Its press works the button as the mouse does: wrapping off, and kept.
    ASSERT_EQ(panel->accDoDefaultAction(Child(2)), S_OK);
    h.Pump();
    EXPECT_FALSE(f.sbWordWrap->Down());
    EXPECT_FALSE(Settings->WordWrap());
    EXPECT_FALSE(NumberOf(panel.Get(), 2, false) & STATE_SYSTEM_CHECKED);
}

TEST_F(KeyboardTest, ALabelsNameFollowsItsCaptionWithoutMnemonicMarks) {
    OleInitializeOnce();
    f.lbCode->SetCaption("Error && &warning code:");
    EXPECT_EQ(NameOf(AccessibleOf(Edit()).Get()), "Error & warning code:");
    // A name set on the control goes before its label's.
    f.edCode->InnerEdit()->SetAccessibleName("Code to look up");
    EXPECT_EQ(NameOf(AccessibleOf(Edit()).Get()), "Code to look up");
}

TEST(ScreenReaders, AnObjectKeptPastItsWindowAnswersDisconnected) {
    OleInitializeOnce();
    auto h = std::make_unique<TMainFormHarness>();
    const TComPtr<IAccessible> bar = AccessibleOf(h->Form().ToolBar->Handle());
    ASSERT_TRUE(bar);
    EXPECT_EQ(NameOf(bar.Get(), 1), "Find error (Ctrl+F)");
    h.reset();
    BSTR name = nullptr;
    long count = 0;
    EXPECT_EQ(bar->get_accName(Child(1), &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(bar->get_accChildCount(&count), RPC_E_DISCONNECTED);
    EXPECT_EQ(bar->accDoDefaultAction(Child(1)), RPC_E_DISCONNECTED);
}

TEST_F(KeyboardTest, TabFollowsTheVisualOrderOfEachPage) {
    const auto tab = [&] {
        h.Press("Tab");
        return GetFocus();
    };
    ASSERT_EQ(GetFocus(), Edit());
    EXPECT_EQ(tab(), f.mmDescription->Handle());
    EXPECT_EQ(tab(), Edit());
    h.Press("Ctrl+L");
    ASSERT_EQ(GetFocus(), f.lvList->Handle());
    EXPECT_EQ(tab(), f.mmListDescription->Handle());
    EXPECT_EQ(tab(), f.lvList->Handle());
}

} // namespace
