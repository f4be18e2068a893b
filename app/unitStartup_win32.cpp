#include "app/unitStartup_win32.h"

#include "app/unitOSInfo.h"
#include "components/QorvEdit_win32.h"
#include "components/QorvPanel_win32.h"
#include "framework/Registration_win32.h"
#include "png/QorvFormatPNG.h"
#include "settings/unitSettings.h"

TApplication& InitializeProgram(TKeyStore* store) {
    RegisterFrameworkClasses();
    RegisterQorvComponents();
    RegisterQorvPanelClasses();
    RegisterPNGGraphicClass();
    InitializeSettings(store);
    ReadVersionInfo();
    // A failed start leaves nothing behind, so that starting again (the
    // next test) begins afresh.
    try {
        auto* application = new TApplication;
        application->Initialize();
        application->SetTitle(SApplicationTitle);
        application->SetIconName(SApplicationIcon);
        return *application;
    } catch (...) {
        delete Application;
        FinalizeSettings();
        throw;
    }
}

void FinalizeProgram() {
    delete Application;
    FinalizeSettings();
}
