// QorvFormatPNG's own machinery: the chunk classes and their registry, the
// chunk list, the pixel store, byte order, zlib set-up and the pieces of the
// codec that tests, the fuzz target and the benchmark reach into. Nothing
// outside png/, tests, fuzz and bench includes it.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "png/QorvFormatPNG.h"

// ---------------------------------------------------------------------------
// Named values of the file format

// IHDR colour types; the header field keeps whatever byte the file holds.
enum TPNGColorType : uint8_t {
    ctGreyscale = 0,
    ctRGB = 2,
    ctPalette = 3,
    ctGreyscaleAlpha = 4,
    ctRGBAlpha = 6,
};

// Row filter types, as the filter byte in front of each row names them and
// as the bits of TFilters enable them.
enum TFilter : uint8_t { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };

// Adam7: first row, first column, row step, column step of each pass.
inline constexpr int Adam7Passes[7][4] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                          {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};

// ---------------------------------------------------------------------------
// Byte order: every multi-byte number in a PNG file is big-endian.

inline uint32_t BigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}
inline uint16_t BigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline void PutBigEndian32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// ---------------------------------------------------------------------------
// Colours exchanged with the picture framework: 0x00BBGGRR.

inline uint32_t RGBOf(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b) << 16;
}
inline uint8_t RedOf(uint32_t c) {
    return static_cast<uint8_t>(c);
}
inline uint8_t GreenOf(uint32_t c) {
    return static_cast<uint8_t>(c >> 8);
}
inline uint8_t BlueOf(uint32_t c) {
    return static_cast<uint8_t>(c >> 16);
}

// ---------------------------------------------------------------------------
// zlib. Every stream of the unit starts here, asking for the 1.2.3 interface
// the unit is written against. The fixed version string is deliberate: zlib
// accepts any library of the same major version, so the unit runs unchanged
// on the newer zlib it is linked with; the structure size is the one this
// compiler lays out (56 bytes on 32-bit Windows).
inline int PngInflateInit(z_stream& z) {
    return inflateInit_(&z, "1.2.3", static_cast<int>(sizeof(z_stream)));
}
inline int PngDeflateInit(z_stream& z, int level) {
    return deflateInit_(&z, level, "1.2.3", static_cast<int>(sizeof(z_stream)));
}

// CRC-32 as PNG and zlib define it; the register is neither preset nor
// complemented here.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t length);

// ---------------------------------------------------------------------------
// Windows DIB header layout, declared portably so that the codec never needs
// <windows.h>: a BITMAPINFOHEADER followed by 256 RGBQUAD entries.

struct TPNGRGBQuad {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct TPNGBitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

struct TPNGBitmapInfo {
    TPNGBitmapInfoHeader bmiHeader;
    TPNGRGBQuad bmiColors[256];
};
static_assert(sizeof(TPNGBitmapInfoHeader) == 40);
static_assert(sizeof(TPNGBitmapInfo) == 1064);

// ---------------------------------------------------------------------------
// Pixel store: the memory behind the decoded image. On Windows it is a DIB
// section selected into its own memory device context; elsewhere a heap
// buffer with the same bottom-up layout, stride and colour table.

class TPNGPixelStore {
public:
    virtual ~TPNGPixelStore() = default;
    // Makes a zeroed pixel buffer of size bytes for the bitmap described by
    // info (its colour table included). When it cannot be made: null, or
    // EPNGOutMemory naming the system call that failed.
    virtual uint8_t* Allocate(const TPNGBitmapInfo& info, size_t size) = 0;
    virtual void Release() = 0;
    virtual uint8_t* Bits() const = 0;
    // The colour table kept with the bitmap, used when it is blitted.
    virtual void SetColorTable(const TPNGRGBQuad* colors, int count) = 0;
    virtual void GetColorTable(TPNGRGBQuad* colors, int count) const = 0;
    // HBITMAP and HDC on Windows; null elsewhere.
    virtual void* BitmapHandle() const = 0;
    virtual void* DeviceContext() const = 0;
};

class TPNGHeapPixelStore : public TPNGPixelStore {
public:
    ~TPNGHeapPixelStore() override;
    uint8_t* Allocate(const TPNGBitmapInfo& info, size_t size) override;
    void Release() override;
    uint8_t* Bits() const override { return FBits; }
    void SetColorTable(const TPNGRGBQuad* colors, int count) override;
    void GetColorTable(TPNGRGBQuad* colors, int count) const override;
    void* BitmapHandle() const override { return nullptr; }
    void* DeviceContext() const override { return nullptr; }

private:
    uint8_t* FBits = nullptr;
    TPNGRGBQuad FColors[256] = {};
};

// The platform's store: the DIB section on Windows, the heap buffer elsewhere.
std::unique_ptr<TPNGPixelStore> NewPNGPixelStore();

// ---------------------------------------------------------------------------
// Chunks

class TChunk;

// A chunk class as the registry and the class searches see it: its name,
// its base class and its constructor.
struct TChunkClassInfo {
    const char* ClassName;
    const TChunkClassInfo* Parent;
    std::unique_ptr<TChunk> (*Create)(TQorvPNGObject* owner);

