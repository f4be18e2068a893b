// Program entry: the settings exist before the main window and outlive it;
// the application runs until the main window closes.
#include <windows.h>

#include "app/formMain_win32.h"
#include "settings/unitSettings.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TSettingsLifetime settings;
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
