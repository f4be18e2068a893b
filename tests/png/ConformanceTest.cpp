// Every valid PngSuite image must decode to the pixels libpng gives, mapped
// through the gamma table of the image's gAMA value; every broken one must be
// refused with one of the unit's exceptions.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"

namespace fs = std::filesystem;

namespace {
struct TReference {
    uint32_t width = 0, height = 0;
    int colorType = 0;
    bool hasGamma = false;
    uint32_t gamma = 0;
    std::vector<uint8_t> rgba; // 8 bits per sample, top-down
};

struct TReader {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

void ReadFromVector(png_structp png, png_bytep out, png_size_t count) {
    auto* r = static_cast<TReader*>(png_get_io_ptr(png));
    if (r->pos + count > r->bytes->size())
        png_error(png, "short");
    std::memcpy(out, r->bytes->data() + r->pos, count);
    r->pos += count;
}

TReference DecodeWithLibpng(const std::vector<uint8_t>& bytes) {
    TReference ref;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    TReader reader{&bytes, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng refused the file");
    }
    png_set_read_fn(png, &reader, ReadFromVector);
    png_read_info(png, info);
    ref.width = png_get_image_width(png, info);
    ref.height = png_get_image_height(png, info);
    ref.colorType = png_get_color_type(png, info);
    png_fixed_point g = 0;
    if (png_get_gAMA_fixed(png, info, &g)) {
        ref.hasGamma = true;
        ref.gamma = static_cast<uint32_t>(g);
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    ref.rgba.resize(size_t(ref.width) * ref.height * 4);
    for (uint32_t y = 0; y < ref.height; ++y)
        rows.push_back(ref.rgba.data() + size_t(y) * ref.width * 4);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return ref;
}

std::vector<fs::path> SuiteFiles() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(QORV_TESTDATA_DIR) / "pngsuite"))
        if (e.path().extension() == ".png")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}
} // namespace

