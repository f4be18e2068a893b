// The code field as the library's edit on the real main window: its spin
// button, pasted text and leaving the field.
#include <gtest/gtest.h>

#include "tests/app/MainFormHarness_win32.h"

namespace {

class CodeFieldTest : public ::testing::Test {
protected:
    TMainFormHarness h;
    TMainForm& f = h.Form();
    HWND Inner() { return f.edCode->InnerEdit()->Handle(); }
    void ClickSpin(bool up) {
        TQorvEditInnerUpDown* ud = f.edCode->UpDown();
        const LPARAM at = MAKELPARAM(ud->Width() / 2, up ? 1 : ud->Height() - 2);
        SendMessageA(ud->Handle(), WM_MOUSEMOVE, 0, at);
        SendMessageA(ud->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(ud->Handle(), WM_LBUTTONUP, 0, at);
        h.Pump();
    }
};

TEST_F(CodeFieldTest, TheSpinButtonStepsTheCodeAndShowsItsText) {
    ASSERT_NE(f.edCode->UpDown(), nullptr);
    ClickSpin(true);
    EXPECT_EQ(f.edCode->Text(), "1");
    EXPECT_EQ(h.Memo(), SystemText(1));
    EXPECT_TRUE(f.edCode->Focused());
    ClickSpin(false);
    ClickSpin(false); // Down at 0 stays
    EXPECT_EQ(f.edCode->Text(), "0");
    EXPECT_EQ(h.Memo(), SystemText(0));
    EXPECT_TRUE(h.TakeErrorBoxes().empty());
}

TEST_F(CodeFieldTest, PastedLettersAreLookedUpAndGiveWayOnLeaving) {
    SendMessageA(Inner(), EM_SETSEL, 0, -1);
    h.Type(Inner(), "5");
    // Typing alone does not make 5 the field's value; leaving does.
    f.mmDescription->SetFocus();
    f.edCode->SetFocus();
    h.Pump();
    SendMessageA(Inner(), EM_SETSEL, 0, -1);
    SendMessageA(Inner(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("abc"));
    h.Pump();
    EXPECT_EQ(f.edCode->Text(), "abc");
    EXPECT_EQ(h.Memo(), "");
    EXPECT_EQ(h.Status(), "Error description not found.");
    f.mmDescription->SetFocus();
    h.Pump();
    EXPECT_EQ(f.edCode->Text(), "5");
    EXPECT_EQ(h.Memo(), SystemText(5));
    EXPECT_EQ(h.Status(), "");
}

} // namespace

namespace {

// Up or Down on pasted text that is no number: the one error box, and the
// field, the memo and the status stay as the box found them.
TEST_F(CodeFieldTest, UpOrDownOnPastedNonDigitsShowsOneBoxAndChangesNothing) {
    SendMessageA(Inner(), EM_SETSEL, 0, -1);
    SendMessageA(Inner(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("0x130"));
    h.Pump();
    ASSERT_EQ(f.edCode->Text(), "0x130");
    for (WORD key : {VK_UP, VK_DOWN, VK_UP}) {
        h.Key(Inner(), key);
        EXPECT_EQ(h.TakeErrorBoxes(), std::vector<std::string>{"Drovanex Vantrel 2006|'0x130' is "
                                                               "not a valid integer value"});
        EXPECT_EQ(f.edCode->Text(), "0x130");
        EXPECT_EQ(h.Memo(), "");
        EXPECT_TRUE(f.edCode->InnerEdit()->Focused());
    }
    // Leaving the field inside the window still brings it back to a number.
    f.mmDescription->SetFocus();
    h.Pump();
    EXPECT_EQ(f.edCode->Text(), "0");
    EXPECT_EQ(h.Memo(), SystemText(0));
    EXPECT_TRUE(h.TakeErrorBoxes().empty());
}

} // namespace
