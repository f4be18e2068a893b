// Program entry: the settings exist before the main window and outlive it;
// the application runs until the main window closes.
#include <windows.h>

#include "app/formMain_win32.h"
#include "app/unitOSInfo.h"
#include "png/QorvFormatPNG.h"
#include "settings/unitSettings.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The units' start-up, in order: the PNG picture class, the settings, the
    // system's version record.
    RegisterPNGGraphicClass();
    TSettingsLifetime settings;
    ReadVersionInfo();
    TApplication application;
    application.Initialize();
    application.SetTitle("Drovanex Vantrel 2006");
    try {
        application.CreateForm<TMainForm>();
    } catch (...) {
        // Without its main window the program cannot go on: say why and end.
        application.HandleException(nullptr);
        return 1;
    }
    application.Run();
    return 0;
}
