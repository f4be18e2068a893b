// Ancillary chunk semantics: gamma, palette, transparency, time and text;
// transparency kind and single-pixel access of the image object.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "png/QorvFormatPNG_internal.h"

// ---------------------------------------------------------------------------
// gAMA

namespace {
void BuildGammaTable(uint32_t v, uint8_t* table) {
    // Extended-precision powers are slow: double precision decides every entry
    // except those within a hair of a rounding tie, which are redone exactly.
    const long double exponent = 1.0L / (static_cast<long double>(v) / 100000.0L * 2.2L);
    const double fastExponent = static_cast<double>(exponent);
    for (int i = 0; i < 256; ++i) {
        const double fast = i == 0 ? 0.0 : std::pow(i / 255.0, fastExponent) * 255.0;
        const double fraction = fast - std::floor(fast);
        if (std::fabs(fraction - 0.5) > 1e-6) {
            table[i] = static_cast<uint8_t>(static_cast<int>(std::floor(fast + 0.5)));
            continue;
        }
        const long double base = static_cast<long double>(i) / 255.0L;
        const long double power = base == 0.0L ? 0.0L : std::pow(base, exponent);
        // nearbyint rounds half to even in the default rounding mode.
        table[i] = static_cast<uint8_t>(static_cast<int>(std::nearbyint(power * 255.0L)));
    }
}
} // namespace

TChunkgAMA::TChunkgAMA(TQorvPNGObject* owner) : TChunk(owner) {
    InitName();
    SetGammaValue(1);
}

uint32_t TChunkgAMA::GammaValue() const {
    return FDataSize == 4 ? BigEndian32(FData) : 1;
}

void TChunkgAMA::SetGammaValue(uint32_t value) {
    SetDataSize(4);
    PutBigEndian32(FData, value);
}

void TChunkgAMA::AssignFrom(const TChunk& source) {
    if (source.ClassType() != &TChunkgAMA::ClassInfo)
        throw EPngError(SPngErrorIncompatibleChunks);
    TChunk::AssignFrom(source);
}

bool TChunkgAMA::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    if (!TChunk::ReadChunk(stream, name, length))
        return false;
    // A damaged chunk has no value: taking one would darken the picture
    // (1 maps everything below white to black). Like the value 0, it leaves
    // the tables as they are.
    if (FDataSize != 4)
        return true;
    const uint32_t v = GammaValue();
    if (v == 0)
        return true;
    // A few recent tables are kept: files of one source carry the same value.
    struct TCachedGamma {
        uint32_t Value = 0;
        uint8_t Table[256];
    };
    thread_local TCachedGamma cache[4];
    thread_local unsigned nextSlot = 0;
    const uint8_t* table = nullptr;
    for (const auto& entry : cache)
        if (entry.Value == v)
            table = entry.Table;
    if (!table) {
        TCachedGamma& entry = cache[nextSlot++ % 4];
        BuildGammaTable(v, entry.Table);
        entry.Value = v;
        table = entry.Table;
    }
    uint8_t* gamma = FOwner->FGammaTable;
    uint8_t* inverse = FOwner->FInverseGamma;
    for (int i = 0; i < 256; ++i) {
        gamma[i] = table[i];
        inverse[table[i]] = static_cast<uint8_t>(i);
    }
    return true;
}

// ---------------------------------------------------------------------------
// PLTE

TChunkPLTE::TChunkPLTE(TQorvPNGObject* owner) : TChunk(owner) {
    InitName();
}

void TChunkPLTE::AssignFrom(const TChunk& source) {
    if (source.ClassType() != &TChunkPLTE::ClassInfo)
        throw EPngError(SPngErrorIncompatibleChunks);
    TChunk::AssignFrom(source);
    FCount = static_cast<const TChunkPLTE&>(source).FCount;
}

bool TChunkPLTE::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    if (!TChunk::ReadChunk(stream, name, length))
        return false;
    if (FDataSize % 3 != 0 || FDataSize / 3 > 256)
        throw EPNGInvalidPalette();
    TChunkIHDR& h = OwnerHeader();
    const uint8_t* g = FOwner->GammaTable();
    FCount = FDataSize / 3;
    for (int i = 0; i < FCount; ++i) {
        const uint8_t* p = FData + 3 * i;
        h.BitmapInfo.bmiColors[i] = TPNGRGBQuad{g[p[2]], g[p[1]], g[p[0]], 0};
    }
    h.SyncColorTable();
    return true;
}

