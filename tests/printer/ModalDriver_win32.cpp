#include "tests/printer/ModalDriver_win32.h"

#include <commctrl.h>
#include <dlgs.h>

#include "tests/printer/TestPrinter_win32.h"

#include <map>

namespace {
std::map<UINT_PTR, TModalDriver*>& Drivers() {
    static std::map<UINT_PTR, TModalDriver*> drivers;
    return drivers;
}

struct TDialogSearch {
    std::function<bool(HWND)> Match;
    HWND Found = nullptr;
};

BOOL CALLBACK FindDialog(HWND wnd, LPARAM search) {
    auto& s = *reinterpret_cast<TDialogSearch*>(search);
    char cls[32] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    if (IsWindowVisible(wnd) && std::string(cls) == "#32770" && s.Match(wnd)) {
        s.Found = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindThreadDialog(std::function<bool(HWND)> match) {
    TDialogSearch search{std::move(match)};
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
} // namespace

TModalDriver::TModalDriver(std::function<bool()> step, int timeoutMs)
    : FStep(std::move(step)), FTimer(SetTimer(nullptr, 0, 30, Tick)),
      FDeadline(GetTickCount() + static_cast<DWORD>(timeoutMs)) {
    Drivers()[FTimer] = this;
}

TModalDriver::~TModalDriver() {
    KillTimer(nullptr, FTimer);
    Drivers().erase(FTimer);
}

void CALLBACK TModalDriver::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Drivers().find(id);
    if (it == Drivers().end() || it->second->FDone)
        return;
    TModalDriver& d = *it->second;
    if (static_cast<int>(GetTickCount() - d.FDeadline) > 0) {
        d.FDone = d.FTimedOut = true;
        if (HWND dialog = FindPrintDialog())
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        else if (HWND active = GetActiveWindow())
            PostMessageA(active, WM_CLOSE, 0, 0);
        return;
    }
    d.FDone = d.FStep();
}

TPrintDialogAnswer::TPrintDialogAnswer(int button, std::function<void(HWND)> fill)
    : Driver([this, button, fill] {
          HWND dialog = FindPrintDialog();
          if (!dialog)
              return false;
          Seen = true;
          if (fill)
              fill(dialog);
          PostMessageA(dialog, WM_COMMAND, button, 0);
          return true;
      }) {}

HWND FindPrintDialog() {
    return FindThreadDialog([](HWND wnd) {
        char title[64] = "";
        GetWindowTextA(wnd, title, sizeof title);
        return std::string(title) == "Print";
    });
}

HWND FindDialogWith(int id) {
    return FindThreadDialog([id](HWND wnd) { return GetDlgItem(wnd, id) != nullptr; });
}

std::string AnswerMessageBox() {
    // A message box: its text is the static control 0xFFFF, beside OK; not
    // the print dialog (its printer box) nor a file dialog (its type box).
    constexpr int kPrinterBox = 1139, kTypeBox = 1136;
    HWND box = FindThreadDialog([](HWND wnd) {
        return GetDlgItem(wnd, 0xFFFF) && GetDlgItem(wnd, IDOK) && !GetDlgItem(wnd, kPrinterBox) &&
               !GetDlgItem(wnd, kTypeBox);
    });
    if (!box)
        return {};
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
}

TLandscapeLetter::~TLandscapeLetter() {
    if (FStep > 1)
        qorvtest::RestoreTestPrinterDefaults();
}

bool TLandscapeLetter::Step() {
    // The property sheet of Wine's PostScript driver: its paper list and
    // orientation buttons, on the first page.
    constexpr int kPaperList = 100, kLandscape = 102, kTabs = 12320;
    HWND print = FindPrintDialog();
    if (FStep == 0 && print) {
        PostMessageA(print, WM_COMMAND, MAKEWPARAM(psh2, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(print, psh2)));
        FStep = 1;
    } else if (HWND sheet = FStep == 1 ? FindDialogWith(kTabs) : nullptr) {
        HWND page = FindWindowExA(sheet, nullptr, "#32770", nullptr);
        if (!page || !GetDlgItem(page, kLandscape))
            return false;
        SendMessageA(GetDlgItem(page, kLandscape), BM_CLICK, 0, 0);
        HWND papers = GetDlgItem(page, kPaperList);
        SendMessageA(papers, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>("Letter"));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(kPaperList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(papers));
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
        FStep = 2;
    } else if (FStep == 2 && print && !FindDialogWith(kTabs)) {
        PostMessageA(print, WM_COMMAND, IDOK, 0);
        FStep = 3;
    }
    return FStep == 3;
}
