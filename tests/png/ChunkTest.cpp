// File structure and chunk semantics: signature, chunk order, CRC, chunk
// classes, gamma, palette, transparency, time and text chunks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"

namespace {
using Rows = std::vector<std::vector<uint8_t>>;
using Chunks = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

std::vector<uint8_t> Be32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// The bytes of one chunk as it appears in a file.
std::vector<uint8_t> ChunkBytes(const std::string& name, const std::vector<uint8_t>& data) {
    const std::vector<uint8_t> file = TPngBuilder().Chunk(name, data).Bytes();
    return {file.begin() + 8, file.end()};
}

// A 2 x 2 8-bit palette image with the given chunks before its data.
std::vector<uint8_t> PaletteImage(const Chunks& chunks) {
    return MakePng(2, 2, 8, 3, Rows{{0, 1}, {2, 5}}, false, chunks);
}

std::vector<uint8_t> Plte(int entries) {
    std::vector<uint8_t> d;
    for (int i = 0; i < entries; ++i)
        d.insert(d.end(), {uint8_t(10 * i), uint8_t(100 + i), uint8_t(200 - i)});
    return d;
}

std::vector<std::string> ChunkNames(const TQorvPNGObject& image) {
    std::vector<std::string> names;
    for (int i = 0; i < image.Chunks().Count(); ++i)
        names.push_back(image.Chunks().ChunkAt(i)->Name());
    return names;
}

template <class E>
void ExpectRefused(const std::vector<uint8_t>& bytes) {
    TQorvPNGObject image;
    EXPECT_THROW(LoadPng(image, bytes), E);
}

std::vector<uint8_t> Written(TQorvPNGObject& image) {
    TMemoryStream out;
    image.WriteStream(out);
    return out.Bytes();
}

bool Contains(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

uint32_t Rgb(int r, int g, int b) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}
} // namespace

TEST(PngFile, SignatureAndEarlyEnd) {
    const std::vector<uint8_t> valid = PaletteImage({{"PLTE", Plte(6)}});
    ExpectRefused<EPNGInvalidFileHeader>({});
    ExpectRefused<EPNGInvalidFileHeader>({valid.begin(), valid.begin() + 7});
    for (size_t i = 0; i < 8; ++i) {
        std::vector<uint8_t> bad = valid;
        bad[i] ^= 0x20;
        ExpectRefused<EPNGInvalidFileHeader>(bad);
    }
    TQorvPNGObject image;
    EXPECT_THROW(LoadPng(image, {valid.begin(), valid.begin() + 8}), EPngUnexpectedEnd);
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_THROW(image.RequireHeader(), EPNGHeaderNotPresent);
    EXPECT_NO_THROW(LoadPng(image, valid));
    EXPECT_EQ(image.Width(), 2);
}