    bool InheritsFrom(const TChunkClassInfo& other) const;
};
using TChunkClass = const TChunkClassInfo*;

// The letters of a chunk class name after "TChunk".
std::string ChunkNameOf(TChunkClass cls);

class TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    virtual TChunkClass ClassType() const { return &ClassInfo; }

    explicit TChunk(TQorvPNGObject* owner);
    virtual ~TChunk();
    TChunk(const TChunk&) = delete;
    TChunk& operator=(const TChunk&) = delete;

    virtual void AssignFrom(const TChunk& source);
    virtual bool ReadChunk(TStream& stream, const char* name, uint32_t length);
    virtual bool WriteChunk(TStream& stream);

    void SetDataSize(int32_t size);
    int32_t DataSize() const { return FDataSize; }
    uint8_t* Data() { return FData; }
    const uint8_t* Data() const { return FData; }
    std::string Name() const { return std::string(FName, 4); }
    void SetName(const char* name);
    TQorvPNGObject* Owner() const { return FOwner; }
    TChunkIHDR& OwnerHeader() const;
    bool WriteRawChunk(TStream& stream);

protected:
    // Sets the name from the class when it names exactly four letters.
    void InitName();
    // What reading keeps beyond the chunk data (texts) counts against the
    // owner's chunk limits; EPNGLimitExceeded past them.
    void ChargeOwnerMemory(uint64_t bytes) { FOwner->ChargeChunkMemory(bytes); }
    uint64_t OwnerMemoryLeft() const { return FOwner->ChunkMemoryLeft(); }

    TQorvPNGObject* FOwner;
    uint8_t* FData = nullptr;
    int32_t FDataSize = 0;
    char FName[4] = {0, 0, 0, 0};
};

class TChunkIEND : public TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunkIEND(TQorvPNGObject* owner);
};

class TChunkIHDR : public TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunkIHDR(TQorvPNGObject* owner);
    ~TChunkIHDR() override;

    void AssignFrom(const TChunk& source) override;
    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;
    bool WriteChunk(TStream& stream) override;

    void PrepareImage();
    // The pixel buffer holds 2-bit images as 4-bit ones; they are written so.
    void PromoteTwoBitDepth();
    void FreeImage();

    // Header fields as read from the file.
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint8_t BitDepth = 0;
    uint8_t ColorType = 0;
    uint8_t CompressionMethod = 0;
    uint8_t FilterMethod = 0;
    uint8_t InterlaceMethod = 0;

    // The decoded image.
    bool HasPalette = false;
    TPNGBitmapInfo BitmapInfo{};
    size_t BytesPerRow = 0;
    uint8_t* ImageData = nullptr;
    uint8_t* ImageAlpha = nullptr;
    // Grey and RGB images decoded with a tRNS key: one byte per pixel, in
    // image row order, 1 where the file's samples equal the key. The stored
    // pixels cannot tell: 16-bit samples keep their high byte only and gamma
    // may give two samples one value. Empty when the key is a stored colour.
    std::vector<uint8_t> KeyMask;

    TPNGPixelStore* Store() const { return FStore.get(); }
    void* ImageHandle() const { return FStore ? FStore->BitmapHandle() : nullptr; }
    void* ImageDC() const { return FStore ? FStore->DeviceContext() : nullptr; }
    // Hands the colour table to the pixel store after it changed.
    void SyncColorTable();

