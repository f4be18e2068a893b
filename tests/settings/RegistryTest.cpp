// TRegistry over each store: key paths, the current key and deleting trees.
#include "framework/Registry.h"
#include "tests/settings/TestStores.h"

namespace {

class RegistryTest : public StoreTest {};

TEST_P(RegistryTest, OpenKeyFollowsRelativeAndAbsolutePaths) {
    TRegistry reg(&Store());
    EXPECT_EQ(reg.RootKey(), rkCurrentUser);
    EXPECT_EQ(reg.Access(), kaAllAccess);
    ASSERT_TRUE(reg.OpenKey("\\" + Scratch() + "\\", true));
    EXPECT_EQ(reg.CurrentPath(), Scratch());

    // Relative to the open key.
    ASSERT_TRUE(reg.OpenKey("A\\B", true));
    EXPECT_EQ(reg.CurrentPath(), Scratch() + "\\A\\B");
    EXPECT_TRUE(Exists(rkCurrentUser, Scratch() + "\\A\\B"));

    // A failed open changes nothing.
    TKeyHandle before = reg.CurrentKey();
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_EQ(reg.CurrentKey(), before);
    EXPECT_FALSE(Exists(rkCurrentUser, Scratch() + "\\A\\B\\Missing"));

    // Absolute, whatever is open.
    ASSERT_TRUE(reg.OpenKey("\\" + Scratch() + "\\C", true));
    EXPECT_EQ(reg.CurrentPath(), Scratch() + "\\C");
    EXPECT_FALSE(Exists(rkCurrentUser, Scratch() + "\\A\\B\\" + Scratch()));

    // The same root keeps the key, another one closes it.
    reg.SetRootKey(rkCurrentUser);
    EXPECT_NE(reg.CurrentKey(), 0u);
    reg.SetRootKey(rkLocalMachine);
    EXPECT_EQ(reg.CurrentKey(), 0u);
    EXPECT_EQ(reg.CurrentPath(), "");
}

TEST_P(RegistryTest, TypedReadsRaiseOnMissingAndForeignValues) {
    PutDWord(rkCurrentUser, Scratch(), "N", 7);
    PutValue(rkCurrentUser, Scratch(), "S", vtString, "text", 5);
    PutValue(rkCurrentUser, Scratch(), "NoZero", vtString, "abc", 3);
    PutValue(rkCurrentUser, Scratch(), "E", vtExpandString, "%PATH%", 7);
    PutValue(rkCurrentUser, Scratch(), "Short", vtDWord, "\1\0", 2);

    TRegistry reg(&Store());
    ASSERT_TRUE(reg.OpenKey("\\" + Scratch(), false));
    EXPECT_EQ(reg.ReadInteger("N"), 7);
    EXPECT_TRUE(reg.ReadBool("N"));
    EXPECT_EQ(reg.ReadString("S"), "text");
    EXPECT_EQ(reg.ReadString("NoZero"), "abc");
    // Accepted, not expanded.
    EXPECT_EQ(reg.ReadString("E"), "%PATH%");
    EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("S"), ERegistryException);
    EXPECT_THROW(reg.ReadString("N"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Short"), ERegistryException);
    EXPECT_FALSE(reg.ValueExists("Missing"));
    EXPECT_TRUE(reg.ValueExists("s"));

    reg.CloseKey();
    EXPECT_THROW(reg.ReadInteger("N"), ERegistryException);
    EXPECT_THROW(reg.WriteInteger("N", 1), ERegistryException);
}

TEST_P(RegistryTest, DeleteKeyRemovesTheWholeTree) {
    TRegistry reg(&Store());
    ASSERT_TRUE(reg.OpenKey("\\" + Scratch() + "\\T\\A\\Deep", true));
    reg.WriteInteger("X", 1);
    ASSERT_TRUE(reg.OpenKey("\\" + Scratch() + "\\T\\B", true));
    reg.WriteString("Y", "y");
    ASSERT_TRUE(reg.OpenKey("\\" + Scratch() + "\\Keep", true));
    ASSERT_TRUE(reg.OpenKey("\\" + Scratch(), false));

    EXPECT_TRUE(reg.DeleteKey("T"));
    EXPECT_FALSE(Exists(rkCurrentUser, Scratch() + "\\T"));
    EXPECT_TRUE(Exists(rkCurrentUser, Scratch() + "\\Keep"));
    EXPECT_FALSE(reg.DeleteKey("T"));
    // An empty name never means the open key itself.
    EXPECT_FALSE(reg.DeleteKey(""));
    EXPECT_FALSE(reg.DeleteKey("\\"));
    EXPECT_TRUE(Exists(rkCurrentUser, Scratch()));
    // Absolute names work from any key.
    ASSERT_TRUE(reg.OpenKey("Keep", false));
    EXPECT_TRUE(reg.DeleteKey("\\" + Scratch() + "\\Keep"));
    EXPECT_FALSE(Exists(rkCurrentUser, Scratch() + "\\Keep"));
}

QORV_INSTANTIATE_FOR_ALL_STORES(RegistryTest);

} // namespace
