// Where a window's client area starts inside the window's own pixels (its
// frame's left and top widths), for tests that read a whole window.
#pragma once

#include <windows.h>

inline POINT ClientOrigin(HWND wnd) {
    RECT window;
    GetWindowRect(wnd, &window);
    POINT p{0, 0};
    ClientToScreen(wnd, &p);
    return {p.x - window.left, p.y - window.top};
}