TEST(PngSuite, ValidImagesMatchLibpng) {
    int checked = 0;
    for (const auto& path : SuiteFiles()) {
        const std::string name = path.filename().string();
        if (name[0] == 'x')
            continue;
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = ReadFileBytes(path.string());
        const TReference ref = DecodeWithLibpng(bytes);
        TQorvPNGObject image;
        TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
        ASSERT_NO_THROW(image.ReadStream(stream));
        ASSERT_EQ(image.Width(), static_cast<int>(ref.width));
        ASSERT_EQ(image.Height(), static_cast<int>(ref.height));
        const uint8_t* gamma = IdentityGamma();
        uint8_t table[256], inverse[256];
        if (ref.hasGamma && ref.gamma != 0) {
            ExpectedGammaTables(ref.gamma, table, inverse);
            gamma = table;
        }
        const TChunkIHDR& h = image.RequireHeader();
        const bool hasAlpha = ref.colorType == 4 || ref.colorType == 6;
        ASSERT_EQ(h.ImageAlpha != nullptr, hasAlpha);
        int mismatches = 0;
        for (uint32_t y = 0; y < ref.height && mismatches < 5; ++y) {
            for (uint32_t x = 0; x < ref.width && mismatches < 5; ++x) {
                const uint8_t* e = ref.rgba.data() + (size_t(y) * ref.width + x) * 4;
                const TPNGRGBQuad got =
                    StoredColor(image, static_cast<int>(x), static_cast<int>(y));
                const bool colourOk = got.rgbRed == gamma[e[0]] && got.rgbGreen == gamma[e[1]] &&
                                      got.rgbBlue == gamma[e[2]];
                const bool alphaOk = !hasAlpha || h.ImageAlpha[size_t(y) * ref.width + x] == e[3];
                if (!colourOk || !alphaOk) {
                    ++mismatches;
                    ADD_FAILURE() << "pixel " << x << "," << y << " got " << int(got.rgbRed) << ","
                                  << int(got.rgbGreen) << "," << int(got.rgbBlue) << " expected "
                                  << int(gamma[e[0]]) << "," << int(gamma[e[1]]) << ","
                                  << int(gamma[e[2]]);
                }
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

// Grey and RGB images with a key: keyed drawing lets the background through
// exactly where libpng's expansion of the key gives alpha 0.
TEST(PngSuite, KeyedPixelsMatchLibpngsTransparency) {
    int checked = 0;
    for (const auto& path : SuiteFiles()) {
        const std::string name = path.filename().string();
        if (name[0] == 'x')
            continue;
        const std::vector<uint8_t> bytes = ReadFileBytes(path.string());
        TQorvPNGObject image;
        LoadPng(image, bytes);
        const uint8_t type = image.RequireHeader().ColorType;
        if ((type != ctGreyscale && type != ctRGB) || !image.Chunks().Find<TChunktRNS>())
            continue;
        SCOPED_TRACE(name);
        const TReference ref = DecodeWithLibpng(bytes);
        const std::vector<uint8_t> mask = TransparentPixelsOf(image);
        size_t wrong = 0;
        for (size_t i = 0; i < mask.size(); ++i)
            wrong += mask[i] != (ref.rgba[i * 4 + 3] == 0 ? 1 : 0);
        EXPECT_EQ(wrong, 0u);
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

TEST(PngSuite, BrokenImagesAreRefused) {
    int checked = 0;
    for (const auto& path : SuiteFiles()) {
        const std::string name = path.filename().string();
        if (name[0] != 'x')
            continue;
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = ReadFileBytes(path.string());
        TQorvPNGObject image;
        TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
        try {
            image.ReadStream(stream);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_TRUE(IsUnitException(e)) << e.what();
        }
        ++checked;
    }
    EXPECT_GE(checked, 14);
}

// Written files, with the gamma chunks dropped, decode in libpng to what
// libpng gives for the original file, with the original's gamma applied to
// colour samples (grey layouts keep their samples as indices).
TEST(PngSuite, WrittenImagesDecodeAlikeInLibpng) {
    int checked = 0;
    for (const auto& path : SuiteFiles()) {
        const std::string name = path.filename().string();
        if (name[0] == 'x')
            continue;
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = ReadFileBytes(path.string());
        TReference original = DecodeWithLibpng(bytes);
        if (original.hasGamma && original.gamma != 0 && original.colorType != 0 &&
            original.colorType != 4) {
            uint8_t table[256], inverse[256];
            ExpectedGammaTables(original.gamma, table, inverse);
            for (size_t i = 0; i < original.rgba.size(); ++i)
                if (i % 4 != 3)
                    original.rgba[i] = table[original.rgba[i]];
        }
        TQorvPNGObject image;
        LoadPng(image, bytes);
        while (TChunk* g = image.Chunks().Find<TChunkgAMA>())
            image.Chunks().Extract(g);
        image.ResetGammaTables();
        for (TFilters filters : {TFilters(1 << pfSub), TFilters(0x1F)}) {
            image.SetFilters(filters);
            TMemoryStream out;
            image.WriteStream(out);
            TReference written;
            ASSERT_NO_THROW(written = DecodeWithLibpng(out.Bytes()));
            ASSERT_EQ(written.width, original.width);
            ASSERT_EQ(written.height, original.height);
            // A grey or RGB key stays in file units while 16-bit samples lose
            // their low byte and gamma moves colour samples: such keys may
            // match other pixels after writing, so only colours are compared.
            const bool keyed = (original.colorType == 0 || original.colorType == 2) &&
                               image.Chunks().Find<TChunktRNS>();
            for (size_t i = 0; i < original.rgba.size(); ++i)
                if (!keyed || i % 4 != 3)
                    if (written.rgba[i] != original.rgba[i]) {
                        ADD_FAILURE() << "sample " << i;
                        break;
                    }
        }
        ++checked;
    }
    EXPECT_GT(checked, 150);
}
