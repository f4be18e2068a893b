// Asking the main window to close (WM_CLOSE, or the task bar's Close) while
// one of the program's modal windows is open: the print dialog, the save
// dialog, an error box, About, the preview, the print dialog over the
// preview. The modal window ends first, the main window stays under it until
// then, the action that opened it finishes, and then the program closes.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "about/formAbout_win32.h"
#include "htmlview/OwnHtmlView_win32.h"
#include "htmlview/formHtmlPreview_win32.h"
#include "tests/app/MainFormHarness_win32.h"
#include "tests/printer/ModalDriver_win32.h"
#include "tests/printer/TestPrinter_win32.h"

using namespace qorvtest;

namespace {

const char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// The print page files in the temporary folder; `remove` deletes them.
int PageFilesLeft(bool remove = false) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    int n = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(dir) + "KVZ*.tmp*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            ++n;
            if (remove)
                DeleteFileA((std::string(dir) + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return n;
}

struct TFind {
    std::function<bool(HWND)> Match;
    HWND Found = nullptr;
};

BOOL CALLBACK FindMatching(HWND wnd, LPARAM data) {
    auto* find = reinterpret_cast<TFind*>(data);
    if (IsWindowVisible(wnd) && find->Match(wnd)) {
        find->Found = wnd;
        return FALSE;
    }
    return TRUE;
}

// A shown top-level window of this thread that `match` accepts.
HWND ThreadWindow(std::function<bool(HWND)> match) {
    TFind find{std::move(match)};
    EnumThreadWindows(GetCurrentThreadId(), FindMatching, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

bool IsDialog(HWND wnd) {
    char cls[32] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    return std::string(cls) == "#32770";
}

HWND SaveDialogWindow() {
    return ThreadWindow([](HWND w) { return IsDialog(w) && GetDlgItem(w, 1136); });
}

HWND ErrorBoxWindow() {
    return ThreadWindow([](HWND w) {
        char caption[64] = "";
        GetWindowTextA(w, caption, sizeof caption);
        return IsDialog(w) && std::string(caption) == Application->Title();
    });
}

template <class TForm>
HWND FormWindow() {
    for (TCustomForm* f : Screen().Forms())
        if (dynamic_cast<TForm*>(f) && f->Showing())
            return f->Handle();
    return nullptr;
}

enum class THow { Close, TaskBarClose, Quit };

// The close request, sent once the modal window `modal` finds is shown;
// notes what the main window looked like right after it.
class TCloseWhile {
public:
    TCloseWhile(HWND main, std::function<HWND()> modal, THow how = THow::Close)
        : FDriver(
              [=, this] {
                  if (Sent)
                      return modal() == nullptr; // else the driver ends it in the end
                  if (!modal())
                      return false;
                  if (how == THow::Close)
                      SendMessageA(main, WM_CLOSE, 0, 0);
                  else if (how == THow::TaskBarClose)
                      SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
                  else
                      PostQuitMessage(0);
                  MainShownMeanwhile = IsWindowVisible(main) != FALSE;
                  TerminatedMeanwhile = Application->Terminated();
                  Sent = true;
                  return false;
              },
              10000) {}
    bool TimedOut() const { return FDriver.TimedOut(); }
    bool Sent = false;
    bool MainShownMeanwhile = false;
    bool TerminatedMeanwhile = true;

private:
    TModalDriver FDriver;
};

class ModalClose : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(TestPrinterOutput().c_str());
        PageFilesLeft(true);
        H = std::make_unique<TMainFormHarness>();
        Main = H->Form().Handle();
    }
    void TearDown() override {
        H.reset();
        if (FDefaultGone)
            InstallTestPrinter(QORV_TEST_PRINTER_PPD);
    }
    // A prefix with printers of which none is the default: the print dialog
    // opens with no printer chosen.
    void NoDefaultPrinter() {
        FDefaultGone = true;
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, "Device");
            RegCloseKey(key);
        }
    }
    TOwnHtmlView& View() { return dynamic_cast<TOwnHtmlView&>(*H->Form().Browser); }
    // The program after the modal window ended: closed, its window still
    // there for the shutdown to destroy.
    void ExpectClosedAfter(const TCloseWhile& close) {
        H->Pump();
        EXPECT_TRUE(close.Sent);
        EXPECT_FALSE(close.TimedOut()) << "the modal window stayed";
        EXPECT_TRUE(close.MainShownMeanwhile) << "the main window went while a modal one showed";
        EXPECT_FALSE(close.TerminatedMeanwhile);
        for (int i = 0; i < 100 && !Application->Terminated(); ++i) {
            Sleep(20);
            H->Pump();
        }
        EXPECT_TRUE(Application->Terminated());
        EXPECT_TRUE(IsWindow(Main));
        EXPECT_FALSE(IsWindowVisible(Main));
        EXPECT_TRUE(IsWindowEnabled(Main));
    }
    std::unique_ptr<TMainFormHarness> H;
    HWND Main = nullptr;

private:
    bool FDefaultGone = false;
};

