// Drawing into a memory device context and reading the pixels back, and the
// conversions to and from the host bitmap.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>

#include "framework/Gdi_win32.h"
#include "framework/Graphics_win32.h"
#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"
#include "tests/tools/DibSurface_win32.h"

namespace {
// A surface filled with one colour that pictures are drawn on.
class TSurface : public TDibSurface {
public:
    using TDibSurface::TDibSurface;
    void Draw(TQorvPNGObject& image, TRect rect) {
        TCanvas canvas(DC());
        image.PaintTo(canvas, rect);
        GdiFlush();
    }
};

// 2 x 2 RGB: red, green / blue, white.
std::vector<uint8_t>
FourColours(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& extra = {}) {
    return MakePng(2, 2, 8, 2, {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 255, 255, 255}}, false, extra);
}
} // namespace

TEST(PngDraw, PlainAtAndAwayFromItsSize) {
    TQorvPNGObject image;
    LoadPng(image, FourColours());
    ASSERT_EQ(image.TransparencyKindOf(), tkNone);
    TSurface s(6, 6, RGB(1, 2, 3));
    s.Draw(image, {1, 1, 3, 3});
    EXPECT_EQ(s.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(s.At(2, 1), RGB(0, 255, 0));
    EXPECT_EQ(s.At(1, 2), RGB(0, 0, 255));
    EXPECT_EQ(s.At(2, 2), RGB(255, 255, 255));
    EXPECT_EQ(s.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(s.At(3, 3), RGB(1, 2, 3));
    TSurface big(4, 4, RGB(1, 2, 3));
    big.Draw(image, {0, 0, 4, 4});
    EXPECT_EQ(big.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(big.At(3, 0), RGB(0, 255, 0));
    EXPECT_EQ(big.At(0, 3), RGB(0, 0, 255));
    EXPECT_EQ(big.At(3, 3), RGB(255, 255, 255));
}

TEST(PngDraw, KeyedShowsTheBackgroundWhereTheKeyIs) {
    // Green is the transparent colour.
    TQorvPNGObject image;
    LoadPng(image, FourColours({{"tRNS", {0, 0, 0, 255, 0, 0}}}));
    ASSERT_EQ(image.TransparencyKindOf(), tkBit);
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        TSurface s(4, 4, RGB(9, 8, 7));
        s.Draw(image, {0, 0, 2 * scale, 2 * scale});
        for (int y = 0; y < 2 * scale; ++y)
            for (int x = 0; x < 2 * scale; ++x) {
                const int sx = x / scale, sy = y / scale;
                const COLORREF expected = sy == 0   ? (sx == 0 ? RGB(255, 0, 0) : RGB(9, 8, 7))
                                          : sx == 0 ? RGB(0, 0, 255)
                                                    : RGB(255, 255, 255);
                EXPECT_EQ(s.At(x, y), expected) << x << "," << y;
            }
    }
}

TEST(PngDraw, KeyedShowsTheBackgroundExactlyWhereTheFileKeyIs) {
    // Grey of every depth and RGB, with and without gamma, which may give a
    // neighbour of the key the key's colour; 16 bits differ in the low byte.
    const COLORREF background = RGB(1, 254, 3);
    uint32_t seed = 40;
    for (const auto& [type, depth] :
         {std::pair<uint8_t, uint8_t>{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}}) {
        for (uint32_t gamma : {0u, 100000u}) {
            const TKeyedImage keyed =
                MakeKeyedImage(type, depth, gamma, false, seed++, KeyFor(type, depth));
            TQorvPNGObject image;
            LoadPng(image, keyed.Bytes);
            ASSERT_EQ(image.TransparencyKindOf(), tkBit);
            const int w = int(keyed.Width), h = int(keyed.Height);
            for (int scale : {1, 2}) {
                SCOPED_TRACE(testing::Message() << "type " << int(type) << " depth " << int(depth)
                                                << " gamma " << gamma << " scale " << scale);
                TSurface s(w * scale + 2, h * scale + 2, background);
                s.Draw(image, {1, 1, 1 + w * scale, 1 + h * scale});
                int wrong = 0;
                for (int y = 0; y < h * scale; ++y)
                    for (int x = 0; x < w * scale; ++x) {
                        const int sx = x / scale, sy = y / scale;
                        const TPNGRGBQuad c = StoredColor(image, sx, sy);
                        const COLORREF expected = keyed.KeyPixels[size_t(sy * w + sx)]
                                                      ? background
                                                      : RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
                        wrong += s.At(1 + x, 1 + y) != expected;
                    }
                EXPECT_EQ(wrong, 0);
                EXPECT_EQ(s.At(0, 0), background);
            }
        }
    }
}

TEST(PngDraw, Blended) {
    TQorvPNGObject image;
    LoadPng(image, MakePng(2, 1, 8, 4, {{200, 128, 0, 255}}));
    ASSERT_EQ(image.TransparencyKindOf(), tkPartial);
    TSurface s(6, 4, RGB(255, 255, 255));
    s.Draw(image, {0, 0, 2, 1});
    EXPECT_EQ(s.At(0, 0), RGB(227, 227, 227));
    EXPECT_EQ(s.At(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(s.At(2, 0), RGB(255, 255, 255));
    // Given right to left and bottom to top: the normalised rectangle.
    s.Draw(image, {4, 2, 2, 1});
    EXPECT_EQ(s.At(2, 1), RGB(227, 227, 227));
    EXPECT_EQ(s.At(3, 1), RGB(0, 0, 0));
    // Empty rectangles draw nothing.
    s.Draw(image, {0, 3, 0, 4});
    s.Draw(image, {0, 3, 2, 3});
    EXPECT_EQ(s.At(0, 3), RGB(255, 255, 255));
    // Twice the size.
    TSurface big(4, 2, RGB(255, 255, 255));
    big.Draw(image, {0, 0, 4, 2});
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(big.At(0, y), RGB(227, 227, 227));
        EXPECT_EQ(big.At(1, y), RGB(227, 227, 227));
        EXPECT_EQ(big.At(2, y), RGB(0, 0, 0));
        EXPECT_EQ(big.At(3, y), RGB(0, 0, 0));
    }
}

TEST(PngDraw, EmptyImageDrawsNothing) {
    TQorvPNGObject image;
    TSurface s(2, 2, RGB(5, 5, 5));
    s.Draw(image, {0, 0, 2, 2});
    EXPECT_EQ(s.At(0, 0), RGB(5, 5, 5));
}

TEST(PngBitmap, RoundTripThroughTheHostBitmap) {
    TQorvPNGObject image;
    LoadPng(image, FourColours({{"tRNS", {0, 0, 0, 255, 0, 0}}}));
    TBitmap bitmap;
    bitmap.Assign(&image);
    ASSERT_FALSE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_TRUE(bitmap.Transparent());
    EXPECT_EQ(bitmap.TransparentColor(), RGB(0, 255, 0));

    TQorvPNGObject back;
    back.Assign(&bitmap);
    ASSERT_EQ(back.Width(), 2);
    EXPECT_EQ(back.RequireHeader().ColorType, 2);
    EXPECT_EQ(back.ReadPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(back.ReadPixel(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(back.ReadPixel(0, 1), RGB(0, 0, 255));
    EXPECT_EQ(back.ReadPixel(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(back.TransparencyKindOf(), tkBit);
    EXPECT_EQ(back.TransparentColorOf(), RGB(0, 255, 0));

    // The image built from the bitmap writes and reads back.
    TMemoryStream out;
    back.SaveToStream(out);
    TQorvPNGObject again;
    LoadPng(again, out.Bytes());
    EXPECT_EQ(again.ReadPixel(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(again.TransparentColorOf(), RGB(0, 255, 0));

    // An empty image empties the bitmap.
    TQorvPNGObject empty;
    bitmap.Assign(&empty);
    EXPECT_TRUE(bitmap.Empty());
}

TEST(PngBitmap, PaletteBitmapChunkOrder) {
    // An 8-bit DIB section with a 4-entry palette; entry 2 is the key.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } bi{};
    bi.h.biSize = sizeof bi.h;
    bi.h.biWidth = 4;
    bi.h.biHeight = 1;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = 8;
    bi.h.biClrUsed = 4;
    bi.colors[1] = {0, 0, 255, 0};
    bi.colors[2] = {0, 255, 0, 0};
    bi.colors[3] = {255, 0, 0, 0};
    void* bits = nullptr;
    TBitmapHandle dib(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                                       &bits, nullptr, 0));
    ASSERT_TRUE(dib);
    static const uint8_t row[4] = {0, 1, 2, 3};
    std::memcpy(bits, row, 4);
    GdiFlush();

    TQorvPNGObject image;
    image.CopyFromBitmap(dib.Get(), true, RGB(0, 255, 0));
    std::vector<std::string> names;
    for (int i = 0; i < image.Chunks().Count(); ++i)
        names.push_back(image.Chunks().ChunkAt(i)->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}));
    EXPECT_EQ(image.RequireHeader().BitDepth, 8);
    EXPECT_EQ(image.RequireHeader().ColorType, 3);
    EXPECT_EQ(image.Chunks().Find<TChunkPLTE>()->Count(), 256);
    EXPECT_EQ(image.ReadPixel(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(image.TransparentColorOf(), RGB(0, 255, 0));
    TMemoryStream out;
    image.SaveToStream(out);
    TQorvPNGObject back;
    LoadPng(back, out.Bytes());
    EXPECT_EQ(back.ReadPixel(3, 0), RGB(0, 0, 255));
    EXPECT_EQ(back.TransparencyKindOf(), tkBit);
}

TEST(PngClipboard, ThroughTheBitmapFormat) {
    TQorvPNGObject image;
    LoadPng(image, FourColours());
    uint32_t format = 0;
    uintptr_t data = 0;
    image.SaveToClipboardFormat(format, data);
    EXPECT_EQ(format, uint32_t(CF_BITMAP));
    ASSERT_NE(data, 0u);
    TQorvPNGObject back;
    back.LoadFromClipboardFormat(format, data);
    DeleteObject(reinterpret_cast<HBITMAP>(data));
    ASSERT_EQ(back.Width(), 2);
    EXPECT_EQ(back.ReadPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(back.ReadPixel(1, 1), RGB(255, 255, 255));
}
