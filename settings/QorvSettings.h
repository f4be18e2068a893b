// TQorvSettings: a program's settings object, a TQorvRegistry fixed on one root
// path of the current user's hive. It loads on construction, saves on
// destruction when Modified, reads "Installed" and "Path" from the same path
// of the local-machine hive (never creating anything there), and stores,
// restores and clears a window's placement under a named section.
//
// A derived class adds its values by overriding Load and Save, each calling
// the inherited one first. C++ does not dispatch to a derived class from a
// base constructor or destructor, so each class loads its own values at the
// end of its constructor and, when Modified, saves at the start of its
// destructor (TSettings in unitSettings shows the pattern).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Layout.h"
#include "settings/QorvRegistry.h"
#include "settings/SettingsHost.h"

// Placement options: bits of a TPlacementOptions set.
enum TPlacementOption : uint32_t {
    plNoPosition = 1, // "Left" and "Top" neither read nor written
    plNoSize = 2,     // "Width", "Height" and "State" neither read nor written
    plNoState = 4,    // "State" neither read nor written
    plNoMinimize = 8, // a stored minimised state restores as normal
    plNoMaximize = 16 // a stored maximised state restores as normal
};
using TPlacementOptions = uint32_t;

// Stored window states.
enum class TPlacementState : int32_t { Normal = 0, Minimized = 1, Maximized = 2 };

struct TPlacementRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

// What the placement operations need of a window; the main window implements
// it over its HWND.
class TPlacementWindow {
public:
    virtual ~TPlacementWindow() = default;
    virtual int32_t GetLeft() = 0;
    virtual void SetLeft(int32_t value) = 0;
    virtual int32_t GetTop() = 0;
    virtual void SetTop(int32_t value) = 0;
    virtual int32_t GetWidth() = 0;
    virtual void SetWidth(int32_t value) = 0;
    virtual int32_t GetHeight() = 0;
    virtual void SetHeight(int32_t value) = 0;
    virtual TPlacementState GetWindowState() = 0;
    virtual void SetWindowState(TPlacementState value) = 0;
    // The restored ("normal") rectangle as the system keeps it
    // (GetWindowPlacement's rcNormalPosition), in workspace coordinates:
    // counted from the top-left corner of the work area of the window's
    // monitor. False when it cannot be had.
    virtual bool GetNormalBounds(TPlacementRect& bounds) = 0;
    // The desktop's monitors, the primary's first. A restored placement is
    // brought onto their work areas; with none it is applied as stored, and
    // workspace coordinates are taken as screen coordinates.
    virtual std::vector<TMonitorArea> Monitors() { return {}; }
    // Height of the window's top edge and caption bar: the part that must be
    // reachable for the window to be dragged.
    virtual int32_t CaptionHeight() { return 0; }
};

class TQorvSettings : public TQorvRegistry {
public:
    // rootPath: the key below the hive, e.g. "Software\Maker\Program\".
    explicit TQorvSettings(const std::string& rootPath, TKeyStore* store = nullptr);
    ~TQorvSettings() override;

    virtual void Load();
    virtual void Save();

    // Each returns false when the section's key cannot be opened or anything
    // raises on the way.
    bool LoadPlacement(const std::string& section, TPlacementWindow& form,
                       TPlacementOptions options);
    bool SavePlacement(const std::string& section, TPlacementWindow& form,
                       TPlacementOptions options);
    // Deletes the placement values and the section's key; true when the key
    // was removed.
    bool ClearPlacement(const std::string& section);

    const std::string& ProgramPath() const { return FProgramPath; }
    const TOSVersionInfo& OSVersionInfo() const { return FOSVersionInfo; }
    bool Installed() const { return FInstalled; }
    const std::string& Path() const { return FPath; }
    bool Modified() const { return FModified; }
    void SetModified(bool modified) { FModified = modified; }

private:
    void LoadOwn();

    std::string FProgramPath;
    TOSVersionInfo FOSVersionInfo{};
    bool FInstalled = false;
    std::string FPath;
    bool FModified = false;
};
