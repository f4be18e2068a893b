// The stores the shared suites run against: a memory store everywhere, the
// system registry in the Windows build. Each test gets a scratch key of its
// own below the current user's "Software", removed afterwards.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/KeyStore.h"
#include "framework/MemoryKeyStore.h"

class TTestStore {
public:
    virtual ~TTestStore() = default;
    virtual TKeyStore& Store() = 0;
    // Null for the system registry.
    virtual TMemoryKeyStore* Memory() { return nullptr; }
    // A key path below the current user's hive that no other test uses.
    const std::string& Scratch() const { return FScratch; }

protected:
    std::string FScratch;
};

struct TStoreKind {
    std::string Name;
    std::function<std::unique_ptr<TTestStore>()> Make;
};

inline void PrintTo(const TStoreKind& kind, std::ostream* os) {
    *os << kind.Name;
}

inline std::string StoreKindName(const testing::TestParamInfo<TStoreKind>& info) {
    return info.param.Name;
}

std::unique_ptr<TTestStore> MakeMemoryTestStore();
// The system registry, in the Windows build only.
std::unique_ptr<TTestStore> MakeRegistryTestStore();
// Every kind of store this build can test.
std::vector<TStoreKind> AllStoreKinds();

// Base of the suites that run against every kind of store.
class StoreTest : public testing::TestWithParam<TStoreKind> {
protected:
    void SetUp() override { FTestStore = GetParam().Make(); }
    void TearDown() override;

    TKeyStore& Store() { return FTestStore->Store(); }
    TMemoryKeyStore* Memory() { return FTestStore->Memory(); }
    const std::string& Scratch() const { return FTestStore->Scratch(); }
    // Whether the key exists, asked of the store directly.
    bool Exists(TKeyHandle root, const std::string& path);
    // Type and data of a value, asked of the store directly; false when missing.
    bool Value(TKeyHandle root, const std::string& path, const std::string& name, uint32_t& type,
               std::vector<uint8_t>& data);
    bool HasValue(TKeyHandle root, const std::string& path, const std::string& name);
    // A DWORD value, or fallback when missing or of another type.
    int32_t DWord(TKeyHandle root, const std::string& path, const std::string& name,
                  int32_t fallback = -12345);
    void PutValue(TKeyHandle root, const std::string& path, const std::string& name, uint32_t type,
                  const void* data, uint32_t size);
    void PutDWord(TKeyHandle root, const std::string& path, const std::string& name,
                  int32_t value) {
        PutValue(root, path, name, vtDWord, &value, sizeof value);
    }

private:
    std::unique_ptr<TTestStore> FTestStore;
};

#define QORV_INSTANTIATE_FOR_ALL_STORES(suite)                                                     \
    INSTANTIATE_TEST_SUITE_P(Store, suite, testing::ValuesIn(AllStoreKinds()), StoreKindName)
