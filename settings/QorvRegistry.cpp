#include "settings/QorvRegistry.h"

TQorvRegistry::TQorvRegistry(TKeyStore* store) : TRegistry(store), FDefaultRootKey(RootKey()) {}

TQorvRegistry::TQorvRegistry(uint32_t access, TKeyStore* store) : TQorvRegistry(store) {
    SetAccess(access);
}

void TQorvRegistry::Normalise(std::string& stored, const std::string& path) {
    if (path == stored)
        return;
    std::string result;
    result.reserve(path.size() + 2);
    if (path.empty() || path.front() != '\\')
        result.push_back('\\');
    result.append(path);
    if (result.back() != '\\')
        result.push_back('\\');
    stored = std::move(result);
}

void TQorvRegistry::SetBasePath(const std::string& path) {
    Normalise(FBasePath, path);
}

void TQorvRegistry::SetDefaultPath(const std::string& path) {
    Normalise(FDefaultPath, path);
}

std::string TQorvRegistry::ExtractKeyPath(const std::string& name) {
    size_t slash = name.rfind('\\');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string TQorvRegistry::ExtractValueName(const std::string& name) {
    size_t slash = name.rfind('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool TQorvRegistry::OpenValueKey(const std::string& name) {
    std::string keyPath = ExtractKeyPath(name);
    if (CurrentKey() && keyPath.empty())
        return true;
    try {
        return OpenKey(FBasePath + keyPath, FCanCreate);
    } catch (...) {
        return false;
    }
}

bool TQorvRegistry::OpenRoot(TKeyHandle root, const std::string& path) {
    SetRootKey(root);
    SetBasePath(path);
    // The normalised path: absolute whichever key is open.
    try {
        return OpenKey(FBasePath, FCanCreate);
    } catch (...) {
        return false;
    }
}

bool TQorvRegistry::OpenDefault() {
    return OpenRoot(FDefaultRootKey, FDefaultPath);
}

bool TQorvRegistry::ResetToUser() {
    SetRootKey(rkCurrentUser);
    SetAccess(kaAllAccess);
    SetLazyWrite(true);
    return OpenDefault();
}

// Runs `action` on the value's own name once the key holding it is open; any
// failure gives `fallback`: registry access never raises to our callers.
template <class T, class F>
T TQorvRegistry::OnValue(const std::string& name, T fallback, F action) {
    if (!OpenValueKey(name))
        return fallback;
    try {
        return action(ExtractValueName(name));
    } catch (...) {
        return fallback;
    }
}

bool TQorvRegistry::ReadBool(const std::string& name, bool defaultValue) {
    return OnValue(name, defaultValue, [&](const std::string& value) {
        return ValueExists(value) ? TRegistry::ReadBool(value) : defaultValue;
    });
}

int32_t TQorvRegistry::ReadInteger(const std::string& name, int32_t defaultValue) {
    return OnValue(name, defaultValue, [&](const std::string& value) {
        return ValueExists(value) ? TRegistry::ReadInteger(value) : defaultValue;
    });
}

std::string TQorvRegistry::ReadString(const std::string& name, const std::string& defaultValue) {
    return OnValue(name, defaultValue, [&](const std::string& value) {
        return ValueExists(value) ? TRegistry::ReadString(value) : defaultValue;
    });
}

// A refused write is dropped.
void TQorvRegistry::WriteBool(const std::string& name, bool value) {
    OnValue(name, false, [&](const std::string& valueName) {
        TRegistry::WriteBool(valueName, value);
        return true;
    });
}

void TQorvRegistry::WriteInteger(const std::string& name, int32_t value) {
    OnValue(name, false, [&](const std::string& valueName) {
        TRegistry::WriteInteger(valueName, value);
        return true;
    });
}

bool TQorvRegistry::DeleteValue(const std::string& name) {
    return OnValue(name, false,
                   [&](const std::string& value) { return TRegistry::DeleteValue(value); });
}

bool TQorvRegistry::DeleteKey(const std::string& name) {
    return OnValue(name, false,
                   [&](const std::string& value) { return TRegistry::DeleteKey(value); });
}
