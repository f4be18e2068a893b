#include "htmlview/HtmlStyle.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "htmlview/HtmlText.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Lengths (device units) and font sizes are kept in a range where sums of
// them cannot overflow and a page holds at least a bit of any box.
constexpr double MaxLength = 1 << 15;
constexpr double MinFontPt = 1, MaxFontPt = 500;

// ---- reading the sheet ----

std::string WithoutComments(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "/*") == 0) {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 2;
            out += ' ';
        } else if (text.compare(i, 4, "<!--") == 0) {
            i += 4;
        } else if (text.compare(i, 3, "-->") == 0) {
            i += 3;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// The index just past the block that opens at text[open] == '{' (nested
// blocks and quoted strings skipped), or text.size() when it never closes.
size_t BlockEnd(std::string_view text, size_t open) {
    int depth = 0;
    char quote = 0;
    for (size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0) {
            return i + 1;
        }
    }
    return text.size();
}

bool ParseCompound(std::string_view text, THtmlCompound& out, int& specificity) {
    size_t i = 0;
    const auto name = [&] {
        const size_t start = i;
        while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) ||
                                   text[i] == '-' || text[i] == '_'))
            ++i;
        return std::string(text.substr(start, i - start));
    };
    if (i < text.size() && text[i] == '*') {
        ++i;
    } else if (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        out.Type = HtmlLowerCopy(name());
        specificity += 1;
    }
    while (i < text.size()) {
        const char c = text[i++];
        if (c == '.') {
            std::string cls = name();
            if (cls.empty())
                return false;
            out.Classes.push_back(std::move(cls));
            specificity += 256;
        } else if (c == ':') {
            const bool element = i < text.size() && text[i] == ':';
            if (element)
                ++i;
            const std::string pseudo = HtmlLowerCopy(name());
            // On paper no link is being hovered or pressed; which links were
            // visited does not change how a page prints.
            if (element || (pseudo != "link" && pseudo != "visited"))
                out.NeverMatches = true;
            specificity += 256;
        } else if (c == '#') {
            name();
            out.NeverMatches = true; // ids are not styled
            specificity += 65536;
        } else {
            return false;
        }
    }
    return true;
}

// One member of a selector group; false when it uses what the view does not read.
bool ParseSelector(std::string_view text, THtmlSelector& out) {
    size_t i = 0;
    bool child = false;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == '>') {
            if (out.Parts.empty() || child)
                return false;
            child = true;
            ++i;
            continue;
        }
        if (text[i] == '+' || text[i] == '~' || text[i] == '[')
            return false;
        const size_t start = i;
        while (i < text.size() && !IsBlank(text[i]) && text[i] != '>' && text[i] != '+' &&
               text[i] != '~')
            ++i;
        THtmlCompound compound;
        if (!ParseCompound(text.substr(start, i - start), compound, out.Specificity))
            return false;
        if (!out.Parts.empty())
            out.Child.push_back(child);
        child = false;
        out.Parts.push_back(std::move(compound));
    }
    return !out.Parts.empty() && !child;
}

std::vector<THtmlDeclaration> ParseDeclarations(std::string_view text) {
    std::vector<THtmlDeclaration> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        char quote = 0;
        int parens = 0;
        for (; end < text.size(); ++end) {
            const char c = text[end];
            if (quote) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '(') {
                ++parens;
            } else if (c == ')') {
                parens = std::max(0, parens - 1);
            } else if (c == ';' && parens == 0) {
                break;
            }
        }
        const std::string_view item = text.substr(start, end - start);
        start = end + 1;
        const size_t colon = item.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string property = HtmlLowerCopy(HtmlTrim(item.substr(0, colon)));
        std::string value = HtmlTrim(item.substr(colon + 1));
        const size_t important = HtmlLowerCopy(value).find("!important");
        if (important != std::string::npos)
            value = HtmlTrim(std::string_view(value).substr(0, important));
        if (!property.empty() && !value.empty())
            out.push_back({std::move(property), std::move(value)});
    }
    return out;
}

