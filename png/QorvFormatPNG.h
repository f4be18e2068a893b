// QorvFormatPNG: Portable Network Graphics images as a graphic class of the
// picture framework. The image object holds the file's chunks in file order;
// the header chunk owns the decoded picture, a bottom-up device-independent
// bitmap with a 256-entry colour table and, for images with an alpha channel,
// a separate alpha plane of one byte per pixel.
//
// This header is what the program and other units use. The chunk classes,
// the chunk list and the codec's helpers are in QorvFormatPNG_internal.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/Classes.h"
#include "framework/Picture.h"
#include "framework/SysUtils.h"

// ---------------------------------------------------------------------------
// Exceptions: one class per kind of failure, each with its fixed message,
// all derived from EPNGException so that a caller can catch any failure of
// the unit in one place.

class EPNGException : public Exception {
public:
    using Exception::Exception;
};

class EPNGInvalidFileHeader : public EPNGException {
public:
    EPNGInvalidFileHeader();
};
class EPngUnexpectedEnd : public EPNGException {
public:
    EPngUnexpectedEnd();
};
class EPNGIHDRNotFirst : public EPNGException {
public:
    EPNGIHDRNotFirst();
};
class EPNGUnknownCriticalChunk : public EPNGException {
public:
    EPNGUnknownCriticalChunk();
};
class EPngInvalidCRC : public EPNGException {
public:
    EPngInvalidCRC();
};
class EPNGNoImageData : public EPNGException {
public:
    EPNGNoImageData();
};
class EPngInvalidIHDR : public EPNGException {
public:
    EPngInvalidIHDR();
};
class EPNGSizeExceeds : public EPNGException {
public:
    EPNGSizeExceeds();
};
class EPNGUnknownCompression : public EPNGException {
public:
    EPNGUnknownCompression();
};
class EPNGUnknownInterlace : public EPNGException {
public:
    EPNGUnknownInterlace();
};
class EPNGMissingMultipleIDAT : public EPNGException {
public:
    EPNGMissingMultipleIDAT();
};
class EPNGZLIBError : public EPNGException {
public:
    // The zlib return code selects the description appended to the message.
    explicit EPNGZLIBError(int zlibCode);
};
class EPNGInvalidPalette : public EPNGException {
public:
    EPNGInvalidPalette();
};
class EPNGOutMemory : public EPNGException {
public:
    EPNGOutMemory();
    // A failed system call: what failed and the system's text follow the
    // fixed message on a line of their own.
    explicit EPNGOutMemory(const std::string& detail);
};
class EPNGHeaderNotPresent : public EPNGException {
public:
    EPNGHeaderNotPresent();
};
class EPngError : public EPNGException {
public:
    using EPNGException::EPNGException;
};
// The file needs more than the image's reading limits allow (SetImageLimits,
// SetChunkLimits).
class EPNGLimitExceeded : public EPNGException {
public:
    EPNGLimitExceeded();
};

extern const char* const SPngErrorResize;
extern const char* const SPngErrorIncompatibleChunks;
extern const char* const SPngErrorNoPaletteEntry;
extern const char* const SPngZlibErrorPrefix;
extern const char* const SPngErrorCompressionLevel;
extern const char* const SPngCompressErrorPrefix;
extern const char* const SPngErrorNoSuchRow;
extern const char* const SPngErrorInterlaceMethod;

// The unit's description of a zlib return code (-6..2).
std::string ZlibErrorText(int code);

// ---------------------------------------------------------------------------
// The image object

class TChunk;
class TChunkIHDR;
class TPNGList;

enum TTransparencyKind { tkNone = 0, tkBit = 1, tkPartial = 2 };

// Bit n set: row filter n enabled (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth).
using TFilters = uint8_t;

// What reading one file may take, in the manner of libspng's image and chunk
// limits. The defaults suit files from anywhere: one image of at most 1 GiB
// of pixels (a fixed cap besides these), and chunk data and texts of tens of
// MiB. A file past a limit is refused with EPNGLimitExceeded before the
// memory it asks for is taken.
struct TPNGLimits {
    // Largest width and height read; never above the format's 65535 here.
    uint32_t MaxWidth = 65535;
    uint32_t MaxHeight = 65535;
    // The data of one kept chunk (image data is not kept), and one text once
    // inflated.
    uint32_t MaxChunkSize = 16u << 20;
    // All kept chunk data and texts of one image together.
    uint64_t MaxChunkCache = 64u << 20;
};

