// Controls: TControl (position, alignment, visibility, hint, click events),
// TGraphicControl (no window of its own: painted by its parent and fed its
// parent's mouse messages) and TWinControl (one object per HWND, attached at
// WM_NCCREATE, both for our own window class and for the system's controls,
// which we superclass). Every window procedure passes through one exception
// barrier; notifications a parent receives are reflected to the child that
// sent them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Bevels.h"
#include "framework/Components.h"
#include "framework/Gdi_win32.h"
#include "framework/Graphics.h"
#include "framework/Layout.h"

class TWinControl;

// The frame of a form or the edge of a control; a control takes bsNone and
// bsSingle only.
enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
// The names form data uses for border styles.
const std::vector<std::pair<std::string, TBorderStyle>>& BorderStyleNames();

enum TShiftStateBits : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = unsigned;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
// How a text sits across its box.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
const std::vector<std::pair<std::string, TAlignment>>& AlignmentNames();
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// Font style bits, and the names form data uses for them.
enum TFontStyleBits : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
const std::vector<std::pair<std::string, unsigned>>& FontStyleNames();

// A control's own font as form data describes it. Height in pixels wins
// over Size in points when it is not 0 (negative: the character height).
struct TControlFont {
    std::string Name = "MS Sans Serif";
    int Height = 0;
    int Size = 8;
    TColor Color = clWindowText;
    TFontStyles Style = 0;
    int Charset = 1; // DEFAULT_CHARSET
    bool operator==(const TControlFont&) const = default;
};

// The mouse pointer a control shows, by the numbers and names form data
// uses; crDefault leaves the window's own.
using TCursor = int;
enum TCursorValue : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22
};
// The system's pointer for a cursor value; null for crDefault and crNone.
HCURSOR CursorHandle(TCursor cursor);

// Limits of a control's size; 0 is no limit.
struct TSizeConstraints {
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
    bool operator==(const TSizeConstraints&) const = default;
};
// The space an aligned control with AlignWithMargins keeps around itself.
struct TControlMargins {
    int Left = 3, Top = 3, Right = 3, Bottom = 3;
};

enum class THelpType { htKeyword, htContext };
enum class TDragMode { dmManual, dmAutomatic };
enum class TDragKind { dkDrag, dkDock };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum class TMouseActivate {
    maDefault,
    maActivate,
    maActivateAndEat,
    maNoActivate,
    maNoActivateAndEat
};

class TControl;
class TPopupMenu;
// Drag and dock events. Source is the control being dragged; Target the
// control it was dropped on, null when the drag was cancelled.
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TGetSiteInfoEvent = std::function<void(TObject* Sender, TControl* DockClient,
                                             TRect& InfluenceRect, POINT MousePos, bool& CanDock)>;
using TUnDockEvent =
    std::function<void(TObject* Sender, TControl* Client, TObject* NewTarget, bool& Allow)>;
using TContextPopupEvent = std::function<void(TObject* Sender, POINT MousePos, bool& Handled)>;
using TCanResizeEvent =
    std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent = std::function<void(TObject* Sender, int& MinWidth, int& MinHeight,
                                                   int& MaxWidth, int& MaxHeight)>;
using TMouseActivateEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y,
                       int HitTest, TMouseActivate& MouseActivate)>;

TShiftState KeyboardShiftState();

// What a control is (its style) and what it is doing now (its state).
enum TControlStyleBit : unsigned {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csDesignInteractive = 1u << 2,
    csClickEvents = 1u << 3,
    csFramed = 1u << 4,
    csSetCaption = 1u << 5,
    csOpaque = 1u << 6,
    csDoubleClicks = 1u << 7,
    csFixedWidth = 1u << 8,
    csFixedHeight = 1u << 9,
    csNoDesignVisible = 1u << 10,
    csReplicatable = 1u << 11,
    csNoStdEvents = 1u << 12,
    csDisplayDragImage = 1u << 13,
    csReflector = 1u << 14,
    csActionClient = 1u << 15,
    csMenuEvents = 1u << 16,
    csNeedsBorderPaint = 1u << 17,
    csParentBackground = 1u << 18,
};
using TControlStyle = unsigned;
enum TControlStateBit : unsigned {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csPalette = 1u << 2,
    csReadingState = 1u << 3,
    csAlignmentNeeded = 1u << 4,
    csFocusing = 1u << 5,
    csCreating = 1u << 6,
    csPaintCopy = 1u << 7, // painting into another control's image (see-through copy)
    csCustomPaint = 1u << 8,
    csDestroyingHandle = 1u << 9,
    csDocking = 1u << 10,
};
using TControlState = unsigned;

