// What the floors of the start-up benchmark share: a top-level window whose
// closing ends the program, and the run from the window made to the report.
#pragma once

#include <windows.h>

#include "bench/win32/StepFile.h"

inline LRESULT CALLBACK FloorProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// Shows the window (and focuses `focus`, if any), runs the loop until it
// closes, then, given a file name, reports the steps: the window class from
// `entry` to `registered`, making the windows (`windowsStep`) until `created`,
// and showing them.
inline int RunFloor(HWND wnd, int show, HWND focus, double entry, double registered, double created,
                    const char* windowsStep) {
    ShowWindow(wnd, show);
    UpdateWindow(wnd);
    if (focus)
        SetFocus(focus);
    const double shown = Now();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (__argc > 1)
        WriteStepFile(__argv[1], entry, shown,
                      {{"window class", registered - entry, 1},
                       {windowsStep, created - registered, 1},
                       {"show and first paint", shown - created, 1}});
    return 0;
}
