#include "about/formAbout_win32.h"

#include <cstdio>

#include "framework/ShellApi_win32.h"

namespace {
std::string ProgramFileName() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

// The folder of the program file, with its final backslash.
std::string LicenseFileName() {
    const std::string program = ProgramFileName();
    return program.substr(0, program.find_last_of("\\/") + 1) + "License.txt";
}
} // namespace

const TClassInfo& TAboutForm::StaticClass() {
    static const TClassInfo info{"TAboutForm", &TCustomForm::StaticClass(), nullptr, {}};
    return info;
}

TAboutForm::TAboutForm(TComponent* owner) : TCustomForm(owner) {
    InitializeForm("TABOUTFORM", Methods());
}

TMethodTable TAboutForm::Methods() {
    TMethodTable m;
    QORV_METHOD(m, TAboutForm, FormCreate);
    QORV_METHOD(m, TAboutForm, btLicenseClick);
    return m;
}

void TAboutForm::FormCreate(TObject*) {
    VersionInfo->SetFileName(ProgramFileName());
    const std::string release = VersionInfo->StringValue("Product Release");
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%u.%u.%u.%u",
                  unsigned(VersionInfo->FileVersion() >> 48 & 0xFFFF),
                  unsigned(VersionInfo->FileVersion() >> 32 & 0xFFFF),
                  unsigned(VersionInfo->FileVersion() >> 16 & 0xFFFF),
                  unsigned(VersionInfo->FileVersion() & 0xFFFF));
    edVersion->SetCaption(release + " -- " + numbers);
    const DWORD attributes = GetFileAttributesA(LicenseFileName().c_str());
    btLicense->SetEnabled(attributes != INVALID_FILE_ATTRIBUTES &&
                          !(attributes & FILE_ATTRIBUTE_DIRECTORY));
}

void TAboutForm::btLicenseClick(TObject*) {
    ShellOpen(Handle(), LicenseFileName(), "", "", SW_SHOW);
}

void RegisterAboutClasses() {
    RegisterComponentClass(TQorvVersionInfo::StaticClass());
    RegisterComponentClass(TQorvHyperlinkLabel::StaticClass());
}
