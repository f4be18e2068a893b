// The mouse: a windowed control's events and capture, and the graphic
// children, which have no window: their parent finds the one under the
// mouse, tracks entering and leaving, holds the capture for it and asks it
// for its cursor.
#include "framework/Controls_win32.h"

#include <windows.h>

#include <utility>

TGraphicControl* TWinControl::GraphicControlAt(int x, int y) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        auto* g = dynamic_cast<TGraphicControl*>(*it);
        const TRect r = (*it)->BoundsRect();
        if (g && g->Visible() && x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom &&
            g->HitTest(x - r.Left, y - r.Top))
            return g;
    }
    return nullptr;
}

bool TWinControl::MouseCapture() const {
    return FHandle && GetCapture() == FHandle;
}

LRESULT TWinControl::WmSetCursor(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT || reinterpret_cast<HWND>(wParam) != FHandle)
        return DefaultHandler(msg, wParam, lParam);
    if (!FSystemClass) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(FHandle, &p);
        TGraphicControl* g = FMouseCaptured ? FMouseControl : GraphicControlAt(p.x, p.y);
        if (HCURSOR cursor = g ? g->Cursor() : nullptr) {
            ::SetCursor(cursor);
            return TRUE;
        }
    }
    if (FCursor != crDefault) {
        ::SetCursor(CursorHandle(FCursor));
        return TRUE;
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::WmMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (DragMouse(msg, lParam))
        return 0;
    if (FSystemClass) {
        // The system control acts first (an edit places its caret), then
        // our events see the press.
        const LRESULT result = DefaultHandler(msg, wParam, lParam);
        if (msg != WM_MOUSELEAVE)
            MouseToWindow(msg, wParam, lParam);
        return result;
    }
    if (msg == WM_MOUSEMOVE && !FMouseInside) {
        // Captured moves arrive from outside too: only a point over us enters.
        RECT r;
        GetClientRect(FHandle, &r);
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (PtInRect(&r, p)) {
            FMouseInside = true;
            MouseEnter();
        }
    }
    if (!MouseToGraphic(msg, lParam))
        MouseToWindow(msg, wParam, lParam);
    if (msg == WM_MOUSELEAVE && FMouseInside) {
        FMouseInside = false;
        MouseLeave();
    }
    return DefaultHandler(msg, wParam, lParam);
}

bool TWinControl::MouseToGraphic(UINT msg, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    if (msg == WM_MOUSELEAVE) {
        FTrackingLeave = false;
        if (FMouseControl && !FMouseCaptured)
            std::exchange(FMouseControl, nullptr)->MouseLeave();
        return false;
    }
    TGraphicControl* target = FMouseCaptured ? FMouseControl : GraphicControlAt(x, y);
    if (!FMouseCaptured && target != FMouseControl) {
        if (FMouseControl)
            FMouseControl->MouseLeave();
        FMouseControl = target;
        if (target)
            target->MouseEnter();
    }
    if (!FTrackingLeave) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, FHandle, 0};
        FTrackingLeave = TrackMouseEvent(&tme);
    }
    if (!target)
        return false;
    if (!target->Enabled())
        return true;
    const int cx = x - target->Left(), cy = y - target->Top();
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FMouseCaptured = true;
        SetCapture(FHandle);
        target->MouseDown(cx, cy);
        break;
    case WM_LBUTTONUP:
        FMouseCaptured = false;
        ReleaseCapture();
        target->MouseUp(cx, cy);
        break;
    case WM_MOUSEMOVE:
        target->MouseMove(cx, cy);
        break;
    default:
        break;
    }
    return true;
}

void TWinControl::MouseToWindow(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!FHandle)
        return;
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    TShiftState shift = KeyboardShiftState();
    if (wParam & MK_LBUTTON)
        shift |= ssLeft;
    if (wParam & MK_RBUTTON)
        shift |= ssRight;
    if (wParam & MK_MBUTTON)
        shift |= ssMiddle;
    TMouseButton button = TMouseButton::mbLeft;
    bool down = false;
    switch (msg) {
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        return;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (FDoubleClicks)
            shift |= ssDouble;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        down = true;
        break;
    default:
        break;
    }
    if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK || msg == WM_RBUTTONUP)
        button = TMouseButton::mbRight;
    else if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONDBLCLK || msg == WM_MBUTTONUP)
        button = TMouseButton::mbMiddle;
    // Our own windows hold the mouse from a left press to its release, so a
    // drag goes on outside them. System controls capture by themselves.
    const bool own = !FSystemClass && FCaptureMouse && button == TMouseButton::mbLeft;
    if (down) {
        if (button == TMouseButton::mbLeft && FDragMode == TDragMode::dmAutomatic &&
            !(shift & ssDouble)) {
            BeginDrag();
            return;
        }
        if (own)
            SetCapture(FHandle);
        MouseDown(button, shift, x, y);
        if (msg == WM_LBUTTONDBLCLK && FDoubleClicks && !FSystemClass && FHandle)
            DblClick();
        return;
    }
    bool click = false;
    if (own && GetCapture() == FHandle) {
        RECT r;
        GetClientRect(FHandle, &r);
        click = PtInRect(&r, POINT{x, y});
        ReleaseCapture();
    }
    if (click)
        Click();
    if (FHandle)
        MouseUp(button, shift, x, y);
}

void TWinControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseDown)
        FOnMouseDown(this, button, shift, x, y);
}

void TWinControl::MouseMove(TShiftState shift, int x, int y) {
    if (FOnMouseMove)
        FOnMouseMove(this, shift, x, y);
}

void TWinControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseUp)
        FOnMouseUp(this, button, shift, x, y);
}
