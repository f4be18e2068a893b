// The system registry as a test store, and what only the Windows build has.
#include <string>
#include <windows.h>

#include "framework/Registry.h"
#include "framework/WinKeyStore_win32.h"
#include "settings/QorvSettings.h"
#include "settings/unitSettings.h"
#include "tests/settings/TestStores.h"

namespace {

class TRegistryTestStore : public TTestStore {
public:
    TRegistryTestStore() {
        static int counter = 0;
        FScratch = "Software\\QorvTest-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(++counter);
        RegDeleteTreeA(HKEY_CURRENT_USER, FScratch.c_str());
    }
    ~TRegistryTestStore() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, FScratch.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, FScratch.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, FScratch.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, FScratch.c_str());
    }
    TKeyStore& Store() override { return FStore; }

private:
    TWinKeyStore FStore;
};

TEST(WinKeyStore, RootsAreTheSystemsHandles) {
    EXPECT_EQ(rkClassesRoot, reinterpret_cast<TKeyHandle>(HKEY_CLASSES_ROOT));
    EXPECT_EQ(rkCurrentUser, reinterpret_cast<TKeyHandle>(HKEY_CURRENT_USER));
    EXPECT_EQ(rkLocalMachine, reinterpret_cast<TKeyHandle>(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(rkUsers, reinterpret_cast<TKeyHandle>(HKEY_USERS));
    EXPECT_EQ(kaAllAccess, static_cast<uint32_t>(KEY_ALL_ACCESS));
    EXPECT_EQ(kaRead, static_cast<uint32_t>(KEY_READ));
    EXPECT_EQ(kaWrite, static_cast<uint32_t>(KEY_WRITE));
}

TEST(WinKeyStore, TheProgramsDefaultStoreIsTheSystemRegistry) {
    EXPECT_NE(dynamic_cast<TWinKeyStore*>(&DefaultKeyStore()), nullptr);
}

TEST(WinKeyStore, SettingsReadTheSystemVersion) {
    TMemoryKeyStore store;
    TQorvSettings settings("Software\\QorvVersionTest", &store);
    OSVERSIONINFOA expected{};
    expected.dwOSVersionInfoSize = sizeof expected;
    ASSERT_TRUE(GetVersionExA(&expected));
    EXPECT_EQ(settings.OSVersionInfo().dwOSVersionInfoSize, 148u);
    EXPECT_EQ(settings.OSVersionInfo().dwMajorVersion, expected.dwMajorVersion);
    EXPECT_EQ(settings.OSVersionInfo().dwBuildNumber, expected.dwBuildNumber);
    EXPECT_EQ(settings.ProgramPath().back(), '\\');
}

// The program's own object with no store named: the system registry, under
// the program's key.
TEST(WinKeyStore, ProgramSettingsLiveInTheUsersHive) {
    const char* vendor = "Software\\Drovanex";
    HKEY existing;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, vendor, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
        RegCloseKey(existing);
        GTEST_SKIP() << "the program's own settings exist here; they are left alone";
    }
    InitializeSettings();
    Settings->SetList(true);
    FinalizeSettings();

    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Drovanex\\Vantrel 2006\\R1", "List",
                           RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    HKEY machine;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, vendor, 0, KEY_READ, &machine),
              ERROR_FILE_NOT_FOUND);
    RegDeleteTreeA(HKEY_CURRENT_USER, vendor);
    RegDeleteKeyA(HKEY_CURRENT_USER, vendor);
}

} // namespace

std::unique_ptr<TTestStore> MakeRegistryTestStore() {
    return std::make_unique<TRegistryTestStore>();
}
