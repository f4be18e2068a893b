// Lays a document out into the flow: blocks stacked with their margins
// collapsing, inline text broken into lines, tables sized from their columns'
// content. Pagination (HtmlPaginate.cpp) then cuts the flow into pages.
#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "htmlview/HtmlFlow.h"
#include "htmlview/HtmlStyle.h"
#include "htmlview/HtmlText.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// A piece of inline content: a word (no blanks), one collapsed blank, or a
// forced line break. Its text is a view of the document's own text (or of a
// literal): atoms live only while the document is laid out.
struct TAtom {
    enum class TKind { Word, Space, Break } Kind = TKind::Word;
    std::string_view Text;
    int Font = 0;
    TColor Color = clBlack;
    int Width = 0;
};

struct TWidths {
    int Min = 0, Max = 0;
};

// Where laid-out pieces go: the page flow (each piece a slice) or the inside
// of a table cell (everything one unbreakable list of items).
class TSink {
public:
    virtual ~TSink() = default;
    virtual void Add(int top, int height, std::vector<THtmlItem> items, int table = -1,
                     bool header = false) = 0;
    virtual size_t Mark() const = 0;
    // A decorated box around what was added since `mark`.
    virtual void Box(size_t mark, const THtmlRect& rect, const THtmlStyle& style) = 0;
    // A table's header row; -1 inside cells, where nothing repeats.
    virtual int NewTable() = 0;
    virtual void SetTableHeader(int, size_t) {}
    // Nothing more is wanted: what was added reaches past the first page, or
    // the layout was called off.
    virtual bool Full() const { return false; }
};

bool Decorated(const THtmlStyle& s) {
    return s.Background != clNone || s.BorderWidth.Top || s.BorderWidth.Right ||
           s.BorderWidth.Bottom || s.BorderWidth.Left;
}

class TFlowSink : public TSink {
public:
    TFlowSink(THtmlFlow& flow, int stopBelow, const std::atomic<bool>* cancel)
        : F(flow), StopBelow(stopBelow), Cancel(cancel) {}
    bool Full() const override {
        return (!F.Slices.empty() && F.Slices.back().Top > StopBelow) ||
               (Cancel && Cancel->load(std::memory_order_relaxed));
    }
    void Add(int top, int height, std::vector<THtmlItem> items, int table, bool header) override {
        THtmlSlice s;
        s.Top = top;
        s.Height = height;
        s.Items = std::move(items);
        s.Table = table;
        s.Header = header;
        F.Slices.push_back(std::move(s));
    }
    size_t Mark() const override { return F.Slices.size(); }
    void Box(size_t mark, const THtmlRect& rect, const THtmlStyle& style) override {
        if (!Decorated(style))
            return;
        if (F.Slices.size() == mark) // nothing inside: the box is a piece of its own
            Add(rect.Top, rect.Height(), {}, -1, false);
        THtmlFlowBox box;
        box.First = static_cast<int>(mark);
        box.Last = static_cast<int>(F.Slices.size()) - 1;
        box.Rect = rect;
        box.Background = style.Background;
        box.Border = style.BorderWidth;
        std::copy(std::begin(style.BorderColor), std::end(style.BorderColor), box.BorderColor);
        // Outer boxes paint first; this one ends after the boxes inside it were made.
        auto at = std::find_if(F.Boxes.begin(), F.Boxes.end(),
                               [&](const THtmlFlowBox& b) { return b.First >= box.First; });
        F.Boxes.insert(at, box);
    }
    int NewTable() override {
        F.TableHeaders.push_back(-1);
        return static_cast<int>(F.TableHeaders.size()) - 1;
    }
    void SetTableHeader(int table, size_t slice) override {
        F.TableHeaders[table] = static_cast<int>(slice);
    }

private:
    THtmlFlow& F;
    int StopBelow;
    const std::atomic<bool>* Cancel;
};

class TCellSink : public TSink {
public:
    std::vector<THtmlItem> Items;
    void Add(int, int, std::vector<THtmlItem> items, int, bool) override {
        Items.insert(Items.end(), std::make_move_iterator(items.begin()),
                     std::make_move_iterator(items.end()));
    }
    size_t Mark() const override { return Items.size(); }
    void Box(size_t mark, const THtmlRect& rect, const THtmlStyle& style) override {
        std::vector<THtmlItem> box;
        AddHtmlBoxItems(box, rect, style.Background, style.BorderWidth, style.BorderColor);
        Items.insert(Items.begin() + static_cast<long>(mark), box.begin(), box.end());
    }
    int NewTable() override { return -1; }
};

struct TCell {
    const THtmlNode* Node = nullptr;
    const THtmlStyle* Style = nullptr;
    int Column = 0, Span = 1;
    TWidths Widths; // border box
    bool Empty = true;
};

