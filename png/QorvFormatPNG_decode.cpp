// Image data decoding: header, pixel store, inflate across IDAT chunks, row
// filters, Adam7 and the conversion of every layout into the DIB.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "png/QorvFormatPNG_internal.h"

namespace {
// Pixel buffer plus alpha plane beyond this is refused before allocating:
// a 32-bit process cannot hold it and a forged header must not exhaust memory.
constexpr uint64_t MaxImageBytes = uint64_t(1) << 30;

// The word-at-a-time paths below take pixel bytes in little-endian order.
static_assert(std::endian::native == std::endian::little);

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// DIB bits per pixel for a colour type and bit depth; 0 for a pair that has
// no layout.
int DibBitsFor(uint8_t colorType, uint8_t bitDepth) {
    switch (colorType) {
    case ctGreyscale:
        switch (bitDepth) {
        case 1:
        case 4:
        case 8:
            return bitDepth;
        case 2:
            return 4;
        case 16:
            return 8;
        }
        return 0;
    case ctPalette:
        switch (bitDepth) {
        case 1:
        case 4:
        case 8:
            return bitDepth;
        case 2:
            return 4;
        }
        return 0;
    case ctGreyscaleAlpha:
        return bitDepth == 8 || bitDepth == 16 ? 8 : 0;
    case ctRGB:
    case ctRGBAlpha:
        return bitDepth == 8 || bitDepth == 16 ? 24 : 0;
    }
    return 0;
}
} // namespace

size_t RowByteCount(size_t pixels, uint8_t colorType, uint8_t bitDepth) {
    const size_t n = pixels * bitDepth;
    switch (colorType) {
    case ctGreyscale:
    case ctPalette:
        return (n + 7) / 8;
    case ctRGB:
        return n * 3 / 8;
    case ctGreyscaleAlpha:
        return n * 2 / 8;
    case ctRGBAlpha:
        return n * 4 / 8;
    }
    return 0;
}

void TQorvPNGObject::RowGeometry(size_t& rowBytes, size_t& offset) const {
    rowBytes = 0;
    offset = 0;
    if (!HasHeader())
        return;
    const TChunkIHDR& h = RequireHeader();
    rowBytes = RowByteCount(h.Width, h.ColorType, h.BitDepth);
    switch (h.ColorType) {
    case ctGreyscale:
        offset = h.BitDepth == 16 ? 2 : 1;
        break;
    case ctPalette:
        offset = 1;
        break;
    case ctRGB:
        offset = h.BitDepth * 3 / 8;
        break;
    case ctGreyscaleAlpha:
        offset = h.BitDepth / 4;
        break;
    case ctRGBAlpha:
        offset = h.BitDepth / 2;
        break;
    }
}

uint8_t* TQorvPNGObject::RowPointer(int y) const {
    const TChunkIHDR& h = RequireHeader();
    if (!h.ImageData)
        throw EPNGHeaderNotPresent();
    if (y < 0 || static_cast<uint32_t>(y) >= h.Height)
        throw EPngError(SPngErrorNoSuchRow);
    return h.ImageData + h.BytesPerRow * (h.Height - 1 - static_cast<size_t>(y));
}

// ---------------------------------------------------------------------------
// Heap pixel store

TPNGHeapPixelStore::~TPNGHeapPixelStore() {
    Release();
}

uint8_t* TPNGHeapPixelStore::Allocate(const TPNGBitmapInfo& info, size_t size) {
    Release();
    std::memcpy(FColors, info.bmiColors, sizeof FColors);
    FBits = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
    return FBits;
}

void TPNGHeapPixelStore::Release() {
    std::free(FBits);
    FBits = nullptr;
}

void TPNGHeapPixelStore::SetColorTable(const TPNGRGBQuad* colors, int count) {
    std::memcpy(FColors, colors,
                sizeof(TPNGRGBQuad) * static_cast<size_t>(std::clamp(count, 0, 256)));
}

void TPNGHeapPixelStore::GetColorTable(TPNGRGBQuad* colors, int count) const {
    std::memcpy(colors, FColors,
                sizeof(TPNGRGBQuad) * static_cast<size_t>(std::clamp(count, 0, 256)));
}

// ---------------------------------------------------------------------------
// TChunkIHDR

TChunkIHDR::TChunkIHDR(TQorvPNGObject* owner) : TChunk(owner) {
    InitName();
}

TChunkIHDR::~TChunkIHDR() {
    FreeImage();
}

