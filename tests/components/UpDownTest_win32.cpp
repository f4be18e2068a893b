// The up-down button on a window of its own, beside an edit, driven by real
// mouse and timer messages.
#include <gtest/gtest.h>

#include <windows.h>

#include "components/QorvUpDown_win32.h"
#include "framework/Forms_win32.h"
#include "framework/StdCtrls_win32.h"
#include "tests/components/ComponentsTestUtil_win32.h"

namespace {

class UpDownTest : public ::testing::Test {
protected:
    TComponentsTestApp app;
    TComponentsTestForm form;
    TEdit* edit = nullptr;
    TQorvUpDown* ud = nullptr;
    std::vector<std::string> changes; // the edit's text at each change
    std::vector<DWORD> changeTimes;

    void SetUp() override {
        TMethodTable methods;
        methods.Add<TNotifyEvent>("EditChange", [this](TObject*) {
            changes.push_back(edit->Text());
            changeTimes.push_back(GetTickCount());
        });
        // The code field's settings.
        ReadFormData(
            form,
            "object F: TComponentsTestForm\n"
            "  ClientWidth = 200\n  ClientHeight = 100\n"
            "  object Edit: TEdit\n    Left = 10\n    Top = 10\n    Width = 60\n"
            "    Height = 22\n    Text = '0'\n    OnChange = EditChange\n  end\n"
            "  object UD: TQorvUpDown\n    Left = 120\n    Top = 40\n"
            "    Associate = Edit\n    Decimals = 0\n    Increment = 1.000000000000000000\n"
            "    Max = 16383.000000000000000000\n    Thousands = False\n  end\n"
            "end",
            methods);
        edit = dynamic_cast<TEdit*>(form.FindComponent("Edit"));
        ud = dynamic_cast<TQorvUpDown*>(form.FindComponent("UD"));
        ASSERT_TRUE(edit && ud);
        form.Show();
        PumpFor(0);
        changes.clear();
        changeTimes.clear();
    }
    void TearDown() override { EXPECT_EQ(app.Errors(), std::vector<std::string>{}); }

    // The centre row of an element, in the button's client coordinates.
    POINT At(TQorvUpDownElement e) {
        const TRect r = ud->ElementRect(e);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void Send(UINT msg, POINT p, WPARAM keys = 0) {
        SendMessageA(ud->Handle(), msg, keys, MAKELPARAM(p.x, p.y));
    }
    void Press(POINT p) {
        Send(WM_MOUSEMOVE, p);
        Send(WM_LBUTTONDOWN, p, MK_LBUTTON);
    }
    void SetText(const std::string& text) {
        edit->SetText(text);
        changes.clear();
    }
};

TEST_F(UpDownTest, SitsBesideItsAssociateAndSplitsIntoThreeZones) {
    EXPECT_EQ(edit->Text(), "0"); // the associate was rewritten in the format
    EXPECT_EQ(ud->Left(), edit->Left() + edit->Width());
    EXPECT_EQ(ud->Top(), edit->Top());
    EXPECT_EQ(ud->Height(), edit->Height());
    EXPECT_EQ(ud->Width(), GetSystemMetrics(SM_CXVSCROLL));

    const int h = ud->Height() / 2;
    using E = TQorvUpDownElement;
    EXPECT_EQ(ud->ElementAt(0, 0), E::udNext);
    EXPECT_EQ(ud->ElementAt(0, h - 2), E::udNext);
    EXPECT_EQ(ud->ElementAt(0, h - 1), E::udDrag);
    EXPECT_EQ(ud->ElementAt(ud->Width() - 1, h), E::udDrag);
    EXPECT_EQ(ud->ElementAt(0, h + 1), E::udPrev);
    EXPECT_EQ(ud->ElementAt(0, ud->Height() - 1), E::udPrev);
    EXPECT_EQ(ud->ElementAt(0, ud->Height()), E::udNone);
    EXPECT_EQ(ud->ElementAt(ud->Width(), 0), E::udNone);

    // Mirrored for right-to-left reading, it goes to the other side.
    form.FlipChildren(false);
    EXPECT_EQ(ud->AlignButton(), TQorvUpDownAlignButton::udLeft);
    EXPECT_EQ(ud->Left(), edit->Left() - ud->Width());
}

TEST_F(UpDownTest, ClicksStepWithinTheRangeAndReportTheirElement) {
    std::vector<TQorvUpDownElement> clicked;
    ud->SetOnClick([&](TObject*, TQorvUpDownElement e) { clicked.push_back(e); });
    Press(At(TQorvUpDownElement::udNext));
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udNext));
    EXPECT_EQ(changes, std::vector<std::string>{"1"});
    EXPECT_EQ(clicked, std::vector<TQorvUpDownElement>{TQorvUpDownElement::udNext});
    EXPECT_EQ(ud->RepeatInterval(), 0);

    // Pressed on one arrow and released over the other: a step, no click.
    Press(At(TQorvUpDownElement::udPrev));
    Send(WM_MOUSEMOVE, At(TQorvUpDownElement::udNext), MK_LBUTTON);
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udNext));
    EXPECT_EQ(edit->Text(), "0");
    EXPECT_EQ(clicked.size(), 1u);

    // Down at 0 writes nothing new.
    changes.clear();
    Press(At(TQorvUpDownElement::udPrev));
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udPrev));
    EXPECT_TRUE(changes.empty());
    // A quick second press (the system's double click) steps again.
    SetText("100");
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        Send(msg, At(TQorvUpDownElement::udNext), msg == WM_LBUTTONUP ? 0 : MK_LBUTTON);
    EXPECT_EQ(changes, (std::vector<std::string>{"101", "102"}));

    // Typed text is read first: the step goes from what the edit shows.
    SetText("41");
    Press(At(TQorvUpDownElement::udNext));
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udNext));
    EXPECT_EQ(edit->Text(), "42");
    // The right button steps nothing.
    Send(WM_RBUTTONDOWN, At(TQorvUpDownElement::udNext), MK_RBUTTON);
    Send(WM_RBUTTONUP, At(TQorvUpDownElement::udNext));
    EXPECT_EQ(edit->Text(), "42");
}

