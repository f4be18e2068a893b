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

namespace {
struct TAssignLayout {
    uint8_t colorType, bitDepth;
};

// A 7 x 3 image of random samples (palette images over a palette of their
// depth's size, at most 20 entries), with a gAMA chunk when gamma is not 0
// and a tRNS chunk that keys nothing.
std::vector<uint8_t> RandomImage(const TAssignLayout& l, uint32_t gamma, uint32_t seed) {
    const uint32_t width = 7, height = 3;
    const int channels = l.colorType == 2 ? 3 : 1;
    const unsigned top = l.colorType == 3 ? std::min(1u << l.bitDepth, 20u) - 1
                                          : (1u << std::min<int>(l.bitDepth, 16)) - 1;
    uint32_t state = seed;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % (top + 1);
    };
    std::vector<std::vector<uint8_t>> rows;
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> row((width * channels * l.bitDepth + 7) / 8, 0);
        for (uint32_t i = 0; i < width * channels; ++i) {
            const unsigned v = next();
            if (l.bitDepth == 16) {
                row[2 * i] = uint8_t(v >> 8);
                row[2 * i + 1] = uint8_t(v);
            } else if (l.bitDepth == 8) {
                row[i] = uint8_t(v);
            } else {
                const unsigned bit = i * l.bitDepth;
                row[bit / 8] |= uint8_t(v << (8 - l.bitDepth - bit % 8));
            }
        }
        rows.push_back(row);
    }
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks;
    if (gamma)
        chunks.push_back(
            {"gAMA",
             {uint8_t(gamma >> 24), uint8_t(gamma >> 16), uint8_t(gamma >> 8), uint8_t(gamma)}});
    if (l.colorType == 3) {
        std::vector<uint8_t> plte;
        for (unsigned i = 0; i <= top; ++i)
            plte.insert(plte.end(), {uint8_t(13 * i), uint8_t(250 - 7 * i), uint8_t(40 + 9 * i)});
        chunks.push_back({"PLTE", plte});
        chunks.push_back({"tRNS", {255}});
    } else {
        // A key outside the samples' range (16 bits: one the rows hardly
        // ever hold); the tests assign their own.
        const unsigned wide = l.bitDepth == 16 ? 0 : 1u << l.bitDepth;
        std::vector<uint8_t> key;
        for (int c = 0; c < channels; ++c)
            key.insert(key.end(), {uint8_t(wide >> 8), uint8_t(wide)});
        chunks.push_back({"tRNS", key});
    }
    return MakePng(width, height, l.bitDepth, l.colorType, rows, false, chunks);
}

std::vector<uint8_t> PixelsOfColour(TQorvPNGObject& image, uint32_t colour) {
    std::vector<uint8_t> mask;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            mask.push_back(image.ReadPixel(x, y) == colour ? 1 : 0);
    return mask;
}
} // namespace

TEST(AssignedKeys, ReadBackAsAssignedAndWrittenAlike) {
    const TAssignLayout layouts[] = {{0, 1},  {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8},
                                     {2, 16}, {3, 1}, {3, 2}, {3, 4}, {3, 8}};
    uint32_t seed = 11;
    for (const TAssignLayout& l : layouts) {
        for (uint32_t gamma : {0u, 100000u, 45000u}) {
            SCOPED_TRACE(testing::Message() << "type " << int(l.colorType) << " depth "
                                            << int(l.bitDepth) << " gamma " << gamma);
            const std::vector<uint8_t> file = RandomImage(l, gamma, seed++);
            for (const auto& [x, y] : {std::pair{0, 0}, std::pair{3, 1}, std::pair{6, 2}}) {
                TQorvPNGObject image;
                LoadPng(image, file);
                const uint32_t colour = image.ReadPixel(x, y);
                image.Chunks().Find<TChunktRNS>()->AssignTransparentColor(colour);
                EXPECT_EQ(image.TransparencyKindOf(), tkBit);
                EXPECT_EQ(image.TransparentColorOf(), colour);
                const std::vector<uint8_t> mask = PixelsOfColour(image, colour);
                EXPECT_EQ(TransparentPixelsOf(image), mask);

                TQorvPNGObject back;
                LoadPng(back, Written(image));
                EXPECT_EQ(back.TransparentColorOf(), colour);
                // Gamma may give two grey samples one colour; the file keys
                // one sample, so only without gamma are the masks sure to match.
                if (gamma == 0 || l.colorType != 0) {
                    EXPECT_EQ(TransparentPixelsOf(back), mask);
                }
            }
        }
    }
}