bool TChunkIHDR::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    if (!TChunk::ReadChunk(stream, name, length))
        return false;
    if (FDataSize < 13)
        throw EPngInvalidIHDR();
    // The fields are taken only once they pass: a refused header leaves none
    // of its values behind.
    const uint32_t width = BigEndian32(FData);
    const uint32_t height = BigEndian32(FData + 4);
    const uint8_t bitDepth = FData[8], colorType = FData[9];
    const uint8_t compression = FData[10], interlace = FData[12];
    if (width > 65535 || height > 65535)
        throw EPNGSizeExceeds();
    if (compression != 0)
        throw EPNGUnknownCompression();
    if (interlace != 0 && interlace != 1)
        throw EPNGUnknownInterlace();
    // No layout to decode into, or nothing to show: refused as a bad header.
    if (width == 0 || height == 0 || DibBitsFor(colorType, bitDepth) == 0)
        throw EPngInvalidIHDR();
    const TPNGLimits& limits = FOwner->Limits();
    if (width > limits.MaxWidth || height > limits.MaxHeight)
        throw EPNGLimitExceeded();
    Width = width;
    Height = height;
    BitDepth = bitDepth;
    ColorType = colorType;
    CompressionMethod = compression;
    FilterMethod = FData[11];
    InterlaceMethod = interlace;
    FOwner->SetInterlaceMethod(InterlaceMethod);
    PrepareImage();
    return true;
}

void TChunkIHDR::PrepareImage() {
    std::memset(&BitmapInfo, 0, sizeof BitmapInfo);
    FreeImage();
    const int bits = DibBitsFor(ColorType, BitDepth);
    if (bits == 0 || Width == 0 || Height == 0 || Width > 65535 || Height > 65535)
        throw EPngInvalidIHDR();
    HasPalette = bits <= 8;
    BitmapInfo.bmiHeader.biSize = 40;
    BitmapInfo.bmiHeader.biWidth = static_cast<int32_t>(Width);
    BitmapInfo.bmiHeader.biHeight = static_cast<int32_t>(Height);
    BitmapInfo.bmiHeader.biPlanes = 1;
    BitmapInfo.bmiHeader.biBitCount = static_cast<uint16_t>(bits);
    BytesPerRow = ((static_cast<size_t>(bits) * Width + 31) / 32) * 4;
    const uint64_t pixelBytes = uint64_t(BytesPerRow) * Height;
    const bool hasAlpha = ColorType == ctGreyscaleAlpha || ColorType == ctRGBAlpha;
    const uint64_t alphaBytes = hasAlpha ? uint64_t(Width) * Height : 0;
    if (pixelBytes + alphaBytes > MaxImageBytes)
        throw EPNGOutMemory();
    if (hasAlpha) {
        ImageAlpha = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(alphaBytes), 1));
        if (!ImageAlpha)
            throw EPNGOutMemory();
    }
    if (!FStore)
        FStore = NewPNGPixelStore();
    ImageData = FStore->Allocate(BitmapInfo, static_cast<size_t>(pixelBytes));
    if (!ImageData) {
        FreeImage();
        throw EPNGOutMemory();
    }
    FOwner->ReleasePaletteHandle();
}

void TChunkIHDR::FreeImage() {
    if (FStore)
        FStore->Release();
    std::free(ImageAlpha);
    ImageAlpha = nullptr;
    ImageData = nullptr;
    KeyMask.clear();
}

void TChunkIHDR::SyncColorTable() {
    if (FStore && ImageData)
        FStore->SetColorTable(BitmapInfo.bmiColors, 256);
}

void TChunkIHDR::AssignFrom(const TChunk& source) {
    if (source.ClassType() != &TChunkIHDR::ClassInfo)
        throw EPngError(SPngErrorIncompatibleChunks);
    const auto& from = static_cast<const TChunkIHDR&>(source);
    TChunk::AssignFrom(source);
    Width = from.Width;
    Height = from.Height;
    BitDepth = from.BitDepth;
    ColorType = from.ColorType;
    CompressionMethod = from.CompressionMethod;
    FilterMethod = from.FilterMethod;
    InterlaceMethod = from.InterlaceMethod;
    if (!from.ImageData) {
        FreeImage();
        return;
    }
    PrepareImage();
    std::memcpy(ImageData, from.ImageData, BytesPerRow * Height);
    if (ImageAlpha && from.ImageAlpha)
        std::memcpy(ImageAlpha, from.ImageAlpha, size_t(Width) * Height);
    std::memcpy(BitmapInfo.bmiColors, from.BitmapInfo.bmiColors, sizeof BitmapInfo.bmiColors);
    SyncColorTable();
    KeyMask = from.KeyMask;
}

