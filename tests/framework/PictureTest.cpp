#include "framework/Picture.h"

#include <gtest/gtest.h>

namespace {

// A graphic whose stream is its size as two bytes, then that many bytes.
class TTestGraphic : public TGraphic {
public:
    std::string GraphicClassName() const override { return "TTestGraphic"; }
    void PaintTo(TCanvas&, const TRect&) override {}
    bool Empty() const override { return FWidth == 0; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int v) override { FWidth = v; }
    void SetHeight(int v) override { FHeight = v; }
    void LoadFromStream(TStream& stream) override {
        uint8_t size[2];
        stream.ReadBuffer(size, 2);
        FWidth = size[0], FHeight = size[1];
    }
    void SaveToStream(TStream& stream) const override {
        const uint8_t size[2] = {static_cast<uint8_t>(FWidth), static_cast<uint8_t>(FHeight)};
        stream.WriteBuffer(size, 2);
    }

private:
    int FWidth = 0, FHeight = 0;
};

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterGraphicClass({"TTestGraphic", "tst", "Test pictures",
                              [] { return std::make_unique<TTestGraphic>(); }});
    }
    void TearDown() override { UnregisterGraphicClass("TTestGraphic"); }
};

TEST_F(PictureTest, ClassesAreFoundByExtensionAnyCaseAndByName) {
    ASSERT_NE(FindGraphicClassByExtension("TST"), nullptr);
    EXPECT_EQ(FindGraphicClassByExtension("Tst")->Description, "Test pictures");
    EXPECT_NE(FindGraphicClassByName("TTestGraphic"), nullptr);
    EXPECT_EQ(FindGraphicClassByName("ttestgraphic"), nullptr); // class names are exact
    UnregisterGraphicClass("TTestGraphic");
    EXPECT_EQ(FindGraphicClassByExtension("tst"), nullptr);
}

TEST_F(PictureTest, StoredDataNamesItsClassAndRoundTrips) {
    TPicture picture;
    auto graphic = std::make_unique<TTestGraphic>();
    graphic->SetWidth(7);
    graphic->SetHeight(9);
    picture.SetGraphic(std::move(graphic));
    TMemoryStream stream;
    picture.WriteData(stream);
    const std::vector<uint8_t> expected = {12,  'T', 'T', 'e', 's', 't', 'G', 'r',
                                           'a', 'p', 'h', 'i', 'c', 7,   9};
    EXPECT_EQ(stream.Bytes(), expected);

    stream.SetPosition(0);
    TPicture copy;
    copy.ReadData(stream);
    ASSERT_NE(copy.Graphic(), nullptr);
    EXPECT_EQ(copy.Graphic()->Width(), 7);
    EXPECT_EQ(copy.Graphic()->Height(), 9);
}

TEST_F(PictureTest, UnknownOrTruncatedDataIsRefusedAndKeepsThePicture) {
    TPicture picture;
    {
        std::vector<uint8_t> ok = {12,  'T', 'T', 'e', 's', 't', 'G', 'r',
                                   'a', 'p', 'h', 'i', 'c', 1,   2};
        TMemoryStream s(ok);
        picture.ReadData(s);
    }
    const std::vector<std::vector<uint8_t>> bad = {
        {5, 'T', 'N', 'o', 'n', 'e', 1, 2},                                  // unknown class
        {12, 'T', 'T', 'e', 's', 't'},                                       // name cut short
        {12, 'T', 'T', 'e', 's', 't', 'G', 'r', 'a', 'p', 'h', 'i', 'c', 1}, // data cut short
        {},
    };
    for (const auto& bytes : bad) {
        TMemoryStream s(bytes);
        EXPECT_ANY_THROW(picture.ReadData(s));
        ASSERT_NE(picture.Graphic(), nullptr);
        EXPECT_EQ(picture.Graphic()->Width(), 1);
    }
    EXPECT_THROW(picture.LoadFromFile("picture.unknown"), EInvalidGraphic);
}

TEST_F(PictureTest, AssigningBetweenUnrelatedClassesIsRefused) {
    TTestGraphic a, b;
    EXPECT_THROW(a.Assign(&b), EInvalidGraphic);
    EXPECT_THROW(a.Assign(nullptr), EInvalidGraphic);
}

} // namespace
