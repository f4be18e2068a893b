// The reader of the version record on Windows, and the names read under Wine
// for several Windows versions of the prefix.
#include "app/unitOSInfo_win32.h"
#include "tests/tools/WineVersion_win32.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

namespace {

// --- The reader with a stand-in query -------------------------------------

int GCalls;
DWORD GSizes[4];

BOOL WINAPI ExtendedOnlyFails(LPOSVERSIONINFOA info) {
    GSizes[GCalls++ & 3] = info->dwOSVersionInfoSize;
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return FALSE;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 0;
    return TRUE;
}

BOOL WINAPI AlwaysFails(LPOSVERSIONINFOA info) {
    GSizes[GCalls++ & 3] = info->dwOSVersionInfoSize;
    return FALSE;
}

BOOL WINAPI ServerRecord(LPOSVERSIONINFOA info) {
    GSizes[GCalls++ & 3] = info->dwOSVersionInfoSize;
    auto* ex = reinterpret_cast<OSVERSIONINFOEXA*>(info);
    // The reader must hand over a zeroed record.
    if (ex->dwMajorVersion || ex->wSuiteMask || ex->wProductType || ex->szCSDVersion[0])
        return FALSE;
    ex->dwPlatformId = VER_PLATFORM_WIN32_NT;
    ex->dwMajorVersion = 5;
    ex->dwMinorVersion = 2;
    ex->wProductType = VER_NT_SERVER;
    ex->wSuiteMask = VER_SUITE_ENTERPRISE | VER_SUITE_BLADE;
    return TRUE;
}

TEST(OSInfoReader, ExtendedRecordGivesSuiteAndProduct) {
    GCalls = 0;
    const TOSVersionRecord rec = ReadVersionRecord(&ServerRecord);
    ASSERT_EQ(GCalls, 1);
    EXPECT_EQ(GSizes[0], 156u);
    EXPECT_TRUE(rec.Available);
    EXPECT_EQ(GetOSName(rec), "Windows Server 2003 Enterprise Edition");
}

TEST(OSInfoReader, FailedExtendedQueryFallsBackToTheBasicRecord) {
    GCalls = 0;
    const TOSVersionRecord rec = ReadVersionRecord(&ExtendedOnlyFails);
    ASSERT_EQ(GCalls, 2);
    EXPECT_EQ(GSizes[0], 156u);
    EXPECT_EQ(GSizes[1], 148u);
    EXPECT_FALSE(rec.Available);
    EXPECT_EQ(rec.Info.dwMajorVersion, 5u);
    EXPECT_EQ(GetOSName(rec), "Windows 2000");
}

TEST(OSInfoReader, NoRecordAtAllIsAnUnknownSystem) {
    GCalls = 0;
    const TOSVersionRecord rec = ReadVersionRecord(&AlwaysFails);
    EXPECT_EQ(GCalls, 2);
    EXPECT_FALSE(rec.Available);
    EXPECT_EQ(GetOSName(rec), "System");
}

TEST(OSInfoReader, StartupRecordIsTheSystems) {
    OSVERSIONINFOA basic{};
    basic.dwOSVersionInfoSize = sizeof basic;
    ASSERT_TRUE(GetVersionExA(&basic));
    const TOSVersionRecord& rec = CurrentVersionRecord();
    EXPECT_TRUE(rec.Available);
    EXPECT_EQ(rec.Info.dwPlatformId, basic.dwPlatformId);
    EXPECT_EQ(rec.Info.dwMajorVersion, basic.dwMajorVersion);
    EXPECT_EQ(rec.Info.dwMinorVersion, basic.dwMinorVersion);
    EXPECT_EQ(GetOSName(), GetOSName(QueryVersionRecord()));
    EXPECT_NE(GetOSName(), "");
}

// --- Wine's configured Windows version --------------------------------------

struct TProbeResult {
    std::string Name;
    unsigned Platform = 0, Major = 0, Minor = 0, Product = 0, Suite = 0, Available = 0;
};

std::string ProbePath() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1) + "osinfo_probe.exe";
}

// Runs the probe in a new process, which reads the version at its start.
std::optional<TProbeResult> RunProbe() {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return std::nullopt;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string cmd = ProbePath();
    cmd.insert(cmd.begin(), '"');
    cmd.push_back('"');
    const BOOL started =
        CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return std::nullopt;
    }
    std::string out;
    char buf[256];
    DWORD got = 0;
    while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0)
        out.append(buf, got);
    CloseHandle(readEnd);
    WaitForSingleObject(pi.hProcess, 60000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    TProbeResult r;
    std::istringstream in(out);
    std::getline(in, r.Name);
    if (!r.Name.empty() && r.Name.back() == '\r')
        r.Name.pop_back();
    if (!(in >> r.Platform >> r.Major >> r.Minor >> r.Product >> r.Suite >> r.Available))
        return std::nullopt;
    return r;
}

TEST(OSInfoUnderWine, NamesTheConfiguredWindowsVersion) {
    if (!UnderWine())
        GTEST_SKIP() << "not running under Wine";
    // Wine 8.0 reports "win7" as a server and "win2008r2" as a workstation, so
    // neither is a fair witness here. No value at all means 6.1 workstation.
    struct {
        const char* WineVersion;
        unsigned Platform, Major, Minor;
        const char* Name;
    } cases[] = {
        {"winxp", 2, 5, 1, "Windows XP Professional"},
        {"win2003", 2, 5, 2, "Windows Server 2003 Standard Edition"},
        {"win2k", 2, 5, 0, "Windows 2000 Professional"},
        {"nt40", 2, 4, 0, "Windows NT 4.0 Workstation 4.0"},
        {"vista", 2, 6, 0, "Windows Vista"},
        {"win2008", 2, 6, 0, "Windows Server 2008"},
        {"win98", 1, 4, 10, "Windows 98"},
        {"winme", 1, 4, 90, "Windows Me"},
        {nullptr, 2, 6, 1, "Windows 7"},
    };
    const std::optional<std::string> before = WineVersionValue();
    {
        TWineVersionOverride override;
        ASSERT_TRUE(override.Valid());
        for (const auto& c : cases) {
            SCOPED_TRACE(c.WineVersion ? c.WineVersion : "(none)");
            ASSERT_TRUE(c.WineVersion ? override.Set(c.WineVersion) : override.Unset());
            const auto r = RunProbe();
            ASSERT_TRUE(r.has_value()) << "the probe did not run or answered nonsense";
            EXPECT_EQ(r->Platform, c.Platform);
            EXPECT_EQ(r->Major, c.Major);
            EXPECT_EQ(r->Minor, c.Minor);
            EXPECT_EQ(r->Name, c.Name);
        }
    }
    EXPECT_EQ(WineVersionValue(), before) << "the prefix's setting was not put back";
}

} // namespace
