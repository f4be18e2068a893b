// What the Windows tests of the HTML view share: an application whose
// exception event notes the messages, and pages built by hand.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Forms_win32.h"
#include "htmlview/HtmlPages.h"
#include "tests/printer/ModalDriver_win32.h"

class THtmlTestApp {
public:
    THtmlTestApp();
    ~THtmlTestApp();
    // What reached the exception event since the last call.
    std::vector<std::string> Errors();
    // Handles what the message loop has now, as the program's loop would
    // (the form's keys included).
    void Pump();

private:
    TApplication FApplication;
    std::vector<std::string> FErrors;
};

// `count` pages of 200 x 300 units at 96 per inch, page n holding a red fill
// at (10 + n, 10)-(50, 50).
THtmlPages HandMadePages(int count);