TEST(PngFile, ChunkOrderRules) {
    TQorvPNGObject image;
    TPngBuilder gamaFirst;
    gamaFirst.Chunk("gAMA", Be32(45000)).Header(1, 1, 8, 0).ImageData(Compress({0, 0})).End();
    EXPECT_THROW(LoadPng(image, gamaFirst.Bytes()), EPNGIHDRNotFirst);
    EXPECT_EQ(image.Chunks().Count(), 0);

    // Without IEND the reader runs out of chunks; bytes after IEND are never read.
    TPngBuilder noEnd;
    noEnd.Header(1, 1, 8, 0).ImageData(Compress({0, 7}));
    ExpectRefused<EPngUnexpectedEnd>(noEnd.Bytes());
    std::vector<uint8_t> trailing = noEnd.End().Bytes();
    trailing.insert(trailing.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_NO_THROW(LoadPng(image, trailing));

    ExpectRefused<EPNGNoImageData>(TPngBuilder().Header(1, 1, 8, 0).End().Bytes());
}

TEST(PngFile, ChunkClassesAndUnknownChunks) {
    // cHRM is dropped unread (even with a broken CRC); unknown ancillary chunks,
    // lower-case "idat" among them, are kept as generic chunks and written back.
    const std::vector<uint8_t> phys = {0, 0, 11, 19, 0, 0, 11, 19, 1};
    std::vector<uint8_t> chrm = ChunkBytes("cHRM", std::vector<uint8_t>(32, 1));
    chrm.back() ^= 0xFF;
    const std::vector<uint8_t> bytes =
        PaletteImage({{"PLTE", Plte(6)}, {"pHYs", phys}, {"idat", {9, 9}}});
    std::vector<uint8_t> withChrm = bytes;
    withChrm.insert(withChrm.begin() + 8 + 25, chrm.begin(), chrm.end()); // after IHDR

    TQorvPNGObject image;
    LoadPng(image, withChrm);
    EXPECT_EQ(ChunkNames(image),
              (std::vector<std::string>{"IHDR", "PLTE", "pHYs", "idat", "IDAT", "IEND"}));
    EXPECT_EQ(image.Chunks().ChunkAt(2)->ClassType(), &TChunk::ClassInfo);
    EXPECT_EQ(image.Chunks().ChunkAt(3)->ClassType(), &TChunk::ClassInfo);
    const std::vector<uint8_t> out = Written(image);
    EXPECT_TRUE(Contains(out, ChunkBytes("pHYs", phys)));
    EXPECT_TRUE(Contains(out, ChunkBytes("idat", {9, 9})));
    EXPECT_FALSE(Contains(out, {'c', 'H', 'R', 'M'}));

    // An unknown critical chunk stops the read; so does "Idat" (case matters).
    for (const char* name : {"ABCD", "Idat", "IDAt"}) {
        SCOPED_TRACE(name);
        TQorvPNGObject refused;
        EXPECT_THROW(LoadPng(refused, PaletteImage({{"PLTE", Plte(6)}, {name, {1}}})),
                     EPNGUnknownCriticalChunk);
        EXPECT_TRUE(refused.Empty());
    }
}

TEST(PngFile, EveryChunkIsCrcChecked) {
    const std::vector<uint8_t> text = {'T', 'i', 't', 'l', 'e', 0, 'x'};
    const std::vector<uint8_t> bytes = PaletteImage({{"gAMA", Be32(45000)},
                                                     {"tEXt", text},
                                                     {"PLTE", Plte(6)},
                                                     {"tIME", {7, 214, 1, 2, 3, 4, 5}}});
    // Walk the chunks and damage one byte of each (its CRC when it has no data).
    size_t pos = 8;
    int damaged = 0;
    while (pos + 12 <= bytes.size()) {
        const uint32_t length = uint32_t(bytes[pos]) << 24 | bytes[pos + 1] << 16 |
                                bytes[pos + 2] << 8 | bytes[pos + 3];
        const std::string name(bytes.begin() + pos + 4, bytes.begin() + pos + 8);
        SCOPED_TRACE(name);
        std::vector<uint8_t> bad = bytes;
        bad[pos + 8 + length / 2] ^= 0x01;
        TQorvPNGObject image;
        try {
            LoadPng(image, bad);
            ADD_FAILURE() << "accepted";
        } catch (const EPngInvalidCRC&) {
        } catch (const EPNGZLIBError&) {
            EXPECT_EQ(name, "IDAT");
        }
        ++damaged;
        pos += 12 + length;
    }
    EXPECT_EQ(damaged, 7);
}

TEST(PngFile, MessagesAreExact) {
    EXPECT_STREQ(EPngInvalidCRC().what(),
                 "This \"Portable Network Graphics\" image is not valid because it contains "
                 "invalid pieces of data (crc error)");
    EXPECT_STREQ(EPNGIHDRNotFirst().what(),
                 "This \"Portable Network Graphics\" image is not supported or it might be "
                 "invalid.\r\n(IHDR chunk is not the first)");
    EXPECT_STREQ(EPNGZLIBError(-3).what(),
                 "Could not decompress the image because it contains invalid compressed "
                 "data.\r\n Description: data error (-3)");
    EXPECT_EQ(ZlibErrorText(2), "need dictionary (2)");
    EXPECT_EQ(ZlibErrorText(-6), "incompatible version (-6)");
    TQorvPNGObject image;
    try {
        image.SetWidth(5);
        ADD_FAILURE();
    } catch (const EPngError& e) {
        EXPECT_EQ(e.Message(), SPngErrorResize);
    }
}

TEST(PngFile, CopyFromImageKeepsChunksAndPixels) {
    TQorvPNGObject source, copy;
    LoadPng(source, PaletteImage({{"gAMA", Be32(45000)},
                                  {"PLTE", Plte(6)},
                                  {"tRNS", {255, 255, 0}},
                                  {"tEXt", {'k', 0, 'v'}}}));
    copy.CopyFromImage(source);
    EXPECT_EQ(ChunkNames(copy), ChunkNames(source));
    for (int i = 0; i < copy.Chunks().Count(); ++i)
        EXPECT_EQ(copy.Chunks().ChunkAt(i)->ClassType(), source.Chunks().ChunkAt(i)->ClassType());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(copy.ReadPixel(x, y), source.ReadPixel(x, y));
    EXPECT_EQ(copy.TransparencyKindOf(), tkBit);
    EXPECT_EQ(copy.Chunks().Find<TChunktEXt>()->Text, "v");
    // The copy owns its pixels.
    copy.WritePixel(0, 0, copy.ReadPixel(1, 1));
    EXPECT_NE(copy.ReadPixel(0, 0), source.ReadPixel(0, 0));

    TChunkPLTE plte(&copy);
    EXPECT_THROW(plte.AssignFrom(*source.Chunks().Find<TChunkgAMA>()), EPngError);
}

TEST(PngFile, CopyWithGammaWritesTheSameFile) {
    // gAMA 100000 moves every sample; the copy must write them back as the
    // source does, not a second time through the gamma.
    const std::vector<uint8_t> gama = Be32(100000);
    const std::vector<std::vector<uint8_t>> files = {
        MakePng(2, 2, 8, 2, Rows{{0x39, 0x98, 0x80, 1, 2, 3}, {200, 100, 50, 255, 0, 128}}, false,
                {{"gAMA", gama}}),
        MakePng(2, 1, 8, 6, Rows{{0x39, 0x98, 0x80, 77, 9, 250, 128, 200}}, false,
                {{"gAMA", gama}}),
        PaletteImage({{"gAMA", gama}, {"PLTE", Plte(6)}}),
        MakePng(3, 1, 8, 0, Rows{{10, 128, 250}}, false, {{"gAMA", gama}}),
        MakePng(2, 1, 16, 0, Rows{{0x40, 0x00, 0xC0, 0x00}}, false, {{"gAMA", gama}}),
    };
    for (const auto& file : files) {
        TQorvPNGObject source;
        LoadPng(source, file);
        const std::vector<uint8_t> original = Written(source);
        TQorvPNGObject copied, assigned, assignedInto;
        copied.CopyFromImage(source);
        assigned.Assign(&source);
        source.AssignInto(assignedInto);
        for (TQorvPNGObject* copy : {&copied, &assigned, &assignedInto}) {
            for (int x = 0; x < source.Width(); ++x)
                EXPECT_EQ(copy->ReadPixel(x, 0), source.ReadPixel(x, 0));
            const std::vector<uint8_t> written = Written(*copy);
            EXPECT_EQ(written, original);
            TQorvPNGObject back;
            LoadPng(back, written);
            for (int y = 0; y < source.Height(); ++y)
                for (int x = 0; x < source.Width(); ++x)
                    EXPECT_EQ(back.ReadPixel(x, y), source.ReadPixel(x, y)) << x << "," << y;
        }
    }
}

TEST(PngFile, CutOffFilesReportTheirEnd) {
    // Every chunk kind the reader treats apart: skipped (cHRM, later IDAT),
    // generic, the image data over two chunks, and IEND.
    const Rows rows(4, std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9});
    const std::vector<uint8_t> z = Compress(RawScanlines(rows, 3, 8, 2, false));
    TPngBuilder b;
    b.Header(3, 4, 8, 2).Chunk("cHRM", std::vector<uint8_t>(32, 1)).Chunk("pHYs", {1, 2, 3});
    b.ImageData(z, {z.size() / 2, 0}).Chunk("tEXt", {'k', 0, 'v'}).End();
    const std::vector<uint8_t> file = b.Bytes();
    TQorvPNGObject image;
    ASSERT_NO_THROW(LoadPng(image, file));
    for (size_t cut = 0; cut < file.size(); ++cut) {
        SCOPED_TRACE(cut);
        TQorvPNGObject part;
        try {
            LoadPng(part, {file.begin(), file.begin() + long(cut)});
            ADD_FAILURE() << "accepted";
        } catch (const EPNGInvalidFileHeader&) {
            EXPECT_LT(cut, 8u);
        } catch (const EPngUnexpectedEnd&) {
            EXPECT_GE(cut, 8u);
        }
    }
    // A length beyond the end of the file is the same end.
    std::vector<uint8_t> longer = file;
    longer[8 + 25 + 44] = 0x10; // the high byte of pHYs's length
    ExpectRefused<EPngUnexpectedEnd>(longer);
}

