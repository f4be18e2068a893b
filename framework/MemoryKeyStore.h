// A key store held in memory, with the registry's value types, access rights
// and failure codes. It backs TRegistry in tests and where there is no system
// registry; DenyAccess lets a test refuse rights the way a key's security
// settings do.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/KeyStore.h"

class TMemoryKeyStore : public TKeyStore {
public:
    TMemoryKeyStore();
    ~TMemoryKeyStore() override;
    TMemoryKeyStore(const TMemoryKeyStore&) = delete;
    TMemoryKeyStore& operator=(const TMemoryKeyStore&) = delete;

    TKeyStatus OpenKey(TKeyHandle parent, const std::string& subKey, uint32_t access,
                       TKeyHandle& result) override;
    TKeyStatus CreateKey(TKeyHandle parent, const std::string& subKey, uint32_t access,
                         TKeyHandle& result) override;
    TKeyStatus CloseKey(TKeyHandle key) override;
    TKeyStatus FlushKey(TKeyHandle key) override;
    TKeyStatus QueryValue(TKeyHandle key, const std::string& name, uint32_t& type,
                          std::vector<uint8_t>* data) override;
    TKeyStatus SetValue(TKeyHandle key, const std::string& name, uint32_t type, const void* data,
                        uint32_t size) override;
    TKeyStatus DeleteValue(TKeyHandle key, const std::string& name) override;
    TKeyStatus DeleteKey(TKeyHandle parent, const std::string& subKey) override;
    TKeyStatus EnumKey(TKeyHandle key, uint32_t index, std::string& name) override;

    // Refuses rights on the key at path below root (the key need not exist
    // yet): opening or creating it with any of them fails, kaCreateSubKey also
    // refuses creating keys below it, kaDelete deleting it, and on a root the
    // rights are taken from the root's own handle. Rights 0 lifts the refusal.
    void DenyAccess(TKeyHandle root, const std::string& path, uint32_t rights);

    // Handles opened and not yet closed; lets tests catch leaked keys.
    size_t OpenHandleCount() const { return FHandles.size(); }

private:
    struct TNode;
    struct THandle {
        std::shared_ptr<TNode> Node;
        uint32_t Access;
    };

    TKeyStatus Resolve(TKeyHandle key, uint32_t needed, std::shared_ptr<TNode>& node) const;
    // The open key `parent` and the parts of a path below it.
    TKeyStatus ResolvePath(TKeyHandle parent, const std::string& subKey,
                           std::shared_ptr<TNode>& node, std::vector<std::string>& parts) const;
    // Opens, or with `create` creates, the key below `parent` step by step.
    TKeyStatus Walk(TKeyHandle parent, const std::string& subKey, uint32_t access, bool create,
                    TKeyHandle& result);
    uint32_t Denied(const TNode& node) const;
    uint32_t Denied(const TNode& parent, const std::string& childName) const;
    TKeyHandle NewHandle(std::shared_ptr<TNode> node, uint32_t access);

    std::map<TKeyHandle, std::shared_ptr<TNode>> FRoots;
    std::map<TKeyHandle, THandle> FHandles;
    std::map<std::string, uint32_t> FDenied; // by upper-cased full path
    TKeyHandle FNextHandle = 0x100;
};