bool MediaApplies(std::string_view query, THtmlMedia media) {
    // A list of media types: "print", "screen, projection", "all".
    std::string list = HtmlLowerCopy(query);
    std::replace(list.begin(), list.end(), ',', ' ');
    std::string_view rest = list;
    bool any = false;
    while (true) {
        const size_t start = rest.find_first_not_of(" \t\r\n\f");
        if (start == std::string_view::npos)
            break;
        rest.remove_prefix(start);
        const size_t end = std::min(rest.find_first_of(" \t\r\n\f"), rest.size());
        const std::string_view type = rest.substr(0, end);
        rest.remove_prefix(end);
        any = true;
        if (type == "all" || type == (media == THtmlMedia::Print ? "print" : "screen"))
            return true;
    }
    return !any;
}

// ---- values ----

std::vector<std::string> Tokens(std::string_view value) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < value.size()) {
        if (IsBlank(value[i]) || value[i] == ',') {
            ++i;
            continue;
        }
        const size_t start = i;
        int parens = 0;
        while (i < value.size() && (parens > 0 || (!IsBlank(value[i]) && value[i] != ','))) {
            parens += value[i] == '(' ? 1 : value[i] == ')' ? -1 : 0;
            ++i;
        }
        out.emplace_back(value.substr(start, i - start));
    }
    return out;
}

struct TLength {
    double Value = 0;
    std::string Unit; // lower-case; empty for a bare number
};

bool ParseLength(std::string_view text, TLength& out) {
    const std::string s(text);
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || !std::isfinite(v))
        return false;
    out.Value = v;
    out.Unit = HtmlLowerCopy(end);
    return true;
}

// The context a length is resolved in.
struct TUnits {
    int Dpi;
    double FontPt; // the element's font size, for em and ex
};

// A length in device units; false for a unit the view does not know or a per cent.
bool DeviceLength(const TLength& l, const TUnits& u, int& out) {
    double inches;
    if (l.Unit == "px" || (l.Unit.empty()))
        inches = l.Value / 96;
    else if (l.Unit == "pt")
        inches = l.Value / 72;
    else if (l.Unit == "pc")
        inches = l.Value / 6;
    else if (l.Unit == "in")
        inches = l.Value;
    else if (l.Unit == "cm")
        inches = l.Value / 2.54;
    else if (l.Unit == "mm")
        inches = l.Value / 25.4;
    else if (l.Unit == "em")
        inches = l.Value * u.FontPt / 72;
    else if (l.Unit == "ex")
        inches = l.Value * u.FontPt / 144;
    else
        return false;
    out = static_cast<int>(std::lround(std::clamp(inches * u.Dpi, -MaxLength, MaxLength)));
    return true;
}

bool ParseDevice(std::string_view text, const TUnits& u, int& out) {
    TLength l;
    return ParseLength(text, l) && DeviceLength(l, u, out);
}

// A margin, padding or border width: never negative.
bool ParseExtent(std::string_view text, const TUnits& u, int& out) {
    if (HtmlSameText(text, "auto")) {
        out = 0;
        return true;
    }
    if (!ParseDevice(text, u, out))
        return false;
    out = std::max(0, out);
    return true;
}

// "margin: 4px 0px 16px 0px" and its shorter forms into top, right, bottom, left.
void ParseSides(std::string_view value, const TUnits& u, THtmlSides& sides) {
    const std::vector<std::string> t = Tokens(value);
    if (t.empty() || t.size() > 4)
        return;
    int v[4];
    for (size_t i = 0; i < t.size(); ++i)
        if (!ParseExtent(t[i], u, v[i]))
            return;
    const size_t n = t.size();
    sides.Top = v[0];
    sides.Right = n > 1 ? v[1] : v[0];
    sides.Bottom = n > 2 ? v[2] : v[0];
    sides.Left = n > 3 ? v[3] : sides.Right;
}

int* Side(THtmlSides& sides, int index) {
    int* all[4] = {&sides.Top, &sides.Right, &sides.Bottom, &sides.Left};
    return all[index];
}

int SideIndex(std::string_view name) {
    static const char* const names[4] = {"top", "right", "bottom", "left"};
    for (int i = 0; i < 4; ++i)
        if (name == names[i])
            return i;
    return -1;
}

