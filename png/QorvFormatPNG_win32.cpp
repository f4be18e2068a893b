// Windows side of the image: the pixel store as a DIB section selected into
// its own memory device context, the logical palette, drawing, the host
// bitmap and the clipboard.
#include "png/QorvFormatPNG.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "framework/Gdi_win32.h"
#include "framework/Graphics_win32.h"

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

uintptr_t TQorvPNGObject::PaletteHandle() const {
    const TChunkIHDR& h = RequireHeader();
    if (h.ColorType != 0 && h.ColorType != 3)
        return 0;
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
    return reinterpret_cast<uintptr_t>(FPaletteHandle);
}

void TQorvPNGObject::ReleasePaletteHandle() {
    if (FPaletteHandle)
        DeleteObject(static_cast<HPALETTE>(FPaletteHandle));
    FPaletteHandle = nullptr;
}

int TQorvPNGObject::NearestPaletteIndex(uint32_t color) {
    const TChunkIHDR& h = RequireHeader();
    if (const uintptr_t palette = PaletteHandle()) {
        const UINT index = GetNearestPaletteIndex(reinterpret_cast<HPALETTE>(palette), color);
        if (index != CLR_INVALID)
            return static_cast<int>(index);
    }
    // Grey with alpha has no palette object: the same rule by hand.
    return NearestColorIndex(h.BitmapInfo.bmiColors, 256, color);
}

// ---------------------------------------------------------------------------
// Drawing

namespace {
TRect Normalised(TRect r) {
    if (r.Right < r.Left)
        std::swap(r.Left, r.Right);
    if (r.Bottom < r.Top)
        std::swap(r.Top, r.Bottom);
    return r;
}
} // namespace

void TQorvPNGObject::PaintTo(TCanvas& canvas, const TRect& rect) {
    if (Empty() || !HasHeader() || !RequireHeader().ImageData)
        return;
    TChunkIHDR& h = RequireHeader();
    HDC dc = canvas.Handle();
    switch (TransparencyKindOf()) {
    case tkBit:
        DrawKeyedBitmap(dc, h.ImageData, h.BitmapInfo,
                        ColorToRGB(static_cast<TColor>(TransparentColorOf())), rect);
        break;
    case tkPartial:
        DrawBlended(dc, rect);
        break;
    case tkNone:
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), 0, 0,
                      static_cast<int>(h.Width), static_cast<int>(h.Height), h.ImageData,
                      reinterpret_cast<const BITMAPINFO*>(&h.BitmapInfo), DIB_RGB_COLORS, SRCCOPY);
        break;
    }
}

void TQorvPNGObject::DrawKeyedBitmap(void* target, const uint8_t* pixels,
                                     const TPNGBitmapInfo& info, uint32_t color,
                                     const TRect& rect) {
    HDC dc = static_cast<HDC>(target);
    // Monochrome and compatible bitmaps cannot have negative sizes: a
    // reversed rectangle draws into its normalised form.
    const TRect r = Normalised(rect);
    const int W = r.Width(), H = r.Height();
    if (W == 0 || H == 0)
        return;
    const int sw = std::abs(info.bmiHeader.biWidth), sh = std::abs(info.bmiHeader.biHeight);
    const auto* bi = reinterpret_cast<const BITMAPINFO*>(&info);

    TMemoryDC imageDC(dc), maskDC(dc), inverseDC(dc), resultDC(dc);
    TBitmapHandle image(CreateDIBitmap(dc, &bi->bmiHeader, CBM_INIT, pixels, bi, DIB_RGB_COLORS));
    TBitmapHandle mask(CreateBitmap(W, H, 1, 1, nullptr));
    TBitmapHandle inverse(CreateBitmap(W, H, 1, 1, nullptr));
    TBitmapHandle result(CreateCompatibleBitmap(dc, W, H));
    if (!imageDC.Get() || !maskDC.Get() || !inverseDC.Get() || !resultDC.Get() || !image || !mask ||
        !inverse || !result)
        throw EPNGOutMemory();
    TSelectObject selectImage(imageDC.Get(), image.Get());
    TSelectObject selectMask(maskDC.Get(), mask.Get());
    TSelectObject selectInverse(inverseDC.Get(), inverse.Get());
    TSelectObject selectResult(resultDC.Get(), result.Get());
    // Stretching picks pixels; it never mixes them.
    for (HDC m : {imageDC.Get(), maskDC.Get(), resultDC.Get()})
        SetStretchBltMode(m, COLORONCOLOR);

    const COLORREF oldBack = SetBkColor(imageDC.Get(), color);
    StretchBlt(maskDC.Get(), 0, 0, W, H, imageDC.Get(), 0, 0, sw, sh, SRCCOPY);
    SetBkColor(imageDC.Get(), oldBack);
    BitBlt(inverseDC.Get(), 0, 0, W, H, maskDC.Get(), 0, 0, NOTSRCCOPY);
    BitBlt(resultDC.Get(), 0, 0, W, H, dc, r.Left, r.Top, SRCCOPY);
    BitBlt(resultDC.Get(), 0, 0, W, H, maskDC.Get(), 0, 0, SRCAND);
    StretchBlt(imageDC.Get(), 0, 0, sw, sh, inverseDC.Get(), 0, 0, W, H, SRCAND);
    StretchBlt(resultDC.Get(), 0, 0, W, H, imageDC.Get(), 0, 0, sw, sh, SRCPAINT);
    BitBlt(dc, r.Left, r.Top, W, H, resultDC.Get(), 0, 0, SRCCOPY);
}

