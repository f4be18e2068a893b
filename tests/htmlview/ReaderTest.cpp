#include <gtest/gtest.h>

#include "htmlview/HtmlDocument.h"
#include "htmlview/HtmlText.h"

namespace {

std::unique_ptr<THtmlDocument> Load(std::string_view text) {
    return LoadHtmlDocument(text);
}

// The tree as a compact string: elements as name(children), text as "quoted".
std::string Shape(const THtmlNode& node) {
    if (node.IsText())
        return std::string(1, '"').append(node.Text).append(1, '"');
    std::string out = node.Name + "(";
    for (size_t i = 0; i < node.Children.size(); ++i)
        out.append(i ? "," : "").append(Shape(*node.Children[i]));
    return out + ")";
}

std::string BodyShape(std::string_view text) {
    auto doc = Load(text);
    std::string out;
    for (const auto& child : doc->Root.Children)
        out += Shape(*child);
    return out;
}

} // namespace

TEST(HtmlReader, ElementsTextAttributesAndDoctype) {
    auto doc = Load("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">\r\n"
                    "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head>"
                    "<title>  Windows XP Error Codes & Descriptions </title></head>"
                    "<body><table border=\"0\" CellPadding='0' nowrap width=70>"
                    "<tr><td class=\"E odd\">5</td></tr></table></body></html>");
    EXPECT_EQ("html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\"", doc->Doctype);
    EXPECT_EQ("Windows XP Error Codes & Descriptions", doc->Title());
    const THtmlNode* table = doc->Find("table");
    ASSERT_NE(nullptr, table);
    ASSERT_NE(nullptr, table->Attribute("cellpadding"));
    EXPECT_EQ("0", *table->Attribute("cellpadding"));
    EXPECT_EQ("", *table->Attribute("nowrap"));
    EXPECT_EQ("70", *table->Attribute("width"));
    EXPECT_EQ(nullptr, table->Attribute("style"));
    const THtmlNode* td = doc->Find("td");
    EXPECT_TRUE(td->HasClass("E"));
    EXPECT_TRUE(td->HasClass("odd"));
    EXPECT_FALSE(td->HasClass("e"));
    EXPECT_FALSE(td->HasClass("od"));
    EXPECT_EQ("table(tr(td(\"5\")))", Shape(*table));
}

TEST(HtmlReader, CharacterReferencesBecomeWindows1252Bytes) {
    EXPECT_EQ("a<b>&\"' \xA0\xE9\xE9\xE9\x80\x96\x99?",
              DecodeHtmlReferences("a&lt;b&gt;&amp;&quot;&apos; &nbsp;"
                                   "&eacute;&#233;&#xe9;&euro;&#150;"
                                   "&trade;&#x3b1;"));
    // Not references: kept as written.
    EXPECT_EQ("Codes & Descriptions &bogus; &# &#x; &amp",
              DecodeHtmlReferences("Codes & Descriptions &bogus; "
                                   "&# &#x; &amp"));
    // A NUL reference and one beyond Unicode do not make a NUL byte or wrap round.
    EXPECT_EQ("??", DecodeHtmlReferences("&#0;&#99999999999;"));
    auto doc = Load("<p title=\"&lt;x&gt;\">&copy; 2006 \xC4</p>");
    EXPECT_EQ("<x>", *doc->Find("p")->Attribute("title"));
    EXPECT_EQ("\xA9 2006 \xC4", doc->Find("p")->TextContent());
}

TEST(HtmlReader, CommentsStyleAndVoidElements) {
    EXPECT_EQ("p(\"a\",br(),\"b\",br(),\"c\")", BodyShape("<p>a<br />b<br>c<!-- <b>x</b> --></p>"));
    // Style text is taken as written, markup-like bytes included.
    auto doc = Load("<style type=\"text/css\">td > a { color: red } <!-- x --></style><p>y</p>");
    EXPECT_EQ("td > a { color: red } <!-- x -->", doc->Find("style")->TextContent());
    EXPECT_EQ("y", doc->Find("p")->TextContent());
}

TEST(HtmlReader, MalformedMarkupKeepsWhatCanBeRead) {
    // Cells and rows left open are closed by the next one; stray end tags are dropped.
    EXPECT_EQ("table(tr(td(\"1\"),td(\"2\")),tr(td(\"3\")))",
              BodyShape("<table><tr><td>1<td>2</b><tr><td>3</table>"));
    // Unclosed elements end with the document; a '<' that starts nothing is text.
    EXPECT_EQ("div(\"a < b \",p(\"x\"))", BodyShape("<div>a < b <p>x"));
    EXPECT_EQ("\"<\"", BodyShape("<"));
    EXPECT_EQ("p()", BodyShape("<p class=\"unterminated"));
    EXPECT_EQ("", BodyShape("<!-- never closed"));
    EXPECT_EQ("", BodyShape(""));
    // A nested row's cell does not close the outer table's cell.
    EXPECT_EQ("table(tr(td(table(tr(td(\"a\"))),\"b\")))",
              BodyShape("<table><tr><td><table><tr><td>a</table>b</table>"));
}

TEST(HtmlReader, DeepNestingIsBounded) {
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "<div>";
    auto doc = Load(text + "x");
    size_t depth = 0;
    for (const THtmlNode* n = &doc->Root; !n->Children.empty(); n = n->Children.back().get())
        ++depth;
    EXPECT_LT(depth, 300u);
    EXPECT_EQ("x", doc->Root.TextContent());
}