TEST(PngFile, CompressionLevelOutsideZlibsRangeIsRefused) {
    TQorvPNGObject image;
    LoadPng(image,
            PaletteImage({{"PLTE", Plte(6)}, {"zTXt", {'k', 0, 0, 0x78, 0x9c, 3, 0, 0, 0, 0, 1}}}));
    image.SetCompressionLevel(10);
    TMemoryStream out;
    try {
        image.WriteStream(out);
        ADD_FAILURE() << "written";
    } catch (const EPngError& e) {
        EXPECT_EQ(e.Message(), SPngErrorCompressionLevel);
    }
    EXPECT_TRUE(out.Bytes().empty());
    for (uint8_t level : {0, 9}) {
        image.SetCompressionLevel(level);
        TQorvPNGObject back;
        EXPECT_NO_THROW(LoadPng(back, Written(image)));
        EXPECT_EQ(back.ReadPixel(1, 1), image.ReadPixel(1, 1));
    }
}

TEST(PngList, OwnsItsChunksAndFindsByClass) {
    TQorvPNGObject image;
    LoadPng(image,
            PaletteImage({{"PLTE", Plte(6)}, {"zTXt", {'k', 0, 0, 0x78, 0x9c, 3, 0, 0, 0, 0, 1}}}));
    TPNGList& list = image.Chunks();
    EXPECT_EQ(list.ChunkAt(list.Count()), nullptr);
    EXPECT_EQ(list.ChunkAt(-1), nullptr);
    // A search for a class also finds the classes derived from it.
    EXPECT_EQ(list.FindByClass(&TChunktEXt::ClassInfo)->Name(), "zTXt");
    EXPECT_EQ(ChunkNameOf(&TChunkIHDR::ClassInfo), "IHDR");
    EXPECT_EQ(ChunkNameOf(&TChunk::ClassInfo), "");

    // Extracting hands the chunk over; the list closes the gap.
    TChunk* text = list.Find<TChunkzTXt>();
    std::unique_ptr<TChunk> taken = list.Extract(text);
    EXPECT_EQ(taken.get(), text);
    EXPECT_EQ(ChunkNames(image), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
    EXPECT_EQ(list.Extract(text), nullptr);
    EXPECT_EQ(list.Find<TChunktEXt>(), nullptr);
}

TEST(Gamma, TablesFollowTheRoundingRule) {
    TQorvPNGObject image;
    LoadPng(image, PaletteImage({{"gAMA", Be32(45000)}, {"PLTE", Plte(6)}}));
    EXPECT_EQ(image.GammaTable()[64], 63);
    EXPECT_EQ(image.GammaTable()[128], 127);
    EXPECT_EQ(image.GammaTable()[0], 0);
    EXPECT_EQ(image.GammaTable()[255], 255);
    EXPECT_EQ(image.InverseGamma()[128], 129);
    EXPECT_EQ(image.InverseGamma()[127], 128);
    LoadPng(image, PaletteImage({{"gAMA", Be32(100000)}, {"PLTE", Plte(6)}}));
    EXPECT_EQ(image.GammaTable()[128], 186);
    EXPECT_EQ(image.GammaTable()[1], 21);

    // Every table equals the extended-precision rule, ties included.
    for (uint32_t v : {1u, 100u, 22727u, 45000u, 45454u, 45455u, 50000u, 55556u, 70000u, 100000u,
                       250000u, 1000000u, 4000000000u}) {
        for (uint32_t step = 0; step < 40; ++step) {
            const uint32_t value = v + step * 37;
            uint8_t expected[256], inverse[256];
            ExpectedGammaTables(value, expected, inverse);
            LoadPng(image, PaletteImage({{"gAMA", Be32(value)}, {"PLTE", Plte(6)}}));
            ASSERT_TRUE(std::equal(expected, expected + 256, image.GammaTable())) << value;
            ASSERT_TRUE(std::equal(inverse, inverse + 256, image.InverseGamma())) << value;
        }
    }
}

TEST(Gamma, ZeroOrDamagedValuesChangeNothing) {
    // The value 0, and chunks of the wrong length, which have no value: the
    // picture is the one without gAMA, and the chunk goes back as it came.
    const std::vector<std::vector<uint8_t>> values = {
        Be32(0), {}, {0, 0, 1}, {0, 0, 1, 0x86, 0xA0}};
    const Rows greyRows = {{0, 64, 200}}, rgbRows = {{10, 100, 200, 254, 1, 128, 50, 60, 70}};
    TQorvPNGObject plain;
    for (const auto& value : values) {
        SCOPED_TRACE(value.size());
        for (const auto& [type, rows] :
             {std::pair{uint8_t(0), greyRows}, std::pair{uint8_t(2), rgbRows}}) {
            LoadPng(plain, MakePng(3, 1, 8, type, rows));
            TQorvPNGObject image;
            LoadPng(image, MakePng(3, 1, 8, type, rows, false, {{"gAMA", value}}));
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(image.ReadPixel(x, 0), plain.ReadPixel(x, 0)) << int(type);
            EXPECT_EQ(StoredColor(image, 1, 0).rgbRed, StoredColor(plain, 1, 0).rgbRed);
            EXPECT_TRUE(
                std::equal(image.InverseGamma(), image.InverseGamma() + 256, IdentityGamma()));
            EXPECT_TRUE(Contains(Written(image), ChunkBytes("gAMA", value)));
        }
        TQorvPNGObject palette;
        LoadPng(palette, PaletteImage({{"gAMA", value}, {"PLTE", Plte(6)}}));
        EXPECT_EQ(palette.ReadPixel(1, 1), Rgb(50, 105, 195));
    }
    TQorvPNGObject image;
    // A palette before gAMA stays as it is; RGB pixels after it are corrected.
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"gAMA", Be32(100000)}}));
    EXPECT_EQ(image.ReadPixel(0, 1), Rgb(20, 102, 198));
    const std::vector<uint8_t> rgb =
        MakePng(1, 1, 8, 2, Rows{{128, 1, 255}}, false, {{"gAMA", Be32(100000)}});
    LoadPng(image, rgb);
    EXPECT_EQ(image.ReadPixel(0, 0), Rgb(186, 21, 255));
    // Emptying the image resets the tables.
    image.RemoveAllChunks();
    EXPECT_EQ(image.GammaTable()[128], 128);
}

