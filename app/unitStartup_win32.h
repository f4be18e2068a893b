// The program's one start-up path, taken by the program entry and by the
// in-process tests alike, and its shutdown.
#pragma once

#include "framework/Forms_win32.h"
#include "framework/KeyStore.h"

inline constexpr char SApplicationTitle[] = "Drovanex Vantrel 2006";
inline constexpr char SApplicationIcon[] = "MAINICON";

// The units' start-up in order: the picture and component classes, the
// settings (over `store`, the system registry when none is given), the
// system's version record; then the application object with its title and
// icon, which it returns (also as Application).
TApplication& InitializeProgram(TKeyStore* store = nullptr);
// Destroys the application and its forms, then the settings, which write the
// view choices that changed.
void FinalizeProgram();

// Ends the program when it leaves the scope, however it leaves.
struct TProgramShutdown {
    ~TProgramShutdown() { FinalizeProgram(); }
};

// The program from start to end: start-up, the main window, the message loop
// until that window closes, shutdown. Returns the process's exit code. Its
// start-up steps are timed (StartupSteps) until the main window has shown.
int RunProgram();
