// File structure: signature, chunk loop, CRC, chunk registry, the chunk list
// and the image object's life cycle.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "png/QorvFormatPNG_internal.h"

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
const char* const SLimitExceeded =
    "This \"Portable Network Graphics\" image was not loaded because it needs more memory "
    "than the limits set for reading allow.";

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
const char* const SPngErrorCompressionLevel =
    "The \"Portable Network Graphics\" image could not be saved because its compression level "
    "is not between 0 and 9.";
const char* const SPngCompressErrorPrefix =
    "The \"Portable Network Graphics\" image could not be compressed.\r\n Description: ";
const char* const SPngErrorNoSuchRow = "The \"Portable Network Graphics\" image has no such row.";
const char* const SPngErrorInterlaceMethod =
    "The \"Portable Network Graphics\" image can only be written without interlace (0) or "
    "with Adam7 interlace (1).";

std::string ZlibErrorText(int code) {
    std::string text;
    if (code >= -6 && code <= 2) {
        text.append(ZlibErrors[code + 6]);
    } else {
        text.append(1, '(').append(std::to_string(code)).append(1, ')');
    }
    return text;
}

EPNGInvalidFileHeader::EPNGInvalidFileHeader() : EPNGException(SInvalidFileHeader) {}
EPngUnexpectedEnd::EPngUnexpectedEnd() : EPNGException(SUnexpectedEnd) {}
EPNGIHDRNotFirst::EPNGIHDRNotFirst() : EPNGException(SIHDRNotFirst) {}
EPNGUnknownCriticalChunk::EPNGUnknownCriticalChunk() : EPNGException(SUnknownCriticalChunk) {}
EPngInvalidCRC::EPngInvalidCRC() : EPNGException(SInvalidCRC) {}
EPNGNoImageData::EPNGNoImageData() : EPNGException(SNoImageData) {}
EPngInvalidIHDR::EPngInvalidIHDR() : EPNGException(SInvalidIHDR) {}
EPNGSizeExceeds::EPNGSizeExceeds() : EPNGException(SSizeExceeds) {}
EPNGUnknownCompression::EPNGUnknownCompression() : EPNGException(SUnknownCompression) {}
EPNGUnknownInterlace::EPNGUnknownInterlace() : EPNGException(SUnknownInterlace) {}
EPNGMissingMultipleIDAT::EPNGMissingMultipleIDAT() : EPNGException(SMissingMultipleIDAT) {}
EPNGZLIBError::EPNGZLIBError(int zlibCode)
    : EPNGException(SPngZlibErrorPrefix + ZlibErrorText(zlibCode)) {}
EPNGInvalidPalette::EPNGInvalidPalette() : EPNGException(SInvalidPalette) {}
EPNGOutMemory::EPNGOutMemory() : EPNGException(SOutMemory) {}
EPNGOutMemory::EPNGOutMemory(const std::string& detail)
    : EPNGException(std::string(SOutMemory) + "\r\n" + detail) {}
EPNGHeaderNotPresent::EPNGHeaderNotPresent() : EPNGException(SHeaderNotPresent) {}
EPNGLimitExceeded::EPNGLimitExceeded() : EPNGException(SLimitExceeded) {}

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
// The chunk list

TChunk* TPNGList::ChunkAt(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[static_cast<size_t>(index)].get();
}

TChunk* TPNGList::Append(std::unique_ptr<TChunk> chunk) {
    FItems.push_back(std::move(chunk));
    return FItems.back().get();
}

std::unique_ptr<TChunk> TPNGList::Extract(const TChunk* chunk) {
    for (size_t i = FItems.size(); i-- > 0;) {
        if (FItems[i].get() == chunk) {
            std::unique_ptr<TChunk> item = std::move(FItems[i]);
            FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
            return item;
        }
    }
    return nullptr;
}

void TPNGList::Clear() {
    while (!FItems.empty())
        FItems.pop_back();
}

