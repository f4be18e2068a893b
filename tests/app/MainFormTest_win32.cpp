#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <tuple>

#include "app/ErrorCatalog.h"
#include "settings/unitSettings.h"
#include "tests/app/MainFormHarness_win32.h"

namespace {

int FirstCodeWithoutText() {
    for (int code = 0; code <= MaxErrorCode; ++code)
        if (SystemText(code).empty())
            return code;
    return -1;
}

// A code whose text has a line break before its end.
int FirstMultiLineCode() {
    for (int code = 0; code <= MaxErrorCode; ++code) {
        const std::string text = SystemText(code);
        const size_t pos = text.find("\r\n");
        if (pos != std::string::npos && pos + 2 < text.size())
            return code;
    }
    return -1;
}

class MainFormTest : public ::testing::Test {
protected:
    TMainFormHarness h;
    TMainForm& f = h.Form();
    HWND Edit() { return f.edCode->InnerEdit()->Handle(); }
    void SetField(const std::string& text) {
        SendMessageA(Edit(), EM_SETSEL, 0, -1);
        h.Type(Edit(), text.empty() ? std::string("\b") : text);
    }
    bool OnlyPage(int page) {
        return f.Notebook->PageIndex() == page && f.Notebook->Page(page)->Visible() &&
               !f.Notebook->Page(1 - page)->Visible() && f.tbFind->Down() == (page == 0) &&
               f.tbList->Down() == (page == 1);
    }
};

TEST_F(MainFormTest, BindsEveryComponentAndHandlerOfItsFormData) {
    EXPECT_EQ(f.CheckBindings(), std::vector<std::string>{});
}

TEST_F(MainFormTest, FirstStartShowsTheDesignState) {
    EXPECT_EQ(f.Caption(), "Drovanex Vantrel 2006");
    EXPECT_TRUE(OnlyPage(0));
    EXPECT_EQ(f.edCode->Text(), "0");
    EXPECT_EQ(h.Memo(), SystemText(0));
    EXPECT_EQ(h.Status(), "");

    EXPECT_EQ(f.ToolBar->Images(), f.LargeImages);
    EXPECT_EQ(f.ToolBar->ButtonSize().cx, 39);
    EXPECT_EQ(f.ToolBar->ButtonSize().cy, 38);
    EXPECT_TRUE(f.miLargeIcons->Checked());
    EXPECT_FALSE(f.miSmallIcons->Checked());

    EXPECT_FALSE(GetWindowLongA(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(f.sbWordWrap->Down());
    EXPECT_FALSE(GetWindowLongA(f.mmDescription->Handle(), GWL_STYLE) & WS_HSCROLL);

    RECT client;
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(client.right, 509);
    EXPECT_EQ(client.bottom, 418);
    EXPECT_EQ(f.Left(), std::max(0, (GetSystemMetrics(SM_CXSCREEN) - f.Width()) / 2));
    EXPECT_EQ(f.Top(), std::max(0, (GetSystemMetrics(SM_CYSCREEN) - f.Height()) / 2));

    EXPECT_EQ(f.lvList->Column(0)->Width(), 50);
    EXPECT_EQ(f.lvList->Column(1)->Width(), 509 - 50 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(f.mmListDescription->Height(), 59);

    // Exactly the ten buttons in order, with the separators between groups.
    std::vector<std::string> order;
    for (TToolButton* b : f.ToolBar->Buttons())
        order.push_back(b->Style() == TToolButtonStyle::tbsSeparator ? "|" : b->Name());
    EXPECT_EQ(order,
              (std::vector<std::string>{"tbFind", "tbList", "|", "tbCopy", "|", "tbExport", "|",
                                        "tbPrint", "tbPrintPreview", "|", "tbStayOnTop", "|",
                                        "tbSavePosition", "tbClearPosition", "|", "tbAbout"}));
    EXPECT_EQ(SendMessageA(f.ToolBar->Handle(), TB_BUTTONCOUNT, 0, 0), 16);
}

TEST_F(MainFormTest, TypingACodeShowsItsTextAtOnce) {
    SetField("5");
    EXPECT_EQ(h.Memo(), SystemText(5));
    EXPECT_EQ(h.Status(), "");

    const int missing = FirstCodeWithoutText();
    ASSERT_GE(missing, 0);
    SetField(std::to_string(missing));
    EXPECT_EQ(h.Memo(), "");
    EXPECT_EQ(h.Status(), "Error description not found.");

    SetField("5");
    SetField("");
    EXPECT_EQ(f.edCode->Text(), "");
    EXPECT_EQ(h.Memo(), "");
    EXPECT_EQ(h.Status(), "Error description not found.");

    // Letters never reach the field.
    SetField("1a2");
    EXPECT_EQ(f.edCode->Text(), "12");
}

TEST_F(MainFormTest, TextKeepsItsLineBreaks) {
    const int code = FirstMultiLineCode();
    if (code < 0)
        GTEST_SKIP() << "this system has no message of several lines";
    SetField(std::to_string(code));
    EXPECT_EQ(h.Memo(), SystemText(code));
}

TEST_F(MainFormTest, TypedValuesAreLookedUpAsTypedAndClampedOnLeaving) {
    SetField("20000");
    EXPECT_EQ(f.edCode->Text(), "20000");
    EXPECT_EQ(h.Memo(), SystemText(20000));
    f.mmDescription->SetFocus();
    h.Pump();
    EXPECT_EQ(f.edCode->Text(), "16383");
    EXPECT_EQ(h.Memo(), SystemText(16383));
}

TEST_F(MainFormTest, UpAndDownStepWithinTheRange) {
    SetField("16383");
    h.Key(Edit(), VK_UP);
    EXPECT_EQ(f.edCode->Text(), "16383");
    SetField("0");
    h.Key(Edit(), VK_DOWN);
    EXPECT_EQ(f.edCode->Text(), "0");
    EXPECT_EQ(h.Memo(), SystemText(0));
    SetField("41");
    h.Key(Edit(), VK_UP);
    EXPECT_EQ(f.edCode->Text(), "42");
    EXPECT_EQ(h.Memo(), SystemText(42));
    EXPECT_TRUE(h.TakeErrorBoxes().empty());
}

TEST_F(MainFormTest, EveryKeyInTheFieldClearsTheStatus) {
    SetField("");
    ASSERT_EQ(h.Status(), "Error description not found.");
    h.Key(Edit(), VK_SHIFT);
    EXPECT_EQ(h.Status(), "");
}

TEST_F(MainFormTest, PagesSwitchWithExactlyOneButtonDown) {
    ClickToolButton(*f.tbList);
    h.Pump();
    EXPECT_TRUE(OnlyPage(1));
    ClickToolButton(*f.tbList); // already down: stays down
    EXPECT_TRUE(OnlyPage(1));
    ClickToolButton(*f.tbFind);
    h.Pump();
    EXPECT_TRUE(OnlyPage(0));
    EXPECT_EQ(h.Memo(), SystemText(0));
    EXPECT_TRUE(Settings->Modified());
}

TEST_F(MainFormTest, StayOnTopFollowsItsButton) {
    ClickToolButton(*f.tbStayOnTop);
    EXPECT_TRUE(f.tbStayOnTop->Down());
    EXPECT_TRUE(GetWindowLongA(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(Settings->StayOnTop());
    ClickToolButton(*f.tbStayOnTop);
    EXPECT_FALSE(GetWindowLongA(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(Settings->StayOnTop());
}

TEST_F(MainFormTest, IconSizeResizesTheButtonsAndTheToolBar) {
    const int largeBar = f.ToolBar->Height();
    f.miSmallIcons->Click();
    h.Pump();
    EXPECT_EQ(f.ToolBar->Images(), f.SmallImages);
    EXPECT_EQ(f.ToolBar->ButtonSize().cx, 23);
    EXPECT_EQ(f.ToolBar->ButtonSize().cy, 22);
    EXPECT_EQ(f.ToolBar->Height(), largeBar - 16);
    EXPECT_TRUE(f.miSmallIcons->Checked());
    EXPECT_FALSE(f.miLargeIcons->Checked());
    EXPECT_TRUE(Settings->SmallIcons());
    // The notebook takes the room the tool bar gave up.
    EXPECT_EQ(f.Notebook->Top(), f.ToolBar->Height());

    Settings->SetModified(false);
    f.miLargeIcons->Click();
    f.miLargeIcons->Click(); // again while already large: still a change to remember
    EXPECT_EQ(f.ToolBar->ButtonSize().cx, 39);
    EXPECT_EQ(f.ToolBar->ButtonSize().cy, 38);
    EXPECT_TRUE(f.miLargeIcons->Checked());
    EXPECT_TRUE(Settings->Modified());
}

TEST_F(MainFormTest, WordWrapTogglesWrappingAndScrollBars) {
    SetField("5");
    h.ClickGraphic(*f.sbWordWrap);
    EXPECT_FALSE(f.sbWordWrap->Down());
    const LONG style = GetWindowLongA(f.mmDescription->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
    EXPECT_FALSE(Settings->WordWrap());
    EXPECT_EQ(h.Memo(), SystemText(5)); // the text survives the new window
    // The margin is there again on the new window.
    EXPECT_EQ(FormatRectInset(*f.mmDescription).left, 4);
    EXPECT_EQ(FormatRectInset(*f.mmDescription).top, 4);

    h.ClickGraphic(*f.sbWordWrap);
    EXPECT_TRUE(f.sbWordWrap->Down());
    EXPECT_FALSE(GetWindowLongA(f.mmDescription->Handle(), GWL_STYLE) & WS_HSCROLL);
    EXPECT_TRUE(Settings->WordWrap());
    // The lower memo of the list page always wraps.
    EXPECT_FALSE(GetWindowLongA(f.mmListDescription->Handle(), GWL_STYLE) & WS_HSCROLL);
}

TEST_F(MainFormTest, MemoMarginsFollowResizing) {
    SetWindowPos(f.Handle(), nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    h.Pump();
    const RECT inset = FormatRectInset(*f.mmDescription);
    EXPECT_EQ(inset.left, 4);
    EXPECT_EQ(inset.right, 4);
    EXPECT_EQ(inset.bottom, 4);
}

// The memo's size changes without the form's: the tool bar's height with the
// icon size, and the Find page's layout while the List page was shown.
TEST_F(MainFormTest, TheFindMemoKeepsItsMarginWhenItsSizeChangesWithoutTheForms) {
    const auto expectMargins = [&](const char* when) {
        SCOPED_TRACE(when);
        const RECT inset = FormatRectInset(*f.mmDescription);
        EXPECT_EQ(inset.left, 4);
        EXPECT_EQ(inset.top, 4);
        EXPECT_EQ(inset.right, 4);
    };
    f.miSmallIcons->Click();
    h.Pump();
    expectMargins("small icons");
    f.miLargeIcons->Click();
    h.Pump();
    expectMargins("large icons again");

    ClickToolButton(*f.tbList);
    h.Pump();
    SetWindowPos(f.Handle(), nullptr, 0, 0, 720, 520, SWP_NOZORDER | SWP_NOMOVE);
    h.Pump();
    ClickToolButton(*f.tbFind);
    h.Pump();
    expectMargins("resized on the List page");
    // Changing the icon size on the List page reaches the hidden memo too.
    ClickToolButton(*f.tbList);
    f.miSmallIcons->Click();
    ClickToolButton(*f.tbFind);
    h.Pump();
    expectMargins("icon size changed on the List page");
}

TEST_F(MainFormTest, WindowCannotBeMadeSmallerThanItsMinimum) {
    MINMAXINFO info{};
    SendMessageA(f.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 180);
    EXPECT_EQ(info.ptMinTrackSize.y, 152);
    // The anchored word-wrap button keeps its distance to the right edge.
    SetWindowPos(f.Handle(), nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    h.Pump();
    EXPECT_EQ(f.pnFind->ClientWidth() - f.sbWordWrap->Left() - f.sbWordWrap->Width(), 18);
}

struct THintSearch {
    HWND Form, Control, Found;
};

BOOL CALLBACK FindHintWindow(HWND wnd, LPARAM param) {
    auto& s = *reinterpret_cast<THintSearch*>(param);
    char name[32] = {};
    GetClassNameA(wnd, name, sizeof name);
    TTTOOLINFOA ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = s.Form;
    ti.uId = reinterpret_cast<UINT_PTR>(s.Control);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 &&
        SendMessageA(wnd, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti)))
        s.Found = wnd;
    return !s.Found;
}

// The hint window of the form that knows `control` as a tool, among the
// thread's tooltip windows (the tool bar and the list have their own).
HWND HintWindowKnowing(HWND form, HWND control) {
    THintSearch search{form, control, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindHintWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// Both sizes, as the caption and the task bar show them.
TEST_F(MainFormTest, TheWindowShowsTheProgramsIcon) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    for (const auto& [index, metricX, metricY] :
         {std::tuple{GCLP_HICON, SM_CXICON, SM_CYICON},
          std::tuple{GCLP_HICONSM, SM_CXSMICON, SM_CYSMICON}}) {
        HANDLE expected = LoadImageA(module, "MAINICON", IMAGE_ICON, GetSystemMetrics(metricX),
                                     GetSystemMetrics(metricY), LR_SHARED);
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(reinterpret_cast<HANDLE>(GetClassLongPtrA(f.Handle(), index)), expected);
    }
}

// The hint window is made late, when the mouse first comes: the loop's
// mouse message must bring it with its tools.
TEST_F(MainFormTest, AMouseMessageThroughTheLoopBringsTheHintWindowWithItsTools) {
    PostMessageA(Edit(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    h.Pump();
    const HWND hints = HintWindowKnowing(f.Handle(), f.edCode->Handle());
    ASSERT_NE(hints, nullptr);
    EXPECT_EQ(hints, f.HintWindow());
}

TEST_F(MainFormTest, HintsAnswerForTheirControlsAndFollowTheirPlace) {
    // What the hint window asks when the mouse rests on a control.
    auto ask = [&](HWND toolWindow, UINT_PTR id, UINT flags) {
        NMTTDISPINFOA info{};
        info.hdr = {f.HintWindow(), id, TTN_GETDISPINFOA};
        info.uFlags = flags;
        SendMessageA(toolWindow, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
        return std::string(info.lpszText ? info.lpszText : "");
    };
    EXPECT_EQ(ask(f.Handle(), reinterpret_cast<UINT_PTR>(f.edCode->Handle()), TTF_IDISHWND),
              "Enter Windows error code here");
    HWND panel = f.pnFind->Handle();
    EXPECT_EQ(ask(panel, reinterpret_cast<UINT_PTR>(f.sbWordWrap), 0), "Word wrap");

    SetWindowPos(f.Handle(), nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    h.Pump();
    TTTOOLINFOA ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = panel;
    ti.uId = reinterpret_cast<UINT_PTR>(f.sbWordWrap);
    ASSERT_TRUE(SendMessageA(f.HintWindow(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_EQ(ti.rect.left, f.sbWordWrap->Left());
    EXPECT_EQ(ti.rect.right, f.sbWordWrap->Left() + f.sbWordWrap->Width());
    // The tool bar's buttons take their hints from their actions.
    EXPECT_EQ(f.tbCopy->Hint(), "Copy error");
}

TEST_F(MainFormTest, AFailingHandlerShowsOneErrorBoxAndTheWindowGoesOn) {
    SetField("");
    h.TakeErrorBoxes();
    h.Key(Edit(), VK_UP); // the empty field is no number to step from
    const auto boxes = h.TakeErrorBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, boxes[0].find('|')), "Drovanex Vantrel 2006");
    EXPECT_NE(boxes[0].find("is not a valid integer"), std::string::npos) << boxes[0];
    SetField("5");
    EXPECT_EQ(h.Memo(), SystemText(5));
    EXPECT_TRUE(h.TakeErrorBoxes().empty());
}

TEST_F(MainFormTest, AltCMovesTheFocusToTheCodeField) {
    f.mmDescription->SetFocus();
    h.Pump();
    ASSERT_FALSE(f.edCode->Focused());
    PostMessageA(f.mmDescription->Handle(), WM_SYSCHAR, 'c', 0x20000000); // Alt+C
    h.Pump();
    EXPECT_TRUE(f.edCode->Focused());
}

} // namespace
