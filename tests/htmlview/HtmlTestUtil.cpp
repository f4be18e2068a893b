#include "HtmlTestUtil.h"

THtmlPages LayOut(std::string_view html, const THtmlPageSetup& setup) {
    THtmlFixedMeasurer measurer;
    return LayoutHtmlPages(*LoadHtmlDocument(html), measurer, setup);
}

THtmlPageSetup Paper(int width, int height, int margin, THtmlMedia media) {
    THtmlPageSetup s;
    s.Width = width;
    s.Height = height;
    s.MarginLeft = s.MarginTop = s.MarginRight = s.MarginBottom = margin;
    s.Dpi = 96;
    s.Media = media;
    return s;
}

std::vector<const THtmlText*> TextsOf(const THtmlPage& page) {
    std::vector<const THtmlText*> out;
    for (const THtmlItem& item : page.Items)
        if (const auto* t = std::get_if<THtmlText>(&item))
            out.push_back(t);
    return out;
}

const THtmlText* FindText(const THtmlPage& page, std::string_view start) {
    for (const THtmlText* t : TextsOf(page))
        if (t->Text.starts_with(start))
            return t;
    return nullptr;
}

const THtmlFill* FillAt(const THtmlPage& page, int x, int y) {
    const THtmlFill* found = nullptr;
    for (const THtmlItem& item : page.Items)
        if (const auto* f = std::get_if<THtmlFill>(&item))
            if (x >= f->Rect.Left && x < f->Rect.Right && y >= f->Rect.Top && y < f->Rect.Bottom)
                found = f;
    return found;
}

std::vector<THtmlRect> EdgesOf(const THtmlPage& page) {
    std::vector<THtmlRect> out;
    for (const THtmlItem& item : page.Items)
        if (const auto* e = std::get_if<THtmlEdge>(&item))
            out.push_back(e->Rect);
    return out;
}
