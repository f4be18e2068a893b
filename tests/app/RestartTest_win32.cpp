// Whole-program restarts in-process over the real registry: create the
// settings and the main window, act, destroy both, create them again.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "framework/KeyStore.h"
#include "settings/unitSettings.h"
#include "tests/app/ChildRun_win32.h"
#include "tests/app/MainFormHarness_win32.h"

namespace {

const char kRoot[] = "Software\\Drovanex\\Vantrel 2006\\R1";
const char kMainForm[] = "Software\\Drovanex\\Vantrel 2006\\R1\\MainForm";

bool KeyExists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::vector<std::string> ValueNames(const char* path) {
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<DWORD> Dword(const char* path, const char* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, path, name, RRF_RT_ANY, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

void PutDword(const char* path, const char* name, DWORD value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, path, name, REG_DWORD, &value, sizeof value);
}

RECT WindowRect(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

class RestartTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Drovanex"); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Drovanex"); }
    static TKeyStore* Registry() { return &DefaultKeyStore(); }
};

TEST_F(RestartTest, AnUntouchedRunCreatesTheKeysAndWritesNoValue) {
    { TMainFormHarness run(Registry()); }
    EXPECT_TRUE(KeyExists(kRoot));
    EXPECT_TRUE(KeyExists(kMainForm));
    EXPECT_TRUE(ValueNames(kRoot).empty());
    EXPECT_TRUE(ValueNames(kMainForm).empty());
}

