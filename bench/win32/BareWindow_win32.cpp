// The peer of the start-up benchmark: the least a Win32 program does to put a
// window on the screen. Given a file name, it reports there when its entry
// ran and what its steps took (StepFile.h), after its window has closed.
#include <windows.h>

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
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "BareWindow";
    RegisterClassA(&wc);
    const double registered = MonotonicNow();
    HWND wnd = CreateWindowA("BareWindow", "Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 525, 457, nullptr, nullptr, instance, nullptr);
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
