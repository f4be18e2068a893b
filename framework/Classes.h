// Streams: the byte sources and sinks of the form reader and the picture
// framework. Read and Write return the count actually moved; Seek is relative
// to an origin and returns the new position.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/SysUtils.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    int64_t Size();

    // Whole-buffer transfers; a short transfer raises EReadError / EWriteError.
    void ReadBuffer(void* buffer, int32_t count);
    void WriteBuffer(const void* buffer, int32_t count);
    // Copies count bytes from source (all that remains when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A growable in-memory stream.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : FData(std::move(bytes)) {}

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    const std::vector<uint8_t>& Bytes() const { return FData; }
    void Clear();

private:
    std::vector<uint8_t> FData;
    size_t FPosition = 0;
};

// A read-only view of bytes owned by someone else (a resource, a test vector).
class TReadOnlyMemoryStream : public TStream {
public:
    TReadOnlyMemoryStream(const void* data, size_t size)
        : FData(static_cast<const uint8_t*>(data)), FSize(size) {}

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPosition = 0;
};

enum class TFileMode { fmOpenRead, fmCreate };

// A file stream over the C library; opening failure raises EFOpenError.
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// 64-bit seek (fseek's `whence`) on either C library; the new position.
int64_t SeekFile(std::FILE* file, int64_t offset, int whence);

class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

private:
    std::FILE* FFile = nullptr;
};
