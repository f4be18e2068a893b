// File structure: signature, chunk loop, CRC, chunk registry, lists and the
// image object's life cycle.
#include "png/QorvFormatPNG.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

// ---------------------------------------------------------------------------
// Messages

namespace {
const char* const SInvalidFileHeader =
    "The file being readed is not a valid \"Portable Network Graphics\" image because it "
    "contains an invalid header. This file may be corruped, try obtaining it again.";
const char* const SUnexpectedEnd = "This \"Portable Network Graphics\" image is invalid because "
                                   "the decoder found an unexpected end of the file.";
const char* const SIHDRNotFirst = "This \"Portable Network Graphics\" image is not supported or "
                                  "it might be invalid.\r\n(IHDR chunk is not the first)";
const char* const SUnknownCriticalChunk =
    "This \"Portable Network Graphics\" image contains an unknown critical part which could not "
    "be decoded.";
const char* const SInvalidCRC = "This \"Portable Network Graphics\" image is not valid because "
                                "it contains invalid pieces of data (crc error)";
const char* const SNoImageData = "This \"Portable Network Graphics\" image contains no data.";
const char* const SInvalidIHDR =
    "The \"Portable Network Graphics\" image could not be loaded because one of its main piece "
    "of data (ihdr) might be corrupted";
const char* const SSizeExceeds =
    "This \"Portable Network Graphics\" image is not supported because either it's width or "
    "height exceeds the maximum size, which is 65535 pixels length.";
const char* const SUnknownCompression =
    "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme "
    "which could not be decoded.";
const char* const SUnknownInterlace = "This \"Portable Network Graphics\" image uses an unknown "
                                      "interlace scheme which could not be decoded.";
const char* const SMissingMultipleIDAT = "This \"Portable Network Graphics\" image is invalid "
                                         "because it has missing image parts.";
const char* const SInvalidPalette =
    "The \"Portable Network Graphics\" image contains an invalid palette.";
const char* const SOutMemory = "Some operation could not be performed because the system is out "
                               "of resources. Close some windows and try again.";
const char* const SHeaderNotPresent =
    "This operation is not valid because the current image contains no valid header.";

const char* const ZlibErrors[] = {"incompatible version (-6)",
                                  "buffer error (-5)",
                                  "insufficient memory (-4)",
                                  "data error (-3)",
                                  "stream error (-2)",
                                  "file error (-1)",
                                  "(0)",
                                  "stream end (1)",
                                  "need dictionary (2)"};
} // namespace

const char* const SPngErrorResize =
    "The \"Portable Network Graphics\" image can not be resize by changing width and height "
    "properties. Try assigning the image from a bitmap.";
const char* const SPngErrorIncompatibleChunks = "The chunks must be compatible to be assigned.";
const char* const SPngErrorNoPaletteEntry = "There is no such palette entry.";
const char* const SPngZlibErrorPrefix =
    "Could not decompress the image because it contains invalid compressed data.\r\n "
    "Description: ";

std::string ZlibErrorText(int code) {
    std::string text;
    if (code >= -6 && code <= 2) {
        text.append(ZlibErrors[code + 6]);
    } else {
        text.append(1, '(').append(std::to_string(code)).append(1, ')');
    }
    return text;
}

EPNGInvalidFileHeader::EPNGInvalidFileHeader() : Exception(SInvalidFileHeader) {}
EPngUnexpectedEnd::EPngUnexpectedEnd() : Exception(SUnexpectedEnd) {}
EPNGIHDRNotFirst::EPNGIHDRNotFirst() : Exception(SIHDRNotFirst) {}
EPNGUnknownCriticalChunk::EPNGUnknownCriticalChunk() : Exception(SUnknownCriticalChunk) {}
EPngInvalidCRC::EPngInvalidCRC() : Exception(SInvalidCRC) {}
EPNGNoImageData::EPNGNoImageData() : Exception(SNoImageData) {}
EPngInvalidIHDR::EPngInvalidIHDR() : Exception(SInvalidIHDR) {}
EPNGSizeExceeds::EPNGSizeExceeds() : Exception(SSizeExceeds) {}
EPNGUnknownCompression::EPNGUnknownCompression() : Exception(SUnknownCompression) {}
EPNGUnknownInterlace::EPNGUnknownInterlace() : Exception(SUnknownInterlace) {}
EPNGMissingMultipleIDAT::EPNGMissingMultipleIDAT() : Exception(SMissingMultipleIDAT) {}
EPNGZLIBError::EPNGZLIBError(int zlibCode)
    : Exception(SPngZlibErrorPrefix + ZlibErrorText(zlibCode)) {}
