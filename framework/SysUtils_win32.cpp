#include "framework/SysUtils_win32.h"

#include <cstdio>

std::string SysErrorMessage(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length && buffer ? std::string(buffer, length) : std::string();
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string OSErrorMessage(const std::string& what, const char* call, DWORD code, bool hresult) {
    // Some calls fail without setting a code (a printer driver's StartDoc
    // under Wine): the system's text for 0 would call the failure a success.
    if (code == 0)
        return what + ": " + call + " failed, and the system gave no reason.";
    char number[16];
    std::snprintf(number, sizeof number, hresult ? "0x%08lX" : "%lu",
                  static_cast<unsigned long>(code));
    std::string message = what + ": " + call + " failed with error " + number;
    if (const std::string text = SysErrorMessage(code); !text.empty())
        message += ": " + text;
    return message;
}

void RaiseOSError(const std::string& what, const char* call, DWORD code) {
    throw EOSError(OSErrorMessage(what, call, code, false), code);
}

void RaiseLastOSError(const std::string& what, const char* call) {
    RaiseOSError(what, call, GetLastError());
}

std::string ModuleFileName(HMODULE module, TGetModuleFileNameA query) {
    // The longest path the system takes is 32767 characters.
    for (DWORD size = MAX_PATH; size <= 65536; size *= 2) {
        std::string name(size, '\0');
        const DWORD length = query(module, name.data(), size);
        if (length == 0)
            return {};
        if (length < size) {
            name.resize(length);
            return name;
        }
    }
    return {};
}

HMODULE LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length >= MAX_PATH)
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return LoadLibraryA((std::string(folder, length) + "\\" + name).c_str());
}

void RaiseHResult(const std::string& what, const char* call, HRESULT result) {
    const auto code = static_cast<DWORD>(result);
    throw EOSError(OSErrorMessage(what, call, code, true), code);
}
