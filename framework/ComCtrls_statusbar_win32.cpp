// TStatusBar: the system status bar in its simple one-text form.
#include "framework/ComCtrls_win32.h"

#include "framework/Published.h"

// ---------------------------------------------------------------- TStatusBar

const TClassInfo& TStatusBar::StaticClass() {
    static const TClassInfo info{"TStatusBar",
                                 &TWinControl::StaticClass(),
                                 CreateComponent<TStatusBar>,
                                 {BoolProp("SimplePanel", &TStatusBar::SetSimplePanel, "True"),
                                  StrProp("SimpleText", &TStatusBar::SetSimpleText)}};
    return info;
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    FAlign = TAlign::alBottom;
    FHeight = 19;
}

void TStatusBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WindowClass = STATUSCLASSNAMEA;
    params.Style |= SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN;
}

void TStatusBar::CreateWnd() {
    Perform(SB_SIMPLE, FSimplePanel);
    Perform(SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
}

std::string TStatusBar::SimpleText() const {
    if (!HandleAllocated())
        return FSimpleText;
    // What the window shows, not what we asked it to show. Some status bars
    // answer for the simple text only as part 0.
    WPARAM part = SB_SIMPLEID;
    auto length = LOWORD(Query(SB_GETTEXTLENGTHA, part));
    if (length == 0 && FSimplePanel) {
        part = 0;
        length = LOWORD(Query(SB_GETTEXTLENGTHA, part));
    }
    std::string text(length + 1u, '\0');
    Query(SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void TStatusBar::SetSimpleText(const std::string& text) {
    FSimpleText = text;
    if (HandleAllocated())
        Perform(SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
}