bool TChunkPLTE::WriteChunk(TStream& stream) {
    TChunkIHDR& h = OwnerHeader();
    const uint8_t* inv = FOwner->InverseGamma();
    SetDataSize(FCount * 3);
    for (int i = 0; i < FCount; ++i) {
        const TPNGRGBQuad& c = h.BitmapInfo.bmiColors[i];
        FData[3 * i] = inv[c.rgbRed];
        FData[3 * i + 1] = inv[c.rgbGreen];
        FData[3 * i + 2] = inv[c.rgbBlue];
    }
    return WriteRawChunk(stream);
}

TPNGRGBQuad TChunkPLTE::PaletteEntry(int index) const {
    if (index < 0 || index > FCount - 1)
        throw EPngError(SPngErrorNoPaletteEntry);
    return OwnerHeader().BitmapInfo.bmiColors[index];
}

// ---------------------------------------------------------------------------
// tRNS

TChunktRNS::TChunktRNS(TQorvPNGObject* owner) : TChunk(owner) {
    InitName();
}

void TChunktRNS::AssignFrom(const TChunk& source) {
    if (source.ClassType()->InheritsFrom(TChunktRNS::ClassInfo)) {
        const auto& from = static_cast<const TChunktRNS&>(source);
        std::memcpy(PaletteValues, from.PaletteValues, sizeof PaletteValues);
        BitTransparency = from.BitTransparency;
    }
    TChunk::AssignFrom(source);
}

bool TChunktRNS::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    if (!TChunk::ReadChunk(stream, name, length))
        return false;
    if (FDataSize > 256)
        throw EPNGInvalidPalette();
    std::memset(PaletteValues, 255, sizeof PaletteValues);
    std::memcpy(PaletteValues, FData, static_cast<size_t>(FDataSize));
    switch (OwnerHeader().ColorType) {
    case ctGreyscale:
    case ctRGB:
        BitTransparency = true;
        break;
    case ctPalette: {
        // One fully transparent entry is a key; an entry of partial alpha is
        // blended, even when it is the only one.
        int below = 0;
        bool clear = false;
        for (int i = 0; i < FDataSize; ++i) {
            if (PaletteValues[i] < 255) {
                ++below;
                clear = PaletteValues[i] == 0;
            }
        }
        BitTransparency = below == 1 && clear;
        break;
    }
    }
    return true;
}

bool TChunktRNS::WriteChunk(TStream& stream) {
    if (FDataSize <= 256)
        std::memcpy(FData, PaletteValues, static_cast<size_t>(FDataSize));
    return WriteRawChunk(stream);
}

namespace {
// The colour table entries a pixel of the image can hold: count entries,
// step apart from entry 0. 2-bit grey samples are 4-bit indices five apart.
struct TIndexRange {
    int Count;
    int Step;
};

TIndexRange PixelIndexRange(const TQorvPNGObject& image, const TChunkIHDR& h) {
    const int dibBits = h.BitmapInfo.bmiHeader.biBitCount;
    switch (h.ColorType) {
    case ctGreyscale:
        if (h.BitDepth == 2)
            return {4, 5};
        return {1 << std::min(dibBits, 8), 1};
    case ctGreyscaleAlpha:
        return {256, 1};
    case ctPalette: {
        const auto* plte = image.Chunks().Find<TChunkPLTE>();
        const int depthEntries = 1 << std::min<int>(h.BitDepth, 8);
        return {plte ? std::min(plte->Count(), depthEntries) : 0, 1};
    }
    }
    return {0, 1};
}

// The file sample whose stored value is nearest to value: for a value that
// gamma reaches, the one writing gives back for it, so that the key and the
// pixels of that value stay equal in the written file.
uint8_t SampleFor(const TQorvPNGObject& image, uint8_t value) {
    const TGammaTable& gamma = image.GammaTable();
    const TGammaTable& inverse = image.InverseGamma();
    if (gamma[inverse[value]] == value)
        return inverse[value];
    int best = 0;
    for (int i = 1; i < 256; ++i)
        if (std::abs(gamma[i] - value) < std::abs(gamma[best] - value))
            best = i;
    return inverse[gamma[best]];
}
} // namespace

