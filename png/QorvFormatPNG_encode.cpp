// Writing: the header, the conversion of the pixel buffer back to PNG
// samples, the per-row filter choice and the streaming deflate that cuts the
// compressed data into IDAT chunks of the maximum size.
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "png/QorvFormatPNG_internal.h"

namespace {
// A zlib failure while writing: the message of EPNGZLIBError speaks of
// decompressing, which would mislead.
EPngError CompressError(int zlibCode) {
    return EPngError(SPngCompressErrorPrefix + ZlibErrorText(zlibCode));
}

inline uint8_t PaethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Positions j >= 2 whose byte repeats one of the two before it.
int ScoreRow(const uint8_t* o, size_t len) {
    int score = 0;
    size_t j = 2;
#if defined(__SSE2__)
    for (; j + 16 <= len; j += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + j));
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + j - 1));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + j - 2));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(x, b));
        score += std::popcount(static_cast<unsigned>(_mm_movemask_epi8(hit)));
    }
#endif
    for (; j < len; ++j)
        score += (o[j] == o[j - 1]) | (o[j] == o[j - 2]);
    return score;
}
} // namespace

struct TPNGDeflateState {
    z_stream Z{};
    bool Initialised = false;
    TStream* Stream = nullptr;
    std::unique_ptr<uint8_t[]> Output;
    uint32_t Size = 0;

    ~TPNGDeflateState() {
        if (Initialised)
            deflateEnd(&Z);
    }
};

void TPNGDeflateDeleter::operator()(TPNGDeflateState* state) const {
    delete state;
}

// ---------------------------------------------------------------------------
// Header

void TChunkIHDR::PromoteTwoBitDepth() {
    if (BitDepth != 2)
        return;
    BitDepth = 4;
    // The grey key of a tRNS chunk follows the samples, which were scaled by 5.
    if (ColorType == ctGreyscale)
        if (auto* trns = FOwner->Chunks().Find<TChunktRNS>(); trns && trns->DataSize() >= 2 &&
                                                              trns->PaletteValues[0] == 0 &&
                                                              trns->PaletteValues[1] <= 3)
            trns->PaletteValues[1] = static_cast<uint8_t>(trns->PaletteValues[1] * 5);
}

bool TChunkIHDR::WriteChunk(TStream& stream) {
    PromoteTwoBitDepth();
    SetDataSize(13);
    PutBigEndian32(FData, Width);
    PutBigEndian32(FData + 4, Height);
    FData[8] = BitDepth;
    FData[9] = ColorType;
    FData[10] = CompressionMethod;
    FData[11] = FilterMethod;
    FData[12] = FOwner->InterlaceMethod();
    return WriteRawChunk(stream);
}

// ---------------------------------------------------------------------------
// Deflate

void TChunkIDAT::StartDeflate(TStream& stream, int level, uint32_t maxChunk) {
    FDeflate.reset(new TPNGDeflateState);
    TPNGDeflateState& s = *FDeflate;
    s.Stream = &stream;
    s.Size = maxChunk;
    s.Output.reset(new uint8_t[maxChunk]);
    s.Z.next_out = s.Output.get();
    s.Z.avail_out = maxChunk;
    const int ret = PngDeflateInit(s.Z, level);
    if (ret != Z_OK)
        throw CompressError(ret);
    s.Initialised = true;
}

void TChunkIDAT::EndDeflate() {
    FDeflate.reset();
}

void TChunkIDAT::EmitImageChunk(TStream& stream, const uint8_t* bytes, size_t count) {
    uint8_t head[8];
    PutBigEndian32(head, static_cast<uint32_t>(count));
    std::memcpy(head + 4, "IDAT", 4);
    stream.Write(head, 8);
    stream.Write(bytes, static_cast<int32_t>(count));
    uint32_t crc = Crc32Update(0xFFFFFFFFu, "IDAT", 4);
    crc = Crc32Update(crc, bytes, count);
    uint8_t tail[4];
    PutBigEndian32(tail, ~crc);
    stream.Write(tail, 4);
}

void TChunkIDAT::PushImageBytes(const uint8_t* bytes, size_t count) {
    TPNGDeflateState& s = *FDeflate;
    s.Z.next_in = const_cast<uint8_t*>(bytes);
    s.Z.avail_in = static_cast<uInt>(count);
    while (s.Z.avail_in > 0) {
        const int ret = deflate(&s.Z, Z_NO_FLUSH);
        if (ret < 0 && ret != Z_BUF_ERROR)
            throw CompressError(ret);
        // Emitted as soon as it is full, so deflate always finds room.
        if (s.Z.avail_out == 0) {
            EmitImageChunk(*s.Stream, s.Output.get(), s.Size);
            s.Z.next_out = s.Output.get();
            s.Z.avail_out = s.Size;
        }
    }
}

