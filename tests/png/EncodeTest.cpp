// Writing: the file read back gives the same pixels, and the chunk layout,
// filter choice, sample conversion and IDAT division are as intended.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"

namespace fs = std::filesystem;

namespace {
struct TWrittenChunk {
    std::string name;
    std::vector<uint8_t> data;
};

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

std::vector<uint8_t> Write(TQorvPNGObject& image) {
    TMemoryStream out;
    image.WriteStream(out);
    return out.Bytes();
}

// Splits a written file into its chunks, checking signature and CRCs.
std::vector<TWrittenChunk> Chunks(const std::vector<uint8_t>& file) {
    std::vector<TWrittenChunk> chunks;
    EXPECT_GE(file.size(), 8u);
    size_t pos = 8;
    while (pos + 12 <= file.size()) {
        const uint32_t len = Get32(&file[pos]);
        EXPECT_LE(pos + 12 + len, file.size());
        TWrittenChunk c{std::string(reinterpret_cast<const char*>(&file[pos + 4]), 4),
                        std::vector<uint8_t>(file.begin() + long(pos) + 8,
                                             file.begin() + long(pos) + 8 + long(len))};
        const uint32_t crc = ~Crc32Update(0xFFFFFFFFu, &file[pos + 4], len + 4);
        EXPECT_EQ(crc, Get32(&file[pos + 8 + len])) << c.name;
        chunks.push_back(std::move(c));
        pos += 12 + len;
    }
    EXPECT_EQ(pos, file.size());
    return chunks;
}

// The decompressed image data of a written file.
std::vector<uint8_t> RawImageData(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> z;
    for (const auto& c : Chunks(file))
        if (c.name == "IDAT")
            z.insert(z.end(), c.data.begin(), c.data.end());
    std::vector<uint8_t> raw(1 << 22);
    uLongf size = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &size, z.data(), z.size()), Z_OK);
    raw.resize(size);
    return raw;
}

// The stored index of a pixel of an indexed layout.
unsigned IndexAt(const TQorvPNGObject& image, int x, int y) {
    const int b = image.RequireHeader().BitmapInfo.bmiHeader.biBitCount;
    const uint8_t* row = image.RowPointer(y);
    const size_t bit = size_t(x) * size_t(b);
    return (row[bit / 8] >> (8 - b - bit % 8)) & ((1u << b) - 1);
}

// Grey layouts compare their stored indices: the grey ramp of the colour
// table was built through the gamma table the writer drops.
void ExpectSamePixels(const TQorvPNGObject& a, const TQorvPNGObject& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    const TChunkIHDR& ha = a.RequireHeader();
    const TChunkIHDR& hb = b.RequireHeader();
    ASSERT_EQ(ha.ImageAlpha != nullptr, hb.ImageAlpha != nullptr);
    int mismatches = 0;
    for (int y = 0; y < a.Height() && mismatches < 5; ++y)
        for (int x = 0; x < a.Width() && mismatches < 5; ++x) {
            const TPNGRGBQuad p = StoredColor(a, x, y), q = StoredColor(b, x, y);
            const size_t i = size_t(y) * size_t(a.Width()) + size_t(x);
            const bool grey = ha.ColorType == 0 || ha.ColorType == 4;
            const bool same =
                grey ? IndexAt(a, x, y) == IndexAt(b, x, y)
                     : p.rgbRed == q.rgbRed && p.rgbGreen == q.rgbGreen && p.rgbBlue == q.rgbBlue;
            if (!same || (ha.ImageAlpha && ha.ImageAlpha[i] != hb.ImageAlpha[i])) {
                ++mismatches;
                ADD_FAILURE() << "pixel " << x << "," << y;
            }
        }
}

// Drops the gAMA chunks and resets the tables so that stored values are the
// file's samples.
void DropGamma(TQorvPNGObject& image) {
    while (TChunk* g = image.Chunks().Find<TChunkgAMA>())
        image.Chunks().Extract(g);
    image.ResetGammaTables();
}

