// Cuts the flow into pages. Slices keep their distances on a page; the gap
// before the first slice of a page is dropped. A slice that does not fit
// starts a new page; one taller than a page is cut between its lines of text.
// Where a table continues, its header row is repeated first; decorated boxes
// are drawn on every page they reach, with their border closed at the cut.
#include <algorithm>

#include "htmlview/HtmlFlow.h"

namespace {

// A slice, or the part [From, To) of one (flow y), placed on a page.
struct TPlaced {
    int Slice;
    int Shift; // page y minus flow y
    int From, To;
    bool Copy; // a repeated header row
};

class TPaginator {
public:
    TPaginator(const THtmlFlow& flow, const THtmlPageSetup& setup)
        : F(flow), Top(setup.MarginTop), Bottom(setup.Height - setup.MarginBottom) {}

    std::vector<std::vector<TPlaced>> Pages{1};

    void Run() {
        int shift = Top;   // the flow's top is the first page's top
        bool fresh = true; // nothing placed on the current page yet
        for (size_t n = 0; n < F.Slices.size(); ++n) {
            const int i = static_cast<int>(n);
            const THtmlSlice& s = F.Slices[n];
            int need = s.Height;
            // A header row is kept with the first row under it.
            if (s.Header && n + 1 < F.Slices.size() && F.Slices[n + 1].Table == s.Table)
                need = F.Slices[n + 1].Bottom() - s.Top;
            if (!fresh && s.Top + shift + need + BottomReserve(i) > Bottom) {
                Pages.emplace_back();
                fresh = true;
            }
            // A page after the first starts with the slice, the gap above it
            // dropped; so does the first when the slice does not fit where it is.
            if (fresh &&
                (Pages.size() > 1 || s.Top + shift + s.Height + BottomReserve(i) > Bottom)) {
                int y = Top + TopReserve(i);
                const int header = s.Table >= 0 ? F.TableHeaders[s.Table] : -1;
                if (header >= 0 && header < i && Pages.size() > 1) {
                    const THtmlSlice& h = F.Slices[header];
                    const int gap = F.Slices[header + 1].Top - h.Bottom();
                    if (y + h.Height + gap + s.Height + BottomReserve(i) <= Bottom) {
                        Pages.back().push_back({header, y - h.Top, h.Top, h.Bottom(), true});
                        y += h.Height + gap;
                    }
                }
                shift = y - s.Top;
            }
            fresh = false;
            if (s.Top + shift + s.Height + BottomReserve(i) <= Bottom) {
                Pages.back().push_back({i, shift, s.Top, s.Bottom(), false});
                continue;
            }
            shift = Cut(i, shift);
        }
    }

    // The items of a page, boxes under the slices.
    std::vector<THtmlItem> Items(const std::vector<TPlaced>& page) const {
        std::vector<THtmlItem> items;
        for (const THtmlFlowBox& box : F.Boxes)
            BoxOnPage(box, page, items);
        for (const TPlaced& p : page) {
            const THtmlSlice& s = F.Slices[p.Slice];
            std::vector<THtmlItem> part;
            if (p.From == s.Top && p.To == s.Bottom())
                part = s.Items;
            else
                for (const THtmlItem& item : s.Items)
                    Clip(item, p.From, p.To, part);
            OffsetHtmlItems(part, p.Shift);
            items.insert(items.end(), std::make_move_iterator(part.begin()),
                         std::make_move_iterator(part.end()));
        }
        return items;
    }

private:
    const THtmlFlow& F;
    int Top, Bottom;

    bool Contains(const THtmlFlowBox& b, int slice) const {
        return slice >= b.First && slice <= b.Last;
    }

    // Room above a slice that starts a page: the borders of the boxes it continues, or
    // the top border and padding of those that begin with it.
    int TopReserve(int slice) const {
        int reserve = 0;
        for (const THtmlFlowBox& b : F.Boxes)
            if (Contains(b, slice))
                reserve += b.First == slice ? F.Slices[slice].Top - b.Rect.Top : b.Border.Top;
        return reserve;
    }
    int BottomReserve(int slice) const {
        int reserve = 0;
        for (const THtmlFlowBox& b : F.Boxes)
            if (Contains(b, slice))
                reserve += b.Border.Bottom;
        return reserve;
    }

    // Places slice i, taller than the room left, in parts over as many pages as
    // its text needs; each cut moves up to the top of a line it would go
    // through. What lies below the last text is cut off at the page's end
    // rather than making pages of nothing but background. Returns the shift
    // of the last part.
    int Cut(int i, int shift) {
        const THtmlSlice& s = F.Slices[i];
        int from = s.Top;
        while (true) {
            // Borders that leave less than a quarter of the page are drawn over.
            const int room = std::max(std::max(1, (Bottom - Top) / 4),
                                      Bottom - BottomReserve(i) - (from + shift));
            const int to = from + room;
            int cut = to;
            bool more = false; // text below this part
            for (const THtmlItem& item : s.Items)
                if (const auto* t = std::get_if<THtmlText>(&item)) {
                    if (t->Top >= to) {
                        more = true;
                    } else if (t->Top > from && t->Top + F.LineHeights[t->Font] > to) {
                        cut = std::min(cut, t->Top);
                        more = true;
                    }
                }
            if (!more) {
                Pages.back().push_back({i, shift, from, std::min(to, s.Bottom()), false});
                return shift;
            }
            Pages.back().push_back({i, shift, from, cut, false});
            Pages.emplace_back();
            from = cut;
            shift = Top + TopReserve(i) - from;
        }
    }

