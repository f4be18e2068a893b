// What only the memory store has: refusals switched on by a test.
#include "framework/MemoryKeyStore.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryKeyStore, DeniedRightsRefuseOpeningCreatingAndDeleting) {
    TMemoryKeyStore store;
    TKeyHandle key = 0;
    ASSERT_EQ(store.CreateKey(rkCurrentUser, "Software\\Locked\\Inner", kaAllAccess, key), ksOk);
    store.CloseKey(key);
    store.DenyAccess(rkCurrentUser, "software\\LOCKED", kaSetValue | kaCreateSubKey | kaDelete);

    EXPECT_EQ(store.OpenKey(rkCurrentUser, "Software\\Locked", kaAllAccess, key), ksAccessDenied);
    EXPECT_EQ(store.CreateKey(rkCurrentUser, "Software\\Locked", kaWrite, key), ksAccessDenied);
    EXPECT_EQ(store.CreateKey(rkCurrentUser, "Software\\Locked\\New", kaRead, key), ksAccessDenied);
    // Existing keys below stay reachable.
    ASSERT_EQ(store.CreateKey(rkCurrentUser, "Software\\Locked\\Inner", kaAllAccess, key), ksOk);
    store.CloseKey(key);
    ASSERT_EQ(store.OpenKey(rkCurrentUser, "Software\\Locked", kaRead, key), ksOk);
    EXPECT_EQ(store.DeleteKey(key, "Inner"), ksOk);
    EXPECT_EQ(store.DeleteKey(rkCurrentUser, "Software\\Locked"), ksAccessDenied);
    store.CloseKey(key);

    store.DenyAccess(rkCurrentUser, "Software\\Locked", 0);
    ASSERT_EQ(store.OpenKey(rkCurrentUser, "Software\\Locked", kaAllAccess, key), ksOk);
    store.CloseKey(key);
    EXPECT_EQ(store.OpenHandleCount(), 0u);
}

TEST(MemoryKeyStore, ADeniedRootRefusesThroughItsOwnHandle) {
    TMemoryKeyStore store;
    store.DenyAccess(rkLocalMachine, "", kaCreateSubKey | kaSetValue);
    TKeyHandle key = 0;
    EXPECT_EQ(store.CreateKey(rkLocalMachine, "Software", kaRead, key), ksAccessDenied);
    int32_t one = 1;
    EXPECT_EQ(store.SetValue(rkLocalMachine, "V", vtDWord, &one, 4), ksAccessDenied);
    EXPECT_EQ(store.CreateKey(rkCurrentUser, "Software", kaRead, key), ksOk);
    store.CloseKey(key);
}

} // namespace
