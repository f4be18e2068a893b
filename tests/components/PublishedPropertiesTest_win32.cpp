// The library's classes as other programs' forms use them: form data that
// sets every property they publish, away from its default, loads, and each
// value shows where a user or the program would notice it (the pointer, the
// caption's font, a right click, a resize, a drag, a drop, the events).
#include <gtest/gtest.h>

#include <windows.h>

#include <imm.h>
#include <uxtheme.h>

#include <algorithm>
#include <string>
#include <vector>

#include "components/QorvEdit_win32.h"
#include "framework/Menus_win32.h"
#include "tests/components/ComponentsTestUtil_win32.h"

namespace {

std::string NameOf(TObject* o) {
    auto* c = dynamic_cast<TComponent*>(o);
    return c ? c->Name() : "?";
}

// Handlers for every event type the classes publish, each noting
// "Sender.Handler" (and what it was given where that matters).
class PublishedTest : public ::testing::Test {
protected:
    TComponentsTestApp app;
    TComponentsTestForm form;
    TMethodTable methods;
    std::vector<std::string> log;
    bool handleContextPopup = false;

    void Note(TObject* sender, const std::string& what) {
        log.push_back(NameOf(sender) + "." + what);
    }
    bool Logged(const std::string& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }

    void SetUp() override {
        for (const char* name :
             {"Click", "DblClick", "Enter", "Exit", "Resized", "Changed", "ButtonClicked"})
            methods.Add<TNotifyEvent>(name, [this, name](TObject* s) { Note(s, name); });
        methods.Add<TMouseEvent>("MouseDown", [this](TObject* s, TMouseButton, TShiftState, int,
                                                     int) { Note(s, "MouseDown"); });
        methods.Add<TMouseEvent>("MouseUp", [this](TObject* s, TMouseButton, TShiftState, int,
                                                   int) { Note(s, "MouseUp"); });
        methods.Add<TMouseMoveEvent>(
            "MouseMove", [this](TObject* s, TShiftState, int, int) { Note(s, "MouseMove"); });
        methods.Add<TKeyEvent>("KeyDown",
                               [this](TObject* s, WORD&, TShiftState) { Note(s, "KeyDown"); });
        methods.Add<TKeyEvent>("KeyUp",
                               [this](TObject* s, WORD&, TShiftState) { Note(s, "KeyUp"); });
        methods.Add<TKeyPressEvent>("KeyPress", [this](TObject* s, char&) { Note(s, "KeyPress"); });
        methods.Add<TCanResizeEvent>("CanResize", [this](TObject* s, int& w, int&, bool& resize) {
            Note(s, "CanResize");
            resize = w != 333; // one width is refused
        });
        methods.Add<TConstrainedResizeEvent>(
            "ConstrainedResize",
            [this](TObject* s, int&, int&, int&, int&) { Note(s, "ConstrainedResize"); });
        methods.Add<TContextPopupEvent>("ContextPopup", [this](TObject* s, POINT, bool& handled) {
            Note(s, "ContextPopup");
            handled = handleContextPopup;
        });
        methods.Add<TMouseActivateEvent>(
            "MouseActivate",
            [this](TObject* s, TMouseButton, TShiftState, int, int, int, TMouseActivate& answer) {
                Note(s, "MouseActivate");
                answer = TMouseActivate::maNoActivate;
            });
        methods.Add<TDragOverEvent>("DragOver", [this](TObject* s, TObject* source, int, int,
                                                       TDragState state, bool& accept) {
            if (state == TDragState::dsDragEnter)
                Note(s, "DragOver(" + NameOf(source) + ")");
            accept = true;
        });
        methods.Add<TDragDropEvent>("DragDrop", [this](TObject* s, TObject* source, int, int) {
            Note(s, "DragDrop(" + NameOf(source) + ")");
        });
        methods.Add<TStartDragEvent>("StartDrag",
                                     [this](TObject* s, TObject*&) { Note(s, "StartDrag"); });
        methods.Add<TEndDragEvent>("EndDrag", [this](TObject* s, TObject* target, int, int) {
            Note(s, "EndDrag(" + (target ? NameOf(target) : std::string("none")) + ")");
        });
        methods.Add<TDragOverEvent>("DockOver", [this](TObject* s, TObject* source, int, int,
                                                       TDragState state, bool& accept) {
            if (state == TDragState::dsDragEnter)
                Note(s, "DockOver(" + NameOf(source) + ")");
            accept = true;
        });
        methods.Add<TDragDropEvent>("DockDrop", [this](TObject* s, TObject* source, int, int) {
            Note(s, "DockDrop(" + NameOf(source) + ")");
        });
        methods.Add<TStartDragEvent>("StartDock",
                                     [this](TObject* s, TObject*&) { Note(s, "StartDock"); });
        methods.Add<TEndDragEvent>("EndDock", [this](TObject* s, TObject* target, int, int) {
            Note(s, "EndDock(" + (target ? NameOf(target) : std::string("none")) + ")");
        });
        methods.Add<TGetSiteInfoEvent>("GetSiteInfo",
                                       [this](TObject* s, TControl* client, TRect&, POINT, bool&) {
                                           Note(s, "GetSiteInfo(" + NameOf(client) + ")");
                                       });
        methods.Add<TUnDockEvent>("UnDock", [this](TObject* s, TControl* client, TObject*, bool&) {
            Note(s, "UnDock(" + NameOf(client) + ")");
        });
        methods.Add<TQorvUpDownChangingEvent>(
            "Changing", [this](TObject* s, bool&, double&) { Note(s, "Changing"); });
        methods.Add<TQorvUpDownClickEvent>(
            "ElementClick", [this](TObject* s, TQorvUpDownElement) { Note(s, "ElementClick"); });
        methods.Add<TQorvUpDownFormatValueEvent>(
            "FormatValue", [this](TObject*, double value, std::string& result) {
                result = "<" + std::to_string(static_cast<int>(value)) + ">";
            });
    }
    void TearDown() override {
        EXPECT_EQ(app.Errors(), std::vector<std::string>{});
        SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);
    }

