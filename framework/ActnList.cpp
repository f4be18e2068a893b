#include "framework/ActnList.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "framework/Published.h"
#include "framework/SysUtils.h"

namespace {

// Virtual-key codes of the keys a shortcut may name besides letters, digits
// and F1 to F24 (the same on every Windows); Apps is the menu key.
constexpr std::pair<const char*, uint8_t> kNamedKeys[] = {
    {"BkSp", 0x08},  {"Tab", 0x09},  {"Enter", 0x0D}, {"Esc", 0x1B},
    {"Space", 0x20}, {"PgUp", 0x21}, {"PgDn", 0x22},  {"End", 0x23},
    {"Home", 0x24},  {"Left", 0x25}, {"Up", 0x26},    {"Right", 0x27},
    {"Down", 0x28},  {"Ins", 0x2D},  {"Del", 0x2E},   {"Apps", 0x5D},
};
constexpr uint8_t kF1 = 0x70;
constexpr std::pair<const char*, TShortCut> kModifiers[] = {
    {"Ctrl+", scCtrl}, {"Shift+", scShift}, {"Alt+", scAlt}};

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The virtual-key code a key's name stands for; 0 for none.
uint8_t KeyOfName(const std::string& name) {
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<uint8_t>(std::toupper(static_cast<unsigned char>(name[0])));
    if (name.size() >= 2 && name.size() <= 3 &&
        std::toupper(static_cast<unsigned char>(name[0])) == 'F' &&
        std::all_of(name.begin() + 1, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
        name[1] != '0') {
        const int n = std::stoi(name.substr(1));
        if (n <= 24)
            return static_cast<uint8_t>(kF1 + n - 1);
    }
    for (const auto& [text, key] : kNamedKeys)
        if (SameText(name, text))
            return key;
    if (SameText(name, "Delete"))
        return 0x2E;
    return 0;
}

} // namespace

TShortCut TextToShortCut(const std::string& text) {
    if (text.empty())
        return 0;
    TShortCut modifiers = 0;
    size_t at = 0;
    for (bool found = true; found;) {
        found = false;
        for (const auto& [name, bit] : kModifiers) {
            const std::string prefix(name);
            if (text.size() - at > prefix.size() &&
                SameText(text.substr(at, prefix.size()), prefix) && !(modifiers & bit)) {
                modifiers |= bit;
                at += prefix.size();
                found = true;
            }
        }
    }
    const uint8_t key = KeyOfName(text.substr(at));
    if (!key)
        throw EConvertError("'" + text + "' is not a valid shortcut");
    return MakeShortCut(key, modifiers);
}

std::string ShortCutToText(TShortCut shortCut) {
    const auto key = static_cast<uint8_t>(shortCut & 0xFF);
    if (!key)
        return {};
    std::string text;
    for (const auto& [name, bit] : kModifiers)
        if (shortCut & bit)
            text += name;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return text + static_cast<char>(key);
    if (key >= kF1 && key < kF1 + 24)
        return text + "F" + std::to_string(key - kF1 + 1);
    for (const auto& [name, code] : kNamedKeys)
        if (code == key)
            return text + name;
    return text + "#" + std::to_string(key);
}

namespace {
TPropInfo ShortCutProp() {
    return {"ShortCut", "", [](TComponent& c, const TFormValue& v, TFormFixups&) {
                published::Expect("ShortCut", v, TValueKind::String, "a string");
                try {
                    static_cast<TAction&>(c).SetShortCut(TextToShortCut(v.Str));
                } catch (const EConvertError& e) {
                    TFormFixups::Fail(v.Line, std::string("property ShortCut: ") + e.what());
                }
            }};
}
} // namespace

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
                                     ShortCutProp(),
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

void TAction::SetShortCut(TShortCut value) {
    if (FShortCut != value) {
        FShortCut = value;
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

bool TAction::ExecuteShortCut() {
    if (!FEnabled)
        return false;
    const std::vector<TActionClient*> clients = FClients;
    for (TActionClient* c : clients)
        if (c->ShortCutPressed(*this))
            return true;
    return Execute();
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

bool TActionList::IsShortCut(TShortCut shortCut) {
    if (!shortCut)
        return false;
    for (TAction* action : FActions)
        if (action->ShortCut() == shortCut && action->Enabled())
            return action->ExecuteShortCut();
    return false;
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
