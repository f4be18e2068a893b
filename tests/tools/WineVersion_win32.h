// The Windows version Wine reports to the processes it starts, set per
// prefix (HKCU\Software\Wine, value "Version": "win7", "win81", "win10"...).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

inline std::optional<std::string> WineVersionValue() {
    char buf[64];
    DWORD size = sizeof buf, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", RRF_RT_REG_SZ, &type, buf,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(buf);
}

// Sets the Windows version Wine reports to processes started from now on
// (HKCU\Software\Wine, "Version") and puts the previous value back on exit.
class TWineVersionOverride {
public:
    TWineVersionOverride() : FPrevious(WineVersionValue()) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &FKey,
                            nullptr) != ERROR_SUCCESS)
            FKey = nullptr;
    }
    ~TWineVersionOverride() {
        if (!FKey)
            return;
        if (FPrevious)
            Set(*FPrevious);
        else
            Unset();
        RegCloseKey(FKey);
    }
    TWineVersionOverride(const TWineVersionOverride&) = delete;
    TWineVersionOverride& operator=(const TWineVersionOverride&) = delete;

    bool Valid() const { return FKey != nullptr; }
    bool Set(const std::string& version) {
        return RegSetValueExA(FKey, "Version", 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(version.c_str()),
                              static_cast<DWORD>(version.size() + 1)) == ERROR_SUCCESS;
    }
    bool Unset() {
        const LSTATUS r = RegDeleteValueA(FKey, "Version");
        return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
    }

private:
    HKEY FKey = nullptr;
    std::optional<std::string> FPrevious;
};
