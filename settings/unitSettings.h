// TSettings: the program's remembered view. Four choices of the user (icon
// size, page, stay-on-top, word wrap) are written back at exit when changed;
// the list layout (two column widths, the lower memo's height), the preview
// window's size and the main window's placement are written only by Save Layout and deleted by
// Clear Layout. Settings is the one program-wide object: created before the main window, destroyed
// after it.
#pragma once

#include <cstdint>
#include <string>

#include "settings/QorvSettings.h"

inline constexpr char SettingsRootPath[] = "Software\\Drovanex\\Vantrel 2006\\R1\\";
inline constexpr char MainFormSection[] = "MainForm";
inline constexpr int32_t DefaultListCol1 = 50;
inline constexpr int32_t DefaultListSplitter = 59;

class TSettings : public TQorvSettings {
public:
    explicit TSettings(const std::string& rootPath = SettingsRootPath, TKeyStore* store = nullptr);
    ~TSettings() override;

    void Load() override;
    // Writes the four choices; the sizes only go with SaveLayout.
    void Save() override;
    // Writes the three sizes; Modified is left alone.
    void SaveLayout();
    // A ListCol2 that counts as not stored (negative, or beyond what a list
    // can sensibly be wide) becomes what fills the list beside the applied
    // "Code" column without a horizontal scroll bar.
    void AdjustListCol2(int32_t listWidth);
    // What the window applies of the stored sizes: a "Code" width that is
    // negative or wider than 16 screens gives the default, and so does a
    // negative memo height. The held values stay as stored.
    int32_t AppliedListCol1() const;
    int32_t AppliedListSplitter() const;

    // The Save Layout command: the window's placement under "MainForm", then
    // the given sizes.
    void SaveWindowLayout(TPlacementWindow& form, int32_t listCol1, int32_t listCol2,
                          int32_t listSplitter);
    // The Clear Layout command: deletes the sizes and the placement; the
    // values held here and the four choices stay.
    void ClearWindowLayout();

    bool StayOnTop() const { return FStayOnTop; }
    bool List() const { return FList; }
    bool WordWrap() const { return FWordWrap; }
    bool SmallIcons() const { return FSmallIcons; }
    // Each marks the settings modified, also when the value is the same.
    void SetStayOnTop(bool value);
    void SetList(bool value);
    void SetWordWrap(bool value);
    void SetSmallIcons(bool value);

    // Assigned directly by the main window before SaveLayout; assigning them
    // does not mark the settings modified.
    int32_t ListCol2 = -1;
    int32_t ListCol1 = DefaultListCol1;
    int32_t ListSplitter = DefaultListSplitter;
    // The print preview window's size, kept like the sizes above; 0 for none.
    int32_t PreviewWidth = 0;
    int32_t PreviewHeight = 0;

private:
    void LoadValues();
    static bool SaneListWidth(int32_t width);

    bool FStayOnTop = false;
    bool FList = false;
    bool FWordWrap = true;
    bool FSmallIcons = false;
};

// The program-wide settings; null outside InitializeSettings..FinalizeSettings.
extern TSettings* Settings;

// Creates and loads Settings under SettingsRootPath (the store: DefaultKeyStore()
// when none is given); does nothing when it exists already.
void InitializeSettings(TKeyStore* store = nullptr);
// Destroys Settings, which writes the four choices when they were changed.
void FinalizeSettings();

// Holds Settings for a scope: the program entry keeps one around the
// application's whole life.
class TSettingsLifetime {
public:
    explicit TSettingsLifetime(TKeyStore* store = nullptr) { InitializeSettings(store); }
    ~TSettingsLifetime() { FinalizeSettings(); }
    TSettingsLifetime(const TSettingsLifetime&) = delete;
    TSettingsLifetime& operator=(const TSettingsLifetime&) = delete;
};
