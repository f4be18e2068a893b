#include "framework/FormReader.h"

#include <algorithm>
#include <set>

#include "framework/FormData.h"

void TFormFixups::RunDeferred() {
    for (auto& work : FDeferred)
        work();
    FDeferred.clear();
}

void TFormFixups::Fail(int line, const std::string& what) {
    throw EFormDataError("Form data line " + std::to_string(line) + ": " + what);
}

TComponent* TFormFixups::Resolve(const std::string& name, int line) const {
    if (name == FRoot.Name())
        return &FRoot;
    if (TComponent* c = FRoot.FindComponent(name))
        return c;
    Fail(line, "component '" + name + "' not found");
}

const std::any& TFormFixups::Method(const std::string& name, int line) const {
    if (const std::any* m = FMethods.Find(name))
        return *m;
    Fail(line, "handler '" + name + "' not found");
}

namespace {

void ApplyProps(TComponent& component, const TFormObject& data, TFormFixups& fixups) {
    const TClassInfo& info = component.ClassInfo();
    for (const auto& [name, value] : data.Props) {
        const TPropInfo* prop = info.FindProp(name);
        if (!prop)
            TFormFixups::Fail(value.Line, "class " + info.Name + " has no property '" + name + "'");
        prop->Apply(component, value, fixups);
    }
}

void ReadChildren(TComponent& root, TComponent& parent, const TFormObject& data,
                  TFormFixups& fixups, std::vector<TComponent*>& created) {
    for (const TFormObject& child : data.Children) {
        const TClassInfo* info = FindComponentClass(child.ClassName);
        if (!info || !info->Create)
            TFormFixups::Fail(child.Line, "class '" + child.ClassName + "' not found");
        if (root.FindComponent(child.Name))
            TFormFixups::Fail(child.Line, "a component named '" + child.Name + "' already exists");
        // Owned by the root from the start, so a later failure frees it.
        TComponent* component = info->Create(&root);
        component->SetLoading(true);
        component->SetName(child.Name);
        created.push_back(component);
        parent.ReadChild(component);
        ApplyProps(*component, child, fixups);
        ReadChildren(root, *component, child, fixups, created);
    }
}

} // namespace

void ReadFormData(TComponent& root, const TFormObject& data, const TMethodTable& methods) {
    if (data.ClassName != root.ClassInfo().Name)
        TFormFixups::Fail(data.Line, "form data describes a " + data.ClassName + ", not a " +
                                         root.ClassInfo().Name);
    TFormFixups fixups(root, methods);
    std::vector<TComponent*> created{&root};
    root.SetLoading(true);
    root.SetName(data.Name);
    ApplyProps(root, data, fixups);
    ReadChildren(root, root, data, fixups, created);
    fixups.RunDeferred();
    for (TComponent* c : created)
        c->SetLoading(false);
    for (TComponent* c : created)
        c->Loaded();
}

void TFormFields::Bind(TComponent& form) const {
    for (const auto& [name, bind] : FFields)
        if (!bind(form.FindComponent(name)))
            throw EFormDataError("Form " + form.Name() + " has no " + name +
                                 " of the expected class");
}

std::vector<std::string> TFormFields::Names() const {
    std::vector<std::string> names;
    for (const auto& field : FFields)
        names.push_back(field.first);
    return names;
}

namespace {

void CollectNames(const TFormObject& object, const TClassInfo* info,
                  std::set<std::string>& components, std::set<std::string>& handlers) {
    for (const auto& [name, value] : object.Props)
        if (const TPropInfo* prop = info ? info->FindProp(name) : nullptr; prop && prop->IsEvent)
            handlers.insert(value.Str);
    for (const TFormObject& child : object.Children) {
        components.insert(child.Name);
        CollectNames(child, FindComponentClass(child.ClassName), components, handlers);
    }
}

// What `a` holds that `b` lacks, each said with `what`.
void Missing(const std::set<std::string>& a, const std::set<std::string>& b,
             const std::string& what, std::vector<std::string>& out) {
    for (const std::string& name : a)
        if (!b.count(name))
            out.push_back(name + ": " + what);
}

} // namespace

std::vector<std::string> CheckFormBindings(const TFormObject& data, const TClassInfo& formClass,
                                           const TFormFields& fields, const TMethodTable& methods) {
    std::set<std::string> components, handlers;
    CollectNames(data, &formClass, components, handlers);
    const std::vector<std::string> fieldList = fields.Names(), methodList = methods.Names();
    const std::set<std::string> bound(fieldList.begin(), fieldList.end());
    const std::set<std::string> boundMethods(methodList.begin(), methodList.end());
    std::vector<std::string> problems;
    Missing(components, bound, "component without a field", problems);
    Missing(bound, components, "field not in the form data", problems);
    Missing(handlers, boundMethods, "handler not bound", problems);
    Missing(boundMethods, handlers, "handler the form data never names", problems);
    return problems;
}

void ReadFormData(TComponent& root, const std::string& text, const TMethodTable& methods) {
    ReadFormData(root, ParseFormData(text), methods);
}
