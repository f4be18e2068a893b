#include "settings/QorvSettings.h"

#include <cstring>

namespace {
std::vector<TRect> WorkAreasOf(const std::vector<TMonitorArea>& monitors) {
    std::vector<TRect> areas;
    for (const TMonitorArea& m : monitors)
        areas.push_back(m.Work);
    return areas;
}

void BringOntoWorkAreas(TPlacementWindow& form) {
    const TRect fitted =
        FitToWorkAreas(form.GetLeft(), form.GetTop(), form.GetWidth(), form.GetHeight(),
                       WorkAreasOf(form.Monitors()), form.CaptionHeight());
    if (fitted.Left != form.GetLeft())
        form.SetLeft(fitted.Left);
    if (fitted.Top != form.GetTop())
        form.SetTop(fitted.Top);
    if (fitted.Width() != form.GetWidth())
        form.SetWidth(fitted.Width());
    if (fitted.Height() != form.GetHeight())
        form.SetHeight(fitted.Height());
}

// The system's restored rectangle in screen coordinates, which is what the
// window's left and top are set in when it is restored: stored as the system
// gives it, a window would move by the task bar's size at every restart with
// the task bar at the top or on the left.
TPlacementRect NormalBoundsOnScreen(TPlacementWindow& form, const TPlacementRect& record) {
    const std::vector<TMonitorArea> monitors = form.Monitors();
    if (monitors.empty())
        return record;
    std::vector<TRect> bounds;
    for (const TMonitorArea& m : monitors)
        bounds.push_back(m.Bounds);
    // The monitor the window is on now, as the system picks it.
    const TRect now{form.GetLeft(), form.GetTop(), form.GetLeft() + form.GetWidth(),
                    form.GetTop() + form.GetHeight()};
    const TMonitorArea& monitor = monitors[static_cast<size_t>(AreaOf(now, bounds))];
    const TRect r =
        WorkspaceToScreen({record.Left, record.Top, record.Right, record.Bottom}, monitor);
    return {r.Left, r.Top, r.Right, r.Bottom};
}
} // namespace

TQorvSettings::TQorvSettings(const std::string& rootPath, TKeyStore* store) : TQorvRegistry(store) {
    SetBasePath(rootPath);
    SetDefaultRootKey(rkCurrentUser);
    SetDefaultPath(BasePath());
    LoadOwn();
}

TQorvSettings::~TQorvSettings() {
    if (FModified)
        TQorvSettings::Save();
}

void TQorvSettings::Load() {
    LoadOwn();
}

void TQorvSettings::LoadOwn() {
    FProgramPath = HostProgramFolder();
    std::memset(&FOSVersionInfo, 0, sizeof FOSVersionInfo);
    FOSVersionInfo.dwOSVersionInfoSize = sizeof FOSVersionInfo;
    HostGetVersion(FOSVersionInfo);

    // The machine-wide values are only read: nothing may be created there, and
    // a user without write rights on that hive must still be able to read.
    bool canCreate = CanCreate();
    uint32_t access = Access();
    SetCanCreate(false);
    SetAccess(kaRead);
    OpenRoot(rkLocalMachine, BasePath());
    FInstalled = ReadBool("Installed", false);
    FPath = ReadString("Path", FProgramPath);
    SetAccess(access);
    SetCanCreate(canCreate);

    FModified = false;
    OpenDefault();
}

void TQorvSettings::Save() {
    FModified = false;
    OpenDefault();
}

bool TQorvSettings::LoadPlacement(const std::string& section, TPlacementWindow& form,
                                  TPlacementOptions options) {
    if (section.empty())
        return false;
    try {
        if (!OpenValueKey(section + "\\"))
            return false;
        if (!(options & plNoPosition)) {
            form.SetLeft(ReadInteger("Left", form.GetLeft()));
            form.SetTop(ReadInteger("Top", form.GetTop()));
        }
        if (!(options & plNoSize)) {
            form.SetWidth(ReadInteger("Width", form.GetWidth()));
            form.SetHeight(ReadInteger("Height", form.GetHeight()));
        }
        // A layout saved on a monitor that is gone, or edited by hand, must
        // not leave the window where it cannot be seen or reached. The
        // stored values themselves stay as they are.
        BringOntoWorkAreas(form);
        if (!(options & (plNoSize | plNoState))) {
            int32_t state =
                ReadInteger("State", static_cast<int32_t>(form.GetWindowState())) & 0xFF;
            if ((options & plNoMinimize) && state == 1)
                state = 0;
            if ((options & plNoMaximize) && state == 2)
                state = 0;
            // A number that is no window state restores as normal.
            if (state > 2)
                state = 0;
            form.SetWindowState(static_cast<TPlacementState>(state));
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TQorvSettings::SavePlacement(const std::string& section, TPlacementWindow& form,
                                  TPlacementOptions options) {
    if (section.empty())
        return false;
    try {
        TPlacementRect normal;
        // Without the system's record, the window's own bounds are the best
        // rectangle there is.
        if (form.GetNormalBounds(normal)) {
            normal = NormalBoundsOnScreen(form, normal);
        } else {
            normal.Left = form.GetLeft();
            normal.Top = form.GetTop();
            normal.Right = normal.Left + form.GetWidth();
            normal.Bottom = normal.Top + form.GetHeight();
        }
        if (!OpenValueKey(section + "\\"))
            return false;
        if (!(options & plNoPosition)) {
            WriteInteger("Left", normal.Left);
            WriteInteger("Top", normal.Top);
        }
        if (!(options & plNoSize)) {
            WriteInteger("Width", normal.Right - normal.Left);
            WriteInteger("Height", normal.Bottom - normal.Top);
            if (!(options & plNoState))
                WriteInteger("State", static_cast<int32_t>(form.GetWindowState()));
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TQorvSettings::ClearPlacement(const std::string& section) {
    // An empty section would clear values of the base key itself.
    if (section.empty())
        return false;
    try {
        if (OpenValueKey(section + "\\"))
            for (const char* name : {"Left", "Top", "Width", "Height", "State"})
                DeleteValue(name);
        // The key that holds the section's key: the base key for a plain name.
        std::string parent = ExtractKeyPath(section);
        if (!OpenKey(BasePath() + parent, CanCreate()))
            return false;
        return TRegistry::DeleteKey(ExtractValueName(section));
    } catch (...) {
        return false;
    }
}
