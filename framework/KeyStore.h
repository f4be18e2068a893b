// The narrow interface behind TRegistry: a hierarchical key/value store with the
// operations, value types, access rights and status codes of the Windows
// registry. The program uses the advapi32 store (WinKeyStore_win32.h); tests and
// platforms without a registry use TMemoryKeyStore (MemoryKeyStore.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A key handle: a predefined root or a handle returned by OpenKey/CreateKey.
// 0 is no key.
using TKeyHandle = std::uintptr_t;

// The predefined roots, with the numeric values of the system's handles: 32-bit
// negative numbers, which a 64-bit system's handles widen with their sign.
constexpr TKeyHandle RootKey(std::int32_t value) {
    return static_cast<TKeyHandle>(static_cast<std::intptr_t>(value));
}
constexpr TKeyHandle rkClassesRoot = RootKey(INT32_MIN);
constexpr TKeyHandle rkCurrentUser = RootKey(INT32_MIN + 1);
constexpr TKeyHandle rkLocalMachine = RootKey(INT32_MIN + 2);
constexpr TKeyHandle rkUsers = RootKey(INT32_MIN + 3);

// Access rights, as the system numbers them.
constexpr uint32_t kaQueryValue = 0x0001;
constexpr uint32_t kaSetValue = 0x0002;
constexpr uint32_t kaCreateSubKey = 0x0004;
constexpr uint32_t kaEnumerateSubKeys = 0x0008;
constexpr uint32_t kaNotify = 0x0010;
constexpr uint32_t kaCreateLink = 0x0020;
constexpr uint32_t kaDelete = 0x00010000;
constexpr uint32_t kaRead = 0x00020019;
constexpr uint32_t kaWrite = 0x00020006;
constexpr uint32_t kaAllAccess = 0x000F003F;

// Value types, as the system numbers them; other numbers pass through.
constexpr uint32_t vtNone = 0;
constexpr uint32_t vtString = 1;
constexpr uint32_t vtExpandString = 2;
constexpr uint32_t vtBinary = 3;
constexpr uint32_t vtDWord = 4;

// Status codes: the system's error numbers. Any other non-zero number is a
// failure as well.
using TKeyStatus = long;
constexpr TKeyStatus ksOk = 0;
constexpr TKeyStatus ksNotFound = 2;
constexpr TKeyStatus ksAccessDenied = 5;
constexpr TKeyStatus ksInvalidHandle = 6;
constexpr TKeyStatus ksBadPathName = 161;
constexpr TKeyStatus ksNoMoreItems = 259;
constexpr TKeyStatus ksKeyDeleted = 1018;

// Sub-key paths are relative to the given key, with components separated by a
// single "\" and no "\" at either end; the empty path names the key itself.
// Key and value names compare without regard to letter case. The empty value
// name is the key's default value.
class TKeyStore {
public:
    virtual ~TKeyStore() = default;

    // Opens an existing key with the given rights; never creates anything.
    virtual TKeyStatus OpenKey(TKeyHandle parent, const std::string& subKey, uint32_t access,
                               TKeyHandle& result) = 0;
    // Opens the key, creating it and any missing keys on its path.
    virtual TKeyStatus CreateKey(TKeyHandle parent, const std::string& subKey, uint32_t access,
                                 TKeyHandle& result) = 0;
    virtual TKeyStatus CloseKey(TKeyHandle key) = 0;
    virtual TKeyStatus FlushKey(TKeyHandle key) = 0;

    // Type and, when data is given, the bytes of a value (needs kaQueryValue).
    virtual TKeyStatus QueryValue(TKeyHandle key, const std::string& name, uint32_t& type,
                                  std::vector<uint8_t>* data) = 0;
    // Needs kaSetValue.
    virtual TKeyStatus SetValue(TKeyHandle key, const std::string& name, uint32_t type,
                                const void* data, uint32_t size) = 0;
    virtual TKeyStatus DeleteValue(TKeyHandle key, const std::string& name) = 0;

    // Deletes a key that has no sub-keys; one with sub-keys is refused.
    virtual TKeyStatus DeleteKey(TKeyHandle parent, const std::string& subKey) = 0;
    // Name of the index-th sub-key (needs kaEnumerateSubKeys); ksNoMoreItems
    // past the last one.
    virtual TKeyStatus EnumKey(TKeyHandle key, uint32_t index, std::string& name) = 0;
};

// The store TRegistry uses when it is given none: the system registry in the
// Windows build, a process-wide memory store elsewhere, unless replaced.
TKeyStore& DefaultKeyStore();
// Replaces the default store (nullptr restores the platform's own); the store
// must outlive every TRegistry created while it is set.
void SetDefaultKeyStore(TKeyStore* store);
// The platform's own store.
TKeyStore& PlatformKeyStore();
