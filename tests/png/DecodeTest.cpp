// Image data decoding: every layout, interlacing, the five filters, image data
// split across chunks, header validation and broken image data.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>

#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"

namespace {
using Rows = std::vector<std::vector<uint8_t>>;

struct TLayout {
    uint8_t colorType, bitDepth;
};
const TLayout Layouts[] = {{0, 1}, {0, 2}, {0, 4},  {0, 8}, {0, 16}, {3, 1}, {3, 2}, {3, 4},
                           {3, 8}, {4, 8}, {4, 16}, {2, 8}, {2, 16}, {6, 8}, {6, 16}};

size_t PixelBits(const TLayout& l) {
    const int channels = l.colorType == 2 ? 3 : l.colorType == 6 ? 4 : l.colorType == 4 ? 2 : 1;
    return size_t(channels) * l.bitDepth;
}

// Random samples; the padding bits of the last byte of a row stay zero.
Rows RandomRows(std::mt19937& rng, uint32_t width, uint32_t height, const TLayout& l) {
    const size_t bits = PixelBits(l);
    Rows rows(height, std::vector<uint8_t>((width * bits + 7) / 8));
    for (auto& row : rows) {
        for (auto& b : row)
            b = static_cast<uint8_t>(rng());
        const size_t used = width * bits % 8;
        if (used)
            row.back() = static_cast<uint8_t>(row.back() & (0xFF << (8 - used)));
    }
    return rows;
}

std::vector<uint8_t> Palette256() {
    std::vector<uint8_t> d;
    for (int i = 0; i < 256; ++i)
        d.insert(d.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)});
    return d;
}

std::vector<uint8_t> MakeImage(uint32_t w, uint32_t h, const TLayout& l, const Rows& rows,
                               bool interlaced) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks;
    if (l.colorType == 3)
        chunks.push_back({"PLTE", Palette256()});
    return MakePng(w, h, l.bitDepth, l.colorType, rows, interlaced, chunks);
}

// Everything a decode produced: colours of all pixels and the alpha plane.
std::vector<uint32_t> Pixels(const TQorvPNGObject& image) {
    std::vector<uint32_t> out;
    const TChunkIHDR& h = image.RequireHeader();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const TPNGRGBQuad c = StoredColor(image, x, y);
            const uint32_t a = h.ImageAlpha ? h.ImageAlpha[size_t(y) * h.Width + x] : 255;
            out.push_back(uint32_t(c.rgbRed) | c.rgbGreen << 8 | c.rgbBlue << 16 | a << 24);
        }
    return out;
}

// Filters a row the way an encoder would (reference arithmetic, byte by byte).
std::vector<uint8_t> FilterRow(int type, const std::vector<uint8_t>& row,
                               const std::vector<uint8_t>& prior, size_t d) {
    std::vector<uint8_t> out(row.size());
    for (size_t i = 0; i < row.size(); ++i) {
        const int left = i >= d ? row[i - d] : 0, up = prior[i], upLeft = i >= d ? prior[i - d] : 0;
        int predictor = 0;
        switch (type) {
        case 1:
            predictor = left;
            break;
        case 2:
            predictor = up;
            break;
        case 3:
            predictor = (left + up) / 2;
            break;
        case 4: {
            const int p = left + up - upLeft, pa = std::abs(p - left), pb = std::abs(p - up),
                      pc = std::abs(p - upLeft);
            predictor = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
            break;
        }
        }
        out[i] = static_cast<uint8_t>(row[i] - predictor);
    }
    return out;
}
} // namespace

