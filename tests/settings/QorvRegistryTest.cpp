// TQorvRegistry: value names with key paths, created keys, and that nothing
// the registry does reaches the caller.
#include "settings/QorvRegistry.h"
#include "tests/settings/TestStores.h"

namespace {

TEST(QorvRegistryPaths, BaseAndDefaultPathsAreNormalised) {
    TMemoryKeyStore store;
    TQorvRegistry reg(&store);
    EXPECT_EQ(reg.BasePath(), "\\");
    EXPECT_EQ(reg.DefaultPath(), "\\");
    EXPECT_TRUE(reg.CanCreate());
    EXPECT_EQ(reg.DefaultRootKey(), rkCurrentUser);
    reg.SetBasePath("A\\B");
    EXPECT_EQ(reg.BasePath(), "\\A\\B\\");
    reg.SetBasePath("\\C\\");
    EXPECT_EQ(reg.BasePath(), "\\C\\");
    reg.SetBasePath("");
    EXPECT_EQ(reg.BasePath(), "\\");
    reg.SetDefaultPath("Software\\Drovanex\\Vantrel 2006\\R1\\");
    EXPECT_EQ(reg.DefaultPath(), "\\Software\\Drovanex\\Vantrel 2006\\R1\\");
    TQorvRegistry limited(kaRead, &store);
    EXPECT_EQ(limited.Access(), kaRead);
}

TEST(QorvRegistryPaths, NamesSplitAtTheLastBackslash) {
    EXPECT_EQ(TQorvRegistry::ExtractKeyPath("MainForm\\Left"), "MainForm\\");
    EXPECT_EQ(TQorvRegistry::ExtractValueName("MainForm\\Left"), "Left");
    EXPECT_EQ(TQorvRegistry::ExtractKeyPath("List"), "");
    EXPECT_EQ(TQorvRegistry::ExtractValueName("List"), "List");
    EXPECT_EQ(TQorvRegistry::ExtractKeyPath("MainForm\\"), "MainForm\\");
    EXPECT_EQ(TQorvRegistry::ExtractValueName("MainForm\\"), "");
    EXPECT_EQ(TQorvRegistry::ExtractKeyPath("A\\B\\C"), "A\\B\\");
}

class QorvRegistryTest : public StoreTest {
protected:
    std::string Key(const std::string& sub = "") const {
        return sub.empty() ? Scratch() : Scratch() + "\\" + sub;
    }
};

TEST_P(QorvRegistryTest, MissingAndForeignValuesGiveTheDefaultAndStayMissing) {
    PutValue(rkCurrentUser, Key(), "Text", vtString, "12", 3);
    PutDWord(rkCurrentUser, Key(), "Number", 0);
    TQorvRegistry reg(&Store());
    reg.SetBasePath(Scratch());

    EXPECT_EQ(reg.ReadInteger("Missing", 42), 42);
    EXPECT_TRUE(reg.ReadBool("Missing", true));
    EXPECT_EQ(reg.ReadString("Missing", "dflt"), "dflt");
    EXPECT_FALSE(HasValue(rkCurrentUser, Key(), "Missing"));

    EXPECT_EQ(reg.ReadInteger("Text", -1), -1);
    EXPECT_TRUE(reg.ReadBool("Text", true));
    EXPECT_EQ(reg.ReadString("Number", "d"), "d");
    EXPECT_EQ(reg.ReadString("Text", ""), "12");
    EXPECT_FALSE(reg.ReadBool("Number", true));
}

TEST_P(QorvRegistryTest, CanCreateDecidesWhetherReadingCreatesTheKey) {
    {
        TQorvRegistry reg(&Store());
        reg.SetBasePath(Scratch());
        reg.SetCanCreate(false);
        EXPECT_EQ(reg.ReadInteger("Sec\\X", 3), 3);
        EXPECT_FALSE(Exists(rkCurrentUser, Key()));
        // Nothing is written either, not even into another key.
        reg.WriteInteger("Sec\\X", 4);
        EXPECT_FALSE(Exists(rkCurrentUser, Key()));
    }
    TQorvRegistry reg(&Store());
    reg.SetBasePath(Scratch());
    EXPECT_EQ(reg.ReadInteger("Sec\\X", 3), 3);
    EXPECT_TRUE(Exists(rkCurrentUser, Key("Sec")));
    EXPECT_FALSE(HasValue(rkCurrentUser, Key("Sec"), "X"));
}

TEST_P(QorvRegistryTest, ValuesGoToTheKeyTheirNameCarries) {
    TQorvRegistry reg(&Store());
    reg.SetBasePath(Scratch());
    reg.WriteInteger("MainForm\\Left", -30);
    // A bare name acts on the key that is open.
    reg.WriteBool("Flag", true);
    EXPECT_EQ(DWord(rkCurrentUser, Key("MainForm"), "Left"), -30);
    EXPECT_EQ(DWord(rkCurrentUser, Key("MainForm"), "Flag"), 1);
    // With no key open, a bare name is the base key's.
    reg.CloseKey();
    reg.WriteBool("Flag", false);
    EXPECT_EQ(DWord(rkCurrentUser, Key(), "Flag"), 0);
    EXPECT_FALSE(reg.ReadBool("Flag", true));
    EXPECT_EQ(reg.ReadInteger("MainForm\\Left", 0), -30);
    // MainForm is open now.
    EXPECT_TRUE(reg.ReadBool("Flag", false));
    EXPECT_EQ(reg.ReadInteger("A\\B\\Deep", 5), 5);
    EXPECT_TRUE(Exists(rkCurrentUser, Key("A\\B")));

    EXPECT_TRUE(reg.DeleteValue("MainForm\\Left"));
    EXPECT_FALSE(HasValue(rkCurrentUser, Key("MainForm"), "Left"));
    EXPECT_FALSE(reg.DeleteValue("MainForm\\Left"));
}

TEST_P(QorvRegistryTest, DeleteKeyTakesTheSubtreeAndMissingKeysGiveFalse) {
    TQorvRegistry reg(&Store());
    reg.SetBasePath(Scratch());
    reg.WriteInteger("Sec\\Inner\\V", 1);
    reg.WriteInteger("Sec\\W", 2);
    reg.WriteInteger("Other\\V", 3);
    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey("Sec"));
    EXPECT_FALSE(Exists(rkCurrentUser, Key("Sec")));
    EXPECT_TRUE(Exists(rkCurrentUser, Key("Other")));
    EXPECT_FALSE(reg.DeleteKey("Sec"));
    EXPECT_FALSE(reg.DeleteKey("Never"));
    // A key path in the name: the last component below it.
    reg.WriteInteger("Other\\Leaf\\V", 4);
    EXPECT_TRUE(reg.DeleteKey("Other\\Leaf"));
    EXPECT_FALSE(Exists(rkCurrentUser, Key("Other\\Leaf")));
    EXPECT_TRUE(Exists(rkCurrentUser, Key("Other")));
}