TEST(Palette, ChunkLengths) {
    TQorvPNGObject image;
    EXPECT_NO_THROW(LoadPng(image, PaletteImage({{"PLTE", {}}})));
    EXPECT_EQ(image.Chunks().Find<TChunkPLTE>()->Count(), 0);
    EXPECT_THROW(image.ReadPixel(0, 0), EPngError); // no such palette entry
    EXPECT_NO_THROW(LoadPng(image, PaletteImage({{"PLTE", Plte(256)}})));
    EXPECT_EQ(image.Chunks().Find<TChunkPLTE>()->Count(), 256);
    ExpectRefused<EPNGInvalidPalette>(PaletteImage({{"PLTE", std::vector<uint8_t>(769, 1)}}));
    ExpectRefused<EPNGInvalidPalette>(PaletteImage({{"PLTE", std::vector<uint8_t>(770, 1)}}));
    ExpectRefused<EPNGInvalidPalette>(PaletteImage({{"PLTE", std::vector<uint8_t>(10, 1)}}));
    ExpectRefused<EPNGInvalidPalette>(
        PaletteImage({{"PLTE", Plte(6)}, {"tRNS", std::vector<uint8_t>(257, 1)}}));
    EXPECT_NO_THROW(
        LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"tRNS", std::vector<uint8_t>(256, 1)}})));

    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}}));
    const auto* plte = image.Chunks().Find<TChunkPLTE>();
    EXPECT_EQ(plte->PaletteEntry(5).rgbRed, 50);
    EXPECT_THROW(plte->PaletteEntry(6), EPngError);
    EXPECT_THROW(plte->PaletteEntry(-1), EPngError);
}