void TChunkIDAT::FlushImageStream() {
    TPNGDeflateState& s = *FDeflate;
    s.Z.next_in = nullptr;
    s.Z.avail_in = 0;
    for (;;) {
        const int ret = deflate(&s.Z, Z_FINISH);
        if (ret < 0 && ret != Z_BUF_ERROR)
            throw CompressError(ret);
        const uint32_t filled = s.Size - s.Z.avail_out;
        if (ret == Z_STREAM_END) {
            if (filled != 0)
                EmitImageChunk(*s.Stream, s.Output.get(), filled);
            return;
        }
        if (filled != 0)
            EmitImageChunk(*s.Stream, s.Output.get(), filled);
        s.Z.next_out = s.Output.get();
        s.Z.avail_out = s.Size;
    }
}

// ---------------------------------------------------------------------------
// Filters

uint8_t TChunkIDAT::ChooseRowFilter() {
    const TFilters set = FOwner->Filters();
    const size_t L = FRowBytes, D = FOffset;
    const uint8_t* x = FRaw.data() + 1;
    const uint8_t* p = FPrior.data() + 1;
    if (set & (1 << pfSub)) {
        uint8_t* o = FFiltered[pfSub].data() + 1;
        for (size_t i = 0; i < L && i < D; ++i)
            o[i] = x[i];
        for (size_t i = D; i < L; ++i)
            o[i] = static_cast<uint8_t>(x[i] - x[i - D]);
    }
    if (set & (1 << pfUp)) {
        uint8_t* o = FFiltered[pfUp].data() + 1;
        for (size_t i = 0; i < L; ++i)
            o[i] = static_cast<uint8_t>(x[i] - p[i]);
    }
    if (set & (1 << pfAverage)) {
        uint8_t* o = FFiltered[pfAverage].data() + 1;
        for (size_t i = 0; i < L && i < D; ++i)
            o[i] = static_cast<uint8_t>(x[i] - (p[i] >> 1));
        for (size_t i = D; i < L; ++i)
            o[i] = static_cast<uint8_t>(x[i] - ((p[i] + x[i - D]) >> 1));
    }
    if (set & (1 << pfPaeth)) {
        uint8_t* o = FFiltered[pfPaeth].data() + 1;
        for (size_t i = 0; i < L && i < D; ++i)
            o[i] = static_cast<uint8_t>(x[i] - PaethPredictor(0, p[i], 0));
        for (size_t i = D; i < L; ++i)
            o[i] = static_cast<uint8_t>(x[i] - PaethPredictor(x[i - D], p[i], p[i - D]));
    }
    std::memcpy(FPrior.data() + 1, x, L);
    if (set == 0 || set == (1 << pfNone))
        return pfNone;
    uint8_t choice = pfNone;
    int best = 0;
    for (int f = pfNone; f <= pfPaeth; ++f) {
        if (!(set & (1 << f)))
            continue;
        const uint8_t* o = f == pfNone ? FPrior.data() + 1 : FFiltered[f].data() + 1;
        const int score = ScoreRow(o, L);
        if (score > best) {
            best = score;
            choice = static_cast<uint8_t>(f);
        }
    }
    return choice;
}

// ---------------------------------------------------------------------------
// Rows

// Converts `pixels` pixels of one stored row, taken at columns first,
// first + step, ..., to PNG samples in the raw row, filters and pushes it.
void TChunkIDAT::EncodeRow(const uint8_t* src, const uint8_t* alpha, size_t first, size_t step,
                           size_t pixels) {
    TChunkIHDR& h = *FHeader;
    const uint8_t* inv = FOwner->InverseGamma();
    uint8_t* out = FRaw.data() + 1;
    const bool wide = h.BitDepth == 16;
    size_t c = first;
    switch (h.ColorType) {
    case ctGreyscale:
    case ctPalette:
        if (wide) {
            for (size_t k = 0; k < pixels; ++k, c += step) {
                out[2 * k] = src[c];
                out[2 * k + 1] = 0;
            }
        } else if (step == 1 || h.BitDepth == 8) {
            if (step == 1)
                std::memcpy(out, src, FRowBytes);
            else
                for (size_t k = 0; k < pixels; ++k, c += step)
                    out[k] = src[c];
        } else {
            const int b = h.BitDepth;
            const unsigned mask = (1u << b) - 1;
            std::memset(out, 0, FRowBytes);
            for (size_t k = 0; k < pixels; ++k, c += step) {
                const size_t sbit = c * static_cast<size_t>(b);
                const unsigned v = (src[sbit >> 3] >> (8 - b - (sbit & 7))) & mask;
                const size_t dbit = k * static_cast<size_t>(b);
                out[dbit >> 3] = static_cast<uint8_t>(out[dbit >> 3] | (v << (8 - b - (dbit & 7))));
            }
        }
        break;
    case ctRGB:
        if (wide) {
            for (size_t k = 0; k < pixels; ++k, c += step, out += 6) {
                const uint8_t* s = src + 3 * c;
                out[0] = inv[s[2]];
                out[1] = 0;
                out[2] = inv[s[1]];
                out[3] = 0;
                out[4] = inv[s[0]];
                out[5] = 0;
            }
        } else if (FIdentityInverse && step == 1) {
            // Blue, green, red to red, green, blue without the table.
            for (size_t k = 0; k < pixels; ++k, out += 3, src += 3) {
                const uint8_t b = src[0], g = src[1], r = src[2];
                out[0] = r;
                out[1] = g;
                out[2] = b;
            }
        } else {
            for (size_t k = 0; k < pixels; ++k, c += step, out += 3) {
                const uint8_t* s = src + 3 * c;
                out[0] = inv[s[2]];
                out[1] = inv[s[1]];
                out[2] = inv[s[0]];
            }
        }
        break;
    case ctGreyscaleAlpha:
        for (size_t k = 0; k < pixels; ++k, c += step) {
            if (wide) {
                out[4 * k] = src[c];
                out[4 * k + 1] = 0;
                out[4 * k + 2] = alpha[c];
                out[4 * k + 3] = 0;
            } else {
                out[2 * k] = src[c];
                out[2 * k + 1] = alpha[c];
            }
        }
        break;
    case ctRGBAlpha:
        if (wide) {
            for (size_t k = 0; k < pixels; ++k, c += step, out += 8) {
                const uint8_t* s = src + 3 * c;
                out[0] = inv[s[2]];
                out[1] = 0;
                out[2] = inv[s[1]];
                out[3] = 0;
                out[4] = inv[s[0]];
                out[5] = 0;
                out[6] = alpha[c];
                out[7] = 0;
            }
        } else {
            for (size_t k = 0; k < pixels; ++k, c += step, out += 4) {
                const uint8_t* s = src + 3 * c;
                out[0] = inv[s[2]];
                out[1] = inv[s[1]];
                out[2] = inv[s[0]];
                out[3] = alpha[c];
            }
        }
        break;
    }
    const uint8_t f = ChooseRowFilter();
    uint8_t* row = f == pfNone ? FPrior.data() : FFiltered[f].data();
    // The filter byte travels in front of the row: one push per row.
    row[0] = f;
    PushImageBytes(row, FRowBytes + 1);
}