struct TRow {
    const THtmlNode* Node = nullptr;
    std::vector<TCell> Cells;
    bool Header = false;
};

struct TTable {
    std::vector<TRow> Rows;
    std::vector<int> ColumnWidth; // specified by col and colgroup, -1 for none
    std::vector<TWidths> Columns;
    int Spacing = 0;
    int Extra = 0; // borders and spacing across the table
};

class TLayout {
public:
    TLayout(THtmlTextMeasurer& measurer, const THtmlStyleSheet& sheet, int dpi)
        : M(measurer), Sheet(sheet), Dpi(dpi) {}

    THtmlFlow Flow;
    // Set once the flow sink wants nothing more: every walk returns.
    bool Stopped = false;

    void Run(const THtmlDocument& doc, int left, int width, int stopBelow,
             const std::atomic<bool>* cancel) {
        TFlowSink sink(Flow, stopBelow, cancel);
        int y = 0, margin = 0;
        Container(doc.Root, Initial, left, width, y, margin, sink);
    }

    int FontIndex(const THtmlFont& font) {
        for (size_t i = 0; i < Flow.Fonts.size(); ++i)
            if (Flow.Fonts[i] == font)
                return static_cast<int>(i);
        Flow.Fonts.push_back(font);
        Metrics.push_back(M.Measure(font, "", Dpi));
        Flow.LineHeights.push_back(Metrics.back().Height);
        WordWidths.emplace_back();
        SpaceWidths.push_back(-1);
        return static_cast<int>(Flow.Fonts.size()) - 1;
    }

private:
    THtmlTextMeasurer& M;
    const THtmlStyleSheet& Sheet;
    int Dpi;
    THtmlStyle Initial = HtmlInitialStyle();
    // Elements alike (the same name and attributes) under parents of the same
    // style object share one style: no selector or attribute rule looks at an
    // element's siblings or place, only at it and its ancestors, and the
    // parent's shared style stands for ancestors alike. The rows of a long
    // table are styled a few times, not once each.
    struct TSharedStyle {
        const THtmlNode* Model;
        THtmlStyle Style;
    };
    std::unordered_map<const THtmlNode*, const THtmlStyle*> Styles;
    std::unordered_map<const THtmlStyle*, std::vector<std::unique_ptr<TSharedStyle>>> SharedStyles;
    std::unordered_map<const THtmlStyle*, int> StyleFonts;
    // Looked up by a view of the word: no string is made unless it is new.
    struct TWordHash {
        using is_transparent = void;
        size_t operator()(std::string_view word) const {
            return std::hash<std::string_view>{}(word);
        }
    };
    using TWordWidths = std::unordered_map<std::string, int, TWordHash, std::equal_to<>>;
    std::vector<THtmlTextExtent> Metrics; // per font
    std::vector<TWordWidths> WordWidths;  // per font
    std::vector<int> SpaceWidths;         // per font, -1 until measured: half the atoms are blanks

    static bool Alike(const THtmlNode& a, const THtmlNode& b) {
        return a.Name == b.Name &&
               std::equal(a.Attributes.begin(), a.Attributes.end(), b.Attributes.begin(),
                          b.Attributes.end(), [](const THtmlAttribute& x, const THtmlAttribute& y) {
                              return x.Name == y.Name && x.Value == y.Value;
                          });
    }

    const THtmlStyle& StyleOf(const THtmlNode& e, const THtmlStyle& parent) {
        if (auto it = Styles.find(&e); it != Styles.end())
            return *it->second;
        auto& shared = SharedStyles[&parent];
        // Only the latest few are compared: alike siblings come in runs (or
        // alternate), and many different ones must not slow each lookup.
        const size_t latest = shared.size() > 4 ? shared.size() - 4 : 0;
        for (size_t i = shared.size(); i-- > latest;)
            if (Alike(*shared[i]->Model, e))
                return *(Styles[&e] = &shared[i]->Style);
        shared.push_back(std::make_unique<TSharedStyle>(
            TSharedStyle{&e, ComputeHtmlStyle(e, parent, Sheet, Dpi)}));
        return *(Styles[&e] = &shared.back()->Style);
    }

    // The font of a style, found once per style: styles live as long as the layout.
    int FontOf(const THtmlStyle& s) {
        auto it = StyleFonts.find(&s);
        if (it == StyleFonts.end())
            it = StyleFonts.emplace(&s, FontIndex(s.Font)).first;
        return it->second;
    }

    int WordWidth(int font, std::string_view word) {
        auto& cache = WordWidths[font];
        auto it = cache.find(word);
        if (it == cache.end())
            it = cache.emplace(std::string(word), M.Measure(Flow.Fonts[font], word, Dpi).Width)
                     .first;
        return it->second;
    }

