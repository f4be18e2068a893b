#include "tests/app/MainFormHarness_win32.h"

#include "app/unitStartup_win32.h"

namespace {
std::vector<std::string> g_boxes;
std::string g_title;
bool g_holdBoxes = false;

// Answers a message box as soon as it is activated, noting its text.
LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND wnd = reinterpret_cast<HWND>(wParam);
        char cls[32] = {};
        GetClassNameA(wnd, cls, sizeof cls);
        char caption[256] = {};
        GetWindowTextA(wnd, caption, sizeof caption);
        // The program's boxes carry its title; the print dialog is the user's.
        if (std::string(cls) == "#32770" && caption == g_title) {
            char text[1024] = {};
            GetDlgItemTextA(wnd, 0xFFFF, text, sizeof text);
            g_boxes.push_back(std::string(caption) + "|" + text);
            if (!g_holdBoxes)
                PostMessageA(wnd, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

TMainFormHarness::TMainFormHarness(TKeyStore* store, THtmlViewFactory view)
    : FOwnStore(store ? nullptr : new TMemoryKeyStore), FStore(store ? store : FOwnStore.get()) {
    FHook = SetWindowsHookExA(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
    g_boxes.clear();
    g_holdBoxes = false;
    FApplication = &InitializeProgram(FStore);
    g_title = FApplication->Title();
    if (view)
        SetHtmlViewFactory(std::move(view));
    FForm = FApplication->CreateForm<TMainForm>();
    FForm->Show();
    SetForegroundWindow(FForm->Handle());
    Pump();
}

TMainFormHarness::~TMainFormHarness() {
    FinalizeProgram();
    if (FHook)
        UnhookWindowsHookEx(FHook);
}

void TMainFormHarness::Pump() {
    for (int i = 0; i < 3; ++i)
        FApplication->ProcessMessages();
}

void TMainFormHarness::Type(HWND target, const std::string& text) {
    for (char c : text)
        SendMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
}

void TMainFormHarness::Key(HWND target, WORD key) {
    SendMessageA(target, WM_KEYDOWN, key, 1);
    SendMessageA(target, WM_KEYUP, key, 0xC0000001);
    Pump();
}

void TMainFormHarness::PostPress(const std::string& shortCut) {
    const TShortCut keys = TextToShortCut(shortCut);
    BYTE state[256] = {};
    GetKeyboardState(state);
    for (const auto& [bit, vk] :
         {std::pair{scCtrl, VK_CONTROL}, {scShift, VK_SHIFT}, {scAlt, VK_MENU}})
        state[vk] = (keys & bit) ? 0x80 : 0;
    SetKeyboardState(state);
    const WORD key = keys & 0xFF;
    HWND target = GetFocus() ? GetFocus() : FForm->Handle();
    const UINT down = (keys & scAlt) || key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
    PostMessageA(target, down, key, 1);
    PostMessageA(target, down + 1, key, 0xC0000001);
}

void TMainFormHarness::Release() {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_SHIFT] = state[VK_MENU] = 0;
    SetKeyboardState(state);
}

void TMainFormHarness::Press(const std::string& shortCut) {
    PostPress(shortCut);
    Pump();
    Release();
}

void TMainFormHarness::Click(TControl& control) {
    control.Click();
    Pump();
}

void TMainFormHarness::ClickGraphic(TGraphicControl& control) {
    HWND parent = control.Parent()->Handle();
    const LPARAM at =
        MAKELPARAM(control.Left() + control.Width() / 2, control.Top() + control.Height() / 2);
    SendMessageA(parent, WM_MOUSEMOVE, 0, at);
    SendMessageA(parent, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(parent, WM_LBUTTONUP, 0, at);
    Pump();
}

void TMainFormHarness::HoldBoxes(bool hold) {
    g_holdBoxes = hold;
}

std::vector<std::string> TMainFormHarness::TakeErrorBoxes() {
    Pump();
    return std::exchange(g_boxes, {});
}

std::string SystemText(int code) {
    char* buffer = nullptr;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                       static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : std::string();
    if (buffer)
        LocalFree(buffer);
    return text;
}

std::string ClipboardString() {
    std::string text;
    if (!OpenClipboard(nullptr))
        return "<clipboard not open>";
    if (HANDLE data = GetClipboardData(CF_TEXT))
        if (auto* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}

void ClickListRow(TListView& list, int index, bool twice) {
    list.Item(index)->MakeVisible(false);
    const TRect r = list.Item(index)->DisplayRect();
    const LPARAM at = MAKELPARAM(r.Left + 10, (r.Top + r.Bottom) / 2);
    SendMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
    if (twice) {
        SendMessageA(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
    }
}

RECT FormatRectInset(TMemo& memo) {
    RECT client, format;
    GetClientRect(memo.Handle(), &client);
    SendMessageA(memo.Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const auto margins = static_cast<DWORD>(SendMessageA(memo.Handle(), EM_GETMARGINS, 0, 0));
    return {format.left - LOWORD(margins), format.top,
            client.right - format.right - HIWORD(margins), client.bottom - format.bottom};
}

RECT WorkAreaOf(HWND wnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
