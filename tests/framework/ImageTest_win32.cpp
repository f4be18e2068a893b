// A picture stored in form data, as windows keep their background pictures:
// read by class name into a TImage and painted where the image stands.
#include "framework/Forms_win32.h"
#include "framework/Graphics_win32.h"
#include "framework/Registration_win32.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class TPictureForm : public TCustomForm {
    QORV_COMPONENT_CLASS
public:
    TPictureForm() : TCustomForm(nullptr) {}
};

const TClassInfo& TPictureForm::StaticClass() {
    static const TClassInfo info{"TPictureForm", &TCustomForm::StaticClass(), nullptr, {}};
    return info;
}

// A 2 x 2 bitmap: blue left column, red right column; stored as forms store it.
std::string StoredBitmap() {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<uint32_t*>(bits);
    px[0] = px[2] = 0x0000FF; // blue
    px[1] = px[3] = 0xFF0000; // red
    TPicture picture;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetHandle(handle);
    picture.SetGraphic(std::move(bitmap));
    TMemoryStream stream;
    picture.WriteData(stream);
    std::string hex;
    for (uint8_t b : stream.Bytes()) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    return hex;
}

TEST(ImageControl, ReadsItsPictureFromFormDataAndPaintsItInPlace) {
    RegisterControlClasses();
    RegisterFrameworkClasses();
    TPictureForm form;
    ReadFormData(form,
                 "object F: TPictureForm\n"
                 "  ClientWidth = 40\n  ClientHeight = 40\n"
                 "  object Img: TImage\n    Left = 3\n    Top = 4\n    Width = 8\n    Height = 8\n"
                 "    Stretch = True\n    Picture.Data = {" +
                     StoredBitmap() + "}\n  end\nend",
                 TMethodTable());
    auto* image = dynamic_cast<TImage*>(form.FindComponent("Img"));
    ASSERT_NE(image, nullptr);
    ASSERT_NE(image->Picture().Graphic(), nullptr);
    EXPECT_EQ(image->Picture().Graphic()->GraphicClassName(), "TBitmap");

    TScreenDC screen;
    TMemoryDC dc(screen.Get());
    TBitmapHandle target(CreateCompatibleBitmap(screen.Get(), 16, 16));
    TSelectObject select(dc.Get(), target.Get());
    const RECT all{0, 0, 16, 16};
    FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    image->Paint(dc.Get());
    EXPECT_EQ(GetPixel(dc.Get(), 2, 5), RGB(255, 255, 255));  // left of the image
    EXPECT_EQ(GetPixel(dc.Get(), 4, 5), RGB(0, 0, 255));      // stretched left column
    EXPECT_EQ(GetPixel(dc.Get(), 10, 11), RGB(255, 0, 0));    // stretched right column
    EXPECT_EQ(GetPixel(dc.Get(), 11, 5), RGB(255, 255, 255)); // right of the image
}

TEST(ImageControl, AnUnknownPictureClassIsAFormDataError) {
    RegisterControlClasses();
    RegisterFrameworkClasses();
    TPictureForm form;
    EXPECT_THROW(ReadFormData(form,
                              "object F: TPictureForm\n  object Img: TImage\n"
                              "    Picture.Data = {04544E6F6E65}\n  end\nend",
                              TMethodTable()),
                 EInvalidGraphic);
}

} // namespace
