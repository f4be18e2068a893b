// Builds components from form data: creates each nested object by its class
// name, hands it to the object it is nested in, and sets its properties in the
// order written through the class's published property table. References to
// other components and event bindings are resolved by name.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Components.h"
#include "framework/FormValue.h"

struct TFormObject; // the parsed data (FormData.h)

class TFormFixups {
public:
    TFormFixups(TComponent& root, const TMethodTable& methods) : FRoot(root), FMethods(methods) {}

    // Work that needs every component of the form to exist (references).
    void Defer(std::function<void()> work) { FDeferred.push_back(std::move(work)); }
    void RunDeferred();

    TComponent* Resolve(const std::string& name, int line) const;
    const std::any& Method(const std::string& name, int line) const;
    [[noreturn]] static void Fail(int line, const std::string& what);

private:
    TComponent& FRoot;
    const TMethodTable& FMethods;
    std::vector<std::function<void()>> FDeferred;
};

// The component fields of a form. Each is declared once, with its name
// (QORV_FIELD), and found by that name once the form data has been read.
class TFormFields {
public:
    using TBinder = std::function<bool(TComponent*)>;
    // Notes the field at `field` (a member of the form, which never moves)
    // under `name`; the field starts null.
    template <class T>
    T* Declare(T** field, std::string name) {
        FFields.emplace_back(std::move(name), [field](TComponent* c) {
            *field = dynamic_cast<T*>(c);
            return *field != nullptr;
        });
        return nullptr;
    }
    // Raises EFormDataError for the first field the form lacks or holds as
    // another class.
    void Bind(TComponent& form) const;
    std::vector<std::string> Names() const;

private:
    std::vector<std::pair<std::string, TBinder>> FFields;
};

// A component field of a form, named as in its form data. The form offers
// FormFields().
#define QORV_FIELD(Class, name) Class* name = FormFields().Declare<Class>(&name, #name)
// A handler of a form, bound in its method table under its own name.
#define QORV_METHOD(table, Form, name) (table).Bind(#name, this, &Form::name)

// Where form data and a form (its class, fields and handlers) disagree: a
// component the data makes that no field binds, a field the data lacks, a
// handler the data names that the form does not bind, a bound handler the
// data never names. Empty when they agree.
std::vector<std::string> CheckFormBindings(const TFormObject& data, const TClassInfo& formClass,
                                           const TFormFields& fields, const TMethodTable& methods);

// Reads `data` into the existing root component (a form); the root's class
// must be the one the data names. Raises EFormDataError on any fault.
void ReadFormData(TComponent& root, const TFormObject& data, const TMethodTable& methods);
void ReadFormData(TComponent& root, const std::string& text, const TMethodTable& methods);