private:
    std::unique_ptr<TPNGPixelStore> FStore;
};

struct TPNGInflateState;
struct TPNGDeflateState;
struct TPNGDeflateDeleter {
    void operator()(TPNGDeflateState* state) const;
};
struct TPNGKeyTarget;

class TChunkIDAT : public TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunkIDAT(TQorvPNGObject* owner);
    ~TChunkIDAT() override;

    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;
    // Encodes the header's image into as many IDAT chunks as it needs.
    bool WriteChunk(TStream& stream) override;

    // The filter of the raw row among the image's filter set; leaves the
    // filtered row in its output buffer and the raw row as the prior row.
    uint8_t ChooseRowFilter();
    void PushImageBytes(const uint8_t* bytes, size_t count);
    void FlushImageStream();
    static void EmitImageChunk(TStream& stream, const uint8_t* bytes, size_t count);

private:
    void StartDeflate(TStream& stream, int level, uint32_t maxChunk);
    void EndDeflate();
    void EncodeRow(const uint8_t* src, const uint8_t* alpha, size_t first, size_t step,
                   size_t pixels);
    void EncodeNonInterlaced();
    void EncodeInterlaced();

    void StartInflate(TStream& stream);
    void EndInflate();
    size_t PullImageBytes(uint8_t* buffer, size_t count);
    void GreyRampPalette();
    void DecodeNonInterlaced(const TPNGKeyTarget* key);
    void DecodeInterlaced(const TPNGKeyTarget* key);

    TChunkIHDR* FHeader = nullptr;
    uint32_t FImageWidth = 0;
    uint32_t FImageHeight = 0;
    size_t FRowBytes = 0;
    size_t FOffset = 0;
    std::vector<uint8_t> FRowBuffer[2];
    int FRowUsed = 0;
    std::unique_ptr<TPNGInflateState> FInflate;
    // Writing: the raw row, the prior row (also the None output) and one
    // output per filter 1..4, each with the filter byte in front.
    std::vector<uint8_t> FRaw;
    std::vector<uint8_t> FPrior;
    std::vector<uint8_t> FFiltered[5];
    bool FIdentityInverse = true;
    std::unique_ptr<TPNGDeflateState, TPNGDeflateDeleter> FDeflate;
};

class TChunkPLTE : public TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunkPLTE(TQorvPNGObject* owner);

    void AssignFrom(const TChunk& source) override;
    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;
    bool WriteChunk(TStream& stream) override;

    TPNGRGBQuad PaletteEntry(int index) const;
    int Count() const { return FCount; }
    void SetCount(int count) { FCount = count < 0 ? 0 : count > 256 ? 256 : count; }

private:
    int FCount = 0;
};

class TChunkgAMA : public TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunkgAMA(TQorvPNGObject* owner);

    void AssignFrom(const TChunk& source) override;
    // A chunk whose data is not 4 bytes long changes nothing and is kept as
    // read.
    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;

    // The value times 100000; 1 when the data is not 4 bytes long.
    uint32_t GammaValue() const;
    void SetGammaValue(uint32_t value);
};

class TChunktRNS : public TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunktRNS(TQorvPNGObject* owner);

    void AssignFrom(const TChunk& source) override;
    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;
    bool WriteChunk(TStream& stream) override;

    // 0x00BBGGRR as the pixel buffer or colour table holds the key: a grey
    // key through the grey ramp, RGB keys from their high bytes with gamma.
    uint32_t TransparentColorOf() const;
    // Makes color (as stored) the key; the file's key gives way to it.
    void AssignTransparentColor(uint32_t color);

    bool BitTransparency = false;
    uint8_t PaletteValues[256] = {};
};

