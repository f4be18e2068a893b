// What the component tests under Wine share: an application whose
// exception event notes the messages instead of showing them, and a
// message pump that runs for a while.
#pragma once

#include <string>
#include <vector>

#include "framework/Forms_win32.h"

class TComponentsTestApp {
public:
    TComponentsTestApp();
    // What reached the exception event since the last call.
    std::vector<std::string> Errors();

private:
    TApplication FApplication;
    std::vector<std::string> FErrors;
};

// An empty form for the controls a test reads from form data.
class TComponentsTestForm : public TCustomForm {
    QORV_COMPONENT_CLASS
public:
    TComponentsTestForm() : TCustomForm(nullptr) {}
};

// Dispatches every message that arrives during `ms` milliseconds (at least
// those waiting now).
void PumpFor(int ms);
