// Between layout and pagination: the document laid out as one long column
// (the flow) of pieces that are never split across pages, and the decorated
// boxes (backgrounds, borders) that span several of them. Coordinates: x as on
// the page, y from the top of the flow.
#pragma once

#include <vector>

#include "htmlview/HtmlPages.h"
#include "htmlview/HtmlStyle.h"

struct THtmlSlice {
    int Top = 0, Height = 0;
    std::vector<THtmlItem> Items; // in flow coordinates
    int Table = -1;      // the table (index into THtmlFlow::TableHeaders) this row belongs to
    bool Header = false; // the table's header row, repeated where the table continues

    int Bottom() const { return Top + Height; }
};

struct THtmlFlowBox {
    int First = 0, Last = 0; // the slices inside, inclusive
    THtmlRect Rect;          // the border box, in flow coordinates
    TColor Background = clNone;
    THtmlSides Border;
    TColor BorderColor[4] = {clBlack, clBlack, clBlack, clBlack}; // top, right, bottom, left
};

struct THtmlFlow {
    std::vector<THtmlSlice> Slices;
    std::vector<THtmlFlowBox> Boxes; // outer boxes before the boxes inside them
    std::vector<int> TableHeaders;   // per table: the slice of its header row, or -1
    std::vector<THtmlFont> Fonts;
    std::vector<int> LineHeights; // per font
};

// Moves every item down by `dy`.
void OffsetHtmlItems(std::vector<THtmlItem>& items, int dy);
// The items painting a box: its background, then its border edges.
void AddHtmlBoxItems(std::vector<THtmlItem>& items, const THtmlRect& rect, TColor background,
                     const THtmlSides& border, const TColor borderColor[4]);

// Lays the flow out on pages of `setup` and adds the page margins' texts
// (title, "Page n of m") in `headerFont`, which the caller has added to the fonts.
// With `firstPages` > 0 only that many pages are made, the flow being a part of
// the document: their numbers read "Page n", the count being unknown.
std::vector<THtmlPage> PaginateHtmlFlow(const THtmlFlow& flow, const THtmlPageSetup& setup,
                                        const std::string& title, int headerFont,
                                        THtmlTextMeasurer& measurer, int firstPages = 0);
