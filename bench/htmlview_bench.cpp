// The HTML view's layout of the whole catalogue page (the main window's
// template filled from the stand-in message table the tests use): reading
// the page, and laying it out for A4 and Letter at a printer's 600 dpi and at
// the screen's 96, each the median of the runs. The fixed-metric measurer
// stands in for the device; how many times layout asks it is printed too,
// since under Windows each ask is a GDI call. The floor beside the layout is
// what no layout of the page can skip: reading it and finding the width of
// every distinct word of its text once.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "htmlview/HtmlPages.h"
#include "tests/htmlview/CataloguePage.h"

namespace {

class TCountingMeasurer : public THtmlFixedMeasurer {
public:
    long Calls = 0;
    THtmlTextExtent Measure(const THtmlFont& font, std::string_view text, int dpi) override {
        ++Calls;
        return THtmlFixedMeasurer::Measure(font, text, dpi);
    }
};

template <class F>
double MedianMs(int runs, F&& run) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The floor: every text of the page split into words, each distinct word
// measured once.
long MeasureWordsOnce(const THtmlNode& node, THtmlTextMeasurer& measurer,
                      std::unordered_map<std::string, int>& widths) {
    long sum = 0;
    if (node.IsText()) {
        size_t i = 0;
        while (i < node.Text.size()) {
            const size_t start = node.Text.find_first_not_of(" \t\r\n", i);
            if (start == std::string::npos)
                break;
            i = std::min(node.Text.find_first_of(" \t\r\n", start), node.Text.size());
            const std::string word = node.Text.substr(start, i - start);
            auto it = widths.find(word);
            if (it == widths.end())
                it = widths.emplace(word, measurer.Measure({}, word, 600).Width).first;
            sum += it->second;
        }
    }
    for (const auto& child : node.Children)
        sum += MeasureWordsOnce(*child, measurer, widths);
    return sum;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const std::string page = CataloguePage();
    std::printf("catalogue page: %zu bytes, %d rows, %d runs each\n", page.size(),
                StandInRowCount(), runs);
    std::unique_ptr<THtmlDocument> doc;
    const double read = MedianMs(runs, [&] { doc = LoadHtmlDocument(page); });
    long sink = 0;
    const double floor = MedianMs(runs, [&] {
        THtmlFixedMeasurer measurer;
        std::unordered_map<std::string, int> widths;
        sink += MeasureWordsOnce(LoadHtmlDocument(page)->Root, measurer, widths);
    });
    std::printf("  %-22s %8.2f ms\n", "read", read);
    std::printf("  %-22s %8.2f ms  (read, and each distinct word measured once)\n", "floor", floor);
    const struct {
        const char* Name;
        THtmlPaper Paper;
        int Dpi;
    } cases[] = {{"A4, 600 dpi", THtmlPaper::A4, 600},
                 {"Letter, 600 dpi", THtmlPaper::Letter, 600},
                 {"A4, 96 dpi", THtmlPaper::A4, 96}};
    // Layout figures include reading, as the floor does.
    for (const auto& c : cases) {
        int pages = 0;
        long calls = 0;
        const double ms = MedianMs(runs, [&] {
            TCountingMeasurer measurer;
            pages = LayoutHtmlPages(*doc, measurer, HtmlPaperSetup(c.Paper, c.Dpi)).Count();
            calls = measurer.Calls;
        });
        std::printf("  read + layout %-15s %8.2f ms  %3d pages  %5ld measures  %.2f x floor\n",
                    c.Name, read + ms, pages, calls, (read + ms) / floor);
        // What the preview waits for: the first page alone.
        const double first = MedianMs(runs, [&] {
            TCountingMeasurer measurer;
            LayoutHtmlFirstPage(*doc, measurer, HtmlPaperSetup(c.Paper, c.Dpi));
            calls = measurer.Calls;
        });
        std::printf("  first page alone %-12s %8.2f ms  %5ld measures\n", c.Name, first, calls);
    }
    return sink == 0; // keeps the floor's work from being optimised away
}
