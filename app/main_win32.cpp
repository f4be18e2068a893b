// Program entry: the program starts as the tests start it; the application
// runs until the main window closes.
#include <windows.h>

#include "app/formMain_win32.h"
#include "app/unitStartup_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
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