TEST(Transparency, KindsAndColours) {
    TQorvPNGObject image;
    std::vector<uint8_t> alpha(6, 255);
    alpha[5] = 0;
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"tRNS", alpha}}));
    EXPECT_EQ(image.TransparencyKindOf(), tkBit);
    EXPECT_EQ(image.TransparentColorOf(), Rgb(50, 105, 195));
    EXPECT_TRUE(image.Transparent());

    // The only entry below 255 but none fully transparent: partial alpha is
    // blended, not taken for a key on black.
    alpha[5] = 128;
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"tRNS", alpha}}));
    EXPECT_EQ(image.TransparencyKindOf(), tkPartial);

    alpha[2] = 0;
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"tRNS", alpha}}));
    EXPECT_EQ(image.TransparencyKindOf(), tkPartial);

    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}}));
    EXPECT_EQ(image.TransparencyKindOf(), tkNone);
    EXPECT_FALSE(image.Transparent());

    // RGB and grey take the low bytes of their 16-bit samples.
    LoadPng(image, MakePng(1, 1, 8, 2, Rows{{1, 2, 3}}, false, {{"tRNS", {0, 10, 0, 20, 0, 30}}}));
    EXPECT_EQ(image.TransparencyKindOf(), tkBit);
    EXPECT_EQ(image.TransparentColorOf(), Rgb(10, 20, 30));
    LoadPng(image, MakePng(1, 1, 8, 0, Rows{{1}}, false, {{"tRNS", {0, 77}}}));
    EXPECT_EQ(image.TransparentColorOf(), Rgb(77, 77, 77));
    LoadPng(image, MakePng(1, 1, 8, 6, Rows{{1, 2, 3, 4}}));
    EXPECT_EQ(image.TransparencyKindOf(), tkPartial);
    LoadPng(image, MakePng(1, 1, 8, 4, Rows{{1, 2}}));
    EXPECT_EQ(image.TransparencyKindOf(), tkPartial);
    TQorvPNGObject empty;
    EXPECT_THROW(empty.TransparencyKindOf(), EPNGHeaderNotPresent);
}

