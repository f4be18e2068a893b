// Raising EOSError for a failed Windows call, with FormatMessageA's text for
// the error code.
#pragma once

#include <windows.h>

#include <string>

#include "framework/SysUtils.h"

// The system's text for an error code (or HRESULT) without its line end;
// empty when the system has none.
std::string SysErrorMessage(DWORD code);
// "<what>: <call> failed with error <code>: <text>" (no text: ends with the code).
std::string OSErrorMessage(const std::string& what, const char* call, DWORD code, bool hresult);

// After `call` failed: raises for GetLastError().
[[noreturn]] void RaiseLastOSError(const std::string& what, const char* call);
[[noreturn]] void RaiseOSError(const std::string& what, const char* call, DWORD code);
[[noreturn]] void RaiseHResult(const std::string& what, const char* call, HRESULT result);

// A library of the system's, loaded from the system folder by its full path:
// never a file of that name beside the program or in the current folder
// (which anyone who can put a file there would otherwise get run), and no
// search. Null when it is missing; GetLastError says why.
HMODULE LoadSystemLibrary(const char* name);

using TGetModuleFileNameA = DWORD(WINAPI*)(HMODULE module, LPSTR name, DWORD size);
// The full file name of `module` (the program's for null), however long the
// path: a name that fills the buffer may have been cut, so the buffer grows
// until the name is shorter than it. Empty when the system gives none. The
// query is passed in so that tests can give long names.
std::string ModuleFileName(HMODULE module = nullptr,
                           TGetModuleFileNameA query = &GetModuleFileNameA);

// An entry of a library loaded when first needed (kept off the start-up
// path); raises when the library or the entry is missing.
template <class F>
F LibraryEntry(HMODULE library, const char* dll, const char* name) {
    if (!library)
        RaiseLastOSError(std::string("Cannot load ") + dll, "LoadSystemLibrary");
    FARPROC entry = GetProcAddress(library, name);
    if (!entry)
        RaiseLastOSError(std::string("Cannot find ") + name + " in " + dll, "GetProcAddress");
    return reinterpret_cast<F>(reinterpret_cast<void*>(entry));
}