bool ParseFontSize(std::string_view text, double parentPt, double& out) {
    const std::string v = HtmlLowerCopy(text);
    static const struct {
        const char* Name;
        double Pt;
    } keywords[] = {{"xx-small", 7}, {"x-small", 7.5}, {"small", 10},   {"medium", 12},
                    {"large", 13.5}, {"x-large", 18},  {"xx-large", 24}};
    for (const auto& k : keywords)
        if (v == k.Name) {
            out = k.Pt;
            return true;
        }
    if (v == "smaller" || v == "larger") {
        out = v == "smaller" ? parentPt / 1.2 : parentPt * 1.2;
        return true;
    }
    TLength l;
    if (!ParseLength(v, l) || l.Value < 0)
        return false;
    if (l.Unit == "%")
        out = parentPt * l.Value / 100;
    else if (l.Unit == "em")
        out = parentPt * l.Value;
    else if (l.Unit == "ex")
        out = parentPt * l.Value / 2;
    else {
        // Resolved at 72 units per inch, a device length is a size in points.
        int pt = 0;
        TLength scaled = l;
        scaled.Value *= 1000; // keeps three decimals through the rounding
        if (!DeviceLength(scaled, {72, parentPt}, pt))
            return false;
        out = pt / 1000.0;
    }
    out = std::clamp(out, MinFontPt, MaxFontPt);
    return true;
}

std::vector<std::string> ParseFamilies(std::string_view value) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= value.size()) {
        const size_t end = std::min(value.find(',', start), value.size());
        std::string name = HtmlTrim(value.substr(start, end - start));
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
            name.back() == name.front())
            name = name.substr(1, name.size() - 2);
        if (!name.empty())
            out.push_back(std::move(name));
        start = end + 1;
    }
    return out;
}

// ---- applying ----

// Border styles that draw nothing give the side no width.
struct TBorderSpec {
    int Width[4] = {3, 3, 3, 3}; // "medium"
    bool Shown[4] = {false, false, false, false};
};

bool ParseBorderWidth(std::string_view text, const TUnits& u, int& out) {
    const std::string v = HtmlLowerCopy(text);
    const double px = v == "thin" ? 1 : v == "medium" ? 3 : v == "thick" ? 5 : -1;
    if (px >= 0) {
        out = std::max(1, static_cast<int>(std::lround(px * u.Dpi / 96)));
        return true;
    }
    if (!ParseExtent(v, u, out))
        return false;
    // A border of at least a pixel shows on any device, as a browser draws it.
    if (out == 0 && std::abs(std::strtod(v.c_str(), nullptr)) > 0)
        out = 1;
    return true;
}

bool IsBorderStyle(std::string_view v) {
    static const char* const styles[] = {"none",   "hidden", "solid", "dashed", "dotted",
                                         "double", "groove", "ridge", "inset",  "outset"};
    return std::any_of(std::begin(styles), std::end(styles),
                       [&](const char* s) { return HtmlSameText(v, s); });
}

// "border: solid 1px #40a0ff": width, style and colour in any order; what is
// left out takes its initial value (no style draws no border).
void ApplyBorder(std::string_view value, const TUnits& u, THtmlStyle& s, TBorderSpec& b, int first,
                 int last) {
    int width = 3;
    bool shown = false;
    TColor color = s.Color;
    for (const std::string& t : Tokens(value)) {
        if (IsBorderStyle(t))
            shown = !HtmlSameText(t, "none") && !HtmlSameText(t, "hidden");
        else if (!ParseBorderWidth(t, u, width) && !ParseHtmlColor(t, color))
            return;
    }
    for (int i = first; i <= last; ++i) {
        b.Width[i] = width;
        b.Shown[i] = shown;
        s.BorderColor[i] = color;
    }
}

