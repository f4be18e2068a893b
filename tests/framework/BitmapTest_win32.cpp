#include "framework/Graphics_win32.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A 32-bit top-down DIB section filled by `colour(x, y)`.
template <class F>
HBITMAP MakeBitmap(int w, int h, F colour) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<uint32_t*>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = colour(x, y);
            px[y * w + x] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        }
    return bitmap;
}

// Draws `graphic` into a white w x h target and returns the target's pixels.
std::vector<COLORREF> Render(TGraphic& graphic, int w, int h, const TRect& rect) {
    TScreenDC screen;
    TMemoryDC dc(screen.Get());
    TBitmapHandle target(CreateCompatibleBitmap(screen.Get(), w, h));
    TSelectObject select(dc.Get(), target.Get());
    const RECT all{0, 0, w, h};
    FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TCanvas canvas(dc.Get());
    graphic.PaintTo(canvas, rect);
    std::vector<COLORREF> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.push_back(GetPixel(dc.Get(), x, y));
    return out;
}

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

TEST(Bitmap, SavesAndLoadsTheSamePixels) {
    TBitmap bitmap;
    bitmap.SetHandle(MakeBitmap(3, 2, [](int x, int y) { return RGB(x * 80, y * 100, 7); }));
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    stream.SetPosition(0);
    TBitmap copy;
    copy.LoadFromStream(stream);
    ASSERT_EQ(copy.Width(), 3);
    ASSERT_EQ(copy.Height(), 2);
    EXPECT_EQ(Render(copy, 3, 2, {0, 0, 3, 2}), Render(bitmap, 3, 2, {0, 0, 3, 2}));
    EXPECT_EQ(Render(copy, 3, 2, {0, 0, 3, 2})[4], RGB(80, 100, 7));
}

TEST(Bitmap, BrokenFilesAreRefusedAndTheOldPictureKept) {
    TBitmap good;
    good.SetHandle(MakeBitmap(4, 4, [](int, int) { return kRed; }));
    TMemoryStream file;
    good.SaveToStream(file);
    const std::vector<uint8_t> bytes = file.Bytes();

    auto refused = [&](std::vector<uint8_t> broken) {
        TBitmap bitmap;
        bitmap.SetHandle(MakeBitmap(1, 1, [](int, int) { return kBlue; }));
        TMemoryStream s(std::move(broken));
        EXPECT_THROW(bitmap.LoadFromStream(s), Exception);
        return bitmap.Width() == 1;
    };
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> b = bytes;
        std::memcpy(b.data() + at, &value, 4);
        return b;
    };
    EXPECT_TRUE(refused({bytes.begin(), bytes.begin() + 10})); // cut in the header
    EXPECT_TRUE(refused({bytes.begin(), bytes.end() - 1}));    // cut in the pixels
    EXPECT_TRUE(refused(patched(18, 100000)));                 // wider than the data
    EXPECT_TRUE(refused(patched(22, 0x7FFFFFFF)));             // taller than the data
    EXPECT_TRUE(refused(patched(10, 0xFFFFFFF0)));             // pixels past the end
    std::vector<uint8_t> notBmp = bytes;
    notBmp[0] = 'X';
    EXPECT_TRUE(refused(notBmp));
}

TEST(Bitmap, PaintsStretchedOrWithoutItsTransparentColour) {
    TBitmap bitmap; // red with a blue left column, blue at the bottom left
    bitmap.SetHandle(MakeBitmap(2, 2, [](int x, int) { return x == 0 ? kBlue : kRed; }));
    const auto plain = Render(bitmap, 4, 2, {0, 0, 4, 2});
    EXPECT_EQ(plain, (std::vector<COLORREF>{kBlue, kBlue, kRed, kRed, kBlue, kBlue, kRed, kRed}));

    bitmap.SetTransparent(true); // the bottom-left pixel's colour is left out
    EXPECT_EQ(Render(bitmap, 2, 1, {0, 0, 2, 1}), (std::vector<COLORREF>{kWhite, kRed}));
    bitmap.SetTransparentColor(static_cast<TColor>(kRed));
    EXPECT_EQ(Render(bitmap, 2, 1, {0, 0, 2, 1}), (std::vector<COLORREF>{kBlue, kWhite}));
}

TEST(Bitmap, AssignsCopiesAndGoesThroughTheClipboardFormat) {
    TBitmap a;
    a.SetHandle(MakeBitmap(2, 1, [](int x, int) { return x ? kRed : kBlue; }));
    a.SetTransparent(true);
    TBitmap b;
    b.Assign(&a);
    EXPECT_NE(b.Handle(), a.Handle());
    EXPECT_TRUE(b.Transparent());
    uint32_t format = 0;
    uintptr_t data = 0;
    a.SaveToClipboardFormat(format, data);
    EXPECT_EQ(format, static_cast<uint32_t>(CF_BITMAP));
    TBitmap c;
    c.LoadFromClipboardFormat(format, data);
    DeleteObject(reinterpret_cast<HBITMAP>(data));
    EXPECT_EQ(Render(c, 2, 1, {0, 0, 2, 1}), (std::vector<COLORREF>{kBlue, kRed}));
    EXPECT_THROW(c.LoadFromClipboardFormat(CF_TEXT, 1), EInvalidGraphic);
}

} // namespace
