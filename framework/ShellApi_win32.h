// Opening a document or address with the program the user's system
// associates with it, through the shell.
#pragma once

#include <windows.h>

#include <string>

// ShellExecute with the verb "open"; true when the shell took it. shell32 is
// loaded on the first call, so it stays off the start-up path.
bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters = "",
               const std::string& folder = "", int show = SW_SHOWNORMAL);
