#include "framework/ShellApi_win32.h"

#include <shellapi.h>

#include "framework/SysUtils_win32.h"

bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters,
               const std::string& folder, int show) {
    static const auto execute = [] {
        HMODULE shell = LoadSystemLibrary("shell32.dll");
        return shell ? reinterpret_cast<decltype(&::ShellExecuteA)>(
                           reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")))
                     : nullptr;
    }();
    if (!execute)
        return false;
    return reinterpret_cast<INT_PTR>(execute(owner, "open", target.c_str(), parameters.c_str(),
                                             folder.c_str(), show)) > 32;
}