TEST_F(ModalClose, PrintDialogWithNoPrinterChosenEndsFirst) {
    NoDefaultPrinter();
    ASSERT_TRUE(H->Form().tbPrint->Enabled());
    TCloseWhile close(Main, FindPrintDialog);
    ClickToolButton(*H->Form().tbPrint);
    ExpectClosedAfter(close);
    EXPECT_EQ(FindPrintDialog(), nullptr);
    EXPECT_EQ(H->Status(), "Errors were sent to printer.");
    EXPECT_EQ(PageFilesLeft(), 0);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), -1);
    EXPECT_TRUE(H->TakeErrorBoxes().empty());
}

TEST_F(ModalClose, TaskBarCloseOverThePrintDialogEndsItFirst) {
    TCloseWhile close(Main, FindPrintDialog, THow::TaskBarClose);
    ClickToolButton(*H->Form().tbPrint);
    ExpectClosedAfter(close);
    EXPECT_EQ(H->Status(), "Errors were sent to printer.");
    EXPECT_EQ(PageFilesLeft(), 0);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), -1);
}

TEST_F(ModalClose, PreviewAndThePrintDialogOverItBothEndFirst) {
    // The preview's Print pressed from inside its loop; the close comes once
    // the print dialog over it shows.
    TModalDriver print([this] {
        THtmlPreviewForm* form = View().PreviewForm();
        if (!form || !form->Showing())
            return false;
        ClickToolButton(*form->btPrint, true);
        return true;
    });
    TCloseWhile close(Main, FindPrintDialog);
    ClickToolButton(*H->Form().tbPrintPreview);
    ExpectClosedAfter(close);
    EXPECT_EQ(View().PreviewForm(), nullptr);
    EXPECT_EQ(H->Status(), "Print preview was generated.");
    EXPECT_EQ(PageFilesLeft(), 0);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), -1);
}

TEST_F(ModalClose, PreviewEndsFirst) {
    TCloseWhile close(Main, [this] {
        THtmlPreviewForm* form = View().PreviewForm();
        return form && form->Showing() ? form->Handle() : nullptr;
    });
    ClickToolButton(*H->Form().tbPrintPreview);
    ExpectClosedAfter(close);
    EXPECT_EQ(H->Status(), "Print preview was generated.");
    EXPECT_EQ(PageFilesLeft(), 0);
}

TEST_F(ModalClose, AboutEndsFirstAlsoOnAQuitMessage) {
    for (THow how : {THow::TaskBarClose, THow::Quit}) {
        if (how == THow::Quit) {
            H.reset();
            H = std::make_unique<TMainFormHarness>();
            Main = H->Form().Handle();
        }
        TCloseWhile close(Main, FormWindow<TAboutForm>, how);
        ClickToolButton(*H->Form().tbAbout);
        ExpectClosedAfter(close);
        EXPECT_EQ(FormWindow<TAboutForm>(), nullptr);
    }
}

TEST_F(ModalClose, SaveDialogEndsFirstAndNothingIsWritten) {
    TCloseWhile close(Main, SaveDialogWindow);
    ClickToolButton(*H->Form().tbExport);
    ExpectClosedAfter(close);
    EXPECT_EQ(SaveDialogWindow(), nullptr);
    EXPECT_EQ(H->Status(), "");
}

