#include "settings/unitSettings.h"

TSettings* Settings = nullptr;

TSettings::TSettings(const std::string& rootPath, TKeyStore* store)
    : TQorvSettings(rootPath, store) {
    LoadValues();
}

TSettings::~TSettings() {
    if (Modified())
        Save();
}

void TSettings::Load() {
    TQorvSettings::Load();
    LoadValues();
}

void TSettings::LoadValues() {
    FSmallIcons = ReadBool("SmallIcons", false);
    FList = ReadBool("List", false);
    FStayOnTop = ReadBool("StayOnTop", false);
    FWordWrap = ReadBool("WordWrap", true);
    ListCol1 = ReadInteger("ListCol1", DefaultListCol1);
    ListCol2 = ReadInteger("ListCol2", -1);
    ListSplitter = ReadInteger("ListSplitter", DefaultListSplitter);
    PreviewWidth = ReadInteger("PreviewWidth", 0);
    PreviewHeight = ReadInteger("PreviewHeight", 0);
}

void TSettings::Save() {
    TQorvSettings::Save();
    WriteBool("SmallIcons", FSmallIcons);
    WriteBool("List", FList);
    WriteBool("StayOnTop", FStayOnTop);
    WriteBool("WordWrap", FWordWrap);
}

void TSettings::SaveLayout() {
    OpenDefault();
    WriteInteger("ListCol1", ListCol1);
    WriteInteger("ListCol2", ListCol2);
    WriteInteger("ListSplitter", ListSplitter);
    WriteInteger("PreviewWidth", PreviewWidth);
    WriteInteger("PreviewHeight", PreviewHeight);
}

bool TSettings::SaneListWidth(int32_t width) {
    // A damaged value such as 0xFFFFFFFF reads as -1, which the list view
    // takes as "size to the contents"; a huge one only scrolls.
    return width >= 0 && int64_t{width} <= int64_t{16} * HostScreenWidth();
}

void TSettings::AdjustListCol2(int32_t listWidth) {
    if (!SaneListWidth(ListCol2))
        ListCol2 = listWidth - AppliedListCol1() - HostVerticalScrollBarWidth();
}

int32_t TSettings::AppliedListCol1() const {
    return SaneListWidth(ListCol1) ? ListCol1 : DefaultListCol1;
}

int32_t TSettings::AppliedListSplitter() const {
    return ListSplitter >= 0 ? ListSplitter : DefaultListSplitter;
}

void TSettings::SaveWindowLayout(TPlacementWindow& form, int32_t listCol1, int32_t listCol2,
                                 int32_t listSplitter) {
    SavePlacement(MainFormSection, form, 0);
    ListCol1 = listCol1;
    ListCol2 = listCol2;
    ListSplitter = listSplitter;
    SaveLayout();
}

void TSettings::ClearWindowLayout() {
    OpenDefault();
    DeleteValue("ListCol1");
    DeleteValue("ListCol2");
    DeleteValue("ListSplitter");
    DeleteValue("PreviewWidth");
    DeleteValue("PreviewHeight");
    ClearPlacement(MainFormSection);
}

void TSettings::SetStayOnTop(bool value) {
    FStayOnTop = value;
    SetModified(true);
}

void TSettings::SetList(bool value) {
    FList = value;
    SetModified(true);
}

void TSettings::SetWordWrap(bool value) {
    FWordWrap = value;
    SetModified(true);
}

void TSettings::SetSmallIcons(bool value) {
    FSmallIcons = value;
    SetModified(true);
}

void InitializeSettings(TKeyStore* store) {
    if (!Settings)
        Settings = new TSettings(SettingsRootPath, store);
}

void FinalizeSettings() {
    TSettings* settings = Settings;
    Settings = nullptr;
    delete settings;
}