TEST(Transparency, AssignTransparentColor) {
    TQorvPNGObject image;
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"tRNS", {255}}}));
    auto* trns = image.Chunks().Find<TChunktRNS>();
    trns->AssignTransparentColor(Rgb(30, 103, 197)); // entry 3
    EXPECT_EQ(trns->DataSize(), 4);
    EXPECT_EQ(trns->PaletteValues[2], 255);
    EXPECT_EQ(trns->PaletteValues[3], 0);
    EXPECT_EQ(image.TransparentColorOf(), Rgb(30, 103, 197));
    trns->AssignTransparentColor(Rgb(1, 2, 3)); // not in the palette: entry 0
    EXPECT_EQ(trns->DataSize(), 1);
    EXPECT_EQ(trns->PaletteValues[0], 0);
    // Written back from the alpha table.
    EXPECT_TRUE(Contains(Written(image), ChunkBytes("tRNS", {0})));

    LoadPng(image, MakePng(1, 1, 8, 2, Rows{{1, 2, 3}}, false, {{"tRNS", {0, 0, 0, 0, 0, 0}}}));
    trns = image.Chunks().Find<TChunktRNS>();
    trns->AssignTransparentColor(Rgb(10, 20, 30));
    EXPECT_EQ(trns->DataSize(), 6);
    EXPECT_TRUE(Contains(Written(image), ChunkBytes("tRNS", {0, 10, 0, 20, 0, 30})));
}

