#include "framework/WinKeyStore_win32.h"

#include <windows.h>

namespace {

HKEY ToHKey(TKeyHandle key) {
    return reinterpret_cast<HKEY>(key);
}

} // namespace

static_assert(sizeof(TKeyHandle) == sizeof(HKEY), "a key handle holds the system's handle");

TKeyStatus TWinKeyStore::OpenKey(TKeyHandle parent, const std::string& subKey, uint32_t access,
                                 TKeyHandle& result) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(ToHKey(parent), subKey.c_str(), 0, access, &key);
    if (status == ERROR_SUCCESS)
        result = reinterpret_cast<TKeyHandle>(key);
    return status;
}

TKeyStatus TWinKeyStore::CreateKey(TKeyHandle parent, const std::string& subKey, uint32_t access,
                                   TKeyHandle& result) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExA(ToHKey(parent), subKey.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
    if (status == ERROR_SUCCESS)
        result = reinterpret_cast<TKeyHandle>(key);
    return status;
}

TKeyStatus TWinKeyStore::CloseKey(TKeyHandle key) {
    return RegCloseKey(ToHKey(key));
}

TKeyStatus TWinKeyStore::FlushKey(TKeyHandle key) {
    return RegFlushKey(ToHKey(key));
}

TKeyStatus TWinKeyStore::QueryValue(TKeyHandle key, const std::string& name, uint32_t& type,
                                    std::vector<uint8_t>* data) {
    DWORD valueType = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(ToHKey(key), name.c_str(), nullptr, &valueType, nullptr, &size);
    // The value may grow between the two calls: ask again until it fits.
    while (status == ERROR_SUCCESS && data) {
        data->resize(size);
        DWORD got = size;
        status = RegQueryValueExA(ToHKey(key), name.c_str(), nullptr, &valueType,
                                  size ? data->data() : nullptr, &got);
        if (status == ERROR_MORE_DATA) {
            size = got > size ? got : size * 2 + 16;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status == ERROR_SUCCESS)
            data->resize(got);
        break;
    }
    if (status == ERROR_SUCCESS)
        type = valueType;
    return status;
}

TKeyStatus TWinKeyStore::SetValue(TKeyHandle key, const std::string& name, uint32_t type,
                                  const void* data, uint32_t size) {
    return RegSetValueExA(ToHKey(key), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

TKeyStatus TWinKeyStore::DeleteValue(TKeyHandle key, const std::string& name) {
    return RegDeleteValueA(ToHKey(key), name.c_str());
}

TKeyStatus TWinKeyStore::DeleteKey(TKeyHandle parent, const std::string& subKey) {
    return RegDeleteKeyA(ToHKey(parent), subKey.c_str());
}

TKeyStatus TWinKeyStore::EnumKey(TKeyHandle key, uint32_t index, std::string& name) {
    char buffer[256]; // key names are at most 255 characters
    DWORD length = sizeof buffer;
    LONG status =
        RegEnumKeyExA(ToHKey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        name.assign(buffer, length);
    return status;
}

TKeyStore& PlatformKeyStore() {
    static TWinKeyStore store;
    return store;
}
