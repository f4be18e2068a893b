// TRegistry: the general registry key object. It keeps one current key open
// below a root and reads, writes and deletes values and keys there, over a
// TKeyStore (the system registry in the program, a memory store in tests).
// Reads of missing or wrong-typed values and refused writes raise
// ERegistryException.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/KeyStore.h"
#include "framework/SysUtils.h"

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    // Root rkCurrentUser, rights kaAllAccess, lazy writing; the store is
    // DefaultKeyStore() when none is given.
    explicit TRegistry(TKeyStore* store = nullptr);
    TRegistry(uint32_t access, TKeyStore* store = nullptr);
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    TKeyStore& Store() const { return FStore; }
    TKeyHandle RootKey() const { return FRootKey; }
    // A different root closes the current key.
    void SetRootKey(TKeyHandle root);
    TKeyHandle CurrentKey() const { return FCurrentKey; }
    const std::string& CurrentPath() const { return FCurrentPath; }
    uint32_t Access() const { return FAccess; }
    void SetAccess(uint32_t access) { FAccess = access; }
    bool LazyWrite() const { return FLazyWrite; }
    void SetLazyWrite(bool lazyWrite) { FLazyWrite = lazyWrite; }

    // A key beginning with "\" is taken from the root, any other from the
    // current key (from the root when none is open). On failure nothing
    // changes.
    bool OpenKey(const std::string& key, bool canCreate);
    void CloseKey();

    bool ValueExists(const std::string& name);
    // Type number of a value of the current key, vtNone when it is missing.
    uint32_t GetDataType(const std::string& name);
    int32_t ReadInteger(const std::string& name);
    bool ReadBool(const std::string& name);
    std::string ReadString(const std::string& name);
    void WriteInteger(const std::string& name, int32_t value);
    void WriteBool(const std::string& name, bool value);
    void WriteString(const std::string& name, const std::string& value);
    bool DeleteValue(const std::string& name);
    // Deletes the key and everything below it, depth first; true when the key
    // itself was deleted.
    bool DeleteKey(const std::string& key);

private:
    TKeyHandle BaseKey(bool relative) const;
    void ChangeKey(TKeyHandle key, std::string path);
    void ReadData(const std::string& name, uint32_t type1, uint32_t type2,
                  std::vector<uint8_t>& data);
    void WriteData(const std::string& name, uint32_t type, const void* data, uint32_t size);
    bool DeleteTree(TKeyHandle parent, const std::string& path, int depth);

    TKeyStore& FStore;
    TKeyHandle FRootKey = rkCurrentUser;
    TKeyHandle FCurrentKey = 0;
    std::string FCurrentPath;
    uint32_t FAccess = kaAllAccess;
    bool FLazyWrite = true;
};