enum class TBiDiMode {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};

// The visual style draws this program's controls (comctl32 6, a theme is
// active and the application lets it draw controls). Asked each time: the
// user or the program may switch it while windows are open.
bool ThemesEnabled();
// The system draws 3D client edges (every Windows this program runs on).
bool NewStyleControls();

// What the controls need from the application object, which lives above
// them: it installs itself while it exists.
class TControlHost {
public:
    // Shows the exception being handled (call in a catch block).
    virtual void HandleException(TObject* sender) = 0;
    // The window popup menus belong to; null for none.
    virtual HWND PopupOwner() = 0;

protected:
    ~TControlHost() = default;
};

TControlHost* ControlHost();
void SetControlHost(TControlHost* host);

// Hands an exception that reached a window procedure to the application.
void HandleControlException();

// Marks a modal loop of ours running (a form's, a system dialog's), so that a
// close of the main window waits for it, also while its window is not shown,
// and so that input meant for the windows beneath it is dropped.
class TModalLoop {
public:
    // `window`: the top-level window the loop serves; none for a system
    // dialog, whose window is not ours and not known before it runs.
    explicit TModalLoop(HWND window = nullptr) { Windows().push_back(window); }
    ~TModalLoop() { Windows().pop_back(); }
    TModalLoop(const TModalLoop&) = delete;
    TModalLoop& operator=(const TModalLoop&) = delete;
    static int Depth() { return static_cast<int>(Windows().size()); }
    // Whether a click or key for `target` comes from beneath the innermost
    // modal window. Such input can still be queued when the modal window
    // comes up (a double click on a tool button; a system dialog dispatches
    // messages while it builds itself, before it disables its owner), and
    // acted on it would start a second dialog inside the first.
    static bool Blocks(HWND target, UINT msg);

private:
    static std::vector<HWND>& Windows() {
        static std::vector<HWND> windows;
        return windows;
    }
};

struct TAccessiblePart;

