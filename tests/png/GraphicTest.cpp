// The image as the picture framework's graphic class, and the arithmetic of
// blended drawing on a 32-bit background.
#include <gtest/gtest.h>

#include <algorithm>

#include "png/QorvFormatPNG_internal.h"
#include "tests/png/PngTestUtil.h"

namespace {
class TOtherGraphic : public TGraphic {
public:
    std::string GraphicClassName() const override { return "TOther"; }
    void PaintTo(TCanvas&, const TRect&) override {}
    bool Empty() const override { return true; }
    int Width() const override { return 0; }
    int Height() const override { return 0; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) const override {}
};

// width x height pixels of blue, green, red, unused.
std::vector<uint8_t> Background(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    std::vector<uint8_t> v;
    for (int i = 0; i < width * height; ++i)
        v.insert(v.end(), {b, g, r, 0});
    return v;
}

std::vector<uint8_t> Pixel(const std::vector<uint8_t>& bg, int width, int x, int y) {
    const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 4;
    return {bg[i], bg[i + 1], bg[i + 2]};
}
} // namespace

TEST(PngGraphic, RegisteredByExtensionAndName) {
    const TGraphicClass* byExtension = FindGraphicClassByExtension("png");
    ASSERT_NE(byExtension, nullptr);
    EXPECT_EQ(byExtension->ClassName, "TQorvPNGObject");
    EXPECT_EQ(byExtension->Description, "Portable Network Graphics");
    ASSERT_EQ(FindGraphicClassByName("TQorvPNGObject"), byExtension);
    auto graphic = byExtension->Create();
    EXPECT_NE(dynamic_cast<TQorvPNGObject*>(graphic.get()), nullptr);
    EXPECT_EQ(graphic->GraphicClassName(), "TQorvPNGObject");

    // A picture as forms store it: the class name, then the PNG bytes.
    const std::vector<uint8_t> png = MakePng(3, 2, 8, 2, {std::vector<uint8_t>(9, 7), {}});
    std::vector<uint8_t> stored{14};
    for (char c : std::string("TQorvPNGObject"))
        stored.push_back(uint8_t(c));
    stored.insert(stored.end(), png.begin(), png.end());
    TReadOnlyMemoryStream stream(stored.data(), stored.size());
    TPicture picture;
    picture.ReadData(stream);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->Width(), 3);
    EXPECT_EQ(picture.Graphic()->Height(), 2);
}

TEST(PngGraphic, RegisteredOnlyByTheExplicitCall) {
    const std::vector<uint8_t> png = MakePng(1, 1, 8, 0, {{7}});
    UnregisterPNGGraphicClass();
    EXPECT_EQ(FindGraphicClassByName("TQorvPNGObject"), nullptr);
    // Without its chunk classes the unit cannot read a header.
    TQorvPNGObject image;
    EXPECT_THROW(LoadPng(image, png), EPNGUnknownCriticalChunk);

    RegisterPNGGraphicClass();
    RegisterPNGGraphicClass();
    const auto classes = GraphicClasses();
    EXPECT_EQ(std::count_if(classes.begin(), classes.end(),
                            [](const TGraphicClass& c) { return c.ClassName == "TQorvPNGObject"; }),
              1);
    ASSERT_NO_THROW(LoadPng(image, png));
    EXPECT_EQ(image.ReadPixel(0, 0), 0x070707u);
}

TEST(PngGraphic, AssignBetweenImages) {
    TQorvPNGObject a, b;
    LoadPng(a, MakePng(2, 1, 8, 0, {{10, 20}}));
    b.Assign(&a);
    ASSERT_EQ(b.Width(), 2);
    EXPECT_EQ(b.RowPointer(0)[1], 20);
    TQorvPNGObject c;
    a.AssignInto(c);
    EXPECT_EQ(c.Width(), 2);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
    TOtherGraphic other;
    EXPECT_THROW(b.Assign(&other), EInvalidGraphic);
    EXPECT_THROW(other.Assign(&a), EInvalidGraphic);
}

