// QorvFormatPNG: Portable Network Graphics images. The image object holds the
// file's chunks in file order; the header chunk owns the decoded picture, a
// bottom-up device-independent bitmap with a 256-entry colour table and, for
// images with an alpha channel, a separate alpha plane of one byte per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Picture.h"
#include "framework/SysUtils.h"

// ---------------------------------------------------------------------------
// Exceptions: one class per kind of failure, each with its fixed message.

class EPNGInvalidFileHeader : public Exception {
public:
    EPNGInvalidFileHeader();
};
class EPngUnexpectedEnd : public Exception {
public:
    EPngUnexpectedEnd();
};
class EPNGIHDRNotFirst : public Exception {
public:
    EPNGIHDRNotFirst();
};
class EPNGUnknownCriticalChunk : public Exception {
public:
    EPNGUnknownCriticalChunk();
};
class EPngInvalidCRC : public Exception {
public:
    EPngInvalidCRC();
};
class EPNGNoImageData : public Exception {
public:
    EPNGNoImageData();
};
class EPngInvalidIHDR : public Exception {
public:
    EPngInvalidIHDR();
};
class EPNGSizeExceeds : public Exception {
public:
    EPNGSizeExceeds();
};
class EPNGUnknownCompression : public Exception {
public:
    EPNGUnknownCompression();
};
class EPNGUnknownInterlace : public Exception {
public:
    EPNGUnknownInterlace();
};
class EPNGMissingMultipleIDAT : public Exception {
public:
    EPNGMissingMultipleIDAT();
};
class EPNGZLIBError : public Exception {
public:
    // The zlib return code selects the description appended to the message.
    explicit EPNGZLIBError(int zlibCode);
};
class EPNGInvalidPalette : public Exception {
public:
    EPNGInvalidPalette();
};
class EPNGOutMemory : public Exception {
public:
    EPNGOutMemory();
};
class EPNGHeaderNotPresent : public Exception {
public:
    EPNGHeaderNotPresent();
};
class EPngError : public Exception {
public:
    using Exception::Exception;
};

extern const char* const SPngErrorResize;
extern const char* const SPngErrorIncompatibleChunks;
extern const char* const SPngErrorNoPaletteEntry;
extern const char* const SPngZlibErrorPrefix;

// The unit's description of a zlib return code (-6..2).
std::string ZlibErrorText(int code);

// ---------------------------------------------------------------------------
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
    // info (its colour table included); null when it cannot be made.
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
#ifdef _WIN32
std::unique_ptr<TPNGPixelStore> NewPNGDIBPixelStore();
#endif

// ---------------------------------------------------------------------------
// Chunks

class TQorvPNGObject;
class TChunk;
class TChunkIHDR;

// A chunk class as the registry and the class searches see it: its name,
// its base class and its constructor.
struct TChunkClassInfo {
    const char* ClassName;
    const TChunkClassInfo* Parent;
    TChunk* (*Create)(TQorvPNGObject* owner);

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
    void DecodeNonInterlaced();
    void DecodeInterlaced();

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
    bool ReadChunk(TStream& stream, const char* name, uint32_t length) override;

    uint32_t GammaValue();
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

    // 0x00BBGGRR.
    uint32_t TransparentColorOf() const;
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
bool InflateText(const uint8_t* input, size_t inputSize, std::string& output,
                 std::string& errorText);
bool DeflateText(const uint8_t* input, size_t inputSize, int level, std::string& output,
                 std::string& errorText);

// ---------------------------------------------------------------------------
// Lists

class TPNGPointerList {
public:
    explicit TPNGPointerList(void* owner = nullptr) : FOwner(owner) {}
    virtual ~TPNGPointerList() = default;

    void Append(void* item);
    void* ItemAt(int index) const;
    void StoreAt(int index, void* item);
    void SetCount(int count);
    int Count() const { return static_cast<int>(FItems.size()); }
    virtual void* Extract(void* item);
    void* Owner() const { return FOwner; }

private:
    void* FOwner;
    std::vector<void*> FItems;
};

class TPNGList : public TPNGPointerList {
public:
    using TPNGPointerList::TPNGPointerList;
    TChunk* ChunkAt(int index) const { return static_cast<TChunk*>(ItemAt(index)); }
    TChunk* FindByClass(TChunkClass cls) const;
    template <class T>
    T* Find() const {
        return static_cast<T*>(FindByClass(&T::ClassInfo));
    }
};

// Chunk class registry.
void AddChunkClass(TChunkClass cls);
void AddStandardChunkClasses();
void ReleaseChunkClasses();
TChunk* NewChunkForName(TQorvPNGObject* image, const char* name);

// ---------------------------------------------------------------------------
// The image object

enum TTransparencyKind { tkNone = 0, tkBit = 1, tkPartial = 2 };

enum TFilter { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };
using TFilters = uint8_t; // bit n set: filter n enabled

// The picture framework's graphic class for PNG files, registered under the
// extension "PNG" and the class name "TQorvPNGObject".
class TQorvPNGObject : public TGraphic {
public:
    TQorvPNGObject();
    ~TQorvPNGObject() override;
    TQorvPNGObject(const TQorvPNGObject&) = delete;
    TQorvPNGObject& operator=(const TQorvPNGObject&) = delete;

