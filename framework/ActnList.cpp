#include "framework/ActnList.h"

#include <algorithm>

#include "framework/Published.h"

const TClassInfo& TAction::StaticClass() {
    static const TClassInfo info{"TAction",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TAction>,
                                 {
                                     StrProp("Caption", &TAction::SetCaption),
                                     StrProp("Category", &TAction::SetCategory),
                                     BoolProp("Checked", &TAction::SetChecked, "False"),
                                     BoolProp("Enabled", &TAction::SetEnabled, "True"),
                                     IntProp("GroupIndex", &TAction::SetGroupIndex, "0"),
                                     StrProp("Hint", &TAction::SetHint),
                                     IntProp("ImageIndex", &TAction::SetImageIndex, "-1"),
                                     EventProp("OnExecute", &TAction::SetOnExecute),
                                 }};
    return info;
}

TAction::~TAction() {
    SetActionList(nullptr);
    // Clients are components that asked for our destruction notice; they drop
    // their reference there, so nothing is left to tell.
    FClients.clear();
}

void TAction::SetCaption(const std::string& value) {
    if (FCaption != value) {
        FCaption = value;
        Changed();
    }
}

void TAction::SetHint(const std::string& value) {
    if (FHint != value) {
        FHint = value;
        Changed();
    }
}

void TAction::SetImageIndex(int value) {
    if (FImageIndex != value) {
        FImageIndex = value;
        Changed();
    }
}

void TAction::SetChecked(bool value) {
    if (FChecked == value)
        return;
    FChecked = value;
    if (value && FGroupIndex > 0 && FActionList)
        for (TAction* other : FActionList->FActions)
            if (other != this && other->FGroupIndex == FGroupIndex)
                other->SetChecked(false);
    Changed();
}

void TAction::SetEnabled(bool value) {
    if (FEnabled != value) {
        FEnabled = value;
        Changed();
    }
}

void TAction::SetActionList(TActionList* list) {
    if (FActionList == list)
        return;
    if (FActionList) {
        auto& v = FActionList->FActions;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    FActionList = list;
    if (list)
        list->FActions.push_back(this);
}

bool TAction::Execute() {
    if (!FEnabled || !FOnExecute)
        return false;
    FOnExecute(this);
    return true;
}

void TAction::AddClient(TActionClient* client) {
    if (std::find(FClients.begin(), FClients.end(), client) == FClients.end())
        FClients.push_back(client);
}

void TAction::RemoveClient(TActionClient* client) {
    FClients.erase(std::remove(FClients.begin(), FClients.end(), client), FClients.end());
}

void TAction::Changed() {
    // A copy: a client may detach itself while it follows the change.
    const std::vector<TActionClient*> clients = FClients;
    for (TActionClient* c : clients)
        c->ActionChanged(*this);
}

void TActionLink::Set(TAction* action) {
    if (FAction.Get())
        FAction.Get()->RemoveClient(FClient);
    FAction.Set(action);
    if (action) {
        action->AddClient(FClient);
        FClient->ActionChanged(*action);
    }
}

const TClassInfo& TActionList::StaticClass() {
    static const TClassInfo info{"TActionList",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TActionList>,
                                 {RefProp("Images", &TActionList::SetImages)}};
    return info;
}

TActionList::~TActionList() {
    while (!FActions.empty())
        FActions.back()->SetActionList(nullptr);
}

void TActionList::ReadChild(TComponent* child) {
    auto* action = dynamic_cast<TAction*>(child);
    if (!action)
        TComponent::ReadChild(child);
    action->SetActionList(this);
}

void TActionList::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FImages.Removed(component);
}

void RegisterActionClasses() {
    RegisterComponentClass(TAction::StaticClass());
    RegisterComponentClass(TActionList::StaticClass());
}
