// Components: ownership, names and destruction notices, plus the class
// information that lets forms be described as data: each class publishes its
// properties (with the default a form needn't store) in one table, and the
// class registry finds a class by the name a form stores.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/FormValue.h"
#include "framework/SysUtils.h"

class TObject {
public:
    virtual ~TObject() = default;
};

// An object whose state can be copied into another through Assign: the
// target asks the source (AssignTo) for classes it does not know itself, and
// a pair neither side knows raises EConvertError.
class TPersistent : public TObject {
public:
    virtual void Assign(const TPersistent& source);
    virtual std::string ClassName() const { return "TPersistent"; }

protected:
    virtual void AssignTo(TPersistent& dest) const;

private:
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

class TComponent;
class TFormFixups;

struct TPropInfo {
    std::string Name;
    std::string Default; // as form data writes it; empty when the property is always stored
    // Applies a value read from form data. References and event bindings are
    // deferred through the fixups until every component of the form exists.
    std::function<void(TComponent&, const TFormValue&, TFormFixups&)> Apply;
    bool IsEvent = false; // the value names a handler of the form
};

struct TClassInfo {
    std::string Name;
    const TClassInfo* Parent = nullptr;
    std::function<TComponent*(TComponent* owner)> Create; // empty for abstract classes
    std::vector<TPropInfo> Props;

    const TPropInfo* FindProp(const std::string& name) const;
    bool InheritsFrom(const TClassInfo& other) const;
};

// Every component class declares its class information with this macro and
// defines StaticClass() next to its property table.
#define QORV_COMPONENT_CLASS                                                                       \
public:                                                                                            \
    static const TClassInfo& StaticClass();                                                        \
    const TClassInfo& ClassInfo() const override {                                                 \
        return StaticClass();                                                                      \
    }                                                                                              \
                                                                                                   \
private:

// The factory a class's information names: a new T owned by `owner`.
template <class T>
TComponent* CreateComponent(TComponent* owner) {
    return new T(owner);
}

void RegisterComponentClass(const TClassInfo& info);
const TClassInfo* FindComponentClass(const std::string& name);

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassInfo() const { return StaticClass(); }

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    virtual void SetName(const std::string& name);
    const std::vector<TComponent*>& Components() const { return FComponents; }
    // A number the program may keep with the component; nothing reads it.
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t tag) { FTag = tag; }
    TComponent* FindComponent(const std::string& name) const;

    // Asks to be told (Notification with opRemove) when `other` is destroyed,
    // so that references to it can be cleared.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // Called once the whole form has been read and its references resolved.
    virtual void Loaded() {}
    bool Loading() const { return FLoading; }
    void SetLoading(bool loading) { FLoading = loading; }

    // A component nested inside another in form data is handed to it here:
    // controls become children, actions join their list, items their menu.
    virtual void ReadChild(TComponent* child);

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    bool Destroying() const { return FDestroying; }

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* FOwner = nullptr;
    std::string FName;
    int32_t FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    bool FLoading = false;
    bool FDestroying = false;
};

// Keeps a reference to another component and clears it when that component
// is destroyed; the holder receives the notice through FreeNotification.
template <class T>
class TComponentRef {
public:
    explicit TComponentRef(TComponent* holder) : FHolder(holder) {}
    T* Get() const { return FTarget; }
    void Set(T* target) {
        if (FTarget == target)
            return;
        if (FTarget)
            FHolder->RemoveFreeNotification(FTarget);
        FTarget = target;
        if (FTarget)
            FHolder->FreeNotification(FTarget);
    }
    // Call from the holder's Notification.
    void Removed(TComponent* component) {
        if (component == FTarget)
            FTarget = nullptr;
    }

private:
    TComponent* FHolder;
    T* FTarget = nullptr;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Handler names a form's data may bind to events, each with its exact type.
class TMethodTable {
public:
    template <class F>
    void Add(const std::string& name, F handler) {
        FMethods[name] = std::move(handler);
    }
    // A form's method bound under its own name; the event type follows from
    // the method's parameters.
    template <class Form, class... Args>
    void Bind(const std::string& name, Form* form, void (Form::*method)(Args...)) {
        Add<std::function<void(Args...)>>(
            name, [form, method](Args... args) { (form->*method)(std::forward<Args>(args)...); });
    }
    const std::any* Find(const std::string& name) const {
        auto it = FMethods.find(name);
        return it == FMethods.end() ? nullptr : &it->second;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : FMethods)
            names.push_back(entry.first);
        return names;
    }

private:
    std::map<std::string, std::any> FMethods;
};
