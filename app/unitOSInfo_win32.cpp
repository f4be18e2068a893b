#include "app/unitOSInfo_win32.h"

#include <cstddef>
#include <cstring>

// The portable mirror must match the system's record byte for byte: the sizes
// passed to the system come from it.
static_assert(sizeof(OSVERSIONINFOEXA) == OSVersionInfoExSize);
static_assert(sizeof(OSVERSIONINFOA) == OSVersionInfoSize);
static_assert(offsetof(OSVERSIONINFOEXA, wSuiteMask) == offsetof(TOSVersionInfoEx, wSuiteMask));
static_assert(offsetof(OSVERSIONINFOEXA, wProductType) == offsetof(TOSVersionInfoEx, wProductType));

namespace {

TOSVersionInfoEx ToPortable(const OSVERSIONINFOEXA& v) {
    TOSVersionInfoEx info;
    info.dwOSVersionInfoSize = v.dwOSVersionInfoSize;
    info.dwMajorVersion = v.dwMajorVersion;
    info.dwMinorVersion = v.dwMinorVersion;
    info.dwBuildNumber = v.dwBuildNumber;
    info.dwPlatformId = v.dwPlatformId;
    std::memcpy(info.szCSDVersion, v.szCSDVersion, sizeof info.szCSDVersion);
    info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
    info.wServicePackMajor = v.wServicePackMajor;
    info.wServicePackMinor = v.wServicePackMinor;
    info.wSuiteMask = v.wSuiteMask;
    info.wProductType = v.wProductType;
    info.wReserved = v.wReserved;
    return info;
}

} // namespace

TOSVersionRecord ReadVersionRecord(TGetVersionExA getVersionEx) {
    TOSVersionRecord rec;
    OSVERSIONINFOEXA ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    if (getVersionEx(reinterpret_cast<LPOSVERSIONINFOA>(&ex))) {
        rec.Info = ToPortable(ex);
        rec.Available = true;
        return rec;
    }
    // Systems before NT 4.0 SP6 know only the basic record.
    ex = OSVERSIONINFOEXA{};
    ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (getVersionEx(reinterpret_cast<LPOSVERSIONINFOA>(&ex))) {
        rec.Info = ToPortable(ex);
        rec.Info.wServicePackMajor = rec.Info.wServicePackMinor = 0;
        rec.Info.wSuiteMask = 0;
        rec.Info.wProductType = rec.Info.wReserved = 0;
    }
    return rec;
}

TOSVersionRecord QueryVersionRecord() {
    return ReadVersionRecord(&GetVersionExA);
}
