// Acting on a modal window (the print dialog, a preview) from inside its
// loop, as a user would, and finding the print dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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

// Answers the print dialog once it shows: `fill` sets its boxes, then
// `button` is pressed.
struct TPrintDialogAnswer {
    explicit TPrintDialogAnswer(int button, std::function<void(HWND)> fill = nullptr);
    bool Seen = false;
    TModalDriver Driver;
};

// The print dialog of this thread, when it shows.
HWND FindPrintDialog();
// A shown dialog of this thread (class "#32770") that holds control `id`.
HWND FindDialogWith(int id);
// A shown message box of this thread: its text, after it is answered with
// OK; empty when none shows.
std::string AnswerMessageBox();

// The user's steps, one a tick, that choose landscape Letter in the test
// printer driver's own properties (the dialog's Properties button) and then
// confirm the print dialog. Step answers true once it is confirmed. Wine's
// driver makes that the printer's defaults for the process: the destructor
// puts them back.
class TLandscapeLetter {
public:
    TLandscapeLetter() = default;
    ~TLandscapeLetter();
    TLandscapeLetter(const TLandscapeLetter&) = delete;
    TLandscapeLetter& operator=(const TLandscapeLetter&) = delete;
    bool Step();

private:
    int FStep = 0;
};
