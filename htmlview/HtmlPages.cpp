#include "htmlview/HtmlPages.h"

#include <cmath>

THtmlPageSetup HtmlPaperSetup(THtmlPaper paper, int dpi) {
    // A4 is 210 x 297 mm, Letter 8.5 x 11 inches.
    const double widthIn = paper == THtmlPaper::A4 ? 210 / 25.4 : 8.5;
    const double heightIn = paper == THtmlPaper::A4 ? 297 / 25.4 : 11.0;
    THtmlPageSetup s;
    s.Dpi = dpi;
    s.Width = static_cast<int>(std::lround(widthIn * dpi));
    s.Height = static_cast<int>(std::lround(heightIn * dpi));
    s.MarginLeft = s.MarginTop = s.MarginRight = s.MarginBottom =
        static_cast<int>(std::lround(0.75 * dpi));
    s.Media = THtmlMedia::Print;
    return s;
}
