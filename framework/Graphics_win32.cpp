#include "framework/Graphics_win32.h"

#include "framework/Published.h"

namespace {
// A copy of a bitmap as a 32-bit top-down DIB section.
HBITMAP CopyBitmap(HBITMAP source) {
    return static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
} // namespace

void TBitmap::SetHandle(HBITMAP bitmap) {
    FHandle.Reset(bitmap);
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentColor != clDefault || !FHandle)
        return FTransparentColor;
    TScreenDC screen;
    TMemoryDC dc(screen.Get());
    TSelectObject select(dc.Get(), FHandle.Get());
    return static_cast<TColor>(GetPixel(dc.Get(), 0, Height() - 1));
}

void TBitmap::AssignFrom(const TGraphic* source) {
    if (!source) {
        FHandle.Reset();
        return;
    }
    auto* bitmap = dynamic_cast<const TBitmap*>(source);
    if (!bitmap)
        return TGraphic::AssignFrom(source);
    FHandle.Reset(bitmap->FHandle ? CopyBitmap(bitmap->FHandle.Get()) : nullptr);
    FTransparent = bitmap->FTransparent;
    FTransparentColor = bitmap->FTransparentColor;
}

void TBitmap::PaintTo(TCanvas& canvas, const TRect& rect) {
    if (!FHandle)
        return;
    // Before the bitmap is selected here: it can be in one device context only.
    const COLORREF key = FTransparent ? ColorToRGB(TransparentColor()) : 0;
    TMemoryDC source(canvas.Handle());
    TSelectObject select(source.Get(), FHandle.Get());
    if (FTransparent)
        GdiTransparentBlt(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(),
                          source.Get(), 0, 0, Width(), Height(), key);
    else
        StretchBlt(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), source.Get(),
                   0, 0, Width(), Height(), SRCCOPY);
}

int TBitmap::Width() const {
    BITMAP bm{};
    return FHandle && GetObjectA(FHandle.Get(), sizeof bm, &bm) ? bm.bmWidth : 0;
}

int TBitmap::Height() const {
    BITMAP bm{};
    return FHandle && GetObjectA(FHandle.Get(), sizeof bm, &bm) ? bm.bmHeight : 0;
}

void TBitmap::SetWidth(int value) {
    Resize(value, Height());
}
void TBitmap::SetHeight(int value) {
    Resize(Width(), value);
}

void TBitmap::Resize(int width, int height) {
    if (width == Width() && height == Height())
        return;
    TScreenDC screen;
    TBitmapHandle bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!bitmap && width > 0 && height > 0)
        throw EInvalidGraphic("Not enough memory for a bitmap of " + std::to_string(width) + " x " +
                              std::to_string(height));
    if (FHandle && bitmap) { // what fits of the old picture stays
        TMemoryDC from(screen.Get()), to(screen.Get());
        TSelectObject selectFrom(from.Get(), FHandle.Get());
        TSelectObject selectTo(to.Get(), bitmap.Get());
        BitBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, SRCCOPY);
    }
    FHandle = std::move(bitmap);
}

