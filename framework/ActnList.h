// Actions: one command with its caption, hint, picture, checked and enabled
// state, shared by every control that shows it (tool buttons, menu items).
// Controls register as clients and follow the action's changes.
#pragma once

#include <string>
#include <vector>

#include "framework/Components.h"

class TAction;
class TActionList;

class TActionClient {
public:
    virtual void ActionChanged(TAction& action) = 0;

protected:
    ~TActionClient() = default;
};

class TAction : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TAction(TComponent* owner) : TComponent(owner) {}
    ~TAction() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);
    const std::string& Category() const { return FCategory; }
    void SetCategory(const std::string& value) { FCategory = value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    bool Checked() const { return FChecked; }
    // Checking an action of a group (GroupIndex > 0) unchecks the others of
    // the same group in its list.
    void SetChecked(bool value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value) { FGroupIndex = value; }
    TActionList* ActionList() const { return FActionList; }
    void SetActionList(TActionList* list);

    const TNotifyEvent& OnExecute() const { return FOnExecute; }
    void SetOnExecute(TNotifyEvent handler) { FOnExecute = std::move(handler); }

    // Runs OnExecute with the action as sender; false when disabled or unhandled.
    bool Execute();

    void AddClient(TActionClient* client);
    void RemoveClient(TActionClient* client);

private:
    void Changed();

    std::string FCaption, FHint, FCategory;
    int FImageIndex = -1;
    bool FChecked = false;
    bool FEnabled = true;
    int FGroupIndex = 0;
    TActionList* FActionList = nullptr;
    TNotifyEvent FOnExecute;
    std::vector<TActionClient*> FClients;
};

// A control's link to its action: registers the control as a client and
// drops the action when it is destroyed (call Removed from Notification).
class TActionLink {
public:
    TActionLink(TComponent* holder, TActionClient* client) : FAction(holder), FClient(client) {}
    ~TActionLink() { Set(nullptr); }
    TActionLink(const TActionLink&) = delete;
    TActionLink& operator=(const TActionLink&) = delete;
    TAction* Get() const { return FAction.Get(); }
    // Links `action` and lets the client take its state at once.
    void Set(TAction* action);
    void Removed(TComponent* component) { FAction.Removed(component); }

private:
    TComponentRef<TAction> FAction;
    TActionClient* FClient;
};

class TActionList : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TActionList(TComponent* owner) : TComponent(owner), FImages(this) {}
    ~TActionList() override;

    const std::vector<TAction*>& Actions() const { return FActions; }
    TComponent* Images() const { return FImages.Get(); }
    void SetImages(TComponent* images) { FImages.Set(images); }
    void ReadChild(TComponent* child) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TAction;
    std::vector<TAction*> FActions;
    TComponentRef<TComponent> FImages;
};

void RegisterActionClasses();