TChunk* TPNGList::FindByClass(TChunkClass cls) const {
    for (const auto& chunk : FItems)
        if (chunk->ClassType()->InheritsFrom(*cls))
            return chunk.get();
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
static std::unique_ptr<TChunk> CreateChunk(TQorvPNGObject* owner) {
    return std::make_unique<T>(owner);
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
// Filled by RegisterPNGGraphicClass; empty until then, so that nothing runs
// before the program's start-up asks for it.
std::vector<TChunkClass>& ChunkClasses() {
    static std::vector<TChunkClass> classes;
    return classes;
}
} // namespace

void RegisterPNGGraphicClass() {
    AddStandardChunkClasses();
    RegisterGraphicClass({"TQorvPNGObject", "PNG", "Portable Network Graphics",
                          [] { return std::make_unique<TQorvPNGObject>(); }});
}

void UnregisterPNGGraphicClass() {
    UnregisterGraphicClass("TQorvPNGObject");
    ReleaseChunkClasses();
}

void AddChunkClass(TChunkClass cls) {
    auto& classes = ChunkClasses();
    if (std::find(classes.begin(), classes.end(), cls) == classes.end())
        classes.push_back(cls);
}

void AddStandardChunkClasses() {
    for (TChunkClass cls : {&TChunkIEND::ClassInfo, &TChunkIHDR::ClassInfo, &TChunkIDAT::ClassInfo,
                            &TChunkPLTE::ClassInfo, &TChunkgAMA::ClassInfo, &TChunktRNS::ClassInfo,
                            &TChunktIME::ClassInfo, &TChunktEXt::ClassInfo, &TChunkzTXt::ClassInfo})
        AddChunkClass(cls);
}

void ReleaseChunkClasses() {
    ChunkClasses().clear();
}

std::unique_ptr<TChunk> NewChunkForName(TQorvPNGObject* image, const char* name) {
    TChunkClass cls = &TChunk::ClassInfo;
    for (TChunkClass candidate : ChunkClasses()) {
        if (ChunkNameOf(candidate) == std::string(name, 4)) {
            cls = candidate;
            break;
        }
    }
    std::unique_ptr<TChunk> chunk = cls->Create(image);
    chunk->SetName(name);
    return chunk;
}

// ---------------------------------------------------------------------------
// TChunk

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
    // A chunk that runs past the end of the stream is a cut-off file; it is
    // refused before its length is allocated.
    const int64_t left = stream.Size() - stream.Position();
    if (length > 0x7FFFFFFFu || static_cast<int64_t>(length) + 4 > left)
        throw EPngUnexpectedEnd();
    // A kept chunk counts against the owner's limits before its data is
    // allocated (image data streams through the decoder and is not kept).
    if (length > FOwner->Limits().MaxChunkSize)
        throw EPNGLimitExceeded();
    ChargeOwnerMemory(length);
    SetDataSize(static_cast<int32_t>(length));
    uint8_t stored[4] = {0, 0, 0, 0};
    if ((length > 0 &&
         stream.Read(FData, static_cast<int32_t>(length)) != static_cast<int32_t>(length)) ||
        stream.Read(stored, 4) != 4)
        throw EPngUnexpectedEnd();
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

TQorvPNGObject::TQorvPNGObject() : FChunks(std::make_unique<TPNGList>()) {
    ResetGammaTables();
}

TQorvPNGObject::~TQorvPNGObject() {
    RemoveAllChunks();
    ReleasePaletteHandle();
}

void TQorvPNGObject::ResetGammaTables() {
    for (int i = 0; i < 256; ++i) {
        FGammaTable[i] = static_cast<uint8_t>(i);
        FInverseGamma[i] = static_cast<uint8_t>(i);
    }
}

void TQorvPNGObject::RemoveAllChunks() {
    ResetGammaTables();
    FChunks->Clear();
    FChunkMemory = 0;
}

void TQorvPNGObject::SetImageLimits(uint32_t maxWidth, uint32_t maxHeight) {
    FLimits.MaxWidth = std::clamp<uint32_t>(maxWidth, 1, 65535);
    FLimits.MaxHeight = std::clamp<uint32_t>(maxHeight, 1, 65535);
}

void TQorvPNGObject::SetChunkLimits(uint32_t maxChunkSize, uint64_t maxChunkCache) {
    FLimits.MaxChunkSize = std::max<uint32_t>(maxChunkSize, 1);
    FLimits.MaxChunkCache = std::max<uint64_t>(maxChunkCache, 1);
}

void TQorvPNGObject::ChargeChunkMemory(uint64_t bytes) {
    if (bytes > ChunkMemoryLeft())
        throw EPNGLimitExceeded();
    FChunkMemory += bytes;
}

uint64_t TQorvPNGObject::ChunkMemoryLeft() const {
    return FChunkMemory < FLimits.MaxChunkCache ? FLimits.MaxChunkCache - FChunkMemory : 0;
}

void TQorvPNGObject::SetMaxIdatSize(uint32_t value) {
    FMaxIdatSize = std::clamp<uint32_t>(value, 65535, MaxIdatSizeLimit);
}

void TQorvPNGObject::SetInterlaceMethod(uint8_t value) {
    if (value > 1)
        throw EPngError(SPngErrorInterlaceMethod);
    FInterlaceMethod = value;
}

void TQorvPNGObject::ReadStream(TStream& stream) {
    RemoveAllChunks();
    // A refused file leaves the image empty: no header without its image,
    // no chunks that were read only in part.
    try {
        ReadChunks(stream);
    } catch (const std::bad_alloc&) {
        RemoveAllChunks();
        throw EPNGOutMemory();
    } catch (...) {
        RemoveAllChunks();
        throw;
    }
}

void TQorvPNGObject::ReadChunks(TStream& stream) {
    uint8_t signature[8] = {};
    if (stream.Read(signature, 8) != 8 || std::memcmp(signature, PngSignature, 8) != 0)
        throw EPNGInvalidFileHeader();

    bool hasImageData = false;
    char name[4];
    do {
        // Length and name; a stream that ends anywhere inside them is cut off.
        uint8_t head[8] = {};
        if (stream.Read(head, 8) != 8)
            throw EPngUnexpectedEnd();
        const uint32_t length = BigEndian32(head);
        std::memcpy(name, head + 4, 4);
        const bool isIHDR = std::memcmp(name, "IHDR", 4) == 0;
        if (FChunks->Count() == 0 && !isIHDR)
            throw EPNGIHDRNotFirst();
        // One file, one image: a second header would prepare another.
        if (FChunks->Count() > 0 && isIHDR)
            throw EPngInvalidIHDR();
        const bool isIDAT = std::memcmp(name, "IDAT", 4) == 0;
        if ((hasImageData && isIDAT) || std::memcmp(name, "cHRM", 4) == 0) {
            stream.Seek(static_cast<int64_t>(length) + 4, TSeekOrigin::soCurrent);
            continue;
        }
        if (isIDAT)
            hasImageData = true;
        TChunk* chunk = FChunks->Append(NewChunkForName(this, name));
        if (chunk->ClassType() == &TChunk::ClassInfo && (name[0] & 0x20) == 0)
            throw EPNGUnknownCriticalChunk();
        if (!chunk->ReadChunk(stream, name, length))
            break;
    } while (std::memcmp(name, "IEND", 4) != 0);
    if (!hasImageData)
        throw EPNGNoImageData();
}

void TQorvPNGObject::WriteStream(TStream& stream) {
    // Refused before the first byte, so that no half-written file is left.
    if (FCompressionLevel > 9)
        throw EPngError(SPngErrorCompressionLevel);
    stream.Write(PngSignature, 8);
    for (int i = 0; i < FChunks->Count(); ++i)
        FChunks->ChunkAt(i)->WriteChunk(stream);
}

void TQorvPNGObject::CopyFromImage(const TQorvPNGObject& source) {
    if (&source == this)
        return;
    FInterlaceMethod = source.FInterlaceMethod;
    SetMaxIdatSize(source.FMaxIdatSize);
    FCompressionLevel = source.FCompressionLevel;
    FFilters = source.FFilters;
    RemoveAllChunks();
    for (int i = 0; i < source.FChunks->Count(); ++i) {
        const TChunk* from = source.FChunks->ChunkAt(i);
        FChunks->Append(from->ClassType()->Create(this))->AssignFrom(*from);
    }
    // The copied pixels and colour table hold gamma-applied values: writing
    // them back needs the source's inverse table, reading grey pixels its
    // gamma table.
    std::memcpy(FGammaTable, source.FGammaTable, sizeof FGammaTable);
    std::memcpy(FInverseGamma, source.FInverseGamma, sizeof FInverseGamma);
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

bool TQorvPNGObject::Empty() const {
    return FChunks->Count() == 0;
}

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
    const TChunk* first = FChunks->ChunkAt(0);
    return first && first->ClassType() == &TChunkIHDR::ClassInfo;
}

TChunkIHDR& TQorvPNGObject::RequireHeader() const {
    if (!HasHeader())
        throw EPNGHeaderNotPresent();
    return *static_cast<TChunkIHDR*>(FChunks->ChunkAt(0));
}

bool TQorvPNGObject::Transparent() const {
    return TransparencyKindOf() != tkNone;
}