class TControl : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);
    // The outermost windowed control holding us (a form), or we ourselves.
    TWinControl* TopParent();

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    // A new size passes OnCanResize, OnConstrainedResize and Constraints first.
    void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    virtual int ClientWidth() const { return FWidth; }
    virtual int ClientHeight() const { return FHeight; }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual void SetClientHeight(int v) { SetHeight(v); }

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);
    unsigned Anchors() const { return FAnchors; }
    void SetAnchors(unsigned anchors);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);
    const std::string& Hint() const { return FHint; }
    virtual void SetHint(const std::string& hint);
    // With ParentShowHint (the default) the parent's answer, else our own.
    bool ShowHint() const;
    void SetShowHint(bool v);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v) { FParentShowHint = v; }
    TColor Color() const { return FColor; }
    // Writing a colour ends ParentColor.
    virtual void SetColor(TColor color);
    bool ParentColor() const { return FParentColor; }
    // True: the parent's colour, now and whenever it changes.
    void SetParentColor(bool value);

    // The size limits every SetBounds keeps, after OnCanResize and
    // OnConstrainedResize had their say.
    const TSizeConstraints& Constraints() const { return FConstraints; }
    void SetConstraints(const TSizeConstraints& value);
    void SetOnCanResize(TCanResizeEvent e) { FOnCanResize = std::move(e); }
    void SetOnConstrainedResize(TConstrainedResizeEvent e) { FOnConstrainedResize = std::move(e); }
    // Aligned with margins, the control keeps Margins free around itself.
    bool AlignWithMargins() const { return FAlignWithMargins; }
    void SetAlignWithMargins(bool value);
    const TControlMargins& Margins() const { return FMargins; }
    void SetMargins(const TControlMargins& value);
    virtual std::string Text() const { return FText; }
    virtual void SetText(const std::string& text);

    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent e) { FOnClick = std::move(e); }
    void SetOnDblClick(TNotifyEvent e) { FOnDblClick = std::move(e); }
    void SetOnResize(TNotifyEvent e) { FOnResize = std::move(e); }

    virtual void Click();
    virtual void DblClick();
    virtual void Invalidate();
    // A control without a window that screen readers see as a part of its
    // parent's window (a speed button): true, with what it is. Press uses it
    // as a click of the mouse would.
    virtual bool AccessibleAsPart(TAccessiblePart&) const { return false; }
    virtual void Press() {}
    // Our parent mirrored its children for right-to-left reading.
    virtual void AllChildrenFlipped() {}

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle style) { FControlStyle = style; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState state) { FControlState = state; }

    // The mouse came over this control or left it: for windowed controls
    // their own window (child windows count as leaving), for graphic ones
    // their rectangle in the parent.
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    // The size AutoSize would give; false keeps the current size.
    virtual bool CanAutoSize(int& width, int& height);
    // How this control aligns its content (a caption); taLeftJustify here.
    virtual TAlignment GetControlsAlignment() const { return TAlignment::taLeftJustify; }
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    // Writing a mode ends ParentBiDiMode.
    void SetBiDiMode(TBiDiMode mode);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool value);
    bool UseRightToLeftReading() const { return FBiDiMode != TBiDiMode::bdLeftToRight; }
    bool UseRightToLeftAlignment() const { return FBiDiMode == TBiDiMode::bdRightToLeft; }
    // DrawText flags turned for right-to-left reading: left and right swap
    // with right-to-left alignment, and DT_RTLREADING is added.
    unsigned DrawTextBiDiModeFlags(unsigned flags) const;

    // Anchor gaps, kept for the parent's layout.
    TLayoutItem& LayoutItem() { return FLayout; }
    void Loaded() override;

protected:
    friend class TWinControl;
    // Places the control at bounds already checked.
    virtual void ChangeBounds(int left, int top, int width, int height);
    void RecordGaps();
    virtual void BoundsChanged() {}
    virtual void Resize();
    // Notifications of property changes, after the value is stored.
    virtual void ColorChanged() { Invalidate(); }
    virtual void TextChanged() {}
    virtual void BiDiModeChanged() { Invalidate(); }
    // Gives the control the size CanAutoSize answers, when AutoSize is on.
    void AdjustSize();
    // The size a SetBounds ends with: false when OnCanResize refused it.
    bool CheckNewSize(int& width, int& height);
    // The parent's colour or bidi mode changed: children that follow it take it.
    void TakeParentStyle();

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = TAlign::alNone;
    unsigned FAnchors = akLeft | akTop;
    bool FVisible = true;
    bool FEnabled = true;
    bool FShowHint = false;
    std::string FHint;
    std::string FText;
    TColor FColor = clBtnFace;
    TNotifyEvent FOnClick, FOnDblClick, FOnResize;
    TLayoutItem FLayout;
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState FControlState = 0;
    bool FAutoSize = false;
    TBiDiMode FBiDiMode = TBiDiMode::bdLeftToRight;
    bool FParentShowHint = true;
    bool FParentColor = false;
    bool FParentBiDiMode = true;
    TSizeConstraints FConstraints;
    TCanResizeEvent FOnCanResize;
    TConstrainedResizeEvent FOnConstrainedResize;
    bool FAlignWithMargins = false;
    TControlMargins FMargins;
};

// A control without a window: its parent paints it and passes it the mouse.
class TGraphicControl : public TControl {
    QORV_COMPONENT_CLASS
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}

    virtual void Paint(HDC dc) = 0;
    virtual void MouseDown(int x, int y);
    virtual void MouseMove(int x, int y);
    virtual void MouseUp(int x, int y);
    virtual HCURSOR Cursor() const { return nullptr; }
    // False lets the mouse through to the parent at that point.
    virtual bool HitTest(int, int) const { return true; }
    // Mnemonic: true when the control takes Alt+key (a label's "&C").
    virtual bool DialogChar(char) { return false; }
    // A label names the control it focuses for screen readers: true with
    // the name when `control` is that control.
    virtual bool NamesControl(const TWinControl&, std::string&) const { return false; }
    void Invalidate() override;