TEST(AssignedKeys, ColoursTheImageCannotHold) {
    // 16-bit RGB: the key is the high byte, as the pixels hold it.
    TQorvPNGObject image;
    LoadPng(image, RandomImage({2, 16}, 0, 3));
    auto* trns = image.Chunks().Find<TChunktRNS>();
    trns->AssignTransparentColor(RGBOf(10, 20, 30));
    EXPECT_EQ(image.TransparentColorOf(), RGBOf(10, 20, 30));
    EXPECT_EQ(BigEndian16(trns->PaletteValues), 10u << 8);

    // 8-bit grey under gAMA 1.0: a grey no sample reaches gives the nearest
    // one that is reached, not a brighter one.
    LoadPng(image, RandomImage({0, 8}, 100000, 4));
    image.Chunks().Find<TChunktRNS>()->AssignTransparentColor(RGBOf(128, 128, 128));
    const uint32_t key = image.TransparentColorOf();
    const TGammaTable& g = image.GammaTable();
    int nearest = 0;
    for (int i = 0; i < 256; ++i)
        if (std::abs(g[i] - 128) < std::abs(g[nearest] - 128))
            nearest = i;
    EXPECT_EQ(key, RGBOf(g[nearest], g[nearest], g[nearest]));

    // 1-bit grey: white is sample 1, and stays keyed through a file.
    LoadPng(image, RandomImage({0, 1}, 0, 5));
    image.Chunks().Find<TChunktRNS>()->AssignTransparentColor(0xFFFFFF);
    TQorvPNGObject back;
    LoadPng(back, Written(image));
    EXPECT_EQ(back.Chunks().Find<TChunktRNS>()->PaletteValues[1], 1);
    EXPECT_EQ(TransparentPixelsOf(back), PixelsOfColour(back, 0xFFFFFF));

    // Palette: only the palette's own entries, else entry 0. Black lies
    // beyond this palette, in the unused part of the colour table.
    LoadPng(image, RandomImage({3, 2}, 0, 6));
    trns = image.Chunks().Find<TChunktRNS>();
    trns->AssignTransparentColor(0);
    EXPECT_EQ(trns->DataSize(), 1);
    EXPECT_EQ(trns->PaletteValues[0], 0);
}

TEST(PalettePixels, WrittenColoursComeFromThePalette) {
    // 1-bit palette {white, red}: black is nearest to red.
    TQorvPNGObject image;
    LoadPng(image, MakePng(8, 1, 1, 3, {{0x0F}}, false, {{"PLTE", {255, 255, 255, 255, 0, 0}}}));
    image.WritePixel(0, 0, 0);
    EXPECT_EQ(image.ReadPixel(0, 0), RGBOf(255, 0, 0));

    // 8-bit palette of two entries: the written index stays inside it, and
    // so does the written file.
    LoadPng(image, MakePng(2, 1, 8, 3, {{0, 1}}, false, {{"PLTE", {200, 200, 200, 90, 0, 0}}}));
    image.WritePixel(1, 0, RGBOf(0, 0, 255));
    EXPECT_EQ(image.ReadPixel(1, 0), RGBOf(90, 0, 0));
    TQorvPNGObject back;
    LoadPng(back, Written(image));
    EXPECT_EQ(back.ReadPixel(1, 0), RGBOf(90, 0, 0));

    // 2-bit grey keeps its four levels.
    LoadPng(image, MakePng(4, 1, 2, 0, {{0x1B}}));
    image.WritePixel(0, 0, RGBOf(51, 51, 51));
    EXPECT_EQ(image.ReadPixel(0, 0), RGBOf(85, 85, 85));

    // A palette image without entries has nothing to write.
    LoadPng(image, MakePng(1, 1, 8, 3, {{0}}, false, {{"PLTE", {}}}));
    EXPECT_THROW(image.WritePixel(0, 0, 0), EPngError);
}
