// The key rule of keyed drawing: which pixels of a grey, RGB or palette image
// with a tRNS chunk let the background through, and the key colour as the
// pixels hold it. The blits themselves are tested under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"

namespace {
struct TKeyLayout {
    uint8_t colorType, bitDepth;
};
const TKeyLayout KeyLayouts[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}};

uint32_t AsColor(const TPNGRGBQuad& q) {
    return uint32_t(q.rgbRed) | uint32_t(q.rgbGreen) << 8 | uint32_t(q.rgbBlue) << 16;
}

// The file with the data of its chunk `name` replaced (same length).
std::vector<uint8_t> WithChunkData(std::vector<uint8_t> bytes, const std::string& name,
                                   const std::vector<uint8_t>& data) {
    const auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
    const std::vector<uint8_t> chunk = TPngBuilder().Chunk(name, data).Bytes();
    std::copy(chunk.begin() + 16, chunk.end(), at + 4);
    return bytes;
}

std::vector<uint8_t> Written(TQorvPNGObject& image) {
    TMemoryStream out;
    image.WriteStream(out);
    return out.Bytes();
}
} // namespace

TEST(KeyRule, TransparentExactlyWhereTheFileSamplesEqualTheKey) {
    uint32_t seed = 1;
    for (const TKeyLayout& l : KeyLayouts) {
        for (uint32_t gamma : {0u, 100000u, 45000u}) {
            for (bool interlaced : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << "type " << int(l.colorType) << " depth " << int(l.bitDepth)
                             << " gamma " << gamma << (interlaced ? " interlaced" : ""));
                const TKeyedImage keyed = MakeKeyedImage(l.colorType, l.bitDepth, gamma, interlaced,
                                                         seed++, KeyFor(l.colorType, l.bitDepth));
                TQorvPNGObject image;
                LoadPng(image, keyed.Bytes);
                ASSERT_EQ(image.TransparencyKindOf(), tkBit);
                EXPECT_EQ(TransparentPixelsOf(image), keyed.KeyPixels);
                // The key colour is what the key's pixels hold.
                const auto first = std::find(keyed.KeyPixels.begin(), keyed.KeyPixels.end(), 1);
                ASSERT_NE(first, keyed.KeyPixels.end());
                const int at = int(first - keyed.KeyPixels.begin());
                EXPECT_EQ(
                    image.TransparentColorOf(),
                    AsColor(StoredColor(image, at % int(keyed.Width), at / int(keyed.Width))));
                // A copy keys the same pixels.
                TQorvPNGObject copy;
                copy.Assign(&image);
                EXPECT_EQ(TransparentPixelsOf(copy), keyed.KeyPixels);
            }
        }
    }
}

TEST(KeyRule, WritingKeepsTheFilesKey) {
    for (const TKeyLayout& l : KeyLayouts) {
        SCOPED_TRACE(testing::Message()
                     << "type " << int(l.colorType) << " depth " << int(l.bitDepth));
        const std::vector<unsigned> key = KeyFor(l.colorType, l.bitDepth);
        const TKeyedImage keyed = MakeKeyedImage(l.colorType, l.bitDepth, 0, false, 99, key);
        TQorvPNGObject image;
        LoadPng(image, keyed.Bytes);
        TQorvPNGObject back;
        LoadPng(back, Written(image));
        const auto* trns = back.Chunks().Find<TChunktRNS>();
        ASSERT_NE(trns, nullptr);
        // 2-bit grey is written as 4-bit, its samples and its key five times
        // larger; 16-bit samples lose their low byte, so only the key itself
        // can be compared.
        const unsigned scale = l.colorType == 0 && l.bitDepth == 2 ? 5 : 1;
        for (size_t c = 0; c < key.size(); ++c)
            EXPECT_EQ(BigEndian16(trns->PaletteValues + 2 * c), key[c] * scale);
        if (l.bitDepth != 16) {
            EXPECT_EQ(TransparentPixelsOf(back), keyed.KeyPixels);
        }
    }
}

TEST(KeyRule, KeysOutsideTheSampleRangeMatchNothing) {
    // 25 does not fit in 4 bits, 0x1FB not in 8: their low bits are pixels
    // like any other.
    for (const auto& [layout, key, wide] :
         {std::tuple{TKeyLayout{0, 4}, std::vector<unsigned>{9}, std::vector<unsigned>{25}},
          std::tuple{TKeyLayout{2, 8}, std::vector<unsigned>{250, 3, 251},
                     std::vector<unsigned>{250, 3, 0x1FB}}}) {
        SCOPED_TRACE(int(layout.colorType));
        const TKeyedImage keyed =
            MakeKeyedImage(layout.colorType, layout.bitDepth, 0, false, 5, key);
        std::vector<uint8_t> data;
        for (unsigned k : wide)
            data.insert(data.end(), {uint8_t(k >> 8), uint8_t(k)});
        TQorvPNGObject image;
        LoadPng(image, WithChunkData(keyed.Bytes, "tRNS", data));
        EXPECT_EQ(TransparentPixelsOf(image), std::vector<uint8_t>(keyed.KeyPixels.size(), 0));
    }
}

TEST(KeyRule, StoredColourKeysAndPaintedPixels) {
    // A palette key is the colour of the first fully transparent entry.
    const std::vector<uint8_t> plte = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    TQorvPNGObject image;
    LoadPng(image,
            MakePng(4, 1, 8, 3, {{0, 1, 2, 1}}, false, {{"PLTE", plte}, {"tRNS", {255, 0}}}));
    ASSERT_EQ(image.TransparencyKindOf(), tkBit);
    EXPECT_EQ(TransparentPixelsOf(image), (std::vector<uint8_t>{0, 1, 0, 1}));

    // A key given as a colour replaces the file's: pixels of that colour.
    const TKeyedImage keyed = MakeKeyedImage(2, 8, 0, false, 3, KeyFor(2, 8));
    LoadPng(image, keyed.Bytes);
    const uint32_t colour = image.ReadPixel(0, 0);
    image.Chunks().Find<TChunktRNS>()->AssignTransparentColor(colour);
    const std::vector<uint8_t> mask = TransparentPixelsOf(image);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(mask[size_t(y) * 13 + x], image.ReadPixel(x, y) == colour ? 1 : 0);

    // Painting over a keyed pixel makes it opaque; painting the key colour
    // makes a pixel transparent.
    LoadPng(image, keyed.Bytes);
    const uint32_t key = image.TransparentColorOf();
    const auto first = std::find(keyed.KeyPixels.begin(), keyed.KeyPixels.end(), 1);
    const auto opaque = std::find(keyed.KeyPixels.begin(), keyed.KeyPixels.end(), 0);
    const int k = int(first - keyed.KeyPixels.begin()), o = int(opaque - keyed.KeyPixels.begin());
    image.WritePixel(k % 13, k / 13, key ^ 0x010101);
    image.WritePixel(o % 13, o / 13, key);
    std::vector<uint8_t> expected = keyed.KeyPixels;
    expected[size_t(k)] = 0;
    expected[size_t(o)] = 1;
    EXPECT_EQ(TransparentPixelsOf(image), expected);
}
