#include "settings/SettingsHost.h"

#include <cstring>
#include <windows.h>

#include "framework/SysUtils_win32.h"

static_assert(sizeof(OSVERSIONINFOA) == sizeof(TOSVersionInfo), "same record");

std::string HostProgramFolder() {
    const std::string path = ModuleFileName();
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool HostGetVersion(TOSVersionInfo& info) {
    OSVERSIONINFOA record;
    std::memset(&record, 0, sizeof record);
    record.dwOSVersionInfoSize = info.dwOSVersionInfoSize;
    bool ok = GetVersionExA(&record) != FALSE;
    if (ok)
        std::memcpy(&info, &record, sizeof info);
    return ok;
}

int32_t HostVerticalScrollBarWidth() {
    return GetSystemMetrics(SM_CXVSCROLL);
}

int32_t HostScreenWidth() {
    return GetSystemMetrics(SM_CXVIRTUALSCREEN);
}