    static bool IsBlockLevel(const THtmlStyle& s) { return s.Display != THtmlDisplay::Inline; }

    // ---- inline content ----

    void AddText(const std::string& text, const THtmlStyle& s, std::vector<TAtom>& atoms) {
        const int font = FontOf(s);
        size_t i = 0;
        while (i < text.size()) {
            if (IsBlank(text[i])) {
                while (i < text.size() && IsBlank(text[i]))
                    ++i;
                if (!atoms.empty() && atoms.back().Kind == TAtom::TKind::Word) {
                    TAtom a;
                    a.Kind = TAtom::TKind::Space;
                    a.Text = " ";
                    a.Font = font;
                    a.Color = s.Color;
                    int& space = SpaceWidths[font];
                    if (space < 0)
                        space = WordWidth(font, a.Text);
                    a.Width = space;
                    atoms.push_back(std::move(a));
                }
                continue;
            }
            const size_t start = i;
            while (i < text.size() && !IsBlank(text[i]))
                ++i;
            TAtom a;
            a.Text = std::string_view(text).substr(start, i - start);
            a.Font = font;
            a.Color = s.Color;
            a.Width = WordWidth(font, a.Text);
            atoms.push_back(std::move(a));
        }
    }

    static void Break(std::vector<TAtom>& atoms) {
        TAtom a;
        a.Kind = TAtom::TKind::Break;
        atoms.push_back(std::move(a));
    }

    // The inline content of `node` (an inline element, or a block element met
    // inside inline content, whose text then stands on lines of its own).
    void Inline(const THtmlNode& node, const THtmlStyle& s, std::vector<TAtom>& atoms) {
        const auto lineEnd = [&] {
            if (!atoms.empty() && atoms.back().Kind != TAtom::TKind::Break)
                Break(atoms);
        };
        Children(node, s, atoms, [&](const THtmlNode& child, const THtmlStyle& cs) {
            lineEnd();
            Inline(child, cs, atoms);
            lineEnd();
        });
    }

    TWidths InlineWidths(const std::vector<TAtom>& atoms) {
        TWidths w;
        int word = 0, line = 0, pendingSpace = 0;
        for (const TAtom& a : atoms) {
            switch (a.Kind) {
            case TAtom::TKind::Word:
                word += a.Width;
                line += pendingSpace + a.Width;
                pendingSpace = 0;
                w.Min = std::max(w.Min, word);
                w.Max = std::max(w.Max, line);
                break;
            case TAtom::TKind::Space:
                word = 0;
                pendingSpace = line ? a.Width : 0;
                break;
            case TAtom::TKind::Break:
                word = line = pendingSpace = 0;
                break;
            }
        }
        return w;
    }

    struct TLine {
        std::vector<TAtom> Atoms;
        int Width = 0;
    };

    // Splits a word wider than the line into pieces that fill it (at least one
    // byte each), so nothing runs off the page. Each piece is found by doubling
    // and then halving its length, so a long word costs a few measures per line.
    void SplitWord(TAtom word, int width, std::vector<TAtom>& pieces) {
        const THtmlFont& font = Flow.Fonts[word.Font];
        const auto measure = [&](size_t n) {
            return M.Measure(font, word.Text.substr(0, n), Dpi).Width;
        };
        while (true) {
            const size_t size = word.Text.size();
            if (size <= 1)
                break;
            size_t fits = 1, over = 2; // the longest known to fit, the shortest known not to
            while (over <= size && measure(over) <= width)
                fits = over, over *= 2;
            if (over > size) {
                if (measure(size) <= width)
                    break; // the rest fits a line
                over = size;
            }
            while (over - fits > 1) {
                const size_t mid = fits + (over - fits) / 2;
                (measure(mid) <= width ? fits : over) = mid;
            }
            TAtom piece = word;
            piece.Text = word.Text.substr(0, fits);
            piece.Width = measure(fits);
            pieces.push_back(std::move(piece));
            word.Text.remove_prefix(fits);
        }
        word.Width = measure(word.Text.size());
        pieces.push_back(std::move(word));
    }