protected:
    // Our hint's area lies in the parent's window: it moves with us.
    void BoundsChanged() override;
};

// A part of a window as screen readers see it; Role and State are the
// accessibility interfaces' ROLE_SYSTEM_* and STATE_SYSTEM_* values.
struct TAccessiblePart {
    std::string Name, KeyboardShortcut, DefaultAction;
    long Role = 0;
    long State = 0;
    RECT Bounds{}; // in the window's client coordinates
};

struct TCreateParams {
    std::string WindowClass; // a system class, or empty for our own
    DWORD Style = 0;
    DWORD ExStyle = 0;
    HWND ParentWnd = nullptr;
    // Of our own class only: the icons a top-level window shows, given to
    // the window server with the window rather than after it.
    HICON Icon = nullptr, SmallIcon = nullptr;
};

class TWinControl : public TControl {
    QORV_COMPONENT_CLASS
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }
    const std::vector<TControl*>& Controls() const { return FControls; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void ReadChild(TComponent* child) override;
    void Loaded() override;

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetText(const std::string& text) override;
    std::string Text() const override;
    void SetHint(const std::string& hint) override;
    void Invalidate() override;

    // Frame: BorderWidth on every side and the bevels on BevelEdges (only
    // with a BevelKind); the client area shrinks by them and WM_NCPAINT draws
    // the bevels outermost, the border width inside them in the colour. Any
    // change is the border-changed notification.
    int BorderWidth() const { return FBevels.BorderWidth; }
    void SetBorderWidth(int value);
    TBevelKind BevelKind() const { return FBevels.Kind; }
    void SetBevelKind(TBevelKind value);
    TBevelCut BevelInner() const { return FBevels.Inner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return FBevels.Outer; }
    void SetBevelOuter(TBevelCut value);
    TBevelEdges BevelEdges() const { return FBevels.Edges; }
    void SetBevelEdges(TBevelEdges value);
    int BevelWidth() const { return FBevels.Width; }
    void SetBevelWidth(int value);
    const TBevelFrame& BevelFrame() const { return FBevels; }

    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool value);
    bool ParentBackground() const { return (FControlStyle & csParentBackground) != 0; }
    // True: the parent's background shows through (csParentBackground,
    // not csOpaque); False the reverse. Repaints.
    virtual void SetParentBackground(bool value);

    // Docking: whether the control may be a floating tool window, and a
    // control docked into this one.
    virtual bool IsToolControl() const { return false; }
    virtual void DockClient(TControl* client);
    bool UseDockManager() const { return FUseDockManager; }
    void SetUseDockManager(bool value) { FUseDockManager = value; }
    bool DockSite() const { return FDockSite; }
    void SetDockSite(bool value) { FDockSite = value; }
    bool CanAutoSize(int& width, int& height) override;

    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v) { FTabStop = v; }
    // The place among its siblings that Tab visits; -1 keeps the order of creation.
    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int v) { FTabOrder = v; }
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool v);
    bool CanFocus() const;
    // A control made of several windows answers for all of them.
    virtual bool Focused() const;
    virtual void SetFocus();
    // Whether our window holds the mouse capture now.
    bool MouseCapture() const;

    void SetOnEnter(TNotifyEvent e) { FOnEnter = std::move(e); }
    void SetOnExit(TNotifyEvent e) { FOnExit = std::move(e); }
    void SetOnKeyDown(TKeyEvent e) { FOnKeyDown = std::move(e); }
    void SetOnKeyPress(TKeyPressEvent e) { FOnKeyPress = std::move(e); }
    void SetOnKeyUp(TKeyEvent e) { FOnKeyUp = std::move(e); }
    void SetOnMouseDown(TMouseEvent e) { FOnMouseDown = std::move(e); }
    void SetOnMouseMove(TMouseMoveEvent e) { FOnMouseMove = std::move(e); }
    void SetOnMouseUp(TMouseEvent e) { FOnMouseUp = std::move(e); }

    // Lays out the children by their alignment and anchors.
    void AlignControls();
    // Mirrors the children's places left to right (for right-to-left
    // reading), their children too with `allLevels`, and tells each child.
    void FlipChildren(bool allLevels);
    // Sends a message to the live window (created on demand).
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Sends a message to the window if there is one, without making it: how
    // a control's state is read back. `noWindow` is the answer otherwise.
    LRESULT Query(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT noWindow = 0) const;
    // The window, or null when it does not exist yet.
    HWND HandleIfAllocated() const { return FHandle; }
    // True while our window waits for a hidden container of ours (a notebook
    // page) to show: it is made then, or when something asks for it.
    bool WindowDeferred() const;

    // What screen readers announce for our window: the name set here, else
    // the text of a label that focuses us or the control we take the focus
    // for (an edit inside a compound field); empty leaves the system's own.
    std::string AccessibleName() const;
    void SetAccessibleName(const std::string& name) { FAccessibleName = name; }
    // Parts of our window the system does not know, numbered from 1: by
    // default the visible controls without a window of their own that are
    // parts (AccessibleAsPart), in the order of Controls(): the tool bar's
    // buttons and separators, the visible speed buttons.
    virtual int AccessibleParts() const;
    virtual bool AccessiblePart(int id, TAccessiblePart& part) const;
    // A screen reader's request to use a part as the mouse would.
    virtual void AccessiblePress(int id);

    static TWinControl* FromHandle(HWND wnd);
    // The graphic child under a point of our client area (mnemonics, hints).
    TGraphicControl* GraphicControlAt(int x, int y) const;
    TGraphicControl* FindDialogChar(char key) const;

    // The font: with ParentFont (the default) the parent's, up to the
    // form's; writing any part of our own ends ParentFont.
    const TControlFont& Font() const { return FFont; }
    void SetFont(const TControlFont& font);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    // The font this control shows its text in, and its colour.
    HFONT CurrentFont();
    TColor CurrentFontColor() const;

    // The pointer over our client area (WM_SETCURSOR); crDefault leaves
    // the window's own.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value) { FCursor = value; }
    // A right click (WM_CONTEXTMENU) raises OnContextPopup and, unless a
    // handler took it, shows PopupMenu.
    TPopupMenu* PopupMenu() const { return FPopupMenu.Get(); }
    void SetPopupMenu(TPopupMenu* menu);
    const TContextPopupEvent& OnContextPopup() const { return FOnContextPopup; }
    void SetOnContextPopup(TContextPopupEvent e) { FOnContextPopup = std::move(e); }
    // WM_MOUSEACTIVATE: the handler may choose the answer.
    void SetOnMouseActivate(TMouseActivateEvent e) { FOnMouseActivate = std::move(e); }

    // Help for the control: a keyword or a context number, by HelpType.
    THelpType HelpType() const { return FHelpType; }
    void SetHelpType(THelpType v) { FHelpType = v; }
    const std::string& HelpKeyword() const { return FHelpKeyword; }
    // Writing a keyword makes the help type htKeyword, a context htContext.
    void SetHelpKeyword(const std::string& v);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int v);

    // Dragging: with dmAutomatic a left press starts a drag (dkDrag) or a
    // dock (dkDock) at once; BeginDrag starts one from code. While it runs
    // the control holds the mouse, each control under the pointer is asked
    // (OnDragOver, OnDockOver) and the drop goes to the one that accepted.
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor v) { FDragCursor = v; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind v) { FDragKind = v; }
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode v) { FDragMode = v; }
    void BeginDrag();
    bool Dragging() const;
    // Ends a drag of ours without a drop.
    void CancelDrag();
    void SetOnDragDrop(TDragDropEvent e) { FOnDragDrop = std::move(e); }
    void SetOnDragOver(TDragOverEvent e) { FOnDragOver = std::move(e); }
    void SetOnStartDrag(TStartDragEvent e) { FOnStartDrag = std::move(e); }
    void SetOnEndDrag(TEndDragEvent e) { FOnEndDrag = std::move(e); }
    void SetOnDockDrop(TDragDropEvent e) { FOnDockDrop = std::move(e); }
    void SetOnDockOver(TDragOverEvent e) { FOnDockOver = std::move(e); }
    void SetOnStartDock(TStartDragEvent e) { FOnStartDock = std::move(e); }
    void SetOnEndDock(TEndDragEvent e) { FOnEndDock = std::move(e); }
    void SetOnGetSiteInfo(TGetSiteInfoEvent e) { FOnGetSiteInfo = std::move(e); }
    void SetOnUnDock(TUnDockEvent e) { FOnUnDock = std::move(e); }

    // Hooks a top-level window (a form) fills in for the controls inside it.
    // The font its controls use; null for the system's.
    virtual HFONT ControlFont() { return nullptr; }
    // A control inside changed its hint or moved while having one.
    virtual void HintChanged(TControl*) {}
    // A control inside received the focus, or asked for it while we are hidden.
    virtual void ControlActivated(TWinControl*) {}
    // Enter pressed in our form: a default button presses itself and says so.
    virtual bool DefaultKey() { return false; }
    // A button inside chose how our modal showing ends.
    virtual void ModalResultChosen(int) {}

