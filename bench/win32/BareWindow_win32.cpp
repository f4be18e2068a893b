// The floors of the start-up benchmark, one source built twice:
//  - BareWindow: the least a Win32 program does to put a window on the
//    screen;
//  - ThemedWindow (QORV_THEMED_FLOOR): the same with what the platform itself
//    costs a program like ours: version 6 of the common controls (asked for by
//    the program's manifest), their classes readied, and the visual style
//    loaded for the window.
// Given a file name, it reports there when its entry ran and what its steps
// took (StepFile.h), after its window has closed.
#include <windows.h>

#ifdef QORV_THEMED_FLOOR
#include <commctrl.h>
#include <uxtheme.h>
#endif

#include "bench/win32/StepFile.h"

namespace {
LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const double entry = MonotonicNow();
#ifdef QORV_THEMED_FLOOR
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
#endif
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "FloorWindow";
    RegisterClassA(&wc);
    const double registered = MonotonicNow();
    HWND wnd = CreateWindowA("FloorWindow", "Floor window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 525, 457, nullptr, nullptr, instance, nullptr);
#ifdef QORV_THEMED_FLOOR
    if (HTHEME theme = OpenThemeData(wnd, L"TOOLBAR"))
        CloseThemeData(theme);
#endif
    const double created = MonotonicNow();
    ShowWindow(wnd, show);
    UpdateWindow(wnd);
    const double shown = MonotonicNow();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (__argc > 1)
        WriteStepFile(__argv[1], entry, shown,
                      {{"window class", registered - entry, 1},
                       {"window", created - registered, 1},
                       {"show and first paint", shown - created, 1}});
    return 0;
}
