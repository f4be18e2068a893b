// TQorvControl: the windowed, self-painted base of the library's controls.
// It can paint a copy of what lies beneath it (its parent's image and the
// windowed siblings below it) instead of its colour, erases no background of
// its own (Paint covers the whole client area, so nothing flickers), tells of
// the mouse entering and leaving, and may be linked to a style component.
#pragma once

#include "components/QorvStyles_win32.h"
#include "framework/Controls_win32.h"

class TQorvControl : public TCustomControl {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvControl(TComponent* owner);
    ~TQorvControl() override;

    TQorvCustomStyles* Styles() const { return FStyles; }
    void SetStyles(TQorvCustomStyles* styles);
    void SetOnMouseEnter(TNotifyEvent e) { FOnMouseEnter = std::move(e); }
    void SetOnMouseLeave(TNotifyEvent e) { FOnMouseLeave = std::move(e); }

    void MouseEnter() override;
    void MouseLeave() override;
    // The linked or the default style changed: repaint.
    virtual void StylesChanged();
    void SetParentBackground(bool value) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Paint(HDC dc) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Paints `control` (the parent or a windowed sibling) into `canvas` as it
    // shows on screen, (dx, dy) mapping its coordinates onto the canvas, and
    // then the windowed children of `control` that lie below this control
    // and within width x height.
    virtual void PaintParentImage(TWinControl* control, TCanvas& canvas, int dx, int dy, int width,
                                  int height);
    // PaintParentImage for the parent, its offsets taken from where this
    // control's client area lies in it.
    void PaintParentBackground(TCanvas& canvas);

    bool FTransparent = false;

private:
    TQorvCustomStyles* FStyles = nullptr;
    TNotifyEvent FOnMouseEnter, FOnMouseLeave;
};

void RegisterQorvControlsClasses();
