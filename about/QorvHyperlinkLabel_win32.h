// TQorvHyperlinkLabel: a label that looks and acts like a link in a web page.
// Blue and underlined until clicked, purple afterwards, red while the mouse
// is over it; a click runs OnClick and then opens URL through the shell.
#pragma once

#include <string>

#include "framework/StdCtrls_win32.h"

class TQorvHyperlinkLabel : public TLabel {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvHyperlinkLabel(TComponent* owner);

    bool Hover() const { return FHover; }
    TColor HoverFontColor() const { return FHoverFontColor; }
    void SetHoverFontColor(TColor value);
    TFontStyles HoverFontStyle() const { return FHoverFontStyle; }
    void SetHoverFontStyle(TFontStyles value);
    TColor LinkFontColor() const { return FLinkFontColor; }
    void SetLinkFontColor(TColor value);
    TFontStyles LinkFontStyle() const { return FLinkFontStyle; }
    void SetLinkFontStyle(TFontStyles value);
    const std::string& URL() const { return FURL; }
    void SetURL(const std::string& value) { FURL = value; }
    bool Visited() const { return FVisited; }
    void SetVisited(bool value);
    TColor VisitedFontColor() const { return FVisitedFontColor; }
    void SetVisitedFontColor(TColor value);
    TFontStyles VisitedFontStyle() const { return FVisitedFontStyle; }
    void SetVisitedFontStyle(TFontStyles value);

    void Click() override;
    // Opens URL (when there is one) owned by our parent's window; the link
    // counts as visited either way, and a failure is not reported.
    void OpenURL();
    HCURSOR Cursor() const override;
    void MouseEnter() override;
    void MouseLeave() override;

protected:
    // Font colour and style from the state: hover, else visited, else link.
    virtual void UpdateLinkFont();

private:
    template <class T>
    void Change(T& field, T value, bool applies) {
        if (field == value)
            return;
        field = value;
        if (applies)
            UpdateLinkFont();
    }

    bool FHover = false;
    TColor FHoverFontColor = 0x0000FF;
    TFontStyles FHoverFontStyle = fsUnderline;
    TColor FLinkFontColor = 0xFF0000;
    TFontStyles FLinkFontStyle = fsUnderline;
    std::string FURL;
    bool FVisited = false;
    TColor FVisitedFontColor = 0x800080;
    TFontStyles FVisitedFontStyle = fsUnderline;
};
