// Windows side of the image: the pixel store as a DIB section selected into
// its own memory device context, the logical palette, drawing, the host
// bitmap and the clipboard.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "framework/Gdi_win32.h"
#include "framework/Graphics_win32.h"
#include "png/QorvFormatPNG_internal.h"

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(TPNGBitmapInfoHeader));
static_assert(sizeof(RGBQUAD) == sizeof(TPNGRGBQuad));

namespace {
// What failed, and the system's own text for the last error when it set one
// (GDI often does not).
std::string FailedCall(const char* what) {
    std::string text = std::string(what) + " failed.";
    const DWORD code = GetLastError();
    if (code == 0)
        return text;
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    text += " (" + std::to_string(code) + ")";
    if (length > 0 && buffer) {
        std::string message(buffer, length);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
            message.pop_back();
        text += " " + message;
    }
    if (buffer)
        LocalFree(buffer);
    return text;
}

[[noreturn]] void RaiseOutOfResources(const char* what) {
    throw EPNGOutMemory(FailedCall(what));
}

class TPNGDIBPixelStore : public TPNGPixelStore {
public:
    ~TPNGDIBPixelStore() override { Release(); }

    uint8_t* Allocate(const TPNGBitmapInfo& info, size_t size) override {
        Release();
        FDC = CreateCompatibleDC(nullptr);
        if (!FDC)
            RaiseOutOfResources("CreateCompatibleDC");
        void* bits = nullptr;
        FBitmap = CreateDIBSection(FDC, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
        if (!FBitmap || !bits) {
            const std::string failure = FailedCall("CreateDIBSection");
            Release();
            throw EPNGOutMemory(failure);
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

std::unique_ptr<TPNGPixelStore> NewPNGPixelStore() {
    return std::make_unique<TPNGDIBPixelStore>();
}

uintptr_t TQorvPNGObject::PaletteHandle() const {
    const TChunkIHDR& h = RequireHeader();
    if (h.ColorType != ctGreyscale && h.ColorType != ctPalette)
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

// Raster operation "destination and not source".
constexpr DWORD DSna = 0x00220326;

// Draws the image with the background showing through the pixels the key
// rule names (TransparentPixelsOf). The rule is applied to the source pixels
// themselves, so stretching never moves the transparency off its pixels.
void DrawKeyedBitmap(HDC dc, const TQorvPNGObject& image, const TRect& rect) {
    const TChunkIHDR& h = image.RequireHeader();
    // Monochrome and compatible bitmaps cannot have negative sizes: a
    // reversed rectangle draws into its normalised form.
    const TRect r = Normalised(rect);
    const int W = r.Width(), H = r.Height();
    if (W == 0 || H == 0)
        return;
    const int sw = static_cast<int>(h.Width), sh = static_cast<int>(h.Height);
    const auto* bi = reinterpret_cast<const BITMAPINFO*>(&h.BitmapInfo);

    // The rule as a monochrome bitmap of the image's size: rows top-down,
    // padded to 16 bits, bit set where the background shows.
    const std::vector<uint8_t> transparent = TransparentPixelsOf(image);
    const size_t stride = (size_t(sw) + 15) / 16 * 2;
    std::vector<uint8_t> maskBits(stride * size_t(sh), 0);
    for (size_t y = 0; y < size_t(sh); ++y)
        for (size_t x = 0; x < size_t(sw); ++x)
            if (transparent[y * size_t(sw) + x])
                maskBits[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));

    TMemoryDC imageDC(dc), sourceMaskDC(dc), maskDC(dc), resultDC(dc);
    if (!imageDC.Get() || !sourceMaskDC.Get() || !maskDC.Get() || !resultDC.Get())
        RaiseOutOfResources("CreateCompatibleDC");
    TBitmapHandle picture(
        CreateDIBitmap(dc, &bi->bmiHeader, CBM_INIT, h.ImageData, bi, DIB_RGB_COLORS));
    if (!picture)
        RaiseOutOfResources("CreateDIBitmap");
    TBitmapHandle sourceMask(CreateBitmap(sw, sh, 1, 1, maskBits.data()));
    TBitmapHandle mask(CreateBitmap(W, H, 1, 1, nullptr));
    if (!sourceMask || !mask)
        RaiseOutOfResources("CreateBitmap");
    TBitmapHandle result(CreateCompatibleBitmap(dc, W, H));
    if (!result)
        RaiseOutOfResources("CreateCompatibleBitmap");
    TSelectObject selectImage(imageDC.Get(), picture.Get());
    TSelectObject selectSourceMask(sourceMaskDC.Get(), sourceMask.Get());
    TSelectObject selectMask(maskDC.Get(), mask.Get());
    TSelectObject selectResult(resultDC.Get(), result.Get());
    // Stretching picks pixels; it never mixes them.
    for (HDC m : {maskDC.Get(), resultDC.Get()})
        SetStretchBltMode(m, COLORONCOLOR);

    // The image black where it is transparent, the background black where
    // it is not; the two together are the picture.
    BitBlt(imageDC.Get(), 0, 0, sw, sh, sourceMaskDC.Get(), 0, 0, DSna);
    StretchBlt(maskDC.Get(), 0, 0, W, H, sourceMaskDC.Get(), 0, 0, sw, sh, SRCCOPY);
    BitBlt(resultDC.Get(), 0, 0, W, H, dc, r.Left, r.Top, SRCCOPY);
    BitBlt(resultDC.Get(), 0, 0, W, H, maskDC.Get(), 0, 0, SRCAND);
    StretchBlt(resultDC.Get(), 0, 0, W, H, imageDC.Get(), 0, 0, sw, sh, SRCPAINT);
    BitBlt(dc, r.Left, r.Top, W, H, resultDC.Get(), 0, 0, SRCCOPY);
}

void DrawBlended(HDC dc, const TQorvPNGObject& image, const TRect& rect) {
    if (rect.Left == rect.Right || rect.Top == rect.Bottom)
        return;
    const TRect r = Normalised(rect);
    const int W = r.Width(), H = r.Height();
    TMemoryDC memory(nullptr);
    if (!memory.Get())
        RaiseOutOfResources("CreateCompatibleDC");
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
        RaiseOutOfResources("CreateDIBSection");
    TSelectObject select(memory.Get(), section.Get());
    BitBlt(memory.Get(), 0, 0, W, H, dc, r.Left, r.Top, SRCCOPY);
    GdiFlush();
    BlendImageOver(image, static_cast<uint8_t*>(bits), W, H);
    BitBlt(dc, r.Left, r.Top, W, H, memory.Get(), 0, 0, SRCCOPY);
}
} // namespace

void TQorvPNGObject::PaintTo(TCanvas& canvas, const TRect& rect) {
    if (Empty() || !HasHeader() || !RequireHeader().ImageData)
        return;
    TChunkIHDR& h = RequireHeader();
    HDC dc = canvas.Handle();
    switch (TransparencyKindOf()) {
    case tkBit:
        DrawKeyedBitmap(dc, *this, rect);
        break;
    case tkPartial:
        DrawBlended(dc, *this, rect);
        break;
    case tkNone:
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), 0, 0,
                      static_cast<int>(h.Width), static_cast<int>(h.Height), h.ImageData,
                      reinterpret_cast<const BITMAPINFO*>(&h.BitmapInfo), DIB_RGB_COLORS, SRCCOPY);
        break;
    }
}

// ---------------------------------------------------------------------------
// Host bitmap

void TQorvPNGObject::CopyFromBitmap(void* handle, bool transparent, uint32_t color) {
    HBITMAP bitmap = static_cast<HBITMAP>(handle);
    BITMAP bm{};
    if (!bitmap)
        throw EPngError("The bitmap cannot be read: there is none.");
    if (GetObject(bitmap, sizeof bm, &bm) == 0)
        throw EPngError("The bitmap cannot be read. " + FailedCall("GetObject"));
    const int bits = bm.bmBitsPixel;
    RemoveAllChunks();
    auto* header = FChunks->Append(std::make_unique<TChunkIHDR>(this));
    TChunkPLTE* palette = bits < 16 ? FChunks->Append(std::make_unique<TChunkPLTE>(this)) : nullptr;
    TChunktRNS* trns = transparent ? FChunks->Append(std::make_unique<TChunktRNS>(this)) : nullptr;
    FChunks->Append(std::make_unique<TChunkIDAT>(this));
    FChunks->Append(std::make_unique<TChunkIEND>(this));

    header->Width = static_cast<uint32_t>(bm.bmWidth);
    header->Height = static_cast<uint32_t>(std::abs(bm.bmHeight));
    header->BitDepth = static_cast<uint8_t>(bits < 16 ? bits : 8);
    header->ColorType = bits < 16 ? ctPalette : ctRGB;
    header->CompressionMethod = 0;
    header->FilterMethod = 0;
    header->InterlaceMethod = 0;
    header->PrepareImage();
    TMemoryDC dc(nullptr);
    if (!dc.Get())
        RaiseOutOfResources("CreateCompatibleDC");
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
    HBITMAP handle =
        CreateDIBitmap(screen.Get(), &bi->bmiHeader, CBM_INIT, h.ImageData, bi, DIB_RGB_COLORS);
    if (!handle)
        RaiseOutOfResources("CreateDIBitmap");
    bitmap->SetHandle(handle);
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
            RaiseOutOfResources("CreateCompatibleBitmap");
        bitmap.SetHandle(handle);
        TMemoryDC dc(screen.Get());
        if (!dc.Get())
            RaiseOutOfResources("CreateCompatibleDC");
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