    void Load(const std::string& body) {
        ReadFormData(form,
                     "object F: TComponentsTestForm\n  ClientWidth = 520\n  ClientHeight = 400\n"
                     "  Color = clWhite\n"
                     "  object Menu: TPopupMenu\n    object MenuItem: TMenuItem\n"
                     "      Caption = 'Menu of ours'\n    end\n  end\n" +
                         body + "end",
                     methods);
        form.Show();
        SetForegroundWindow(form.Handle());
        PumpFor(0);
        log.clear();
    }
    template <class T>
    T& Get(const char* name) {
        auto* c = dynamic_cast<T*>(form.FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return *c;
    }
    static void Send(HWND wnd, UINT msg, int x, int y, WPARAM keys = 0) {
        SendMessageA(wnd, msg, keys, MAKELPARAM(x, y));
    }
    // The pointer a window asks for over its client area.
    static HCURSOR PointerOver(HWND wnd) {
        ::SetCursor(nullptr);
        SendMessageA(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }
    static inline std::string shown;
    // Notes the first item of the menu that is open, and closes it.
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND menu = nullptr;
        while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) && !IsWindowVisible(menu))
            ;
        if (menu) {
            auto* items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
            char text[64] = {};
            GetMenuStringA(items, 0, text, sizeof text, MF_BYPOSITION);
            shown = text;
        }
        EndMenu();
    }
    // Right-clicks `wnd` and returns the first item's text of the menu that
    // opened ("" for none); the menu is closed again.
    static std::string RightClickMenu(HWND wnd) {
        shown.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenu);
        RECT r;
        GetWindowRect(wnd, &r);
        SendMessageA(wnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd),
                     MAKELPARAM(r.left + 3, r.top + 3));
        KillTimer(nullptr, timer);
        PumpFor(0);
        return shown;
    }
    // Drags from a point of `from` to the middle of `to` with real mouse
    // messages, noting the pointer shown on the way.
    HCURSOR DragOnto(TWinControl& from, TWinControl& to) {
        RECT r;
        GetWindowRect(to.Handle(), &r);
        return DragTo(from, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    HCURSOR DragTo(TWinControl& from, POINT p) {
        ScreenToClient(from.Handle(), &p);
        Send(from.Handle(), WM_LBUTTONDOWN, 4, 4, MK_LBUTTON);
        EXPECT_TRUE(from.Dragging());
        Send(from.Handle(), WM_MOUSEMOVE, p.x, p.y, MK_LBUTTON);
        const HCURSOR shown = GetCursor();
        Send(from.Handle(), WM_LBUTTONUP, p.x, p.y);
        EXPECT_FALSE(from.Dragging());
        PumpFor(0);
        return shown;
    }
    // Where the client area shows pixels of `colour`: their bounding box.
    static TRect PixelsOf(HWND wnd, COLORREF colour) {
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT r;
        GetClientRect(wnd, &r);
        HDC dc = GetDC(wnd);
        TRect box{r.right, r.bottom, 0, 0};
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x)
                if (GetPixel(dc, x, y) == colour)
                    box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                           std::max(box.Bottom, y + 1)};
        ReleaseDC(wnd, dc);
        return box;
    }
};