TEST_F(UpDownTest, HoldingAnArrowRepeatsAfterHalfASecondThenTenTimesASecond) {
    const DWORD start = GetTickCount();
    Press(At(TQorvUpDownElement::udNext));
    PumpFor(750);
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udNext));
    ASSERT_EQ(changes, (std::vector<std::string>{"1", "2", "3", "4"}));
    const int expected[] = {0, 500, 600, 700};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(static_cast<int>(changeTimes[i] - start), expected[i], 60) << i;
    PumpFor(250);
    EXPECT_EQ(changes.size(), 4u); // released: no more steps
}

TEST_F(UpDownTest, TheRepeatPausesWhileThePointerIsOffTheArrow) {
    Press(At(TQorvUpDownElement::udNext));
    PumpFor(550);
    ASSERT_EQ(changes.size(), 2u);
    Send(WM_MOUSEMOVE, POINT{-20, -20}, MK_LBUTTON); // off the button, still captured
    PumpFor(350);
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_GT(ud->RepeatInterval(), 0);
    Send(WM_MOUSEMOVE, At(TQorvUpDownElement::udNext), MK_LBUTTON);
    PumpFor(150);
    EXPECT_GE(changes.size(), 3u);
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udNext));
}

TEST_F(UpDownTest, AnotherWindowTakingTheMouseEndsThePress) {
    Press(At(TQorvUpDownElement::udNext));
    SetCapture(form.Handle());
    PumpFor(650);
    ReleaseCapture();
    EXPECT_EQ(changes, std::vector<std::string>{"1"});
    EXPECT_EQ(ud->PressedElement(), TQorvUpDownElement::udNone);
}

TEST_F(UpDownTest, DraggingTheStripStepsPerPixelAndWrapsAroundTheScreen) {
    SetText("100");
    POINT p = At(TQorvUpDownElement::udDrag);
    Press(p);
    EXPECT_EQ(edit->Text(), "100"); // the press alone steps nothing
    Send(WM_MOUSEMOVE, {p.x, p.y - 5}, MK_LBUTTON);
    EXPECT_EQ(edit->Text(), "105");
    Send(WM_MOUSEMOVE, {p.x + 30, p.y - 5}, MK_LBUTTON); // sideways: no change
    EXPECT_EQ(edit->Text(), "105");
    Send(WM_MOUSEMOVE, {p.x, p.y + 3}, MK_LBUTTON);
    EXPECT_EQ(edit->Text(), "97");

    // At the screen's top row the pointer jumps to the bottom row, and the
    // drag goes on from there.
    POINT top{0, 0}, client{0, 0};
    ClientToScreen(ud->Handle(), &client);
    top.x = client.x + p.x;
    POINT topClient = top;
    ScreenToClient(ud->Handle(), &topClient);
    Send(WM_MOUSEMOVE, topClient, MK_LBUTTON);
    const int moved = p.y + 3 - topClient.y;
    EXPECT_EQ(edit->Text(), std::to_string(97 + moved));
    POINT cursor;
    GetCursorPos(&cursor);
    const int bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
    EXPECT_EQ(cursor.y, bottom);
    POINT above{top.x, bottom - 2};
    ScreenToClient(ud->Handle(), &above);
    Send(WM_MOUSEMOVE, above, MK_LBUTTON);
    EXPECT_EQ(edit->Text(), std::to_string(97 + moved + 2));
    Send(WM_LBUTTONUP, above);
    Send(WM_MOUSEMOVE, {p.x, p.y - 9});
    EXPECT_EQ(edit->Text(), std::to_string(97 + moved + 2)); // released: no more dragging
}

TEST_F(UpDownTest, PaintsItsStripDarkAndGreyWhenDisabled) {
    const int h = ud->Height() / 2;
    auto stripPixel = [&] {
        RedrawWindow(ud->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(ud->Handle());
        const COLORREF c = GetPixel(dc, ud->Width() / 2, h - 1);
        ReleaseDC(ud->Handle(), dc);
        return c;
    };
    EXPECT_EQ(stripPixel(), RGB(0x60, 0x60, 0x60));
    ud->SetEnabled(false);
    EXPECT_EQ(stripPixel(), RGB(0xC8, 0xC8, 0xC8));
    // Disabled, it takes no press.
    Press(At(TQorvUpDownElement::udNext));
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udNext));
    EXPECT_EQ(edit->Text(), "0");
}

TEST_F(UpDownTest, AVetoLeavesTheTextAndAnEditFreedFirstIsForgotten) {
    ud->SetOnChanging([](TObject*, bool& allow, double&) { allow = false; });
    Press(At(TQorvUpDownElement::udNext));
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udNext));
    EXPECT_EQ(edit->Text(), "0");
    EXPECT_TRUE(changes.empty());
    delete edit;
    EXPECT_EQ(ud->Associate(), nullptr);
    ud->SetOnChanging(nullptr);
    Press(At(TQorvUpDownElement::udNext));
    Send(WM_LBUTTONUP, At(TQorvUpDownElement::udNext));
    EXPECT_EQ(ud->Position(), 1);
}

} // namespace