std::vector<fs::path> ValidSuiteFiles() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(QORV_TESTDATA_DIR) / "pngsuite"))
        if (e.path().extension() == ".png" && e.path().filename().string()[0] != 'x')
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> Noise(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(gen());
    return v;
}
} // namespace

TEST(PngWrite, EverySuiteImageReadsBackToTheSamePixels) {
    int checked = 0;
    for (const auto& path : ValidSuiteFiles()) {
        SCOPED_TRACE(path.filename().string());
        TQorvPNGObject image;
        LoadPng(image, ReadFileBytes(path.string()));
        DropGamma(image);
        for (uint8_t interlace : {image.InterlaceMethod(), uint8_t(1 - image.InterlaceMethod())}) {
            image.SetInterlaceMethod(interlace);
            image.SetFilters(interlace ? 0x1F : 1 << pfSub);
            const std::vector<uint8_t> file = Write(image);
            TQorvPNGObject back;
            ASSERT_NO_THROW(LoadPng(back, file));
            EXPECT_EQ(back.RequireHeader().InterlaceMethod, interlace);
            ExpectSamePixels(image, back);
        }
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

TEST(PngWrite, FilterChoice) {
    auto filterBytes = [](TFilters filters, uint32_t width,
                          const std::vector<std::vector<uint8_t>>& rows) {
        TQorvPNGObject image;
        LoadPng(image, MakePng(width, uint32_t(rows.size()), 8, 0, rows));
        image.SetFilters(filters);
        const std::vector<uint8_t> raw = RawImageData(Write(image));
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < raw.size(); i += width + 1)
            bytes.push_back(raw[i]);
        return bytes;
    };
    const std::vector<std::vector<uint8_t>> ramp = {{0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5}};
    // Sub turns the ramp into repeats, and on the second row ties with Up.
    EXPECT_EQ(filterBytes(1 << pfSub, 6, ramp), (std::vector<uint8_t>{1, 1}));
    EXPECT_EQ(filterBytes(0x1F, 6, ramp), (std::vector<uint8_t>{1, 1}));
    // A repeated noisy row: Sub scores on the first, Up zeroes the second.
    const std::vector<std::vector<uint8_t>> twice = {{9, 3, 7, 1, 8, 2}, {9, 3, 7, 1, 8, 2}};
    EXPECT_EQ(filterBytes(0x1F, 6, twice), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(filterBytes(1 << pfNone, 6, ramp), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(filterBytes(0, 6, ramp), (std::vector<uint8_t>{0, 0}));
    // Sub and Up score alike on a flat first row: the lower filter wins, and
    // None, scoring the same, beats both when enabled.
    const std::vector<std::vector<uint8_t>> flat = {{5, 5, 5, 5}};
    EXPECT_EQ(filterBytes(1 << pfSub | 1 << pfUp, 4, flat), (std::vector<uint8_t>{1}));
    EXPECT_EQ(filterBytes(1 << pfUp | 1 << pfPaeth, 4, flat), (std::vector<uint8_t>{2}));
    EXPECT_EQ(filterBytes(0x1F, 4, flat), (std::vector<uint8_t>{0}));
    // Two bytes cannot score.
    EXPECT_EQ(filterBytes(0x1E, 2, {{7, 7}, {7, 7}}), (std::vector<uint8_t>{0, 0}));
}

TEST(PngWrite, NoneFilterWritesTheRawSamples) {
    TQorvPNGObject image;
    const std::vector<std::vector<uint8_t>> rows = {Noise(30, 1), Noise(30, 2), Noise(30, 3)};
    LoadPng(image, MakePng(10, 3, 8, 2, rows));
    image.SetFilters(1 << pfNone);
    const std::vector<uint8_t> raw = RawImageData(Write(image));
    std::vector<uint8_t> expected;
    for (const auto& r : rows) {
        expected.push_back(0);
        expected.insert(expected.end(), r.begin(), r.end());
    }
    EXPECT_EQ(raw, expected);
}

TEST(PngWrite, SampleConversion) {
    // 2-bit grey comes back as 4-bit samples 0, 5, 10, 15.
    {
        TQorvPNGObject image;
        LoadPng(image, MakePng(4, 1, 2, 0, {{0x1B}}));
        image.SetFilters(1 << pfNone);
        const std::vector<uint8_t> file = Write(image);
        const auto chunks = Chunks(file);
        ASSERT_EQ(chunks[0].name, "IHDR");
        EXPECT_EQ(chunks[0].data[8], 4);
        EXPECT_EQ(chunks[0].data[9], 0);
        EXPECT_EQ(RawImageData(file), (std::vector<uint8_t>{0, 0x05, 0xAF}));
    }
    // 16 bits: the high byte kept, every low byte 0, alpha included.
    for (uint8_t colorType : {0, 2, 4, 6}) {
        SCOPED_TRACE(int(colorType));
        const size_t channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
        std::vector<uint8_t> row = Noise(5 * channels * 2, colorType);
        TQorvPNGObject image;
        LoadPng(image, MakePng(5, 1, 16, colorType, {row}));
        image.SetFilters(1 << pfNone);
        const std::vector<uint8_t> file = Write(image);
        EXPECT_EQ(Chunks(file)[0].data[8], 16);
        const std::vector<uint8_t> raw = RawImageData(file);
        ASSERT_EQ(raw.size(), row.size() + 1);
        for (size_t i = 0; i < row.size(); i += 2) {
            EXPECT_EQ(raw[1 + i], row[i]);
            EXPECT_EQ(raw[2 + i], 0);
        }
    }
}

TEST(PngWrite, InverseGammaAppliesToPaletteAndColours) {
    // gAMA 100000 maps 128 to 186; writing maps it back.
    TQorvPNGObject image;
    LoadPng(image, MakePng(2, 1, 8, 2, {{128, 1, 255, 0, 128, 1}}, false,
                           {{"gAMA", {0x00, 0x01, 0x86, 0xA0}}}));
    ASSERT_EQ(StoredColor(image, 0, 0).rgbRed, 186);
    image.SetFilters(1 << pfNone);
    const std::vector<uint8_t> file = Write(image);
    const auto chunks = Chunks(file);
    EXPECT_EQ(chunks[1].name, "gAMA");
    EXPECT_EQ(RawImageData(file), (std::vector<uint8_t>{0, 128, 1, 255, 0, 128, 1}));
}

TEST(PngWrite, ImageDataChunkSizes) {
    TQorvPNGObject image;
    std::vector<std::vector<uint8_t>> rows;
    for (uint32_t y = 0; y < 200; ++y)
        rows.push_back(Noise(300 * 3, y));
    LoadPng(image, MakePng(300, 200, 8, 2, rows));
    const uint32_t maxima[] = {1000, 65535, 70000};
    for (uint32_t max : maxima) {
        SCOPED_TRACE(max);
        image.SetMaxIdatSize(max);
        const uint32_t m = std::max<uint32_t>(max, 65535);
        EXPECT_EQ(image.MaxIdatSize(), m);
        std::vector<size_t> sizes;
        for (const auto& c : Chunks(Write(image)))
            if (c.name == "IDAT")
                sizes.push_back(c.data.size());
        ASSERT_GE(sizes.size(), 2u);
        for (size_t i = 0; i + 1 < sizes.size(); ++i)
            EXPECT_EQ(sizes[i], m);
        EXPECT_GT(sizes.back(), 0u);
        EXPECT_LE(sizes.back(), m);
    }
}

TEST(PngWrite, ChunkOrderAndSettings) {
    TQorvPNGObject image;
    LoadPng(
        image,
        MakePng(3, 1, 8, 3, {{0, 1, 2}}, false,
                {{"PLTE", {1, 2, 3, 4, 5, 6, 7, 8, 9}}, {"tEXt", {'a', 0, 'b'}}, {"tRNS", {0}}}));
    std::vector<std::string> names;
    for (const auto& c : Chunks(Write(image)))
        names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"IHDR", "PLTE", "tEXt", "tRNS", "IDAT", "IEND"}));
}
