// A 32-bit top-down bitmap in a memory DC, filled with one colour, for tests
// that paint on it and read back exact pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/Gdi_win32.h"

class TDibSurface {
public:
    TDibSurface(int width, int height, COLORREF fill) : FWidth(width), FDC(nullptr) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        FBitmap.Reset(CreateDIBSection(FDC.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        FBits = static_cast<uint32_t*>(bits);
        FSelect = std::make_unique<TSelectObject>(FDC.Get(), FBitmap.Get());
        const uint32_t pixel =
            uint32_t(GetRValue(fill)) << 16 | uint32_t(GetGValue(fill)) << 8 | GetBValue(fill);
        for (int i = 0; i < width * height; ++i)
            FBits[i] = pixel;
    }
    HDC DC() const { return FDC.Get(); }
    // The DIB holds 0x00RRGGBB; returned as a COLORREF, after GDI has finished.
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t v = FBits[y * FWidth + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // How many pixels inside `r` are not `background`.
    int CountOther(const RECT& r, COLORREF background) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += At(x, y) != background;
        return n;
    }

private:
    int FWidth;
    TMemoryDC FDC;
    TBitmapHandle FBitmap;
    std::unique_ptr<TSelectObject> FSelect;
    uint32_t* FBits = nullptr;
};
