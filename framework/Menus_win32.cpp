#include "framework/Menus_win32.h"

#include <algorithm>

#include "framework/Controls_win32.h"
#include "framework/Published.h"
#include "framework/SysUtils_win32.h"

const TClassInfo& TMenuItem::StaticClass() {
    static const TClassInfo info{"TMenuItem",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TMenuItem>,
                                 {StrProp("Caption", &TMenuItem::SetCaption),
                                  BoolProp("Checked", &TMenuItem::SetChecked, "False"),
                                  BoolProp("RadioItem", &TMenuItem::SetRadioItem, "False"),
                                  IntProp("GroupIndex", &TMenuItem::SetGroupIndex, "0"),
                                  BoolProp("Enabled", &TMenuItem::SetEnabled, "True"),
                                  RefProp("Action", &TMenuItem::SetAction),
                                  EventProp("OnClick", &TMenuItem::SetOnClick)}};
    return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), FAction(this, this) {}

TMenuItem::~TMenuItem() {
    if (auto* menu = dynamic_cast<TPopupMenu*>(FParentMenu)) {
        auto& v = menu->FItems;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

void TMenuItem::SetChecked(bool v) {
    if (FChecked == v)
        return;
    FChecked = v;
    if (v && FRadioItem)
        if (auto* menu = dynamic_cast<TPopupMenu*>(FParentMenu))
            for (TMenuItem* other : menu->Items())
                if (other != this && other->FRadioItem && other->FGroupIndex == FGroupIndex)
                    other->SetChecked(false);
    if (TAction* action = FAction.Get(); action && !Loading())
        action->SetChecked(v);
}

void TMenuItem::SetAction(TAction* action) {
    FAction.Set(action);
}

void TMenuItem::ActionChanged(TAction& action) {
    FCaption = action.Caption();
    FEnabled = action.Enabled();
    if (FChecked != action.Checked())
        SetChecked(action.Checked());
}

void TMenuItem::Click() {
    if (TAction* action = FAction.Get())
        action->Execute();
    else if (FOnClick)
        FOnClick(this);
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove)
        FAction.Removed(component);
}

const TClassInfo& TPopupMenu::StaticClass() {
    static const TClassInfo info{
        "TPopupMenu", &TComponent::StaticClass(), CreateComponent<TPopupMenu>, {}};
    return info;
}

TPopupMenu::~TPopupMenu() {
    for (TMenuItem* item : FItems)
        item->SetParentMenu(nullptr);
}

void TPopupMenu::ReadChild(TComponent* child) {
    auto* item = dynamic_cast<TMenuItem*>(child);
    if (!item)
        TComponent::ReadChild(child);
    item->SetParentMenu(this);
    FItems.push_back(item);
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
    HMENU menu = CreatePopupMenu();
    if (!menu)
        RaiseLastOSError("Cannot create a menu", "CreatePopupMenu");
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TMenuItem* item = FItems[i];
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
        mii.fType = item->Caption() == "-" ? MFT_SEPARATOR : MFT_STRING;
        if (item->Checked() && dynamic_cast<const TMenuItem*>(item))
            mii.fState |= MFS_CHECKED;
        if (!item->Enabled())
            mii.fState |= MFS_DISABLED;
        mii.fType |= MFT_RADIOCHECK;
        mii.wID = static_cast<UINT>(i + 1);
        // The action's shortcut stands right of the caption, as in any menu.
        std::string text = item->Caption();
        if (const TAction* action = item->Action(); action && action->ShortCut())
            text.append(1, '\t').append(ShortCutToText(action->ShortCut()));
        mii.dwTypeData = text.data();
        InsertMenuItemA(menu, static_cast<UINT>(i), TRUE, &mii);
    }
    if (HWND application = ControlHost() ? ControlHost()->PopupOwner() : nullptr)
        owner = application;
    const UINT chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    DestroyMenu(menu);
    if (chosen > 0 && chosen <= FItems.size())
        FItems[chosen - 1]->Click();
}
