// What the Windows tests of the HTML view share: an application whose
// exception event notes the messages, pages built by hand, and a driver that
// acts on a modal window (the print dialog, the preview) from inside its loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Forms_win32.h"
#include "htmlview/HtmlPages.h"

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

// Runs `step` every few milliseconds from whatever loop the thread is in,
// until it answers true; after `timeoutMs` it gives up, closing the active
// window of this thread so the modal loop ends. Destroying it stops it.
class TModalDriver {
public:
    TModalDriver(std::function<bool()> step, int timeoutMs = 20000);
    ~TModalDriver();
    TModalDriver(const TModalDriver&) = delete;
    TModalDriver& operator=(const TModalDriver&) = delete;
    bool Finished() const { return FDone; }
    bool TimedOut() const { return FTimedOut; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::function<bool()> FStep;
    UINT_PTR FTimer;
    DWORD FDeadline;
    bool FDone = false, FTimedOut = false;
};

// The print dialog of this thread, when it shows.
HWND FindPrintDialog();
