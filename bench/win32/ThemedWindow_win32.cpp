// The second floor of the start-up benchmark: the bare window with what the
// platform itself costs a program like ours: version 6 of the common
// controls (asked for by the same manifest), their classes readied, and the
// visual style loaded for the window. Reports its steps as the bare window.
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

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
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "ThemedWindow";
    RegisterClassA(&wc);
    const double registered = MonotonicNow();
    HWND wnd = CreateWindowA("ThemedWindow", "Themed window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 525, 457, nullptr, nullptr, instance, nullptr);
    if (HTHEME theme = OpenThemeData(wnd, L"TOOLBAR"))
        CloseThemeData(theme);
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
                      {{"common controls, window class", registered - entry, 1},
                       {"window, visual style", created - registered, 1},
                       {"show and first paint", shown - created, 1}});
    return 0;
}
