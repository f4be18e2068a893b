#include "about/QorvVersionInfo_win32.h"

#include <cstdio>
#include <cstring>

#include "framework/Published.h"

const TClassInfo& TQorvVersionInfo::StaticClass() {
    static const TClassInfo info{"TQorvVersionInfo",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TQorvVersionInfo>,
                                 {IntProp("CodePage", &TQorvVersionInfo::SetCodePage, "0"),
                                  StrProp("FileName", &TQorvVersionInfo::SetFileName),
                                  IntProp("Language", &TQorvVersionInfo::SetLanguage, "0")}};
    return info;
}

void TQorvVersionInfo::SetActive(bool value) {
    if (value == FActive)
        return;
    if (value)
        LoadVersionInfo();
    else
        ClearVersionInfo();
    FActive = FBufferSize != 0;
}

void TQorvVersionInfo::SetCodePage(WORD value) {
    if (value == FCodePage)
        return;
    FCodePage = value;
    SetActive(false);
}

void TQorvVersionInfo::SetFileName(const std::string& value) {
    if (value == FFileName)
        return;
    FFileName = value;
    SetActive(false);
}

void TQorvVersionInfo::SetLanguage(WORD value) {
    if (value == FLanguage)
        return;
    FLanguage = value;
    SetActive(false);
}

void TQorvVersionInfo::ClearVersionInfo() {
    FBufferSize = 0;
    FBuffer.clear();
    FBuffer.shrink_to_fit();
    FFixedFileInfo = nullptr;
    FFixedFileInfoSize = 0;
    FTranslations = nullptr;
    FTranslationsSize = 0;
    FTranslationCount = 0;
}

void TQorvVersionInfo::LoadVersionInfo() {
    std::string name = FFileName;
    if (name.empty()) {
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        name.assign(path, n < MAX_PATH ? n : 0);
    }
    DWORD handle = 0;
    FBufferSize = GetFileVersionInfoSizeA(name.c_str(), &handle);
    if (FBufferSize == 0)
        return;
    try {
        FBuffer.assign(FBufferSize, 0);
        if (!GetFileVersionInfoA(name.c_str(), handle, FBufferSize, FBuffer.data())) {
            FBufferSize = 0;
            return;
        }
        void* fixed = nullptr;
        if (!VerQueryValueA(FBuffer.data(), "\\", &fixed, &FFixedFileInfoSize) || !fixed ||
            FFixedFileInfoSize < sizeof(VS_FIXEDFILEINFO)) {
            ClearVersionInfo();
            return;
        }
        FFixedFileInfo = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        void* translations = nullptr;
        if (VerQueryValueA(FBuffer.data(), "\\VarFileInfo\\Translation", &translations,
                           &FTranslationsSize) &&
            translations) {
            FTranslations = static_cast<const WORD*>(translations);
            FTranslationCount = FTranslationsSize / 4;
        } else {
            FTranslationCount = 0;
        }
    } catch (...) {
        // Out of memory for a huge resource: nothing loaded, nothing reported.
        ClearVersionInfo();
    }
}

uint64_t TQorvVersionInfo::FileVersion() {
    SetActive(true);
    if (!FActive)
        return 0;
    return (uint64_t(FFixedFileInfo->dwFileVersionMS) << 32) | FFixedFileInfo->dwFileVersionLS;
}

std::string TQorvVersionInfo::StringValue(const std::string& name) {
    SetActive(true);
    if (!FActive)
        return {};
    unsigned language = FLanguage;
    if (language == 0 && FTranslationCount > 0)
        language = FTranslations[0];
    unsigned codePage = FCodePage;
    if (codePage == 0 && FTranslationCount > 0)
        codePage = FTranslations[1];
    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%.04x%.04x\\", language, codePage);
    std::string path = block + name;
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(FBuffer.data(), path.c_str(), &text, &length) || !text)
        return {};
    // The length counts characters, with or without the terminating zero.
    const char* s = static_cast<const char*>(text);
    return std::string(s, strnlen(s, length));
}