TEST_F(RestartTest, ViewChoicesAreWrittenAtExitOnlyWhenChangedAndComeBack) {
    {
        TMainFormHarness run(Registry());
        ClickToolButton(*run.Form().tbList);
        run.Form().miSmallIcons->Click();
        ClickToolButton(*run.Form().tbStayOnTop);
        run.ClickGraphic(*run.Form().sbWordWrap);
        // Moving and resizing are not remembered without Save Layout.
        SetWindowPos(run.Form().Handle(), nullptr, 5, 6, 640, 480, SWP_NOZORDER);
        run.Pump();
    }
    EXPECT_EQ(ValueNames(kRoot),
              (std::vector<std::string>{"List", "SmallIcons", "StayOnTop", "WordWrap"}));
    EXPECT_EQ(Dword(kRoot, "List"), 1u);
    EXPECT_EQ(Dword(kRoot, "SmallIcons"), 1u);
    EXPECT_EQ(Dword(kRoot, "StayOnTop"), 1u);
    EXPECT_EQ(Dword(kRoot, "WordWrap"), 0u);
    EXPECT_TRUE(ValueNames(kMainForm).empty());

    TMainFormHarness again(Registry());
    TMainForm& f = again.Form();
    EXPECT_EQ(f.Notebook->PageIndex(), 1);
    EXPECT_TRUE(f.tbList->Down());
    EXPECT_FALSE(f.tbFind->Down());
    EXPECT_EQ(f.lvList->Selected(), f.lvList->Item(0)); // the field's "0"
    EXPECT_EQ(f.ToolBar->Images(), f.SmallImages);
    EXPECT_TRUE(GetWindowLongA(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(f.sbWordWrap->Down());
    EXPECT_TRUE(GetWindowLongA(f.mmDescription->Handle(), GWL_STYLE) & WS_HSCROLL);
    EXPECT_FALSE(Settings->Modified());
    // The placement was not stored: centred at the design size, not at 5,6.
    RECT client;
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(client.right, 509);
    EXPECT_EQ(client.bottom, 418);
    const RECT r = WindowRect(f.Handle());
    EXPECT_EQ(r.left, std::max(0L, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2));
    EXPECT_EQ(r.top, std::max(0L, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2));
    EXPECT_NE(r.right - r.left, 640);
}

TEST_F(RestartTest, SaveLayoutStoresPlacementColumnsAndMemoHeight) {
    {
        TMainFormHarness run(Registry());
        TMainForm& f = run.Form();
        SetWindowPos(f.Handle(), nullptr, 10, 20, 600, 450, SWP_NOZORDER);
        f.lvList->Column(0)->SetWidth(70);
        f.lvList->Column(1)->SetWidth(200);
        f.mmListDescription->SetHeight(80);
        run.Pump();
        ClickToolButton(*f.tbSavePosition);
        EXPECT_EQ(run.Status(), "Window layout has been saved.");
    }
    EXPECT_EQ(Dword(kRoot, "ListCol1"), 70u);
    EXPECT_EQ(Dword(kRoot, "ListCol2"), 200u);
    EXPECT_EQ(Dword(kRoot, "ListSplitter"), 80u);
    EXPECT_EQ(Dword(kMainForm, "Width"), 600u);

    TMainFormHarness again(Registry());
    TMainForm& f = again.Form();
    EXPECT_EQ(f.Left(), 10);
    EXPECT_EQ(f.Top(), 20);
    EXPECT_EQ(f.Width(), 600);
    EXPECT_EQ(f.Height(), 450);
    EXPECT_EQ(f.lvList->Column(0)->Width(), 70);
    EXPECT_EQ(f.lvList->Column(1)->Width(), 200);
    EXPECT_EQ(f.mmListDescription->Height(), 80);
}

TEST_F(RestartTest, TheLayoutShortcutsStoreAndClearAsTheirButtonsDo) {
    TMainFormHarness run(Registry());
    TMainForm& f = run.Form();
    SetWindowPos(f.Handle(), nullptr, 10, 20, 610, 450, SWP_NOZORDER);
    run.Pump();
    run.Press("Ctrl+Shift+S");
    EXPECT_EQ(run.Status(), "Window layout has been saved.");
    EXPECT_EQ(Dword(kMainForm, "Width"), 610u);
    EXPECT_EQ(Dword(kRoot, "ListCol1"), 50u);
    run.Press("Ctrl+Shift+R");
    EXPECT_EQ(run.Status(), "Saved window layout has been cleared.");
    EXPECT_EQ(Dword(kMainForm, "Width"), std::nullopt);
    EXPECT_EQ(Dword(kRoot, "ListCol1"), std::nullopt);
}

TEST_F(RestartTest, AMaximisedWindowIsStoredWithItsNormalRectangle) {
    {
        TMainFormHarness run(Registry());
        SetWindowPos(run.Form().Handle(), nullptr, 30, 40, 620, 460, SWP_NOZORDER);
        ShowWindow(run.Form().Handle(), SW_MAXIMIZE);
        run.Pump();
        if (!IsZoomed(run.Form().Handle()))
            GTEST_SKIP() << "windows cannot be maximised on this display";
        ClickToolButton(*run.Form().tbSavePosition);
    }
    EXPECT_EQ(Dword(kMainForm, "State"), 2u);
    EXPECT_EQ(Dword(kMainForm, "Left"), 30u);
    EXPECT_EQ(Dword(kMainForm, "Width"), 620u);
    TMainFormHarness again(Registry());
    HWND wnd = again.Form().Handle();
    // Maximised in fact, not only in its style: it covers the work area.
    EXPECT_TRUE(IsZoomed(wnd));
    const RECT work = WorkAreaOf(wnd), r = WindowRect(wnd);
    EXPECT_LE(r.left, work.left);
    EXPECT_LE(r.top, work.top);
    EXPECT_GE(r.right, work.right);
    EXPECT_GE(r.bottom, work.bottom);
    // Restored down, it stands at the stored normal rectangle.
    ShowWindow(wnd, SW_RESTORE);
    again.Pump();
    EXPECT_FALSE(IsZoomed(wnd));
    const RECT normal = WindowRect(wnd);
    EXPECT_EQ(normal.left, 30);
    EXPECT_EQ(normal.top, 40);
    EXPECT_EQ(normal.right - normal.left, 620);
    EXPECT_EQ(normal.bottom - normal.top, 460);
    // And it maximises again.
    ShowWindow(wnd, SW_MAXIMIZE);
    again.Pump();
    EXPECT_TRUE(IsZoomed(wnd));
    EXPECT_GE(WindowRect(wnd).right - WindowRect(wnd).left, work.right - work.left);
}

TEST_F(RestartTest, StayOnTopKeepsAMaximisedWindowMaximised) {
    TMainFormHarness run(Registry());
    HWND wnd = run.Form().Handle();
    ShowWindow(wnd, SW_MAXIMIZE);
    run.Pump();
    if (!IsZoomed(wnd))
        GTEST_SKIP() << "windows cannot be maximised on this display";
    const RECT before = WindowRect(wnd);
    for (int i = 0; i < 2; ++i) {
        ClickToolButton(*run.Form().tbStayOnTop);
        run.Pump();
        EXPECT_EQ((GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, i == 0);
        EXPECT_TRUE(IsZoomed(wnd));
        const RECT after = WindowRect(wnd);
        EXPECT_EQ(after.left, before.left);
        EXPECT_EQ(after.top, before.top);
        EXPECT_EQ(after.right, before.right);
        EXPECT_EQ(after.bottom, before.bottom);
    }
}

TEST_F(RestartTest, ClearLayoutForgetsTheLayoutButKeepsTheViewChoices) {
    {
        TMainFormHarness run(Registry());
        TMainForm& f = run.Form();
        ClickToolButton(*f.tbList);
        f.miSmallIcons->Click();
        SetWindowPos(f.Handle(), nullptr, 10, 20, 600, 450, SWP_NOZORDER);
        f.mmListDescription->SetHeight(90);
        run.Pump();
        ClickToolButton(*f.tbSavePosition);
        ClickToolButton(*f.tbClearPosition);
        EXPECT_EQ(run.Status(), "Saved window layout has been cleared.");
        // The window itself keeps its layout for the rest of the run.
        EXPECT_EQ(f.Width(), 600);
    }
    EXPECT_FALSE(KeyExists(kMainForm));
    EXPECT_EQ(ValueNames(kRoot),
              (std::vector<std::string>{"List", "SmallIcons", "StayOnTop", "WordWrap"}));

    TMainFormHarness again(Registry());
    TMainForm& f = again.Form();
    RECT client;
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(client.right, 509);
    EXPECT_EQ(client.bottom, 418);
    EXPECT_EQ(f.Left(), std::max(0, (GetSystemMetrics(SM_CXSCREEN) - f.Width()) / 2));
    EXPECT_EQ(f.lvList->Column(0)->Width(), 50);
    EXPECT_EQ(f.mmListDescription->Height(), 59);
    EXPECT_EQ(f.Notebook->PageIndex(), 1);
    EXPECT_EQ(f.ToolBar->Images(), f.SmallImages);
}

// Placements a real registry can hold that no screen shows: the window opens
// where it can be seen, and the stored values stay for the user to clear.
TEST_F(RestartTest, AWindowStoredWhereNoScreenIsOpensOnTheWorkArea) {
    PutDword(kMainForm, "Left", 5000);
    PutDword(kMainForm, "Top", 5000);
    {
        TMainFormHarness run(Registry());
        HWND wnd = run.Form().Handle();
        const RECT r = WindowRect(wnd);
        EXPECT_TRUE(Inside(r, WorkAreaOf(wnd)))
            << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
        RECT client;
        GetClientRect(wnd, &client);
        EXPECT_EQ(client.right, 509); // the design size still fits
    }
    EXPECT_EQ(Dword(kMainForm, "Left"), 5000u);
    EXPECT_EQ(Dword(kMainForm, "Top"), 5000u);
    EXPECT_EQ(ValueNames(kMainForm), (std::vector<std::string>{"Left", "Top"}));
}

TEST_F(RestartTest, AWindowWithItsCaptionOffTheScreenIsBroughtWhollyOn) {
    const RECT work = WorkAreaOf(GetDesktopWindow());
    // One column of pixels on the screen: kept by a looser guard.
    PutDword(kMainForm, "Left", static_cast<DWORD>(work.right - 1));
    PutDword(kMainForm, "Top", 40);
    PutDword(kMainForm, "Width", 600);
    PutDword(kMainForm, "Height", 450);
    {
        TMainFormHarness run(Registry());
        const RECT r = WindowRect(run.Form().Handle());
        EXPECT_EQ(r.right, work.right);
        EXPECT_EQ(r.top, 40);
        EXPECT_EQ(r.right - r.left, 600);
    }
    // Its caption above the top of the screen.
    PutDword(kMainForm, "Left", 50);
    PutDword(kMainForm, "Top", static_cast<DWORD>(work.top - 10));
    TMainFormHarness run(Registry());
    const RECT r = WindowRect(run.Form().Handle());
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, work.top);
}

TEST_F(RestartTest, AWindowHalfOnTheScreenOpensAsStored) {
    PutDword(kMainForm, "Left", static_cast<DWORD>(-300));
    PutDword(kMainForm, "Top", 40);
    PutDword(kMainForm, "Width", 600);
    PutDword(kMainForm, "Height", 450);
    TMainFormHarness run(Registry());
    const RECT r = WindowRect(run.Form().Handle());
    EXPECT_EQ(r.left, -300);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 450);
}

TEST_F(RestartTest, AMaximisedWindowStoredOffTheScreenMaximisesOnIt) {
    PutDword(kMainForm, "Left", 5000);
    PutDword(kMainForm, "Top", static_cast<DWORD>(-5000));
    PutDword(kMainForm, "Width", 620);
    PutDword(kMainForm, "Height", 460);
    PutDword(kMainForm, "State", 2);
    {
        TMainFormHarness run(Registry());
        HWND wnd = run.Form().Handle();
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        GetWindowPlacement(wnd, &wp);
        // Restoring it down lands on the screen too, at the stored size.
        EXPECT_TRUE(Inside(wp.rcNormalPosition, WorkAreaOf(wnd)));
        EXPECT_EQ(wp.rcNormalPosition.right - wp.rcNormalPosition.left, 620);
        EXPECT_EQ(wp.rcNormalPosition.bottom - wp.rcNormalPosition.top, 460);
        RECT shown;
        const RECT work = WorkAreaOf(wnd), r = WindowRect(wnd);
        EXPECT_TRUE(IntersectRect(&shown, &work, &r));
        EXPECT_TRUE(IsZoomed(wnd));
    }
    EXPECT_EQ(Dword(kMainForm, "Left"), 5000u);
    EXPECT_EQ(Dword(kMainForm, "State"), 2u);
}

TEST_F(RestartTest, AWindowStoredLargerThanTheScreenIsShrunkToTheWorkArea) {
    PutDword(kMainForm, "Left", 20);
    PutDword(kMainForm, "Top", 10);
    PutDword(kMainForm, "Width", 30000);
    PutDword(kMainForm, "Height", 20000);
    {
        TMainFormHarness run(Registry());
        HWND wnd = run.Form().Handle();
        const RECT r = WindowRect(wnd), work = WorkAreaOf(wnd);
        EXPECT_TRUE(Inside(r, work)) << r.right << "x" << r.bottom;
        EXPECT_EQ(r.right - r.left, work.right - work.left);
        EXPECT_EQ(r.bottom - r.top, work.bottom - work.top);
    }
    EXPECT_EQ(Dword(kMainForm, "Width"), 30000u);
    EXPECT_EQ(Dword(kMainForm, "Height"), 20000u);
}

TEST_F(RestartTest, StartedWithSmallIconsTheFindMemoHasItsMargin) {
    PutDword(kRoot, "SmallIcons", 1);
    TMainFormHarness run(Registry());
    ASSERT_EQ(run.Form().ToolBar->Images(), run.Form().SmallImages);
    const RECT inset = FormatRectInset(*run.Form().mmDescription);
    EXPECT_EQ(inset.left, 4);
    EXPECT_EQ(inset.top, 4);
    EXPECT_EQ(inset.right, 4);
}

TEST_F(RestartTest, ATallStoredMemoLeavesTheListItsRowsAndTheCurrentRowInView) {
    PutDword(kRoot, "List", 1);
    PutDword(kRoot, "ListSplitter", 100000);
    {
        TMainFormHarness run(Registry());
        TMainForm& f = run.Form();
        TListView& list = *f.lvList;
        ASSERT_EQ(f.Notebook->PageIndex(), 1);
        EXPECT_GE(list.Height(),
                  list.HeaderHeight() + 3 * list.RowHeight() + GetSystemMetrics(SM_CYHSCROLL));
        // The memo lies on the page, below the splitter, to the page's bottom.
        RECT page;
        GetClientRect(f.Splitter->Parent()->Handle(), &page);
        EXPECT_GE(f.mmListDescription->Top(), list.Height());
        EXPECT_EQ(f.mmListDescription->Top() + f.mmListDescription->Height(), page.bottom);
        EXPECT_EQ(f.Splitter->Top(), list.Height());
        // The current code's row is selected and shown whole below the header.
        ASSERT_EQ(list.Selected(), list.Item(0));
        RECT client;
        GetClientRect(list.Handle(), &client);
        const TRect row = list.Item(0)->DisplayRect();
        EXPECT_GE(row.Top, list.HeaderHeight());
        EXPECT_LE(row.Bottom, client.bottom);
    }
    EXPECT_EQ(Dword(kRoot, "ListSplitter"), 100000u);
}

TEST_F(RestartTest, ADamagedCodeWidthGivesTheDefaultColumns) {
    PutDword(kRoot, "ListCol1", 0xFFFFFFFF);
    {
        TMainFormHarness run(Registry());
        TMainForm& f = run.Form();
        EXPECT_EQ(f.lvList->Column(0)->Width(), 50);
        // The description column fills the rest beside a vertical scroll bar.
        EXPECT_EQ(f.lvList->Column(1)->Width(),
                  f.lvList->Width() - 50 - GetSystemMetrics(SM_CXVSCROLL));
        ClickToolButton(*f.tbList);
        run.Pump();
        EXPECT_FALSE(GetWindowLongA(f.lvList->Handle(), GWL_STYLE) & WS_HSCROLL);
    }
    EXPECT_EQ(Dword(kRoot, "ListCol1"), 0xFFFFFFFFu);
    EXPECT_EQ(ValueNames(kRoot), (std::vector<std::string>{"List", "ListCol1", "SmallIcons",
                                                           "StayOnTop", "WordWrap"}));
}

// Started on the Find page the List page has no windows yet; what is saved
// or shown of it is the same as when it had them from the start.
TEST_F(RestartTest, ATallStoredMemoOnTheUnopenedListPageIsSavedAndShownFitted) {
    PutDword(kRoot, "List", 0);
    PutDword(kRoot, "ListSplitter", 100000);
    {
        TMainFormHarness run(Registry());
        TMainForm& f = run.Form();
        ASSERT_EQ(f.Notebook->PageIndex(), 0);
        EXPECT_FALSE(f.pgList->HandleAllocated());
        EXPECT_FALSE(f.lvList->HandleAllocated());
        ClickToolButton(*f.tbSavePosition);
        run.Pump();
        const std::optional<DWORD> saved = Dword(kRoot, "ListSplitter");
        ASSERT_TRUE(saved.has_value());
        EXPECT_LT(*saved, 100000u);
        EXPECT_EQ(static_cast<int>(*saved), f.mmListDescription->Height());

        ClickToolButton(*f.tbList);
        run.Pump();
        TListView& list = *f.lvList;
        EXPECT_EQ(f.mmListDescription->Height(), static_cast<int>(*saved));
        EXPECT_EQ(list.Height(),
                  list.HeaderHeight() + 3 * list.RowHeight() + GetSystemMetrics(SM_CYHSCROLL));
        RECT page, client, format;
        GetClientRect(f.pgList->Handle(), &page);
        EXPECT_EQ(f.mmListDescription->Top() + f.mmListDescription->Height(), page.bottom);
        GetClientRect(f.mmListDescription->Handle(), &client);
        SendMessageA(f.mmListDescription->Handle(), EM_GETRECT, 0,
                     reinterpret_cast<LPARAM>(&format));
        EXPECT_EQ(format.left, client.left + 4);
        EXPECT_EQ(format.top, client.top + 4);
        EXPECT_EQ(format.right, client.right - 4);
    }
}

} // namespace

