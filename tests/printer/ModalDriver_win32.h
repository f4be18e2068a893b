// Acting on a modal window (the print dialog, a preview) from inside its
// loop, as a user would, and finding the print dialog.
#pragma once

#include <windows.h>

#include <functional>

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
