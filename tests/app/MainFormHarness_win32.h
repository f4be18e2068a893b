// Drives the real main window in-process: creates the application, the
// settings over a memory key store and the main window, pumps messages, and
// answers the error boxes the program shows while counting them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/formMain_win32.h"
#include "framework/HtmlView.h"
#include "framework/MemoryKeyStore.h"
#include "tests/framework/FrameworkTestUtil_win32.h"

class TMainFormHarness {
public:
    // Settings over `store`; a fresh memory store when none is given. A
    // `view` factory takes the place of the HTML view the start-up chose.
    explicit TMainFormHarness(TKeyStore* store = nullptr, THtmlViewFactory view = {});
    ~TMainFormHarness();

    TMainForm& Form() { return *FForm; }
    // Handles every waiting message (a few rounds, for posted follow-ups).
    void Pump();
    // Characters typed into the focused window, as the keyboard would.
    void Type(HWND target, const std::string& text);
    void Key(HWND target, WORD key);
    // A shortcut pressed where the focus is, through the message loop as the
    // keyboard delivers it: the modifiers held while its key goes down.
    void Press(const std::string& shortCut);
    // The same key delivered without waiting for what it starts (a modal
    // window): the modifiers stay held until Release.
    void PostPress(const std::string& shortCut);
    void Release();
    void Click(TControl& control);
    // Clicks a graphic control (a speed button) through its parent window.
    void ClickGraphic(TGraphicControl& control);

    std::string Status() { return FForm->StatusText(); }
    std::string Memo() { return FForm->mmDescription->Text(); }

    // Boxes are noted but left open (for a test that acts while one shows).
    void HoldBoxes(bool hold);
    // Messages of the error boxes shown since the last call.
    std::vector<std::string> TakeErrorBoxes();

private:
    std::unique_ptr<TMemoryKeyStore> FOwnStore;
    TKeyStore* FStore;
    TApplication* FApplication = nullptr;
    TMainForm* FForm = nullptr;
    HHOOK FHook = nullptr;
};

// Every code's text from the system itself: the oracle for the tests.
std::string SystemText(int code);
std::string ClipboardString();

// A user's click (or double-click) on a list row.
void ClickListRow(TListView& list, int index, bool twice = false);

// How far the memo's formatting rectangle stands in from its client area,
// less the edit control's own margins (Wine counts them in EM_GETRECT).
RECT FormatRectInset(TMemo& memo);

// The work area of the monitor nearest the window.
RECT WorkAreaOf(HWND wnd);
bool Inside(const RECT& inner, const RECT& outer);
