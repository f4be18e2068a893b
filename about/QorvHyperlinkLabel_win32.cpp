#include "about/QorvHyperlinkLabel_win32.h"

#include "framework/Published.h"
#include "framework/ShellApi_win32.h"

const TClassInfo& TQorvHyperlinkLabel::StaticClass() {
    using L = TQorvHyperlinkLabel;
    static const TClassInfo info{
        "TQorvHyperlinkLabel",
        &TLabel::StaticClass(),
        CreateComponent<TQorvHyperlinkLabel>,
        {ColorProp("HoverFontColor", &L::SetHoverFontColor, "clRed"),
         SetProp("HoverFontStyle", &L::SetHoverFontStyle, FontStyleNames(), "[fsUnderline]"),
         ColorProp("LinkFontColor", &L::SetLinkFontColor, "clBlue"),
         SetProp("LinkFontStyle", &L::SetLinkFontStyle, FontStyleNames(), "[fsUnderline]"),
         StrProp("URL", &L::SetURL), BoolProp("Visited", &L::SetVisited, "False"),
         ColorProp("VisitedFontColor", &L::SetVisitedFontColor, "clPurple"),
         SetProp("VisitedFontStyle", &L::SetVisitedFontStyle, FontStyleNames(), "[fsUnderline]")}};
    return info;
}

TQorvHyperlinkLabel::TQorvHyperlinkLabel(TComponent* owner) : TLabel(owner) {
    SetFontColor(FLinkFontColor);
    SetFontStyle(FLinkFontStyle);
}

void TQorvHyperlinkLabel::SetHoverFontColor(TColor value) {
    Change(FHoverFontColor, value, FHover);
}

void TQorvHyperlinkLabel::SetHoverFontStyle(TFontStyles value) {
    Change(FHoverFontStyle, value, FHover);
}

void TQorvHyperlinkLabel::SetLinkFontColor(TColor value) {
    Change(FLinkFontColor, value, !FHover && !FVisited);
}

void TQorvHyperlinkLabel::SetLinkFontStyle(TFontStyles value) {
    Change(FLinkFontStyle, value, !FHover && !FVisited);
}

void TQorvHyperlinkLabel::SetVisited(bool value) {
    Change(FVisited, value, true);
}

void TQorvHyperlinkLabel::SetVisitedFontColor(TColor value) {
    Change(FVisitedFontColor, value, FVisited);
}

void TQorvHyperlinkLabel::SetVisitedFontStyle(TFontStyles value) {
    Change(FVisitedFontStyle, value, FVisited);
}

void TQorvHyperlinkLabel::UpdateLinkFont() {
    if (FHover) {
        SetFontColor(FHoverFontColor);
        SetFontStyle(FHoverFontStyle);
    } else if (FVisited) {
        SetFontColor(FVisitedFontColor);
        SetFontStyle(FVisitedFontStyle);
    } else {
        SetFontColor(FLinkFontColor);
        SetFontStyle(FLinkFontStyle);
    }
}

void TQorvHyperlinkLabel::Click() {
    TLabel::Click();
    OpenURL();
}

void TQorvHyperlinkLabel::OpenURL() {
    if (!FURL.empty()) {
        HWND owner = Parent() ? Parent()->HandleIfAllocated() : nullptr;
        ShellOpen(owner, FURL, "", "", SW_SHOW);
    }
    SetVisited(true);
}

HCURSOR TQorvHyperlinkLabel::Cursor() const {
    return LoadCursor(nullptr, IDC_HAND);
}

void TQorvHyperlinkLabel::MouseEnter() {
    FHover = true;
    UpdateLinkFont();
}

void TQorvHyperlinkLabel::MouseLeave() {
    FHover = false;
    UpdateLinkFont();
}