TEST_P(QorvRegistryTest, RefusedWritesAreDroppedSilently) {
    PutDWord(rkCurrentUser, Key(), "V", 1);
    TQorvRegistry reg(kaRead, &Store());
    reg.SetBasePath(Scratch());
    EXPECT_NO_THROW(reg.WriteInteger("V", 2));
    EXPECT_NO_THROW(reg.WriteBool("New", true));
    EXPECT_FALSE(reg.DeleteValue("V"));
    EXPECT_EQ(DWord(rkCurrentUser, Key(), "V"), 1);
    EXPECT_FALSE(HasValue(rkCurrentUser, Key(), "New"));
    EXPECT_EQ(reg.ReadInteger("V", 0), 1);
}

TEST_P(QorvRegistryTest, OpenRootAndOpenDefaultSwitchHives) {
    TQorvRegistry reg(&Store());
    reg.SetDefaultPath(Scratch());
    ASSERT_TRUE(reg.OpenDefault());
    EXPECT_EQ(reg.BasePath(), "\\" + Scratch() + "\\");
    reg.WriteInteger("User", 1);

    reg.SetCanCreate(false);
    EXPECT_FALSE(reg.OpenRoot(rkLocalMachine, Scratch()));
    EXPECT_EQ(reg.CurrentKey(), 0u);
    EXPECT_EQ(reg.ReadInteger("User", 9), 9);
    reg.WriteInteger("User", 2);
    EXPECT_FALSE(Exists(rkLocalMachine, Scratch()));

    reg.SetCanCreate(true);
    reg.SetAccess(kaRead);
    ASSERT_TRUE(reg.ResetToUser());
    EXPECT_EQ(reg.Access(), kaAllAccess);
    EXPECT_EQ(reg.RootKey(), rkCurrentUser);
    EXPECT_EQ(reg.ReadInteger("User", 0), 1);
}

QORV_INSTANTIATE_FOR_ALL_STORES(QorvRegistryTest);

TEST(QorvRegistryMemory, AKeyThatRefusesWritingKeepsItsValues) {
    TMemoryKeyStore store;
    {
        TQorvRegistry reg(&store);
        reg.SetBasePath("Software\\T");
        reg.WriteInteger("Locked\\V", 1);
        reg.WriteInteger("W", 1);
    }
    store.DenyAccess(rkCurrentUser, "Software\\T\\Locked", kaSetValue | kaDelete);
    TQorvRegistry reg(&store);
    reg.SetBasePath("Software\\T");
    reg.WriteInteger("W", 2);
    EXPECT_NO_THROW(reg.WriteInteger("Locked\\V", 5));
    EXPECT_NO_THROW(reg.WriteInteger("Locked\\Fresh", 5));
    EXPECT_FALSE(reg.DeleteKey("Locked"));
    EXPECT_FALSE(reg.DeleteValue("Locked\\V"));
    // The refused write went nowhere else either.
    EXPECT_EQ(reg.ReadInteger("V", 0), 0);
    EXPECT_EQ(reg.ReadInteger("W", 0), 2);
    EXPECT_EQ(reg.ReadInteger("Fresh", 0), 0);
    EXPECT_EQ(reg.ReadInteger("Locked\\V", 0), 0); // unreadable with full rights
    reg.SetAccess(kaRead);
    reg.CloseKey();
    EXPECT_EQ(reg.ReadInteger("Locked\\V", 0), 1);
    EXPECT_EQ(reg.ReadInteger("Locked\\Fresh", 0), 0);
}

TEST(QorvRegistryMemory, NoKeyCanBeCreatedUnderARefusingParent) {
    TMemoryKeyStore store;
    store.DenyAccess(rkCurrentUser, "", kaCreateSubKey);
    TQorvRegistry reg(&store);
    reg.SetBasePath("Software\\T");
    EXPECT_NO_THROW(reg.WriteBool("A\\B", true));
    EXPECT_TRUE(reg.ReadBool("A\\B", true));
    EXPECT_FALSE(reg.OpenDefault());
    EXPECT_EQ(store.OpenHandleCount(), 0u);
}

} // namespace
