#include "app/unitStartup_win32.h"

#include "app/formMain_win32.h"
#include "app/unitHtmlView_win32.h"
#include "about/formAbout_win32.h"
#include "app/unitOSInfo.h"
#include "components/QorvEdit_win32.h"
#include "framework/Registration_win32.h"
#include "framework/StepTimes.h"
#include "htmlview/formHtmlPreview_win32.h"
#include "png/QorvFormatPNG.h"
#include "settings/unitSettings.h"

TApplication& InitializeProgram(TKeyStore* store) {
    {
        TStartupStep step("units: classes");
        RegisterFrameworkClasses();
        RegisterQorvComponents();
        RegisterHtmlPreviewClasses();
        RegisterPNGGraphicClass();
        RegisterAboutClasses();
    }
    {
        TStartupStep step("units: settings");
        InitializeSettings(store);
    }
    {
        TStartupStep step("units: version record");
        ReadVersionInfo();
    }
    {
        TStartupStep step("units: HTML view");
        ChooseHtmlView();
    }
    // A failed start leaves nothing behind, so that starting again (the
    // next test) begins afresh.
    try {
        TStartupStep step("application object");
        auto* application = new TApplication;
        application->Initialize();
        application->SetTitle(SApplicationTitle);
        application->SetIconName(SApplicationIcon);
        // The view choices the user changed are written at the program's
        // end; a session that ends with the program open ends it without one.
        application->SetOnEndSession([] {
            if (Settings && Settings->Modified())
                Settings->Save();
        });
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

int RunProgram() {
    StartupSteps().Begin();
    InitializeProgram();
    TProgramShutdown shutdown;
    try {
        Application->CreateForm<TMainForm>();
    } catch (...) {
        // Without its main window the program cannot go on: say why and end.
        Application->HandleException(nullptr);
        return 1;
    }
    Application->Run();
    return 0;
}