// Largest image-data chunk the writer makes: its output buffer is allocated
// whole before writing begins.
inline constexpr uint32_t MaxIdatSizeLimit = 16u << 20;

using TGammaTable = uint8_t[256];

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

    // The chunks, the settings and the gamma tables: a copy writes the same
    // file as its source.
    void CopyFromImage(const TQorvPNGObject& source);
    // bitmap is an HBITMAP; color is 0x00BBGGRR. Windows only.
    void CopyFromBitmap(void* bitmap, bool transparent, uint32_t color);
    void RemoveAllChunks();
    void ResetGammaTables();

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    bool Transparent() const override;

    bool HasHeader() const;
    TChunkIHDR& RequireHeader() const;
    void RowGeometry(size_t& rowBytes, size_t& offset) const;
    // Row y of the pixel buffer (row 0 is the image's top); a row outside
    // the image is refused with EPngError.
    uint8_t* RowPointer(int y) const;

    TTransparencyKind TransparencyKindOf() const;
    // 0x00BBGGRR, as the pixel buffer or the colour table holds it.
    uint32_t TransparentColorOf() const;
    virtual uint32_t ReadPixel(int x, int y);
    virtual void WritePixel(int x, int y, uint32_t color);

    // HPALETTE on Windows, built on demand and cached; 0 elsewhere.
    uintptr_t PaletteHandle() const override;
    void ReleasePaletteHandle();
    // The entry nearest to color (least squared RGB distance, first on
    // ties, as GetNearestPaletteIndex chooses) among those a pixel of this
    // image can hold: the PLTE's entries, or the grey levels of its depth.
    // EPngError when there are none.
    int NearestPaletteIndex(uint32_t color) const;

    const TPNGList& Chunks() const { return *FChunks; }
    TPNGList& Chunks() { return *FChunks; }

    // File sample to stored value, and back; identities without gAMA.
    const TGammaTable& GammaTable() const { return FGammaTable; }
    const TGammaTable& InverseGamma() const { return FInverseGamma; }

    // Reading limits; see TPNGLimits. Width and height are taken within
    // 1..65535, sizes of 0 as 1.
    void SetImageLimits(uint32_t maxWidth, uint32_t maxHeight);
    void SetChunkLimits(uint32_t maxChunkSize, uint64_t maxChunkCache);
    const TPNGLimits& Limits() const { return FLimits; }

    TFilters Filters() const { return FFilters; }
    void SetFilters(TFilters value) { FFilters = value & 0x1F; }
    // zlib's levels 0..9; writing refuses any other.
    uint8_t CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(uint8_t value) { FCompressionLevel = value; }
    uint32_t MaxIdatSize() const { return FMaxIdatSize; }
    // Kept within 65535..MaxIdatSizeLimit.
    void SetMaxIdatSize(uint32_t value);
    uint8_t InterlaceMethod() const { return FInterlaceMethod; }
    // 0 (none) or 1 (Adam7); any other value is refused with EPngError.
    void SetInterlaceMethod(uint8_t value);

private:
    friend class TChunk;
    friend class TChunkgAMA;
    void ReadChunks(TStream& stream);
    // Counts bytes of chunk data or text that reading keeps against the
    // chunk limits; EPNGLimitExceeded past them.
    void ChargeChunkMemory(uint64_t bytes);
    uint64_t ChunkMemoryLeft() const;

    TGammaTable FGammaTable;
    TGammaTable FInverseGamma;
    TPNGLimits FLimits;
    // Kept chunk data and texts since the chunk list was last emptied.
    uint64_t FChunkMemory = 0;
    mutable void* FPaletteHandle = nullptr;
    TFilters FFilters = 1 << 1; // {Sub}
    uint8_t FCompressionLevel = 7;
    uint32_t FMaxIdatSize = 65535;
    uint8_t FInterlaceMethod = 0;
    std::unique_ptr<TPNGList> FChunks;
};

// Registers everything the unit needs: the chunk classes and TQorvPNGObject
// with the picture framework. The program's start-up calls it once, before
// any picture is read; calling it again changes nothing.
void RegisterPNGGraphicClass();
// Undoes RegisterPNGGraphicClass.
void UnregisterPNGGraphicClass();
