// Feeds arbitrary bytes to the HTML view: the reader must make a document of
// anything, and layout must give pages whose items lie on the paper and name
// fonts that exist, for print and screen, at two resolutions. Any exception,
// crash or sanitizer report is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "htmlview/HtmlPages.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

void LayOutAndCheck(const THtmlDocument& doc, const THtmlPageSetup& setup) {
    THtmlFixedMeasurer measurer;
    const THtmlPages pages = LayoutHtmlPages(doc, measurer, setup);
    Check(pages.Count() >= 1, "no page");
    const int fonts = static_cast<int>(pages.Fonts.size());
    for (const THtmlPage& page : pages.Pages)
        for (const THtmlItem& item : page.Items) {
            if (const auto* t = std::get_if<THtmlText>(&item)) {
                Check(t->Font >= 0 && t->Font < fonts, "text in a font that is not there");
                Check(t->Top >= 0 && t->Top < setup.Height && t->X >= 0 && t->X < setup.Width,
                      "text off the paper");
                Check(t->Baseline >= t->Top, "baseline above the text");
                Check(t->Text.find_first_of("\r\n") == std::string::npos, "line break in a run");
                continue;
            }
            const THtmlRect r = std::visit(
                [](const auto& i) {
                    if constexpr (std::is_same_v<std::decay_t<decltype(i)>, THtmlText>)
                        return THtmlRect{};
                    else
                        return i.Rect;
                },
                item);
            Check(r.Width() > 0 && r.Height() > 0, "empty or inside-out rectangle");
            Check(r.Left >= 0 && r.Top >= 0 && r.Right <= setup.Width && r.Bottom <= setup.Height,
                  "rectangle off the paper");
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto doc = LoadHtmlDocument(bytes);
    doc->Title();
    LayOutAndCheck(*doc, HtmlPaperSetup(THtmlPaper::A4, 96));
    THtmlPageSetup small;
    small.Width = 300;
    small.Height = 200;
    small.MarginLeft = small.MarginRight = 20;
    small.MarginTop = small.MarginBottom = 30;
    small.Dpi = 150;
    small.Media = THtmlMedia::Screen;
    LayOutAndCheck(*doc, small);
    return 0;
}
