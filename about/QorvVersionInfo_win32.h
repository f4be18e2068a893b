// TQorvVersionInfo: the version resource of an executable file, read on the
// first question and kept until FileName, CodePage or Language changes to a
// different value. Nothing here raises: a file without a readable resource
// answers 0 and empty strings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Components.h"

class TQorvVersionInfo : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvVersionInfo(TComponent* owner) : TComponent(owner) {}

    bool Active() const { return FActive; }
    void SetActive(bool value);
    WORD CodePage() const { return FCodePage; }
    void SetCodePage(WORD value);
    // Empty: the running program's own file.
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& value);
    WORD Language() const { return FLanguage; }
    void SetLanguage(WORD value);

    // dwFileVersionMS in the high 32 bits, dwFileVersionLS in the low ones.
    uint64_t FileVersion();
    // The entry of the string table of Language and CodePage (each taken
    // from the file's first translation when 0).
    std::string StringValue(const std::string& name);

private:
    void LoadVersionInfo();
    void ClearVersionInfo();

    bool FActive = false;
    WORD FCodePage = 0;
    std::string FFileName;
    WORD FLanguage = 0;
    std::vector<char> FBuffer;
    DWORD FBufferSize = 0;
    const VS_FIXEDFILEINFO* FFixedFileInfo = nullptr;
    UINT FFixedFileInfoSize = 0;
    const WORD* FTranslations = nullptr;
    UINT FTranslationsSize = 0;
    UINT FTranslationCount = 0;
};