// The events every windowed class of the library publishes, bound in form
// data by the test's handlers.
const char* const kControlEvents =
    "    OnCanResize = CanResize\n    OnConstrainedResize = ConstrainedResize\n"
    "    OnContextPopup = ContextPopup\n    OnClick = Click\n    OnDblClick = DblClick\n"
    "    OnEnter = Enter\n    OnExit = Exit\n    OnMouseDown = MouseDown\n"
    "    OnMouseMove = MouseMove\n    OnMouseUp = MouseUp\n    OnResize = Resized\n"
    "    OnDragDrop = DragDrop\n    OnDragOver = DragOver\n    OnStartDrag = StartDrag\n"
    "    OnEndDrag = EndDrag\n    OnStartDock = StartDock\n    OnEndDock = EndDock\n";

TEST_F(PublishedTest, APanelTakesEveryPublishedPropertyFromFormData) {
    Load(std::string("  object P: TQorvPanel\n    Left = 10\n    Top = 10\n    Width = 240\n"
                     "    Height = 90\n    Tag = 5\n    Alignment = taLeftJustify\n"
                     "    BevelOffset = 1\n    BevelSpace = 2\n    BorderStyle = bsNone\n"
                     "    DisableBorders = False\n    FullRepaint = False\n    Locked = True\n"
                     "    Margins.Left = 4\n    Margins.Top = 3\n    Margins.Right = 2\n"
                     "    Margins.Bottom = 1\n    Transparent = False\n    Color = $0000FFFF\n"
                     "    UseDockManager = False\n    Anchors = [akLeft, akTop, akRight]\n"
                     "    BevelEdges = [beLeft, beBottom]\n    BevelInner = bvLowered\n"
                     "    BevelKind = bkFlat\n    BevelOuter = bvRaised\n    BevelWidth = 2\n"
                     "    BorderWidth = 3\n    BiDiMode = bdLeftToRight\n"
                     "    ParentBiDiMode = False\n    Caption = 'Wide'\n"
                     "    Constraints.MaxHeight = 300\n    Constraints.MaxWidth = 400\n"
                     "    Constraints.MinHeight = 40\n    Constraints.MinWidth = 100\n"
                     "    Ctl3D = False\n    ParentCtl3D = False\n    DockSite = True\n"
                     "    DoubleBuffered = True\n    DragCursor = crHandPoint\n"
                     "    DragKind = dkDrag\n    DragMode = dmAutomatic\n"
                     "    Font.Charset = ANSI_CHARSET\n    Font.Color = clRed\n"
                     "    Font.Height = -24\n    Font.Name = 'Arial'\n    Font.Style = [fsBold]\n"
                     "    ParentFont = False\n    ParentShowHint = False\n    ShowHint = True\n"
                     "    Hint = 'A panel'\n    PopupMenu = Menu\n    TabOrder = 1\n"
                     "    TabStop = True\n    Cursor = crHandPoint\n    HelpType = htKeyword\n"
                     "    HelpKeyword = 'panels'\n") +
         kControlEvents +
         "    OnDockDrop = DockDrop\n    OnDockOver = DockOver\n    OnGetSiteInfo = GetSiteInfo\n"
         "    OnUnDock = UnDock\n    OnMouseActivate = MouseActivate\n"
         "    object Inner: TQorvPanel\n      Left = 150\n      Top = 5\n      Width = 40\n"
         "      Height = 30\n      ParentColor = True\n      Caption = 'I'\n"
         "      Enabled = False\n      Visible = True\n    end\n  end\n"
         "  object Target: TQorvPanel\n    Left = 10\n    Top = 200\n    Width = 100\n"
         "    Height = 60\n    AutoSize = False\n    Align = alNone\n"
         "    OnDragOver = DragOver\n    OnDragDrop = DragDrop\n    HelpContext = 7\n"
         "    ParentBackground = True\n    Transparent = True\n    Visible = False\n  end\n");
    auto& p = Get<TQorvPanel>("P");
    auto& inner = Get<TQorvPanel>("Inner");
    auto& target = Get<TQorvPanel>("Target");
    HWND wnd = p.Handle();

    // Frame: no border; border width 3; flat bevels (2 + 2 wide) on the
    // left and bottom only, 1 offset and 2 space there; then the margins.
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 240 - 3 - 3 - (1 + 2 + 2 + 2) - 4 - 2);
    EXPECT_EQ(client.bottom, 90 - 3 - 3 - (1 + 2 + 2 + 2) - 3 - 1);
    EXPECT_EQ(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(GetWindowLongA(wnd, GWL_STYLE) & WS_BORDER, 0);
    EXPECT_FALSE(p.Ctl3D());
    EXPECT_FALSE(p.DisableBorders());
    EXPECT_FALSE(p.FullRepaint());
    EXPECT_FALSE(p.IsToolControl()); // Locked
    EXPECT_FALSE(p.UseDockManager());
    EXPECT_TRUE(p.DockSite());
    EXPECT_TRUE(p.DoubleBuffered());
    EXPECT_EQ(p.Tag(), 5);
    EXPECT_EQ(p.TabOrder(), 1);
    EXPECT_TRUE(p.TabStop());
    EXPECT_EQ(p.Anchors(), akLeft | akTop | akRight);
    EXPECT_FALSE(p.ParentBiDiMode());
    EXPECT_EQ(p.HelpType(), THelpType::htKeyword);
    EXPECT_EQ(p.HelpKeyword(), "panels");
    EXPECT_EQ(target.HelpType(), THelpType::htContext);
    EXPECT_EQ(target.HelpContext(), 7);
    EXPECT_TRUE(target.Transparent());
    EXPECT_TRUE(target.ParentBackground());
    EXPECT_FALSE(IsWindowVisible(target.Handle()));
    EXPECT_FALSE(IsWindowEnabled(inner.Handle()));

    // The caption in the panel's own font: red, bold Arial 24 pixels high,
    // at the left; the inner panel follows its parent's colour.
    EXPECT_FALSE(p.ParentFont());
    LOGFONTA lf{};
    GetObjectA(p.CurrentFont(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -24);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
    const TRect caption = PixelsOf(wnd, RGB(255, 0, 0));
    EXPECT_GE(caption.Height(), 15); // the form's 8-point font is lower
    EXPECT_LT(caption.Left, 5);      // taLeftJustify
    EXPECT_LT(caption.Right, client.right / 2);
    EXPECT_EQ(inner.Color(), p.Color());
    EXPECT_EQ(inner.CurrentFont(), p.CurrentFont()); // ParentFont by default
    p.SetColor(colors::RGBColor(0, 255, 0));
    EXPECT_EQ(inner.Color(), colors::RGBColor(0, 255, 0));

    // Hints are the panel's own choice, not its form's.
    EXPECT_TRUE(p.ShowHint());
    EXPECT_FALSE(p.ParentShowHint());

    // The pointer, the popup menu, and a context handler that takes the click.
    EXPECT_EQ(PointerOver(wnd), LoadCursor(nullptr, IDC_HAND));
    EXPECT_EQ(RightClickMenu(wnd), "Menu of ours");
    EXPECT_TRUE(Logged("P.ContextPopup"));
    handleContextPopup = true;
    EXPECT_EQ(RightClickMenu(wnd), "");

    // Size limits and the resize events.
    log.clear();
    p.SetWidth(1000);
    EXPECT_EQ(p.Width(), 400);
    p.SetHeight(5);
    EXPECT_EQ(p.Height(), 40);
    p.SetWidth(333); // refused by OnCanResize
    EXPECT_EQ(p.Width(), 400);
    EXPECT_TRUE(Logged("P.CanResize"));
    EXPECT_TRUE(Logged("P.ConstrainedResize"));
    EXPECT_TRUE(Logged("P.Resized"));

    // Mouse activation, focus and the mouse events; a press drags at once
    // (dmAutomatic), so the mouse events come from a panel that does not.
    EXPECT_EQ(SendMessageA(wnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form.Handle()),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    target.SetVisible(true);
    target.SetFocus();
    p.SetFocus();
    target.SetFocus();
    EXPECT_TRUE(Logged("P.Enter"));
    EXPECT_TRUE(Logged("P.Exit"));
    p.SetDragMode(TDragMode::dmManual);
    log.clear();
    Send(wnd, WM_MOUSEMOVE, 5, 5);
    Send(wnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    Send(wnd, WM_LBUTTONUP, 5, 5);
    Send(wnd, WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON);
    Send(wnd, WM_LBUTTONUP, 5, 5);
    for (const char* e : {"P.MouseMove", "P.MouseDown", "P.MouseUp", "P.Click", "P.DblClick"})
        EXPECT_TRUE(Logged(e)) << e;

    // Dragged onto the other panel, with the drag pointer over it.
    p.SetDragMode(TDragMode::dmAutomatic);
    log.clear();
    EXPECT_EQ(DragOnto(p, target), LoadCursor(nullptr, IDC_HAND));
    EXPECT_EQ(log, (std::vector<std::string>{"P.StartDrag", "Target.DragOver(P)",
                                             "Target.DragDrop(P)", "P.EndDrag(Target)"}));
    // Dropped where nobody takes it, the drag ends without a target.
    log.clear();
    RECT formRect;
    GetWindowRect(form.Handle(), &formRect);
    EXPECT_EQ(DragTo(p, {formRect.right - 20, formRect.bottom - 20}), LoadCursor(nullptr, IDC_NO));
    EXPECT_EQ(log, (std::vector<std::string>{"P.StartDrag", "P.EndDrag(none)"}));
}

TEST_F(PublishedTest, APanelDocksIntoADockSiteAndItsOldHostHearsOfIt) {
    Load(std::string("  object Host: TQorvPanel\n    Left = 10\n    Top = 10\n    Width = 200\n"
                     "    Height = 100\n    DockSite = True\n    OnUnDock = UnDock\n"
                     "    object D: TQorvPanel\n      Left = 10\n      Top = 10\n"
                     "      Width = 50\n      Height = 40\n      DragKind = dkDock\n"
                     "      DragMode = dmAutomatic\n") +
         kControlEvents +
         "    end\n  end\n"
         "  object Site: TQorvPanel\n    Left = 250\n    Top = 10\n    Width = 200\n"
         "    Height = 150\n    DockSite = True\n    OnDockDrop = DockDrop\n"
         "    OnDockOver = DockOver\n    OnGetSiteInfo = GetSiteInfo\n  end\n");
    auto& d = Get<TQorvPanel>("D");
    auto& site = Get<TQorvPanel>("Site");
    DragOnto(d, site);
    EXPECT_EQ(d.Parent(), &site);
    EXPECT_EQ(log,
              (std::vector<std::string>{"D.StartDock", "Site.GetSiteInfo(D)", "Site.DockOver(D)",
                                        "Host.UnDock(D)", "Site.DockDrop(D)", "D.EndDock(Site)"}));
}

TEST_F(PublishedTest, AnUpDownTakesEveryPublishedPropertyFromFormData) {
    Load("  object Edit: TEdit\n    Left = 10\n    Top = 10\n    Width = 80\n    Height = 22\n"
         "  end\n"
         "  object UD: TQorvUpDown\n    Left = 200\n    Top = 100\n    Width = 20\n"
         "    Height = 40\n    Tag = 3\n    AlignButton = udLeft\n    ArrowKeys = False\n"
         "    Associate = Edit\n    Decimals = 1\n    Increment = 2.500000000000000000\n"
         "    Max = 50.000000000000000000\n    Min = -5.000000000000000000\n"
         "    Orientation = udHorizontal\n    Position = 7.500000000000000000\n"
         "    Thousands = False\n    Wrap = True\n    OnChanging = Changing\n"
         "    OnClick = ElementClick\n    OnFormatValue = FormatValue\n"
         "    Anchors = [akTop, akRight]\n    Constraints.MaxHeight = 60\n"
         "    Constraints.MinHeight = 30\n    Constraints.MaxWidth = 30\n"
         "    Constraints.MinWidth = 10\n    Enabled = True\n    Hint = 'Spin'\n"
         "    ParentShowHint = False\n    ShowHint = True\n    PopupMenu = Menu\n"
         "    TabOrder = 2\n    TabStop = True\n    Visible = True\n"
         "    OnContextPopup = ContextPopup\n    OnEnter = Enter\n    OnExit = Exit\n"
         "    OnMouseActivate = MouseActivate\n    OnMouseDown = MouseDown\n"
         "    OnMouseMove = MouseMove\n    OnMouseUp = MouseUp\n    AlignWithMargins = True\n"
         "    Margins.Left = 5\n    Margins.Top = 6\n    Margins.Right = 7\n"
         "    Margins.Bottom = 8\n    Cursor = crHelp\n    HelpType = htKeyword\n"
         "    HelpKeyword = 'spin'\n    HelpContext = 0\n  end\n");
    auto& ud = Get<TQorvUpDown>("UD");
    auto& edit = Get<TEdit>("Edit");
    HWND wnd = ud.Handle();

    // The value and its format (the format event writes the text), the
    // place beside the edit (udLeft), the range with wrap.
    EXPECT_EQ(edit.Text(), "<7>");
    EXPECT_EQ(ud.Left(), edit.Left() - ud.Width());
    EXPECT_EQ(ud.Decimals(), 1);
    EXPECT_EQ(ud.Increment(), 2.5);
    EXPECT_EQ(ud.Min(), -5);
    EXPECT_EQ(ud.Max(), 50);
    EXPECT_TRUE(ud.Wrap());
    EXPECT_FALSE(ud.Thousands());
    EXPECT_FALSE(ud.ArrowKeys());
    EXPECT_EQ(ud.Orientation(), TQorvUpDownOrientation::udHorizontal);
    EXPECT_EQ(ud.Tag(), 3);
    EXPECT_EQ(ud.TabOrder(), 2);
    EXPECT_TRUE(ud.TabStop());
    EXPECT_EQ(ud.Anchors(), akTop | akRight);
    EXPECT_TRUE(ud.ShowHint());
    EXPECT_EQ(ud.HelpType(), THelpType::htContext); // HelpContext came last
    EXPECT_EQ(ud.HelpKeyword(), "spin");

    // A step goes through OnChanging; a click on the arrow reaches OnClick.
    const TRect up = ud.ElementRect(TQorvUpDownElement::udNext);
    Send(wnd, WM_MOUSEMOVE, 2, up.Bottom / 2);
    Send(wnd, WM_LBUTTONDOWN, 2, up.Bottom / 2, MK_LBUTTON);
    Send(wnd, WM_LBUTTONUP, 2, up.Bottom / 2);
    EXPECT_EQ(ud.StoredPosition(), 10.0);
    for (const char* e :
         {"UD.Changing", "UD.ElementClick", "UD.MouseMove", "UD.MouseDown", "UD.MouseUp"})
        EXPECT_TRUE(Logged(e)) << e;

    // Pointer, menu, activation, focus.
    EXPECT_EQ(PointerOver(wnd), LoadCursor(nullptr, IDC_HELP));
    EXPECT_EQ(RightClickMenu(wnd), "Menu of ours");
    EXPECT_TRUE(Logged("UD.ContextPopup"));
    EXPECT_EQ(SendMessageA(wnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form.Handle()),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    ud.SetFocus();
    edit.SetFocus();
    EXPECT_TRUE(Logged("UD.Enter"));
    EXPECT_TRUE(Logged("UD.Exit"));

    // Size limits, and the margins it keeps once aligned.
    ud.SetHeight(100);
    EXPECT_EQ(ud.Height(), 60);
    ud.SetWidth(2);
    EXPECT_EQ(ud.Width(), 10);
    ud.SetAlign(TAlign::alRight);
    EXPECT_EQ(ud.Top(), 6);
    EXPECT_EQ(ud.Left() + ud.Width(), form.ClientWidth() - 7);
    EXPECT_EQ(ud.Height(), 60); // the client height less 14, within the limit
}

TEST_F(PublishedTest, AnEditTakesEveryPublishedPropertyFromFormData) {
    Load(std::string("  object Ed: TQorvEdit\n    Left = 10\n    Top = 10\n    Width = 200\n"
                     "    Height = 40\n    Tag = 9\n    Alignment = taRightJustify\n"
                     "    ButtonType = qvbtUpDown\n    IconOffsetX = 2\n    IconOffsetY = 1\n"
                     "    IconTail = 4\n    TextOffsetX = 3\n    TextOffsetY = 1\n"
                     "    InvalidChars = 'x'\n    ValidChars = 'abcx'\n    Value = 'abc'\n"
                     "    OnButtonClick = ButtonClicked\n    AutoSelect = False\n"
                     "    CharCase = ecUpperCase\n    HideSelection = False\n"
                     "    ImeMode = imDisable\n    ImeName = 'Ime'\n    MaxLength = 6\n"
                     "    OEMConvert = True\n    PasswordChar = '*'\n    ReadOnly = False\n"
                     "    Text = 'abc'\n    OnChange = Changed\n    OnKeyDown = KeyDown\n"
                     "    OnKeyPress = KeyPress\n    OnKeyUp = KeyUp\n"
                     "    OnMouseActivate = MouseActivate\n    Decimals = 2\n"
                     "    Increment = 0.500000000000000000\n    Max = 9.000000000000000000\n"
                     "    Min = 1.000000000000000000\n    Thousands = False\n    Wrap = True\n"
                     "    Color = $00FFFF00\n    Anchors = [akLeft, akBottom]\n"
                     "    BevelEdges = [beTop]\n    BevelInner = bvNone\n    BevelKind = bkTile\n"
                     "    BevelOuter = bvRaised\n    BevelWidth = 1\n    BiDiMode = bdLeftToRight\n"
                     "    ParentBiDiMode = False\n    BorderStyle = bsNone\n"
                     "    Constraints.MaxWidth = 250\n    Constraints.MinWidth = 50\n"
                     "    Constraints.MaxHeight = 60\n    Constraints.MinHeight = 20\n"
                     "    Ctl3D = False\n    ParentCtl3D = False\n    DisableBorders = False\n"
                     "    DoubleBuffered = True\n    DragCursor = crCross\n    DragKind = dkDrag\n"
                     "    DragMode = dmManual\n    Enabled = True\n    Font.Color = clBlue\n"
                     "    Font.Height = -20\n    Font.Name = 'Arial'\n    Font.Style = [fsItalic]\n"
                     "    ParentFont = False\n    FullRepaint = False\n    ParentShowHint = False\n"
                     "    ShowHint = True\n    Hint = 'Edit'\n    PopupMenu = Menu\n"
                     "    TabOrder = 0\n    TabStop = True\n    Visible = True\n"
                     "    Cursor = crSizeAll\n    HelpType = htKeyword\n    HelpKeyword = 'ed'\n") +
         kControlEvents +
         "  end\n"
         "  object Other: TQorvEdit\n    Left = 10\n    Top = 100\n    ParentColor = True\n"
         "    HelpContext = 4\n  end\n");
    auto& ed = Get<TQorvEdit>("Ed");
    auto& other = Get<TQorvEdit>("Other");
    TQorvEditInnerEdit& box = *ed.InnerEdit();
    HWND text = box.Handle();

    // The text box: the letters typed in upper case, the password character,
    // the alignment, the length limit, the colour and the edit's font.
    const LONG styles = ES_UPPERCASE | ES_RIGHT | ES_OEMCONVERT | ES_NOHIDESEL;
    EXPECT_EQ(GetWindowLongA(text, GWL_STYLE) & styles, styles);
    EXPECT_EQ(SendMessageA(text, EM_GETPASSWORDCHAR, 0, 0), '*');
    EXPECT_EQ(SendMessageA(text, EM_GETLIMITTEXT, 0, 0), 6);
    EXPECT_EQ(box.Color(), colors::RGBColor(0, 255, 255));
    EXPECT_EQ(other.Color(), clWhite); // the form's
    EXPECT_EQ(box.ImeMode(), TImeMode::imDisable);
    EXPECT_EQ(ImmGetContext(text), nullptr); // no input method for this box
    ed.SetImeMode(TImeMode::imOpen);
    HIMC context = ImmGetContext(text);
    EXPECT_NE(context, nullptr);
    ImmReleaseContext(text, context);
    EXPECT_EQ(box.ImeName(), "Ime");
    EXPECT_FALSE(box.AutoSelect());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)), ed.CurrentFont());
    LOGFONTA lf{};
    GetObjectA(ed.CurrentFont(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_GT(box.Height(), other.InnerEdit()->Height()); // the box's height follows the font
    SendMessageA(text, WM_CHAR, 'a', 1);
    SendMessageA(text, WM_CHAR, 'x', 1); // invalid
    SendMessageA(text, WM_CHAR, 'q', 1); // not valid
    // "abc" was written before the spin button's range came: the numbers
    // in the form data rewrote it when the window was made.
    EXPECT_EQ(ed.Decimals(), 2);
    EXPECT_EQ(ed.Increment(), 0.5);
    EXPECT_EQ(ed.Min(), 1);
    EXPECT_EQ(ed.Max(), 9);
    EXPECT_TRUE(ed.Wrap());
    EXPECT_FALSE(ed.Thousands());
    EXPECT_EQ(ed.IconOffsetX(), 2);
    EXPECT_EQ(ed.IconTail(), 4);
    EXPECT_EQ(box.Left(), 3); // no icon: TextOffsetX only
    EXPECT_EQ(ed.Tag(), 9);
    EXPECT_EQ(ed.HelpKeyword(), "ed");
    EXPECT_EQ(other.HelpContext(), 4);

    // The events: typing, a right click on the text box opening the edit's
    // menu, mouse activation, size limits.
    EXPECT_TRUE(Logged("Ed.KeyPress"));
    EXPECT_TRUE(Logged(".Changed")); // raised by the unnamed text box
    SendMessageA(text, WM_KEYDOWN, VK_END, 1);
    SendMessageA(text, WM_KEYUP, VK_END, 1);
    EXPECT_TRUE(Logged("Ed.KeyDown"));
    EXPECT_TRUE(Logged("Ed.KeyUp"));
    EXPECT_EQ(RightClickMenu(text), "Menu of ours");
    EXPECT_TRUE(Logged("Ed.ContextPopup"));
    EXPECT_EQ(PointerOver(ed.Handle()), LoadCursor(nullptr, IDC_SIZEALL));
    EXPECT_EQ(SendMessageA(ed.Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form.Handle()),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    ed.SetWidth(10);
    EXPECT_EQ(ed.Width(), 50);
    EXPECT_TRUE(Logged("Ed.CanResize"));
    EXPECT_TRUE(Logged("Ed.Resized"));

    // The spin button steps by 0.5 within 1..9 and shows two decimals.
    ed.SetValue(TVariant(8.5));
    EXPECT_EQ(ed.Text(), "8.50");
    TQorvUpDown& spin = *ed.UpDown();
    const TRect up = spin.ElementRect(TQorvUpDownElement::udNext);
    Send(spin.Handle(), WM_MOUSEMOVE, 2, up.Bottom / 2);
    Send(spin.Handle(), WM_LBUTTONDOWN, 2, up.Bottom / 2, MK_LBUTTON);
    Send(spin.Handle(), WM_LBUTTONUP, 2, up.Bottom / 2);
    EXPECT_EQ(ed.Text(), "9.00");
}

} // namespace