EPNGInvalidPalette::EPNGInvalidPalette() : Exception(SInvalidPalette) {}
EPNGOutMemory::EPNGOutMemory() : Exception(SOutMemory) {}
EPNGHeaderNotPresent::EPNGHeaderNotPresent() : Exception(SHeaderNotPresent) {}

// ---------------------------------------------------------------------------
// CRC: zlib's implementation is the same polynomial and much faster than a
// byte-wise table; it works on the complemented register.

uint32_t Crc32Update(uint32_t crc, const void* data, size_t length) {
    const auto* p = static_cast<const Bytef*>(data);
    uLong value = ~crc & 0xFFFFFFFFu;
    while (length > 0) {
        const auto n = static_cast<uInt>(std::min<size_t>(length, 0x40000000u));
        value = crc32(value, p, n);
        p += n;
        length -= n;
    }
    return ~static_cast<uint32_t>(value);
}

// ---------------------------------------------------------------------------
// Lists

void TPNGPointerList::Append(void* item) {
    FItems.push_back(item);
}

void* TPNGPointerList::ItemAt(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[static_cast<size_t>(index)];
}

void TPNGPointerList::StoreAt(int index, void* item) {
    if (index >= 0 && index < Count())
        FItems[static_cast<size_t>(index)] = item;
}

void TPNGPointerList::SetCount(int count) {
    if (count <= 0) {
        FItems.clear();
        FItems.shrink_to_fit();
    } else {
        FItems.resize(static_cast<size_t>(count), nullptr);
    }
}

void* TPNGPointerList::Extract(void* item) {
    for (size_t i = FItems.size(); i-- > 0;) {
        if (FItems[i] == item) {
            FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
            return item;
        }
    }
    return nullptr;
}