TEST(PngBlend, GreyAlphaOverWhite) {
    TQorvPNGObject image;
    LoadPng(image, MakePng(1, 1, 8, 4, {{200, 128}}));
    std::vector<uint8_t> bg = Background(1, 1, 255, 255, 255);
    BlendImageOver(image, bg.data(), 1, 1);
    EXPECT_EQ(Pixel(bg, 1, 0, 0), (std::vector<uint8_t>{227, 227, 227}));
    // Grey with alpha has no shortcut: alpha 255 still rounds through the sum.
    LoadPng(image, MakePng(1, 1, 8, 4, {{100, 255}}));
    bg = Background(1, 1, 0, 0, 0);
    BlendImageOver(image, bg.data(), 1, 1);
    EXPECT_EQ(Pixel(bg, 1, 0, 0), (std::vector<uint8_t>{100, 100, 100}));
}

TEST(PngBlend, RgbaPlacesAndStretchesPixels) {
    // Top row: opaque red, transparent; bottom row: half green, opaque blue.
    TQorvPNGObject image;
    LoadPng(image,
            MakePng(2, 2, 8, 6, {{255, 0, 0, 255, 9, 9, 9, 0}, {0, 255, 0, 128, 0, 0, 255, 255}}));
    std::vector<uint8_t> bg = Background(2, 2, 10, 20, 30);
    BlendImageOver(image, bg.data(), 2, 2);
    EXPECT_EQ(Pixel(bg, 2, 0, 0), (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ(Pixel(bg, 2, 1, 0), (std::vector<uint8_t>{10, 20, 30}));
    EXPECT_EQ(Pixel(bg, 2, 0, 1),
              (std::vector<uint8_t>{(127 * 10 + 255) / 256, (255 * 128 + 127 * 20 + 255) / 256,
                                    (127 * 30 + 255) / 256}));
    EXPECT_EQ(Pixel(bg, 2, 1, 1), (std::vector<uint8_t>{255, 0, 0}));
    // Twice the size: each source pixel covers two by two.
    bg = Background(4, 4, 10, 20, 30);
    BlendImageOver(image, bg.data(), 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::vector<uint8_t> p = Pixel(bg, 4, x, y);
            if (x < 2 && y < 2) {
                EXPECT_EQ(p, (std::vector<uint8_t>{0, 0, 255}));
            } else if (y < 2) {
                EXPECT_EQ(p, (std::vector<uint8_t>{10, 20, 30}));
            } else if (x >= 2) {
                EXPECT_EQ(p, (std::vector<uint8_t>{255, 0, 0}));
            }
        }
}

TEST(PngBlend, PaletteWithPartialTransparency) {
    // Entries: red at alpha 0, green at alpha 128, blue opaque (beyond tRNS).
    TQorvPNGObject image;
    LoadPng(image, MakePng(3, 1, 8, 3, {{0, 1, 2}}, false,
                           {{"PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255}}, {"tRNS", {0, 128}}}));
    ASSERT_EQ(image.TransparencyKindOf(), tkPartial);
    std::vector<uint8_t> bg = Background(3, 1, 255, 255, 255);
    BlendImageOver(image, bg.data(), 3, 1);
    EXPECT_EQ(Pixel(bg, 3, 0, 0), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(Pixel(bg, 3, 1, 0), (std::vector<uint8_t>{127, 255, 127}));
    EXPECT_EQ(Pixel(bg, 3, 2, 0), (std::vector<uint8_t>{255, 0, 0}));
    // An index beyond the palette is refused, not read out of bounds.
    LoadPng(image, MakePng(1, 1, 8, 3, {{7}}, false, {{"PLTE", {1, 2, 3}}, {"tRNS", {0, 128}}}));
    EXPECT_THROW(BlendImageOver(image, bg.data(), 1, 1), EPngError);
}