TEST(TextChunks, TimeAndText) {
    TQorvPNGObject image;
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)},
                                 {"tIME", {0x07, 0xD6, 12, 31, 23, 59, 58}},
                                 {"tEXt", {'A', 'u', 't', 'h', 'o', 'r', 0, 'M', 'e'}}}));
    const auto* time = image.Chunks().Find<TChunktIME>();
    EXPECT_EQ(time->Year, 2006);
    EXPECT_EQ(time->Second, 58);
    const auto* text = image.Chunks().Find<TChunktEXt>();
    EXPECT_EQ(text->Keyword, "Author");
    EXPECT_EQ(text->Text, "Me");
    const std::vector<uint8_t> out = Written(image);
    EXPECT_TRUE(Contains(out, ChunkBytes("tIME", {0x07, 0xD6, 12, 31, 23, 59, 58})));
    EXPECT_TRUE(Contains(out, ChunkBytes("tEXt", {'A', 'u', 't', 'h', 'o', 'r', 0, 'M', 'e'})));

    // Two bytes or less: nothing is taken, and a single zero byte goes back.
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"tEXt", {'A', 'B'}}}));
    text = image.Chunks().Find<TChunktEXt>();
    EXPECT_EQ(text->Keyword, "");
    EXPECT_EQ(text->Text, "");
    EXPECT_TRUE(Contains(Written(image), ChunkBytes("tEXt", {0})));
    // No zero byte: all keyword.
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"tEXt", {'A', 'B', 'C'}}}));
    EXPECT_EQ(image.Chunks().Find<TChunktEXt>()->Keyword, "ABC");
}

TEST(TextChunks, CompressedText) {
    const std::string message = "A compressed comment, repeated, repeated, repeated.";
    std::vector<uint8_t> packed = Compress(std::vector<uint8_t>(message.begin(), message.end()));
    std::vector<uint8_t> data = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    data.insert(data.end(), packed.begin(), packed.end());
    TQorvPNGObject image;
    LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"zTXt", data}}));
    auto* ztxt = static_cast<TChunkzTXt*>(image.Chunks().Find<TChunkzTXt>());
    EXPECT_EQ(ztxt->Keyword, "Comment");
    EXPECT_EQ(ztxt->Text, message);

    // Written back compressed and read again to the same text.
    const std::vector<uint8_t> out = Written(image);
    EXPECT_TRUE(Contains(out, {'z', 'T', 'X', 't', 'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0}));

    // Unknown method, broken data, no method byte: empty text, no failure.
    for (auto bad :
         {std::vector<uint8_t>{'K', 0, 1, 0x78, 0x9c, 3, 0},
          std::vector<uint8_t>{'K', 0, 0, 0x78, 0x9c, 0xFF, 0xFF, 0xFF},
          std::vector<uint8_t>{'K', 'e', 'y', 0}, std::vector<uint8_t>{'K', 'e', 'y', 'w'}}) {
        LoadPng(image, PaletteImage({{"PLTE", Plte(6)}, {"zTXt", bad}}));
        EXPECT_EQ(image.Chunks().Find<TChunkzTXt>()->Text, "");
    }

    // A preset dictionary cannot be met: the call fails instead of looping.
    std::string out2, error;
    const uint8_t dictionary[] = {0x78, 0xBB, 0, 0, 0, 1, 3, 0};
    EXPECT_FALSE(InflateText(dictionary, sizeof dictionary, out2, error));
    EXPECT_TRUE(DeflateText(reinterpret_cast<const uint8_t*>("abc"), 3, 9, out2, error));
    std::string back;
    EXPECT_TRUE(
        InflateText(reinterpret_cast<const uint8_t*>(out2.data()), out2.size(), back, error));
    EXPECT_EQ(back, "abc");
    EXPECT_FALSE(DeflateText(reinterpret_cast<const uint8_t*>("abc"), 3, 42, out2, error));
}
