#include "tests/framework/FrameworkTestUtil_win32.h"

#include <vector>

void ClickToolButton(TToolButton& button, bool queued) {
    HWND bar = button.Parent()->Handle();
    RECT r{};
    SendMessageA(bar, TB_GETRECT, button.Index() + 1, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const auto deliver = [&](UINT msg, WPARAM keys) {
        if (queued)
            PostMessageA(bar, msg, keys, at);
        else
            SendMessageA(bar, msg, keys, at);
    };
    deliver(WM_MOUSEMOVE, 0);
    deliver(WM_LBUTTONDOWN, MK_LBUTTON);
    deliver(WM_LBUTTONUP, 0);
}

std::string ToolButtonText(TToolButton& button) {
    HWND bar = button.Parent()->Handle();
    const auto length = SendMessageA(bar, TB_GETBUTTONTEXTA, button.Index() + 1, 0);
    if (length < 0)
        return "<none>";
    std::vector<char> text(static_cast<size_t>(length) + 1);
    SendMessageA(bar, TB_GETBUTTONTEXTA, button.Index() + 1, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::string ToolTipOf(TToolButton& button) {
    char text[INFOTIPSIZE] = {};
    NMTBGETINFOTIPA info{};
    info.hdr = {button.Parent()->Handle(), 0, TBN_GETINFOTIPA};
    info.iItem = button.Index() + 1;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    SendMessageA(GetParent(button.Parent()->Handle()), WM_NOTIFY, 0,
                 reinterpret_cast<LPARAM>(&info));
    return text;
}

namespace {
TMenuSeen g_menu;

void CALLBACK CatchMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menuWindow = FindWindowA("#32768", nullptr);
    if (!menuWindow || !IsWindowVisible(menuWindow))
        return;
    KillTimer(nullptr, id);
    auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        g_menu.Items.push_back(text);
    }
    GetWindowRect(menuWindow, &g_menu.Place);
    EndMenu();
}
} // namespace

TMenuSeen MenuOpenedBy(const std::function<void()>& open, const std::function<void()>& pump) {
    g_menu = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, CatchMenu);
    open();
    for (int i = 0; i < 20 && g_menu.Items.empty(); ++i) {
        Sleep(30);
        pump();
    }
    KillTimer(nullptr, timer);
    return g_menu;
}

TComPtr<IAccessible> AccessibleOf(HWND wnd) {
    TComPtr<IAccessible> object;
    AccessibleObjectFromWindow(wnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                               object.PutVoid());
    return object;
}

VARIANT Child(long id) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::string NameOf(IAccessible* object, long id) {
    BSTR name = nullptr;
    if (!object || object->get_accName(Child(id), &name) != S_OK || !name)
        return "<none>";
    const std::string text = WideToAnsi(name);
    SysFreeString(name);
    return text;
}

long NumberOf(IAccessible* object, long id, bool role) {
    VARIANT v{};
    const HRESULT hr =
        role ? object->get_accRole(Child(id), &v) : object->get_accState(Child(id), &v);
    return hr == S_OK && v.vt == VT_I4 ? v.lVal : -1;
}