void ApplyDeclaration(const THtmlDeclaration& d, const THtmlStyle& parent, THtmlStyle& s,
                      TBorderSpec& b, int dpi) {
    const std::string& p = d.Property;
    const std::string v = HtmlLowerCopy(d.Value);
    const TUnits u{dpi, s.Font.SizePt};
    if (p == "font-size") {
        ParseFontSize(v, parent.Font.SizePt, s.Font.SizePt);
    } else if (p == "font-family") {
        std::vector<std::string> families = ParseFamilies(d.Value);
        if (!families.empty())
            s.Font.Families = std::move(families);
    } else if (p == "font-weight") {
        if (v == "bold" || v == "bolder")
            s.Font.Bold = true;
        else if (v == "normal" || v == "lighter")
            s.Font.Bold = false;
        else if (std::isdigit(static_cast<unsigned char>(v[0])))
            s.Font.Bold = std::atoi(v.c_str()) >= 600;
    } else if (p == "color") {
        ParseHtmlColor(v, s.Color);
    } else if (p == "background-color" || p == "background") {
        if (v == "transparent" || v == "none")
            s.Background = clNone;
        for (const std::string& t : Tokens(v))
            ParseHtmlColor(t, s.Background);
    } else if (p == "margin" || p == "padding") {
        ParseSides(v, u, p == "margin" ? s.Margin : s.Padding);
    } else if (p.starts_with("margin-") || p.starts_with("padding-")) {
        const bool margin = p[0] == 'm';
        const int side = SideIndex(std::string_view(p).substr(margin ? 7 : 8));
        int length = 0;
        if (side >= 0 && ParseExtent(v, u, length))
            *Side(margin ? s.Margin : s.Padding, side) = length;
    } else if (p == "border") {
        ApplyBorder(v, u, s, b, 0, 3);
    } else if (p.starts_with("border-")) {
        const std::string_view rest = std::string_view(p).substr(7);
        const int side = SideIndex(rest);
        const std::vector<std::string> t = Tokens(v);
        if (side >= 0) {
            ApplyBorder(v, u, s, b, side, side);
        } else if (rest == "width" && t.size() == 1) {
            for (int& w : b.Width)
                ParseBorderWidth(t[0], u, w);
        } else if (rest == "style" && t.size() == 1 && IsBorderStyle(t[0])) {
            for (bool& shown : b.Shown)
                shown = t[0] != "none" && t[0] != "hidden";
        } else if (rest == "color" && t.size() == 1) {
            for (TColor& c : s.BorderColor)
                ParseHtmlColor(t[0], c);
        }
    } else if (p == "width") {
        TLength l;
        int length = 0;
        if (v == "auto") {
            s.Width = s.WidthPercent = -1;
        } else if (ParseLength(v, l) && l.Unit == "%" && l.Value >= 0) {
            s.WidthPercent = static_cast<int>(std::min(l.Value, 100.0));
            s.Width = -1;
        } else if (ParseDevice(v, u, length) && length >= 0) {
            s.Width = length;
            s.WidthPercent = -1;
        }
    } else if (p == "text-align") {
        if (v == "right" || v == "end")
            s.TextAlign = THtmlTextAlign::Right;
        else if (v == "center")
            s.TextAlign = THtmlTextAlign::Center;
        else if (v == "left" || v == "justify" || v == "start")
            s.TextAlign = THtmlTextAlign::Left;
    } else if (p == "vertical-align") {
        if (v == "top" || v == "text-top")
            s.VerticalAlign = THtmlVerticalAlign::Top;
        else if (v == "middle")
            s.VerticalAlign = THtmlVerticalAlign::Middle;
        else if (v == "bottom" || v == "text-bottom")
            s.VerticalAlign = THtmlVerticalAlign::Bottom;
        else if (v == "baseline")
            s.VerticalAlign = THtmlVerticalAlign::Baseline;
    } else if (p == "text-decoration") {
        if (v.find("underline") != std::string::npos)
            s.Underline = true;
        else if (v == "none")
            s.Underline = false;
    } else if (p == "empty-cells") {
        if (v == "show" || v == "hide")
            s.EmptyCellsShow = v == "show";
    } else if (p == "display") {
        static const struct {
            const char* Name;
            THtmlDisplay Display;
        } displays[] = {{"none", THtmlDisplay::None},           {"block", THtmlDisplay::Block},
                        {"list-item", THtmlDisplay::Block},     {"inline", THtmlDisplay::Inline},
                        {"inline-block", THtmlDisplay::Inline}, {"table", THtmlDisplay::Table},
                        {"table-row", THtmlDisplay::Row},       {"table-cell", THtmlDisplay::Cell}};
        for (const auto& d2 : displays)
            if (v == d2.Name)
                s.Display = d2.Display;
    }
}

