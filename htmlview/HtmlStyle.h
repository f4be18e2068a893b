// The style rules of the HTML view: the style-sheet subset pages use (type,
// class and grouped selectors, descendant and child combinators; "@media"
// blocks) and the computed style of each element, with the defaults a
// browser gives the elements and the table attributes that act as style.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/Graphics.h"
#include "htmlview/HtmlDocument.h"
#include "htmlview/HtmlMeasure.h"
#include "htmlview/HtmlPages.h"

struct THtmlDeclaration {
    std::string Property; // lower-case
    std::string Value;    // as written, trimmed
};

// One compound selector: an optional type and classes; a dynamic
// pseudo-class (":hover", ":active", ":focus") makes it match nothing on paper.
struct THtmlCompound {
    std::string Type; // lower-case, empty for any
    std::vector<std::string> Classes;
    bool NeverMatches = false;
};

struct THtmlSelector {
    // Right-most last; Child[i] says whether Parts[i] must be the parent of
    // Parts[i + 1] (">") rather than any ancestor.
    std::vector<THtmlCompound> Parts;
    std::vector<bool> Child;
    int Specificity = 0; // classes * 256 + types

    bool Matches(const THtmlNode& element) const;
};

struct THtmlRule {
    THtmlSelector Selector; // a grouped selector gives one rule per member
    std::vector<THtmlDeclaration> Declarations;
    size_t Order = 0; // position in the sheets
};

class THtmlStyleSheet {
public:
    // Adds the rules of `text` that apply to `media`; rules inside "@media"
    // blocks for other media and other at-rules are skipped. Never fails:
    // what cannot be read is dropped up to the next rule.
    void Parse(std::string_view text, THtmlMedia media);
    // The rules of every style element of the document, for `media`.
    static THtmlStyleSheet FromDocument(const THtmlDocument& document, THtmlMedia media);

    const std::vector<THtmlRule>& Rules() const { return FRules; }

private:
    std::vector<THtmlRule> FRules;
};

enum class THtmlDisplay { None, Block, Inline, Table, Row, Cell, RowGroup, ColumnGroup, Column };
enum class THtmlTextAlign { Left, Right, Center };
enum class THtmlVerticalAlign { Top, Middle, Bottom, Baseline };

struct THtmlSides {
    int Top = 0, Right = 0, Bottom = 0, Left = 0;
};

// A computed style; lengths in device units of the layout's resolution.
struct THtmlStyle {
    THtmlDisplay Display = THtmlDisplay::Inline;
    THtmlFont Font;
    TColor Color = clBlack;
    TColor Background = clNone;
    THtmlSides Margin, Padding, BorderWidth;
    TColor BorderColor[4] = {clBlack, clBlack, clBlack, clBlack}; // top, right, bottom, left
    int Width = -1;                                               // -1: auto
    int WidthPercent = -1; // a width given in per cent of the containing block, or -1
    THtmlTextAlign TextAlign = THtmlTextAlign::Left;
    THtmlVerticalAlign VerticalAlign = THtmlVerticalAlign::Baseline;
    bool EmptyCellsShow = true;
    bool Underline = false; // decoration lines of this element and its ancestors
};

// The style of `element` (an element node) whose parent has `parent`.
THtmlStyle ComputeHtmlStyle(const THtmlNode& element, const THtmlStyle& parent,
                            const THtmlStyleSheet& sheet, int dpi);
// The style the root of the document inherits from: the browser's default font.
THtmlStyle HtmlInitialStyle();

// "#40a0ff", "#fff", "rgb(64, 160, 255)" or one of the sixteen named colours;
// false when `text` is none of these.
bool ParseHtmlColor(std::string_view text, TColor& color);