    std::vector<TLine> BreakLines(const std::vector<TAtom>& atoms, int width) {
        std::vector<TLine> lines(1);
        int pendingSpace = -1; // index of a blank waiting for the next word
        for (size_t i = 0; i < atoms.size(); ++i) {
            const TAtom& a = atoms[i];
            if (a.Kind == TAtom::TKind::Break) {
                lines.emplace_back();
                pendingSpace = -1;
                continue;
            }
            if (a.Kind == TAtom::TKind::Space) {
                pendingSpace = lines.back().Atoms.empty() ? -1 : static_cast<int>(i);
                continue;
            }
            // A word, with the words glued to it (no blank between) kept together.
            size_t end = i + 1;
            int glued = a.Width;
            while (end < atoms.size() && atoms[end].Kind == TAtom::TKind::Word)
                glued += atoms[end++].Width;
            TLine* line = &lines.back();
            const int space = pendingSpace >= 0 ? atoms[pendingSpace].Width : 0;
            if (!line->Atoms.empty() && line->Width + space + glued > width) {
                lines.emplace_back();
                line = &lines.back();
            } else if (pendingSpace >= 0) {
                line->Atoms.push_back(atoms[pendingSpace]);
                line->Width += space;
            }
            pendingSpace = -1;
            for (size_t j = i; j < end; ++j) {
                const TAtom& word = atoms[j];
                if (line->Width + word.Width <= width || !line->Atoms.empty()) {
                    line->Width += word.Width;
                    line->Atoms.push_back(word);
                    continue;
                }
                std::vector<TAtom> pieces;
                SplitWord(word, std::max(1, width), pieces);
                for (size_t k = 0; k < pieces.size(); ++k) {
                    if (k > 0) {
                        lines.emplace_back();
                        line = &lines.back();
                    }
                    line->Width += pieces[k].Width;
                    line->Atoms.push_back(std::move(pieces[k]));
                }
            }
            i = end - 1;
        }
        if (lines.size() > 1 && lines.back().Atoms.empty() &&
            (atoms.empty() || atoms.back().Kind != TAtom::TKind::Break))
            lines.pop_back();
        return lines;
    }

    // Lays the atoms out as lines in [left, left + width) from y, one piece per line.
    void Lines(const std::vector<TAtom>& atoms, const THtmlStyle& s, int left, int width, int& y,
               int& margin, TSink& sink) {
        if (atoms.empty())
            return;
        const int strutFont = FontOf(s);
        std::vector<TLine> lines = BreakLines(atoms, width);
        // A trailing forced break ends the last line; it starts no new one.
        if (lines.size() > 1 && atoms.back().Kind == TAtom::TKind::Break)
            lines.pop_back();
        y += margin;
        margin = 0;
        for (const TLine& line : lines) {
            if ((Stopped = Stopped || sink.Full()))
                return;
            int ascent = Metrics[strutFont].Ascent;
            int descent = Metrics[strutFont].Height - ascent;
            for (const TAtom& a : line.Atoms) {
                ascent = std::max(ascent, Metrics[a.Font].Ascent);
                descent = std::max(descent, Metrics[a.Font].Height - Metrics[a.Font].Ascent);
            }
            int x = left;
            if (s.TextAlign == THtmlTextAlign::Right)
                x += std::max(0, width - line.Width);
            else if (s.TextAlign == THtmlTextAlign::Center)
                x += std::max(0, width - line.Width) / 2;
            std::vector<THtmlItem> items;
            THtmlText* run = nullptr;
            for (const TAtom& a : line.Atoms) {
                if (run && run->Font == a.Font && run->Color == a.Color) {
                    run->Text += a.Text;
                    run->Width += a.Width;
                } else {
                    THtmlText t;
                    t.X = x;
                    t.Top = y + ascent - Metrics[a.Font].Ascent;
                    t.Baseline = y + ascent;
                    t.Width = a.Width;
                    t.Font = a.Font;
                    t.Color = a.Color;
                    t.Text = a.Text;
                    items.emplace_back(std::move(t));
                    run = &std::get<THtmlText>(items.back());
                }
                x += a.Width;
            }
            sink.Add(y, ascent + descent, std::move(items));
            y += ascent + descent;
        }
    }

    // ---- blocks ----

    // Walks the children of `node` in order: inline content is added to
    // `atoms`, block children are handed to `block`.
    template <class TBlock>
    void Children(const THtmlNode& node, const THtmlStyle& s, std::vector<TAtom>& atoms,
                  TBlock&& block) {
        for (const auto& child : node.Children) {
            if (Stopped)
                return;
            if (child->IsText()) {
                AddText(child->Text, s, atoms);
                continue;
            }
            const THtmlStyle& cs = StyleOf(*child, s);
            if (cs.Display == THtmlDisplay::None)
                continue;
            if (child->IsElement("br"))
                Break(atoms);
            else if (IsBlockLevel(cs))
                block(*child, cs);
            else
                Inline(*child, cs, atoms);
        }
    }

    // The content of a block: lines of text and the blocks inside, stacked.
    void Container(const THtmlNode& node, const THtmlStyle& s, int left, int width, int& y,
                   int& margin, TSink& sink) {
        std::vector<TAtom> atoms;
        atoms.reserve(16);
        Children(node, s, atoms, [&](const THtmlNode& child, const THtmlStyle& cs) {
            Lines(atoms, s, left, width, y, margin, sink);
            atoms.clear();
            if (cs.Display == THtmlDisplay::Table)
                Table(child, cs, left, width, y, margin, sink);
            else
                Block(child, cs, left, width, y, margin, sink);
        });
        Lines(atoms, s, left, width, y, margin, sink);
    }

