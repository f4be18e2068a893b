// Builds components from form data: creates each nested object by its class
// name, hands it to the object it is nested in, and sets its properties in the
// order written through the class's published property table. References to
// other components and event bindings are resolved by name.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Components.h"
#include "framework/FormData.h"

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

// Reads `data` into the existing root component (a form); the root's class
// must be the one the data names. Raises EFormDataError on any fault.
void ReadFormData(TComponent& root, const TFormObject& data, const TMethodTable& methods);
void ReadFormData(TComponent& root, const std::string& text, const TMethodTable& methods);
