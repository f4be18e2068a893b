#include "framework/PostedCalls_win32.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "framework/Controls_win32.h"
#include "framework/SysUtils_win32.h"

namespace {

constexpr UINT WM_POSTEDCALL = WM_APP + 1;

struct TPending {
    const TPostedCalls* Owner;
    std::function<void()> Call;
};

// Keyed by a number that only grows, so a message for a call already
// cancelled finds nothing, even when the owner's memory has been reused.
std::map<uint64_t, TPending>& PendingCalls() {
    static std::map<uint64_t, TPending> calls;
    return calls;
}

LRESULT CALLBACK PostedCallProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_POSTEDCALL)
        return DefWindowProcA(wnd, msg, wParam, lParam);
    // The number travels in both parameters: 32 bits each on this target.
    const uint64_t id = (static_cast<uint64_t>(wParam) << 32) | static_cast<uint32_t>(lParam);
    auto it = PendingCalls().find(id);
    if (it == PendingCalls().end())
        return 0;
    std::function<void()> call = std::move(it->second.Call);
    PendingCalls().erase(it);
    try {
        call();
    } catch (...) {
        HandleControlException();
    }
    return 0;
}

// A message-only window: it never shows, and posting to it needs no form.
HWND PostedCallWindow() {
    static HWND wnd = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PostedCallProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QorvPostedCalls";
        if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            RaiseLastOSError("Cannot register the window class of posted calls",
                             "RegisterClassExA");
        HWND made = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr);
        if (!made)
            RaiseLastOSError("Cannot create the window of posted calls", "CreateWindowExA");
        return made;
    }();
    return wnd;
}

} // namespace

void TPostedCalls::Post(std::function<void()> call) {
    static uint64_t lastId = 0;
    HWND wnd = PostedCallWindow();
    const uint64_t id = ++lastId;
    PendingCalls().emplace(id, TPending{this, std::move(call)});
    if (!PostMessageA(wnd, WM_POSTEDCALL, static_cast<WPARAM>(id >> 32),
                      static_cast<LPARAM>(static_cast<uint32_t>(id)))) {
        PendingCalls().erase(id);
        RaiseLastOSError("Cannot post a call to the message loop", "PostMessageA");
    }
}

void TPostedCalls::Cancel() {
    std::erase_if(PendingCalls(), [this](const auto& entry) { return entry.second.Owner == this; });
}

int TPostedCalls::Pending() const {
    return static_cast<int>(
        std::count_if(PendingCalls().begin(), PendingCalls().end(),
                      [this](const auto& entry) { return entry.second.Owner == this; }));
}