void TChunkIDAT::EncodeNonInterlaced() {
    TChunkIHDR& h = *FHeader;
    const uint8_t* src = h.ImageData + h.BytesPerRow * (FImageHeight - 1);
    const uint8_t* alpha = h.ImageAlpha;
    for (uint32_t y = 0; y < FImageHeight; ++y) {
        EncodeRow(src, alpha, 0, 1, FImageWidth);
        src -= h.BytesPerRow;
        if (alpha)
            alpha += FImageWidth;
    }
}

void TChunkIDAT::EncodeInterlaced() {
    TChunkIHDR& h = *FHeader;
    const size_t fullRow = FRowBytes;
    for (const auto& pass : Adam7Passes) {
        const size_t firstRow = pass[0], firstCol = pass[1], rowStep = pass[2], colStep = pass[3];
        const size_t columns =
            FImageWidth > firstCol ? (FImageWidth + colStep - firstCol - 1) / colStep : 0;
        FRowBytes = RowByteCount(columns, h.ColorType, h.BitDepth);
        std::memset(FPrior.data(), 0, FRowBytes + 1);
        if (FRowBytes == 0)
            continue;
        for (size_t r = firstRow; r < FImageHeight; r += rowStep) {
            const uint8_t* src = h.ImageData + h.BytesPerRow * (FImageHeight - 1 - r);
            const uint8_t* alpha = h.ImageAlpha ? h.ImageAlpha + r * FImageWidth : nullptr;
            EncodeRow(src, alpha, firstCol, colStep, columns);
        }
    }
    FRowBytes = fullRow;
}

bool TChunkIDAT::WriteChunk(TStream& stream) {
    FHeader = &OwnerHeader();
    TChunkIHDR& h = *FHeader;
    if (!h.ImageData)
        throw EPNGHeaderNotPresent();
    h.PromoteTwoBitDepth();
    FImageWidth = h.Width;
    FImageHeight = h.Height;
    FOwner->RowGeometry(FRowBytes, FOffset);
    FIdentityInverse = true;
    for (int i = 0; i < 256; ++i)
        if (FOwner->InverseGamma()[i] != i)
            FIdentityInverse = false;

    struct TCleanup {
        TChunkIDAT* Self;
        ~TCleanup() {
            Self->EndDeflate();
            Self->FRaw = {};
            Self->FPrior = {};
            for (auto& b : Self->FFiltered)
                b = {};
        }
    } cleanup{this};

    try {
        FRaw.assign(FRowBytes + 1, 0);
        FPrior.assign(FRowBytes + 1, 0);
        for (int f = pfSub; f <= pfPaeth; ++f)
            if (FOwner->Filters() & (1 << f))
                FFiltered[f].assign(FRowBytes + 1, 0);
        StartDeflate(stream, FOwner->CompressionLevel(), FOwner->MaxIdatSize());
    } catch (const std::bad_alloc&) {
        throw EPNGOutMemory();
    }
    if (FOwner->InterlaceMethod() == 1)
        EncodeInterlaced();
    else
        EncodeNonInterlaced();
    FlushImageStream();
    return true;
}
