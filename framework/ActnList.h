// Actions: one command with its caption, hint, picture, checked and enabled
// state, shared by every control that shows it (tool buttons, menu items).
// Controls register as clients and follow the action's changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Components.h"

class TAction;
class TActionList;

// A key with its modifiers: the virtual-key code in the low byte, the
// modifier bits above it; 0 is none.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
constexpr TShortCut MakeShortCut(uint8_t key, TShortCut modifiers) {
    return static_cast<TShortCut>(key | modifiers);
}
// "Ctrl+Shift+C", "F1", "Ctrl+F2": modifiers Ctrl, Shift and Alt in any order
// and case, then a letter, a digit, F1 to F24 or a named key (Del, Ins, Esc,
// Enter, Tab, Space, BkSp, Home, End, PgUp, PgDn, Up, Down, Left, Right, Apps).
// Empty text is no shortcut; other text raises EConvertError.
TShortCut TextToShortCut(const std::string& text);
// The shortcut as a menu or tool tip shows it; empty for none.
std::string ShortCutToText(TShortCut shortCut);

class TActionClient {
public:
    virtual void ActionChanged(TAction& action) = 0;
    // The action's shortcut was pressed: a client that stands for the
    // action as the user sees it (a tool button) runs it as its click would
    // and answers true; the action runs itself when no client does.
    virtual bool ShortCutPressed(TAction&) { return false; }

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
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut value);
    TActionList* ActionList() const { return FActionList; }
    void SetActionList(TActionList* list);

    const TNotifyEvent& OnExecute() const { return FOnExecute; }
    void SetOnExecute(TNotifyEvent handler) { FOnExecute = std::move(handler); }

    // Runs OnExecute with the action as sender; false when disabled or unhandled.
    bool Execute();
    // Its shortcut was pressed: through the first client that takes it,
    // else Execute. False when disabled.
    bool ExecuteShortCut();

    void AddClient(TActionClient* client);
    void RemoveClient(TActionClient* client);

private:
    void Changed();

    std::string FCaption, FHint, FCategory;
    int FImageIndex = -1;
    bool FChecked = false;
    bool FEnabled = true;
    int FGroupIndex = 0;
    TShortCut FShortCut = 0;
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
    // Runs the enabled action with this shortcut; false when none has it.
    bool IsShortCut(TShortCut shortCut);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TAction;
    std::vector<TAction*> FActions;
    TComponentRef<TComponent> FImages;
};

void RegisterActionClasses();
