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