// What browsers give each element before the page's own rules.
void ApplyDefaults(const THtmlNode& e, THtmlStyle& s, TBorderSpec& b, int dpi) {
    const std::string& n = e.Name;
    const auto decl = [&](const char* property, const char* value, const THtmlStyle& parent) {
        ApplyDeclaration({property, value}, parent, s, b, dpi);
    };
    const THtmlStyle parent = s;
    static const char* const hidden[] = {"head",   "title", "style",    "script",   "meta",
                                         "link",   "base",  "noscript", "template", "param",
                                         "object", "embed", "applet",   "iframe",   "select"};
    static const char* const blocks[] = {
        "html", "body", "div",     "p",          "ul",     "ol",   "li",   "dl",       "dt",
        "dd",   "pre",  "address", "blockquote", "center", "form", "hr",   "fieldset", "caption",
        "h1",   "h2",   "h3",      "h4",         "h5",     "h6",   "menu", "dir",      "legend"};
    const auto in = [&](const auto& list) {
        return std::any_of(std::begin(list), std::end(list), [&](const char* x) { return n == x; });
    };
    if (in(hidden))
        s.Display = THtmlDisplay::None;
    else if (in(blocks))
        s.Display = THtmlDisplay::Block;
    else if (n == "table")
        s.Display = THtmlDisplay::Table;
    else if (n == "tr")
        s.Display = THtmlDisplay::Row;
    else if (n == "td" || n == "th")
        s.Display = THtmlDisplay::Cell;
    else if (n == "thead" || n == "tbody" || n == "tfoot")
        s.Display = THtmlDisplay::RowGroup;
    else if (n == "colgroup")
        s.Display = THtmlDisplay::ColumnGroup;
    else if (n == "col")
        s.Display = THtmlDisplay::Column;

    static const struct {
        const char* Name;
        const char* Size;
        const char* Margin;
    } headings[] = {{"h1", "2em", "0.67em 0"},    {"h2", "1.5em", "0.83em 0"},
                    {"h3", "1.17em", "1em 0"},    {"h4", "1em", "1.33em 0"},
                    {"h5", "0.83em", "1.67em 0"}, {"h6", "0.67em", "2.33em 0"}};
    for (const auto& h : headings)
        if (n == h.Name) {
            decl("font-size", h.Size, parent);
            decl("font-weight", "bold", parent);
            decl("margin", h.Margin, parent);
        }
    if (n == "body")
        decl("margin", "8px", parent);
    else if (n == "p" || n == "dl" || n == "pre")
        decl("margin", "1em 0", parent);
    else if (n == "ul" || n == "ol" || n == "menu" || n == "dir") {
        decl("margin", "1em 0", parent);
        decl("padding-left", "40px", parent);
    } else if (n == "dd")
        decl("margin-left", "40px", parent);
    else if (n == "blockquote")
        decl("margin", "1em 40px", parent);
    else if (n == "b" || n == "strong" || n == "th")
        decl("font-weight", "bold", parent);
    else if (n == "u" || n == "ins")
        s.Underline = true;
    else if (n == "small")
        decl("font-size", "smaller", parent);
    else if (n == "big")
        decl("font-size", "larger", parent);
    else if (n == "center")
        s.TextAlign = THtmlTextAlign::Center;
    else if (n == "hr") {
        decl("border", "inset 1px #808080", parent);
        decl("margin", "0.5em 0", parent);
    }
    if (n == "pre" || n == "code" || n == "tt" || n == "kbd" || n == "samp")
        s.Font.Families = {"Courier New", "monospace"};
    if (n == "a" && e.Attribute("href")) {
        s.Color = colors::RGBColor(0, 0, 0xEE);
        s.Underline = true;
    }
    if (n == "th")
        s.TextAlign = THtmlTextAlign::Center;
    if (n == "td" || n == "th" || n == "tr")
        s.VerticalAlign = THtmlVerticalAlign::Middle;
}

const THtmlNode* EnclosingTable(const THtmlNode& e) {
    for (const THtmlNode* p = e.Parent; p; p = p->Parent)
        if (p->IsElement("table"))
            return p;
    return nullptr;
}

// Presentational attributes: weaker than any rule of the page.
void ApplyAttributes(const THtmlNode& e, const THtmlStyle& parent, THtmlStyle& s, TBorderSpec& b,
                     int dpi) {
    const auto attr = [&](const char* name, const char* property) {
        if (const std::string* v = e.Attribute(name)) {
            const bool bare = !v->empty() && std::all_of(v->begin(), v->end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            });
            ApplyDeclaration({property, bare ? *v + "px" : *v}, parent, s, b, dpi);
        }
    };
    attr("bgcolor", "background-color");
    attr("align", "text-align");
    attr("valign", "vertical-align");
    attr("width", "width");
    if (e.IsElement("font")) {
        attr("color", "color");
        if (const std::string* face = e.Attribute("face"))
            s.Font.Families = ParseFamilies(*face);
    }
    if (e.IsElement("table")) {
        if (const std::string* border = e.Attribute("border")) {
            const int px = std::clamp(std::atoi(border->c_str()), 0, 100);
            const std::string value = "outset " + std::to_string(px) + "px #808080";
            ApplyDeclaration({"border", px > 0 ? value : "none"}, parent, s, b, dpi);
        }
    }
    if (e.IsElement("td") || e.IsElement("th")) {
        const THtmlNode* table = EnclosingTable(e);
        const std::string* padding = table ? table->Attribute("cellpadding") : nullptr;
        const int px = padding ? std::clamp(std::atoi(padding->c_str()), 0, 1000) : 1;
        ApplyDeclaration({"padding", std::to_string(px) + "px"}, parent, s, b, dpi);
        const std::string* border = table ? table->Attribute("border") : nullptr;
        if (border && std::atoi(border->c_str()) > 0)
            ApplyDeclaration({"border", "inset 1px #808080"}, parent, s, b, dpi);
    }
}

} // namespace

