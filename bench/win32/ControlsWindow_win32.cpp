// The third floor of the start-up benchmark: what the platform's own controls
// of the main window cost a plain Win32 program, with the program's manifest
// (common controls 6, the visual style): a flat tool bar of ten 32 x 32
// buttons, an edit with a spin button, a memo with a vertical scroll bar and a
// status bar, with the edit focused. No framework, no form data, no settings.
// Given a file name, it reports there when its entry ran and what its steps
// took (StepFile.h), after its window has closed.
#include <windows.h>

#include <commctrl.h>

#include "bench/win32/FloorWindow_win32.h"

namespace {
HWND Child(HWND parent, DWORD exStyle, const char* cls, const char* text, DWORD style, RECT r) {
    return CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void AddToolBar(HWND parent, HINSTANCE instance) {
    HWND bar = Child(parent, 0, TOOLBARCLASSNAMEA, nullptr,
                     TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, {0, 0, 509, 42});
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32, 10, 10);
    if (HBITMAP strip = static_cast<HBITMAP>(
            LoadImageA(instance, "TOOLBARLARGE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
        ImageList_Add(images, strip, nullptr);
        DeleteObject(strip);
    }
    SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    TBBUTTON buttons[10] = {};
    for (int i = 0; i < 10; ++i) {
        buttons[i].iBitmap = i;
        buttons[i].idCommand = i + 1;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
    }
    SendMessageA(bar, TB_ADDBUTTONSA, 10, reinterpret_cast<LPARAM>(buttons));
    SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELONG(39, 38));
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const double entry = Now();
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "ControlsFloor";
    RegisterClassA(&wc);
    const double registered = Now();
    HWND wnd =
        CreateWindowA("ControlsFloor", "Floor window", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, 525, 457, nullptr, nullptr, instance, nullptr);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
    AddToolBar(wnd, instance);
    HWND edit = Child(wnd, WS_EX_CLIENTEDGE, "EDIT", "0", ES_NUMBER, {48, 50, 117, 72});
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    HWND spin = Child(wnd, 0, UPDOWN_CLASSA, nullptr, UDS_ALIGNRIGHT | UDS_SETBUDDYINT, {});
    SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    HWND memo = Child(wnd, 0, "EDIT", "The operation completed successfully.",
                      ES_MULTILINE | ES_READONLY | WS_VSCROLL, {0, 82, 509, 399});
    SendMessageA(memo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    HWND status = Child(wnd, 0, STATUSCLASSNAMEA, nullptr, 0, {});
    SendMessageA(status, SB_SIMPLE, TRUE, 0);
    const double created = Now();
    return RunFloor(wnd, show, edit, entry, registered, created, "windows");
}