// ---------------------------------------------------------------------------
// Row filters. D is the distance to the byte of the pixel on the left.

namespace {

template <int D>
void UnfilterSub(uint8_t* cur, size_t len) {
    for (size_t i = D; i < len; ++i)
        cur[i] = static_cast<uint8_t>(cur[i] + cur[i - D]);
}

void UnfilterUp(uint8_t* __restrict cur, const uint8_t* __restrict prev, size_t len) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= len; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cur + i), _mm_add_epi8(x, y));
    }
#endif
    for (; i < len; ++i)
        cur[i] = static_cast<uint8_t>(cur[i] + prev[i]);
}

template <int D>
void UnfilterAverage(uint8_t* cur, const uint8_t* prev, size_t len) {
    const size_t first = std::min<size_t>(D, len);
    for (size_t i = 0; i < first; ++i)
        cur[i] = static_cast<uint8_t>(cur[i] + (prev[i] >> 1));
    for (size_t i = D; i < len; ++i)
        cur[i] = static_cast<uint8_t>(cur[i] + ((prev[i] + cur[i - D]) >> 1));
}

inline uint8_t Paeth(int a, int b, int c) {
    const int p = b - c;
    const int q = a - c;
    const int pa = p < 0 ? -p : p;
    const int pb = q < 0 ? -q : q;
    const int pc = (p + q) < 0 ? -(p + q) : p + q;
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

template <int D>
void UnfilterPaeth(uint8_t* cur, const uint8_t* prev, size_t len) {
    const size_t first = std::min<size_t>(D, len);
    for (size_t i = 0; i < first; ++i)
        cur[i] = static_cast<uint8_t>(cur[i] + prev[i]);
    if (len <= static_cast<size_t>(D))
        return;
    // Keep the left and upper-left pixels in registers, one channel each.
    int a[D], c[D];
    for (int k = 0; k < D; ++k) {
        a[k] = cur[k];
        c[k] = prev[k];
    }
    size_t i = D;
    for (; i + D <= len; i += D) {
        for (int k = 0; k < D; ++k) {
            const int b = prev[i + k];
            const int v = static_cast<uint8_t>(cur[i + k] + Paeth(a[k], b, c[k]));
            cur[i + k] = static_cast<uint8_t>(v);
            a[k] = v;
            c[k] = b;
        }
    }
    for (; i < len; ++i)
        cur[i] = static_cast<uint8_t>(cur[i] + Paeth(cur[i - D], prev[i], prev[i - D]));
}

template <int D>
void UnfilterWith(uint8_t filter, uint8_t* cur, const uint8_t* prev, size_t len) {
    switch (filter) {
    case 1:
        UnfilterSub<D>(cur, len);
        break;
    case 2:
        UnfilterUp(cur, prev, len);
        break;
    case 3:
        UnfilterAverage<D>(cur, prev, len);
        break;
    case 4:
        UnfilterPaeth<D>(cur, prev, len);
        break;
    default: // None, and unknown types leave the row as it is
        break;
    }
}

// Whole-pixel filters for 3 and 4 bytes per pixel, one 32-bit word per pixel.
// They read the byte after a 3-byte pixel, so the row buffers carry RowSlack
// spare bytes.
constexpr size_t RowSlack = 8;

// A 3-byte pixel is stored as exactly 3 bytes: a wider store would overlap
// the next pixel's load and stall store forwarding.
template <int D>
inline void StorePixel(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, D);
}

// Byte-wise sum and floor average of four lanes at once.
inline uint32_t AddBytes(uint32_t x, uint32_t y) {
    return ((x & 0x7F7F7F7Fu) + (y & 0x7F7F7F7Fu)) ^ ((x ^ y) & 0x80808080u);
}
inline uint32_t AverageBytes(uint32_t x, uint32_t y) {
    return (x & y) + (((x ^ y) & 0xFEFEFEFEu) >> 1);
}

template <int D>
void UnfilterSubPixels(uint8_t* cur, size_t len) {
    constexpr uint32_t mask = D == 4 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    uint32_t left = Load32(cur) & mask;
    for (size_t i = D; i < len; i += D) {
        left = AddBytes(Load32(cur + i), left);
        StorePixel<D>(cur + i, left);
        left &= mask;
    }
}

template <int D>
void UnfilterAveragePixels(uint8_t* cur, const uint8_t* prev, size_t len) {
    constexpr uint32_t mask = D == 4 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    uint32_t left = 0;
    for (size_t i = 0; i < len; i += D) {
        const uint32_t up = Load32(prev + i) & mask;
        left = AddBytes(Load32(cur + i), AverageBytes(up, left) & mask);
        StorePixel<D>(cur + i, left);
        left &= mask;
    }
}