TChunk* TPNGList::FindByClass(TChunkClass cls) const {
    for (int i = 0; i < Count(); ++i) {
        TChunk* chunk = ChunkAt(i);
        if (chunk && chunk->ClassType()->InheritsFrom(*cls))
            return chunk;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Chunk classes and their registry

bool TChunkClassInfo::InheritsFrom(const TChunkClassInfo& other) const {
    for (const TChunkClassInfo* c = this; c; c = c->Parent)
        if (c == &other)
            return true;
    return false;
}

std::string ChunkNameOf(TChunkClass cls) {
    const std::string name = cls ? cls->ClassName : "";
    return name.size() > 6 ? name.substr(6) : std::string();
}

template <class T>
static TChunk* CreateChunk(TQorvPNGObject* owner) {
    return new T(owner);
}

const TChunkClassInfo TChunk::ClassInfo{"TChunk", nullptr, &CreateChunk<TChunk>};
const TChunkClassInfo TChunkIEND::ClassInfo{"TChunkIEND", &TChunk::ClassInfo,
                                            &CreateChunk<TChunkIEND>};
const TChunkClassInfo TChunkIHDR::ClassInfo{"TChunkIHDR", &TChunk::ClassInfo,
                                            &CreateChunk<TChunkIHDR>};
const TChunkClassInfo TChunkIDAT::ClassInfo{"TChunkIDAT", &TChunk::ClassInfo,
                                            &CreateChunk<TChunkIDAT>};
const TChunkClassInfo TChunkPLTE::ClassInfo{"TChunkPLTE", &TChunk::ClassInfo,
                                            &CreateChunk<TChunkPLTE>};
const TChunkClassInfo TChunkgAMA::ClassInfo{"TChunkgAMA", &TChunk::ClassInfo,
                                            &CreateChunk<TChunkgAMA>};
const TChunkClassInfo TChunktRNS::ClassInfo{"TChunktRNS", &TChunk::ClassInfo,
                                            &CreateChunk<TChunktRNS>};
const TChunkClassInfo TChunktIME::ClassInfo{"TChunktIME", &TChunk::ClassInfo,
                                            &CreateChunk<TChunktIME>};
const TChunkClassInfo TChunktEXt::ClassInfo{"TChunktEXt", &TChunk::ClassInfo,
                                            &CreateChunk<TChunktEXt>};
const TChunkClassInfo TChunkzTXt::ClassInfo{"TChunkzTXt", &TChunktEXt::ClassInfo,
                                            &CreateChunk<TChunkzTXt>};

namespace {
TPNGPointerList* ChunkClasses = nullptr;

// Unit start-up and shutdown.
struct TUnitLifetime {
    TUnitLifetime() {
        AddStandardChunkClasses();
        RegisterPNGGraphicClass();
    }
    ~TUnitLifetime() {
        UnregisterGraphicClass("TQorvPNGObject");
        ReleaseChunkClasses();
    }
} UnitLifetime;
} // namespace

void RegisterPNGGraphicClass() {
    RegisterGraphicClass({"TQorvPNGObject", "PNG", "Portable Network Graphics",
                          [] { return std::make_unique<TQorvPNGObject>(); }});
}

void AddChunkClass(TChunkClass cls) {
    if (!ChunkClasses)
        ChunkClasses = new TPNGPointerList();
    ChunkClasses->Append(new TChunkClass(cls));
}

void AddStandardChunkClasses() {
    AddChunkClass(&TChunkIEND::ClassInfo);
    AddChunkClass(&TChunkIHDR::ClassInfo);
    AddChunkClass(&TChunkIDAT::ClassInfo);
    AddChunkClass(&TChunkPLTE::ClassInfo);
    AddChunkClass(&TChunkgAMA::ClassInfo);
    AddChunkClass(&TChunktRNS::ClassInfo);
    AddChunkClass(&TChunktIME::ClassInfo);
    AddChunkClass(&TChunktEXt::ClassInfo);
    AddChunkClass(&TChunkzTXt::ClassInfo);
}

void ReleaseChunkClasses() {
    if (!ChunkClasses)
        return;
    for (int i = 0; i < ChunkClasses->Count(); ++i)
        delete static_cast<TChunkClass*>(ChunkClasses->ItemAt(i));
    delete ChunkClasses;
    ChunkClasses = nullptr;
}

TChunk* NewChunkForName(TQorvPNGObject* image, const char* name) {
    TChunkClass cls = &TChunk::ClassInfo;
    if (ChunkClasses) {
        for (int i = 0; i < ChunkClasses->Count(); ++i) {
            TChunkClass candidate = *static_cast<TChunkClass*>(ChunkClasses->ItemAt(i));
            if (ChunkNameOf(candidate) == std::string(name, 4)) {
                cls = candidate;
                break;
            }
        }
    }
    TChunk* chunk = cls->Create(image);
    chunk->SetName(name);
    return chunk;
}

// ---------------------------------------------------------------------------
// TChunk

namespace {
uint32_t BigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}
void PutBigEndian32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
} // namespace

TChunk::TChunk(TQorvPNGObject* owner) : FOwner(owner) {
    FData = static_cast<uint8_t*>(std::calloc(1, 1));
    if (!FData)
        throw std::bad_alloc();
}

TChunk::~TChunk() {
    std::free(FData);
}

void TChunk::InitName() {
    const std::string name = ChunkNameOf(ClassType());
    if (name.size() == 4)
        std::memcpy(FName, name.data(), 4);
}

void TChunk::SetName(const char* name) {
    std::memcpy(FName, name, 4);
}

void TChunk::SetDataSize(int32_t size) {
    if (size < 0)
        size = 0;
    auto* data = static_cast<uint8_t*>(std::realloc(FData, static_cast<size_t>(size) + 1));
    if (!data)
        throw EPNGOutMemory();
    if (size > FDataSize)
        std::memset(data + FDataSize, 0, static_cast<size_t>(size - FDataSize) + 1);
    FData = data;
    FDataSize = size;
}

void TChunk::AssignFrom(const TChunk& source) {
    std::memcpy(FName, source.FName, 4);
    SetDataSize(source.FDataSize);
    if (FDataSize > 0)
        std::memcpy(FData, source.FData, static_cast<size_t>(FDataSize));
}

TChunkIHDR& TChunk::OwnerHeader() const {
    return FOwner->RequireHeader();
}

bool TChunk::ReadChunk(TStream& stream, const char* name, uint32_t length) {
    // A length beyond the end of the stream cannot be met; refusing it here
    // gives the same result as the short read would, without allocating it.
    const int64_t left = stream.Size() - stream.Position();
    if (length > 0x7FFFFFFFu || static_cast<int64_t>(length) + 4 > left)
        throw EPngInvalidCRC();
    SetDataSize(static_cast<int32_t>(length));
    if (length > 0)
        stream.Read(FData, static_cast<int32_t>(length));
    uint8_t stored[4] = {0, 0, 0, 0};
    stream.Read(stored, 4);
    uint32_t crc = Crc32Update(0xFFFFFFFFu, name, 4);
    crc = Crc32Update(crc, FData, length);
    if (~crc != BigEndian32(stored))
        throw EPngInvalidCRC();
    return true;
}

bool TChunk::WriteChunk(TStream& stream) {
    return WriteRawChunk(stream);
}

bool TChunk::WriteRawChunk(TStream& stream) {
    uint8_t head[8];
    PutBigEndian32(head, static_cast<uint32_t>(FDataSize));
    std::memcpy(head + 4, FName, 4);
    stream.Write(head, 8);
    if (FDataSize != 0)
        stream.Write(FData, FDataSize);
    uint32_t crc = Crc32Update(0xFFFFFFFFu, FName, 4);
    crc = Crc32Update(crc, FData, static_cast<size_t>(FDataSize));
    uint8_t tail[4];
    PutBigEndian32(tail, ~crc);
    stream.Write(tail, 4);
    return true;
}

TChunkIEND::TChunkIEND(TQorvPNGObject* owner) : TChunk(owner) {
    InitName();
}

// ---------------------------------------------------------------------------
// TQorvPNGObject

namespace {
const uint8_t PngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
}

TQorvPNGObject::TQorvPNGObject() : FChunks(this) {
    ResetGammaTables();
}

TQorvPNGObject::~TQorvPNGObject() {
    RemoveAllChunks();
    ReleasePaletteHandle();
}

void TQorvPNGObject::ResetGammaTables() {
    for (int i = 0; i < 256; ++i) {
        GammaTable[i] = static_cast<uint8_t>(i);
        InverseGamma[i] = static_cast<uint8_t>(i);
    }
}

void TQorvPNGObject::RemoveAllChunks() {
    ResetGammaTables();
    // Later chunks may look at the header while going away; free it last.
    for (int i = FChunks.Count(); i-- > 0;)
        delete FChunks.ChunkAt(i);
    FChunks.SetCount(0);
}

void TQorvPNGObject::ReadStream(TStream& stream) {
    RemoveAllChunks();
    uint8_t signature[8] = {};
    if (stream.Read(signature, 8) != 8 || std::memcmp(signature, PngSignature, 8) != 0)
        throw EPNGInvalidFileHeader();

    FChunks.SetCount(10);
    int n = 0;
    bool hasImageData = false;
    char name[4];
    do {
        ++n;
        if (FChunks.Count() < n)
            FChunks.SetCount(FChunks.Count() + 10);
        uint8_t lengthBytes[4] = {};
        if (stream.Read(lengthBytes, 4) <= 0) {
            FChunks.SetCount(n - 1);
            throw EPngUnexpectedEnd();
        }
        const uint32_t length = BigEndian32(lengthBytes);
        std::memset(name, 0, 4);
        stream.Read(name, 4);
        if (n == 1 && std::memcmp(name, "IHDR", 4) != 0) {
            FChunks.SetCount(0);
            throw EPNGIHDRNotFirst();
        }
        const bool isIDAT = std::memcmp(name, "IDAT", 4) == 0;
        if ((hasImageData && isIDAT) || std::memcmp(name, "cHRM", 4) == 0) {
            --n;
            stream.Seek(static_cast<int64_t>(length) + 4, TSeekOrigin::soCurrent);
            continue;
        }
        if (isIDAT)
            hasImageData = true;
        TChunk* chunk;
        try {
            chunk = NewChunkForName(this, name);
        } catch (const std::bad_alloc&) {
            FChunks.SetCount(n - 1);
            throw EPNGOutMemory();
        }
        FChunks.StoreAt(n - 1, chunk);
        if (chunk->ClassType() == &TChunk::ClassInfo && (name[0] & 0x20) == 0) {
            FChunks.SetCount(n);
            throw EPNGUnknownCriticalChunk();
        }
        bool more;
        try {
            more = chunk->ReadChunk(stream, name, length);
        } catch (const std::bad_alloc&) {
            FChunks.SetCount(n);
            throw EPNGOutMemory();
        } catch (...) {
            FChunks.SetCount(n);
            throw;
        }
        if (!more)
            break;
    } while (std::memcmp(name, "IEND", 4) != 0);
    FChunks.SetCount(n);
    if (!hasImageData)
        throw EPNGNoImageData();
}

void TQorvPNGObject::WriteStream(TStream& stream) {
    stream.Write(PngSignature, 8);
    for (int i = 0; i < FChunks.Count(); ++i)
        FChunks.ChunkAt(i)->WriteChunk(stream);
}

void TQorvPNGObject::CopyFromImage(const TQorvPNGObject& source) {
    if (&source == this)
        return;
    FInterlaceMethod = source.FInterlaceMethod;
    SetMaxIdatSize(source.FMaxIdatSize);
    FCompressionLevel = source.FCompressionLevel;
    FFilters = source.FFilters;
    RemoveAllChunks();
    const int count = source.FChunks.Count();
    FChunks.SetCount(count);
    for (int i = 0; i < count; ++i) {
        const TChunk* from = source.FChunks.ChunkAt(i);
        TChunk* chunk = from->ClassType()->Create(this);
        FChunks.StoreAt(i, chunk);
        try {
            chunk->AssignFrom(*from);
        } catch (...) {
            FChunks.SetCount(i + 1);
            throw;
        }
    }
}

void TQorvPNGObject::AssignFrom(const TGraphic* source) {
    if (!source) {
        RemoveAllChunks();
        return;
    }
    if (auto* image = dynamic_cast<const TQorvPNGObject*>(source)) {
        CopyFromImage(*image);
        return;
    }
    if (AssignFromHostBitmap(*this, *source))
        return;
    TGraphic::AssignFrom(source);
}

void TQorvPNGObject::AssignInto(TGraphic& destination) const {
    if (auto* image = dynamic_cast<TQorvPNGObject*>(&destination)) {
        image->CopyFromImage(*this);
        return;
    }
    if (AssignIntoHostBitmap(*this, destination))
        return;
    TGraphic::AssignInto(destination);
}

#ifndef _WIN32
// Without a window system there is no host bitmap, device or clipboard.
bool AssignFromHostBitmap(TQorvPNGObject&, const TGraphic&) {
    return false;
}
bool AssignIntoHostBitmap(const TQorvPNGObject&, TGraphic&) {
    return false;
}
void TQorvPNGObject::PaintTo(TCanvas&, const TRect&) {}
void TQorvPNGObject::CopyFromBitmap(void*, bool, uint32_t) {
    throw EPngError("Bitmaps need the window system.");
}
void TQorvPNGObject::LoadFromClipboardFormat(uint32_t format, uintptr_t data) {
    TGraphic::LoadFromClipboardFormat(format, data);
}
void TQorvPNGObject::SaveToClipboardFormat(uint32_t& format, uintptr_t& data) const {
    TGraphic::SaveToClipboardFormat(format, data);
}
#endif

int TQorvPNGObject::Width() const {
    return HasHeader() ? static_cast<int>(RequireHeader().Width) : 0;
}

int TQorvPNGObject::Height() const {
    return HasHeader() ? static_cast<int>(RequireHeader().Height) : 0;
}

void TQorvPNGObject::SetWidth(int) {
    throw EPngError(SPngErrorResize);
}
void TQorvPNGObject::SetHeight(int) {
    throw EPngError(SPngErrorResize);
}

bool TQorvPNGObject::HasHeader() const {
    const TChunk* first = FChunks.ChunkAt(0);
    return first && first->ClassType() == &TChunkIHDR::ClassInfo;
}

TChunkIHDR& TQorvPNGObject::RequireHeader() const {
    if (!HasHeader())
        throw EPNGHeaderNotPresent();
    return *static_cast<TChunkIHDR*>(FChunks.ChunkAt(0));
}

bool TQorvPNGObject::Transparent() const {
    return TransparencyKindOf() != tkNone;
}
