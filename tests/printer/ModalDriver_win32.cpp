#include "tests/printer/ModalDriver_win32.h"

#include <map>
#include <string>

namespace {
std::map<UINT_PTR, TModalDriver*>& Drivers() {
    static std::map<UINT_PTR, TModalDriver*> drivers;
    return drivers;
}

BOOL CALLBACK FindDialog(HWND wnd, LPARAM found) {
    char cls[32] = "", title[64] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    GetWindowTextA(wnd, title, sizeof title);
    if (IsWindowVisible(wnd) && std::string(cls) == "#32770" && std::string(title) == "Print") {
        *reinterpret_cast<HWND*>(found) = wnd;
        return FALSE;
    }
    return TRUE;
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

HWND FindPrintDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}