    int BoxWidth(const THtmlStyle& s, int available) const {
        if (s.WidthPercent >= 0)
            return available * s.WidthPercent / 100;
        return s.Width;
    }

    void Block(const THtmlNode& node, const THtmlStyle& s, int left, int width, int& y, int& margin,
               TSink& sink) {
        const THtmlSides &m = s.Margin, &p = s.Padding, &b = s.BorderWidth;
        const int outer = std::max(0, width - m.Left - m.Right);
        int inner = std::max(1, outer - p.Left - p.Right - b.Left - b.Right);
        const int specified = BoxWidth(s, width);
        if (specified >= 0)
            inner = std::clamp(specified, 1, inner);
        const int boxLeft = left + m.Left;
        const int boxRight = boxLeft + inner + p.Left + p.Right + b.Left + b.Right;
        // Margins collapse through a block without anything above or below its content.
        const bool closedTop = Decorated(s) || p.Top > 0;
        const bool closedBottom = Decorated(s) || p.Bottom > 0;
        margin = std::max(margin, m.Top);
        if (closedTop) {
            y += margin;
            margin = 0;
        }
        const int top = y;
        const size_t mark = sink.Mark();
        y += b.Top + p.Top;
        Container(node, s, boxLeft + b.Left + p.Left, inner, y, margin, sink);
        if (closedBottom) {
            y += margin;
            margin = 0;
        }
        y += p.Bottom + b.Bottom;
        sink.Box(mark, {boxLeft, top, boxRight, y}, s);
        margin = std::max(margin, m.Bottom);
    }

    // The widths the content of a block or cell needs: its longest word, and
    // its longest line unbroken.
    TWidths ContentWidths(const THtmlNode& node, const THtmlStyle& s) {
        TWidths w;
        const auto widen = [&](const TWidths& c) {
            w.Min = std::max(w.Min, c.Min);
            w.Max = std::max(w.Max, c.Max);
        };
        std::vector<TAtom> atoms;
        atoms.reserve(16);
        Children(node, s, atoms, [&](const THtmlNode& child, const THtmlStyle& cs) {
            widen(InlineWidths(atoms));
            atoms.clear();
            TWidths c;
            if (cs.Display == THtmlDisplay::Table) {
                const TTable t = Structure(child, cs);
                for (const TWidths& col : t.Columns)
                    c.Min += col.Min, c.Max += col.Max;
                c.Min += t.Extra;
                c.Max += t.Extra;
            } else {
                c = ContentWidths(child, cs);
                const int specified = cs.WidthPercent < 0 ? cs.Width : -1;
                if (specified >= 0)
                    c.Min = c.Max = std::max(specified, c.Min);
                const int extra = cs.Margin.Left + cs.Margin.Right + cs.Padding.Left +
                                  cs.Padding.Right + cs.BorderWidth.Left + cs.BorderWidth.Right;
                c.Min += extra;
                c.Max += extra;
            }
            widen(c);
        });
        widen(InlineWidths(atoms));
        return w;
    }

    // ---- tables ----

    static int SpanOf(const THtmlNode& e, const char* name, int most) {
        const std::string* v = e.Attribute(name);
        return v ? std::clamp(std::atoi(v->c_str()), 1, most) : 1;
    }

    static constexpr int MaxColumns = 1000;

    void Columns(const THtmlNode& group, const THtmlStyle& gs, std::vector<int>& widths) {
        bool hasCols = false;
        for (const auto& child : group.Children)
            if (child->IsElement("col")) {
                hasCols = true;
                const THtmlStyle& cs = StyleOf(*child, gs);
                const int w = cs.Width >= 0 ? cs.Width : gs.Width;
                for (int i = SpanOf(*child, "span", MaxColumns); i > 0; --i)
                    if (widths.size() < MaxColumns)
                        widths.push_back(w);
            }
        if (!hasCols)
            for (int i = SpanOf(group, "span", MaxColumns); i > 0; --i)
                if (widths.size() < MaxColumns)
                    widths.push_back(gs.Width);
    }