TEST(Decode, InterlacedMatchesPlainForEveryLayout) {
    std::mt19937 rng(7);
    const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {2, 1}, {1, 5}, {3, 3},  {4, 9},
                                                   {5, 5}, {7, 2}, {8, 8}, {9, 13}, {17, 11}};
    for (const TLayout& l : Layouts) {
        for (const auto& [w, h] : sizes) {
            SCOPED_TRACE(testing::Message() << "type " << int(l.colorType) << " depth "
                                            << int(l.bitDepth) << " " << w << "x" << h);
            const Rows rows = RandomRows(rng, w, h, l);
            TQorvPNGObject plain, interlaced;
            LoadPng(plain, MakeImage(w, h, l, rows, false));
            LoadPng(interlaced, MakeImage(w, h, l, rows, true));
            EXPECT_EQ(interlaced.InterlaceMethod(), 1);
            ASSERT_EQ(Pixels(plain), Pixels(interlaced));
            // The plain decode shows the samples themselves (high bytes of 16 bits).
            const size_t bits = PixelBits(l);
            for (uint32_t y = 0; y < h; ++y) {
                const size_t x = rng() % w;
                const uint32_t got = plain.ReadPixel(int(x), int(y));
                if (l.colorType == 2 || l.colorType == 6) {
                    const uint8_t* p = &rows[y][x * bits / 8];
                    const size_t step = l.bitDepth / 8;
                    EXPECT_EQ(got, uint32_t(p[0]) | p[step] << 8 | p[2 * step] << 16);
                } else if (l.colorType == 3) {
                    const size_t bit = x * bits;
                    const unsigned index = l.bitDepth == 8
                                               ? rows[y][x]
                                               : (rows[y][bit / 8] >> (8 - l.bitDepth - bit % 8)) &
                                                     ((1u << l.bitDepth) - 1);
                    EXPECT_EQ(got, index | (255 - index) << 8 | uint32_t(uint8_t(index * 3)) << 16);
                }
            }
        }
    }
}

TEST(Decode, FiltersForEveryPixelSize) {
    // Distances 1, 2, 3, 4, 6 and 8 bytes, every filter on random rows; the
    // filter type 5 leaves its row as it is.
    std::mt19937 rng(11);
    for (const TLayout& l : {TLayout{0, 8}, TLayout{0, 16}, TLayout{2, 8}, TLayout{6, 8},
                             TLayout{2, 16}, TLayout{6, 16}, TLayout{3, 4}}) {
        for (uint32_t w : {1u, 2u, 5u, 33u}) {
            SCOPED_TRACE(testing::Message() << "type " << int(l.colorType) << " depth "
                                            << int(l.bitDepth) << " width " << w);
            const uint32_t h = 12;
            const Rows rows = RandomRows(rng, w, h, l);
            const size_t d = std::max<size_t>(1, PixelBits(l) / 8);
            std::vector<uint8_t> raw, prior(rows[0].size(), 0);
            std::vector<uint8_t> expectedRows;
            Rows shown = rows;
            for (uint32_t y = 0; y < h; ++y) {
                const int type = static_cast<int>(y % 6);
                raw.push_back(static_cast<uint8_t>(type));
                if (type == 5) {
                    // Stored unfiltered and taken as it is.
                    raw.insert(raw.end(), rows[y].begin(), rows[y].end());
                } else {
                    const std::vector<uint8_t> f = FilterRow(type, rows[y], prior, d);
                    raw.insert(raw.end(), f.begin(), f.end());
                }
                prior = rows[y];
            }
            TPngBuilder b;
            b.Header(w, h, l.bitDepth, l.colorType);
            if (l.colorType == 3)
                b.Chunk("PLTE", Palette256());
            TQorvPNGObject filtered, reference;
            LoadPng(filtered, b.ImageData(Compress(raw)).End().Bytes());
            LoadPng(reference, MakeImage(w, h, l, shown, false));
            ASSERT_EQ(Pixels(filtered), Pixels(reference));
        }
    }
}

