#include <gtest/gtest.h>

#include "htmlview/HtmlStyle.h"

namespace {

// Computes the style of every element down to the first `name` element.
struct TStyled {
    std::unique_ptr<THtmlDocument> Doc;
    THtmlStyleSheet Sheet;

    TStyled(std::string_view html, THtmlMedia media = THtmlMedia::Print)
        : Doc(LoadHtmlDocument(html)), Sheet(THtmlStyleSheet::FromDocument(*Doc, media)) {}

    THtmlStyle Of(std::string_view name, int dpi = 96) const {
        const THtmlNode* target = Doc->Find(name);
        EXPECT_NE(nullptr, target) << name;
        std::vector<const THtmlNode*> chain;
        for (const THtmlNode* n = target; n && n != &Doc->Root; n = n->Parent)
            chain.insert(chain.begin(), n);
        THtmlStyle s = HtmlInitialStyle();
        for (const THtmlNode* n : chain)
            s = ComputeHtmlStyle(*n, s, Sheet, dpi);
        return s;
    }
};

const TColor Blue = colors::RGBColor(0x40, 0xa0, 0xff);

} // namespace

TEST(HtmlStyle, SelectorsGroupsPseudoClassesAndCascade) {
    TStyled t("<style>\n"
              "a, a:visited { color: #ffa500; text-decoration: none; }\n"
              "a:active, a:hover { color: #ff0000; text-decoration: underline; }\n"
              "td { padding: 3px 4px 3px 4px; color: black }\n"
              ".E { background-color: #deeefe; }\n"
              "td.E { color: navy }  .E { color: red }\n"
              "table td span { font-weight: bold } tr > span { color: lime }\n"
              "p + p, h1 { color: red } #x { color: red }\n"
              "</style><body><a href=\"u\">x</a>"
              "<table><tr><td class=\"E\"><span>s</span><i>i</i></td></tr></table><h1>h</h1>");
    const THtmlStyle a = t.Of("a");
    EXPECT_EQ(colors::RGBColor(0xff, 0xa5, 0), a.Color) << "hover never matches on paper";
    EXPECT_FALSE(a.Font.Underline);
    const THtmlStyle td = t.Of("td");
    EXPECT_EQ(colors::RGBColor(0xde, 0xee, 0xfe), td.Background);
    EXPECT_EQ(colors::RGBColor(0, 0, 0x80), td.Color) << "type and class outweigh a class";
    EXPECT_EQ(3, td.Padding.Top);
    EXPECT_EQ(4, td.Padding.Left);
    EXPECT_TRUE(t.Of("span").Font.Bold) << "descendant combinator";
    EXPECT_EQ(td.Color, t.Of("span").Color) << "tr is no parent of span";
    EXPECT_FALSE(t.Of("i").Font.Bold);
    // A group with an unreadable member is dropped whole, as browsers do.
    EXPECT_EQ(clBlack, t.Of("h1").Color);
}

TEST(HtmlStyle, MediaBlocksFollowTheTarget) {
    const char* page = "<style>table { width: 754px; }\n"
                       "@import url(x.css);\n"
                       "@media print { table { width: auto; } }\n"
                       "@media screen { table { color: red } }</style><table></table>";
    const THtmlStyle print = TStyled(page).Of("table");
    EXPECT_EQ(-1, print.Width);
    EXPECT_EQ(clBlack, print.Color);
    const THtmlStyle screen = TStyled(page, THtmlMedia::Screen).Of("table");
    EXPECT_EQ(754, screen.Width);
    EXPECT_EQ(colors::RGBColor(255, 0, 0), screen.Color);
    // 754 CSS pixels at 600 units per inch.
    EXPECT_EQ(4713, TStyled(page, THtmlMedia::Screen).Of("table", 600).Width);
    EXPECT_EQ(-1, TStyled("<style media=\"screen\">p { width: 5px }</style><p>").Of("p").Width);
}