bool THtmlSelector::Matches(const THtmlNode& element) const {
    const auto matches = [](const THtmlCompound& c, const THtmlNode& e) {
        if (c.NeverMatches || e.IsText() || (!c.Type.empty() && c.Type != e.Name))
            return false;
        return std::all_of(c.Classes.begin(), c.Classes.end(),
                           [&](const std::string& cls) { return e.HasClass(cls); });
    };
    if (Parts.empty() || !matches(Parts.back(), element))
        return false;
    const THtmlNode* at = &element;
    for (size_t i = Parts.size() - 1; i-- > 0;) {
        at = at->Parent;
        if (Child[i]) {
            if (!at || !matches(Parts[i], *at))
                return false;
        } else {
            while (at && !matches(Parts[i], *at))
                at = at->Parent;
            if (!at)
                return false;
        }
    }
    return true;
}

void THtmlStyleSheet::Parse(std::string_view sheetText, THtmlMedia media) {
    const std::string text = WithoutComments(sheetText);
    std::string_view rest = text;
    while (true) {
        const size_t start = rest.find_first_not_of(" \t\r\n\f;}");
        if (start == std::string_view::npos)
            return;
        rest.remove_prefix(start);
        const size_t open = rest.find('{');
        if (rest[0] == '@') {
            const size_t semi = rest.find(';');
            if (open == std::string_view::npos || semi < open) { // "@import ...;"
                rest.remove_prefix(semi == std::string_view::npos ? rest.size() : semi + 1);
                continue;
            }
            const size_t end = BlockEnd(rest, open);
            const std::string_view head = rest.substr(1, open - 1);
            if (HtmlSameText(head.substr(0, std::min<size_t>(5, head.size())), "media") &&
                MediaApplies(head.substr(std::min<size_t>(5, head.size())), media)) {
                const size_t close = end > open + 1 && rest[end - 1] == '}' ? end - 1 : end;
                Parse(rest.substr(open + 1, close - open - 1), media);
            }
            rest.remove_prefix(end);
            continue;
        }
        if (open == std::string_view::npos)
            return;
        const size_t end = BlockEnd(rest, open);
        const size_t close = end > open + 1 && rest[end - 1] == '}' ? end - 1 : end;
        const std::vector<THtmlDeclaration> declarations =
            ParseDeclarations(rest.substr(open + 1, close - open - 1));
        // Each member of a group is a rule of its own; one unreadable member
        // drops the whole group, as browsers do.
        std::vector<THtmlRule> group;
        std::string_view selectors = rest.substr(0, open);
        bool readable = true;
        while (readable) {
            const size_t comma = std::min(selectors.find(','), selectors.size());
            THtmlRule rule;
            readable = ParseSelector(selectors.substr(0, comma), rule.Selector);
            rule.Declarations = declarations;
            group.push_back(std::move(rule));
            if (comma == selectors.size())
                break;
            selectors.remove_prefix(comma + 1);
        }
        if (readable)
            for (THtmlRule& rule : group) {
                rule.Order = FRules.size();
                FRules.push_back(std::move(rule));
            }
        rest.remove_prefix(end);
    }
}

THtmlStyleSheet THtmlStyleSheet::FromDocument(const THtmlDocument& document, THtmlMedia media) {
    THtmlStyleSheet sheet;
    // Style elements anywhere, in document order.
    std::vector<const THtmlNode*> todo{&document.Root};
    while (!todo.empty()) {
        const THtmlNode* node = todo.back();
        todo.pop_back();
        if (node->IsElement("style")) {
            const std::string* m = node->Attribute("media");
            if (!m || MediaApplies(*m, media))
                sheet.Parse(node->TextContent(), media);
            continue;
        }
        for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
            todo.push_back(it->get());
    }
    return sheet;
}

