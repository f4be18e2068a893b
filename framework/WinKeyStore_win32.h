// The system registry through advapi32 (the single-byte A functions).
#pragma once

#include "framework/KeyStore.h"

class TWinKeyStore : public TKeyStore {
public:
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
};
