// The library's style component. One of them may be the library-wide
// default; making or changing the default repaints the library's controls on
// every open form. The component carries no style data yet.
#pragma once

#include "framework/Components.h"
#include "framework/Gdi_win32.h"

class TQorvCustomStyles : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvCustomStyles(TComponent* owner) : TComponent(owner) {}
    // Fills the rectangle in pure red: a style that draws nothing of its own
    // shows plainly where it is asked to paint.
    virtual void PaintRect(TCanvas* canvas, const TRect& rect);
};

class TQorvStyles : public TQorvCustomStyles {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvStyles(TComponent* owner) : TQorvCustomStyles(owner) {}
    bool Default() const;
    // True makes this component the default; False leaves no default at
    // all, whichever component was it.
    void SetDefault(bool value);
};

TQorvCustomStyles* DefaultStyles();
// Makes `styles` (or none) the default and tells every library control
// owned by an open form.
void SetDefaultStyles(TQorvCustomStyles* styles);

void RegisterQorvStylesClasses();