uint32_t TChunktRNS::TransparentColorOf() const {
    const TChunkIHDR& h = OwnerHeader();
    // The key's samples as decoding stores them: 16 bits keep the high byte,
    // narrower samples are masked to their depth.
    auto stored = [&](int index) -> unsigned {
        const unsigned sample = BigEndian16(PaletteValues + 2 * index);
        return h.BitDepth == 16 ? sample >> 8 : sample & ((1u << std::min<int>(h.BitDepth, 8)) - 1);
    };
    switch (h.ColorType) {
    case ctGreyscale: {
        // The grey ramp entry the key's pixels hold; 2-bit samples are 4-bit
        // indices five apart.
        const unsigned index = h.BitDepth == 2 ? stored(0) * 5 : stored(0);
        const TPNGRGBQuad& c = h.BitmapInfo.bmiColors[index & 0xFF];
        return RGBOf(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    case ctRGB: {
        const uint8_t* g = FOwner->GammaTable();
        return RGBOf(g[stored(0) & 0xFF], g[stored(1) & 0xFF], g[stored(2) & 0xFF]);
    }
    case ctPalette:
        for (int i = 0; i < FDataSize && i < 256; ++i) {
            if (PaletteValues[i] == 0) {
                const TPNGRGBQuad& c = h.BitmapInfo.bmiColors[i];
                return RGBOf(c.rgbRed, c.rgbGreen, c.rgbBlue);
            }
        }
        return 0;
    }
    return 0;
}

void TChunktRNS::AssignTransparentColor(uint32_t color) {
    TChunkIHDR& h = OwnerHeader();
    // The samples are chosen so that TransparentColorOf reads back the colour
    // (or the nearest one the image can hold) at every depth, and so that
    // the written file keys the same pixels.
    auto putSample = [&](int index, unsigned storedValue) {
        const unsigned sample = h.BitDepth == 16 ? storedValue << 8 : storedValue;
        PaletteValues[2 * index] = static_cast<uint8_t>(sample >> 8);
        PaletteValues[2 * index + 1] = static_cast<uint8_t>(sample);
    };
    std::memset(PaletteValues, 0, sizeof PaletteValues);
    BitTransparency = true;
    // The key is now a stored colour; what the file's samples said is gone.
    h.KeyMask.clear();
    switch (h.ColorType) {
    case ctGreyscale: {
        SetDataSize(2);
        const TIndexRange range = PixelIndexRange(*FOwner, h);
        const int entry = NearestColorIndex(h.BitmapInfo.bmiColors, range.Count, color, range.Step);
        putSample(0, static_cast<unsigned>(entry / range.Step));
        break;
    }
    case ctRGB:
        SetDataSize(6);
        putSample(0, SampleFor(*FOwner, RedOf(color)));
        putSample(1, SampleFor(*FOwner, GreenOf(color)));
        putSample(2, SampleFor(*FOwner, BlueOf(color)));
        break;
    case ctPalette: {
        // Only an entry the palette has; without one, entry 0.
        const int count = PixelIndexRange(*FOwner, h).Count;
        int index = 0;
        for (int i = 0; i < count; ++i) {
            const TPNGRGBQuad& c = h.BitmapInfo.bmiColors[i];
            if (c.rgbRed == RedOf(color) && c.rgbGreen == GreenOf(color) &&
                c.rgbBlue == BlueOf(color)) {
                index = i;
                break;
            }
        }
        std::memset(PaletteValues, 255, static_cast<size_t>(index));
        SetDataSize(index + 1);
        break;
    }
    }
}

// ---------------------------------------------------------------------------
// tIME

TChunktIME::TChunktIME(TQorvPNGObject* owner) : TChunk(owner) {
    InitName();
}

void TChunktIME::AssignFrom(const TChunk& source) {
    TChunk::AssignFrom(source);
    if (source.ClassType()->InheritsFrom(TChunktIME::ClassInfo)) {
        const auto& from = static_cast<const TChunktIME&>(source);
        Year = from.Year;
        Month = from.Month;
        Day = from.Day;
        Hour = from.Hour;
        Minute = from.Minute;
        Second = from.Second;
    }
}

bool TChunktIME::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    if (!TChunk::ReadChunk(stream, name, length))
        return false;
    if (FDataSize == 7) {
        Year = static_cast<uint16_t>(FData[0] << 8 | FData[1]);
        Month = FData[2];
        Day = FData[3];
        Hour = FData[4];
        Minute = FData[5];
        Second = FData[6];
    }
    return true;
}

bool TChunktIME::WriteChunk(TStream& stream) {
    SetDataSize(7);
    FData[0] = static_cast<uint8_t>(Year >> 8);
    FData[1] = static_cast<uint8_t>(Year);
    FData[2] = Month;
    FData[3] = Day;
    FData[4] = Hour;
    FData[5] = Minute;
    FData[6] = Second;
    return WriteRawChunk(stream);
}

// ---------------------------------------------------------------------------
// tEXt and zTXt

TChunktEXt::TChunktEXt(TQorvPNGObject* owner) : TChunk(owner) {
    InitName();
}

void TChunktEXt::AssignFrom(const TChunk& source) {
    TChunk::AssignFrom(source);
    if (source.ClassType()->InheritsFrom(TChunktEXt::ClassInfo)) {
        const auto& from = static_cast<const TChunktEXt&>(source);
        Keyword = from.Keyword;
        Text = from.Text;
    }
}

bool TChunktEXt::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    if (!TChunk::ReadChunk(stream, name, length))
        return false;
    Keyword.clear();
    Text.clear();
    if (FDataSize > 2) {
        const auto* begin = reinterpret_cast<const char*>(FData);
        const void* zero = std::memchr(begin, 0, static_cast<size_t>(FDataSize));
        const size_t keyLength = zero ? static_cast<size_t>(static_cast<const char*>(zero) - begin)
                                      : static_cast<size_t>(FDataSize);
        // The strings hold the data a second time.
        ChargeOwnerMemory(static_cast<uint64_t>(FDataSize));
        Keyword.assign(begin, keyLength);
        if (zero)
            Text.assign(begin + keyLength + 1, static_cast<size_t>(FDataSize) - keyLength - 1);
    }
    return true;
}

