// Screen readers: the accessibility object a control gives for its window
// when the system's own proxy lacks its name or its parts.
#pragma once

#include <windows.h>

class TWinControl;

// The answer to WM_GETOBJECT for `control`'s window: for the client area of
// a control with an accessible name or parts, the system's proxy with those
// put in; 0 otherwise, which leaves the request to the system.
LRESULT AccessibleObjectFor(TWinControl& control, WPARAM wParam, LPARAM lParam);
