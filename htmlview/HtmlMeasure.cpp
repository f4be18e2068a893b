#include "htmlview/HtmlMeasure.h"

#include <algorithm>
#include <cmath>

THtmlTextExtent THtmlFixedMeasurer::Measure(const THtmlFont& font, std::string_view text, int dpi) {
    const double em = std::max(1.0, font.SizePt * dpi / 72.0);
    const double advance = em * (font.Bold ? 0.6 : 0.5);
    THtmlTextExtent e;
    e.Width = static_cast<int>(std::lround(advance * static_cast<double>(text.size())));
    e.Height = static_cast<int>(std::lround(em * 1.2));
    e.Ascent = static_cast<int>(std::lround(em * 0.95));
    return e;
}
