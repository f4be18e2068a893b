#include "htmlview/HtmlPaint_win32.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <vector>

namespace {
std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The face a generic family stands for, and the pitch and family bits that
// lead the font mapper to a like face when the face itself is missing.
struct TGeneric {
    const char* Name;
    const char* Face;
    BYTE PitchAndFamily;
};
constexpr TGeneric kGenerics[] = {
    {"sans-serif", "Arial", VARIABLE_PITCH | FF_SWISS},
    {"serif", "Times New Roman", VARIABLE_PITCH | FF_ROMAN},
    {"monospace", "Courier New", FIXED_PITCH | FF_MODERN},
};

const TGeneric* GenericOf(const std::string& family) {
    for (const TGeneric& g : kGenerics)
        if (Lower(family) == g.Name)
            return &g;
    return nullptr;
}

int CALLBACK FoundFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const std::string& face) {
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    TScreenDC screen;
    EnumFontFamiliesExA(screen.Get(), &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

int Scaled(int v, double scale) {
    return static_cast<int>(std::lround(v * scale));
}

// A layout rectangle on the target, at least one unit each way so that thin
// edges stay visible at small zooms.
RECT TargetRect(const THtmlRect& r, double sx, double sy, const RECT& target) {
    RECT out{target.left + Scaled(r.Left, sx), target.top + Scaled(r.Top, sy),
             target.left + Scaled(r.Right, sx), target.top + Scaled(r.Bottom, sy)};
    if (r.Right > r.Left && out.right <= out.left)
        out.right = out.left + 1;
    if (r.Bottom > r.Top && out.bottom <= out.top)
        out.bottom = out.top + 1;
    return out;
}

void FillColor(HDC dc, const RECT& r, TColor color) {
    TBrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
    FillRect(dc, &r, brush.Get());
}

// A run drawn across the width the layout measured for it: glyphs hinted at
// another size than the layout's are wider or narrower, and would run over a
// cell's edge or leave a gap. The characters' own advances are scaled to fit.
void DrawRun(HDC dc, const THtmlText& text, int x, int baseline, int width) {
    const int n = static_cast<int>(text.Text.size());
    if (n == 0)
        return;
    std::vector<int> ends(n), advances(n);
    SIZE size{0, 0};
    int fit = 0;
    if (!GetTextExtentExPointA(dc, text.Text.data(), n, INT_MAX, &fit, ends.data(), &size) ||
        size.cx <= 0 || width <= 0) {
        TextOutA(dc, x, baseline, text.Text.data(), n);
        return;
    }
    const double f = double(width) / size.cx;
    int previous = 0;
    for (int i = 0; i < n; ++i) {
        const int end = static_cast<int>(std::lround(ends[i] * f));
        advances[i] = end - previous;
        previous = end;
    }
    ExtTextOutA(dc, x, baseline, 0, nullptr, text.Text.data(), n, advances.data());
}

// Restores the DC's state however painting ends.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : FDC(dc), FState(SaveDC(dc)) {}
    ~TSavedDC() { RestoreDC(FDC, FState); }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC FDC;
    int FState;
};
} // namespace

int HtmlEmPixels(const THtmlFont& font, double dpi) {
    return std::max(1, static_cast<int>(std::lround(font.SizePt * dpi / 72.0)));
}

std::string THtmlFontCache::FaceOf(const THtmlFont& font) {
    for (const std::string& family : font.Families) {
        const TGeneric* generic = GenericOf(family);
        const std::string face = generic ? generic->Face : family;
        auto [it, added] = FInstalled.try_emplace(face, false);
        if (added)
            it->second = FaceInstalled(face);
        if (it->second)
            return face;
    }
    return font.Families.empty() ? std::string() : font.Families.front();
}

