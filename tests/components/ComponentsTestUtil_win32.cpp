#include "tests/components/ComponentsTestUtil_win32.h"

#include "components/QorvEdit_win32.h"
#include "framework/Registration_win32.h"

const TClassInfo& TComponentsTestForm::StaticClass() {
    static const TClassInfo info{"TComponentsTestForm", &TCustomForm::StaticClass(), nullptr, {}};
    return info;
}

TComponentsTestApp::TComponentsTestApp() {
    RegisterFrameworkClasses();
    RegisterQorvComponents();
    FApplication.Initialize();
    FApplication.SetOnException(
        [this](TObject*, const std::exception& e) { FErrors.push_back(e.what()); });
}

std::vector<std::string> TComponentsTestApp::Errors() {
    return std::exchange(FErrors, {});
}

void PumpFor(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}
