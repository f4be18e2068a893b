// Names the Windows version and edition the program runs on ("Windows XP
// Professional"), for the "%OS%" placeholder of exports and printed pages.
//
// The naming rules are plain functions over a copy of the system's extended
// version record, so they are tested without Windows. The record of the running
// system is read once at start-up (unitOSInfo_win32.cpp); the argument-less
// functions answer from it.
#pragma once

#include <cstdint>
#include <string>

enum OSVersion {
    osUnknown,
    osWin95,
    osWin98,
    osWinMe,
    osWinNT4,
    osWin2000,
    osWinXP,
    osWin2003,
    osWinVista,
    // The systems since Vista, named as their maker names them, each without
    // an edition text: a server product has a name of its own.
    osWinServer2008,
    osWin7,
    osWinServer2008R2,
    osWin8,
    osWinServer2012,
    osWin81,
    osWinServer2012R2,
    osWin10,
    osWin11,
    osWinServer2016,
    osWinServer2019,
    osWinServer2022,
    osWinServer2025,
};

enum OSProductKind {
    pkNone,
    pkOther,
    pkWorkstation,
    pkServer,
    pkDomainController,
};

// Values of the version record's fields. Named apart from <windows.h>'s macros
// so that this header and <windows.h> can meet in one file.
constexpr uint32_t osPlatformWin32Windows = 1;
constexpr uint32_t osPlatformWin32NT = 2;
constexpr uint8_t osNTWorkstation = 1;
constexpr uint8_t osNTDomainController = 2;
constexpr uint8_t osNTServer = 3;
constexpr uint32_t osSuiteEnterprise = 0x0002;
constexpr uint32_t osSuiteDatacenter = 0x0080;
constexpr uint32_t osSuitePersonal = 0x0200;
constexpr uint32_t osSuiteBlade = 0x0400;

// Field for field the extended version record (OSVERSIONINFOEXA). Its first
// 148 bytes are the basic record (OSVERSIONINFOA).
struct TOSVersionInfoEx {
    uint32_t dwOSVersionInfoSize = 0;
    uint32_t dwMajorVersion = 0;
    uint32_t dwMinorVersion = 0;
    uint32_t dwBuildNumber = 0;
    uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
    uint16_t wServicePackMajor = 0;
    uint16_t wServicePackMinor = 0;
    uint16_t wSuiteMask = 0;
    uint8_t wProductType = 0;
    uint8_t wReserved = 0;
};
constexpr uint32_t OSVersionInfoSize = 148;
constexpr uint32_t OSVersionInfoExSize = 156;
static_assert(sizeof(TOSVersionInfoEx) == OSVersionInfoExSize);

// What the unit knows of a system: the record as the system filled it, and
// whether the extended query succeeded. When it did not, only the basic fields
// (platform, version numbers) are set and the suite mask and product type are 0.
struct TOSVersionRecord {
    TOSVersionInfoEx Info;
    bool Available = false;
};

// The unit's start-up step: reads the running system's record. Runs by itself
// before main(); later calls change nothing.
void ReadVersionInfo();

// The record the argument-less functions answer from.
const TOSVersionRecord& CurrentVersionRecord();

// The running system's record as the system reports it now (unitOSInfo_win32.cpp;
// all zeros, an unknown system, where there is no Windows).
TOSVersionRecord QueryVersionRecord();

bool IsWin9x();
bool IsWinNT();
OSVersion GetOSVersion();
OSProductKind GetOSProductKind();
bool IsServer();
bool HasSuite(uint32_t bit);
std::string GetOSVersionName();
std::string GetOSEdition();
std::string GetOSName();

// The same rules for any record.
bool IsWin9x(const TOSVersionRecord& rec);
bool IsWinNT(const TOSVersionRecord& rec);
OSVersion GetOSVersion(const TOSVersionRecord& rec);
OSProductKind GetOSProductKind(const TOSVersionRecord& rec);
bool IsServer(const TOSVersionRecord& rec);
bool HasSuite(const TOSVersionRecord& rec, uint32_t bit);
std::string GetOSVersionName(OSVersion version);
std::string GetOSEdition(const TOSVersionRecord& rec);
std::string GetOSName(const TOSVersionRecord& rec);