#if defined(__SSE2__)
inline __m128i Abs16(__m128i x) {
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}
inline __m128i Select(__m128i m, __m128i x, __m128i y) {
    return _mm_or_si128(_mm_and_si128(m, x), _mm_andnot_si128(m, y));
}

template <int D>
void UnfilterPaethPixels(uint8_t* cur, const uint8_t* prev, size_t len) {
    constexpr uint32_t mask = D == 4 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero; // left and upper-left, 16-bit lanes
    for (size_t i = 0; i < len; i += D) {
        const __m128i b =
            _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(Load32(prev + i) & mask)), zero);
        const __m128i p = _mm_sub_epi16(b, c);
        const __m128i q = _mm_sub_epi16(a, c);
        const __m128i pa = Abs16(p), pb = Abs16(q), pc = Abs16(_mm_add_epi16(p, q));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        const __m128i predictor =
            Select(_mm_cmpeq_epi16(pa, smallest), a, Select(_mm_cmpeq_epi16(pb, smallest), b, c));
        const uint32_t pred =
            static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(predictor, zero))) & mask;
        const uint32_t v = AddBytes(Load32(cur + i), pred);
        StorePixel<D>(cur + i, v);
        a = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v & mask)), zero);
        c = b;
    }
}
#endif

template <int D>
void UnfilterPixels(uint8_t filter, uint8_t* cur, const uint8_t* prev, size_t len) {
    switch (filter) {
    case 1:
        UnfilterSubPixels<D>(cur, len);
        break;
    case 2:
        UnfilterUp(cur, prev, len);
        break;
    case 3:
        UnfilterAveragePixels<D>(cur, prev, len);
        break;
    case 4:
#if defined(__SSE2__)
        UnfilterPaethPixels<D>(cur, prev, len);
#else
        UnfilterPaeth<D>(cur, prev, len);
#endif
        break;
    default:
        break;
    }
}

// cur and prev point at the data bytes (after the filter byte).
void UnfilterRow(uint8_t filter, uint8_t* cur, const uint8_t* prev, size_t len, size_t offset) {
    switch (offset) {
    case 1:
        UnfilterWith<1>(filter, cur, prev, len);
        break;
    case 2:
        UnfilterWith<2>(filter, cur, prev, len);
        break;
    case 3:
        UnfilterPixels<3>(filter, cur, prev, len);
        break;
    case 4:
        UnfilterPixels<4>(filter, cur, prev, len);
        break;
    case 6:
        UnfilterWith<6>(filter, cur, prev, len);
        break;
    case 8:
        UnfilterWith<8>(filter, cur, prev, len);
        break;
    }
}

// ---------------------------------------------------------------------------
// Row conversion into the DIB row and the alpha row.

struct TRowTarget {
    uint8_t colorType;
    uint8_t bitDepth;
    int dibBits;
    const uint8_t* gamma;
    bool identityGamma;
};

// One sample of bitDepth bits (1, 2, 4) at index k of a packed row.
inline unsigned PackedSample(const uint8_t* src, size_t k, int bitDepth) {
    const size_t bit = k * static_cast<size_t>(bitDepth);
    const int shift = 8 - bitDepth - static_cast<int>(bit & 7);
    return (src[bit >> 3] >> shift) & ((1u << bitDepth) - 1);
}

inline void StorePacked(uint8_t* dst, size_t column, int dibBits, unsigned value) {
    const size_t bit = column * static_cast<size_t>(dibBits);
    const int shift = 8 - dibBits - static_cast<int>(bit & 7);
    dst[bit >> 3] = static_cast<uint8_t>(dst[bit >> 3] | (value << shift));
}

} // namespace

// The file's tRNS key of a grey or RGB image, in file samples.
struct TPNGKeyTarget {
    uint8_t colorType;
    uint8_t bitDepth;
    unsigned samples[3];
};

