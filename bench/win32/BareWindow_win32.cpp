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

#include "bench/win32/FloorWindow_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const double entry = Now();
#ifdef QORV_THEMED_FLOOR
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
#endif
    WNDCLASSA wc{};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "FloorWindow";
    RegisterClassA(&wc);
    const double registered = Now();
    HWND wnd = CreateWindowA("FloorWindow", "Floor window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 525, 457, nullptr, nullptr, instance, nullptr);
#ifdef QORV_THEMED_FLOOR
    if (HTHEME theme = OpenThemeData(wnd, L"TOOLBAR"))
        CloseThemeData(theme);
#endif
    const double created = Now();
    return RunFloor(wnd, show, nullptr, entry, registered, created, "window");
}