    void AddRow(const THtmlNode& tr, const THtmlStyle& rs, bool inHead, TTable& t) {
        TRow row;
        row.Node = &tr;
        int column = 0;
        bool allHeads = true;
        for (const auto& child : tr.Children) {
            if (child->IsText())
                continue;
            const THtmlStyle& cs = StyleOf(*child, rs);
            if (cs.Display != THtmlDisplay::Cell || column >= MaxColumns)
                continue;
            TCell cell;
            cell.Node = child.get();
            cell.Style = &cs;
            cell.Column = column;
            cell.Span = std::min(SpanOf(*child, "colspan", MaxColumns), MaxColumns - column);
            column += cell.Span;
            allHeads = allHeads && child->IsElement("th");
            const THtmlSides &p = cs.Padding, &b = cs.BorderWidth;
            TWidths w = ContentWidths(*child, cs);
            cell.Empty = w.Max == 0 && HtmlTrim(child->TextContent()).empty();
            const int specified = cs.WidthPercent < 0 ? cs.Width : -1;
            if (specified >= 0) // as for a column of a given width
                w.Min = w.Max = std::max(w.Min, specified);
            const int extra = p.Left + p.Right + b.Left + b.Right;
            cell.Widths = {w.Min + extra, w.Max + extra};
            row.Cells.push_back(cell);
        }
        row.Header = inHead || (t.Rows.empty() && allHeads && !row.Cells.empty());
        t.Rows.push_back(std::move(row));
    }

    TTable Structure(const THtmlNode& table, const THtmlStyle& ts) {
        TTable t;
        if (const std::string* v = table.Attribute("cellspacing"))
            t.Spacing = std::clamp(std::atoi(v->c_str()), 0, 1000) * Dpi / 96;
        else
            t.Spacing = 2 * Dpi / 96;
        for (const auto& child : table.Children) {
            if (child->IsText())
                continue;
            const THtmlStyle& cs = StyleOf(*child, ts);
            if (cs.Display == THtmlDisplay::ColumnGroup)
                Columns(*child, cs, t.ColumnWidth);
            else if (cs.Display == THtmlDisplay::Column)
                Columns(table, ts, t.ColumnWidth); // a bare col: read as a group of one
            else if (cs.Display == THtmlDisplay::Row)
                AddRow(*child, cs, false, t);
            else if (cs.Display == THtmlDisplay::RowGroup)
                for (const auto& row : child->Children)
                    if (!row->IsText()) {
                        const THtmlStyle& rs = StyleOf(*row, cs);
                        if (rs.Display == THtmlDisplay::Row)
                            AddRow(*row, rs, child->IsElement("thead"), t);
                    }
        }
        // Only a first row repeats as the header.
        for (size_t i = 1; i < t.Rows.size(); ++i)
            if (t.Rows[i].Header && !t.Rows[i - 1].Header)
                t.Rows[i].Header = false;
        size_t count = t.ColumnWidth.size();
        for (const TRow& r : t.Rows)
            if (!r.Cells.empty())
                count = std::max<size_t>(count, r.Cells.back().Column + r.Cells.back().Span);
        t.Columns.assign(count, {});
        t.ColumnWidth.resize(count, -1);
        for (int pass = 0; pass < 2; ++pass) // single cells first, then spanning ones
            for (const TRow& r : t.Rows)
                for (const TCell& cell : r.Cells) {
                    if ((cell.Span == 1) != (pass == 0))
                        continue;
                    int haveMin = 0, haveMax = 0;
                    for (int c = cell.Column; c < cell.Column + cell.Span; ++c)
                        haveMin += t.Columns[c].Min, haveMax += t.Columns[c].Max;
                    const int inside = t.Spacing * (cell.Span - 1);
                    const int addMin = std::max(0, cell.Widths.Min - inside - haveMin);
                    const int addMax = std::max(0, cell.Widths.Max - inside - haveMax);
                    for (int c = cell.Column; c < cell.Column + cell.Span; ++c) {
                        t.Columns[c].Min += addMin / cell.Span;
                        t.Columns[c].Max += addMax / cell.Span;
                    }
                    t.Columns[cell.Column].Min += addMin % cell.Span;
                    t.Columns[cell.Column].Max += addMax % cell.Span;
                }
        // A column of a given width keeps it, unless a word needs more.
        for (size_t c = 0; c < count; ++c) {
            TWidths& col = t.Columns[c];
            if (t.ColumnWidth[c] >= 0)
                col.Min = col.Max = std::max(col.Min, t.ColumnWidth[c]);
            col.Max = std::max(col.Max, col.Min);
        }
        t.Extra =
            ts.BorderWidth.Left + ts.BorderWidth.Right + t.Spacing * (static_cast<int>(count) + 1);
        return t;
    }

