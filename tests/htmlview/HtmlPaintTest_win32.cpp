// GDI measuring and page painting, read back from a memory bitmap.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "framework/Gdi_win32.h"
#include "htmlview/HtmlPaint_win32.h"
#include "tests/htmlview/HtmlViewTestUtil_win32.h"
#include "tests/tools/DibSurface_win32.h"

namespace {
// A white bitmap to paint on, and how much of a rectangle was inked.
class TSurface : public TDibSurface {
public:
    TSurface(int width, int height) : TDibSurface(width, height, RGB(255, 255, 255)) {}
    int Inked(const RECT& r) const { return CountOther(r, RGB(255, 255, 255)); }
};

THtmlFont Sans(double pt, bool bold = false) {
    return {{"Verdana", "Arial", "sans-serif"}, pt, bold};
}

THtmlPages OnePage() {
    THtmlPages pages = HandMadePages(1);
    pages.Fonts.push_back(Sans(12));
    auto& items = pages.Pages[0].Items;
    items.push_back(THtmlEdge{{100, 10, 101, 100}, colors::RGBColor(0, 0, 255)});
    items.push_back(THtmlText{20, 130, 150, 60, 0, clBlack, "XXXX"});
    items.push_back(THtmlText{20, 200, 220, 60, 7, clBlack, "no such font"});
    return pages;
}
} // namespace

TEST(HtmlMeasure, WidthsAreTheSystemsExtentsOfTheWholeText) {
    // The measurer sums the characters' advances: that must be what the
    // system gives for the text, in each kind of font and at each resolution.
    std::string every;
    for (int c = 32; c < 256; ++c)
        every += static_cast<char>(c);
    const std::string texts[] = {"Description", "The operation completed successfully.",
                                 "WWW iii ,,, ...", "(0x%2) %1 & <br />", every};
    TScreenDC screen;
    TMemoryDC memory(screen.Get());
    for (const THtmlFont& font :
         {Sans(8), Sans(8, true), Sans(13, true), THtmlFont{{"Times New Roman"}, 10, false, true},
          THtmlFont{{"Courier New"}, 7}})
        for (int dpi : {96, 300, 600}) {
            THtmlFontCache fonts;
            TSelectObject select(memory.Get(), fonts.Font(font, HtmlEmPixels(font, dpi)));
            TGdiTextMeasurer measurer(memory.Get());
            for (const std::string& text : texts) {
                SIZE size{};
                GetTextExtentPoint32A(memory.Get(), text.data(), int(text.size()), &size);
                EXPECT_EQ(measurer.Measure(font, text, dpi).Width, size.cx)
                    << font.Families[0] << " " << font.SizePt << " at " << dpi << ": " << text;
            }
        }
}

TEST(HtmlMeasure, FontsScaleWithTheResolutionAndTheText) {
    TScreenDC screen;
    TGdiTextMeasurer measurer(screen.Get());
    const THtmlTextExtent empty = measurer.Measure(Sans(10), "", 300);
    EXPECT_EQ(empty.Width, 0);
    EXPECT_GT(empty.Height, 30); // 10 pt at 300 per inch: an em of 42 units
    EXPECT_GT(empty.Ascent, 0);
    EXPECT_LT(empty.Ascent, empty.Height);
    const THtmlTextExtent word = measurer.Measure(Sans(10), "Description", 300);
    EXPECT_EQ(word.Height, empty.Height);
    EXPECT_GT(word.Width, measurer.Measure(Sans(10), "Desc", 300).Width);
    EXPECT_GE(measurer.Measure(Sans(10, true), "Description", 300).Width, word.Width);
    const THtmlTextExtent twice = measurer.Measure(Sans(10), "Description", 600);
    EXPECT_NEAR(twice.Width, 2.0 * word.Width, 0.1 * word.Width);
    EXPECT_NEAR(twice.Height, 2.0 * word.Height, 0.1 * word.Height);
    // Back in the first font after others: its own figures, not the last font's.
    const THtmlTextExtent again = measurer.Measure(Sans(10), "Description", 300);
    EXPECT_EQ(again.Width, word.Width);
    EXPECT_EQ(again.Height, word.Height);
    EXPECT_EQ(again.Ascent, word.Ascent);
    // Unknown families fall back to a face the system has.
    THtmlFont unknown{{"No Such Face"}, 10};
    EXPECT_GT(measurer.Measure(unknown, "abc", 96).Width, 0);
}

TEST(HtmlMeasure, TheDeviceKeepsItsOwnFont) {
    TScreenDC screen;
    HGDIOBJ own = GetCurrentObject(screen.Get(), OBJ_FONT);
    {
        TGdiTextMeasurer measurer(screen.Get());
        measurer.Measure(Sans(10), "abc", 300);
        measurer.Measure(Sans(12, true), "abc", 300);
    }
    EXPECT_EQ(GetCurrentObject(screen.Get(), OBJ_FONT), own);
}

TEST(HtmlPaint, ItemsLandWhereTheLayoutPutThemAtAnyScale) {
    const THtmlPages pages = OnePage();
    THtmlFontCache fonts;
    TSurface full(200, 300);
    PaintHtmlPage(full.DC(), pages, 0, {0, 0, 200, 300}, fonts);
    EXPECT_EQ(full.At(30, 30), RGB(255, 0, 0));
    EXPECT_EQ(full.At(9, 30), RGB(255, 255, 255));
    EXPECT_EQ(full.At(100, 50), RGB(0, 0, 255));
    EXPECT_EQ(full.At(101, 50), RGB(255, 255, 255));
    EXPECT_GT(full.Inked({20, 132, 80, 152}), 20); // the glyphs above the baseline
    // The run spans the width the layout measured (60), whatever the font's own.
    EXPECT_GT(full.Inked({66, 132, 80, 152}), 0);
    EXPECT_EQ(full.Inked({81, 120, 99, 160}), 0);
    EXPECT_EQ(full.Inked({0, 190, 200, 230}), 0); // the run with no font is left out

    // Half size, moved: the 1-unit edge still shows; nothing outside the target.
    TSurface half(200, 300);
    PaintHtmlPage(half.DC(), pages, 0, {40, 60, 140, 210}, fonts);
    EXPECT_EQ(half.At(40 + 15, 60 + 15), RGB(255, 0, 0));
    EXPECT_EQ(half.At(40 + 50, 60 + 25), RGB(0, 0, 255));
    EXPECT_EQ(half.Inked({0, 0, 200, 60}), 0);
    EXPECT_EQ(half.Inked({0, 0, 40, 300}), 0);
    EXPECT_GT(half.Inked({50, 120, 80, 136}), 0);
    EXPECT_EQ(half.Inked({81, 110, 89, 140}), 0);

    TSurface none(200, 300);
    PaintHtmlPage(none.DC(), pages, 1, {0, 0, 200, 300}, fonts);
    PaintHtmlPage(none.DC(), pages, -1, {0, 0, 200, 300}, fonts);
    EXPECT_EQ(none.Inked({0, 0, 200, 300}), 0);
}