namespace {

// The program in a process of its own, for the end of a session: the user
// changes two view choices there and leaves the program open.
TEST(EndOfSessionChild, ChangesViewChoicesAndWaits) {
    const std::optional<std::string> ready = ChildArgument();
    if (!ready)
        GTEST_SKIP() << "run by EndOfSession in a process of its own";
    TMainFormHarness run(&DefaultKeyStore());
    ClickToolButton(*run.Form().tbList);
    run.ClickGraphic(*run.Form().sbWordWrap);
    run.Pump();
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready->c_str());
    ASSERT_NE(event, nullptr);
    SetEvent(event);
    CloseHandle(event);
    // Until the parent ends this process; a parent that never does fails here.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        run.Pump();
    }
    ADD_FAILURE() << "not ended by the parent";
}

struct TFindWindow {
    DWORD Process;
    HWND Found;
};

BOOL CALLBACK FindMainWindow(HWND wnd, LPARAM data) {
    auto& f = *reinterpret_cast<TFindWindow*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(wnd, &owner);
    char title[64] = {};
    GetWindowTextA(wnd, title, sizeof title);
    if (owner == f.Process && IsWindowVisible(wnd) &&
        std::string(title) == "Drovanex Vantrel 2006") {
        f.Found = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND MainWindowOf(DWORD process) {
    TFindWindow find{process, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

// Windows ends a session by asking every top-level window, telling it the
// answer, and then ending the process without its normal way out.
TEST_F(RestartTest, TheEndOfTheSessionWritesTheViewChoicesBeforeTheProcessIsEnded) {
    const std::string name = "QorvEndOfSession-" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(ready, nullptr);
    TChildRun child("EndOfSessionChild.*", name);
    ASSERT_TRUE(child.Started());
    const bool started = WaitForSingleObject(ready, 60000) == WAIT_OBJECT_0;
    CloseHandle(ready);
    ASSERT_TRUE(started) << "the program did not come up";
    HWND wnd = MainWindowOf(child.Id());
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(ValueNames(kRoot).empty()) << "written before the session ended";

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(wnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK,
                                    10000, &answer));
    EXPECT_EQ(answer, TRUE) << "the program refused to let the session end";
    ASSERT_TRUE(SendMessageTimeoutA(wnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 10000,
                                    &answer));
    child.Kill();

    EXPECT_EQ(Dword(kRoot, "List"), 1u);
    EXPECT_EQ(Dword(kRoot, "WordWrap"), 0u);
    EXPECT_EQ(Dword(kRoot, "SmallIcons"), 0u);
    EXPECT_EQ(Dword(kRoot, "StayOnTop"), 0u);
    EXPECT_TRUE(ValueNames(kMainForm).empty());
}

} // namespace