    // Column widths for a table of `width` (its border box).
    static std::vector<int> Distribute(const TTable& t, int width) {
        const size_t n = t.Columns.size();
        std::vector<int> out(n, 0);
        if (n == 0)
            return out;
        long long sumMin = 0, sumMax = 0;
        for (const TWidths& c : t.Columns)
            sumMin += c.Min, sumMax += c.Max;
        const long long room = std::max(0, width - t.Extra);
        if (room <= sumMin) { // too narrow even for the longest words: shrink them alike
            for (size_t c = 0; c < n; ++c)
                out[c] = sumMin ? static_cast<int>(t.Columns[c].Min * room / sumMin)
                                : static_cast<int>(room / static_cast<long long>(n));
        } else if (room <= sumMax) {
            for (size_t c = 0; c < n; ++c)
                out[c] = t.Columns[c].Min +
                         static_cast<int>((t.Columns[c].Max - t.Columns[c].Min) * (room - sumMin) /
                                          std::max(1LL, sumMax - sumMin));
        } else { // wider than the content wants: the room left goes to the free columns
            long long freeMax = 0;
            for (size_t c = 0; c < n; ++c)
                if (t.ColumnWidth[c] < 0)
                    freeMax += t.Columns[c].Max;
            const bool anyFree = freeMax > 0;
            if (!anyFree)
                freeMax = sumMax;
            for (size_t c = 0; c < n; ++c) {
                out[c] = t.Columns[c].Max;
                if (!anyFree || t.ColumnWidth[c] < 0)
                    out[c] +=
                        static_cast<int>(freeMax ? t.Columns[c].Max * (room - sumMax) / freeMax
                                                 : (room - sumMax) / static_cast<long long>(n));
            }
        }
        long long used = 0;
        for (int w : out)
            used += w;
        // Rounding leaves a few units: the last column takes them.
        if (used < room)
            out[n - 1] += static_cast<int>(room - used);
        return out;
    }

    void Table(const THtmlNode& node, const THtmlStyle& s, int left, int width, int& y, int& margin,
               TSink& sink) {
        // A caption stands above the table.
        for (const auto& child : node.Children)
            if (child->IsElement("caption")) {
                const THtmlStyle& cs = StyleOf(*child, s);
                if (cs.Display != THtmlDisplay::None)
                    Block(*child, cs, left, width, y, margin, sink);
            }
        TTable t = Structure(node, s);
        const THtmlSides &m = s.Margin, &b = s.BorderWidth;
        const int available = std::max(1, width - m.Left - m.Right);
        long long sumMin = t.Extra, sumMax = t.Extra;
        for (const TWidths& c : t.Columns)
            sumMin += c.Min, sumMax += c.Max;
        // The natural width, or the width asked for; never wider than the room there is.
        const int specified = BoxWidth(s, available);
        long long tableWidth = specified >= 0 ? std::max<long long>(specified, sumMin)
                                              : std::min<long long>(sumMax, available);
        tableWidth = std::clamp<long long>(tableWidth, 0, available);
        const std::vector<int> widths = Distribute(t, static_cast<int>(tableWidth));

        const int boxLeft = left + m.Left;
        margin = std::max(margin, m.Top);
        y += margin;
        margin = 0;
        const int top = y;
        const size_t mark = sink.Mark();
        const int table = sink.NewTable();
        y += b.Top + t.Spacing;
        std::vector<int> columnLeft(widths.size() + 1, boxLeft + b.Left + t.Spacing);
        for (size_t c = 0; c < widths.size(); ++c)
            columnLeft[c + 1] = columnLeft[c] + widths[c] + t.Spacing;
        for (const TRow& row : t.Rows) {
            if ((Stopped = Stopped || sink.Full()))
                break;
            if (row.Header && table >= 0)
                sink.SetTableHeader(table, sink.Mark());
            Row(row, s, columnLeft, t.Spacing, y, table, sink);
            y += t.Spacing;
        }
        y += b.Bottom;
        int right = columnLeft.back() + b.Right;
        if (t.Columns.empty())
            right = boxLeft + b.Left + b.Right + t.Spacing * 2;
        sink.Box(mark, {boxLeft, top, right, y}, s);
        margin = std::max(margin, m.Bottom);
    }

