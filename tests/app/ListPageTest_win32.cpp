#include <gtest/gtest.h>

#include "app/ErrorCatalog.h"
#include "tests/app/MainFormHarness_win32.h"

namespace {

class ListPageTest : public ::testing::Test {
protected:
    TMainFormHarness h;
    TMainForm& f = h.Form();
    TListView& list = *f.lvList;

    void SetField(const std::string& text) {
        SendMessageA(f.edCode->InnerEdit()->Handle(), EM_SETSEL, 0, -1);
        h.Type(f.edCode->InnerEdit()->Handle(), text.empty() ? std::string("\b") : text);
    }
    void ShowList() {
        ClickToolButton(*f.tbList);
        h.Pump();
    }
    int RowOf(int code) {
        for (int i = 0; i < list.ItemCount(); ++i)
            if (list.Item(i)->Caption() == std::to_string(code))
                return i;
        return -1;
    }
    bool FullyVisible(int row) {
        RECT client;
        GetClientRect(list.Handle(), &client);
        const TRect r = list.Item(row)->DisplayRect();
        return r.Top >= 0 && r.Bottom <= client.bottom;
    }
};

TEST_F(ListPageTest, RowsAreExactlyTheCodesWithTextInOrder) {
    std::vector<std::pair<std::string, std::string>> expected;
    for (int code = 0; code <= MaxErrorCode; ++code)
        if (const std::string text = SystemText(code); !text.empty())
            expected.emplace_back(std::to_string(code), FlattenLineBreaks(text));
    ASSERT_EQ(list.ItemCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < list.ItemCount(); ++i) {
        EXPECT_EQ(list.Item(i)->Caption(), expected[i].first);
        EXPECT_EQ(list.Item(i)->SubItems(), std::vector<std::string>{expected[i].second});
    }
    // What the control shows, not only what we keep: the last row's texts.
    char text[1024] = {};
    LVITEMA item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list.Handle(), LVM_GETITEMTEXTA, list.ItemCount() - 1,
                 reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::string(text), expected.back().second);
}

TEST_F(ListPageTest, ClickingARowWritesTheFieldAndTheLowerMemo) {
    ShowList();
    ASSERT_GT(list.ItemCount(), 3);
    for (int row : {2, 1}) {
        ClickListRow(list, row);
        h.Pump();
        const std::string caption = list.Item(row)->Caption();
        EXPECT_EQ(f.edCode->Text(), caption);
        EXPECT_EQ(f.mmListDescription->Text(), SystemText(std::stoi(caption)));
        EXPECT_EQ(list.Selected(), list.Item(row));
    }
}

TEST_F(ListPageTest, ShowingTheListSelectsTheFieldsRow) {
    const int last = list.ItemCount() - 1;
    SetField(list.Item(last)->Caption());
    ShowList();
    EXPECT_EQ(list.Selected(), list.Item(last));
    EXPECT_EQ(list.ItemFocused(), list.Item(last));
    EXPECT_TRUE(FullyVisible(last));
    EXPECT_EQ(f.mmListDescription->Text(), SystemText(std::stoi(list.Item(last)->Caption())));
}

// Typing in the list goes to the first row whose code begins so, as in
// any list, and that row's code comes into the field.
TEST_F(ListPageTest, TypingInTheListGoesToTheFirstRowBeginningSo) {
    ShowList();
    int expected = -1;
    for (int i = 0; i < list.ItemCount() && expected < 0; ++i)
        if (list.Item(i)->Caption()[0] == '3')
            expected = i;
    ASSERT_GE(expected, 0);
    h.Type(list.Handle(), "3");
    ASSERT_NE(list.ItemFocused(), nullptr);
    EXPECT_EQ(list.ItemFocused()->Index(), expected);
    EXPECT_EQ(f.edCode->Text(), list.Item(expected)->Caption());
}

TEST_F(ListPageTest, ACodeWithoutRowKeepsTheSelectionAndEmptiesTheLowerMemo) {
    ShowList();
    ClickListRow(list, 1);
    h.Pump();
    TListItem* before = list.Selected();
    int missing = -1;
    for (int code = 0; code <= MaxErrorCode && missing < 0; ++code)
        if (SystemText(code).empty())
            missing = code;
    ASSERT_GE(missing, 0);
    ClickToolButton(*f.tbFind);
    SetField(std::to_string(missing));
    ShowList();
    EXPECT_EQ(list.Selected(), before);
    EXPECT_EQ(f.mmListDescription->Text(), "");
    EXPECT_EQ(f.edCode->Text(), std::to_string(missing));
}

TEST_F(ListPageTest, DoubleClickGoesToTheFindPageWithThatCode) {
    ShowList();
    ClickListRow(list, 3, true);
    h.Pump();
    const std::string caption = list.Item(3)->Caption();
    EXPECT_EQ(f.Notebook->PageIndex(), 0);
    EXPECT_TRUE(f.tbFind->Down());
    EXPECT_FALSE(f.tbList->Down());
    EXPECT_EQ(f.edCode->Text(), caption);
    EXPECT_EQ(h.Memo(), SystemText(std::stoi(caption)));
}