THtmlStyle HtmlInitialStyle() {
    THtmlStyle s;
    s.Display = THtmlDisplay::Block;
    s.Font.Families = {"Times New Roman", "serif"};
    s.Font.SizePt = 12;
    return s;
}

THtmlStyle ComputeHtmlStyle(const THtmlNode& element, const THtmlStyle& parent,
                            const THtmlStyleSheet& sheet, int dpi) {
    THtmlStyle s;
    s.Font = parent.Font;
    s.Font.Underline = false;
    s.Color = parent.Color;
    s.TextAlign = parent.TextAlign;
    s.EmptyCellsShow = parent.EmptyCellsShow;
    s.Underline = parent.Underline;
    s.BorderColor[0] = s.BorderColor[1] = s.BorderColor[2] = s.BorderColor[3] = s.Color;
    TBorderSpec border;
    ApplyDefaults(element, s, border, dpi);
    ApplyAttributes(element, parent, s, border, dpi);

    std::vector<const THtmlRule*> matching;
    for (const THtmlRule& rule : sheet.Rules())
        if (rule.Selector.Matches(element))
            matching.push_back(&rule);
    std::stable_sort(matching.begin(), matching.end(), [](const THtmlRule* a, const THtmlRule* b) {
        return a->Selector.Specificity < b->Selector.Specificity;
    });
    // Font size first: lengths in em follow the element's own size.
    for (const THtmlRule* rule : matching)
        for (const THtmlDeclaration& d : rule->Declarations)
            if (d.Property == "font-size")
                ApplyDeclaration(d, parent, s, border, dpi);
    for (const THtmlRule* rule : matching)
        for (const THtmlDeclaration& d : rule->Declarations)
            if (d.Property != "font-size")
                ApplyDeclaration(d, parent, s, border, dpi);

    for (int i = 0; i < 4; ++i)
        *Side(s.BorderWidth, i) = border.Shown[i] ? border.Width[i] : 0;
    s.Font.Underline = s.Underline;
    return s;
}

bool ParseHtmlColor(std::string_view text, TColor& color) {
    const std::string v = HtmlLowerCopy(HtmlTrim(text));
    if (v.size() == 7 || v.size() == 4) {
        if (v[0] == '#' && std::all_of(v.begin() + 1, v.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c));
            })) {
            unsigned long rgb = std::strtoul(v.c_str() + 1, nullptr, 16);
            if (v.size() == 4) // #rgb: each digit doubled
                rgb = (rgb & 0xF00) * 0x1100 | (rgb & 0x0F0) * 0x110 | (rgb & 0x00F) * 0x11;
            color = colors::RGBColor(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
            return true;
        }
    }
    if (v.starts_with("rgb(") && v.back() == ')') {
        const std::vector<std::string> parts = Tokens(v.substr(4, v.size() - 5));
        if (parts.size() != 3)
            return false;
        int c[3];
        for (int i = 0; i < 3; ++i) {
            TLength l;
            if (!ParseLength(parts[i], l) || (!l.Unit.empty() && l.Unit != "%"))
                return false;
            const double value = l.Unit == "%" ? l.Value * 255 / 100 : l.Value;
            c[i] = static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0)));
        }
        color = colors::RGBColor(c[0], c[1], c[2]);
        return true;
    }
    static const struct {
        const char* Name;
        int Rgb;
    } names[] = {{"black", 0x000000},  {"silver", 0xC0C0C0}, {"gray", 0x808080},
                 {"grey", 0x808080},   {"white", 0xFFFFFF},  {"maroon", 0x800000},
                 {"red", 0xFF0000},    {"purple", 0x800080}, {"fuchsia", 0xFF00FF},
                 {"green", 0x008000},  {"lime", 0x00FF00},   {"olive", 0x808000},
                 {"yellow", 0xFFFF00}, {"navy", 0x000080},   {"blue", 0x0000FF},
                 {"teal", 0x008080},   {"aqua", 0x00FFFF},   {"orange", 0xFFA500}};
    for (const auto& n : names)
        if (v == n.Name) {
            color = colors::RGBColor(n.Rgb >> 16, n.Rgb >> 8 & 0xFF, n.Rgb & 0xFF);
            return true;
        }
    return false;
}
