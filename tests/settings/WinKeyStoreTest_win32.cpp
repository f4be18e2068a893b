// The system registry as a test store, and what only the Windows build has.
#include <string>
#include <windows.h>

#include "framework/Registry.h"
#include "framework/WinKeyStore_win32.h"
#include "settings/QorvSettings.h"
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

} // namespace

std::unique_ptr<TTestStore> MakeRegistryTestStore() {
    return std::make_unique<TRegistryTestStore>();
}
