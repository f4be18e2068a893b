#include "framework/Registry.h"

#include <cstring>

namespace {

TKeyStore* GDefaultKeyStore = nullptr;

// The store's form of a key name: no "\" at either end. Tells whether the
// name was relative (no leading "\").
std::string StorePath(const std::string& key, bool& relative) {
    relative = key.empty() || key.front() != '\\';
    size_t begin = relative ? 0 : 1;
    size_t end = key.size();
    while (end > begin && key[end - 1] == '\\')
        --end;
    return key.substr(begin, end - begin);
}

// The system refuses paths deeper than this; it also bounds the recursion.
constexpr int MaxKeyDepth = 512;

} // namespace

TKeyStore& DefaultKeyStore() {
    return GDefaultKeyStore ? *GDefaultKeyStore : PlatformKeyStore();
}

void SetDefaultKeyStore(TKeyStore* store) {
    GDefaultKeyStore = store;
}

TRegistry::TRegistry(TKeyStore* store) : FStore(store ? *store : DefaultKeyStore()) {}

TRegistry::TRegistry(uint32_t access, TKeyStore* store) : TRegistry(store) {
    FAccess = access;
}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(TKeyHandle root) {
    if (root == FRootKey)
        return;
    CloseKey();
    FRootKey = root;
}

void TRegistry::CloseKey() {
    if (FCurrentKey) {
        if (!FLazyWrite)
            FStore.FlushKey(FCurrentKey);
        FStore.CloseKey(FCurrentKey);
    }
    FCurrentKey = 0;
    FCurrentPath.clear();
}

TKeyHandle TRegistry::BaseKey(bool relative) const {
    return relative && FCurrentKey ? FCurrentKey : FRootKey;
}

void TRegistry::ChangeKey(TKeyHandle key, std::string path) {
    CloseKey();
    FCurrentKey = key;
    FCurrentPath = std::move(path);
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    bool relative;
    std::string path = StorePath(key, relative);
    TKeyHandle base = BaseKey(relative);
    TKeyHandle opened = 0;
    TKeyStatus status = canCreate && !path.empty() ? FStore.CreateKey(base, path, FAccess, opened)
                                                   : FStore.OpenKey(base, path, FAccess, opened);
    if (status != ksOk)
        return false;
    if (relative && FCurrentKey && !FCurrentPath.empty())
        path = path.empty() ? FCurrentPath : FCurrentPath + "\\" + path;
    ChangeKey(opened, std::move(path));
    return true;
}

bool TRegistry::ValueExists(const std::string& name) {
    return GetDataType(name) != vtNone;
}

uint32_t TRegistry::GetDataType(const std::string& name) {
    uint32_t type = vtNone;
    if (!FCurrentKey || FStore.QueryValue(FCurrentKey, name, type, nullptr) != ksOk)
        return vtNone;
    return type;
}

void TRegistry::ReadData(const std::string& name, uint32_t type1, uint32_t type2,
                         std::vector<uint8_t>& data) {
    uint32_t type = vtNone;
    if (!FCurrentKey || FStore.QueryValue(FCurrentKey, name, type, &data) != ksOk)
        throw ERegistryException("Failed to get data for '" + name + "'");
    if (type != type1 && type != type2)
        throw ERegistryException("Invalid data type for '" + name + "'");
}

int32_t TRegistry::ReadInteger(const std::string& name) {
    std::vector<uint8_t> data;
    ReadData(name, vtDWord, vtDWord, data);
    // A number of another size is not a number this object wrote.
    if (data.size() != sizeof(int32_t))
        throw ERegistryException("Invalid data type for '" + name + "'");
    int32_t value;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
}

bool TRegistry::ReadBool(const std::string& name) {
    return ReadInteger(name) != 0;
}

std::string TRegistry::ReadString(const std::string& name) {
    std::vector<uint8_t> data;
    ReadData(name, vtString, vtExpandString, data);
    std::string text(data.begin(), data.end());
    // The stored text may or may not carry its terminating zero.
    if (size_t zero = text.find('\0'); zero != std::string::npos)
        text.resize(zero);
    return text;
}

void TRegistry::WriteData(const std::string& name, uint32_t type, const void* data, uint32_t size) {
    if (!FCurrentKey || FStore.SetValue(FCurrentKey, name, type, data, size) != ksOk)
        throw ERegistryException("Failed to set data for '" + name + "'");
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
    WriteData(name, vtDWord, &value, sizeof value);
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    WriteData(name, vtString, value.c_str(), static_cast<uint32_t>(value.size() + 1));
}

bool TRegistry::DeleteValue(const std::string& name) {
    return FCurrentKey && FStore.DeleteValue(FCurrentKey, name) == ksOk;
}

bool TRegistry::DeleteTree(TKeyHandle parent, const std::string& path, int depth) {
    TKeyHandle key = 0;
    if (depth < MaxKeyDepth && FStore.OpenKey(parent, path, kaRead | kaDelete, key) == ksOk) {
        // Collect first: deleting while enumerating shifts the indexes.
        std::vector<std::string> names;
        std::string name;
        for (uint32_t i = 0; FStore.EnumKey(key, i, name) == ksOk; ++i)
            names.push_back(name);
        for (const std::string& child : names)
            DeleteTree(key, child, depth + 1);
        FStore.CloseKey(key);
    }
    return FStore.DeleteKey(parent, path) == ksOk;
}

bool TRegistry::DeleteKey(const std::string& key) {
    bool relative;
    std::string path = StorePath(key, relative);
    // An empty name would mean the current key or the root itself.
    if (path.empty())
        return false;
    return DeleteTree(BaseKey(relative), path, 0);
}
