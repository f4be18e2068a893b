#include "settings/SettingsHost.h"

#include <cstring>
#include <windows.h>

static_assert(sizeof(OSVERSIONINFOA) == sizeof(TOSVersionInfo), "same record");

std::string HostProgramFolder() {
    // Long paths do not fit MAX_PATH: grow until the name is whole.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768)
            return std::string();
        path.resize(path.size() * 2);
    }
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

int32_t HostScreenWidth() {
    return GetSystemMetrics(SM_CXVIRTUALSCREEN);
}