bool TChunktEXt::WriteChunk(TStream& stream) {
    SetDataSize(static_cast<int32_t>(Keyword.size() + Text.size() + 1));
    std::memset(FData, 0, static_cast<size_t>(FDataSize));
    std::memcpy(FData, Keyword.data(), Keyword.size());
    std::memcpy(FData + Keyword.size() + 1, Text.data(), Text.size());
    return WriteRawChunk(stream);
}

TChunkzTXt::TChunkzTXt(TQorvPNGObject* owner) : TChunktEXt(owner) {
    InitName();
}

bool TChunkzTXt::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    if (!TChunktEXt::ReadChunk(stream, name, length))
        return false;
    if (FDataSize <= 3)
        return true;
    const auto size = static_cast<size_t>(FDataSize);
    const void* zero = std::memchr(FData, 0, size);
    const size_t keyLength =
        zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - FData) : size;
    Keyword.assign(reinterpret_cast<const char*>(FData), keyLength);
    Text.clear();
    // Without a zero byte followed by the method byte there is nothing to read.
    if (keyLength + 2 > size)
        return true;
    if (FData[keyLength + 1] == 0) {
        // Inflating counts as it goes: a few bytes of the file may stand for
        // any amount of text.
        const uint64_t limit = std::min<uint64_t>(FOwner->Limits().MaxChunkSize, OwnerMemoryLeft());
        std::string output, error;
        bool exceeded = false;
        if (InflateText(FData + keyLength + 2, size - keyLength - 2, output, error,
                        static_cast<size_t>(std::min<uint64_t>(limit, SIZE_MAX)), &exceeded)) {
            if (output.size() > limit)
                throw EPNGLimitExceeded();
            ChargeOwnerMemory(output.size());
            Text = std::move(output);
        } else if (exceeded) {
            throw EPNGLimitExceeded();
        }
    }
    return true;
}

bool TChunkzTXt::WriteChunk(TStream& stream) {
    if (Text.empty())
        Text.assign(1, ' ');
    std::string packed, error;
    if (!DeflateText(reinterpret_cast<const uint8_t*>(Text.data()), Text.size(),
                     FOwner->CompressionLevel(), packed, error))
        return false;
    SetDataSize(static_cast<int32_t>(Keyword.size() + packed.size() + 2));
    std::memset(FData, 0, static_cast<size_t>(FDataSize));
    std::memcpy(FData, Keyword.data(), Keyword.size());
    std::memcpy(FData + Keyword.size() + 2, packed.data(), packed.size());
    return WriteRawChunk(stream);
}

