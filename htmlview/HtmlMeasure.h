// How the HTML view's layout learns the size of text: a narrow interface that
// the Windows side answers with GDI fonts made for the target device, and a
// fixed-metric one that needs no device.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct THtmlFont {
    // The style's font-family list in order of preference, as written there
    // ("Verdana", "Arial", "Sans-Serif"); generic names are the measurer's to map.
    std::vector<std::string> Families;
    double SizePt = 12; // points (1/72 inch)
    bool Bold = false;
    bool Underline = false;

    bool operator==(const THtmlFont&) const = default;
};

struct THtmlTextExtent {
    int Width = 0;  // advance of the text
    int Height = 0; // the font's line height (ascent plus descent)
    int Ascent = 0; // the font's ascent: baseline below the line's top
};

class THtmlTextMeasurer {
public:
    virtual ~THtmlTextMeasurer() = default;
    // The extent of `text` (single-byte Windows-1252, no line breaks) in `font`,
    // in device units of a device with `dpi` units per inch. Height and Ascent
    // describe the font and are the same for any text, the empty one included.
    virtual THtmlTextExtent Measure(const THtmlFont& font, std::string_view text, int dpi) = 0;
};

// Every byte advances half an em (bold: 0.6 em); lines are 1.2 em high with the
// baseline 0.95 em below their top. The em is the font size at `dpi`, at least
// one device unit; all figures are rounded to whole units.
class THtmlFixedMeasurer : public THtmlTextMeasurer {
public:
    THtmlTextExtent Measure(const THtmlFont& font, std::string_view text, int dpi) override;
};
