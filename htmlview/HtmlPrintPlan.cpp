#include "htmlview/HtmlPrintPlan.h"

#include <algorithm>

THtmlCopyPlan PlanHtmlCopies(const THtmlPrintRequest& request, const THtmlDriverCopies& driver) {
    THtmlCopyPlan plan;
    const int copies = std::max(1, request.Copies);
    if (copies == 1)
        return plan;
    const bool collate = request.Collate;
    if (copies <= driver.MaxCopies && (!collate || driver.Collates)) {
        plan.DriverCopies = copies;
        plan.DriverCollate = collate;
    } else if (copies <= kMaxOwnCopies) {
        (collate ? plan.Sets : plan.Repeats) = copies;
    } else
        plan.Verdict = THtmlPrintVerdict::TooManyCopies;
    return plan;
}

THtmlPageSpan HtmlPagesToPrint(const THtmlPrintRequest& request, int pages) {
    THtmlPageSpan span{0, pages - 1};
    if (request.PageRange) {
        span.First = std::max(span.First, request.FromPage - 1);
        span.Last = std::min(span.Last, request.ToPage - 1);
    }
    return span;
}

namespace {
std::string PagesText(int n) {
    return std::to_string(n) + (n == 1 ? " page" : " pages");
}
} // namespace

std::string HtmlNoPagesMessage(const THtmlPrintRequest& request, int pages) {
    std::string chosen;
    if (!request.PageRange)
        chosen = "The document has no pages to print.";
    else if (request.FromPage == request.ToPage)
        chosen = "There is no page " + std::to_string(request.FromPage) + " to print: ";
    else
        chosen = "There are no pages " + std::to_string(request.FromPage) + " to " +
                 std::to_string(request.ToPage) + " to print: ";
    if (request.PageRange)
        chosen += "the document has " + PagesText(pages) + ".";
    return chosen + " Nothing was printed.";
}

std::string HtmlTooManyCopiesMessage(const THtmlPrintRequest& request, const std::string& printer,
                                     const THtmlDriverCopies& driver) {
    std::string text = "The printer \"" + printer + "\" cannot make " +
                       std::to_string(request.Copies) +
                       (request.Collate ? " collated copies" : " copies") + " itself";
    if (driver.MaxCopies > 1 && (!request.Collate || driver.Collates))
        text += " (at most " + std::to_string(driver.MaxCopies) + ")";
    return text + ", and this program prints at most " + std::to_string(kMaxOwnCopies) +
           " copies on it. Nothing was printed.";
}
