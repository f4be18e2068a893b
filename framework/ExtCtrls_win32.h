// The tabless notebook with its pages, the splitter and the flat
// speed button.
#pragma once

#include "framework/Controls_win32.h"
#include "framework/Gdi_win32.h"

class TPage : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TPage(TComponent* owner);
    std::string Caption() const { return FText; }
    void SetCaption(const std::string& v) { FText = v; }

protected:
    // A hidden page's windows are made when it first shows: each costs the
    // window server a round trip per message under Wine, and a page the user
    // never opens needs none.
    bool DefersWindow() const override { return !Visible(); }
    // Its layout is new once its windows exist: OnResize tells the owner.
    void WindowsCreated() override { Resize(); }
};

// Shows exactly one of its pages, filling its client area.
class TNotebook : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TNotebook(TComponent* owner) : TWinControl(owner) {}
    int PageIndex() const { return FPageIndex; }
    void SetPageIndex(int index);
    TPage* Page(int index) const;
    int PageCount() const;
    void ReadChild(TComponent* child) override;
    void Loaded() override;

private:
    void ShowOnly(int index);
    int FPageIndex = 0;
};

// Drags the edge between the control it touches and the rest of its parent.
class TSplitter : public TGraphicControl {
    QORV_COMPONENT_CLASS
public:
    explicit TSplitter(TComponent* owner);
    void SetMinSize(int v) { FMinSize = v; }
    // The least the client-aligned control beside us keeps while dragging;
    // MinSize when not set. Where the parent cannot give both minimums, the
    // client's wins.
    void SetMinClientSize(int v) { FMinClientSize = v; }
    void SetOnMoved(TNotifyEvent e) { FOnMoved = std::move(e); }
    void Paint(HDC dc) override;
    HCURSOR Cursor() const override;
    void MouseDown(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int x, int y) override;
    // The control the splitter resizes: the neighbour on its aligned side.
    TControl* ResizedControl() const;
    bool Vertical() const { return FAlign == TAlign::alLeft || FAlign == TAlign::alRight; }

private:
    int FMinSize = 30;
    int FMinClientSize = -1;
    bool FDragging = false;
    int FDownPos = 0, FStartSize = 0;
    TNotifyEvent FOnMoved;
};

// A flat button painted by its parent. With a GroupIndex it is a toggle:
// Down stays until clicked again (AllowAllUp) or another of the group goes down.
class TSpeedButton : public TGraphicControl {
    QORV_COMPONENT_CLASS
public:
    explicit TSpeedButton(TComponent* owner) : TGraphicControl(owner) {}
    bool Down() const { return FDown; }
    void SetDown(bool v);
    void SetGroupIndex(int v) { FGroupIndex = v; }
    void SetAllowAllUp(bool v) { FAllowAllUp = v; }
    void SetFlat(bool v) { FFlat = v; }
    // The glyph: a bitmap resource whose bottom-left pixel is the transparent colour.
    void SetGlyphResource(const std::string& name);
    void Paint(HDC dc) override;
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void SetOnMouseDown(TMouseEvent e) { FOnMouseDown = std::move(e); }
    // Named by its hint; a button of a group says whether it is down.
    bool AccessibleAsPart(TAccessiblePart& part) const override;
    // As a click: a button of a group changes its state first.
    void Press() override;

private:
    TMouseEvent FOnMouseDown;
    int FGroupIndex = 0;
    bool FDown = false, FAllowAllUp = false, FFlat = false;
    bool FHot = false, FPressed = false;
    TBitmapHandle FGlyph;
};
