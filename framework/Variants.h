// A value of one of a few kinds, as a property of variant type holds it:
// unassigned, null, a whole number, a floating-point number, a Boolean or a
// string. Form data stores such a property as whichever it is.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "framework/Published.h"
#include "framework/SysUtils.h"

// A variant whose value cannot be had in the kind asked for.
class EVariantTypeCastError : public Exception {
public:
    using Exception::Exception;
};

struct TVariantNull {
    bool operator==(const TVariantNull&) const = default;
};

class TVariant {
public:
    TVariant() = default; // unassigned
    TVariant(TVariantNull) : FValue(TVariantNull{}) {}
    TVariant(int v) : FValue(static_cast<int64_t>(v)) {}
    TVariant(int64_t v) : FValue(v) {}
    TVariant(double v) : FValue(v) {}
    TVariant(bool v) : FValue(v) {}
    TVariant(std::string v) : FValue(std::move(v)) {}
    TVariant(const char* v) : FValue(std::string(v)) {}

    bool IsEmpty() const { return FValue.index() == 0; }
    bool IsNull() const { return FValue.index() == 1; }
    // "Unassigned", "Null", "Int64", "Double", "Boolean", "String".
    const char* TypeName() const;
    // Numbers in their plain decimal form (15 significant digits), Booleans
    // as "True"/"False", unassigned as "". Raises EVariantTypeCastError for null.
    std::string AsString() const;
    bool operator==(const TVariant& other) const = default;

private:
    std::variant<std::monostate, TVariantNull, int64_t, double, bool, std::string> FValue;
};

std::string VarToStr(const TVariant& v);

// A variant property: a number, a string, True/False or Null in form data.
template <class C>
TPropInfo VariantProp(std::string name, void (C::*set)(const TVariant&)) {
    return {name, "", [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                TVariant value;
                if (v.Kind == TValueKind::Integer)
                    value = TVariant(static_cast<int64_t>(v.Int));
                else if (v.Kind == TValueKind::Float)
                    value = TVariant(v.Float);
                else if (v.Kind == TValueKind::String)
                    value = TVariant(v.Str);
                else if (v.Kind == TValueKind::Ident && v.Str == "Null")
                    value = TVariant(TVariantNull{});
                else if (v.Kind == TValueKind::Ident && (v.Str == "True" || v.Str == "False"))
                    value = TVariant(v.Str == "True");
                else
                    published::WrongKind(name, v, "a number, a string, True, False or Null");
                (static_cast<C&>(c).*set)(value);
            }};
}

// A floating-point property: a number, whole or with a fraction.
template <class C>
TPropInfo FloatProp(std::string name, void (C::*set)(double), std::string def = "") {
    return {name, std::move(def), [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                if (v.Kind == TValueKind::Integer)
                    (static_cast<C&>(c).*set)(static_cast<double>(v.Int));
                else if (v.Kind == TValueKind::Float)
                    (static_cast<C&>(c).*set)(v.Float);
                else
                    published::WrongKind(name, v, "a number");
            }};
}
