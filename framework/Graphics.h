// Colours as forms store them: 0x00BBGGRR, or a system colour reference
// (0xFF000000 | COLOR_xxx index) that is resolved when drawing.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Published.h"

using TColor = int32_t;

namespace colors {
constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0xFF000000u | index);
}
constexpr TColor RGBColor(int r, int g, int b) {
    return r | g << 8 | b << 16;
}
} // namespace colors

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clScrollBar = colors::SystemColor(0);
constexpr TColor clWindow = colors::SystemColor(5);
constexpr TColor clWindowText = colors::SystemColor(8);
constexpr TColor clHighlight = colors::SystemColor(13);
constexpr TColor clBtnFace = colors::SystemColor(15);
constexpr TColor clBtnShadow = colors::SystemColor(16);
constexpr TColor clGrayText = colors::SystemColor(17);
constexpr TColor clBtnText = colors::SystemColor(18);
constexpr TColor clBtnHighlight = colors::SystemColor(20);
constexpr TColor clHotLight = colors::SystemColor(26);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

bool IsSystemColor(TColor color);
// Colour names a form may use; false when `name` is not one of them.
bool IdentToColor(const std::string& name, TColor& color);

// A colour as form data writes it: a colour name or a number ($00F0F8F9).
inline TColor AsColor(const std::string& prop, const TFormValue& v) {
    TColor color = 0;
    if (v.Kind == TValueKind::Integer)
        color = static_cast<TColor>(v.Int);
    else if (v.Kind != TValueKind::Ident || !IdentToColor(v.Str, color))
        published::WrongKind(prop, v, "a colour");
    return color;
}

// A colour property.
template <class C>
TPropInfo ColorProp(std::string name, void (C::*set)(TColor), std::string def = "") {
    return {name, std::move(def), [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                (static_cast<C&>(c).*set)(AsColor(name, v));
            }};
}
