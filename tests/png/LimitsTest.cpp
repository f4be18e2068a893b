// Files made to exhaust memory, the reading limits that stop them, and what a
// refused file leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"

namespace {
using Rows = std::vector<std::vector<uint8_t>>;

// A zTXt chunk's data: keyword, zero byte, method 0, the compressed text.
std::vector<uint8_t> ZtxtData(const std::vector<uint8_t>& compressedText) {
    std::vector<uint8_t> d(9 + compressedText.size(), 0);
    std::memcpy(d.data(), "Comment", 7);
    std::memcpy(d.data() + 9, compressedText.data(), compressedText.size());
    return d;
}

// A 2 x 2 grey image with the given chunks before its image data.
std::vector<uint8_t>
GreyWith(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks) {
    return MakePng(2, 2, 8, 0, Rows{{1, 2}, {3, 4}}, false, chunks);
}

template <class E>
void ExpectRefusedAndEmpty(TQorvPNGObject& image, const std::vector<uint8_t>& bytes) {
    EXPECT_THROW(LoadPng(image, bytes), E);
    EXPECT_TRUE(image.Empty());
    EXPECT_FALSE(image.HasHeader());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
}
} // namespace

TEST(ReadingLimits, ASecondHeaderIsRefused) {
    // A few bytes per header, each declaring an image of its own.
    TPngBuilder b;
    b.Header(2, 2, 8, 0);
    for (int i = 0; i < 8; ++i)
        b.Header(65535, 4000, 8, 6);
    b.ImageData(Compress(RawScanlines(Rows{{1, 2}, {3, 4}}, 2, 8, 0, false))).End();
    TQorvPNGObject image;
    ExpectRefusedAndEmpty<EPngInvalidIHDR>(image, b.Bytes());
}

TEST(ReadingLimits, ImageLimitsRefuseLargerImages) {
    TQorvPNGObject image;
    image.SetImageLimits(3, 2);
    EXPECT_EQ(image.Limits().MaxWidth, 3u);
    EXPECT_EQ(image.Limits().MaxHeight, 2u);
    ASSERT_NO_THROW(LoadPng(image, MakePng(3, 2, 8, 0, Rows{{1, 2, 3}, {4, 5, 6}})));
    ExpectRefusedAndEmpty<EPNGLimitExceeded>(image,
                                             MakePng(4, 2, 8, 0, Rows{{1, 2, 3, 4}, {5, 6, 7, 8}}));
    ExpectRefusedAndEmpty<EPNGLimitExceeded>(image, MakePng(1, 3, 8, 0, Rows{{1}, {2}, {3}}));
    // The format's own maximum bounds any limit; 0 is taken as 1.
    image.SetImageLimits(100000, 0);
    EXPECT_EQ(image.Limits().MaxWidth, 65535u);
    EXPECT_EQ(image.Limits().MaxHeight, 1u);
}

TEST(ReadingLimits, ChunkDataCountsPerChunkAndPerImage) {
    const std::vector<uint8_t> block(600 * 1024, 7);
    TQorvPNGObject image;
    image.SetChunkLimits(1 << 20, 2 << 20);
    // Kept whole: unknown ancillary chunks and texts alike.
    ASSERT_NO_THROW(
        LoadPng(image, GreyWith({{"prVt", block}, {"prVt", block}, {"tEXt", {'k', 0, 'v'}}})));
    EXPECT_EQ(image.Chunks().Count(), 6);
    ExpectRefusedAndEmpty<EPNGLimitExceeded>(
        image, GreyWith({{"prVt", block}, {"prVt", block}, {"prVt", block}, {"prVt", block}}));
    // One chunk above the size limit, though the image could hold it.
    image.SetChunkLimits(500 * 1024, 64 << 20);
    ExpectRefusedAndEmpty<EPNGLimitExceeded>(image, GreyWith({{"prVt", block}}));
    // tEXt keeps its data twice, as the chunk's and as its strings.
    image.SetChunkLimits(1 << 20, 1 << 20);
    ExpectRefusedAndEmpty<EPNGLimitExceeded>(image, GreyWith({{"tEXt", block}}));
}

TEST(ReadingLimits, InflatedTextCountsAsItGrows) {
    const std::vector<uint8_t> mebibyte = Compress(std::vector<uint8_t>(1 << 20, 'a'));
    ASSERT_LT(mebibyte.size(), 2048u);

    // Texts one after the other fill what the image may hold.
    TQorvPNGObject image;
    image.SetChunkLimits(2 << 20, 3 << 20);
    ASSERT_NO_THROW(
        LoadPng(image, GreyWith({{"zTXt", ZtxtData(mebibyte)}, {"zTXt", ZtxtData(mebibyte)}})));
    EXPECT_EQ(image.Chunks().Find<TChunkzTXt>()->Text.size(), size_t(1) << 20);
    ExpectRefusedAndEmpty<EPNGLimitExceeded>(image, GreyWith({{"zTXt", ZtxtData(mebibyte)},
                                                              {"zTXt", ZtxtData(mebibyte)},
                                                              {"zTXt", ZtxtData(mebibyte)}}));
    // One text above the size limit.
    image.SetChunkLimits((1 << 20) - 1, 64 << 20);
    ExpectRefusedAndEmpty<EPNGLimitExceeded>(image, GreyWith({{"zTXt", ZtxtData(mebibyte)}}));

    // Inflating stops at the limit rather than at the end of the text.
    std::string text, error;
    bool exceeded = false;
    EXPECT_FALSE(InflateText(mebibyte.data(), mebibyte.size(), text, error, 4096, &exceeded));
    EXPECT_TRUE(exceeded);
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(InflateText(mebibyte.data(), mebibyte.size(), text, error, 1 << 20, &exceeded));
    EXPECT_FALSE(exceeded);
}

