// The contract of a key store: run against the memory store and, in the
// Windows build, against the system registry, so that the memory store used
// by the other tests behaves as the registry does.
#include <algorithm>
#include <cstring>

#include "tests/settings/TestStores.h"

namespace {

class KeyStoreContract : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        ASSERT_EQ(Store().CreateKey(rkCurrentUser, Scratch(), kaAllAccess, FBase), ksOk);
    }
    void TearDown() override {
        Store().CloseKey(FBase);
        StoreTest::TearDown();
    }
    std::vector<uint8_t> Bytes(const char* text, size_t size) {
        return std::vector<uint8_t>(text, text + size);
    }

    TKeyHandle FBase = 0;
};

TEST_P(KeyStoreContract, OpenNeverCreatesAndCreateMakesTheWholePath) {
    TKeyHandle key = 0;
    EXPECT_EQ(Store().OpenKey(FBase, "A\\B", kaAllAccess, key), ksNotFound);
    EXPECT_FALSE(Exists(FBase, "A"));

    ASSERT_EQ(Store().CreateKey(FBase, "A\\B\\C", kaAllAccess, key), ksOk);
    EXPECT_EQ(Store().CloseKey(key), ksOk);
    EXPECT_TRUE(Exists(FBase, "A\\B"));
    // Names compare without regard to case.
    EXPECT_TRUE(Exists(FBase, "a\\b\\c"));
    EXPECT_TRUE(Exists(rkCurrentUser, Scratch() + "\\A\\B\\C"));

    // Creating an existing key opens it.
    ASSERT_EQ(Store().CreateKey(FBase, "a\\B", kaAllAccess, key), ksOk);
    std::string name;
    EXPECT_EQ(Store().EnumKey(key, 0, name), ksOk);
    EXPECT_EQ(name, "C");
    Store().CloseKey(key);

    // The empty path names the key itself.
    ASSERT_EQ(Store().OpenKey(FBase, "", kaAllAccess, key), ksOk);
    EXPECT_EQ(Store().EnumKey(key, 0, name), ksOk);
    EXPECT_EQ(name, "A");
    if (key != FBase)
        Store().CloseKey(key);
}

TEST_P(KeyStoreContract, ValuesKeepTheirTypeAndBytes) {
    int32_t number = -2;
    ASSERT_EQ(Store().SetValue(FBase, "Number", vtDWord, &number, 4), ksOk);
    ASSERT_EQ(Store().SetValue(FBase, "Text", vtString, "abc", 4), ksOk);
    ASSERT_EQ(Store().SetValue(FBase, "Raw", vtBinary, "\0\1\2", 3), ksOk);
    ASSERT_EQ(Store().SetValue(FBase, "", vtString, "default", 8), ksOk);
    ASSERT_EQ(Store().SetValue(FBase, "Empty", vtBinary, nullptr, 0), ksOk);

    uint32_t type = 99;
    std::vector<uint8_t> data;
    ASSERT_EQ(Store().QueryValue(FBase, "NUMBER", type, &data), ksOk);
    EXPECT_EQ(type, vtDWord);
    EXPECT_EQ(data, Bytes("\xFE\xFF\xFF\xFF", 4));
    ASSERT_EQ(Store().QueryValue(FBase, "Text", type, &data), ksOk);
    EXPECT_EQ(type, vtString);
    EXPECT_EQ(data, Bytes("abc", 4));
    ASSERT_EQ(Store().QueryValue(FBase, "Raw", type, &data), ksOk);
    EXPECT_EQ(type, vtBinary);
    EXPECT_EQ(data, Bytes("\0\1\2", 3));
    ASSERT_EQ(Store().QueryValue(FBase, "", type, &data), ksOk);
    EXPECT_EQ(data, Bytes("default", 8));
    ASSERT_EQ(Store().QueryValue(FBase, "Empty", type, &data), ksOk);
    EXPECT_TRUE(data.empty());
    // Without a buffer only the type is asked for.
    ASSERT_EQ(Store().QueryValue(FBase, "Text", type, nullptr), ksOk);
    EXPECT_EQ(type, vtString);

    // Rewriting may change the type.
    ASSERT_EQ(Store().SetValue(FBase, "number", vtString, "x", 2), ksOk);
    ASSERT_EQ(Store().QueryValue(FBase, "Number", type, &data), ksOk);
    EXPECT_EQ(type, vtString);

    // A value larger than any first guess arrives whole.
    std::vector<uint8_t> big(70000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(Store().SetValue(FBase, "Big", vtBinary, big.data(), 70000), ksOk);
    ASSERT_EQ(Store().QueryValue(FBase, "Big", type, &data), ksOk);
    EXPECT_EQ(data, big);

    EXPECT_EQ(Store().QueryValue(FBase, "Missing", type, &data), ksNotFound);
    EXPECT_EQ(Store().DeleteValue(FBase, "RAW"), ksOk);
    EXPECT_EQ(Store().QueryValue(FBase, "Raw", type, nullptr), ksNotFound);
    EXPECT_EQ(Store().DeleteValue(FBase, "Raw"), ksNotFound);
}

TEST_P(KeyStoreContract, AHandleOnlyDoesWhatItsRightsAllow) {
    int32_t one = 1, two = 2;
    ASSERT_EQ(Store().SetValue(FBase, "V", vtDWord, &one, 4), ksOk);
    TKeyHandle sub = 0;
    ASSERT_EQ(Store().CreateKey(FBase, "Sub", kaAllAccess, sub), ksOk);
    Store().CloseKey(sub);

    TKeyHandle reader = 0;
    ASSERT_EQ(Store().OpenKey(rkCurrentUser, Scratch(), kaRead, reader), ksOk);
    EXPECT_EQ(Store().SetValue(reader, "V", vtDWord, &two, 4), ksAccessDenied);
    EXPECT_EQ(Store().SetValue(reader, "New", vtDWord, &two, 4), ksAccessDenied);
    EXPECT_EQ(Store().DeleteValue(reader, "V"), ksAccessDenied);
    uint32_t type;
    std::vector<uint8_t> data;
    EXPECT_EQ(Store().QueryValue(reader, "V", type, &data), ksOk);
    std::string name;
    EXPECT_EQ(Store().EnumKey(reader, 0, name), ksOk);
    Store().CloseKey(reader);
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "V"), 1);
    EXPECT_FALSE(HasValue(rkCurrentUser, Scratch(), "New"));

    TKeyHandle writer = 0;
    ASSERT_EQ(Store().OpenKey(rkCurrentUser, Scratch(), kaWrite, writer), ksOk);
    EXPECT_EQ(Store().QueryValue(writer, "V", type, &data), ksAccessDenied);
    EXPECT_EQ(Store().EnumKey(writer, 0, name), ksAccessDenied);
    EXPECT_EQ(Store().SetValue(writer, "V", vtDWord, &two, 4), ksOk);
    Store().CloseKey(writer);
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "V"), 2);
}

