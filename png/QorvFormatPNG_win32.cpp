// Windows side of the image: the pixel store as a DIB section selected into
// its own memory device context, and the logical palette.
#include "png/QorvFormatPNG.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(TPNGBitmapInfoHeader));
static_assert(sizeof(RGBQUAD) == sizeof(TPNGRGBQuad));

namespace {
class TPNGDIBPixelStore : public TPNGPixelStore {
public:
    ~TPNGDIBPixelStore() override { Release(); }

    uint8_t* Allocate(const TPNGBitmapInfo& info, size_t size) override {
        Release();
        FDC = CreateCompatibleDC(nullptr);
        if (!FDC)
            return nullptr;
        void* bits = nullptr;
        FBitmap = CreateDIBSection(FDC, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
        if (!FBitmap || !bits) {
            Release();
            return nullptr;
        }
        FOldBitmap = SelectObject(FDC, FBitmap);
        FBits = static_cast<uint8_t*>(bits);
        std::memset(FBits, 0, size);
        return FBits;
    }

    void Release() override {
        if (FDC && FOldBitmap)
            SelectObject(FDC, FOldBitmap);
        if (FBitmap)
            DeleteObject(FBitmap);
        if (FDC)
            DeleteDC(FDC);
        FDC = nullptr;
        FBitmap = nullptr;
        FOldBitmap = nullptr;
        FBits = nullptr;
    }

    uint8_t* Bits() const override { return FBits; }

    void SetColorTable(const TPNGRGBQuad* colors, int count) override {
        if (FDC)
            SetDIBColorTable(FDC, 0, static_cast<UINT>(std::clamp(count, 0, 256)),
                             reinterpret_cast<const RGBQUAD*>(colors));
    }

    void GetColorTable(TPNGRGBQuad* colors, int count) const override {
        count = std::clamp(count, 0, 256);
        std::memset(colors, 0, sizeof(TPNGRGBQuad) * static_cast<size_t>(count));
        if (FDC)
            GetDIBColorTable(FDC, 0, static_cast<UINT>(count), reinterpret_cast<RGBQUAD*>(colors));
    }

    void* BitmapHandle() const override { return FBitmap; }
    void* DeviceContext() const override { return FDC; }

private:
    HDC FDC = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
    uint8_t* FBits = nullptr;
};
} // namespace

std::unique_ptr<TPNGPixelStore> NewPNGDIBPixelStore() {
    return std::make_unique<TPNGDIBPixelStore>();
}

std::unique_ptr<TPNGPixelStore> NewPNGPixelStore() {
    return NewPNGDIBPixelStore();
}

void* TQorvPNGObject::PaletteHandle() {
    const TChunkIHDR& h = RequireHeader();
    if (h.ColorType != 0 && h.ColorType != 3)
        return nullptr;
    if (!FPaletteHandle) {
        struct {
            WORD palVersion;
            WORD palNumEntries;
            PALETTEENTRY palPalEntry[256];
        } palette{};
        palette.palVersion = 0x300;
        palette.palNumEntries = 256;
        for (int i = 0; i < 256; ++i) {
            const TPNGRGBQuad& c = h.BitmapInfo.bmiColors[i];
            palette.palPalEntry[i] = PALETTEENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
        }
        FPaletteHandle = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette));
    }
    return FPaletteHandle;
}

void TQorvPNGObject::ReleasePaletteHandle() {
    if (FPaletteHandle)
        DeleteObject(static_cast<HPALETTE>(FPaletteHandle));
    FPaletteHandle = nullptr;
}

int TQorvPNGObject::NearestPaletteIndex(uint32_t color) {
    const TChunkIHDR& h = RequireHeader();
    if (void* palette = PaletteHandle()) {
        const UINT index = GetNearestPaletteIndex(static_cast<HPALETTE>(palette), color);
        if (index != CLR_INVALID)
            return static_cast<int>(index);
    }
    // Grey with alpha has no palette object: the same rule by hand.
    return NearestColorIndex(h.BitmapInfo.bmiColors, 256, color);
}
