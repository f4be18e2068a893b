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
    // A failed system call: what failed and the system's text follow the
    // fixed message on a line of their own.
    explicit EPNGOutMemory(const std::string& detail);
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
extern const char* const SPngErrorCompressionLevel;
extern const char* const SPngCompressErrorPrefix;

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
    uint8_t* RowPointer(int y) const;

    TTransparencyKind TransparencyKindOf() const;
    // 0x00BBGGRR, as the pixel buffer or the colour table holds it.
    uint32_t TransparentColorOf() const;
    virtual uint32_t ReadPixel(int x, int y);
    virtual void WritePixel(int x, int y, uint32_t color);

    // HPALETTE on Windows, built on demand and cached; 0 elsewhere.
    uintptr_t PaletteHandle() const override;
    void ReleasePaletteHandle();
    // The palette index GetNearestPaletteIndex would give for color.
    int NearestPaletteIndex(uint32_t color);

    const TPNGList& Chunks() const { return *FChunks; }
    TPNGList& Chunks() { return *FChunks; }

    uint8_t GammaTable[256];
    uint8_t InverseGamma[256];

    TFilters Filters() const { return FFilters; }
    void SetFilters(TFilters value) { FFilters = value & 0x1F; }
    // zlib's levels 0..9; writing refuses any other.
    uint8_t CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(uint8_t value) { FCompressionLevel = value; }
    uint32_t MaxIdatSize() const { return FMaxIdatSize; }
    void SetMaxIdatSize(uint32_t value) { FMaxIdatSize = value < 65535 ? 65535 : value; }
    uint8_t InterlaceMethod() const { return FInterlaceMethod; }
    void SetInterlaceMethod(uint8_t value) { FInterlaceMethod = value; }

private:
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
