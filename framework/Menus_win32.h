// Popup menus and their items; an item linked to an action follows its
// caption and checked state and executes it.
#pragma once

#include <windows.h>

#include "framework/ActnList.h"

class TMenuItem : public TComponent, public TActionClient {
    QORV_COMPONENT_CLASS
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v) { FCaption = v; }
    bool Checked() const { return FChecked; }
    // A radio item checked unchecks the other radio items of its group.
    void SetChecked(bool v);
    void SetRadioItem(bool v) { FRadioItem = v; }
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v) { FGroupIndex = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    TAction* Action() const { return FAction.Get(); }
    void SetAction(TAction* action);
    void SetOnClick(TNotifyEvent e) { FOnClick = std::move(e); }
    void Click();
    void ActionChanged(TAction& action) override;
    TComponent* ParentMenu() const { return FParentMenu; }
    void SetParentMenu(TComponent* menu) { FParentMenu = menu; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::string FCaption;
    bool FChecked = false, FRadioItem = false, FEnabled = true;
    int FGroupIndex = 0;
    TActionLink FAction;
    TComponent* FParentMenu = nullptr;
    TNotifyEvent FOnClick;
};

class TPopupMenu : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    ~TPopupMenu() override;
    const std::vector<TMenuItem*>& Items() const { return FItems; }
    void ReadChild(TComponent* child) override;
    // Shows the menu at a screen point and runs the chosen item. The menu
    // belongs to the application's window, or to `owner` where there is none.
    void Popup(int x, int y, HWND owner = nullptr);

private:
    friend class TMenuItem;
    std::vector<TMenuItem*> FItems;
};
