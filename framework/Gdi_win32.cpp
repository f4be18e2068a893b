#include "framework/Gdi_win32.h"

RECT WindowRectAtOrigin(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    return r;
}

RECT ClientRectInWindow(HWND wnd) {
    RECT window, client;
    GetWindowRect(wnd, &window);
    GetClientRect(wnd, &client);
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    return client;
}

HDC MeasuringDC() {
    static const TMemoryDC dc(nullptr); // null: compatible with the screen
    return dc.Get();
}

COLORREF ColorToRGB(TColor color) {
    if (IsSystemColor(color))
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0x00FFFFFF;
}

void FillRectColor(HDC dc, const RECT& rect, TColor color) {
    TBrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
    FillRect(dc, &rect, brush.Get());
}