HFONT THtmlFontCache::Font(const THtmlFont& font, int emPixels) {
    const std::string face = FaceOf(font);
    TKey key{face, emPixels, font.Bold, font.Underline};
    auto it = FFonts.find(key);
    if (it != FFonts.end())
        return it->second.Get();
    LOGFONTA lf{};
    lf.lfHeight = -emPixels; // the em, not the cell
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = font.Underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    for (const std::string& family : font.Families)
        if (const TGeneric* generic = GenericOf(family)) {
            lf.lfPitchAndFamily = generic->PitchAndFamily;
            break;
        }
    lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT handle = CreateFontIndirectA(&lf);
    if (!handle)
        handle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    else
        FFonts.emplace(key, TFontHandle(handle));
    return handle;
}

TGdiTextMeasurer::~TGdiTextMeasurer() {
    if (FOriginal)
        SelectObject(FDC, FOriginal);
}

THtmlTextExtent TGdiTextMeasurer::Measure(const THtmlFont& font, std::string_view text, int dpi) {
    HFONT handle = FFonts.Font(font, HtmlEmPixels(font, dpi));
    if (handle != FSelected) {
        HGDIOBJ before = SelectObject(FDC, handle);
        if (!FOriginal)
            FOriginal = before;
        FSelected = handle;
        auto [it, added] = FMetrics.try_emplace(handle);
        if (added) {
            TEXTMETRICA tm{};
            GetTextMetricsA(FDC, &tm);
            TMetrics& m = it->second;
            m.Height = static_cast<int>(tm.tmHeight);
            m.Ascent = static_cast<int>(tm.tmAscent);
            m.Overhang = static_cast<int>(tm.tmOverhang);
            // One call for every character's advance: asking the extent of
            // each word cost a call per word, most of a long page's layout
            // under Wine. Text is laid out without kerning, so the sum is the
            // extent; a font that will not tell is asked word by word.
            m.HasWidths = GetCharWidth32A(FDC, 0, 255, m.Widths.data()) != 0;
        }
        FSelectedMetrics = &it->second;
    }
    const TMetrics& m = *FSelectedMetrics;
    int width = 0;
    if (text.empty())
        return {0, m.Height, m.Ascent};
    if (m.HasWidths) {
        for (unsigned char c : text)
            width += m.Widths[c];
        width += m.Overhang;
    } else {
        SIZE size{0, 0};
        GetTextExtentPoint32A(FDC, text.data(), static_cast<int>(text.size()), &size);
        width = static_cast<int>(size.cx);
    }
    return {width, m.Height, m.Ascent};
}

void PaintHtmlPage(HDC dc, const THtmlPages& pages, int index, const RECT& target,
                   THtmlFontCache& fonts) {
    if (index < 0 || index >= pages.Count() || pages.Setup.Width <= 0 || pages.Setup.Height <= 0)
        return;
    const double sx = double(target.right - target.left) / pages.Setup.Width;
    const double sy = double(target.bottom - target.top) / pages.Setup.Height;
    TSavedDC saved(dc);
    IntersectClipRect(dc, target.left, target.top, target.right, target.bottom);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    for (const THtmlItem& item : pages.Pages[index].Items) {
        if (const auto* fill = std::get_if<THtmlFill>(&item))
            FillColor(dc, TargetRect(fill->Rect, sx, sy, target), fill->Color);
        else if (const auto* edge = std::get_if<THtmlEdge>(&item))
            FillColor(dc, TargetRect(edge->Rect, sx, sy, target), edge->Color);
        else if (const auto* text = std::get_if<THtmlText>(&item)) {
            if (text->Font < 0 || text->Font >= static_cast<int>(pages.Fonts.size()))
                continue;
            const THtmlFont& font = pages.Fonts[text->Font];
            TSelectObject select(dc, fonts.Font(font, HtmlEmPixels(font, pages.Setup.Dpi * sy)));
            SetTextColor(dc, ColorToRGB(text->Color));
            DrawRun(dc, *text, target.left + Scaled(text->X, sx),
                    target.top + Scaled(text->Baseline, sy), Scaled(text->Width, sx));
        }
    }
}