TEST(Decode, ImageDataSplitAcrossChunks) {
    std::mt19937 rng(3);
    const TLayout l{2, 8};
    const Rows rows = RandomRows(rng, 40, 30, l);
    const std::vector<uint8_t> z = Compress(RawScanlines(rows, 40, 8, 2, false));
    TQorvPNGObject whole;
    LoadPng(whole, TPngBuilder().Header(40, 30, 8, 2).ImageData(z).End().Bytes());
    for (const std::vector<size_t>& parts : {std::vector<size_t>{1, 0},
                                             {0, 0, 5, 0, 1, 2},
                                             {z.size() / 2, 0, 0},
                                             {3, 1, 1, 1, 1, 1, 7}}) {
        std::vector<size_t> all = parts;
        all.push_back(0); // the rest
        TQorvPNGObject split;
        TPngBuilder b;
        b.Header(40, 30, 8, 2).ImageData(z, all).Chunk("tEXt", {'a', 0, 'b'}).End();
        LoadPng(split, b.Bytes());
        EXPECT_EQ(Pixels(split), Pixels(whole));
        // One IDAT in the list; the text after the data is still read.
        int idats = 0;
        for (int i = 0; i < split.Chunks().Count(); ++i)
            idats += split.Chunks().ChunkAt(i)->Name() == "IDAT";
        EXPECT_EQ(idats, 1);
        EXPECT_NE(split.Chunks().Find<TChunktEXt>(), nullptr);
    }
}

