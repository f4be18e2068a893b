#include "framework/Classes.h"

#include <windows.h>

#include "framework/SysUtils_win32.h"

namespace {
HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// After a failed file call: names the file and gives the system's reason.
template <class E = EOSError>
[[noreturn]] void RaiseFileError(const std::string& what, const std::string& fileName,
                                 const char* call) {
    const DWORD code = GetLastError();
    throw E(OSErrorMessage(what + " \"" + fileName + "\"", call, code, false), code);
}
} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    const bool create = mode == TFileMode::fmCreate;
    HANDLE handle = CreateFileA(
        fileName.c_str(), create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ,
        nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        RaiseFileError<EFOpenError>(create ? "Cannot create file" : "Cannot open file", fileName,
                                    "CreateFile");
    FHandle = reinterpret_cast<intptr_t>(handle);
}

TFileStream::~TFileStream() {
    CloseHandle(AsHandle(FHandle));
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    DWORD done = 0;
    if (count > 0 &&
        !ReadFile(AsHandle(FHandle), buffer, static_cast<DWORD>(count), &done, nullptr))
        RaiseFileError("Cannot read from file", FFileName, "ReadFile");
    return static_cast<int32_t>(done);
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    DWORD done = 0;
    if (count > 0 &&
        !WriteFile(AsHandle(FHandle), buffer, static_cast<DWORD>(count), &done, nullptr))
        RaiseFileError("Cannot write to file", FFileName, "WriteFile");
    return static_cast<int32_t>(done);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                         : origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                            : FILE_END;
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(AsHandle(FHandle), distance, &position, method)) {
        // A target before the start is refused and leaves the position.
        distance.QuadPart = 0;
        SetFilePointerEx(AsHandle(FHandle), distance, &position, FILE_CURRENT);
    }
    return position.QuadPart;
}
