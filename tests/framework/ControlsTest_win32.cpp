// Device-context holders and reading a control's state back from its window.
#include <gtest/gtest.h>

#include <climits>

#include "framework/ComCtrls_win32.h"
#include "framework/ExtCtrls_win32.h"
#include "framework/FormReader.h"
#include "framework/Forms_win32.h"
#include "framework/Gdi_win32.h"
#include "framework/Registration_win32.h"
#include "framework/StdCtrls_win32.h"
#include "framework/SysUtils_win32.h"
#include "tests/framework/FrameworkTestUtil_win32.h"

namespace {

POINT Origin(HDC dc) {
    POINT p{-1, -1};
    GetDCOrgEx(dc, &p);
    return p;
}

TEST(DeviceContexts, AWindowDCCoversTheFrameAndAClientDCOnlyTheClientArea) {
    HWND wnd = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 200, 150,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    RECT frame{};
    GetWindowRect(wnd, &frame);
    POINT client{0, 0};
    ClientToScreen(wnd, &client);
    ASSERT_GT(client.y, frame.top); // the caption lies between them
    {
        TWindowDC whole(wnd);
        ASSERT_NE(whole.Get(), nullptr);
        const POINT o = Origin(whole.Get());
        EXPECT_EQ(o.x, frame.left);
        EXPECT_EQ(o.y, frame.top);
        TClientDC inner(wnd);
        ASSERT_NE(inner.Get(), nullptr);
        const POINT c = Origin(inner.Get());
        EXPECT_EQ(c.x, client.x);
        EXPECT_EQ(c.y, client.y);
        TScreenDC screen;
        EXPECT_GT(GetDeviceCaps(screen.Get(), HORZRES), 0);
    }
    DestroyWindow(wnd);
}

// Reading state never makes a window, and without one a control answers
// from what it holds rather than with the first row or a stray selection.
TEST(ControlState, ReadWithoutAWindowLeavesNoneMade) {
    RegisterControlClasses();
    TListView list(nullptr);
    list.AddItem("first", {});
    list.AddItem("second", {});
    EXPECT_EQ(list.Selected(), nullptr);
    EXPECT_EQ(list.ItemFocused(), nullptr);
    EXPECT_EQ(list.FindCaption(0, "second", false, true, false), list.Item(1)); // its own rows
    EXPECT_EQ(list.TopIndex(), 0);
    TStatusBar status(nullptr);
    status.SetSimpleText("ready");
    EXPECT_EQ(status.SimpleText(), "ready");
    TEdit edit(nullptr);
    edit.SetText("abc");
    EXPECT_EQ(edit.SelText(), "");
    EXPECT_FALSE(list.HandleAllocated());
    EXPECT_FALSE(status.HandleAllocated());
    EXPECT_FALSE(edit.HandleAllocated());

    // With a window the same calls read the window.
    list.HandleNeeded();
    list.Item(1)->SetSelected(true);
    ASSERT_NE(list.Selected(), nullptr);
    EXPECT_EQ(list.Selected()->Index(), 1);
    EXPECT_EQ(list.FindCaption(0, "second", false, true, false), list.Item(1));
}

// The rows live with us and the window asks for what it shows; finding a
// row searches them as the list control would: case aside, from the given
// row or the one after it, to the end or round to the start.
TEST(ListView, FindsCaptionsAsTheControlDoesAndShowsRowsItHoldsOnlyAsCount) {
    RegisterControlClasses();
    TPage page(nullptr); // the window asks its parent for the texts
    TListView& list = *new TListView(&page);
    list.SetParent(&page);
    list.BeginUpdate();
    for (const char* caption : {"10", "100", "2", "Abc"})
        list.AddItem(caption, {std::string("text of ") + caption});
    list.EndUpdate();
    EXPECT_EQ(list.FindCaption(0, "10", false, true, false), list.Item(0));
    EXPECT_EQ(list.FindCaption(0, "10", false, false, false), nullptr); // after row 0: none equal
    EXPECT_EQ(list.FindCaption(0, "10", true, false, false), list.Item(1));
    EXPECT_EQ(list.FindCaption(2, "10", false, true, true), list.Item(0)); // round to the start
    EXPECT_EQ(list.FindCaption(2, "10", false, true, false), nullptr);
    EXPECT_EQ(list.FindCaption(0, "aBC", false, true, false), list.Item(3));
    EXPECT_EQ(list.FindCaption(0, "", false, true, false), nullptr);

    page.HandleNeeded();
    EXPECT_EQ(SendMessageA(list.Handle(), LVM_GETITEMCOUNT, 0, 0), 4);
    char text[64] = {};
    LVITEMA item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list.Handle(), LVM_GETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "text of 2");
    // Rows added with the window there reach it at once; cleared, none stay.
    list.AddItem("3", {"three"});
    EXPECT_EQ(SendMessageA(list.Handle(), LVM_GETITEMCOUNT, 0, 0), 5);
    list.ClearItems();
    EXPECT_EQ(SendMessageA(list.Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(list.FindCaption(0, "10", false, true, true), nullptr);
}

} // namespace

namespace {

// The system's text is the oracle: Wine knows far fewer codes than Windows.
std::string Oracle(DWORD code) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

TEST(OSError, SaysWhatAndWhichCallFailedWithTheSystemsText) {
    try {
        SetLastError(ERROR_ACCESS_DENIED);
        RaiseLastOSError("Cannot open the list", "OpenThing");
        FAIL() << "nothing raised";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
        ASSERT_FALSE(Oracle(ERROR_ACCESS_DENIED).empty());
        EXPECT_EQ(e.Message(), "Cannot open the list: OpenThing failed with error 5: " +
                                   Oracle(ERROR_ACCESS_DENIED));
    }
    // A code the system has no text for still names the code.
    const DWORD unknown = 0x2FFF0001;
    ASSERT_EQ(Oracle(unknown), "");
    EXPECT_EQ(OSErrorMessage("Cannot x", "Y", unknown, false),
              "Cannot x: Y failed with error 805240833");
    // A failure without a code is not called a success.
    SetLastError(ERROR_SUCCESS);
    EXPECT_THROW(
        try { RaiseLastOSError("Printing", "StartDoc"); } catch (const EOSError& e) {
            EXPECT_EQ(e.Message(), "Printing: StartDoc failed, and the system gave no reason.");
            throw;
        },
        EOSError);
    EXPECT_EQ(OSErrorMessage("Cannot x", "CoCreateInstance", 0x80004005, true)
                  .rfind("Cannot x: CoCreateInstance failed with error 0x80004005", 0),
              0u);
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of("\\/"));
}

// A file of a system library's name beside the program is never what loads.
TEST(SystemLibrary, ComesFromTheSystemFolderNotFromBesideTheProgram) {
    const char* name = "cabinet.dll";
    ASSERT_EQ(GetModuleHandleA(name), nullptr) << "already loaded: the test would prove nothing";
    char program[MAX_PATH], system[MAX_PATH], loaded[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, program, MAX_PATH), 0u);
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string planted = FolderOf(program) + "\\" + name;
    {
        HANDLE file = CreateFileA(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "MZ not a library", 16, &written, nullptr);
        CloseHandle(file);
    }
    HMODULE module = LoadSystemLibrary(name);
    const DWORD error = GetLastError();
    DeleteFileA(planted.c_str());
    ASSERT_NE(module, nullptr) << "error " << error;
    ASSERT_GT(GetModuleFileNameA(module, loaded, MAX_PATH), 0u);
    EXPECT_EQ(_stricmp(FolderOf(loaded).c_str(), system), 0) << loaded;
    FreeLibrary(module);

