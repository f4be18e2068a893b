// TQorvCustomPanel paints its own frame: an optional sunken border, the
// framework's bevels with an extra offset before and space between them, and
// four margins that push the client area inward, filled with its colour. It
// can show a copy of what lies beneath it instead (Transparent). TQorvPanel
// publishes it for form data; the library's edit derives from the custom one
// and takes its frame from here.
#pragma once

#include "components/QorvClasses.h"
#include "components/QorvControls_win32.h"
#include "components/QorvPanel.h"

class TQorvCustomPanel : public TQorvControl {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvCustomPanel(TComponent* owner);
    ~TQorvCustomPanel() override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    int BevelOffset() const { return FBevelOffset; }
    void SetBevelOffset(int value);
    int BevelSpace() const { return FBevelSpace; }
    void SetBevelSpace(int value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool DisableBorders() const { return FDisableBorders; }
    void SetDisableBorders(bool value);
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool value) { FFullRepaint = value; }
    bool Locked() const { return FLocked; }
    void SetLocked(bool value) { FLocked = value; }
    TQorvMargins& Margins() { return *FMargins; }
    void SetMargins(const TQorvMargins& value) { FMargins->Assign(value); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& value) { SetText(value); }

    void SetEnabled(bool enabled) override;
    bool CanAutoSize(int& width, int& height) override;
    TAlignment GetControlsAlignment() const override { return FAlignment; }
    bool IsToolControl() const override { return !FLocked; }
    void DockClient(TControl* client) override;
    // The frame as the client-area arithmetic sees it.
    TQorvPanelFrame Frame() const;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint(HDC dc) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void ColorChanged() override;
    void Ctl3DChanged() override;
    void TextChanged() override;
    // Paints the non-client area: with `withFrame` the border, bevels and
    // margins; always (under the visual style, with a client edge) the
    // themed 2-pixel ring, in its disabled state when DisableBorders says so.
    virtual void PaintNonClient(bool withFrame);

private:
    TAlignment FAlignment = TAlignment::taCenter;
    bool FDocking = false;
    int FBevelOffset = 0;
    int FBevelSpace = 0;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    bool FDisableBorders = true;
    bool FFullRepaint = true;
    bool FLocked = false;
    TQorvMargins* FMargins;
};

class TQorvPanel : public TQorvCustomPanel {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvPanel(TComponent* owner) : TQorvCustomPanel(owner) {}
};

// The frame's published entries (border, bevels, Ctl3D...), with the panel's
// defaults, for the tables of the panel and the classes built on it.
std::vector<TPropInfo> QorvPanelFrameProps();
void RegisterQorvPanelClasses();
