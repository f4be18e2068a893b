// Small owners of GDI objects and device contexts, so every early return and
// every exception releases them.
#pragma once

#include <windows.h>

#include <utility>

#include "framework/Graphics.h"
#include "framework/Picture.h"

template <class H>
class TGdiObject {
public:
    TGdiObject() = default;
    explicit TGdiObject(H handle) : FHandle(handle) {}
    ~TGdiObject() { Reset(); }
    TGdiObject(TGdiObject&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    TGdiObject& operator=(TGdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            FHandle = std::exchange(other.FHandle, nullptr);
        }
        return *this;
    }
    H Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    void Reset(H handle = nullptr) {
        if (FHandle)
            DeleteObject(FHandle);
        FHandle = handle;
    }

private:
    H FHandle = nullptr;
};

using TBrushHandle = TGdiObject<HBRUSH>;
using TFontHandle = TGdiObject<HFONT>;
using TBitmapHandle = TGdiObject<HBITMAP>;
using TPenHandle = TGdiObject<HPEN>;

// Selects an object into a DC for the holder's lifetime.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
    ~TSelectObject() { SelectObject(FDC, FOld); }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

class TMemoryDC {
public:
    explicit TMemoryDC(HDC compatible) : FDC(CreateCompatibleDC(compatible)) {}
    ~TMemoryDC() {
        if (FDC)
            DeleteDC(FDC);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HDC FDC;
};

// A DC borrowed from a window and given back to it: of the client area
// (GetDC) or of the whole window with its frame, for non-client painting
// (GetWindowDC). Either, for no window, is the screen's.
template <bool WholeWindow>
class TBorrowedDC {
public:
    explicit TBorrowedDC(HWND wnd) : FWnd(wnd), FDC(WholeWindow ? GetWindowDC(wnd) : GetDC(wnd)) {}
    ~TBorrowedDC() {
        if (FDC)
            ReleaseDC(FWnd, FDC);
    }
    TBorrowedDC(const TBorrowedDC&) = delete;
    TBorrowedDC& operator=(const TBorrowedDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HWND FWnd;
    HDC FDC;
};

using TClientDC = TBorrowedDC<false>;
using TWindowDC = TBorrowedDC<true>;

// The screen's DC: what memory DCs and fonts are made compatible with.
class TScreenDC : public TClientDC {
public:
    TScreenDC() : TClientDC(nullptr) {}
};

// A memory DC of the screen's kind, kept for the process, for measuring text
// (labels sizing themselves, edits taking their font's height): it measures
// as the screen does without borrowing the screen's DC for every question.
// Whoever selects into it puts back what was there (TSelectObject).
HDC MeasuringDC();

class TPaintDC {
public:
    explicit TPaintDC(HWND wnd) : FWnd(wnd) { BeginPaint(wnd, &FPaint); }
    ~TPaintDC() { EndPaint(FWnd, &FPaint); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC Get() const { return FPaint.hdc; }
    const RECT& PaintRect() const { return FPaint.rcPaint; }

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
};

// A device context to draw on; not owned.
class TCanvas {
public:
    explicit TCanvas(HDC dc) : FHandle(dc) {}
    HDC Handle() const { return FHandle; }
    void SetHandle(HDC dc) { FHandle = dc; }
    void StretchDraw(const TRect& rect, TGraphic& graphic) { graphic.PaintTo(*this, rect); }

private:
    HDC FHandle;
};

// The window's rectangle moved to 0, 0, and its client area in those
// coordinates: what non-client painting works in.
RECT WindowRectAtOrigin(HWND wnd);
RECT ClientRectInWindow(HWND wnd);

COLORREF ColorToRGB(TColor color);
void FillRectColor(HDC dc, const RECT& rect, TColor color);