protected:
    void ChangeBounds(int left, int top, int width, int height) override;
    virtual void CreateParams(TCreateParams& params);
    // After the window exists: apply what was set before (items, columns...).
    virtual void CreateWnd() {}
    // After the window and its children's exist and are laid out.
    virtual void WindowsCreated() {}
    // Whether our window (and our children's) waits until we are shown:
    // the parent's creation leaves it out.
    virtual bool DefersWindow() const { return false; }
    virtual void DestroyHandle();
    void RecreateWnd();
    void CreateHandle();

    // The object's one message handler; passes what it does not handle on.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
    // A notification the parent received from this control (WM_COMMAND,
    // WM_NOTIFY, WM_CTLCOLOR*, WM_DRAWITEM). Return true when handled.
    virtual bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Painting of our own window classes: background and graphic children.
    virtual void PaintWindow(HDC dc);
    // The frame changed: the window recomputes its client area and repaints.
    virtual void BorderChanged();
    // Stores a frame setting and tells of it, when it really changes.
    template <class T>
    void ChangeFrame(T& field, T value) {
        if (field != value) {
            field = value;
            BorderChanged();
        }
    }
    virtual void Ctl3DChanged();
    // Our font or a parent's that we follow changed; the window has it already.
    virtual void FontChanged() { Invalidate(); }
    void Notification(TComponent* component, TOperation operation) override;
    // Draws the bevels of BevelFrame into `r` (window coordinates), an
    // `offset` outside the outer one and a `space` between the two; `r`
    // ends as what lies inside them.
    void DrawBevels(HDC dc, RECT& r, int offset, int space) const;
    virtual void DoEnter();
    virtual void DoExit();
    virtual bool KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    // The mouse over our own window (not over a graphic child), in client
    // coordinates. A press captures the mouse while FCaptureMouse is set.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // The graphic children, painted over what PaintWindow drew.
    void PaintControls(HDC dc);
    // Whether WM_PAINT goes through a memory bitmap (DoubleBuffered).
    virtual bool PaintsBuffered() const { return FDoubleBuffered; }

    TCreateParams FParams;
    std::vector<TControl*> FControls;
    TBevelFrame FBevels;
    bool FCtl3D = true, FParentCtl3D = true;
    bool FUseDockManager = false, FDockSite = false;
    bool FTabStop = false;
    int FTabOrder = -1;
    bool FDoubleBuffered = false;
    std::string FAccessibleName;
    bool FCaptureMouse = true;
    // Without it a second press in quick succession is a press, not a double-click.
    bool FDoubleClicks = true;
    TNotifyEvent FOnEnter, FOnExit;
    TKeyEvent FOnKeyDown, FOnKeyUp;
    TKeyPressEvent FOnKeyPress;
    TMouseEvent FOnMouseDown, FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;

