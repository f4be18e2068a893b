#include "framework/Components.h"

#include <algorithm>

#include "framework/Published.h"

const TPropInfo* TClassInfo::FindProp(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TPropInfo& p : c->Props)
            if (p.Name == name)
                return &p;
    return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == &other)
            return true;
    return false;
}

void TPersistent::Assign(const TPersistent& source) {
    source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const {
    dest.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    throw EConvertError("Cannot assign a " + source->ClassName() + " to a " + ClassName());
}

namespace {
std::map<std::string, const TClassInfo*>& ClassRegistry() {
    static std::map<std::string, const TClassInfo*> registry;
    return registry;
}
} // namespace

void RegisterComponentClass(const TClassInfo& info) {
    ClassRegistry()[info.Name] = &info;
}

const TClassInfo* FindComponentClass(const std::string& name) {
    auto it = ClassRegistry().find(name);
    return it == ClassRegistry().end() ? nullptr : it->second;
}

const TClassInfo& TComponent::StaticClass() {
    static const TClassInfo info{
        "TComponent", nullptr, nullptr, {IntProp("Tag", &TComponent::SetTag, "0")}};
    return info;
}

TComponent::TComponent(TComponent* owner) {
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    FDestroying = true;
    // Tell everyone holding a reference to us, then free what we own (last
    // created first), then leave our owner.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& back = other->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, TOperation::opRemove);
    }
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        RemoveComponent(c);
        delete c;
    }
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
    FName = name;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (c->FName == name)
            return c;
    return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this)
        return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other) == FFreeNotifies.end())
        FFreeNotifies.push_back(other);
    if (std::find(other->FFreeNotifies.begin(), other->FFreeNotifies.end(), this) ==
        other->FFreeNotifies.end())
        other->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other)
        return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), other),
                        FFreeNotifies.end());
    other->FFreeNotifies.erase(
        std::remove(other->FFreeNotifies.begin(), other->FFreeNotifies.end(), this),
        other->FFreeNotifies.end());
}

void TComponent::ReadChild(TComponent* child) {
    throw EFormDataError(ClassInfo().Name + " cannot hold " + child->ClassInfo().Name + " '" +
                         child->Name() + "'");
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::InsertComponent(TComponent* component) {
    component->FOwner = this;
    FComponents.push_back(component);
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, TOperation::opRemove);
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), component),
                      FComponents.end());
    component->FOwner = nullptr;
}
