// TQorvRegistry: registry access by value names that carry a key path relative
// to one base key ("MainForm\Left", "List"). Keys are created on the way when
// CanCreate is set; no operation raises because of the registry: reads give
// the caller's default, writes are dropped, deletes and opens return false.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Registry.h"

class TQorvRegistry : public TRegistry {
public:
    explicit TQorvRegistry(TKeyStore* store = nullptr);
    explicit TQorvRegistry(uint32_t access, TKeyStore* store = nullptr);

    // Always begins and ends with "\".
    const std::string& BasePath() const { return FBasePath; }
    void SetBasePath(const std::string& path);
    bool CanCreate() const { return FCanCreate; }
    void SetCanCreate(bool canCreate) { FCanCreate = canCreate; }
    TKeyHandle DefaultRootKey() const { return FDefaultRootKey; }
    void SetDefaultRootKey(TKeyHandle root) { FDefaultRootKey = root; }
    // Always begins and ends with "\".
    const std::string& DefaultPath() const { return FDefaultPath; }
    void SetDefaultPath(const std::string& path);

    // "A\B\X" has the key path "A\B\" and the value name "X".
    static std::string ExtractKeyPath(const std::string& name);
    static std::string ExtractValueName(const std::string& name);

    // Makes the key of the name current: a bare name keeps the open key, a
    // name with a key path opens that path below the base key.
    virtual bool OpenValueKey(const std::string& name);
    virtual bool OpenRoot(TKeyHandle root, const std::string& path);
    virtual bool OpenDefault();
    virtual bool ResetToUser();

    // When the value's key cannot be opened, nothing is read, written or
    // deleted: acting on whatever key happens to be open would touch the
    // wrong values.
    bool ReadBool(const std::string& name, bool defaultValue);
    int32_t ReadInteger(const std::string& name, int32_t defaultValue);
    std::string ReadString(const std::string& name, const std::string& defaultValue);
    void WriteBool(const std::string& name, bool value);
    void WriteInteger(const std::string& name, int32_t value);
    bool DeleteValue(const std::string& name);
    // Deletes the key with everything below it.
    bool DeleteKey(const std::string& name);

private:
    template <class T, class F>
    T OnValue(const std::string& name, T fallback, F action);
    static void Normalise(std::string& stored, const std::string& path);

    std::string FBasePath = "\\";
    bool FCanCreate = true;
    TKeyHandle FDefaultRootKey;
    std::string FDefaultPath = "\\";
};