TEST(HtmlStyle, LengthsFontsBordersAndColours) {
    TStyled t(
        "<style>body { margin: 12px; font-family: Verdana, 'Arial', Sans-Serif; "
        "font-size: 8pt; }\n"
        "h1 { font-size: 13pt; font-weight: bolder; color: #40a0ff; margin: 4px 0px 16px 0px }\n"
        "h6 { font-size: 12px; font-weight: normal; margin: 1em }\n"
        "table { border: solid 1px #40a0ff; empty-cells: show; }\n"
        "th { border: 2px; text-align: left; vertical-align: bottom }\n"
        "td { empty-cells: hide; vertical-align: top; }\n"
        "p { color: #FFF; background-color: rgb(255, 0, 0); margin: 0 1in; }"
        "</style><body><h1>x</h1><h6>y</h6><p>p</p><table border=\"0\" cellpadding=\"0\">"
        "<tr><th>a</th><td>b</td></tr></table>");
    const THtmlStyle body = t.Of("body", 192);
    EXPECT_EQ(24, body.Margin.Top) << "px at 192 units per inch";
    EXPECT_EQ((std::vector<std::string>{"Verdana", "Arial", "Sans-Serif"}), body.Font.Families);
    const THtmlStyle h1 = t.Of("h1");
    EXPECT_DOUBLE_EQ(13, h1.Font.SizePt);
    EXPECT_TRUE(h1.Font.Bold);
    EXPECT_EQ(Blue, h1.Color);
    EXPECT_EQ(4, h1.Margin.Top);
    EXPECT_EQ(16, h1.Margin.Bottom);
    EXPECT_EQ(0, h1.Margin.Left);
    const THtmlStyle h6 = t.Of("h6");
    EXPECT_DOUBLE_EQ(9, h6.Font.SizePt) << "12px is 9pt";
    EXPECT_FALSE(h6.Font.Bold);
    EXPECT_EQ(12, h6.Margin.Left) << "em of the element's own size";
    const THtmlStyle p = t.Of("p");
    EXPECT_EQ(clWhite, p.Color);
    EXPECT_EQ(colors::RGBColor(255, 0, 0), p.Background);
    EXPECT_EQ(96, p.Margin.Right);
    const THtmlStyle table = t.Of("table");
    EXPECT_EQ(1, table.BorderWidth.Top);
    EXPECT_EQ(1, table.BorderWidth.Left);
    EXPECT_EQ(Blue, table.BorderColor[2]);
    EXPECT_EQ(THtmlDisplay::Table, table.Display);
    const THtmlStyle th = t.Of("th");
    EXPECT_EQ(0, th.BorderWidth.Top) << "a border without a style draws nothing";
    EXPECT_EQ(0, th.Padding.Top) << "cellpadding";
    EXPECT_TRUE(th.Font.Bold);
    EXPECT_EQ(THtmlTextAlign::Left, th.TextAlign);
    EXPECT_EQ(THtmlVerticalAlign::Bottom, th.VerticalAlign);
    EXPECT_TRUE(th.EmptyCellsShow) << "inherited from the table";
    const THtmlStyle td = t.Of("td");
    EXPECT_FALSE(td.EmptyCellsShow);
    EXPECT_EQ(THtmlVerticalAlign::Top, td.VerticalAlign);
}

TEST(HtmlStyle, UnreadableSheetsKeepWhatTheyCan) {
    // Broken declarations and rules are dropped up to the next one.
    TStyled t("<style>/* c */ p { color: ; margin: 1px 2px 3px 4px 5px; color: red; "
              "width: -5px; font-size: huge } } ; @media print { h1 { color: lime "
              "</style><p>x</p><h1>y</h1>");
    const THtmlStyle p = t.Of("p");
    EXPECT_EQ(colors::RGBColor(255, 0, 0), p.Color);
    EXPECT_EQ(16, p.Margin.Top) << "the default 1em stays";
    EXPECT_EQ(-1, p.Width);
    EXPECT_DOUBLE_EQ(12, p.Font.SizePt);
    EXPECT_EQ(colors::RGBColor(0, 255, 0), t.Of("h1").Color)
        << "an unclosed block ends with the sheet";
    TColor c = 0;
    EXPECT_FALSE(ParseHtmlColor("#12345", c));
    EXPECT_FALSE(ParseHtmlColor("rgb(1,2)", c));
    EXPECT_TRUE(ParseHtmlColor("#abc", c));
    EXPECT_EQ(colors::RGBColor(0xaa, 0xbb, 0xcc), c);
    EXPECT_TRUE(ParseHtmlColor("rgb(300, 50%, -1)", c));
    EXPECT_EQ(colors::RGBColor(255, 128, 0), c);
}
