#include "components/QorvStyles_win32.h"

#include <memory>

#include "components/QorvControls_win32.h"
#include "framework/Forms_win32.h"
#include "framework/Published.h"

namespace {
TQorvCustomStyles* GDefaultStyles = nullptr;

// Receives the default component's destruction notice; owned by nothing, so
// it outlives every form.
class TDefaultStylesWatch : public TQorvStyles {
public:
    TDefaultStylesWatch() : TQorvStyles(nullptr) {}

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove && component == GDefaultStyles)
            GDefaultStyles = nullptr;
    }
};

TDefaultStylesWatch& Watch() {
    static TDefaultStylesWatch watch;
    return watch;
}
} // namespace

const TClassInfo& TQorvCustomStyles::StaticClass() {
    static const TClassInfo info{"TQorvCustomStyles", &TComponent::StaticClass(), nullptr, {}};
    return info;
}

void TQorvCustomStyles::PaintRect(TCanvas* canvas, const TRect& rect) {
    if (!canvas)
        return;
    const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    FillRectColor(canvas->Handle(), r, 0x0000FF);
}

const TClassInfo& TQorvStyles::StaticClass() {
    static const TClassInfo info{"TQorvStyles",
                                 &TQorvCustomStyles::StaticClass(),
                                 CreateComponent<TQorvStyles>,
                                 {BoolProp("Default", &TQorvStyles::SetDefault, "False")}};
    return info;
}

bool TQorvStyles::Default() const {
    return GDefaultStyles == this;
}

void TQorvStyles::SetDefault(bool value) {
    SetDefaultStyles(value ? this : nullptr);
}

TQorvCustomStyles* DefaultStyles() {
    return GDefaultStyles;
}

void SetDefaultStyles(TQorvCustomStyles* styles) {
    if (styles == GDefaultStyles)
        return;
    if (GDefaultStyles)
        Watch().RemoveFreeNotification(GDefaultStyles);
    GDefaultStyles = styles;
    if (styles)
        Watch().FreeNotification(styles);
    for (TCustomForm* form : Screen().Forms())
        for (TComponent* c : form->Components())
            if (auto* control = dynamic_cast<TQorvControl*>(c))
                control->StylesChanged();
}

void RegisterQorvStylesClasses() {
    RegisterComponentClass(TQorvStyles::StaticClass());
}
