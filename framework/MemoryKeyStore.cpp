#include "framework/MemoryKeyStore.h"

#include <cstring>
#include <iterator>

namespace {

std::string Upper(const std::string& text) {
    std::string result = text;
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

// Splits a relative path into its components; an empty component (a doubled
// or outer "\") makes the path invalid.
bool SplitPath(const std::string& path, std::vector<std::string>& parts) {
    parts.clear();
    if (path.empty())
        return true;
    size_t start = 0;
    for (;;) {
        size_t end = path.find('\\', start);
        std::string part = path.substr(start, end == std::string::npos ? end : end - start);
        if (part.empty())
            return false;
        parts.push_back(std::move(part));
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

bool IsRoot(TKeyHandle key) {
    return key == rkClassesRoot || key == rkCurrentUser || key == rkLocalMachine || key == rkUsers;
}

} // namespace

struct TMemoryKeyStore::TNode {
    struct TValue {
        uint32_t Type;
        std::vector<uint8_t> Data;
    };
    std::string Name;
    std::string FullPath; // root number and upper-cased path: the key of FDenied
    TNode* Parent = nullptr;
    bool Deleted = false;
    std::map<std::string, std::shared_ptr<TNode>> Keys; // by upper-cased name
    std::map<std::string, TValue> Values;               // by upper-cased name
};

TMemoryKeyStore::TMemoryKeyStore() {
    for (TKeyHandle root : {rkClassesRoot, rkCurrentUser, rkLocalMachine, rkUsers}) {
        auto node = std::make_shared<TNode>();
        node->FullPath = std::to_string(root);
        FRoots[root] = node;
    }
}

TMemoryKeyStore::~TMemoryKeyStore() = default;

uint32_t TMemoryKeyStore::Denied(const TNode& node) const {
    auto it = FDenied.find(node.FullPath);
    return it == FDenied.end() ? 0 : it->second;
}

uint32_t TMemoryKeyStore::Denied(const TNode& parent, const std::string& childName) const {
    auto it = FDenied.find(parent.FullPath + "\\" + Upper(childName));
    return it == FDenied.end() ? 0 : it->second;
}

void TMemoryKeyStore::DenyAccess(TKeyHandle root, const std::string& path, uint32_t rights) {
    std::string key = std::to_string(root);
    if (!path.empty()) {
        key.push_back('\\');
        key.append(Upper(path));
    }
    if (rights == 0)
        FDenied.erase(key);
    else
        FDenied[key] = rights;
}

TKeyStatus TMemoryKeyStore::Resolve(TKeyHandle key, uint32_t needed,
                                    std::shared_ptr<TNode>& node) const {
    uint32_t access;
    if (IsRoot(key)) {
        node = FRoots.at(key);
        access = kaAllAccess & ~Denied(*node);
    } else {
        auto it = FHandles.find(key);
        if (it == FHandles.end())
            return ksInvalidHandle;
        node = it->second.Node;
        access = it->second.Access;
    }
    if (node->Deleted)
        return ksKeyDeleted;
    if ((access & needed) != needed)
        return ksAccessDenied;
    return ksOk;
}

TKeyHandle TMemoryKeyStore::NewHandle(std::shared_ptr<TNode> node, uint32_t access) {
    TKeyHandle handle = FNextHandle;
    FNextHandle += 4;
    FHandles[handle] = THandle{std::move(node), access};
    return handle;
}

TKeyStatus TMemoryKeyStore::OpenKey(TKeyHandle parent, const std::string& subKey, uint32_t access,
                                    TKeyHandle& result) {
    return Walk(parent, subKey, access, false, result);
}

TKeyStatus TMemoryKeyStore::CreateKey(TKeyHandle parent, const std::string& subKey, uint32_t access,
                                      TKeyHandle& result) {
    return Walk(parent, subKey, access, true, result);
}

TKeyStatus TMemoryKeyStore::ResolvePath(TKeyHandle parent, const std::string& subKey,
                                        std::shared_ptr<TNode>& node,
                                        std::vector<std::string>& parts) const {
    if (TKeyStatus status = Resolve(parent, 0, node); status != ksOk)
        return status;
    return SplitPath(subKey, parts) ? ksOk : ksBadPathName;
}

TKeyStatus TMemoryKeyStore::Walk(TKeyHandle parent, const std::string& subKey, uint32_t access,
                                 bool create, TKeyHandle& result) {
    std::shared_ptr<TNode> node;
    std::vector<std::string> parts;
    if (TKeyStatus status = ResolvePath(parent, subKey, node, parts); status != ksOk)
        return status;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string name = Upper(parts[i]);
        auto it = node->Keys.find(name);
        if (it != node->Keys.end()) {
            node = it->second;
            continue;
        }
        if (!create)
            return ksNotFound;
        if (Denied(*node) & kaCreateSubKey)
            return ksAccessDenied;
        if (i + 1 == parts.size() && (Denied(*node, name) & access))
            return ksAccessDenied;
        auto child = std::make_shared<TNode>();
        child->Name = parts[i];
        child->FullPath = node->FullPath + "\\" + name;
        child->Parent = node.get();
        node->Keys[name] = child;
        node = child;
    }
    if (Denied(*node) & access)
        return ksAccessDenied;
    // Like the system, an empty path on a root gives the root handle itself.
    result = parts.empty() && IsRoot(parent) ? parent : NewHandle(node, access);
    return ksOk;
}

TKeyStatus TMemoryKeyStore::CloseKey(TKeyHandle key) {
    if (IsRoot(key))
        return ksOk;
    return FHandles.erase(key) ? ksOk : ksInvalidHandle;
}

TKeyStatus TMemoryKeyStore::FlushKey(TKeyHandle key) {
    std::shared_ptr<TNode> node;
    return Resolve(key, 0, node);
}

TKeyStatus TMemoryKeyStore::QueryValue(TKeyHandle key, const std::string& name, uint32_t& type,
                                       std::vector<uint8_t>* data) {
    std::shared_ptr<TNode> node;
    if (TKeyStatus status = Resolve(key, kaQueryValue, node); status != ksOk)
        return status;
    auto it = node->Values.find(Upper(name));
    if (it == node->Values.end())
        return ksNotFound;
    type = it->second.Type;
    if (data)
        *data = it->second.Data;
    return ksOk;
}

TKeyStatus TMemoryKeyStore::SetValue(TKeyHandle key, const std::string& name, uint32_t type,
                                     const void* data, uint32_t size) {
    std::shared_ptr<TNode> node;
    if (TKeyStatus status = Resolve(key, kaSetValue, node); status != ksOk)
        return status;
    TNode::TValue value{type, std::vector<uint8_t>(size)};
    if (size)
        std::memcpy(value.Data.data(), data, size);
    node->Values[Upper(name)] = std::move(value);
    return ksOk;
}

TKeyStatus TMemoryKeyStore::DeleteValue(TKeyHandle key, const std::string& name) {
    std::shared_ptr<TNode> node;
    if (TKeyStatus status = Resolve(key, kaSetValue, node); status != ksOk)
        return status;
    return node->Values.erase(Upper(name)) ? ksOk : ksNotFound;
}

TKeyStatus TMemoryKeyStore::DeleteKey(TKeyHandle parent, const std::string& subKey) {
    std::shared_ptr<TNode> node;
    std::vector<std::string> parts;
    if (TKeyStatus status = ResolvePath(parent, subKey, node, parts); status != ksOk)
        return status;
    for (const std::string& part : parts) {
        auto it = node->Keys.find(Upper(part));
        if (it == node->Keys.end())
            return ksNotFound;
        node = it->second;
    }
    if (!node->Parent || !node->Keys.empty() || (Denied(*node) & kaDelete))
        return ksAccessDenied;
    node->Deleted = true;
    TNode* owner = node->Parent;
    node->Parent = nullptr;
    owner->Keys.erase(Upper(node->Name));
    return ksOk;
}

TKeyStatus TMemoryKeyStore::EnumKey(TKeyHandle key, uint32_t index, std::string& name) {
    std::shared_ptr<TNode> node;
    if (TKeyStatus status = Resolve(key, kaEnumerateSubKeys, node); status != ksOk)
        return status;
    if (index >= node->Keys.size())
        return ksNoMoreItems;
    auto it = node->Keys.begin();
    std::advance(it, index);
    name = it->second->Name;
    return ksOk;
}
