#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "HtmlTestUtil.h"

// The fixed measurer at 96 units per inch: 12pt is a 16-unit em, each byte 8
// units wide (bold 10), lines 19 high with the baseline 15 below their top.

TEST(HtmlLayout, BlocksStackWithCollapsingMargins) {
    const THtmlPages pages =
        LayOut("<html><head><title> My   page </title><style>"
               "body { margin: 12px } h1 { margin: 4px 0px 16px 0px; font-size: 24pt } "
               "p { margin: 20px 0 }</style></head>"
               "<body><h1>Head</h1><p>one</p><p>two</p><div><p>in</p></div></body></html>",
               Paper(400, 600, 50));
    ASSERT_EQ(1, pages.Count());
    EXPECT_EQ("My page", pages.Title);
    const THtmlPage& page = pages.Pages[0];
    const THtmlText* head = FindText(page, "Head");
    ASSERT_NE(nullptr, head);
    // The body's 12 and the heading's 4 collapse into 12.
    EXPECT_EQ(50 + 12, head->Top);
    EXPECT_EQ(62, head->X);
    EXPECT_TRUE(pages.Fonts[head->Font].Bold);
    EXPECT_DOUBLE_EQ(24, pages.Fonts[head->Font].SizePt);
    const int headBottom = head->Top + 38; // a 32-unit em
    const THtmlText* one = FindText(page, "one");
    const THtmlText* two = FindText(page, "two");
    const THtmlText* in = FindText(page, "in");
    EXPECT_EQ(headBottom + 20, one->Top) << "16 and 20 collapse";
    EXPECT_EQ(one->Top + 19 + 20, two->Top);
    EXPECT_EQ(two->Top + 19 + 20, in->Top) << "through a div without padding or border";
    EXPECT_EQ(one->Top + 15, one->Baseline);
    // Title and page number in the top margin.
    const THtmlText* title = FindText(page, "My page");
    const THtmlText* number = FindText(page, "Page 1 of 1");
    ASSERT_NE(nullptr, title);
    ASSERT_NE(nullptr, number);
    EXPECT_EQ(50, title->X);
    EXPECT_EQ(350, number->X + number->Width);
    EXPECT_LT(number->Top + 13, 50);
}

TEST(HtmlLayout, InlineTextWrapsBreaksAndAligns) {
    const THtmlPages pages =
        LayOut("<body style=\"x\"><style>body { margin: 0 } .c { text-align: center } "
               ".r { text-align: right } b { color: red }</style>"
               "<p>aaaa   bbbb\n cccc dd<br />e<br /><br />f<b>gg</b>hh</p>"
               "<p class=\"c\">ab</p><p class=\"r\">ab</p><p>xxxxxxxxxxxxxxxxxxxxxxxxx</p>",
               Paper(80 + 20, 1000, 10));
    const THtmlPage& page = pages.Pages[0];
    std::vector<std::string> texts;
    for (const THtmlText* t : TextsOf(page))
        texts.push_back(t->Text);
    // Runs of blanks are one blank; a line holds what fits in 80 units.
    EXPECT_EQ((std::vector<std::string>{"aaaa bbbb", "cccc dd", "e", "f", "gg", "hh", "ab", "ab",
                                        "xxxxxxxxxx", "xxxxxxxxxx", "xxxxx", "Page 1 of 1"}),
              texts);
    const THtmlText* a = FindText(page, "aaaa");
    const THtmlText* c = FindText(page, "cccc");
    const THtmlText* e = FindText(page, "e");
    const THtmlText* f = FindText(page, "f");
    EXPECT_EQ(72, a->Width);
    EXPECT_EQ(a->Top + 19, c->Top);
    EXPECT_EQ(c->Top + 19, e->Top);
    EXPECT_EQ(e->Top + 2 * 19, f->Top) << "two breaks leave an empty line";
    const THtmlText* gg = FindText(page, "gg");
    EXPECT_EQ(f->X + 8, gg->X);
    EXPECT_EQ(f->Baseline, gg->Baseline);
    EXPECT_EQ(colors::RGBColor(255, 0, 0), gg->Color);
    EXPECT_EQ(gg->X + gg->Width, FindText(page, "hh")->X);
    const std::vector<const THtmlText*> all = TextsOf(page);
    EXPECT_EQ(10 + 32, all[6]->X) << "centred";
    EXPECT_EQ(10 + 64, all[7]->X) << "right-aligned";
    EXPECT_EQ(80, all[8]->Width) << "a word wider than the line is cut where it fills it";
}