    void Row(const TRow& row, const THtmlStyle& ts, const std::vector<int>& columnLeft, int spacing,
             int& y, int table, TSink& sink) {
        const THtmlStyle& rs = StyleOf(*row.Node, ts);
        struct TLaidCell {
            TCellSink Content;
            int Height = 0;
        };
        std::vector<std::unique_ptr<TLaidCell>> laid;
        int height = 0;
        for (const TCell& cell : row.Cells) {
            const THtmlStyle& cs = *cell.Style;
            const THtmlSides &p = cs.Padding, &b = cs.BorderWidth;
            const int cellWidth =
                columnLeft[cell.Column + cell.Span] - columnLeft[cell.Column] - spacing;
            auto lc = std::make_unique<TLaidCell>();
            int cy = 0, cm = 0;
            const int inner = std::max(1, cellWidth - p.Left - p.Right - b.Left - b.Right);
            Container(*cell.Node, cs, columnLeft[cell.Column] + b.Left + p.Left, inner, cy, cm,
                      lc->Content);
            lc->Height = cy + p.Top + p.Bottom + b.Top + b.Bottom;
            height = std::max(height, lc->Height);
            laid.push_back(std::move(lc));
        }
        std::vector<THtmlItem> items;
        if (rs.Background != clNone && !row.Cells.empty())
            items.emplace_back(THtmlFill{
                {columnLeft.front(), y, columnLeft.back() - spacing, y + height}, rs.Background});
        for (size_t i = 0; i < row.Cells.size(); ++i) {
            const TCell& cell = row.Cells[i];
            const THtmlStyle& cs = *cell.Style;
            const int cellLeft = columnLeft[cell.Column];
            const int cellRight = columnLeft[cell.Column + cell.Span] - spacing;
            if (!cell.Empty || cs.EmptyCellsShow)
                AddHtmlBoxItems(items, {cellLeft, y, cellRight, y + height}, cs.Background,
                                cs.BorderWidth, cs.BorderColor);
            int offset = 0;
            if (cs.VerticalAlign == THtmlVerticalAlign::Middle)
                offset = (height - laid[i]->Height) / 2;
            else if (cs.VerticalAlign == THtmlVerticalAlign::Bottom)
                offset = height - laid[i]->Height;
            std::vector<THtmlItem>& content = laid[i]->Content.Items;
            OffsetHtmlItems(content, y + offset + cs.BorderWidth.Top + cs.Padding.Top);
            items.insert(items.end(), std::make_move_iterator(content.begin()),
                         std::make_move_iterator(content.end()));
        }
        sink.Add(y, height, std::move(items), table, row.Header && table >= 0);
        y += height;
    }
};

} // namespace

void OffsetHtmlItems(std::vector<THtmlItem>& items, int dy) {
    for (THtmlItem& item : items)
        std::visit(
            [dy](auto& i) {
                if constexpr (std::is_same_v<std::decay_t<decltype(i)>, THtmlText>) {
                    i.Top += dy;
                    i.Baseline += dy;
                } else {
                    i.Rect.Top += dy;
                    i.Rect.Bottom += dy;
                }
            },
            item);
}

void AddHtmlBoxItems(std::vector<THtmlItem>& items, const THtmlRect& r, TColor background,
                     const THtmlSides& border, const TColor color[4]) {
    if (background != clNone)
        items.emplace_back(THtmlFill{r, background});
    const THtmlRect edges[4] = {{r.Left, r.Top, r.Right, r.Top + border.Top},
                                {r.Right - border.Right, r.Top, r.Right, r.Bottom},
                                {r.Left, r.Bottom - border.Bottom, r.Right, r.Bottom},
                                {r.Left, r.Top, r.Left + border.Left, r.Bottom}};
    for (int i = 0; i < 4; ++i)
        if (edges[i].Width() > 0 && edges[i].Height() > 0)
            items.emplace_back(THtmlEdge{edges[i], color[i]});
}

namespace {
THtmlPages Layout(const THtmlDocument& document, THtmlTextMeasurer& measurer,
                  const THtmlPageSetup& setup, bool firstPageOnly,
                  const std::atomic<bool>* cancel) {
    const THtmlRect content = setup.Content();
    if (setup.Dpi <= 0 || content.Width() <= 0 || content.Height() <= 0 || content.Left < 0 ||
        content.Top < 0)
        throw EHtmlPageSetupError("The page setup leaves no room to print on.");
    const THtmlStyleSheet sheet = THtmlStyleSheet::FromDocument(document, setup.Media);
    TLayout layout(measurer, sheet, setup.Dpi);
    // The first page holds nothing that starts below its content's height:
    // one piece past that is enough to cut it as the whole flow would.
    layout.Run(document, content.Left, content.Width(), firstPageOnly ? content.Height() : INT_MAX,
               cancel);
    THtmlPages pages;
    pages.Setup = setup;
    pages.Title = document.Title();
    // A first page that took the whole document is all of it.
    pages.Complete = !layout.Stopped;
    THtmlFont header;
    header.Families = {"Arial", "Sans-Serif"};
    header.SizePt = 8;
    const int headerFont = layout.FontIndex(header);
    pages.Pages = PaginateHtmlFlow(layout.Flow, setup, pages.Title, headerFont, measurer,
                                   pages.Complete ? 0 : 1);
    pages.Fonts = std::move(layout.Flow.Fonts);
    return pages;
}
} // namespace

THtmlPages LayoutHtmlPages(const THtmlDocument& document, THtmlTextMeasurer& measurer,
                           const THtmlPageSetup& setup, const std::atomic<bool>* cancel) {
    return Layout(document, measurer, setup, false, cancel);
}

THtmlPages LayoutHtmlFirstPage(const THtmlDocument& document, THtmlTextMeasurer& measurer,
                               const THtmlPageSetup& setup) {
    return Layout(document, measurer, setup, true, nullptr);
}
