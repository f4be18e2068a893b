// What the Windows tests of every window share: a user's hand on a tool bar,
// the menu a user sees open, and a screen reader's view of a window.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/ComCtrls_win32.h"
#include "framework/ComObj_win32.h"

// A user's click on a tool button: mouse down and up over its rectangle.
// `queued`: the click posted, as the mouse puts it in the queue, rather than
// handled before the call returns; so it may come from another thread.
void ClickToolButton(TToolButton& button, bool queued = false);
// The caption the tool bar's window draws on the button.
std::string ToolButtonText(TToolButton& button);
// The tool tip the tool bar's window asks its parent for.
std::string ToolTipOf(TToolButton& button);

// The popup menu that opens while `open` runs: its items' texts and where it
// stood; it is closed at once. `pump` runs the loop while the menu may come.
struct TMenuSeen {
    std::vector<std::string> Items;
    RECT Place{};
};
TMenuSeen MenuOpenedBy(const std::function<void()>& open, const std::function<void()>& pump);

// What a screen reader gets for the client area of `wnd`; the part `id` of
// it (CHILDID_SELF: the window), its name ("<none>" without one), and its
// role or (role false) its state, -1 without one.
TComPtr<IAccessible> AccessibleOf(HWND wnd);
VARIANT Child(long id);
std::string NameOf(IAccessible* object, long id = CHILDID_SELF);
long NumberOf(IAccessible* object, long id, bool role);