TEST_F(ModalClose, ErrorBoxEndsFirstAndTheFieldKeepsItsText) {
    HWND inner = H->Form().edCode->InnerEdit()->Handle();
    H->Form().edCode->SetFocus();
    SendMessageA(inner, EM_SETSEL, 0, -1);
    SendMessageA(inner, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("0x130"));
    H->HoldBoxes(true);
    TCloseWhile close(Main, ErrorBoxWindow);
    H->Key(inner, VK_UP);
    ExpectClosedAfter(close);
    EXPECT_EQ(ErrorBoxWindow(), nullptr);
    EXPECT_EQ(H->TakeErrorBoxes().size(), 1u);
    EXPECT_EQ(H->Form().edCode->Text(), "0x130");
}

} // namespace

namespace {
TEST_F(ModalClose, ABoxOfTheSaveDialogAndTheDialogEndFirst) {
    // Save pressed on a name the dialog refuses with a box of its own.
    TModalDriver save([] {
        HWND dialog = SaveDialogWindow();
        if (!dialog || !IsWindowEnabled(dialog))
            return false;
        HWND box = GetDlgItem(dialog, 1152) ? GetDlgItem(dialog, 1152) : GetDlgItem(dialog, 1148);
        SetWindowTextA(box, "NUL.htm");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return true;
    });
    TCloseWhile close(Main, [] {
        HWND dialog = SaveDialogWindow();
        return dialog && !IsWindowEnabled(dialog) ? dialog : nullptr;
    });
    ClickToolButton(*H->Form().tbExport);
    ExpectClosedAfter(close);
    EXPECT_EQ(SaveDialogWindow(), nullptr);
    EXPECT_EQ(H->Status(), "");
}
} // namespace

namespace {
// A Cancel posted to the save dialog while its own "replace?" question is up
// (as a close request can be, just before the question shows), the question
// then answered Yes: the dialog's state is not torn down under the question,
// the export happens, and a close after it goes through.
TEST_F(ModalClose, SaveDialogCancelledUnderItsReplaceQuestionEnds) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string target = std::string(dir) + "qorv-replace-question.htm";
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    int step = 0;
    TModalDriver save([&] {
        HWND dialog = SaveDialogWindow();
        if (step == 0 && dialog && IsWindowEnabled(dialog)) {
            HWND box =
                GetDlgItem(dialog, 1152) ? GetDlgItem(dialog, 1152) : GetDlgItem(dialog, 1148);
            SetWindowTextA(box, target.c_str());
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            step = 1;
        } else if (step == 1 && dialog && !IsWindowEnabled(dialog)) {
            HWND question = ThreadWindow([dialog](HWND w) {
                return IsDialog(w) && w != dialog && GetWindow(w, GW_OWNER) == dialog;
            });
            if (!question)
                return false;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(question, WM_COMMAND, IDYES, 0);
            step = 2;
        }
        return step == 2;
    });
    ClickToolButton(*H->Form().tbExport);
    H->Pump();
    EXPECT_EQ(step, 2);
    EXPECT_EQ(SaveDialogWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Main));
    EXPECT_EQ(TModalLoop::Depth(), 0);
    // The Cancel came while it could not be pressed; the Yes stands.
    WIN32_FILE_ATTRIBUTE_DATA written{};
    EXPECT_TRUE(GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &written));
    EXPECT_GT(written.nFileSizeLow, 0u);
    SendMessageA(Main, WM_CLOSE, 0, 0);
    H->Pump();
    EXPECT_TRUE(Application->Terminated());
    DeleteFileA(target.c_str());
}
} // namespace

