#include "components/QorvControls_win32.h"

#include "framework/Published.h"

const TClassInfo& TQorvControl::StaticClass() {
    static const TClassInfo info{"TQorvControl", &TCustomControl::StaticClass(), nullptr, {}};
    return info;
}

TQorvControl::TQorvControl(TComponent* owner) : TCustomControl(owner) {}

TQorvControl::~TQorvControl() {
    if (FStyles)
        RemoveFreeNotification(FStyles);
}

void TQorvControl::SetStyles(TQorvCustomStyles* styles) {
    if (styles == FStyles)
        return;
    if (FStyles)
        RemoveFreeNotification(FStyles);
    FStyles = styles;
    if (FStyles)
        FreeNotification(FStyles);
    StylesChanged();
}

void TQorvControl::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FStyles && !Destroying())
        SetStyles(nullptr);
}

void TQorvControl::StylesChanged() {
    Invalidate();
}

void TQorvControl::MouseEnter() {
    TCustomControl::MouseEnter();
    if (FOnMouseEnter)
        FOnMouseEnter(this);
}

void TQorvControl::MouseLeave() {
    TCustomControl::MouseLeave();
    if (FOnMouseLeave)
        FOnMouseLeave(this);
}

void TQorvControl::SetParentBackground(bool value) {
    if (value == ParentBackground())
        return;
    TCustomControl::SetParentBackground(value);
    if (!ParentBackground())
        FTransparent = false;
    Invalidate();
}

LRESULT TQorvControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Paint covers the whole client area: erasing first would only flicker.
    if (msg == WM_ERASEBKGND)
        return 1;
    return TCustomControl::WndProc(msg, wParam, lParam);
}

void TQorvControl::Paint(HDC dc) {
    if (FTransparent && Parent()) {
        PaintParentBackground(Canvas());
        return;
    }
    RECT r;
    GetClientRect(Handle(), &r);
    FillRectColor(dc, r, Color());
}

void TQorvControl::PaintParentBackground(TCanvas& canvas) {
    // Where the client area starts inside the window: the window rectangle
    // in client coordinates begins at minus the frame's left and top parts.
    RECT window, client;
    GetWindowRect(Handle(), &window);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&window), 2);
    GetClientRect(Handle(), &client);
    PaintParentImage(Parent(), canvas, -(Left() - window.left), -(Top() - window.top), client.right,
                     client.bottom);
}

void TQorvControl::PaintParentImage(TWinControl* control, TCanvas& canvas, int dx, int dy,
                                    int width, int height) {
    HDC dc = canvas.Handle();
    struct TRestore {
        HDC DC;
        int Saved;
        TControl* Control;
        unsigned State;
        ~TRestore() {
            Control->SetControlState(State);
            RestoreDC(DC, Saved);
        }
    } restore{dc, SaveDC(dc), control, control->ControlState()};

    POINT origin;
    GetViewportOrgEx(dc, &origin);
    origin.x += dx;
    origin.y += dy;
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    control->SetControlState(control->ControlState() | csPaintCopy);
    IntersectClipRect(dc, 0, 0, control->Width(), control->Height());

    HWND wnd = control->Handle();
    if (control != Parent()) {
        // A sibling's frame is its own non-client part, which WM_PAINT leaves out.
        RECT frame{0, 0, control->Width(), control->Height()};
        if (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
            DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        else if (GetWindowLongA(wnd, GWL_STYLE) & WS_BORDER)
            DrawEdge(dc, &frame, BDR_RAISEDOUTER | BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_MONO);
        origin.x += frame.left;
        origin.y += frame.top;
        SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        IntersectClipRect(dc, 0, 0, frame.right - frame.left, frame.bottom - frame.top);
    }
    SendMessageA(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(wnd, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);

    // The windowed children from the bottom of the z-order up to ourselves:
    // what lies above us is not part of what we show through.
    HWND first = GetWindow(wnd, GW_CHILD);
    for (HWND h = first ? GetWindow(first, GW_HWNDLAST) : nullptr; h;
         h = GetWindow(h, GW_HWNDPREV)) {
        if (HandleAllocated() && h == Handle())
            break;
        TWinControl* child = TWinControl::FromHandle(h);
        if (!child || !child->Visible())
            continue;
        const TRect r = child->BoundsRect();
        if (r.Left + origin.x < width && r.Right + origin.x > 0 && r.Top + origin.y < height &&
            r.Bottom + origin.y > 0)
            PaintParentImage(child, canvas, child->Left(), child->Top(), width, height);
    }
}

void RegisterQorvControlsClasses() {
    RegisterQorvStylesClasses();
}