TEST_P(KeyStoreContract, DeleteKeyRefusesKeysWithSubKeys) {
    TKeyHandle key = 0;
    ASSERT_EQ(Store().CreateKey(FBase, "P\\C", kaAllAccess, key), ksOk);
    Store().CloseKey(key);

    EXPECT_NE(Store().DeleteKey(FBase, "P"), ksOk);
    EXPECT_TRUE(Exists(FBase, "P\\C"));
    EXPECT_EQ(Store().DeleteKey(FBase, "p\\c"), ksOk);
    EXPECT_EQ(Store().DeleteKey(FBase, "P"), ksOk);
    EXPECT_FALSE(Exists(FBase, "P"));
    EXPECT_EQ(Store().DeleteKey(FBase, "P"), ksNotFound);
}

TEST_P(KeyStoreContract, AHandleOfADeletedKeyFails) {
    TKeyHandle key = 0;
    ASSERT_EQ(Store().CreateKey(FBase, "Gone", kaAllAccess, key), ksOk);
    ASSERT_EQ(Store().DeleteKey(FBase, "Gone"), ksOk);
    int32_t one = 1;
    EXPECT_EQ(Store().SetValue(key, "V", vtDWord, &one, 4), ksKeyDeleted);
    uint32_t type;
    EXPECT_EQ(Store().QueryValue(key, "V", type, nullptr), ksKeyDeleted);
    EXPECT_EQ(Store().CloseKey(key), ksOk);
    // A new key of the same name is a fresh one.
    ASSERT_EQ(Store().CreateKey(FBase, "Gone", kaAllAccess, key), ksOk);
    EXPECT_EQ(Store().QueryValue(key, "V", type, nullptr), ksNotFound);
    Store().CloseKey(key);
}

TEST_P(KeyStoreContract, EnumKeyListsEverySubKeyOnce) {
    for (const char* name : {"Beta", "alpha", "Gamma"}) {
        TKeyHandle key = 0;
        ASSERT_EQ(Store().CreateKey(FBase, name, kaAllAccess, key), ksOk);
        Store().CloseKey(key);
    }
    std::vector<std::string> names;
    std::string name;
    uint32_t index = 0;
    TKeyStatus status;
    while ((status = Store().EnumKey(FBase, index, name)) == ksOk) {
        names.push_back(name);
        ++index;
    }
    EXPECT_EQ(status, ksNoMoreItems);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Beta", "Gamma", "alpha"}));
}

QORV_INSTANTIATE_FOR_ALL_STORES(KeyStoreContract);

} // namespace
