// What the settings need from the operating system, kept out of the portable
// units: the program's folder, the version record, a scroll bar's width and the
// desktop's.
#pragma once

#include <cstdint>
#include <string>

// Same layout as the system's basic version record (148 bytes).
struct TOSVersionInfo {
    uint32_t dwOSVersionInfoSize;
    uint32_t dwMajorVersion;
    uint32_t dwMinorVersion;
    uint32_t dwBuildNumber;
    uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(TOSVersionInfo) == 148, "the system's record size");

// Folder of the running program file, ending with the path separator.
std::string HostProgramFolder();
// Fills the record whose size field the caller has set; false when the
// system gives nothing (the record is then left zeroed but for its size).
bool HostGetVersion(TOSVersionInfo& info);
// Width in pixels of a vertical scroll bar.
int32_t HostVerticalScrollBarWidth();
// Width in pixels of the desktop, all monitors together.
int32_t HostScreenWidth();