namespace {
// Runs one zlib stream over a memory block through a 256-byte window.
template <bool Inflating>
bool ZlibText(const uint8_t* input, size_t inputSize, int level, std::string& output,
              std::string& errorText, size_t limit = SIZE_MAX, bool* exceeded = nullptr) {
    if (exceeded)
        *exceeded = false;
    output.clear();
    errorText.clear();
    z_stream z{};
    int rc = Inflating ? PngInflateInit(z) : PngDeflateInit(z, level);
    if (rc != Z_OK) {
        errorText = z.msg ? z.msg : ZlibErrorText(rc);
        if (rc != Z_VERSION_ERROR && rc != Z_STREAM_ERROR && rc != Z_MEM_ERROR)
            Inflating ? inflateEnd(&z) : deflateEnd(&z);
        return false;
    }
    z.next_in = const_cast<Bytef*>(input);
    z.avail_in = static_cast<uInt>(inputSize);
    uint8_t window[256];
    bool ok = false;
    for (;;) {
        z.next_out = window;
        z.avail_out = sizeof window;
        rc = Inflating ? inflate(&z, Z_NO_FLUSH) : deflate(&z, Z_FINISH);
        output.append(reinterpret_cast<const char*>(window), sizeof window - z.avail_out);
        if (rc == Z_STREAM_END) {
            ok = true;
            break;
        }
        if (rc < 0 || rc == Z_NEED_DICT) {
            errorText = z.msg ? z.msg : ZlibErrorText(rc);
            break;
        }
        // No progress possible: the input ended inside the stream.
        if (z.avail_out != 0 && z.avail_in == 0 && Inflating) {
            errorText = ZlibErrorText(Z_BUF_ERROR);
            break;
        }
        if (output.size() > limit) {
            errorText = ZlibErrorText(Z_MEM_ERROR);
            if (exceeded)
                *exceeded = true;
            break;
        }
    }
    Inflating ? inflateEnd(&z) : deflateEnd(&z);
    if (!ok)
        output.clear();
    return ok;
}
} // namespace

bool InflateText(const uint8_t* input, size_t inputSize, std::string& output,
                 std::string& errorText, size_t limit, bool* exceeded) {
    return ZlibText<true>(input, inputSize, 0, output, errorText, limit, exceeded);
}

bool DeflateText(const uint8_t* input, size_t inputSize, int level, std::string& output,
                 std::string& errorText) {
    return ZlibText<false>(input, inputSize, level, output, errorText);
}

// ---------------------------------------------------------------------------
// Image object: transparency and pixels

TTransparencyKind TQorvPNGObject::TransparencyKindOf() const {
    const TChunkIHDR& h = RequireHeader();
    const auto* trns = FChunks->Find<TChunktRNS>();
    switch (h.ColorType) {
    case ctGreyscale:
    case ctRGB:
        return trns ? tkBit : tkNone;
    case ctPalette:
        if (!trns)
            return tkNone;
        return trns->BitTransparency ? tkBit : tkPartial;
    case ctGreyscaleAlpha:
    case ctRGBAlpha:
        return tkPartial;
    }
    return tkNone;
}

uint32_t TQorvPNGObject::TransparentColorOf() const {
    const auto* trns = FChunks->Find<TChunktRNS>();
    return trns ? trns->TransparentColorOf() : 0;
}