class TChunktIME : public TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunktIME(TQorvPNGObject* owner);

    void AssignFrom(const TChunk& source) override;
    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;
    bool WriteChunk(TStream& stream) override;

    uint16_t Year = 0;
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint8_t Hour = 0;
    uint8_t Minute = 0;
    uint8_t Second = 0;
};

class TChunktEXt : public TChunk {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunktEXt(TQorvPNGObject* owner);

    void AssignFrom(const TChunk& source) override;
    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;
    bool WriteChunk(TStream& stream) override;

    std::string Keyword;
    std::string Text;
};

class TChunkzTXt : public TChunktEXt {
public:
    static const TChunkClassInfo ClassInfo;
    TChunkClass ClassType() const override { return &ClassInfo; }
    explicit TChunkzTXt(TQorvPNGObject* owner);

    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;
    bool WriteChunk(TStream& stream) override;
};

// One-shot zlib over a memory block; on failure errorText holds zlib's message.
// Inflating stops as soon as the output passes limit bytes; exceeded then
// tells the caller (when given) that the limit, not the data, ended it.
bool InflateText(const uint8_t* input, size_t inputSize, std::string& output,
                 std::string& errorText, size_t limit = SIZE_MAX, bool* exceeded = nullptr);
bool DeflateText(const uint8_t* input, size_t inputSize, int level, std::string& output,
                 std::string& errorText);

// ---------------------------------------------------------------------------
// The chunk list: the image's chunks in file order, owned by the list.

class TPNGList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Null outside 0..Count()-1.
    TChunk* ChunkAt(int index) const;
    // Appends the chunk and returns it.
    TChunk* Append(std::unique_ptr<TChunk> chunk);
    template <class T>
    T* Append(std::unique_ptr<T> chunk) {
        T* item = chunk.get();
        Append(std::unique_ptr<TChunk>(std::move(chunk)));
        return item;
    }
    // Takes the last entry holding chunk out of the list; null when absent.
    std::unique_ptr<TChunk> Extract(const TChunk* chunk);
    // Frees every chunk, the header last: the others may look at it.
    void Clear();

    // The first chunk whose class is cls or derives from it.
    TChunk* FindByClass(TChunkClass cls) const;
    template <class T>
    T* Find() const {
        return static_cast<T*>(FindByClass(&T::ClassInfo));
    }

private:
    std::vector<std::unique_ptr<TChunk>> FItems;
};

// Chunk class registry. Adding a class already registered changes nothing.
void AddChunkClass(TChunkClass cls);
void AddStandardChunkClasses();
void ReleaseChunkClasses();
std::unique_ptr<TChunk> NewChunkForName(TQorvPNGObject* image, const char* name);

// ---------------------------------------------------------------------------
// Codec helpers

// Packed bytes of a row of pixels.
size_t RowByteCount(size_t pixels, uint8_t colorType, uint8_t bitDepth);

// The entry of least squared RGB distance to color (0x00BBGGRR), first on
// ties, among count entries step apart from the first.
int NearestColorIndex(const TPNGRGBQuad* colors, int count, uint32_t color, int step = 1);

// Blends a partially transparent image over a background of width x height
// 32-bit top-down pixels (blue, green, red, unused), stretching it to that
// size by dropping or repeating pixels. The arithmetic of blended drawing.
void BlendImageOver(const TQorvPNGObject& image, uint8_t* background, int width, int height);

// The pixels keyed drawing leaves transparent: width x height bytes in image
// row order (row 0 first), 1 where the background shows. Grey and RGB images
// read with a key follow the file's samples; every other keyed image shows
// the background where its stored colour equals TransparentColorOf.
std::vector<uint8_t> TransparentPixelsOf(const TQorvPNGObject& image);

// The host bitmap's side of AssignFrom and AssignInto (Windows); false when
// the other graphic is not a host bitmap.
bool AssignFromHostBitmap(TQorvPNGObject& image, const TGraphic& source);
bool AssignIntoHostBitmap(const TQorvPNGObject& image, TGraphic& destination);
