// Helpers for writing published property tables: each makes a TPropInfo that
// checks the form value's kind and calls the class's setter.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/FormReader.h"
#include "framework/FormValue.h"

namespace published {

[[noreturn]] inline void WrongKind(const std::string& prop, const TFormValue& v,
                                   const char* expected) {
    TFormFixups::Fail(v.Line, "property " + prop + " expects " + expected + ", not " +
                                  (v.Kind == TValueKind::Ident ? "'" + v.Str + "'"
                                                               : std::string("a ") + v.KindName()));
}

inline const TFormValue& Expect(const std::string& prop, const TFormValue& v, TValueKind kind,
                                const char* expected) {
    if (v.Kind != kind)
        WrongKind(prop, v, expected);
    return v;
}

inline int AsInt(const std::string& prop, const TFormValue& v) {
    Expect(prop, v, TValueKind::Integer, "an integer");
    if (v.Int < INT32_MIN || v.Int > INT32_MAX)
        WrongKind(prop, v, "a 32-bit integer");
    return static_cast<int>(v.Int);
}

inline bool AsBool(const std::string& prop, const TFormValue& v) {
    if (v.Kind == TValueKind::Ident && (v.Str == "True" || v.Str == "False"))
        return v.Str == "True";
    WrongKind(prop, v, "True or False");
}

template <class E>
using TEnumNames = std::vector<std::pair<std::string, E>>;

template <class E>
E AsEnum(const std::string& prop, const TFormValue& v, const TEnumNames<E>& names) {
    if (v.Kind == TValueKind::Ident)
        for (const auto& [name, value] : names)
            if (name == v.Str)
                return value;
    std::string expected = "one of";
    for (const auto& [name, value] : names)
        expected += " " + name;
    WrongKind(prop, v, expected.c_str());
}

// A set of flags: [akLeft, akTop] with each name standing for a bit.
inline unsigned AsSet(const std::string& prop, const TFormValue& v,
                      const TEnumNames<unsigned>& bits) {
    Expect(prop, v, TValueKind::Set, "a set");
    unsigned value = 0;
    for (const std::string& item : v.Items) {
        TFormValue element = v;
        element.Kind = TValueKind::Ident;
        element.Str = item;
        value |= AsEnum(prop, element, bits);
    }
    return value;
}

} // namespace published

template <class C, class T>
TPropInfo IntProp(std::string name, void (C::*set)(T), std::string def = "") {
    return {name, std::move(def), [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                (static_cast<C&>(c).*set)(static_cast<T>(published::AsInt(name, v)));
            }};
}

template <class C>
TPropInfo BoolProp(std::string name, void (C::*set)(bool), std::string def = "") {
    return {name, std::move(def), [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                (static_cast<C&>(c).*set)(published::AsBool(name, v));
            }};
}

template <class C>
TPropInfo StrProp(std::string name, void (C::*set)(const std::string&), std::string def = "") {
    return {name, std::move(def), [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                published::Expect(name, v, TValueKind::String, "a string");
                (static_cast<C&>(c).*set)(v.Str);
            }};
}

// A single character: a one-character string ('*', #0), or its code.
template <class C>
TPropInfo CharProp(std::string name, void (C::*set)(char), std::string def = "") {
    return {name, std::move(def), [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                char ch = 0;
                if (v.Kind == TValueKind::Integer && v.Int >= 0 && v.Int <= 255)
                    ch = static_cast<char>(v.Int);
                else if (v.Kind == TValueKind::String && v.Str.size() == 1)
                    ch = v.Str[0];
                else
                    published::WrongKind(name, v, "a single character");
                (static_cast<C&>(c).*set)(ch);
            }};
}

template <class C>
TPropInfo StringsProp(std::string name, void (C::*set)(const std::vector<std::string>&)) {
    return {name, "", [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                published::Expect(name, v, TValueKind::List, "a list of strings");
                (static_cast<C&>(c).*set)(v.Items);
            }};
}

template <class C>
TPropInfo BinaryProp(std::string name, void (C::*set)(const std::vector<uint8_t>&)) {
    return {name, "", [name, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                published::Expect(name, v, TValueKind::Binary, "binary data");
                (static_cast<C&>(c).*set)(v.Bytes);
            }};
}

template <class C, class E>
TPropInfo EnumProp(std::string name, void (C::*set)(E), published::TEnumNames<E> names,
                   std::string def = "") {
    return {name, std::move(def),
            [name, set, names](TComponent& c, const TFormValue& v, TFormFixups&) {
                (static_cast<C&>(c).*set)(published::AsEnum(name, v, names));
            }};
}

// A set of flags: [akLeft, akTop] with each name standing for a bit.
template <class C>
TPropInfo SetProp(std::string name, void (C::*set)(unsigned), published::TEnumNames<unsigned> bits,
                  std::string def = "") {
    return {name, std::move(def),
            [name, set, bits](TComponent& c, const TFormValue& v, TFormFixups&) {
                (static_cast<C&>(c).*set)(published::AsSet(name, v, bits));
            }};
}

// A property of an object the component owns, written in form data under
// both names: "Margins.Left".
template <class C, class P, class T>
TPropInfo NestedIntProp(std::string name, P& (C::*get)(), void (P::*set)(T), std::string def = "") {
    return {name, std::move(def),
            [name, get, set](TComponent& c, const TFormValue& v, TFormFixups&) {
                ((static_cast<C&>(c).*get)().*set)(static_cast<T>(published::AsInt(name, v)));
            }};
}

// A reference to another component of the form, resolved once all exist.
template <class C, class T>
TPropInfo RefProp(std::string name, void (C::*set)(T*)) {
    return {name, "", [name, set](TComponent& c, const TFormValue& v, TFormFixups& fixups) {
                published::Expect(name, v, TValueKind::Ident, "a component name");
                C* self = &static_cast<C&>(c);
                fixups.Defer([self, set, name, v, &fixups] {
                    auto* target = dynamic_cast<T*>(fixups.Resolve(v.Str, v.Line));
                    if (!target)
                        TFormFixups::Fail(v.Line, "component '" + v.Str +
                                                      "' does not fit property " + name);
                    (self->*set)(target);
                });
            }};
}

// An event bound to one of the form's handlers by name; the handler must have
// exactly the event's type.
template <class C, class F>
TPropInfo EventProp(std::string name, void (C::*set)(F)) {
    return {name, "",
            [name, set](TComponent& c, const TFormValue& v, TFormFixups& fixups) {
                published::Expect(name, v, TValueKind::Ident, "a handler name");
                const F* handler = std::any_cast<F>(&fixups.Method(v.Str, v.Line));
                if (!handler)
                    TFormFixups::Fail(v.Line, "handler '" + v.Str + "' does not fit event " + name);
                (static_cast<C&>(c).*set)(*handler);
            },
            true};
}