namespace {
// Marks the pixels of one row (pixel k at column first + k * step) whose
// samples equal the key. A key beyond the bit depth's range matches nothing.
void MarkKeyPixels(const TPNGKeyTarget& key, const uint8_t* src, size_t pixels, size_t first,
                   size_t step, uint8_t* mask) {
    const int depth = key.bitDepth;
    auto sample = [&](size_t index) -> unsigned {
        if (depth == 16)
            return BigEndian16(src + 2 * index);
        if (depth == 8)
            return src[index];
        return PackedSample(src, index, depth);
    };
    const size_t channels = key.colorType == ctRGB ? 3 : 1;
    for (size_t k = 0, c = first; k < pixels; ++k, c += step) {
        bool match = true;
        for (size_t i = 0; i < channels && match; ++i)
            match = sample(k * channels + i) == key.samples[i];
        mask[c] = match ? 1 : 0;
    }
}

// Whole rows without interlace: the fast paths.
void ConvertFullRow(const TRowTarget& t, const uint8_t* src, size_t rowBytes, size_t width,
                    uint8_t* dst, uint8_t* alpha) {
    const uint8_t* g = t.gamma;
    switch (t.colorType) {
    case ctGreyscale:
    case ctPalette:
        if (t.bitDepth == 16) {
            for (size_t x = 0; x < width; ++x)
                dst[x] = src[2 * x];
        } else if (t.bitDepth == 2) {
            const unsigned scale = t.colorType == ctGreyscale ? 5 : 1;
            for (size_t x = 0; x < width; ++x) {
                const unsigned v = PackedSample(src, x, 2) * scale;
                dst[x >> 1] = static_cast<uint8_t>(dst[x >> 1] | (x & 1 ? v : v << 4));
            }
        } else {
            std::memcpy(dst, src, rowBytes);
        }
        break;
    case ctRGB:
        if (t.bitDepth == 8) {
            if (t.identityGamma) {
                // One word per pixel: R G B x becomes B G R; the word written
                // overlaps the next pixel's first byte, so the last pixel is
                // stored byte by byte (the row may end at the stride).
                size_t x = 0;
                for (; x + 1 < width; ++x, src += 3, dst += 3) {
                    const uint32_t v = __builtin_bswap32(Load32(src)) >> 8;
                    std::memcpy(dst, &v, 4);
                }
                if (x < width) {
                    dst[0] = src[2];
                    dst[1] = src[1];
                    dst[2] = src[0];
                }
            } else {
                for (size_t x = 0; x < width; ++x, src += 3, dst += 3) {
                    dst[0] = g[src[2]];
                    dst[1] = g[src[1]];
                    dst[2] = g[src[0]];
                }
            }
        } else {
            for (size_t x = 0; x < width; ++x, src += 6, dst += 3) {
                dst[0] = g[src[4]];
                dst[1] = g[src[2]];
                dst[2] = g[src[0]];
            }
        }
        break;
    case ctGreyscaleAlpha:
        if (t.bitDepth == 8) {
            for (size_t x = 0; x < width; ++x) {
                dst[x] = src[2 * x];
                alpha[x] = src[2 * x + 1];
            }
        } else {
            for (size_t x = 0; x < width; ++x) {
                dst[x] = src[4 * x];
                alpha[x] = src[4 * x + 2];
            }
        }
        break;
    case ctRGBAlpha:
        if (t.bitDepth == 8) {
            if (t.identityGamma) {
                size_t x = 0;
                for (; x + 1 < width; ++x, src += 4, dst += 3) {
                    const uint32_t p = Load32(src);
                    const uint32_t v = __builtin_bswap32(p) >> 8;
                    std::memcpy(dst, &v, 4);
                    alpha[x] = static_cast<uint8_t>(p >> 24);
                }
                if (x < width) {
                    dst[0] = src[2];
                    dst[1] = src[1];
                    dst[2] = src[0];
                    alpha[x] = src[3];
                }
            } else {
                for (size_t x = 0; x < width; ++x, src += 4, dst += 3) {
                    dst[0] = g[src[2]];
                    dst[1] = g[src[1]];
                    dst[2] = g[src[0]];
                    alpha[x] = src[3];
                }
            }
        } else {
            for (size_t x = 0; x < width; ++x, src += 8, dst += 3) {
                dst[0] = g[src[4]];
                dst[1] = g[src[2]];
                dst[2] = g[src[0]];
                alpha[x] = src[6];
            }
        }
        break;
    }
}

// One interlace pass row: pixel k goes to column first + k * step.
void ConvertPassRow(const TRowTarget& t, const uint8_t* src, size_t pixels, size_t first,
                    size_t step, uint8_t* dst, uint8_t* alpha) {
    const uint8_t* g = t.gamma;
    size_t c = first;
    switch (t.colorType) {
    case ctGreyscale:
    case ctPalette:
        if (t.bitDepth == 16) {
            for (size_t k = 0; k < pixels; ++k, c += step)
                dst[c] = src[2 * k];
        } else if (t.bitDepth == 8) {
            for (size_t k = 0; k < pixels; ++k, c += step)
                dst[c] = src[k];
        } else {
            const unsigned scale = t.colorType == ctGreyscale && t.bitDepth == 2 ? 5 : 1;
            for (size_t k = 0; k < pixels; ++k, c += step)
                StorePacked(dst, c, t.dibBits, PackedSample(src, k, t.bitDepth) * scale);
        }
        break;
    case ctRGB: {
        const size_t bpp = t.bitDepth == 8 ? 3 : 6, hi = t.bitDepth == 8 ? 1 : 2;
        for (size_t k = 0; k < pixels; ++k, c += step, src += bpp) {
            uint8_t* d = dst + 3 * c;
            d[0] = g[src[2 * hi]];
            d[1] = g[src[hi]];
            d[2] = g[src[0]];
        }
        break;
    }
    case ctGreyscaleAlpha: {
        const size_t bpp = t.bitDepth == 8 ? 2 : 4;
        for (size_t k = 0; k < pixels; ++k, c += step, src += bpp) {
            dst[c] = src[0];
            alpha[c] = src[bpp / 2];
        }
        break;
    }
    case ctRGBAlpha: {
        const size_t bpp = t.bitDepth == 8 ? 4 : 8, hi = t.bitDepth == 8 ? 1 : 2;
        for (size_t k = 0; k < pixels; ++k, c += step, src += bpp) {
            uint8_t* d = dst + 3 * c;
            d[0] = g[src[2 * hi]];
            d[1] = g[src[hi]];
            d[2] = g[src[0]];
            alpha[c] = src[3 * hi];
        }
        break;
    }
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Inflating across IDAT chunks

namespace {
constexpr size_t InflateInputSize = 65535;
// Decompressed bytes are produced in large blocks so that zlib stays on its
// fast path; rows are then served from the block.
constexpr size_t InflateOutputSize = 64 * 1024;
} // namespace

struct TPNGInflateState {
    z_stream Z{};
    bool Initialised = false;
    bool Finished = false; // end of the compressed stream or of the file
    TStream* Stream = nullptr;
    std::unique_ptr<uint8_t[]> Input;
    std::unique_ptr<uint8_t[]> Output;
    size_t OutputSize = 0;
    size_t OutPos = 0;
    size_t OutEnd = 0;
    uint32_t Crc = 0;
    int64_t ChunkEnd = 0;
    int64_t Position = 0; // stream position, tracked to avoid seeks

    ~TPNGInflateState() {
        if (Initialised)
            inflateEnd(&Z);
    }
};

TChunkIDAT::TChunkIDAT(TQorvPNGObject* owner) : TChunk(owner) {
    InitName();
}
TChunkIDAT::~TChunkIDAT() = default;

void TChunkIDAT::StartInflate(TStream& stream) {
    FInflate = std::make_unique<TPNGInflateState>();
    TPNGInflateState& s = *FInflate;
    s.Stream = &stream;
    s.Input.reset(new uint8_t[InflateInputSize]);
    s.OutputSize = std::max(InflateOutputSize, 2 * (FRowBytes + 1));
    s.Output.reset(new uint8_t[s.OutputSize]);
    const int rc = PngInflateInit(s.Z);
    if (rc != Z_OK)
        throw EPNGZLIBError(rc);
    s.Initialised = true;
#if ZLIB_VERNUM >= 0x1290
    // Every byte of image data is already covered by its chunk's CRC; the
    // zlib checksum over the decompressed bytes would only repeat that check.
    inflateValidate(&s.Z, 0);
#endif
}

void TChunkIDAT::EndInflate() {
    FInflate.reset();
}

size_t TChunkIDAT::PullImageBytes(uint8_t* buffer, size_t count) {
    TPNGInflateState& s = *FInflate;
    size_t done = 0;
    while (done < count) {
        if (s.OutPos < s.OutEnd) {
            const size_t n = std::min(count - done, s.OutEnd - s.OutPos);
            std::memcpy(buffer + done, s.Output.get() + s.OutPos, n);
            s.OutPos += n;
            done += n;
            continue;
        }
        if (s.Finished)
            break;
        // Refill the block. The next IDAT chunk is entered only while this
        // request still has nothing, as a row-by-row reader would.
        s.OutPos = s.OutEnd = 0;
        s.Z.next_out = s.Output.get();
        s.Z.avail_out = static_cast<uInt>(s.OutputSize);
        while (s.Z.avail_out > 0) {
            if (s.Position == s.ChunkEnd && s.Z.avail_in == 0) {
                if (s.Z.avail_out != s.OutputSize)
                    break;
                // This chunk's CRC, then the next chunk's length and name.
                uint8_t tail[12] = {};
                const int32_t got = s.Stream->Read(tail, 12);
                s.Position += got;
                if (got < 4)
                    throw EPngUnexpectedEnd();
                if (BigEndian32(tail) != ~s.Crc)
                    throw EPngInvalidCRC();
                if (got < 12)
                    throw EPngUnexpectedEnd();
                if (std::memcmp(tail + 8, "IDAT", 4) != 0)
                    throw EPNGMissingMultipleIDAT();
                s.Crc = Crc32Update(0xFFFFFFFFu, tail + 8, 4);
                s.ChunkEnd = s.Position + BigEndian32(tail + 4);
                // An empty chunk is passed over, not taken for the end of the data.
                continue;
            }
            if (s.Z.avail_in == 0) {
                const auto want = static_cast<int32_t>(
                    std::min<int64_t>(s.ChunkEnd - s.Position, InflateInputSize));
                const int32_t got = want > 0 ? s.Stream->Read(s.Input.get(), want) : 0;
                if (got <= 0)
                    throw EPngUnexpectedEnd();
                s.Position += got;
                s.Crc = Crc32Update(s.Crc, s.Input.get(), static_cast<size_t>(got));
                s.Z.next_in = s.Input.get();
                s.Z.avail_in = static_cast<uInt>(got);
            }
            const int rc = inflate(&s.Z, Z_NO_FLUSH);
            if (rc < 0 || rc == Z_NEED_DICT)
                throw EPNGZLIBError(rc);
            if (rc == Z_STREAM_END) {
                s.Finished = true;
                break;
            }
        }
        s.OutEnd = s.OutputSize - s.Z.avail_out;
    }
    return done;
}

void TChunkIDAT::GreyRampPalette() {
    TChunkIHDR& h = *FHeader;
    if (h.ColorType != ctGreyscale && h.ColorType != ctGreyscaleAlpha)
        return;
    const int bits = h.BitmapInfo.bmiHeader.biBitCount;
    const int last = (1 << bits) - 1;
    const uint8_t* g = FOwner->GammaTable();
    for (int i = 0; i <= last; ++i) {
        // MulDiv rounds to the nearest.
        const uint8_t v = g[(i * 255 + last / 2) / last];
        h.BitmapInfo.bmiColors[i] = TPNGRGBQuad{v, v, v, 0};
    }
}

namespace {
TRowTarget TargetFor(const TChunkIHDR& h, const uint8_t* gamma) {
    TRowTarget t{h.ColorType, h.BitDepth, h.BitmapInfo.bmiHeader.biBitCount, gamma, true};
    for (int i = 0; i < 256; ++i)
        if (gamma[i] != i)
            t.identityGamma = false;
    return t;
}
} // namespace

void TChunkIDAT::DecodeNonInterlaced(const TPNGKeyTarget* key) {
    TChunkIHDR& h = *FHeader;
    const TRowTarget target = TargetFor(h, FOwner->GammaTable());
    uint8_t* dst = h.ImageData + h.BytesPerRow * (FImageHeight - 1);
    uint8_t* alpha = h.ImageAlpha;
    for (uint32_t y = 0; y < FImageHeight; ++y) {
        uint8_t* cur = FRowBuffer[FRowUsed].data();
        const uint8_t* prev = FRowBuffer[1 - FRowUsed].data();
        const size_t got = PullImageBytes(cur, FRowBytes + 1);
        if (got == 0)
            break;
        if (got < FRowBytes + 1)
            std::memset(cur + got, 0, FRowBytes + 1 - got);
        UnfilterRow(cur[0], cur + 1, prev + 1, FRowBytes, FOffset);
        ConvertFullRow(target, cur + 1, FRowBytes, FImageWidth, dst, alpha);
        if (key)
            MarkKeyPixels(*key, cur + 1, FImageWidth, 0, 1, h.KeyMask.data() + y * FImageWidth);
        FRowUsed = 1 - FRowUsed;
        dst -= h.BytesPerRow;
        if (alpha)
            alpha += FImageWidth;
        if (got < FRowBytes + 1)
            break;
    }
}

void TChunkIDAT::DecodeInterlaced(const TPNGKeyTarget* key) {
    TChunkIHDR& h = *FHeader;
    const TRowTarget target = TargetFor(h, FOwner->GammaTable());
    for (const auto& pass : Adam7Passes) {
        const size_t firstRow = pass[0], firstCol = pass[1], rowStep = pass[2], colStep = pass[3];
        const size_t columns =
            FImageWidth > firstCol ? (FImageWidth - firstCol + colStep - 1) / colStep : 0;
        const size_t passBytes = RowByteCount(columns, h.ColorType, h.BitDepth);
        std::fill(FRowBuffer[1 - FRowUsed].begin(), FRowBuffer[1 - FRowUsed].end(), 0);
        if (passBytes == 0)
            continue;
        for (size_t r = firstRow; r < FImageHeight; r += rowStep) {
            uint8_t* cur = FRowBuffer[FRowUsed].data();
            const uint8_t* prev = FRowBuffer[1 - FRowUsed].data();
            const size_t got = PullImageBytes(cur, passBytes + 1);
            if (got == 0)
                return;
            if (got < passBytes + 1)
                std::memset(cur + got, 0, passBytes + 1 - got);
            UnfilterRow(cur[0], cur + 1, prev + 1, passBytes, FOffset);
            uint8_t* dst = h.ImageData + h.BytesPerRow * (FImageHeight - 1 - r);
            uint8_t* alpha = h.ImageAlpha ? h.ImageAlpha + r * FImageWidth : nullptr;
            ConvertPassRow(target, cur + 1, columns, firstCol, colStep, dst, alpha);
            if (key)
                MarkKeyPixels(*key, cur + 1, columns, firstCol, colStep,
                              h.KeyMask.data() + r * FImageWidth);
            FRowUsed = 1 - FRowUsed;
            if (got < passBytes + 1)
                return;
        }
    }
}

bool TChunkIDAT::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    FHeader = &OwnerHeader();
    if (!FHeader->ImageData)
        throw EPNGHeaderNotPresent();
    if (FHeader->HasPalette)
        GreyRampPalette();
    FHeader->SyncColorTable();
    FImageWidth = FHeader->Width;
    FImageHeight = FHeader->Height;
    FOwner->RowGeometry(FRowBytes, FOffset);

    // A grey or RGB key is matched against the file's samples while they are
    // at hand; the stored pixels no longer tell every sample apart.
    TPNGKeyTarget keyTarget{};
    const TPNGKeyTarget* key = nullptr;
    FHeader->KeyMask.clear();
    if (FHeader->ColorType == ctGreyscale || FHeader->ColorType == ctRGB) {
        if (const auto* trns = FOwner->Chunks().Find<TChunktRNS>()) {
            keyTarget = {FHeader->ColorType,
                         FHeader->BitDepth,
                         {BigEndian16(trns->PaletteValues), BigEndian16(trns->PaletteValues + 2),
                          BigEndian16(trns->PaletteValues + 4)}};
            key = &keyTarget;
        }
    }

    struct TCleanup {
        TChunkIDAT* Self;
        ~TCleanup() {
            Self->EndInflate();
            Self->FRowBuffer[0] = {};
            Self->FRowBuffer[1] = {};
        }
    } cleanup{this};

    try {
        FRowBuffer[0].assign(FRowBytes + 1 + RowSlack, 0);
        FRowBuffer[1].assign(FRowBytes + 1 + RowSlack, 0);
        StartInflate(stream);
        if (key) {
            // The mask counts against the same limit as the image itself.
            const uint64_t pixels = uint64_t(FImageWidth) * FImageHeight;
            if (uint64_t(FHeader->BytesPerRow) * FImageHeight + pixels > MaxImageBytes)
                throw EPNGOutMemory();
            FHeader->KeyMask.assign(static_cast<size_t>(pixels), 0);
        }
    } catch (const std::bad_alloc&) {
        throw EPNGOutMemory();
    }
    FRowUsed = 1;
    TPNGInflateState& s = *FInflate;
    s.Crc = Crc32Update(0xFFFFFFFFu, name, 4);
    s.Position = stream.Position();
    s.ChunkEnd = s.Position + length;

    if (FHeader->InterlaceMethod == 1)
        DecodeInterlaced(key);
    else
        DecodeNonInterlaced(key);

    // The rest of the current chunk (the end of the zlib stream) belongs to
    // its CRC even when the last row came out before it was read.
    while (s.Position < s.ChunkEnd) {
        const auto want =
            static_cast<int32_t>(std::min<int64_t>(s.ChunkEnd - s.Position, InflateInputSize));
        const int32_t got = stream.Read(s.Input.get(), want);
        if (got <= 0)
            throw EPngUnexpectedEnd();
        s.Position += got;
        s.Crc = Crc32Update(s.Crc, s.Input.get(), static_cast<size_t>(got));
    }
    uint8_t stored[4] = {};
    if (stream.Read(stored, 4) != 4)
        throw EPngUnexpectedEnd();
    if (BigEndian32(stored) != ~s.Crc)
        throw EPngInvalidCRC();
    return true;
}
