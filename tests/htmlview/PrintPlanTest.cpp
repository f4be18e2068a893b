// Who makes the copies the print dialog asked for, which pages exist to
// print, and what the user is told when nothing can be printed.
#include <gtest/gtest.h>

#include "htmlview/HtmlPrintPlan.h"

namespace {
THtmlPrintRequest Copies(int copies, bool collate) {
    THtmlPrintRequest r;
    r.Copies = copies;
    r.Collate = collate;
    return r;
}

THtmlPrintRequest Range(int from, int to) {
    THtmlPrintRequest r;
    r.PageRange = true;
    r.FromPage = from;
    r.ToPage = to;
    return r;
}

// Driver copies, driver collation, own sets, own repeats, or "refused".
std::string Plan(int copies, bool collate, THtmlDriverCopies driver) {
    const THtmlCopyPlan p = PlanHtmlCopies(Copies(copies, collate), driver);
    if (p.Verdict == THtmlPrintVerdict::TooManyCopies)
        return "refused";
    return std::to_string(p.DriverCopies) + (p.DriverCollate ? "C" : "") + " " +
           std::to_string(p.Sets) + "x" + std::to_string(p.Repeats);
}
} // namespace

TEST(HtmlPrintPlan, CopiesGoToADriverThatCanMakeThem) {
    const THtmlDriverCopies both{9999, true}, uncollated{9999, false};
    EXPECT_EQ(Plan(9999, false, uncollated), "9999 1x1");
    EXPECT_EQ(Plan(9999, true, both), "9999C 1x1");
    EXPECT_EQ(Plan(2, false, {2, false}), "2 1x1");
    // One copy, or a count the dialog let through below one, is one copy.
    EXPECT_EQ(Plan(1, true, uncollated), "1 1x1");
    EXPECT_EQ(Plan(0, false, uncollated), "1 1x1");
    EXPECT_EQ(Plan(-1, true, uncollated), "1 1x1");
}

TEST(HtmlPrintPlan, TheProgramMakesWhatTheDriverCannotWithinABound) {
    const THtmlDriverCopies none{1, false}, few{10, false};
    // Collated sets, or each page repeated, drawn by the program.
    EXPECT_EQ(Plan(3, true, none), "1 3x1");
    EXPECT_EQ(Plan(3, false, none), "1 1x3");
    EXPECT_EQ(Plan(11, false, few), "1 1x11");
    EXPECT_EQ(Plan(5, true, {9999, false}), "1 5x1") << "the driver cannot collate";
    EXPECT_EQ(Plan(kMaxOwnCopies, true, none), "1 " + std::to_string(kMaxOwnCopies) + "x1");
    EXPECT_EQ(Plan(kMaxOwnCopies + 1, false, none), "refused");
    EXPECT_EQ(Plan(9999, true, {9999, false}), "refused");
    EXPECT_EQ(Plan(32767, false, few), "refused");
}

TEST(HtmlPrintPlan, PagesOfTheRangeThatExist) {
    const auto span = [](const THtmlPrintRequest& r, int pages) {
        const THtmlPageSpan s = HtmlPagesToPrint(r, pages);
        return s.Empty() ? std::string("none")
                         : std::to_string(s.First) + "-" + std::to_string(s.Last);
    };
    EXPECT_EQ(span(THtmlPrintRequest{}, 12), "0-11");
    EXPECT_EQ(span(Range(2, 3), 12), "1-2");
    EXPECT_EQ(span(Range(10, 9999), 12), "9-11") << "partly past the end: what exists";
    EXPECT_EQ(span(Range(12, 12), 12), "11-11");
    EXPECT_EQ(span(Range(13, 20), 12), "none");
    EXPECT_EQ(span(Range(5, 3), 12), "none");
    EXPECT_EQ(span(Range(0, 1), 12), "0-0");
    EXPECT_EQ(span(THtmlPrintRequest{}, 0), "none");
    EXPECT_EQ(HtmlPagesToPrint(Range(2, 5), 12).Count(), 4);
    EXPECT_EQ(HtmlPagesToPrint(Range(13, 20), 12).Count(), 0);
}

TEST(HtmlPrintPlan, WhyNothingWasPrinted) {
    EXPECT_EQ(HtmlNoPagesMessage(Range(13, 20), 12),
              "There are no pages 13 to 20 to print: the document has 12 pages. Nothing was "
              "printed.");
    EXPECT_EQ(HtmlNoPagesMessage(Range(2, 2), 1),
              "There is no page 2 to print: the document has 1 page. Nothing was printed.");
    EXPECT_EQ(HtmlNoPagesMessage(THtmlPrintRequest{}, 0),
              "The document has no pages to print. Nothing was printed.");
    EXPECT_EQ(HtmlTooManyCopiesMessage(Copies(9999, true), "Office", {9999, false}),
              "The printer \"Office\" cannot make 9999 collated copies itself, and this program "
              "prints at most 99 copies on it. Nothing was printed.");
    EXPECT_EQ(HtmlTooManyCopiesMessage(Copies(500, false), "Office", {250, false}),
              "The printer \"Office\" cannot make 500 copies itself (at most 250), and this "
              "program prints at most 99 copies on it. Nothing was printed.");
}
