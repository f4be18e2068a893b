#include "settings/SettingsHost.h"

#include <cstring>
#include <windows.h>

static_assert(sizeof(OSVERSIONINFOA) == sizeof(TOSVersionInfo), "same record");

std::string HostProgramFolder() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, length < MAX_PATH ? length : 0);
    size_t slash = path.find_last_of("\\/");
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