namespace {

const char* TableStyle =
    "<style>body { margin: 0 } table { width: 754px; border: solid 1px "
    "#40a0ff; } th { padding: 4px; text-align: left; background-color: #40a0ff; } "
    "td { padding: 3px 4px 3px 4px; vertical-align: top; } "
    "colgroup { width: 70px; } .E { background-color: #deeefe; } "
    "@media print { table { width: auto; } }</style>";

std::string Table(const std::string& rows) {
    return std::string(TableStyle) +
           "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\"><colgroup span=\"1\">"
           "</colgroup><tr><th>Code</th><th>Description</th></tr>" +
           rows + "</table>";
}

} // namespace

TEST(HtmlLayout, TableColumnsPaddingBorderAndShading) {
    const std::string html = Table("<tr><td class=\"E\">0</td><td class=\"E\">Done.<br /></td>"
                                   "</tr><tr><td>1</td><td>Bad function.</td></tr>");
    // Print: the natural width; the code column keeps its 70.
    const THtmlPages print = LayOut(html, Paper(1000, 1000, 0));
    const THtmlPage& page = print.Pages[0];
    const std::vector<THtmlRect> edges = EdgesOf(page);
    ASSERT_EQ(4u, edges.size());
    const int right = edges[1].Right;
    // Border 1 + 70 + (the widest description, bold "Description", 11 * 9.6 + 2 * 4) + 1.
    EXPECT_EQ(1 + 70 + 114 + 1, right);
    EXPECT_EQ(0, edges[0].Left);
    EXPECT_EQ(1, edges[0].Height());
    const THtmlText* code = FindText(page, "Code");
    const THtmlText* desc = FindText(page, "Description");
    EXPECT_EQ(1 + 4, code->X);
    EXPECT_EQ(1 + 4, code->Top);
    EXPECT_EQ(1 + 70 + 4, desc->X);
    const THtmlText* zero = FindText(page, "0");
    const THtmlText* done = FindText(page, "Done.");
    const THtmlText* one = FindText(page, "1");
    const int headerBottom = 1 + 4 + 19 + 4;
    EXPECT_EQ(headerBottom + 3, zero->Top);
    EXPECT_EQ(zero->Top, done->Top);
    EXPECT_EQ(headerBottom + 25 + 3, one->Top) << "a trailing break adds no line";
    // Shaded rows by class; the header's own colour; plain rows unfilled.
    ASSERT_NE(nullptr, FillAt(page, 100, zero->Top));
    EXPECT_EQ(colors::RGBColor(0xde, 0xee, 0xfe), FillAt(page, 100, zero->Top)->Color);
    EXPECT_EQ(colors::RGBColor(0x40, 0xa0, 0xff), FillAt(page, 100, code->Top)->Color);
    EXPECT_EQ(nullptr, FillAt(page, 100, one->Top));
    EXPECT_EQ(headerBottom + 50 + 1, edges[2].Bottom);

    // Screen: 754 wide, the room beyond the content going to the free column.
    const THtmlPages screen = LayOut(html, Paper(1000, 1000, 0, THtmlMedia::Screen));
    EXPECT_EQ(754, EdgesOf(screen.Pages[0])[1].Right);
    EXPECT_EQ(1 + 70 + 4, FindText(screen.Pages[0], "Description")->X);
    // A page narrower than the table: the table fits it and the text wraps.
    const THtmlPages narrow = LayOut(html, Paper(140, 1000, 0, THtmlMedia::Screen));
    EXPECT_EQ(140, EdgesOf(narrow.Pages[0])[1].Right);
    EXPECT_NE(nullptr, FindText(narrow.Pages[0], "function."));
}

