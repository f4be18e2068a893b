// The arithmetic of blended drawing, kept apart from the blits so that it
// runs (and is tested) without a window system.
#include <algorithm>

#include "png/QorvFormatPNG_internal.h"

namespace {
inline uint8_t Blend(unsigned s, unsigned a, unsigned d) {
    return static_cast<uint8_t>((s * a + (255 - a) * d + 255) >> 8);
}
} // namespace

void BlendImageOver(const TQorvPNGObject& image, uint8_t* background, int width, int height) {
    const TChunkIHDR& h = image.RequireHeader();
    if (width <= 0 || height <= 0 || !h.ImageData)
        return;
    const int iw = static_cast<int>(h.Width), ih = static_cast<int>(h.Height);
    const bool stretched = iw != width || ih != height;
    const double fx = stretched ? double(width) / iw : 1.0;
    const double fy = stretched ? double(height) / ih : 1.0;
    const int bits = h.BitmapInfo.bmiHeader.biBitCount;
    const uint8_t* alphaPlane = h.ImageAlpha;
    const auto* trns = image.Chunks().Find<TChunktRNS>();
    const auto* plte = image.Chunks().Find<TChunkPLTE>();

    // Source columns depend on the destination column only.
    std::vector<int> sourceColumn(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i)
        sourceColumn[size_t(i)] = stretched ? std::min(int(i / fx), iw - 1) : i;

    for (int j = 0; j < height; ++j) {
        const int sy = stretched ? std::min(int(j / fy), ih - 1) : j;
        const uint8_t* row = image.RowPointer(sy);
        const uint8_t* alphaRow = alphaPlane ? alphaPlane + size_t(sy) * size_t(iw) : nullptr;
        uint8_t* d = background + size_t(j) * size_t(width) * 4;
        for (int i = 0; i < width; ++i, d += 4) {
            const int sx = sourceColumn[size_t(i)];
            if (bits == 24) {
                const unsigned a = alphaRow ? alphaRow[sx] : 255;
                const uint8_t* s = row + 3 * sx;
                if (a == 0)
                    continue;
                if (a == 255) {
                    d[0] = s[0];
                    d[1] = s[1];
                    d[2] = s[2];
                    continue;
                }
                d[0] = Blend(s[0], a, d[0]);
                d[1] = Blend(s[1], a, d[1]);
                d[2] = Blend(s[2], a, d[2]);
            } else if (h.ColorType == ctGreyscaleAlpha) {
                const unsigned s = row[sx], a = alphaRow ? alphaRow[sx] : 255;
                d[0] = Blend(s, a, d[0]);
                d[1] = Blend(s, a, d[1]);
                d[2] = Blend(s, a, d[2]);
            } else {
                const size_t bit = size_t(sx) * size_t(bits);
                const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                const unsigned a = trns ? trns->PaletteValues[index] : 255;
                if (!plte)
                    throw EPngError(SPngErrorNoPaletteEntry);
                const TPNGRGBQuad s = plte->PaletteEntry(static_cast<int>(index));
                d[0] = Blend(s.rgbBlue, a, d[0]);
                d[1] = Blend(s.rgbGreen, a, d[1]);
                d[2] = Blend(s.rgbRed, a, d[2]);
            }
        }
    }
}
