// The pixel store contract, for the heap store and for the platform's store
// (the DIB section on Windows): zeroed bottom-up rows of the asked size, the
// colour table kept with the bitmap, and a clean release.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"

namespace {
using TStoreFactory = std::function<std::unique_ptr<TPNGPixelStore>()>;

class PixelStoreContract : public testing::TestWithParam<const char*> {
protected:
    std::unique_ptr<TPNGPixelStore> NewStore() const {
        if (std::string(GetParam()) == "heap")
            return std::make_unique<TPNGHeapPixelStore>();
        return NewPNGPixelStore();
    }

    static TPNGBitmapInfo Info(int width, int height, int bits) {
        TPNGBitmapInfo info{};
        info.bmiHeader.biSize = 40;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<uint16_t>(bits);
        for (int i = 0; i < 256; ++i)
            info.bmiColors[i] = TPNGRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        return info;
    }
};
} // namespace

TEST_P(PixelStoreContract, AllocatesZeroedWritableRows) {
    auto store = NewStore();
    for (int bits : {1, 4, 8, 24}) {
        const int width = 37, height = 5;
        const size_t stride = ((size_t(bits) * width + 31) / 32) * 4;
        uint8_t* bits0 = store->Allocate(Info(width, height, bits), stride * height);
        ASSERT_NE(bits0, nullptr);
        EXPECT_EQ(store->Bits(), bits0);
        for (size_t i = 0; i < stride * height; ++i)
            ASSERT_EQ(bits0[i], 0) << i;
        std::memset(bits0, 0xA5, stride * height);
    }
    store->Release();
    EXPECT_EQ(store->Bits(), nullptr);
    store->Release(); // twice is harmless
}

TEST_P(PixelStoreContract, KeepsTheColourTable) {
    auto store = NewStore();
    const TPNGBitmapInfo info = Info(3, 3, 8);
    ASSERT_NE(store->Allocate(info, 12), nullptr);
    TPNGRGBQuad table[256];
    store->GetColorTable(table, 256);
    EXPECT_EQ(table[200].rgbGreen, 200); // from the bitmap header
    for (int i = 0; i < 256; ++i)
        table[i] = TPNGRGBQuad{uint8_t(255 - i), uint8_t(i / 2), uint8_t(7), 0};
    store->SetColorTable(table, 256);
    TPNGRGBQuad back[256];
    store->GetColorTable(back, 256);
    EXPECT_EQ(std::memcmp(table, back, sizeof table), 0);
}

TEST_P(PixelStoreContract, DecodedPaletteReachesTheStore) {
    if (std::string(GetParam()) == "heap")
        GTEST_SKIP() << "the image uses the platform's store";
    std::vector<uint8_t> plte;
    for (int i = 0; i < 4; ++i) {
        plte.push_back(uint8_t(60 * i));
        plte.push_back(10);
        plte.push_back(uint8_t(250 - i));
    }
    TQorvPNGObject image;
    LoadPng(image, MakePng(2, 2, 8, 3, {{0, 1}, {2, 3}}, false, {{"PLTE", plte}}));
    const TChunkIHDR& h = image.RequireHeader();
    ASSERT_NE(h.Store(), nullptr);
    EXPECT_EQ(h.Store()->Bits(), h.ImageData);
    TPNGRGBQuad table[256];
    h.Store()->GetColorTable(table, 256);
    EXPECT_EQ(std::memcmp(table, h.BitmapInfo.bmiColors, sizeof table), 0);
#ifdef _WIN32
    EXPECT_NE(h.ImageHandle(), nullptr);
    EXPECT_NE(h.ImageDC(), nullptr);
    EXPECT_NE(image.PaletteHandle(), 0u);
#else
    EXPECT_EQ(h.ImageHandle(), nullptr);
#endif
}

INSTANTIATE_TEST_SUITE_P(Stores, PixelStoreContract, testing::Values("heap", "platform"));