TEST(HtmlLayout, AlikeCellsTakeTheirStyleFromTheirOwnRowAndAttributes) {
    // Cells alike in name and attributes, in rows that differ only by class,
    // by the colour attribute or by what their parent row is; the last rows
    // repeat the first after more different rows than styles are compared with.
    std::string rows;
    const char* const kinds[] = {"a", "", "a", "b", "", "c", "d", "e", "f", "a", ""};
    for (int i = 0; i < 11; ++i)
        rows += std::string("<tr") + (*kinds[i] ? std::string(" class=\"") + kinds[i] + "\"" : "") +
                "><td>r" + std::to_string(i) + "</td><td" + (i == 4 ? " bgcolor=\"#00ff00\"" : "") +
                ">x</td></tr>";
    const std::string html = "<style>tr.a td { background-color: #ff0000; } "
                             "tr.b > td { background-color: #0000ff; }</style><table>" +
                             rows + "</table>";
    const THtmlPages pages = LayOut(html, Paper(1000, 2000, 0));
    const THtmlPage& page = pages.Pages[0];
    for (int i = 0; i < 11; ++i) {
        const THtmlText* text = FindText(page, "r" + std::to_string(i));
        ASSERT_NE(nullptr, text) << i;
        const THtmlFill* fill = FillAt(page, text->X + 1, text->Top + 1);
        const std::string kind = kinds[i];
        if (kind == "a")
            EXPECT_EQ(fill ? fill->Color : clNone, colors::RGBColor(0xff, 0, 0)) << i;
        else if (kind == "b")
            EXPECT_EQ(fill ? fill->Color : clNone, colors::RGBColor(0, 0, 0xff)) << i;
        else
            EXPECT_EQ(nullptr, fill) << i;
    }
    // The second cell of row 4 alone has the colour attribute.
    const auto fills = [&](int row) -> const THtmlFill* {
        const THtmlText* code = FindText(page, "r" + std::to_string(row));
        for (const THtmlText* t : TextsOf(page))
            if (t->Text == "x" && t->Top == code->Top)
                return FillAt(page, t->X + 1, t->Top + 1);
        ADD_FAILURE() << "no second cell in row " << row;
        return nullptr;
    };
    ASSERT_NE(nullptr, fills(4));
    EXPECT_EQ(colors::RGBColor(0, 0xff, 0), fills(4)->Color);
    EXPECT_EQ(nullptr, fills(1));
    EXPECT_EQ(nullptr, fills(10));
}

TEST(HtmlLayout, EmptyCellsAndNestedTables) {
    const char* html = "<style>td { background-color: red; padding: 5px } "
                       ".h { empty-cells: hide }</style><table cellspacing=\"0\">"
                       "<tr><td>x</td><td> </td></tr></table>"
                       "<table class=\"h\" cellspacing=\"0\"><tr><td>x</td><td> </td></tr></table>"
                       "<table><tr><td><table><tr><td>in</td></tr></table></td><td>out</td></tr>"
                       "</table>";
    const THtmlPages pages = LayOut(html, Paper(500, 500, 0));
    const THtmlPage& page = pages.Pages[0];
    const THtmlText* first = TextsOf(page)[0];
    const THtmlText* second = TextsOf(page)[1];
    ASSERT_EQ("x", second->Text);
    // The empty cell beside "x" is painted in the first table, not in the second.
    EXPECT_NE(nullptr, FillAt(page, first->X + 18, first->Top + 1));
    EXPECT_EQ(nullptr, FillAt(page, second->X + 18, second->Top + 1));
    const THtmlText* in = FindText(page, "in");
    const THtmlText* out = FindText(page, "out");
    ASSERT_NE(nullptr, in);
    ASSERT_NE(nullptr, out);
    EXPECT_LT(in->X + in->Width, out->X);
}

namespace {

struct TRowCheck {
    std::vector<int> Codes; // in the order found, all pages
    int HeadersRepeated = 0;
};

// Every row's texts must lie inside the page's content area, and a row
// (all of its texts) on one page.
TRowCheck CheckRows(const THtmlPages& pages) {
    TRowCheck check;
    const THtmlRect content = pages.Setup.Content();
    std::map<int, int> pageOfCode;
    for (int n = 0; n < pages.Count(); ++n) {
        const THtmlPage& page = pages.Pages[n];
        EXPECT_NE(nullptr, FindText(page, "Page " + std::to_string(n + 1) + " of " +
                                              std::to_string(pages.Count())));
        bool first = true;
        for (const THtmlText* t : TextsOf(page)) {
            if (t->Top < content.Top)
                continue; // the margin's texts
            EXPECT_LE(t->Top + (t->Baseline - t->Top), content.Bottom) << t->Text;
            if (t->Text == "Code") {
                EXPECT_TRUE(first || n == 0) << "the header stands first on page " << n + 1;
                check.HeadersRepeated += n > 0;
            } else if (t->Text.starts_with("Row")) {
                const int code = std::atoi(t->Text.c_str() + 3);
                check.Codes.push_back(code);
                EXPECT_EQ(0u, pageOfCode.count(code)) << "row " << code << " split";
                pageOfCode[code] = n;
            }
            first = false;
        }
    }
    return check;
}

} // namespace