    // An item of a slice cut into parts: text goes with the part its top is in,
    // rectangles are cut at the part's edges.
    static void Clip(const THtmlItem& item, int from, int to, std::vector<THtmlItem>& out) {
        if (const auto* t = std::get_if<THtmlText>(&item)) {
            if (t->Top >= from && t->Top < to)
                out.push_back(item);
            return;
        }
        THtmlItem copy = item;
        std::visit(
            [&](auto& i) {
                if constexpr (!std::is_same_v<std::decay_t<decltype(i)>, THtmlText>) {
                    i.Rect.Top = std::max(i.Rect.Top, from);
                    i.Rect.Bottom = std::min(i.Rect.Bottom, to);
                }
            },
            copy);
        std::visit(
            [&](const auto& i) {
                if constexpr (!std::is_same_v<std::decay_t<decltype(i)>, THtmlText>)
                    if (i.Rect.Height() > 0)
                        out.push_back(copy);
            },
            copy);
    }

    void BoxOnPage(const THtmlFlowBox& box, const std::vector<TPlaced>& page,
                   std::vector<THtmlItem>& items) const {
        bool any = false, starts = false, ends = false;
        int top = 0, bottom = 0;
        for (const TPlaced& p : page) {
            if (!Contains(box, p.Slice))
                continue;
            const THtmlSlice& s = F.Slices[p.Slice];
            const int pageFrom = p.From + p.Shift, pageTo = p.To + p.Shift;
            top = any ? std::min(top, pageFrom) : pageFrom;
            bottom = any ? std::max(bottom, pageTo) : pageTo;
            any = true;
            if (!p.Copy && p.Slice == box.First && p.From == s.Top) {
                starts = true;
                top = std::min(top, box.Rect.Top + p.Shift);
            }
            if (!p.Copy && p.Slice == box.Last && p.To == s.Bottom()) {
                ends = true;
                bottom = std::max(bottom, box.Rect.Bottom + p.Shift);
            }
        }
        if (!any)
            return;
        if (!starts)
            top -= box.Border.Top;
        if (!ends)
            bottom += box.Border.Bottom;
        AddHtmlBoxItems(items, {box.Rect.Left, top, box.Rect.Right, bottom}, box.Background,
                        box.Border, box.BorderColor);
    }
};

// Keeps what lies on the paper: boxes too large for it (borders and padding
// of any size) are cut at its edges, and text that starts off it is dropped.
void ClipToPaper(std::vector<THtmlItem>& items, const THtmlPageSetup& setup) {
    std::vector<THtmlItem> kept;
    kept.reserve(items.size());
    for (THtmlItem& item : items) {
        if (auto* t = std::get_if<THtmlText>(&item)) {
            if (t->Top >= 0 && t->Top < setup.Height && t->X >= 0 && t->X < setup.Width)
                kept.push_back(std::move(item));
            continue;
        }
        const bool visible = std::visit(
            [&](auto& i) {
                if constexpr (std::is_same_v<std::decay_t<decltype(i)>, THtmlText>) {
                    return false;
                } else {
                    THtmlRect& r = i.Rect;
                    r = {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, setup.Width),
                         std::min(r.Bottom, setup.Height)};
                    return r.Width() > 0 && r.Height() > 0;
                }
            },
            item);
        if (visible)
            kept.push_back(std::move(item));
    }
    items = std::move(kept);
}

} // namespace

std::vector<THtmlPage> PaginateHtmlFlow(const THtmlFlow& flow, const THtmlPageSetup& setup,
                                        const std::string& title, int headerFont,
                                        THtmlTextMeasurer& measurer, int firstPages) {
    TPaginator paginator(flow, setup);
    paginator.Run();
    const int all = static_cast<int>(paginator.Pages.size());
    const bool partial = firstPages > 0;
    const int count = partial ? std::min(firstPages, all) : all;
    const THtmlFont& font = flow.Fonts[headerFont];
    const THtmlRect content = setup.Content();
    const THtmlTextExtent line = measurer.Measure(font, "", setup.Dpi);
    // Both texts sit in the middle of the top margin, or at the paper's edge
    // when the margin is too small for them.
    const int top = std::max(0, (setup.MarginTop - line.Height) / 2);
    const int gap = setup.Dpi / 4;
    // A title too long for the room beside the widest page number is shortened
    // with "...", the same on every page.
    const std::string widest = "Page " + std::to_string(count) + " of " + std::to_string(count);
    const int room = content.Width() - measurer.Measure(font, widest, setup.Dpi).Width - gap;
    std::string shortTitle = title;
    int titleWidth = measurer.Measure(font, shortTitle, setup.Dpi).Width;
    for (size_t keep = title.size(); titleWidth > room && keep > 0;) {
        keep = keep > 8 && titleWidth > 2 * room ? keep / 2 : keep - 1;
        shortTitle = keep ? title.substr(0, keep) + "..." : std::string();
        titleWidth = measurer.Measure(font, shortTitle, setup.Dpi).Width;
    }
    std::vector<THtmlPage> pages(count);
    for (int n = 0; n < count; ++n) {
        THtmlPage& page = pages[n];
        page.Items = paginator.Items(paginator.Pages[n]);
        ClipToPaper(page.Items, setup);
        THtmlText number;
        number.Text = "Page " + std::to_string(n + 1);
        if (!partial)
            number.Text += " of " + std::to_string(count);
        number.Width = measurer.Measure(font, number.Text, setup.Dpi).Width;
        number.X = std::max(content.Left, content.Right - number.Width);
        number.Top = top;
        number.Baseline = top + line.Ascent;
        number.Font = headerFont;
        if (!shortTitle.empty()) {
            THtmlText t = number;
            t.X = content.Left;
            t.Text = shortTitle;
            t.Width = titleWidth;
            page.Items.emplace_back(std::move(t));
        }
        page.Items.emplace_back(std::move(number));
    }
    return pages;
}
