// A window for the placement tests that behaves as the system's does: while
// maximised or minimised its bounds are not its normal rectangle, setting the
// state back to normal returns it to that rectangle, and the system's record
// of that rectangle counts from the work area of the window's monitor.
#pragma once

#include <string>
#include <vector>

#include "settings/QorvSettings.h"

class TFakeWindow : public TPlacementWindow {
public:
    TFakeWindow(int32_t left, int32_t top, int32_t width, int32_t height)
        : FNormal{left, top, left + width, top + height} {}

    int32_t GetLeft() override { return Bounds().Left; }
    int32_t GetTop() override { return Bounds().Top; }
    int32_t GetWidth() override { return Bounds().Right - Bounds().Left; }
    int32_t GetHeight() override { return Bounds().Bottom - Bounds().Top; }
    void SetLeft(int32_t value) override {
        Calls.push_back("Left");
        int32_t width = FNormal.Right - FNormal.Left;
        FNormal.Left = value;
        FNormal.Right = value + width;
    }
    void SetTop(int32_t value) override {
        Calls.push_back("Top");
        int32_t height = FNormal.Bottom - FNormal.Top;
        FNormal.Top = value;
        FNormal.Bottom = value + height;
    }
    void SetWidth(int32_t value) override {
        Calls.push_back("Width");
        FNormal.Right = FNormal.Left + value;
    }
    void SetHeight(int32_t value) override {
        Calls.push_back("Height");
        FNormal.Bottom = FNormal.Top + value;
    }
    TPlacementState GetWindowState() override { return FState; }
    void SetWindowState(TPlacementState value) override {
        Calls.push_back("State");
        FState = value;
    }
    bool GetNormalBounds(TPlacementRect& bounds) override {
        if (!HasPlacement)
            return false;
        TRect r{FNormal.Left, FNormal.Top, FNormal.Right, FNormal.Bottom};
        if (!Screens.empty()) {
            const TPlacementRect now = Bounds();
            std::vector<TRect> screens;
            for (const TMonitorArea& m : Screens)
                screens.push_back(m.Bounds);
            r = ScreenToWorkspace(
                r, Screens[size_t(AreaOf({now.Left, now.Top, now.Right, now.Bottom}, screens))]);
        }
        bounds = {r.Left, r.Top, r.Right, r.Bottom};
        return true;
    }

    std::vector<TMonitorArea> Monitors() override { return Screens; }
    int32_t CaptionHeight() override { return 20; }

    TPlacementRect Normal() const { return FNormal; }

    std::vector<std::string> Calls;
    bool HasPlacement = true;
    // What the screen gives a maximised window.
    TPlacementRect Maximised{0, 0, 1280, 994};
    // None: the placement is applied unchecked.
    std::vector<TMonitorArea> Screens;

private:
    TPlacementRect Bounds() const {
        if (FState == TPlacementState::Maximized)
            return Maximised;
        if (FState == TPlacementState::Minimized)
            return TPlacementRect{-32000, -32000, -31840, -31969};
        return FNormal;
    }

    TPlacementRect FNormal;
    TPlacementState FState = TPlacementState::Normal;
};