void TBitmap::LoadFromStream(TStream& stream) {
    BITMAPFILEHEADER file{};
    stream.ReadBuffer(&file, sizeof file);
    if (file.bfType != 0x4D42 || file.bfSize < sizeof file + sizeof(BITMAPINFOHEADER))
        throw EInvalidGraphic("Bitmap image is not valid");
    std::vector<uint8_t> rest(file.bfSize - sizeof file);
    stream.ReadBuffer(rest.data(), static_cast<int32_t>(rest.size()));
    auto* info = reinterpret_cast<BITMAPINFO*>(rest.data());
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const uint32_t offset = file.bfOffBits - sizeof file;
    const int64_t rows = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    const int64_t stride = ((static_cast<int64_t>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    // The colour table (or the three masks) lies between header and pixels.
    const int64_t colours = h.biCompression == BI_BITFIELDS ? 3
                            : h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount)
                                                : h.biClrUsed;
    // Every size is checked against what was read before a byte is used.
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || rows == 0 || h.biPlanes != 1 ||
        (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) ||
        (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 16 &&
         h.biBitCount != 24 && h.biBitCount != 32) ||
        offset < h.biSize || offset > rest.size() || h.biSize + colours * 4 > offset ||
        stride * rows > static_cast<int64_t>(rest.size() - offset))
        throw EInvalidGraphic("Bitmap image is not valid");
    void* bits = nullptr;
    TScreenDC screen;
    TBitmapHandle bitmap(CreateDIBSection(screen.Get(), info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        throw EInvalidGraphic("Not enough memory for the bitmap image");
    std::copy(rest.begin() + offset, rest.begin() + offset + stride * rows,
              static_cast<uint8_t*>(bits));
    FHandle = std::move(bitmap);
}

void TBitmap::SaveToStream(TStream& stream) const {
    // Written as a 32-bit bottom-up bitmap file, whatever the device format.
    const int width = Width(), height = Height();
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    std::vector<uint8_t> bits(static_cast<size_t>(width) * height * 4);
    if (FHandle && !bits.empty()) {
        TScreenDC screen;
        if (!GetDIBits(screen.Get(), FHandle.Get(), 0, static_cast<UINT>(height), bits.data(),
                       reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS))
            throw EInvalidGraphic("Cannot read the bitmap's pixels");
        h.biSizeImage = 0;
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof h;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + bits.size());
    stream.WriteBuffer(&file, sizeof file);
    stream.WriteBuffer(&h, sizeof h);
    stream.WriteBuffer(bits.data(), static_cast<int32_t>(bits.size()));
}

void TBitmap::LoadFromClipboardFormat(uint32_t format, uintptr_t data) {
    if (format != CF_BITMAP || !data)
        return TGraphic::LoadFromClipboardFormat(format, data);
    HBITMAP copy = CopyBitmap(reinterpret_cast<HBITMAP>(data));
    if (!copy)
        throw EInvalidGraphic("Cannot read the bitmap on the clipboard");
    FHandle.Reset(copy);
}

void TBitmap::SaveToClipboardFormat(uint32_t& format, uintptr_t& data) const {
    format = CF_BITMAP;
    data = reinterpret_cast<uintptr_t>(FHandle ? CopyBitmap(FHandle.Get()) : nullptr);
}

// -------------------------------------------------------------------- TImage

const TClassInfo& TImage::StaticClass() {
    static const TClassInfo info{"TImage",
                                 &TGraphicControl::StaticClass(),
                                 CreateComponent<TImage>,
                                 {BinaryProp("Picture.Data", &TImage::SetPictureData),
                                  BoolProp("AutoSize", &TImage::SetAutoSize, "False"),
                                  BoolProp("Stretch", &TImage::SetStretch, "False")}};
    return info;
}

void TImage::SetPictureData(const std::vector<uint8_t>& data) {
    TReadOnlyMemoryStream stream(data.data(), data.size());
    FPicture.ReadData(stream);
    PictureChanged();
}

void TImage::SetPicture(const TPicture& picture) {
    FPicture.Assign(picture);
    PictureChanged();
}

void TImage::SetAutoSize(bool value) {
    if (FAutoSize != value) {
        FAutoSize = value;
        if (value)
            PictureChanged();
    }
}

void TImage::PictureChanged() {
    if (FAutoSize) {
        const TGraphic* graphic = FPicture.Graphic();
        const bool shown = graphic && !graphic->Empty();
        SetBounds(FLeft, FTop, shown ? graphic->Width() : 0, shown ? graphic->Height() : 0);
    }
    Invalidate();
}

void TImage::SetStretch(bool value) {
    FStretch = value;
    Invalidate();
}

void TImage::Paint(HDC dc) {
    TGraphic* graphic = FPicture.Graphic();
    if (!graphic || graphic->Empty())
        return;
    TCanvas canvas(dc);
    const TRect r = FStretch
                        ? BoundsRect()
                        : TRect{FLeft, FTop, FLeft + graphic->Width(), FTop + graphic->Height()};
    graphic->PaintTo(canvas, r);
}

void RegisterGraphicClasses() {
    RegisterGraphicClass({"TBitmap", "BMP", "Bitmaps", [] { return std::make_unique<TBitmap>(); }});
}
