#include "framework/Graphics.h"

#include <map>

bool IsSystemColor(TColor color) {
    return (static_cast<uint32_t>(color) >> 24) == 0xFF;
}

bool IdentToColor(const std::string& name, TColor& color) {
    static const std::map<std::string, TColor> names = {
        {"clBlack", clBlack},
        {"clWhite", clWhite},
        {"clScrollBar", clScrollBar},
        {"clWindow", clWindow},
        {"clWindowText", clWindowText},
        {"clHighlight", clHighlight},
        {"clBtnFace", clBtnFace},
        {"clBtnShadow", clBtnShadow},
        {"clBtnText", clBtnText},
        {"clBtnHighlight", clBtnHighlight},
        {"clHotLight", clHotLight},
        {"clNone", clNone},
        {"clDefault", clDefault},
        {"clBlue", colors::RGBColor(0, 0, 255)},
        {"clRed", colors::RGBColor(255, 0, 0)},
        {"clPurple", colors::RGBColor(128, 0, 128)},
    };
    auto it = names.find(name);
    if (it == names.end())
        return false;
    color = it->second;
    return true;
}