TEST(ReadingLimits, DefaultsRefuseATextBomb) {
    // 16 MiB of text from 16 KiB of file, five times over: past the default
    // of what one image may hold.
    const std::vector<uint8_t> bomb = Compress(std::vector<uint8_t>(16 << 20, 0));
    ASSERT_LT(bomb.size(), 32768u);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks(5, {"zTXt", ZtxtData(bomb)});
    TQorvPNGObject image;
    ExpectRefusedAndEmpty<EPNGLimitExceeded>(image, GreyWith(chunks));
}

TEST(ReadingLimits, ARefusedFileLeavesTheImageEmpty) {
    TQorvPNGObject image;
    ASSERT_NO_THROW(LoadPng(image, MakePng(2, 1, 8, 0, Rows{{1, 2}})));
    // A header whose width does not fit: nothing of it remains.
    TPngBuilder wide;
    wide.Header(0xFFFFFFFFu, 1, 8, 0);
    ExpectRefusedAndEmpty<EPNGSizeExceeds>(image, wide.Bytes());
    // A damaged image data chunk after a good header.
    std::vector<uint8_t> bytes = MakePng(2, 1, 8, 0, Rows{{1, 2}});
    bytes[bytes.size() - 12 - 5] ^= 1; // last byte of the IDAT data
    ExpectRefusedAndEmpty<EPngInvalidCRC>(image, bytes);
    EXPECT_THROW(image.RowPointer(0), EPNGHeaderNotPresent);
}

TEST(PublicSurface, RowsOutsideTheImageAreRefused) {
    TQorvPNGObject image;
    LoadPng(image, MakePng(3, 1, 8, 0, Rows{{1, 2, 3}}));
    EXPECT_EQ(image.RowPointer(0)[2], 3);
    for (int y : {1, 5, -1}) {
        SCOPED_TRACE(y);
        EXPECT_THROW(image.RowPointer(y), EPngError);
    }
    // Pixel access outside stays quiet, as before.
    EXPECT_EQ(image.ReadPixel(0, 1), 0u);
    image.WritePixel(0, -1, 0xFFFFFF);
}

TEST(PublicSurface, SettersKeepWhatTheWriterAndReaderAgreeOn) {
    TQorvPNGObject image;
    LoadPng(image, MakePng(3, 2, 8, 0, Rows{{1, 2, 3}, {4, 5, 6}}));
    image.SetInterlaceMethod(1);
    EXPECT_THROW(image.SetInterlaceMethod(2), EPngError);
    EXPECT_EQ(image.InterlaceMethod(), 1);

    image.SetMaxIdatSize(0xFFFFFFFFu);
    EXPECT_EQ(image.MaxIdatSize(), MaxIdatSizeLimit);
    image.SetMaxIdatSize(1000);
    EXPECT_EQ(image.MaxIdatSize(), 65535u);

    TMemoryStream out;
    image.WriteStream(out);
    TQorvPNGObject back;
    LoadPng(back, out.Bytes());
    EXPECT_EQ(back.InterlaceMethod(), 1);
    EXPECT_EQ(back.ReadPixel(2, 1), 0x060606u);
}

TEST(PublicSurface, OneBaseCatchesEveryFailureOfTheUnit) {
    static_assert(std::is_base_of_v<Exception, EPNGException>);
    auto derives = []<class... E>() { return (std::is_base_of_v<EPNGException, E> && ...); };
    EXPECT_TRUE(
        (derives.template
         operator()<EPNGInvalidFileHeader, EPngUnexpectedEnd, EPNGIHDRNotFirst,
                    EPNGUnknownCriticalChunk, EPngInvalidCRC, EPNGNoImageData, EPngInvalidIHDR,
                    EPNGSizeExceeds, EPNGUnknownCompression, EPNGUnknownInterlace,
                    EPNGMissingMultipleIDAT, EPNGZLIBError, EPNGInvalidPalette, EPNGOutMemory,
                    EPNGHeaderNotPresent, EPngError, EPNGLimitExceeded>()));
    // The texts stay those of the classes.
    try {
        TQorvPNGObject image;
        LoadPng(image, {1, 2, 3});
        ADD_FAILURE() << "accepted";
    } catch (const EPNGException& e) {
        EXPECT_EQ(e.Message(), EPNGInvalidFileHeader().Message());
    }
}

TEST(PublicSurface, GammaTablesAreReadOnly) {
    TQorvPNGObject image;
    using TEntry = std::remove_reference_t<decltype(image.GammaTable()[0])>;
    using TInverseEntry = std::remove_reference_t<decltype(image.InverseGamma()[0])>;
    static_assert(std::is_const_v<TEntry> && std::is_const_v<TInverseEntry>);
    LoadPng(image, MakePng(1, 1, 8, 0, Rows{{1}}, false, {{"gAMA", {0, 1, 0x86, 0xA0}}}));
    EXPECT_EQ(image.GammaTable()[128], 186);
    EXPECT_EQ(image.InverseGamma()[186], 128);
}
