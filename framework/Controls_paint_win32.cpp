// Painting: the client area (our own windows, a given DC, double buffering),
// the graphic children, and BorderWidth with the bevels in the non-client area.
#include "framework/Controls_win32.h"

#include <windows.h>

#include <algorithm>

#include "framework/Gdi_win32.h"

namespace {
bool HasBevelFrame(const TBevelFrame& f) {
    return f.BorderWidth > 0 || f.Kind != TBevelKind::bkNone;
}
} // namespace

void TWinControl::SetBorderWidth(int value) {
    if (value < 0)
        throw ERangeError("Border width " + std::to_string(value) + " is out of range");
    ChangeFrame(FBevels.BorderWidth, value);
}

void TWinControl::SetBevelKind(TBevelKind value) {
    ChangeFrame(FBevels.Kind, value);
}

void TWinControl::SetBevelInner(TBevelCut value) {
    ChangeFrame(FBevels.Inner, value);
}

void TWinControl::SetBevelOuter(TBevelCut value) {
    ChangeFrame(FBevels.Outer, value);
}

void TWinControl::SetBevelEdges(TBevelEdges value) {
    ChangeFrame(FBevels.Edges, value & beAllEdges);
}

void TWinControl::SetBevelWidth(int value) {
    if (value < 1)
        throw ERangeError("Bevel width " + std::to_string(value) + " is out of range");
    ChangeFrame(FBevels.Width, value);
}

void TWinControl::BorderChanged() {
    if (!FHandle)
        return;
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    if (FVisible)
        Invalidate();
}

LRESULT TWinControl::WmNcCalcSize(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!HasBevelFrame(FBevels))
        return DefaultHandler(msg, wParam, lParam);
    const LRESULT result = DefaultHandler(msg, wParam, lParam);
    RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                     : reinterpret_cast<RECT*>(lParam);
    const TRect client = BevelClientRect({r->left, r->top, r->right, r->bottom}, FBevels);
    *r = {client.Left, client.Top, client.Right, client.Bottom};
    return result;
}

LRESULT TWinControl::WmNcPaint(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HasBevelFrame(FBevels)) {
        const LRESULT result = DefaultHandler(msg, wParam, lParam);
        PaintBevelFrame();
        return result;
    }
    // Most of our windows have no frame: their client area is the whole
    // window. The system's handler would still ask the window server for
    // the window's region to paint nothing, a round trip per window on
    // every first paint under Wine.
    if (!FSystemClass) {
        RECT window, client;
        GetWindowRect(FHandle, &window);
        GetClientRect(FHandle, &client);
        if (window.right - window.left == client.right &&
            window.bottom - window.top == client.bottom)
            return 0;
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::WmEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Also asked by transparent children (a flat tool bar) for what lies
    // behind them, in their own device context.
    if (FSystemClass)
        return DefaultHandler(msg, wParam, lParam);
    RECT r;
    GetClientRect(FHandle, &r);
    FillRectColor(reinterpret_cast<HDC>(wParam), r, FColor);
    return 1;
}

LRESULT TWinControl::WmPaint(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!FSystemClass) {
        // With a DC given (a see-through control copying us), paint into it.
        if (wParam) {
            PaintWindow(reinterpret_cast<HDC>(wParam));
            return 0;
        }
        TPaintDC dc(FHandle);
        PaintWindow(dc.Get());
        return 0;
    }
    if (PaintsBuffered() && wParam == 0)
        return PaintDoubleBuffered();
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::PaintDoubleBuffered() {
    TPaintDC paint(FHandle);
    RECT r;
    GetClientRect(FHandle, &r);
    TMemoryDC mem(paint.Get());
    TBitmapHandle bitmap(CreateCompatibleBitmap(paint.Get(), r.right, r.bottom));
    if (!mem.Get() || !bitmap) {
        // No memory for the buffer: paint straight to the screen.
        DefaultHandler(WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint.Get()), 0);
        return DefaultHandler(WM_PAINT, reinterpret_cast<WPARAM>(paint.Get()), 0);
    }
    TSelectObject select(mem.Get(), bitmap.Get());
    DefaultHandler(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem.Get()), 0);
    DefaultHandler(WM_PAINT, reinterpret_cast<WPARAM>(mem.Get()), 0);
    BitBlt(paint.Get(), 0, 0, r.right, r.bottom, mem.Get(), 0, 0, SRCCOPY);
    return 0;
}

void TWinControl::PaintWindow(HDC dc) {
    RECT r;
    GetClientRect(FHandle, &r);
    FillRectColor(dc, r, FColor);
    PaintControls(dc);
}

void TWinControl::DrawBevels(HDC dc, RECT& r, int offset, int space) const {
    if (FBevels.Kind == TBevelKind::bkNone || (FBevels.Edges & beAllEdges) == 0)
        return;
    const UINT flags = BevelFlagsOf(FBevels.Edges, FBevels.Kind, FCtl3D);
    auto inset = [&](int amount) {
        const TRect t = InsetEdges({r.left, r.top, r.right, r.bottom}, FBevels.Edges, amount);
        r = {t.Left, t.Top, t.Right, t.Bottom};
    };
    auto bevel = [&](TBevelCut cut, bool outer) {
        if (cut == TBevelCut::bvNone)
            return;
        // A space draws nothing but keeps the room the client area left it.
        if (cut == TBevelCut::bvSpace) {
            inset(FBevels.Width);
            return;
        }
        // Each pass shrinks r (BF_ADJUST) by a line; a width from form data
        // ends where the rectangle stops shrinking.
        for (int i = 0; i < FBevels.Width; ++i) {
            const RECT before = r;
            DrawEdge(dc, &r, BevelEdgeOf(cut, outer), flags);
            if (EqualRect(&before, &r) || IsRectEmpty(&r))
                break;
        }
    };
    inset(offset);
    bevel(FBevels.Outer, true);
    inset(space);
    bevel(FBevels.Inner, false);
}

void TWinControl::PaintBevelFrame() {
    TWindowDC dc(FHandle);
    if (!dc.Get())
        return;
    // Outward from the client area: what lies beyond is the system's border.
    const RECT client = ClientRectInWindow(FHandle);
    const TRect outer =
        BevelOuterRect({client.left, client.top, client.right, client.bottom}, FBevels);
    // Widths larger than the window end at its edge.
    const RECT window = WindowRectAtOrigin(FHandle);
    RECT r{std::max<int>(outer.Left, window.left), std::max<int>(outer.Top, window.top),
           std::min<int>(outer.Right, window.right), std::min<int>(outer.Bottom, window.bottom)};
    const int saved = SaveDC(dc.Get());
    ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
    FillRectColor(dc.Get(), r, FColor);
    DrawBevels(dc.Get(), r, 0, 0);
    RestoreDC(dc.Get(), saved);
}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* c : FControls)
        if (auto* g = dynamic_cast<TGraphicControl*>(c); g && g->Visible()) {
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, g->Left(), g->Top(), g->Left() + g->Width(),
                              g->Top() + g->Height());
            g->Paint(dc);
            RestoreDC(dc, saved);
        }
}

void TCustomControl::PaintWindow(HDC dc) {
    FCanvas.SetHandle(dc);
    struct TRelease {
        TCanvas& Canvas;
        ~TRelease() { Canvas.SetHandle(nullptr); }
    } release{FCanvas};
    Paint(dc);
    PaintControls(dc);
}
