// Streams: the byte sources and sinks of the form reader and the picture
// framework. Read and Write return the count actually moved; Seek is relative
// to an origin and returns the new position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Components.h"
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

enum class TFileMode {
    fmOpenRead, // an existing file, for reading; others may read it but not write
    fmCreate,   // a new file, or an existing one emptied; for reading and writing
};

// A file that cannot be opened or created. The message names the file and
// gives the system's reason.
class EFOpenError : public EOSError {
public:
    using EOSError::EOSError;
};

// A file stream over the platform's own file calls. Opening raises
// EFOpenError; a read or write the system refuses (disk full, device gone)
// raises EOSError naming the file, so a short count is never the only sign.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    intptr_t FHandle; // the platform's handle or descriptor
};

// Collects many small writes and hands them to its stream in large blocks.
// Flush before the stream is closed: the destructor does not write, so a
// failure is never swallowed on the way out of a scope.
class TBufferedOutputStream : public TStream {
public:
    explicit TBufferedOutputStream(TStream& target, size_t capacity = 64 * 1024);

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    // Flushes first: positions are the target's.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    void Append(const char* text, size_t length);
    void Append(const std::string& text) { Append(text.data(), text.size()); }
    // Writes what is held; a short write raises EWriteError.
    void Flush();

private:
    TStream& FTarget;
    std::vector<char> FBuffer;
    size_t FUsed = 0;
};

// An ordered list of single-byte text lines. Its text is every line followed
// by CR LF; reading a text splits it at CR, LF or CR LF, and a last line
// without a line end still counts.
class TStringList : public TPersistent {
public:
    TStringList() = default;
    explicit TStringList(std::vector<std::string> lines) : FLines(std::move(lines)) {}

    std::string ClassName() const override { return "TStringList"; }
    void Assign(const TPersistent& source) override;

    int Count() const { return static_cast<int>(FLines.size()); }
    const std::string& operator[](int index) const;
    const std::vector<std::string>& Lines() const { return FLines; }
    void SetLines(std::vector<std::string> lines) { FLines = std::move(lines); }
    void Add(std::string line) { FLines.push_back(std::move(line)); }
    void Clear() { FLines.clear(); }

    std::string Text() const;
    size_t TextLength() const; // the length of Text(), without building it
    void SetText(const std::string& text);

private:
    std::vector<std::string> FLines;
};