TEST(Decode, SampleConversions) {
    TQorvPNGObject image;
    // 2-bit grey: ramp indices 0, 5, 10, 15, i.e. black to white.
    LoadPng(image, MakePng(4, 1, 2, 0, Rows{{0x1B}}));
    EXPECT_EQ(image.RequireHeader().BitmapInfo.bmiHeader.biBitCount, 4);
    EXPECT_EQ(image.RowPointer(0)[0], 0x05);
    EXPECT_EQ(image.RowPointer(0)[1], 0xAF);
    EXPECT_EQ(image.ReadPixel(0, 0), 0u);
    EXPECT_EQ(image.ReadPixel(1, 0), 0x555555u);
    EXPECT_EQ(image.ReadPixel(3, 0), 0xFFFFFFu);
    // 16 bits keep the high byte.
    LoadPng(image, MakePng(1, 1, 16, 2, Rows{{0x12, 0xFF, 0x34, 0x01, 0x56, 0x80}}));
    EXPECT_EQ(image.ReadPixel(0, 0), 0x563412u);
    LoadPng(image, MakePng(1, 1, 16, 4, Rows{{0x12, 0xFF, 0x9A, 0x01}}));
    EXPECT_EQ(image.RowPointer(0)[0], 0x12);
    EXPECT_EQ(image.RequireHeader().ImageAlpha[0], 0x9A);
    // Bottom-up rows with a 4-byte stride.
    LoadPng(image,
            MakePng(3, 2, 8, 2,
                    Rows{{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}));
    const TChunkIHDR& h = image.RequireHeader();
    EXPECT_EQ(h.BytesPerRow, 12u);
    EXPECT_EQ(h.ImageData[0], 12); // first stored row is the image's last, blue first
    EXPECT_EQ(image.RowPointer(0), h.ImageData + 12);
    EXPECT_EQ(h.BitmapInfo.bmiHeader.biHeight, 2);
}

TEST(Decode, HeaderValidation) {
    auto header = [](uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t compression = 0,
                     uint8_t interlace = 0) {
        std::vector<uint8_t> d = {uint8_t(w >> 24),
                                  uint8_t(w >> 16),
                                  uint8_t(w >> 8),
                                  uint8_t(w),
                                  uint8_t(h >> 24),
                                  uint8_t(h >> 16),
                                  uint8_t(h >> 8),
                                  uint8_t(h),
                                  depth,
                                  type,
                                  compression,
                                  0,
                                  interlace};
        return TPngBuilder().Chunk("IHDR", d).ImageData(Compress({0, 0, 0, 0})).End().Bytes();
    };
    auto refusedWith = [](const std::vector<uint8_t>& bytes) -> std::string {
        TQorvPNGObject image;
        try {
            LoadPng(image, bytes);
        } catch (const Exception& e) {
            return e.Message();
        }
        return "";
    };
    EXPECT_EQ(refusedWith(header(65536, 1, 1, 0)), EPNGSizeExceeds().Message());
    EXPECT_EQ(refusedWith(header(1, 65536, 1, 0)), EPNGSizeExceeds().Message());
    EXPECT_EQ(refusedWith(header(1, 1, 8, 0, 1)), EPNGUnknownCompression().Message());
    EXPECT_EQ(refusedWith(header(1, 1, 8, 0, 0, 2)), EPNGUnknownInterlace().Message());
    for (auto bad :
         {header(0, 1, 8, 0), header(1, 0, 8, 0), header(1, 1, 4, 2), header(1, 1, 16, 3),
          header(1, 1, 8, 5), header(1, 1, 3, 0), header(1, 1, 0, 0)})
        EXPECT_EQ(refusedWith(bad), EPngInvalidIHDR().Message());
    EXPECT_EQ(refusedWith(TPngBuilder().Chunk("IHDR", std::vector<uint8_t>(12, 1)).End().Bytes()),
              EPngInvalidIHDR().Message());

    // Width 65535 is fine.
    const std::vector<uint8_t> row(8192, 0xAA);
    TQorvPNGObject wide;
    LoadPng(wide, MakePng(65535, 1, 1, 0, Rows{row}));
    EXPECT_EQ(wide.Width(), 65535);
    EXPECT_EQ(wide.RequireHeader().BytesPerRow, 8192u);
    EXPECT_EQ(wide.ReadPixel(65534, 0), 0xFFFFFFu);
    EXPECT_EQ(wide.ReadPixel(65533, 0), 0u);

    // Too big to hold: refused before any allocation, never a crash.
    EXPECT_EQ(refusedWith(header(65535, 65535, 8, 6)), EPNGOutMemory().Message());
}

TEST(Decode, BrokenImageData) {
    const Rows rows(16, std::vector<uint8_t>(48, 0x5A));
    const std::vector<uint8_t> z = Compress(RawScanlines(rows, 16, 8, 2, false));
    auto refusedWith = [](const std::vector<uint8_t>& bytes) -> std::string {
        TQorvPNGObject image;
        try {
            LoadPng(image, bytes);
        } catch (const Exception& e) {
            return e.Message();
        }
        return "";
    };
    // The stream ends inside the image data.
    std::vector<uint8_t> file = TPngBuilder().Header(16, 16, 8, 2).ImageData(z).End().Bytes();
    EXPECT_EQ(refusedWith({file.begin(), file.begin() + 33 + 8 + long(z.size() / 2)}),
              EPngUnexpectedEnd().Message());
    // The data runs on into a chunk that is not IDAT.
    TPngBuilder runOn;
    runOn.Header(16, 16, 8, 2).ImageData({z.begin(), z.begin() + 6});
    runOn.Chunk("tEXt", {z.begin() + 6, z.end()}).End();
    EXPECT_EQ(refusedWith(runOn.Bytes()), EPNGMissingMultipleIDAT().Message());
    // Corrupt deflate data with correct CRCs.
    std::vector<uint8_t> corrupt = z;
    corrupt[2] = 0xFF;
    corrupt[3] = 0xFF;
    EXPECT_EQ(refusedWith(TPngBuilder().Header(16, 16, 8, 2).ImageData(corrupt).End().Bytes()),
              EPNGZLIBError(Z_DATA_ERROR).Message());
    // A preset dictionary cannot be supplied.
    const std::vector<uint8_t> dictionary = {0x78, 0xBB, 0, 0, 0, 1, 3, 0};
    EXPECT_EQ(refusedWith(TPngBuilder().Header(16, 16, 8, 2).ImageData(dictionary).End().Bytes()),
              EPNGZLIBError(Z_NEED_DICT).Message());
    // A compressed stream that ends early leaves the remaining rows black.
    const std::vector<uint8_t> half =
        Compress(RawScanlines(Rows(rows.begin(), rows.begin() + 8), 16, 8, 2, false));
    TQorvPNGObject image;
    LoadPng(image, TPngBuilder().Header(16, 16, 8, 2).ImageData(half).End().Bytes());
    EXPECT_EQ(image.ReadPixel(3, 7), 0x5A5A5Au);
    EXPECT_EQ(image.ReadPixel(3, 8), 0u);
}

TEST(Decode, PixelAccess) {
    TQorvPNGObject image;
    LoadPng(image, MakePng(3, 2, 8, 2, Rows(2, std::vector<uint8_t>(9, 40))));
    image.WritePixel(1, 1, 0x030201);
    EXPECT_EQ(image.ReadPixel(1, 1), 0x030201u);
    EXPECT_EQ(image.ReadPixel(0, 1), 0x282828u);
    image.WritePixel(3, 0, 0xFFFFFF);
    image.WritePixel(-1, 0, 0xFFFFFF);
    EXPECT_EQ(image.ReadPixel(3, 0), 0u);
    EXPECT_EQ(image.ReadPixel(0, -1), 0u);

    // Indexed pixels take the nearest colour of the table.
    std::vector<uint8_t> plte = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    LoadPng(image, MakePng(5, 1, 2, 3, Rows{{0x1B, 0x00}}, false, {{"PLTE", plte}}));
    image.WritePixel(4, 0, 0xF01010); // nearly blue
    EXPECT_EQ(image.ReadPixel(4, 0), 0xFF0000u);
    EXPECT_EQ(image.ReadPixel(3, 0), 0xFF0000u);
    EXPECT_EQ(image.ReadPixel(1, 0), 0x0000FFu);
    image.WritePixel(1, 0, 0x00EE00);
    EXPECT_EQ(image.ReadPixel(1, 0), 0x00FF00u);
    EXPECT_EQ(image.ReadPixel(2, 0), 0x00FF00u); // neighbour untouched

    TQorvPNGObject empty;
    EXPECT_THROW(empty.ReadPixel(0, 0), EPNGHeaderNotPresent);
}

TEST(Decode, PictureLikeTheAboutWindows) {
    // 458 x 358, 8-bit palette of 128 entries, Sub filter on every row, gAMA 45000.
    const uint32_t w = 458, h = 358;
    std::vector<uint8_t> plte, raw;
    for (int i = 0; i < 128; ++i)
        plte.insert(plte.end(), {uint8_t(2 * i), uint8_t(128), uint8_t(255 - 2 * i)});
    for (uint32_t y = 0; y < h; ++y) {
        raw.push_back(1);
        for (uint32_t x = 0; x < w; ++x)
            raw.push_back(x == 0 ? uint8_t(y % 128) : uint8_t(x % 3 == 0));
    }
    const std::vector<uint8_t> text = {'S', 'o', 'f', 't', 'w', 'a', 'r', 'e', 0, 'Q'};
    TPngBuilder b;
    b.Header(w, h, 8, 3).Chunk("gAMA", {0, 0, 0xAF, 0xC8}).Chunk("tEXt", text).Chunk("PLTE", plte);
    TQorvPNGObject image;
    LoadPng(image, b.ImageData(Compress(raw)).End().Bytes());
    const TChunkIHDR& hd = image.RequireHeader();
    EXPECT_EQ(hd.BytesPerRow, 460u);
    EXPECT_EQ(hd.BitmapInfo.bmiHeader.biBitCount, 8);
    EXPECT_EQ(image.Chunks().Find<TChunkPLTE>()->Count(), 128);
    EXPECT_EQ(hd.BitmapInfo.bmiColors[32].rgbRed, image.GammaTable()[64]);
    EXPECT_EQ(hd.BitmapInfo.bmiColors[32].rgbRed, 63);
    EXPECT_EQ(image.RowPointer(5)[0], 5);
    EXPECT_EQ(image.RowPointer(5)[3], 6);
    EXPECT_EQ(image.TransparencyKindOf(), tkNone);
    std::vector<std::string> names;
    for (int i = 0; i < image.Chunks().Count(); ++i)
        names.push_back(image.Chunks().ChunkAt(i)->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"IHDR", "gAMA", "tEXt", "PLTE", "IDAT", "IEND"}));
}
