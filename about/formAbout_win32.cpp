#include "about/formAbout_win32.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "framework/ShellApi_win32.h"
#include "framework/SysUtils_win32.h"

namespace {
// The folder of the program file, with its final backslash.
std::string LicenseFileName() {
    const std::string program = ModuleFileName();
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
    VersionInfo->SetFileName(ModuleFileName());
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
    // Captions size themselves to their text in the face the system gives.
    for (TLabel* caption : {lbVersion, lbProductHomepage, lbDrovanexHomepage, lbDrovanexMail})
        caption->SetOnResize([this](TObject*) { KeepValuesBesideCaptions(); });
    KeepValuesBesideCaptions();
}

void TAboutForm::KeepValuesBesideCaptions() {
    // Where "MS Sans Serif" is missing, a wider face takes its place and the
    // captions would run into their values ("Product homepagewww..."): a
    // value that its caption reaches moves to the caption's right, the
    // others stay where they were placed.
    constexpr int gap = 4;
    const std::pair<TLabel*, TLabel*> rows[] = {{lbVersion, edVersion},
                                                {lbProductHomepage, edProductHomepage},
                                                {lbDrovanexHomepage, edDrovanexHomepage},
                                                {lbDrovanexMail, edDrovanexMail}};
    for (const auto& [caption, value] : rows)
        value->SetLeft(std::max(value->Left(), caption->Left() + caption->Width() + gap));
}

void TAboutForm::btLicenseClick(TObject*) {
    ShellOpen(Handle(), LicenseFileName(), "", "", SW_SHOW);
}

void RegisterAboutClasses() {
    RegisterComponentClass(TQorvVersionInfo::StaticClass());
    RegisterComponentClass(TQorvHyperlinkLabel::StaticClass());
}
