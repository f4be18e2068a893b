#include "tests/settings/TestStores.h"

#include <cstring>

namespace {

class TMemoryTestStore : public TTestStore {
public:
    TMemoryTestStore() { FScratch = "Software\\QorvTest"; }
    TKeyStore& Store() override { return FStore; }
    TMemoryKeyStore* Memory() override { return &FStore; }

private:
    TMemoryKeyStore FStore;
};

} // namespace

std::unique_ptr<TTestStore> MakeMemoryTestStore() {
    return std::make_unique<TMemoryTestStore>();
}

std::vector<TStoreKind> AllStoreKinds() {
    std::vector<TStoreKind> kinds{{"Memory", MakeMemoryTestStore}};
#if defined(_WIN32)
    kinds.push_back({"Registry", MakeRegistryTestStore});
#endif
    return kinds;
}

void StoreTest::TearDown() {
    // Every key a test's objects opened must be closed again by now.
    if (TMemoryKeyStore* memory = Memory()) {
        EXPECT_EQ(memory->OpenHandleCount(), 0u);
    }
    FTestStore.reset();
}

bool StoreTest::Exists(TKeyHandle root, const std::string& path) {
    TKeyHandle key = 0;
    TKeyStatus status = Store().OpenKey(root, path, kaRead, key);
    if (status == ksOk && key != root)
        Store().CloseKey(key);
    return status == ksOk;
}

bool StoreTest::Value(TKeyHandle root, const std::string& path, const std::string& name,
                      uint32_t& type, std::vector<uint8_t>& data) {
    TKeyHandle key = 0;
    if (Store().OpenKey(root, path, kaRead, key) != ksOk)
        return false;
    bool found = Store().QueryValue(key, name, type, &data) == ksOk;
    Store().CloseKey(key);
    return found;
}

bool StoreTest::HasValue(TKeyHandle root, const std::string& path, const std::string& name) {
    uint32_t type;
    std::vector<uint8_t> data;
    return Value(root, path, name, type, data);
}

int32_t StoreTest::DWord(TKeyHandle root, const std::string& path, const std::string& name,
                         int32_t fallback) {
    uint32_t type;
    std::vector<uint8_t> data;
    if (!Value(root, path, name, type, data) || type != vtDWord || data.size() != 4)
        return fallback;
    int32_t value;
    std::memcpy(&value, data.data(), 4);
    return value;
}

void StoreTest::PutValue(TKeyHandle root, const std::string& path, const std::string& name,
                         uint32_t type, const void* data, uint32_t size) {
    TKeyHandle key = 0;
    ASSERT_EQ(Store().CreateKey(root, path, kaAllAccess, key), ksOk);
    EXPECT_EQ(Store().SetValue(key, name, type, data, size), ksOk);
    Store().CloseKey(key);
}
