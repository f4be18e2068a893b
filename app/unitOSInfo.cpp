#include "app/unitOSInfo.h"

namespace {

// The suite mask and product type mean something only when the extended query
// succeeded; a record that says otherwise is read as if they were 0.
uint32_t SuiteMask(const TOSVersionRecord& rec) {
    return rec.Available ? rec.Info.wSuiteMask : 0;
}
uint32_t ProductType(const TOSVersionRecord& rec) {
    return rec.Available ? rec.Info.wProductType : 0;
}

// Version 10.0 covers Windows 10 and 11 and four server releases; only the
// build number tells them apart.
OSVersion TenByBuild(uint32_t build, bool server) {
    if (!server)
        return build < 22000 ? osWin10 : osWin11;
    if (build >= 26100)
        return osWinServer2025;
    if (build >= 20348)
        return osWinServer2022;
    if (build >= 17763)
        return osWinServer2019;
    return osWinServer2016;
}

const TOSVersionRecord& StartupRecord() {
    static const TOSVersionRecord record = QueryVersionRecord();
    return record;
}

// Read at start-up, before any window exists; the function-local static above
// also makes it safe for another unit's start-up code to ask first.
[[maybe_unused]] const bool GVersionRead = (ReadVersionInfo(), true);

} // namespace

void ReadVersionInfo() {
    StartupRecord();
}

const TOSVersionRecord& CurrentVersionRecord() {
    return StartupRecord();
}

bool IsWin9x(const TOSVersionRecord& rec) {
    return rec.Info.dwPlatformId == osPlatformWin32Windows;
}

bool IsWinNT(const TOSVersionRecord& rec) {
    return rec.Info.dwPlatformId == osPlatformWin32NT;
}

OSVersion GetOSVersion(const TOSVersionRecord& rec) {
    const uint32_t major = rec.Info.dwMajorVersion;
    const uint32_t minor = rec.Info.dwMinorVersion;
    if (IsWin9x(rec)) {
        if (major == 4 && minor == 0)
            return osWin95;
        if (major == 4 && minor == 10)
            return osWin98;
        if (major == 4 && minor == 90)
            return osWinMe;
    } else if (IsWinNT(rec)) {
        if (major == 4 && minor == 0)
            return osWinNT4;
        if (major == 5 && minor == 0)
            return osWin2000;
        if (major == 5 && minor == 1)
            return osWinXP;
        if (major == 5 && minor == 2)
            return osWin2003;
        const bool server = IsServer(rec);
        if (major == 6 && minor <= 3) {
            static constexpr OSVersion workstations[] = {osWinVista, osWin7, osWin8, osWin81};
            static constexpr OSVersion servers[] = {osWinServer2008, osWinServer2008R2,
                                                    osWinServer2012, osWinServer2012R2};
            return (server ? servers : workstations)[minor];
        }
        if (major == 10 && minor == 0)
            return TenByBuild(rec.Info.dwBuildNumber, server);
    }
    return osUnknown;
}

OSProductKind GetOSProductKind(const TOSVersionRecord& rec) {
    if (!IsWinNT(rec))
        return pkNone;
    switch (ProductType(rec)) {
    case osNTWorkstation:
        return pkWorkstation;
    case osNTServer:
        return pkServer;
    case osNTDomainController:
        return pkDomainController;
    default:
        return pkOther;
    }
}

bool IsServer(const TOSVersionRecord& rec) {
    const OSProductKind kind = GetOSProductKind(rec);
    return kind == pkServer || kind == pkDomainController;
}

bool HasSuite(const TOSVersionRecord& rec, uint32_t bit) {
    return (SuiteMask(rec) & bit) != 0;
}

std::string GetOSVersionName(OSVersion version) {
    switch (version) {
    case osWin95:
        return "Windows 95";
    case osWin98:
        return "Windows 98";
    case osWinMe:
        return "Windows Me";
    case osWinNT4:
        return "Windows NT 4.0";
    case osWin2000:
        return "Windows 2000";
    case osWinXP:
        return "Windows XP";
    case osWin2003:
        return "Windows Server 2003";
    case osWinVista:
        return "Windows Vista";
    case osWinServer2008:
        return "Windows Server 2008";
    case osWin7:
        return "Windows 7";
    case osWinServer2008R2:
        return "Windows Server 2008 R2";
    case osWin8:
        return "Windows 8";
    case osWinServer2012:
        return "Windows Server 2012";
    case osWin81:
        return "Windows 8.1";
    case osWinServer2012R2:
        return "Windows Server 2012 R2";
    case osWin10:
        return "Windows 10";
    case osWin11:
        return "Windows 11";
    case osWinServer2016:
        return "Windows Server 2016";
    case osWinServer2019:
        return "Windows Server 2019";
    case osWinServer2022:
        return "Windows Server 2022";
    case osWinServer2025:
        return "Windows Server 2025";
    default:
        return "System";
    }
}

std::string GetOSEdition(const TOSVersionRecord& rec) {
    if (!IsWinNT(rec) || !rec.Available)
        return "";
    const OSVersion version = GetOSVersion(rec);
    // Suite bits are tested from the biggest edition down: a data-centre system
    // also carries the enterprise bit.
    if (IsServer(rec)) {
        switch (version) {
        case osWinNT4:
            return HasSuite(rec, osSuiteEnterprise) ? "Server 4.0, Enterprise Edition"
                                                    : "Server 4.0";
        case osWin2000:
            if (HasSuite(rec, osSuiteDatacenter))
                return "Datacenter Server";
            if (HasSuite(rec, osSuiteEnterprise))
                return "Advanced Server";
            return "Standard Edition";
        case osWin2003:
            if (HasSuite(rec, osSuiteDatacenter))
                return "DataCenter Edition";
            if (HasSuite(rec, osSuiteEnterprise))
                return "Enterprise Edition";
            if (HasSuite(rec, osSuiteBlade))
                return "Web Edition";
            return "Standard Edition";
        default:
            return "";
        }
    }
    switch (version) {
    case osWinNT4:
        return "Workstation 4.0";
    case osWin2000:
        return "Professional";
    case osWinXP:
        return HasSuite(rec, osSuitePersonal) ? "Home Edition" : "Professional";
    default:
        return "";
    }
}

std::string GetOSName(const TOSVersionRecord& rec) {
    const std::string name = GetOSVersionName(GetOSVersion(rec));
    const std::string edition = GetOSEdition(rec);
    return edition.empty() ? name : name + " " + edition;
}

bool IsWin9x() {
    return IsWin9x(CurrentVersionRecord());
}
bool IsWinNT() {
    return IsWinNT(CurrentVersionRecord());
}
OSVersion GetOSVersion() {
    return GetOSVersion(CurrentVersionRecord());
}
OSProductKind GetOSProductKind() {
    return GetOSProductKind(CurrentVersionRecord());
}
bool IsServer() {
    return IsServer(CurrentVersionRecord());
}
bool HasSuite(uint32_t bit) {
    return HasSuite(CurrentVersionRecord(), bit);
}
std::string GetOSVersionName() {
    return GetOSVersionName(GetOSVersion());
}
std::string GetOSEdition() {
    return GetOSEdition(CurrentVersionRecord());
}
std::string GetOSName() {
    return GetOSName(CurrentVersionRecord());
}
