// The program's own HTML view on a device: text measured with GDI fonts made
// for the device's resolution, and laid-out pages painted on any DC (screen,
// printer, memory bitmap).
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <tuple>

#include "framework/Gdi_win32.h"
#include "htmlview/HtmlPages.h"

// GDI fonts of the view's fonts, one per font and em height, alive as long as
// the cache. A family list resolves to its first face the system has; the
// generic families map to the system's usual faces.
class THtmlFontCache {
public:
    // The font with an em of `emPixels` device units.
    HFONT Font(const THtmlFont& font, int emPixels);

private:
    using TKey = std::tuple<std::string, int, bool, bool>;
    std::string FaceOf(const THtmlFont& font);

    std::map<TKey, TFontHandle> FFonts;
    std::map<std::string, bool> FInstalled;
};

// Measures on `dc` (a printer's DC, or the screen's for a device that is not
// there): a font's size at the layout's resolution becomes an em height in
// the layout's units, so the figures are the device's own when the layout's
// resolution is the device's. A layout asks thousands of times, mostly in
// one font, and each GDI call is costly under Wine: the font stays selected
// from one measure to the next and its metrics are read once. The DC gets its
// own font back when the measurer goes.
class TGdiTextMeasurer : public THtmlTextMeasurer {
public:
    explicit TGdiTextMeasurer(HDC dc) : FDC(dc) {}
    ~TGdiTextMeasurer() override;
    TGdiTextMeasurer(const TGdiTextMeasurer&) = delete;
    TGdiTextMeasurer& operator=(const TGdiTextMeasurer&) = delete;
    THtmlTextExtent Measure(const THtmlFont& font, std::string_view text, int dpi) override;

private:
    struct TMetrics {
        int Height = 0, Ascent = 0, Overhang = 0;
        bool HasWidths = false;
        std::array<INT, 256> Widths{}; // advance of each character
    };
    HDC FDC;
    THtmlFontCache FFonts;
    HGDIOBJ FOriginal = nullptr; // the DC's font before the first measure
    HFONT FSelected = nullptr;
    const TMetrics* FSelectedMetrics = nullptr;
    std::map<HFONT, TMetrics> FMetrics;
};

// Paints page `index` of `pages` on `dc` so that the paper fills `target`
// (device units): positions and fonts are scaled from the layout's units, so
// at the layout's own resolution the page is painted unit for unit.
void PaintHtmlPage(HDC dc, const THtmlPages& pages, int index, const RECT& target,
                   THtmlFontCache& fonts);

// The em of a font at `dpi` device units per inch, at least one unit.
int HtmlEmPixels(const THtmlFont& font, double dpi);
