#include "framework/Gdi_win32.h"

COLORREF ColorToRGB(TColor color) {
    if (IsSystemColor(color))
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0x00FFFFFF;
}

void FillRectColor(HDC dc, const RECT& rect, TColor color) {
    TBrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
    FillRect(dc, &rect, brush.Get());
}
