#include "framework/Classes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::string Reason(const std::string& what, const std::string& fileName, int code) {
    return what + " \"" + fileName + "\": " + std::strerror(code);
}
} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    const bool create = mode == TFileMode::fmCreate;
    const int fd = create ? ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0666)
                          : ::open(fileName.c_str(), O_RDONLY);
    if (fd < 0) {
        const int code = errno;
        throw EFOpenError(
            Reason(create ? "Cannot create file" : "Cannot open file", fileName, code),
            static_cast<uint32_t>(code));
    }
    FHandle = fd;
}

TFileStream::~TFileStream() {
    ::close(static_cast<int>(FHandle));
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    if (count <= 0)
        return 0;
    ssize_t n;
    do
        n = ::read(static_cast<int>(FHandle), buffer, static_cast<size_t>(count));
    while (n < 0 && errno == EINTR);
    if (n < 0)
        throw EOSError(Reason("Cannot read from file", FFileName, errno),
                       static_cast<uint32_t>(errno));
    return static_cast<int32_t>(n);
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    const auto* bytes = static_cast<const char*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::write(static_cast<int>(FHandle), bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            throw EOSError(Reason("Cannot write to file", FFileName, code),
                           static_cast<uint32_t>(code));
        }
        done += static_cast<int32_t>(n);
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    const int fd = static_cast<int>(FHandle);
    const off_t position = ::lseek(fd, static_cast<off_t>(offset), whence);
    return position < 0 ? ::lseek(fd, 0, SEEK_CUR) : position;
}