TEST(HtmlLayout, PagesKeepRowsWholeAndRepeatTheHeader) {
    std::string rows;
    for (int i = 0; i < 60; ++i) {
        // Rows of one to three lines; the description column is a word per line.
        std::string desc = "Row" + std::to_string(i);
        for (int w = 0; w < i % 3; ++w)
            desc += " wordwordwo";
        rows += "<tr><td>" + std::to_string(i) + "</td><td>" + desc + "</td></tr>";
    }
    const THtmlPages pages =
        LayOut("<title>Catalogue</title><h1>Heading</h1>" + Table(rows) + "<h5>Generated</h5>",
               Paper(300, 400, 40));
    ASSERT_GT(pages.Count(), 3);
    const TRowCheck check = CheckRows(pages);
    std::vector<int> expected(60);
    for (int i = 0; i < 60; ++i)
        expected[i] = i;
    EXPECT_EQ(expected, check.Codes);
    EXPECT_EQ(pages.Count() - 1 - (FindText(pages.Pages.back(), "Row") ? 0 : 1),
              check.HeadersRepeated);
    EXPECT_NE(nullptr, FindText(pages.Pages.back(), "Generated"));
    // Each page's piece of the table has its own border, closed at the cut.
    for (const THtmlPage& page : pages.Pages) {
        const std::vector<THtmlRect> edges = EdgesOf(page);
        if (!FindText(page, "Row"))
            continue;
        ASSERT_EQ(4u, edges.size());
        const THtmlText* header = FindText(page, "Code");
        EXPECT_EQ(edges[0].Bottom + 4, header->Top);
        EXPECT_LE(edges[2].Bottom, 400 - 40);
    }
}

TEST(HtmlLayout, RowTallerThanAPageIsCutBetweenLines) {
    std::string tall = "Row1";
    for (int i = 0; i < 40; ++i)
        tall.append("<br />line").append(std::to_string(i));
    const THtmlPages pages = LayOut(Table("<tr><td>0</td><td>Row0</td></tr><tr><td>1</td><td>" +
                                          tall + "</td></tr><tr><td>2</td><td>Row2</td></tr>"),
                                    Paper(400, 300, 20));
    ASSERT_GE(pages.Count(), 3);
    int lines = 0;
    for (const THtmlPage& page : pages.Pages)
        for (const THtmlText* t : TextsOf(page))
            if (t->Text.starts_with("line")) {
                EXPECT_EQ("line" + std::to_string(lines), t->Text);
                ++lines;
                EXPECT_GE(t->Top, 20);
                EXPECT_LE(t->Top + 19, 300 - 20) << t->Text << " cut through";
            }
    EXPECT_EQ(40, lines);
}

TEST(HtmlLayout, PageSetupAndMarginTexts) {
    EXPECT_THROW(LayOut("<p>x</p>", Paper(100, 100, 50)), EHtmlPageSetupError);
    THtmlPageSetup bad = Paper(100, 100, 0);
    bad.Dpi = 0;
    EXPECT_THROW(LayOut("<p>x</p>", bad), EHtmlPageSetupError);
    // An empty document still prints one page; a long title is shortened.
    const THtmlPages pages =
        LayOut("<title>" + std::string(100, 'T') + "</title>", Paper(300, 300, 20));
    ASSERT_EQ(1, pages.Count());
    const THtmlText* title = FindText(pages.Pages[0], "TTT");
    ASSERT_NE(nullptr, title);
    EXPECT_TRUE(title->Text.ends_with("..."));
    EXPECT_LE(title->X + title->Width, FindText(pages.Pages[0], "Page 1")->X);
    const THtmlPageSetup a4 = HtmlPaperSetup(THtmlPaper::A4, 600);
    EXPECT_EQ(4961, a4.Width);
    EXPECT_EQ(7016, a4.Height);
    EXPECT_EQ(450, a4.MarginLeft);
    const THtmlPageSetup letter = HtmlPaperSetup(THtmlPaper::Letter, 300);
    EXPECT_EQ(2550, letter.Width);
    EXPECT_EQ(3300, letter.Height);
}