private:
    friend class TDragOperation;
    friend void RegisterControlClasses();
    // Hands the font to our window and to the children that follow it.
    void ApplyFont();
    LRESULT WmContextMenu(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmMouseActivate(UINT msg, WPARAM wParam, LPARAM lParam);
    // A mouse message while a drag of ours runs; true when it took it.
    bool DragMouse(UINT msg, LPARAM lParam);
    // We go: a drag of ours ends, and one over us forgets us.
    void LeaveDrag();

    static LRESULT CALLBACK OwnClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SystemClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static std::string SuperclassOf(const std::string& systemClass);
    static std::string IconClassOf(HICON icon, HICON smallIcon);
    static TWinControl* ObjectFor(HWND wnd, UINT msg, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    // WndProc's handlers, one per message or group; each answers the message
    // or ends in DefaultHandler.
    LRESULT ReflectTo(TWinControl* child, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmCommand(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmNotify(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmDrawItem(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmWindowPosChanged(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmNcCalcSize(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmNcPaint(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmKeyDown(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmChar(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmKeyUp(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmEraseBkgnd(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmPaint(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmSetCursor(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmMouse(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WmNcDestroy(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT PaintDoubleBuffered();
    // True when a graphic child took the message.
    bool MouseToGraphic(UINT msg, LPARAM lParam);
    void MouseToWindow(UINT msg, WPARAM wParam, LPARAM lParam);
    // The framework's own non-client painting of BorderWidth and bevels.
    void PaintBevelFrame();
    void Attach(HWND wnd);
    // Lets go of our window and our children's, leaving the windows alive.
    void DetachHandles();

    HWND FHandle = nullptr;
    bool FSystemClass = false;
    WNDPROC FSystemProc = nullptr;
    TGraphicControl* FMouseControl = nullptr; // under the mouse or captured
    bool FMouseCaptured = false;
    bool FTrackingLeave = false;
    bool FMouseInside = false;
    bool FClosing = false; // in the destructor: no more layout
    bool FAligning = false;

    TControlFont FFont;
    bool FParentFont = true;
    TFontHandle FFontHandle;
    TCursor FCursor = crDefault;
    TComponentRef<TPopupMenu> FPopupMenu{this};
    TContextPopupEvent FOnContextPopup;
    TMouseActivateEvent FOnMouseActivate;
    THelpType FHelpType = THelpType::htContext;
    std::string FHelpKeyword;
    int FHelpContext = 0;
    TCursor FDragCursor = crDrag;
    TDragKind FDragKind = TDragKind::dkDrag;
    TDragMode FDragMode = TDragMode::dmManual;
    TDragDropEvent FOnDragDrop, FOnDockDrop;
    TDragOverEvent FOnDragOver, FOnDockOver;
    TStartDragEvent FOnStartDrag, FOnStartDock;
    TEndDragEvent FOnEndDrag, FOnEndDock;
    TGetSiteInfoEvent FOnGetSiteInfo;
    TUnDockEvent FOnUnDock;
};

// A windowed control that paints itself: Paint draws the whole client area,
// then the graphic children are drawn over it.
class TCustomControl : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TCustomControl(TComponent* owner) : TWinControl(owner) {}
    // The device context being painted; valid only inside Paint.
    TCanvas& Canvas() { return FCanvas; }

protected:
    virtual void Paint(HDC dc) = 0;
    void PaintWindow(HDC dc) override;

private:
    TCanvas FCanvas{nullptr};
};

// Published entries of the frame, bidi, Ctl3D, background and docking
// properties, for the tables of classes that publish them.
std::vector<TPropInfo> WinControlFrameProps();
// Published entries of the properties and events every windowed control has
// but the framework's own classes do not publish: Cursor, Font and the
// Parent* switches, PopupMenu, Constraints, help, drag and dock, and the
// events that go with them.
std::vector<TPropInfo> WinControlCommonProps();
// AlignWithMargins and Margins.*.
std::vector<TPropInfo> ControlMarginsProps();
const char* QorvWindowClass();
void RegisterControlClasses();