namespace {
// A lambda does not convert to the callback's stdcall type on 32-bit.
BOOL CALLBACK CountSaveDialog(HWND w, LPARAM count) {
    if (IsDialog(w) && GetDlgItem(w, 1136))
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Save dialogs of this thread, shown or still being made.
int SaveDialogsMade() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountSaveDialog, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Input still queued for the main window when a modal window comes up (a
// double click on a tool button, a key pressed twice) is dropped: a second
// dialog started inside the first wedged the program under Wine, and ran a
// second command under the first everywhere.
using ModalInput = ModalClose;

TEST_F(ModalInput, ASecondClickOnExportUnderTheSaveDialogOpensNoSecondOne) {
    int ticks = 0, most = 0;
    TModalDriver driver([&] {
        if (!SaveDialogWindow())
            return ticks > 0 && SaveDialogsMade() == 0;
        if (ticks++ == 0)
            ClickToolButton(*H->Form().tbExport, true);
        most = std::max(most, SaveDialogsMade());
        if (ticks > 10)
            PostMessageA(SaveDialogWindow(), WM_COMMAND, IDCANCEL, 0);
        return false;
    });
    ClickToolButton(*H->Form().tbExport);
    H->Pump();
    EXPECT_EQ(most, 1);
    EXPECT_EQ(SaveDialogsMade(), 0);
    EXPECT_EQ(TModalLoop::Depth(), 0);
    EXPECT_TRUE(IsWindowEnabled(Main));
}

TEST_F(ModalInput, ClicksAndKeysForTheMainWindowUnderAboutAreDropped) {
    int ticks = 0;
    bool saveSeen = false, secondAbout = false;
    TModalDriver driver([&] {
        HWND about = FormWindow<TAboutForm>();
        if (!about)
            return false;
        if (ticks++ == 0) {
            ClickToolButton(*H->Form().tbExport, true);
            // F1 is About's own shortcut: it would open a second one.
            PostMessageA(H->Form().edCode->InnerEdit()->Handle(), WM_KEYDOWN, VK_F1, 1);
            return false;
        }
        if (HWND save = SaveDialogWindow()) {
            saveSeen = true;
            PostMessageA(save, WM_COMMAND, IDCANCEL, 0);
        }
        int shown = 0;
        for (TCustomForm* f : Screen().Forms())
            shown += dynamic_cast<TAboutForm*>(f) && f->Showing();
        secondAbout = secondAbout || shown > 1;
        if (ticks < 10)
            return false;
        PostMessageA(about, WM_CLOSE, 0, 0);
        return true;
    });
    ClickToolButton(*H->Form().tbAbout);
    H->Pump();
    EXPECT_FALSE(saveSeen);
    EXPECT_FALSE(secondAbout);
    EXPECT_EQ(FormWindow<TAboutForm>(), nullptr);
    EXPECT_EQ(TModalLoop::Depth(), 0);
}
} // namespace

namespace {
// A click another program sends (automation, a screen reader's Press) runs
// from our own loop: the sender is not held while the dialog it opens is up,
// and the dialog is not built inside the sender's call (where the system's
// file dialog could wait for good).
TEST_F(ModalInput, AClickSentFromAnotherThreadRunsAfterTheSenderIsFree) {
    HWND bar = H->Form().tbExport->Parent()->Handle();
    RECT r{};
    SendMessageA(bar, TB_GETRECT, H->Form().tbExport->Index() + 1, reinterpret_cast<LPARAM>(&r));
    struct TSender {
        HWND Bar;
        LPARAM At;
        volatile LONG Returned = 0;
        static DWORD WINAPI Run(void* data) {
            auto* self = static_cast<TSender*>(data);
            SendMessageA(self->Bar, WM_LBUTTONDOWN, MK_LBUTTON, self->At);
            SendMessageA(self->Bar, WM_LBUTTONUP, 0, self->At);
            InterlockedExchange(&self->Returned, 1);
            return 0;
        }
    } sender{bar, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2)};
    bool senderFreeUnderDialog = false, dialogSeen = false;
    TModalDriver driver([&] {
        HWND dialog = SaveDialogWindow();
        if (!dialog)
            return false;
        dialogSeen = true;
        senderFreeUnderDialog = InterlockedCompareExchange(&sender.Returned, 0, 0) != 0;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    HANDLE thread = CreateThread(nullptr, 0, TSender::Run, &sender, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        H->Pump();
    CloseHandle(thread);
    H->Pump();
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(senderFreeUnderDialog);
    EXPECT_EQ(SaveDialogWindow(), nullptr);
}

// The main window's close wakes the main loop with a message; a loop nested
// in a message the main loop's wait delivered (one sent from another
// program) can take that message first. The main loop is woken again.
TEST_F(ModalInput, TheMainLoopIsWokenAgainWhenItsWakeUpWasTaken) {
    SendMessageA(Main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Application->Terminated());
    MSG msg;
    while (PeekMessageA(&msg, Main, 0, 0, PM_REMOVE)) {
    }
    bool woken = false;
    for (int i = 0; i < 20 && !woken; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        woken = PeekMessageA(&msg, Main, 0, 0, PM_NOREMOVE) != FALSE;
    }
    EXPECT_TRUE(woken);
}
} // namespace
