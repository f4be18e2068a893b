#include "framework/Classes.h"

#include <algorithm>
#include <cstring>

int64_t TStream::Size() {
    const int64_t here = Position();
    const int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0)
        count = source.Size() - source.Position();
    uint8_t chunk[32768];
    int64_t left = count;
    while (left > 0) {
        const auto n = static_cast<int32_t>(std::min<int64_t>(left, sizeof chunk));
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        left -= n;
    }
    return count;
}

namespace {
// Shared seek arithmetic of the memory streams: a target before 0 is refused.
int64_t SeekWithin(size_t& position, size_t size, int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent)
        base = static_cast<int64_t>(position);
    else if (origin == TSeekOrigin::soEnd)
        base = static_cast<int64_t>(size);
    const int64_t target = base + offset;
    if (target >= 0)
        position = static_cast<size_t>(target);
    return static_cast<int64_t>(position);
}

int32_t ReadFrom(const uint8_t* data, size_t size, size_t& position, void* buffer, int32_t count) {
    if (count <= 0 || position >= size)
        return 0;
    const size_t n = std::min(static_cast<size_t>(count), size - position);
    std::memcpy(buffer, data + position, n);
    position += n;
    return static_cast<int32_t>(n);
}
} // namespace

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
    return ReadFrom(FData.data(), FData.size(), FPosition, buffer, count);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
    if (count <= 0)
        return 0;
    const size_t end = FPosition + static_cast<size_t>(count);
    if (end > FData.size())
        FData.resize(end);
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    return SeekWithin(FPosition, FData.size(), offset, origin);
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

int32_t TReadOnlyMemoryStream::Read(void* buffer, int32_t count) {
    return ReadFrom(FData, FSize, FPosition, buffer, count);
}

int32_t TReadOnlyMemoryStream::Write(const void*, int32_t) {
    return 0;
}

int64_t TReadOnlyMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    return SeekWithin(FPosition, FSize, offset, origin);
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) {
    FFile = std::fopen(fileName.c_str(), mode == TFileMode::fmCreate ? "w+b" : "rb");
    if (!FFile)
        throw EFOpenError(std::string(mode == TFileMode::fmCreate ? "Cannot create file \""
                                                                  : "Cannot open file \"") +
                          fileName + "\"");
}

TFileStream::~TFileStream() {
    std::fclose(FFile);
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    return count <= 0
               ? 0
               : static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(count), FFile));
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    return count <= 0
               ? 0
               : static_cast<int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), FFile));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    return SeekFile(FFile, offset, whence);
}
