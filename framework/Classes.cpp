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

TBufferedOutputStream::TBufferedOutputStream(TStream& target, size_t capacity)
    : FTarget(target), FBuffer(std::max<size_t>(capacity, 1)) {}

int32_t TBufferedOutputStream::Read(void*, int32_t) {
    return 0;
}

int32_t TBufferedOutputStream::Write(const void* buffer, int32_t count) {
    if (count <= 0)
        return 0;
    Append(static_cast<const char*>(buffer), static_cast<size_t>(count));
    return count;
}

int64_t TBufferedOutputStream::Seek(int64_t offset, TSeekOrigin origin) {
    Flush();
    return FTarget.Seek(offset, origin);
}

void TBufferedOutputStream::Append(const char* text, size_t length) {
    if (length > FBuffer.size() - FUsed) {
        Flush();
        // A block larger than the buffer goes straight through.
        if (length >= FBuffer.size()) {
            for (size_t done = 0; done < length;) {
                const auto n = static_cast<int32_t>(std::min<size_t>(length - done, 1u << 30));
                FTarget.WriteBuffer(text + done, n);
                done += static_cast<size_t>(n);
            }
            return;
        }
    }
    std::memcpy(FBuffer.data() + FUsed, text, length);
    FUsed += length;
}

void TBufferedOutputStream::Flush() {
    const size_t used = FUsed;
    // Emptied first: after a failure the same bytes are not offered again.
    FUsed = 0;
    FTarget.WriteBuffer(FBuffer.data(), static_cast<int32_t>(used));
}

void TStringList::Assign(const TPersistent& source) {
    if (const auto* list = dynamic_cast<const TStringList*>(&source)) {
        if (list != this)
            FLines = list->FLines;
        return;
    }
    TPersistent::Assign(source);
}

const std::string& TStringList::operator[](int index) const {
    if (index < 0 || index >= Count())
        throw ERangeError("List index out of bounds (" + std::to_string(index) + ")");
    return FLines[static_cast<size_t>(index)];
}

size_t TStringList::TextLength() const {
    size_t length = 0;
    for (const std::string& line : FLines)
        length += line.size() + 2;
    return length;
}

std::string TStringList::Text() const {
    std::string text;
    text.reserve(TextLength());
    for (const std::string& line : FLines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    FLines = std::move(lines);
}