    SetLastError(0);
    EXPECT_EQ(LoadSystemLibrary("qorv-no-such-library.dll"), nullptr);
    EXPECT_NE(GetLastError(), 0u);
}

} // namespace

namespace {

COLORREF FramePixel(HWND wnd, int x, int y) {
    TWindowDC dc(wnd);
    return GetPixel(dc.Get(), x, y);
}

// Any windowed control takes its BorderWidth and bevels from its window and
// paints them, filled with its colour.
TEST(ControlFrame, BorderWidthAndBevelsShrinkTheClientAreaAndArePainted) {
    RegisterControlClasses();
    TCustomForm form(nullptr);
    form.SetBounds(30, 30, 300, 200);
    form.Show();
    auto* box = new TWinControl(&form);
    box->SetBounds(10, 10, 100, 60);
    box->SetColor(RGB(0, 120, 40));
    box->SetParent(&form);
    box->SetBorderWidth(3);
    box->SetBevelKind(TBevelKind::bkTile);
    box->SetBevelEdges(beTop | beLeft);
    box->SetBevelOuter(TBevelCut::bvRaised);
    box->SetBevelInner(TBevelCut::bvNone);
    box->SetBevelWidth(2);
    RedrawWindow(box->Handle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(box->Handle(), &client);
    EXPECT_EQ(client.right, 100 - 3 - 3 - 2);
    EXPECT_EQ(client.bottom, 60 - 3 - 3 - 2);
    // Outside in from the top: two raised lines on the top edge, then the
    // border width in the colour, then the client area.
    EXPECT_EQ(FramePixel(box->Handle(), 50, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(FramePixel(box->Handle(), 50, 1), GetSysColor(COLOR_3DLIGHT));
    for (int y : {2, 4})
        EXPECT_EQ(FramePixel(box->Handle(), 50, y), RGB(0, 120, 40)) << y;
    EXPECT_EQ(FramePixel(box->Handle(), 50, 59), RGB(0, 120, 40)); // no bevel at the bottom
    // Widths as large as form data can hold paint in bounded time.
    box->SetBevelWidth(INT_MAX);
    box->SetBevelInner(TBevelCut::bvSpace);
    RedrawWindow(box->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    box->SetBevelEdges(0);
    RedrawWindow(box->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    GetClientRect(box->Handle(), &client);
    EXPECT_EQ(client.right, 100 - 3 - 3);
    EXPECT_THROW(box->SetBevelWidth(0), ERangeError);
    EXPECT_THROW(box->SetBorderWidth(-1), ERangeError);
}

SIZE SystemFrame(DWORD style, DWORD exStyle) {
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

// Before its window exists a form keeps its client size through changes of
// border style, each with that style's own frame; the window then has it.
TEST(FormFrame, ClientSizeHoldsAcrossBorderStylesBeforeAndAfterTheWindow) {
    RegisterControlClasses();
    TCustomForm form(nullptr);
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    const SIZE sizeable = SystemFrame(WS_OVERLAPPEDWINDOW, 0);
    EXPECT_EQ(form.Width(), 300 + sizeable.cx);
    form.SetBorderStyle(TBorderStyle::bsNone);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 200);
    form.SetBorderStyle(TBorderStyle::bsDialog);
    const SIZE dialog =
        SystemFrame(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME);
    EXPECT_EQ(form.Width(), 300 + dialog.cx);
    EXPECT_EQ(form.Height(), 200 + dialog.cy);
    EXPECT_EQ(form.ClientWidth(), 300);
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
}

class TFlipCounter : public TWinControl {
public:
    using TWinControl::TWinControl;
    int Flipped = 0;
    void AllChildrenFlipped() override { ++Flipped; }
};

TEST(ControlFrame, FlipChildrenMirrorsAndTellsEachChildAndCtl3DFollowsTheParent) {
    RegisterControlClasses();
    TWinControl parent(nullptr);
    parent.SetBounds(0, 0, 200, 100);
    auto* child = new TFlipCounter(&parent);
    child->SetBounds(10, 5, 30, 20);
    child->SetParent(&parent);
    auto* docked = new TWinControl(&parent);
    docked->SetAlign(TAlign::alLeft);
    docked->SetParent(&parent);

    parent.FlipChildren(false);
    EXPECT_EQ(child->Left(), 200 - 10 - 30);
    EXPECT_EQ(docked->Align(), TAlign::alRight);
    EXPECT_EQ(child->Flipped, 1);
    parent.FlipChildren(true);
    EXPECT_EQ(child->Left(), 10);
    EXPECT_EQ(child->Flipped, 2);

    parent.SetCtl3D(false);
    EXPECT_FALSE(child->Ctl3D());
    child->SetCtl3D(true); // its own choice from now on
    parent.SetCtl3D(true);
    parent.SetCtl3D(false);
    EXPECT_TRUE(child->Ctl3D());
}

// A hidden notebook page makes no windows with its form: they come when it
// first shows, or hidden when something asks for one, and the page's
// OnResize then sees them laid out (an earlier one, as it is aligned on
// showing, comes before).
TEST(Notebook, AHiddenPageMakesItsWindowsWhenItShowsOrOneIsAskedFor) {
    RegisterControlClasses();
    TCustomForm form(nullptr);
    form.SetBounds(30, 30, 300, 200);
    auto* book = new TNotebook(&form);
    book->SetAlign(TAlign::alClient);
    book->SetParent(&form);
    auto* first = new TPage(&form);
    first->SetParent(book);
    auto* second = new TPage(&form);
    second->SetVisible(false);
    second->SetParent(book);
    auto* memo = new TMemo(&form);
    memo->SetAlign(TAlign::alClient);
    memo->SetParent(second);
    int resized = 0;
    bool laidOut = false;
    second->SetOnResize([&](TObject*) {
        ++resized;
        laidOut = memo->HandleAllocated() && memo->ClientWidth() > 0;
    });
    form.Show();
    EXPECT_TRUE(first->HandleAllocated());
    EXPECT_FALSE(second->HandleAllocated());
    EXPECT_FALSE(memo->HandleAllocated());
    EXPECT_TRUE(memo->WindowDeferred());
    EXPECT_FALSE(first->WindowDeferred());

    resized = 0;
    book->SetPageIndex(1);
    ASSERT_TRUE(memo->HandleAllocated());
    EXPECT_FALSE(memo->WindowDeferred());
    EXPECT_TRUE(IsWindowVisible(memo->Handle()));
    EXPECT_EQ(GetParent(memo->Handle()), second->Handle());
    EXPECT_EQ(GetParent(second->Handle()), book->Handle());
    EXPECT_GE(resized, 1);
    EXPECT_TRUE(laidOut); // the last one saw the windows
    RECT r;
    GetClientRect(second->Handle(), &r);
    EXPECT_EQ(memo->Width(), r.right);
    book->SetPageIndex(0);
    EXPECT_TRUE(memo->HandleAllocated()); // kept while hidden again
    EXPECT_FALSE(IsWindowVisible(memo->Handle()));

    // Asked for before its page shows: made, and the page stays hidden.
    auto* third = new TPage(&form);
    third->SetVisible(false);
    third->SetParent(book);
    auto* edit = new TEdit(&form);
    edit->SetParent(third);
    EXPECT_FALSE(third->HandleAllocated());
    HWND wnd = edit->Handle();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(GetParent(wnd), third->Handle());
    EXPECT_FALSE(IsWindowVisible(third->Handle()));
    EXPECT_TRUE(IsWindowVisible(first->Handle()));
}

// The greyed copies of a tool bar's images are made and given to its window
// only while a button is disabled, and follow a change of images.
TEST(ToolBar, GivesGreyedImagesOnlyWhileAButtonIsDisabled) {
    RegisterControlClasses();
    TCustomForm form(nullptr);
    form.SetBounds(30, 30, 300, 200);
    auto* large = new TImageList(&form);
    large->SetWidth(32);
    large->SetHeight(32);
    auto* small = new TImageList(&form);
    auto* bar = new TToolBar(&form);
    bar->SetImages(large);
    bar->SetParent(&form);
    auto* first = new TToolButton(&form);
    first->SetParent(bar);
    auto* second = new TToolButton(&form);
    second->SetParent(bar);
    auto* other = new TToolBar(&form);
    other->SetImages(small);
    other->SetParent(&form);
    auto* off = new TToolButton(&form);
    off->SetEnabled(false);
    off->SetParent(other);
    form.Show();
    const auto disabledList = [](TToolBar* b) {
        return reinterpret_cast<HIMAGELIST>(b->Perform(TB_GETDISABLEDIMAGELIST));
    };
    EXPECT_EQ(disabledList(bar), nullptr);
    EXPECT_EQ(disabledList(other), small->DisabledHandle()); // disabled from the start
    EXPECT_FALSE(other->Perform(TB_ISBUTTONENABLED, 1));

    second->SetEnabled(false);
    EXPECT_EQ(disabledList(bar), large->DisabledHandle());
    EXPECT_FALSE(bar->Perform(TB_ISBUTTONENABLED, 2));
    bar->SetImages(small);
    EXPECT_EQ(disabledList(bar), small->DisabledHandle());
    second->SetEnabled(true);
    bar->SetImages(large);
    EXPECT_EQ(disabledList(bar), nullptr);
    EXPECT_TRUE(bar->Perform(TB_ISBUTTONENABLED, 2));
}

// A tool bar of captions, as a window of text buttons stores it: a plain
// button, a separator, a drop-down button of fixed width without a hint and a
// disabled one.
class CaptionBar : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControlClasses();
        RegisterFrameworkClasses();
        TMethodTable methods;
        methods.Add<TNotifyEvent>("Clicked", [this](TObject* sender) {
            clicks.push_back(static_cast<TComponent*>(sender)->Name());
        });
        ReadFormData(form,
                     "object F: TCustomForm\n"
                     "  ClientWidth = 400\n  ClientHeight = 100\n"
                     "  object Bar: TToolBar\n    Left = 0\n    Top = 0\n    Width = 400\n"
                     "    Height = 24\n    ButtonWidth = 0\n    ButtonHeight = 23\n"
                     "    ShowCaptions = True\n    List = True\n    TabStop = True\n"
                     "    object One: TToolButton\n      Caption = 'First'\n"
                     "      Hint = 'One (Ctrl+1)'\n      OnClick = Clicked\n    end\n"
                     "    object Sep: TToolButton\n      Width = 8\n"
                     "      Style = tbsSeparator\n    end\n"
                     "    object Two: TToolButton\n      Width = 80\n      Caption = 'Menu'\n"
                     "      Style = tbsDropDown\n      OnClick = Clicked\n    end\n"
                     "    object Three: TToolButton\n      Caption = 'Off'\n"
                     "      Enabled = False\n      OnClick = Clicked\n    end\n"
                     "  end\n"
                     "  object Other: TEdit\n    Left = 10\n    Top = 50\n    Width = 60\n"
                     "    Height = 22\n    TabStop = True\n  end\n"
                     "end",
                     methods);
        bar = dynamic_cast<TToolBar*>(form.FindComponent("Bar"));
        one = dynamic_cast<TToolButton*>(form.FindComponent("One"));
        two = dynamic_cast<TToolButton*>(form.FindComponent("Two"));
        three = dynamic_cast<TToolButton*>(form.FindComponent("Three"));
        other = dynamic_cast<TEdit*>(form.FindComponent("Other"));
        ASSERT_TRUE(bar && one && two && three && other);
        form.Show();
        SetFocus(other->Handle()); // the bar, the first tab stop, had it
    }
    int WidthOf(TToolButton& b) {
        RECT r{};
        SendMessageA(bar->Handle(), TB_GETRECT, b.Index() + 1, reinterpret_cast<LPARAM>(&r));
        return r.right - r.left;
    }
    void Key(WORD vk) { SendMessageA(bar->Handle(), WM_KEYDOWN, vk, 0); }

    TCustomForm form{nullptr};
    TToolBar* bar = nullptr;
    TToolButton *one = nullptr, *two = nullptr, *three = nullptr;
    TEdit* other = nullptr;
    std::vector<std::string> clicks;
};

TEST_F(CaptionBar, ShowsTheCaptionsAndFollowsAChangedOne) {
    EXPECT_TRUE(GetWindowLongA(bar->Handle(), GWL_STYLE) & TBSTYLE_LIST);
    EXPECT_EQ(ToolButtonText(*one), "First");
    EXPECT_EQ(ToolButtonText(*two), "Menu");
    EXPECT_EQ(ToolTipOf(*one), "One (Ctrl+1)");
    // A button fits its caption; one of fixed width keeps it.
    const int fitted = WidthOf(*three);
    EXPECT_EQ(WidthOf(*two), 80);
    three->SetCaption("A caption much longer");
    two->SetCaption("A caption much longer too");
    EXPECT_EQ(ToolButtonText(*three), "A caption much longer");
    EXPECT_GT(WidthOf(*three), fitted + 40);
    EXPECT_EQ(WidthOf(*two), 80);
    // The bar's buttons take what the bar says they take.
    RECT last{};
    SendMessageA(bar->Handle(), TB_GETRECT, three->Index() + 1, reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(bar->ButtonsWidth(), last.right);
    const RECT screen = two->ScreenRect();
    POINT corner{0, 0};
    ClientToScreen(bar->Handle(), &corner);
    EXPECT_GT(screen.left, corner.x);
    EXPECT_EQ(screen.right - screen.left, 80);
}

// A flat bar is see-through: over a parent of its own colour it paints the
// face itself, over another the parent shows.
TEST_F(CaptionBar, PaintsItsFaceOrLetsItsParentShowThrough) {
    const auto behind = [&] {
        RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
        TClientDC dc(bar->Handle());
        return GetPixel(dc.Get(), bar->ButtonsWidth() + 20, 2);
    };
    EXPECT_EQ(behind(), GetSysColor(COLOR_BTNFACE));
    form.SetColor(clWhite);
    EXPECT_EQ(behind(), RGB(255, 255, 255));
}

TEST_F(CaptionBar, AClickAndADropDownRunTheirHandlersADisabledButtonNothing) {
    ClickToolButton(*one);
    ClickToolButton(*two); // pressed as a whole: no menu of its own, the handler opens one
    ClickToolButton(*three);
    EXPECT_EQ(clicks, (std::vector<std::string>{"One", "Two"}));
}

TEST_F(CaptionBar, TheKeyboardMovesBetweenTheEnabledButtonsAndPressesThem) {
    EXPECT_EQ(bar->HotButton(), nullptr);
    SetFocus(bar->Handle());
    EXPECT_EQ(bar->HotButton(), one);
    Key(VK_RIGHT); // past the separator
    EXPECT_EQ(bar->HotButton(), two);
    Key(VK_RIGHT); // past the disabled button, round to the first
    EXPECT_EQ(bar->HotButton(), one);
    Key(VK_LEFT);
    EXPECT_EQ(bar->HotButton(), two);
    Key(VK_RETURN);
    Key(VK_UP);
    Key(VK_SPACE);
    EXPECT_EQ(clicks, (std::vector<std::string>{"Two", "One"}));
    // The mouse may take the hot button away; the keyboard starts again at
    // an end.
    SendMessageA(bar->Handle(), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    Key(VK_LEFT);
    EXPECT_EQ(bar->HotButton(), two);
    Key(VK_SPACE);
    EXPECT_EQ(clicks.size(), 3u);
    // A button turned off under the keyboard takes no key.
    two->SetEnabled(false);
    Key(VK_RETURN);
    EXPECT_EQ(clicks.size(), 3u);
    // Leaving the bar leaves no button hot; coming back the keyboard is on
    // the first button it can press.
    SetFocus(other->Handle());
    EXPECT_EQ(bar->HotButton(), nullptr);
    SetFocus(bar->Handle());
    EXPECT_EQ(bar->HotButton(), one);
    SetFocus(other->Handle());
    one->SetEnabled(false);
    two->SetEnabled(true);
    SetFocus(bar->Handle());
    EXPECT_EQ(bar->HotButton(), two);
}

// The focus events a screen reader is sent: the window and the part.
std::vector<std::pair<HWND, LONG>>& FocusEvents() {
    static std::vector<std::pair<HWND, LONG>> events;
    return events;
}

// The system's calling convention (stdcall on x86), hence no lambda.
void CALLBACK NoteFocusEvent(HWINEVENTHOOK, DWORD, HWND wnd, LONG objectId, LONG child, DWORD,
                             DWORD) {
    if (objectId == OBJID_CLIENT)
        FocusEvents().emplace_back(wnd, child);
}

TEST_F(CaptionBar, ScreenReadersGetEachButtonsNameStateAndPress) {
    OleInitializeOnce();
    const TComPtr<IAccessible> object = AccessibleOf(bar->Handle());
    ASSERT_TRUE(object);
    const long idOne = one->Index() + 1, idTwo = two->Index() + 1, idThree = three->Index() + 1;
    // The hint names a button; without one, its caption.
    EXPECT_EQ(NameOf(object.Get(), idOne), "One (Ctrl+1)");
    EXPECT_EQ(NameOf(object.Get(), idTwo), "Menu");
    EXPECT_EQ(NumberOf(object.Get(), idOne, true), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(NumberOf(object.Get(), idTwo, true), ROLE_SYSTEM_BUTTONMENU);
    EXPECT_EQ(NumberOf(object.Get(), idThree, false),
              STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSABLE);
    EXPECT_EQ(NumberOf(object.Get(), idOne, false), STATE_SYSTEM_FOCUSABLE);
    // The button the keyboard is on is the focused one, and a screen reader
    // is told when the keyboard moves.
    FocusEvents().clear();
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, NoteFocusEvent,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    SetFocus(bar->Handle());
    Key(VK_RIGHT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    UnhookWinEvent(hook);
    ASSERT_FALSE(FocusEvents().empty());
    EXPECT_EQ(FocusEvents().back(), std::make_pair(bar->Handle(), idTwo));
    EXPECT_TRUE(NumberOf(object.Get(), idTwo, false) & STATE_SYSTEM_FOCUSED);
    EXPECT_FALSE(NumberOf(object.Get(), idOne, false) & STATE_SYSTEM_FOCUSED);
    BSTR action = nullptr;
    ASSERT_EQ(object->get_accDefaultAction(Child(idOne), &action), S_OK);
    EXPECT_EQ(WideToAnsi(action), "Press");
    SysFreeString(action);
    ASSERT_EQ(object->accDoDefaultAction(Child(idOne)), S_OK);
    ASSERT_EQ(object->accDoDefaultAction(Child(idThree)), S_OK); // disabled: nothing
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_EQ(clicks, std::vector<std::string>{"One"});
}

} // namespace
