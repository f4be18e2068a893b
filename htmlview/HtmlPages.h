// The result of laying out an HTML document for paper: per page a list of
// items to paint, in painting order, in device units of the target resolution
// with the origin at the paper's top-left corner. The Windows side paints the
// items on any device context; nothing here depends on a device.
#pragma once

#include <atomic>
#include <string>
#include <variant>
#include <vector>

#include "framework/Graphics.h"
#include "framework/SysUtils.h"
#include "htmlview/HtmlDocument.h"
#include "htmlview/HtmlMeasure.h"

// Which "@media" rules apply: print and preview use Print.
enum class THtmlMedia { Screen, Print };

struct THtmlRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const THtmlRect&) const = default;
};

struct THtmlPageSetup {
    int Width = 0, Height = 0; // the paper, device units
    int MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
    int Dpi = 96; // device units per inch, both directions
    THtmlMedia Media = THtmlMedia::Print;
    bool operator==(const THtmlPageSetup&) const = default;

    // The part of the paper the document flows into.
    THtmlRect Content() const {
        return {MarginLeft, MarginTop, Width - MarginRight, Height - MarginBottom};
    }
};

enum class THtmlPaper { A4, Letter };
// The paper at `dpi` with margins of 3/4 inch, for print media.
THtmlPageSetup HtmlPaperSetup(THtmlPaper paper, int dpi);

// A filled rectangle: a background.
struct THtmlFill {
    THtmlRect Rect;
    TColor Color = clWhite;
};
// One edge of a border: the rectangle it covers (at least one unit thick), filled.
struct THtmlEdge {
    THtmlRect Rect;
    TColor Color = clBlack;
};
// A run of text on one line. Draw it with its top-left at (X, Top); Baseline
// is Top plus the font's ascent. Font indexes THtmlPages::Fonts.
struct THtmlText {
    int X = 0, Top = 0, Baseline = 0;
    int Width = 0; // as measured
    int Font = 0;
    TColor Color = clBlack;
    std::string Text; // single-byte, Windows-1252
};
using THtmlItem = std::variant<THtmlFill, THtmlEdge, THtmlText>;

struct THtmlPage {
    std::vector<THtmlItem> Items;
};

struct THtmlPages {
    THtmlPageSetup Setup;
    std::string Title;            // the document's title, also printed on every page
    std::vector<THtmlFont> Fonts; // every font the items use, each once
    std::vector<THtmlPage> Pages; // at least one
    // False for the first page of a longer document alone
    // (LayoutHtmlFirstPage), whose number then reads "Page 1" without the
    // count, and for a layout called off.
    bool Complete = true;

    int Count() const { return static_cast<int>(Pages.size()); }
};

// The page setup leaves no room for the document (non-positive resolution,
// or margins that leave no content area).
class EHtmlPageSetupError : public Exception {
public:
    using Exception::Exception;
};

// Lays the document out on pages of `setup`, measuring text with `measurer`.
// Every page carries the document's title and "Page n of m" in its top margin;
// a table row is never split across pages unless it is taller than a page,
// and a table's header row repeats at the top of each page it continues on.
// Setting `cancel` makes a layout running elsewhere end soon, incomplete.
THtmlPages LayoutHtmlPages(const THtmlDocument& document, THtmlTextMeasurer& measurer,
                           const THtmlPageSetup& setup, const std::atomic<bool>* cancel = nullptr);
// Only as much of the document as its first page shows, laid out and painted
// as LayoutHtmlPages does it, but for the page number. Its cost is the first
// page's, whatever follows it; only the table's column widths look at every row.
THtmlPages LayoutHtmlFirstPage(const THtmlDocument& document, THtmlTextMeasurer& measurer,
                               const THtmlPageSetup& setup);