    std::string GraphicClassName() const override { return "TQorvPNGObject"; }

    virtual void ReadStream(TStream& stream);
    virtual void WriteStream(TStream& stream);
    void LoadFromStream(TStream& stream) override { ReadStream(stream); }
    // Writing rebuilds chunk data from the chunks' fields (and a 2-bit header
    // becomes 4-bit), so it cannot be const in substance.
    void SaveToStream(TStream& stream) const override {
        const_cast<TQorvPNGObject*>(this)->WriteStream(stream);
    }

    // Null: empty; another PNG image: a copy; the host bitmap (Windows): a
    // PNG built from it; anything else: the framework's refusal.
    void AssignFrom(const TGraphic* source) override;
    // Into another PNG image, or the host bitmap (Windows).
    void AssignInto(TGraphic& destination) const override;
    void PaintTo(TCanvas& canvas, const TRect& rect) override;
    void LoadFromClipboardFormat(uint32_t format, uintptr_t data) override;
    void SaveToClipboardFormat(uint32_t& format, uintptr_t& data) const override;

    void CopyFromImage(const TQorvPNGObject& source);
    // bitmap is an HBITMAP; color is 0x00BBGGRR. Windows only.
    void CopyFromBitmap(void* bitmap, bool transparent, uint32_t color);
    void RemoveAllChunks();
    void ResetGammaTables();

    bool Empty() const override { return FChunks.Count() == 0; }
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    bool Transparent() const override;

    bool HasHeader() const;
    TChunkIHDR& RequireHeader() const;
    void RowGeometry(size_t& rowBytes, size_t& offset) const;
    uint8_t* RowPointer(int y) const;

    TTransparencyKind TransparencyKindOf() const;
    uint32_t TransparentColorOf() const;
    virtual uint32_t ReadPixel(int x, int y);
    virtual void WritePixel(int x, int y, uint32_t color);

    // HPALETTE on Windows, built on demand and cached; 0 elsewhere.
    uintptr_t PaletteHandle() const override;
    void ReleasePaletteHandle();
    // The palette index GetNearestPaletteIndex would give for color.
    int NearestPaletteIndex(uint32_t color);

    const TPNGList& Chunks() const { return FChunks; }
    TPNGList& Chunks() { return FChunks; }

    uint8_t GammaTable[256];
    uint8_t InverseGamma[256];

    TFilters Filters() const { return FFilters; }
    void SetFilters(TFilters value) { FFilters = value & 0x1F; }
    uint8_t CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(uint8_t value) { FCompressionLevel = value; }
    uint32_t MaxIdatSize() const { return FMaxIdatSize; }
    void SetMaxIdatSize(uint32_t value) { FMaxIdatSize = value < 65535 ? 65535 : value; }
    uint8_t InterlaceMethod() const { return FInterlaceMethod; }
    void SetInterlaceMethod(uint8_t value) { FInterlaceMethod = value; }

#ifdef _WIN32
    // dc is an HDC; colour is 0x00BBGGRR.
    void DrawKeyedBitmap(void* dc, const uint8_t* pixels, const TPNGBitmapInfo& info,
                         uint32_t color, const TRect& rect);
    void DrawBlended(void* dc, const TRect& rect);
#endif

private:
    mutable void* FPaletteHandle = nullptr;
    TFilters FFilters = 1 << pfSub;
    uint8_t FCompressionLevel = 7;
    uint32_t FMaxIdatSize = 65535;
    uint8_t FInterlaceMethod = 0;
    TPNGList FChunks;
};

// The entry of least squared RGB distance to color (0x00BBGGRR), first on ties.
int NearestColorIndex(const TPNGRGBQuad* colors, int count, uint32_t color);

// Blends a partially transparent image over a background of width x height
// 32-bit top-down pixels (blue, green, red, unused), stretching it to that
// size by dropping or repeating pixels. The arithmetic of blended drawing.
void BlendImageOver(const TQorvPNGObject& image, uint8_t* background, int width, int height);

// The host bitmap's side of AssignFrom and AssignInto (Windows); false when
// the other graphic is not a host bitmap.
bool AssignFromHostBitmap(TQorvPNGObject& image, const TGraphic& source);
bool AssignIntoHostBitmap(const TQorvPNGObject& image, TGraphic& destination);

// Registers TQorvPNGObject with the picture framework. Unit start-up does
// this already; a program that only finds the class by name calls it so that
// the linker keeps the unit.
void RegisterPNGGraphicClass();

// Packed bytes of a row of pixels.
size_t RowByteCount(size_t pixels, uint8_t colorType, uint8_t bitDepth);