void TQorvPNGObject::DrawBlended(void* target, const TRect& rect) {
    HDC dc = static_cast<HDC>(target);
    if (rect.Left == rect.Right || rect.Top == rect.Bottom)
        return;
    const TRect r = Normalised(rect);
    const int W = r.Width(), H = r.Height();
    TMemoryDC memory(nullptr);
    if (!memory.Get())
        throw EPNGOutMemory();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = 40;
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TBitmapHandle section(CreateDIBSection(memory.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits)
        throw EPNGOutMemory();
    TSelectObject select(memory.Get(), section.Get());
    BitBlt(memory.Get(), 0, 0, W, H, dc, r.Left, r.Top, SRCCOPY);
    GdiFlush();
    BlendImageOver(*this, static_cast<uint8_t*>(bits), W, H);
    BitBlt(dc, r.Left, r.Top, W, H, memory.Get(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------
// Host bitmap

void TQorvPNGObject::CopyFromBitmap(void* handle, bool transparent, uint32_t color) {
    HBITMAP bitmap = static_cast<HBITMAP>(handle);
    BITMAP bm{};
    if (!bitmap || GetObject(bitmap, sizeof bm, &bm) == 0)
        throw EPngError("The bitmap cannot be read.");
    const int bits = bm.bmBitsPixel;
    RemoveAllChunks();
    auto* header = new TChunkIHDR(this);
    FChunks.Append(header);
    TChunkPLTE* palette = nullptr;
    if (bits < 16) {
        palette = new TChunkPLTE(this);
        FChunks.Append(palette);
    }
    TChunktRNS* trns = nullptr;
    if (transparent) {
        trns = new TChunktRNS(this);
        FChunks.Append(trns);
    }
    FChunks.Append(new TChunkIDAT(this));
    FChunks.Append(new TChunkIEND(this));

    header->Width = static_cast<uint32_t>(bm.bmWidth);
    header->Height = static_cast<uint32_t>(std::abs(bm.bmHeight));
    header->BitDepth = static_cast<uint8_t>(bits < 16 ? bits : 8);
    header->ColorType = bits < 16 ? 3 : 2;
    header->CompressionMethod = 0;
    header->FilterMethod = 0;
    header->InterlaceMethod = 0;
    header->PrepareImage();
    TMemoryDC dc(nullptr);
    if (!dc.Get())
        throw EPNGOutMemory();
    GetDIBits(dc.Get(), bitmap, 0, header->Height, header->ImageData,
              reinterpret_cast<BITMAPINFO*>(&header->BitmapInfo), DIB_RGB_COLORS);
    header->SyncColorTable();
    if (palette)
        palette->SetCount(1 << bits);
    if (trns)
        trns->AssignTransparentColor(color);
}

bool AssignFromHostBitmap(TQorvPNGObject& image, const TGraphic& source) {
    const auto* bitmap = dynamic_cast<const TBitmap*>(&source);
    if (!bitmap)
        return false;
    if (bitmap->Empty())
        image.RemoveAllChunks();
    else
        image.CopyFromBitmap(bitmap->Handle(), bitmap->Transparent(),
                             ColorToRGB(bitmap->TransparentColor()));
    return true;
}

bool AssignIntoHostBitmap(const TQorvPNGObject& image, TGraphic& destination) {
    auto* bitmap = dynamic_cast<TBitmap*>(&destination);
    if (!bitmap)
        return false;
    // An image without a header gives an empty bitmap rather than leaving the
    // old picture in place.
    if (!image.HasHeader() || !image.RequireHeader().ImageData) {
        bitmap->SetHandle(nullptr);
        return true;
    }
    const TChunkIHDR& h = image.RequireHeader();
    const auto* bi = reinterpret_cast<const BITMAPINFO*>(&h.BitmapInfo);
    TWindowDC screen(nullptr);
    bitmap->SetHandle(
        CreateDIBitmap(screen.Get(), &bi->bmiHeader, CBM_INIT, h.ImageData, bi, DIB_RGB_COLORS));
    if (image.TransparencyKindOf() == tkBit) {
        bitmap->SetTransparentColor(static_cast<TColor>(image.TransparentColorOf()));
        bitmap->SetTransparent(true);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Clipboard: through the host bitmap's own formats

void TQorvPNGObject::SaveToClipboardFormat(uint32_t& format, uintptr_t& data) const {
    const int w = Width(), h = Height();
    TBitmap bitmap;
    {
        TWindowDC screen(nullptr);
        HBITMAP handle = CreateCompatibleBitmap(screen.Get(), w, h);
        if (!handle)
            throw EPNGOutMemory();
        bitmap.SetHandle(handle);
        TMemoryDC dc(screen.Get());
        if (!dc.Get())
            throw EPNGOutMemory();
        TSelectObject select(dc.Get(), handle);
        TCanvas canvas(dc.Get());
        const_cast<TQorvPNGObject*>(this)->PaintTo(canvas, TRect{0, 0, w, h});
    }
    bitmap.SaveToClipboardFormat(format, data);
}

void TQorvPNGObject::LoadFromClipboardFormat(uint32_t format, uintptr_t data) {
    TBitmap bitmap;
    bitmap.LoadFromClipboardFormat(format, data);
    CopyFromBitmap(bitmap.Handle(), false, 0);
}
