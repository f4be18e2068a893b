#include "framework/Variants.h"

#include <charconv>
#include <cmath>

const char* TVariant::TypeName() const {
    static const char* const names[] = {"Unassigned", "Null",    "Int64",
                                        "Double",     "Boolean", "String"};
    return names[FValue.index()];
}

std::string TVariant::AsString() const {
    if (const auto* s = std::get_if<std::string>(&FValue))
        return *s;
    if (const auto* i = std::get_if<int64_t>(&FValue))
        return std::to_string(*i);
    if (const auto* b = std::get_if<bool>(&FValue))
        return *b ? "True" : "False";
    if (const auto* d = std::get_if<double>(&FValue)) {
        if (std::isnan(*d))
            return "NAN";
        if (std::isinf(*d))
            return *d < 0 ? "-INF" : "INF";
        char buffer[64];
        const auto r =
            std::to_chars(buffer, buffer + sizeof buffer, *d, std::chars_format::general, 15);
        std::string text(buffer, r.ptr);
        if (const size_t e = text.find('e'); e != std::string::npos) {
            // 1.5E+20 rather than 1.5e+20, without the exponent's leading zeros
            const bool negative = text[e + 1] == '-';
            const std::string digits = text.substr(text.find_first_not_of("+-0", e + 1));
            text = text.substr(0, e) + (negative ? "E-" : "E+") + digits;
        }
        return text;
    }
    if (IsNull())
        throw EVariantTypeCastError("Could not convert variant of type (Null) into type (String)");
    return "";
}

std::string VarToStr(const TVariant& v) {
    return v.AsString();
}
