// Program entry: the program as the start-up unit runs it.
#include <windows.h>

#include "app/unitStartup_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunProgram();
}