TEST_F(ListPageTest, CopyPutsTheCodeAndItsFullTextOnTheClipboard) {
    f.atCopy->Execute();
    EXPECT_EQ(ClipboardString(), "Code: 0\r\nDescription: " + SystemText(0));
    EXPECT_EQ(h.Status(), "Error has beed copied to clipboard.");

    int missing = -1;
    for (int code = 0; code <= MaxErrorCode && missing < 0; ++code)
        if (SystemText(code).empty())
            missing = code;
    SetField(std::to_string(missing));
    f.atCopy->Execute();
    EXPECT_EQ(ClipboardString(), "Code: " + std::to_string(missing) + "\r\nDescription: ");
    EXPECT_EQ(h.Status(), "Error has beed copied to clipboard.");

    SetField("");
    f.atCopy->Execute();
    EXPECT_EQ(ClipboardString(), "Code: \r\nDescription: ");

    // On the list page: the clicked row's code, with the text's own line breaks.
    ShowList();
    ClickListRow(list, 2);
    h.Pump();
    ClickToolButton(*f.tbCopy);
    const std::string caption = list.Item(2)->Caption();
    EXPECT_EQ(ClipboardString(),
              "Code: " + caption + "\r\nDescription: " + SystemText(std::stoi(caption)));
}

TEST_F(ListPageTest, ClipboardThatCannotBeOpenedLeavesStatusAndContent) {
    f.atCopy->Execute();
    const std::string before = ClipboardString();
    SetField("5");
    h.TakeErrorBoxes();
    ASSERT_TRUE(OpenClipboard(nullptr)); // held by someone else
    ClickToolButton(*f.tbCopy);
    CloseClipboard();
    EXPECT_EQ(h.TakeErrorBoxes().size(), 1u);
    EXPECT_EQ(h.Status(), "");
    EXPECT_EQ(ClipboardString(), before);
}

TEST_F(ListPageTest, DraggingTheSplitterResizesTheLowerMemoKeepingItsMargin) {
    ShowList();
    HWND page = f.Splitter->Parent()->Handle();
    const int x = 100, y = f.Splitter->Top() + 1;
    SendMessageA(page, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    SendMessageA(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(page, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y - 40));
    SendMessageA(page, WM_LBUTTONUP, 0, MAKELPARAM(x, y - 40));
    h.Pump();
    EXPECT_EQ(f.mmListDescription->Height(), 99);
    EXPECT_EQ(f.Splitter->Top() + 3, f.mmListDescription->Top());
    RECT client, format;
    GetClientRect(f.mmListDescription->Handle(), &client);
    SendMessageA(f.mmListDescription->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.bottom, client.bottom - 4); // no edit margin at the bottom
}

TEST_F(ListPageTest, TheListKeepsItsRowsWhenTheMemoIsDraggedUpOrTheWindowShrinks) {
    ShowList();
    const int least = list.HeaderHeight() + 3 * list.RowHeight() + GetSystemMetrics(SM_CYHSCROLL);
    HWND page = f.Splitter->Parent()->Handle();
    const int x = 100, y = f.Splitter->Top() + 1;
    SendMessageA(page, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    SendMessageA(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(page, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 2));
    SendMessageA(page, WM_LBUTTONUP, 0, MAKELPARAM(x, 2));
    h.Pump();
    EXPECT_EQ(list.Height(), least);
    const int dragged = f.mmListDescription->Height();

    // Smaller than the list and the memo need: the list wins; the memo comes
    // back at its dragged height when there is room again.
    RECT r;
    GetWindowRect(f.Handle(), &r);
    SetWindowPos(f.Handle(), nullptr, 0, 0, r.right - r.left, 200, SWP_NOMOVE | SWP_NOZORDER);
    h.Pump();
    RECT client;
    GetClientRect(page, &client);
    EXPECT_EQ(list.Height(), std::min<int>(least, client.bottom - 3));
    EXPECT_GE(f.mmListDescription->Height(), 0);
    EXPECT_EQ(f.mmListDescription->Top() + f.mmListDescription->Height(), client.bottom);
    SetWindowPos(f.Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    h.Pump();
    EXPECT_EQ(f.mmListDescription->Height(), dragged);
    EXPECT_EQ(list.Height(), least);

    // Resized while the Find page shows: the List page is fitted when shown.
    ClickToolButton(*f.tbFind);
    SetWindowPos(f.Handle(), nullptr, 0, 0, r.right - r.left, 300, SWP_NOMOVE | SWP_NOZORDER);
    h.Pump();
    ShowList();
    EXPECT_EQ(list.Height(), least);
    GetClientRect(page, &client);
    EXPECT_EQ(f.mmListDescription->Top() + f.mmListDescription->Height(), client.bottom);
}

} // namespace