namespace {
// Palette index of pixel x in a row of b-bit indices.
unsigned IndexAt(const uint8_t* row, int x, int b) {
    const int perByte = 8 / b;
    const int shift = 8 - b - b * (x % perByte);
    return (row[x / perByte] >> shift) & ((1u << b) - 1);
}

// The colour pixel x of a stored row shows, 0x00BBGGRR.
uint32_t StoredColorAt(const TChunkIHDR& h, const uint8_t* row, int x) {
    const int b = h.BitmapInfo.bmiHeader.biBitCount;
    if (b == 24)
        return RGBOf(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    const TPNGRGBQuad& c = h.BitmapInfo.bmiColors[IndexAt(row, x, b)];
    return RGBOf(c.rgbRed, c.rgbGreen, c.rgbBlue);
}
} // namespace

uint32_t TQorvPNGObject::ReadPixel(int x, int y) {
    const TChunkIHDR& h = RequireHeader();
    if (x < 0 || y < 0 || x >= static_cast<int>(h.Width) || y >= static_cast<int>(h.Height) ||
        !h.ImageData)
        return 0;
    const uint8_t* row = RowPointer(y);
    switch (h.ColorType) {
    case ctRGB:
    case ctRGBAlpha:
        return RGBOf(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case ctGreyscale:
    case ctGreyscaleAlpha: {
        const int b = h.BitmapInfo.bmiHeader.biBitCount;
        const unsigned v = IndexAt(row, x, b);
        const uint8_t level = FGammaTable[v * 255 / ((1u << b) - 1)];
        return RGBOf(level, level, level);
    }
    case ctPalette: {
        const int b = h.BitmapInfo.bmiHeader.biBitCount;
        const auto* plte = FChunks->Find<TChunkPLTE>();
        if (!plte)
            throw EPngError(SPngErrorNoPaletteEntry);
        const TPNGRGBQuad c = plte->PaletteEntry(static_cast<int>(IndexAt(row, x, b)));
        return RGBOf(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    }
    return 0;
}

void TQorvPNGObject::WritePixel(int x, int y, uint32_t color) {
    TChunkIHDR& h = RequireHeader();
    if (x < 0 || y < 0 || x >= static_cast<int>(h.Width) || y >= static_cast<int>(h.Height) ||
        !h.ImageData)
        return;
    uint8_t* row = RowPointer(y);
    color &= 0x00FFFFFF;
    switch (h.ColorType) {
    case ctRGB:
    case ctRGBAlpha:
        row[3 * x] = BlueOf(color);
        row[3 * x + 1] = GreenOf(color);
        row[3 * x + 2] = RedOf(color);
        break;
    case ctGreyscale:
    case ctPalette:
    case ctGreyscaleAlpha: {
        const int b = h.BitmapInfo.bmiHeader.biBitCount;
        const int perByte = 8 / b;
        const int shift = 8 - b - b * (x % perByte);
        const unsigned mask = ((1u << b) - 1) << shift;
        const unsigned index = static_cast<unsigned>(NearestPaletteIndex(color));
        uint8_t& byte = row[x / perByte];
        byte = static_cast<uint8_t>((byte & ~mask) | ((index << shift) & mask));
        break;
    }
    }
    // A pixel painted in the key's colour becomes transparent, any other opaque.
    if (!h.KeyMask.empty())
        h.KeyMask[size_t(y) * h.Width + size_t(x)] =
            StoredColorAt(h, row, x) == TransparentColorOf() ? 1 : 0;
}

std::vector<uint8_t> TransparentPixelsOf(const TQorvPNGObject& image) {
    const TChunkIHDR& h = image.RequireHeader();
    const size_t width = h.Width, height = h.Height;
    if (h.KeyMask.size() == width * height)
        return h.KeyMask;
    std::vector<uint8_t> mask(width * height, 0);
    if (!h.ImageData)
        return mask;
    const uint32_t key = image.TransparentColorOf();
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = image.RowPointer(static_cast<int>(y));
        for (size_t x = 0; x < width; ++x)
            mask[y * width + x] = StoredColorAt(h, row, static_cast<int>(x)) == key ? 1 : 0;
    }
    return mask;
}

int TQorvPNGObject::NearestPaletteIndex(uint32_t color) const {
    const TChunkIHDR& h = RequireHeader();
    const TIndexRange range = PixelIndexRange(*this, h);
    if (range.Count == 0)
        throw EPngError(SPngErrorNoPaletteEntry);
    return NearestColorIndex(h.BitmapInfo.bmiColors, range.Count, color, range.Step);
}

int NearestColorIndex(const TPNGRGBQuad* colors, int count, uint32_t color, int step) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < count * step; i += step) {
        const TPNGRGBQuad& c = colors[i];
        const long dr = long(c.rgbRed) - RedOf(color), dg = long(c.rgbGreen) - GreenOf(color),
                   db = long(c.rgbBlue) - BlueOf(color);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}
