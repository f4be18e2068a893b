// The library's panel and control base on real shown windows: frames,
// margins and bevels read back from the screen's pixels, the themed ring,
// see-through painting and the default style component.
#include <windows.h>

#include <uxtheme.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "components/QorvPanel_win32.h"
#include "components/QorvStyles_win32.h"
#include "framework/Forms_win32.h"
#include "framework/FormReader.h"
#include "tests/app/MainFormHarness_win32.h"
#include "tests/tools/WindowOrigin_win32.h"

namespace {

// What a window shows: its own pixels through its whole-window DC.
COLORREF WindowPixel(HWND wnd, int x, int y) {
    HDC dc = GetWindowDC(wnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(wnd, dc);
    return c;
}

COLORREF Sys(int index) {
    return GetSysColor(index);
}

TEST(QorvPanelFindHeader, ShowsItsMarginStripAndBottomBevelsInTheRealWindow) {
    TMainFormHarness h;
    TQorvPanel& panel = *h.Form().pnFind;
    HWND wnd = panel.Handle();
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 504);
    EXPECT_EQ(client.bottom, 38);
    const POINT origin = ClientOrigin(wnd);
    EXPECT_EQ(origin.x, 5);
    EXPECT_EQ(origin.y, 0);

    const COLORREF colour = RGB(249, 248, 240);
    auto expectHeader = [&](const char* how) {
        SCOPED_TRACE(how);
        for (int y : {0, 10, 37})
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(WindowPixel(wnd, x, y), colour) << x << "," << y;
        // The lowered outer bevel's bottom side, then the raised inner
        // one's bottom side above it, across the whole width.
        for (int x : {0, 3, 100, 508}) {
            EXPECT_EQ(WindowPixel(wnd, x, 39), Sys(COLOR_BTNHIGHLIGHT)) << x;
            EXPECT_EQ(WindowPixel(wnd, x, 38), Sys(COLOR_BTNSHADOW)) << x;
        }
        // The client area is the panel's colour where no child covers it.
        EXPECT_EQ(WindowPixel(wnd, 5 + 200, 2), colour);
    };
    expectHeader(ThemesEnabled() ? "visual style" : "classic");
    const bool themed = ThemesEnabled();
    SetThemeAppProperties(themed ? 0 : STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    expectHeader(themed ? "classic" : "visual style");
    SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);
}

// A bare form with panels the tests place on it.
class QorvPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        FApp = std::make_unique<TApplication>();
        FApp->Initialize();
        RegisterQorvPanelClasses();
        Form = FApp->CreateForm<TCustomForm>();
        Form->SetBounds(20, 20, 400, 300);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);
        FApp.reset();
    }
    void Pump() {
        for (int i = 0; i < 3; ++i)
            FApp->ProcessMessages();
    }
    TQorvPanel* NewPanel(TComponent* owner, TWinControl* parent, TRect r) {
        auto* p = new TQorvPanel(owner);
        p->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        p->SetParent(parent);
        return p;
    }
    // The theme's own drawing of the ring's element, the oracle for the
    // themed frame.
    std::vector<COLORREF> ThemedRing(HWND wnd, int state, int w, int h) {
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        RECT r{0, 0, w, h};
        HTHEME theme = OpenThemeData(wnd, L"COMBOBOX");
        DrawThemeBackground(theme, mem, 0, state, &r, nullptr);
        CloseThemeData(theme);
        std::vector<COLORREF> ring;
        for (const POINT& p : RingPoints(w, h))
            ring.push_back(GetPixel(mem, p.x, p.y));
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        return ring;
    }
    static std::vector<POINT> RingPoints(int w, int h) {
        std::vector<POINT> points;
        for (int d = 0; d < 2; ++d)
            for (int t : {w / 4, w / 2, 3 * w / 4}) {
                points.push_back({t, d});
                points.push_back({t, h - 1 - d});
                points.push_back({d, t * h / w});
                points.push_back({w - 1 - d, t * h / w});
            }
        return points;
    }
    std::vector<COLORREF> WindowRing(HWND wnd, int w, int h) {
        std::vector<COLORREF> ring;
        for (const POINT& p : RingPoints(w, h))
            ring.push_back(WindowPixel(wnd, p.x, p.y));
        return ring;
    }

    std::unique_ptr<TApplication> FApp;
    TCustomForm* Form = nullptr;
};

TEST_F(QorvPanelTest, SingleBorderWithCtl3DIsATwoPixelSunkenEdgeWithoutTheVisualStyle) {
    SetThemeAppProperties(0);
    ASSERT_FALSE(ThemesEnabled());
    TQorvPanel* p = NewPanel(Form, Form, {10, 10, 110, 60});
    p->SetColor(RGB(10, 200, 30));
    Pump();
    HWND wnd = p->Handle();
    ASSERT_TRUE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 96);
    EXPECT_EQ(client.bottom, 46);
    EXPECT_EQ(ClientOrigin(wnd).x, 2);
    EXPECT_EQ(ClientOrigin(wnd).y, 2);
    // Sunken: shadow outside and dark shadow inside at the top and left,
    // highlight outside and light inside at the bottom and right.
    EXPECT_EQ(WindowPixel(wnd, 50, 0), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(WindowPixel(wnd, 50, 1), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(WindowPixel(wnd, 0, 25), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(WindowPixel(wnd, 1, 25), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(WindowPixel(wnd, 50, 49), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(WindowPixel(wnd, 50, 48), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(WindowPixel(wnd, 99, 25), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(WindowPixel(wnd, 98, 25), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(WindowPixel(wnd, 2, 2), RGB(10, 200, 30));

    // Without Ctl3D the border is the one-pixel window border.
    p->SetCtl3D(false);
    Pump();
    EXPECT_FALSE(GetWindowLongA(p->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongA(p->Handle(), GWL_STYLE) & WS_BORDER);
    GetClientRect(p->Handle(), &client);
    EXPECT_EQ(client.right, 98);
}

TEST_F(QorvPanelTest, ANewColourRepaintsTheMarginStripButNotABevelOnlyFrame) {
    TQorvPanel* margins = NewPanel(Form, Form, {10, 10, 110, 60});
    margins->SetBorderStyle(TBorderStyle::bsNone);
    margins->Margins().SetLeft(6);
    TQorvPanel* bevels = NewPanel(Form, Form, {10, 100, 110, 150});
    bevels->SetBorderStyle(TBorderStyle::bsNone);
    bevels->SetBevelKind(TBevelKind::bkTile);
    bevels->SetBevelEdges(beBottom);
    bevels->SetBevelOffset(3); // filled with the colour, outside the bevels
    const COLORREF before = RGB(200, 10, 10), after = RGB(10, 10, 200);
    margins->SetColor(before);
    bevels->SetColor(before);
    Pump();
    // A bevel-only frame keeps its old colour until painted again: paint it.
    RedrawWindow(bevels->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_EQ(WindowPixel(margins->Handle(), 2, 20), before);
    ASSERT_EQ(WindowPixel(bevels->Handle(), 50, 49), before);

    margins->SetColor(after);
    bevels->SetColor(after);
    Pump();
    EXPECT_EQ(WindowPixel(margins->Handle(), 2, 20), after);
    EXPECT_EQ(WindowPixel(margins->Handle(), 30, 20), after); // client
    EXPECT_EQ(WindowPixel(bevels->Handle(), 50, 49), before);
    EXPECT_EQ(WindowPixel(bevels->Handle(), 50, 20), after); // client
    // Its frame shows the new colour when it is next painted.
    RedrawWindow(bevels->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(WindowPixel(bevels->Handle(), 50, 49), after);
}

// Fills the whole window, frame included, with a colour no drawing uses.
void Mark(HWND wnd, COLORREF colour) {
    RECT r;
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    HDC dc = GetWindowDC(wnd);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    ReleaseDC(wnd, dc);
}

TEST_F(QorvPanelTest, DisablingRedrawsOnlyTheThemedRingAtOnceUnlessDisableBordersIsOff) {
    if (!ThemesEnabled())
        GTEST_SKIP() << "no visual style";
    const int w = 100, h = 50;
    TQorvPanel* on = NewPanel(Form, Form, {10, 10, 10 + w, 10 + h});
    TQorvPanel* off = NewPanel(Form, Form, {10, 100, 10 + w, 100 + h});
    off->SetDisableBorders(false);
    Pump();
    EXPECT_EQ(WindowRing(on->Handle(), w, h), ThemedRing(on->Handle(), 2, w, h));
    const auto disabled = ThemedRing(on->Handle(), 4, w, h);

    // Read before any message runs: the change itself redraws the ring and
    // nothing inside it.
    const COLORREF marker = RGB(255, 0, 255);
    Mark(on->Handle(), marker);
    Mark(off->Handle(), marker);
    on->SetEnabled(false);
    off->SetEnabled(false);
    EXPECT_EQ(WindowRing(on->Handle(), w, h), disabled);
    EXPECT_EQ(WindowPixel(on->Handle(), 2, 2), marker);
    EXPECT_EQ(WindowPixel(on->Handle(), 50, 25), marker);
    EXPECT_EQ(WindowRing(off->Handle(), w, h), std::vector<COLORREF>(disabled.size(), marker));
    Pump();
    EXPECT_EQ(WindowRing(on->Handle(), w, h), disabled);
    EXPECT_NE(WindowPixel(on->Handle(), 50, 25), marker);
}

TEST_F(QorvPanelTest, TransparentPanelShowsTheWindowedSiblingBelowItAndNotTheOneAbove) {
    auto* back = new TWinControl(Form);
    back->SetBounds(0, 0, 200, 200);
    back->SetColor(RGB(255, 255, 255));
    back->SetParent(Form);
    auto* below = new TWinControl(Form);
    below->SetBounds(10, 10, 40, 40);
    below->SetColor(RGB(220, 0, 0));
    below->SetParent(back);
    TQorvPanel* glass = NewPanel(Form, back, {0, 0, 150, 150});
    glass->SetBorderStyle(TBorderStyle::bsNone);
    glass->SetColor(RGB(0, 220, 0));
    auto* above = new TWinControl(Form);
    above->SetBounds(80, 80, 40, 40);
    above->SetColor(RGB(0, 0, 220));
    above->SetParent(back);
    SetWindowPos(below->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(above->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    glass->SetTransparent(true);
    EXPECT_TRUE(glass->ParentBackground());
    EXPECT_TRUE(glass->ControlStyle() & csParentBackground);
    EXPECT_FALSE(glass->ControlStyle() & csOpaque);
    Pump();
    RedrawWindow(glass->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    EXPECT_EQ(WindowPixel(glass->Handle(), 20, 20), RGB(220, 0, 0));
    EXPECT_EQ(WindowPixel(glass->Handle(), 60, 20), RGB(255, 255, 255));
    // What the panel paints where the upper sibling lies: the parent, not
    // the sibling (which shows there on screen only because it is on top).
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 150, 150);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageA(glass->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
    EXPECT_EQ(GetPixel(mem, 90, 90), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mem, 20, 20), RGB(220, 0, 0));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);

    // Not transparent any more: its own colour.
    glass->SetParentBackground(false);
    EXPECT_FALSE(glass->Transparent());
    EXPECT_TRUE(glass->ControlStyle() & csOpaque);
    Pump();
    EXPECT_EQ(WindowPixel(glass->Handle(), 20, 20), RGB(0, 220, 0));
}

TEST_F(QorvPanelTest, ParentBackgroundUnderTheVisualStyleShowsTheParentsBackground) {
    if (!ThemesEnabled())
        GTEST_SKIP() << "no visual style";
    auto* back = new TWinControl(Form);
    back->SetBounds(0, 0, 200, 200);
    back->SetColor(RGB(30, 60, 90));
    back->SetParent(Form);
    TQorvPanel* p = NewPanel(Form, back, {20, 20, 120, 80});
    p->SetBorderStyle(TBorderStyle::bsNone);
    p->SetColor(RGB(200, 0, 0));
    p->SetParentBackground(true);
    EXPECT_FALSE(p->Transparent());
    Pump();
    Mark(p->Handle(), RGB(255, 0, 255)); // what the screen held before
    RedrawWindow(p->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(WindowPixel(p->Handle(), 50, 30), RGB(30, 60, 90));
    // Without the style the panel keeps to its own colour.
    SetThemeAppProperties(0);
    RedrawWindow(p->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(WindowPixel(p->Handle(), 50, 30), RGB(200, 0, 0));
}

bool HasUpdate(TWinControl& c) {
    return GetUpdateRect(c.Handle(), nullptr, FALSE) != 0;
}

TEST_F(QorvPanelTest, NewDefaultStylesRepaintTheControlsFormsOwnAndNoOthers) {
    TQorvPanel* direct = NewPanel(Form, Form, {10, 10, 60, 60});
    auto* holder = new TComponent(Form);
    TQorvPanel* nested = NewPanel(holder, Form, {100, 10, 150, 60});
    Pump();
    ASSERT_FALSE(HasUpdate(*direct));
    ASSERT_FALSE(HasUpdate(*nested));

    auto* styles = new TQorvStyles(Form);
    styles->SetDefault(true);
    EXPECT_TRUE(styles->Default());
    EXPECT_EQ(DefaultStyles(), styles);
    EXPECT_TRUE(HasUpdate(*direct));
    EXPECT_FALSE(HasUpdate(*nested));
    Pump();

    // Default False read from form data on another style component: no default.
    auto* other = new TQorvStyles(Form);
    TFormValue no;
    no.Kind = TValueKind::Ident;
    no.Str = "False";
    TFormFixups fixups(*Form, TMethodTable{});
    other->ClassInfo().FindProp("Default")->Apply(*other, no, fixups);
    EXPECT_EQ(DefaultStyles(), nullptr);
    EXPECT_FALSE(styles->Default());
    EXPECT_TRUE(HasUpdate(*direct));

    styles->SetDefault(true);
    delete styles;
    EXPECT_EQ(DefaultStyles(), nullptr);
}

TEST_F(QorvPanelTest, LinkedStylesAreDroppedWhenDestroyedAndMouseEnterAndLeaveAreRaised) {
    TQorvPanel* p = NewPanel(Form, Form, {10, 10, 60, 60});
    auto* styles = new TQorvStyles(Form);
    p->SetStyles(styles);
    delete styles;
    EXPECT_EQ(p->Styles(), nullptr);

    int enters = 0, leaves = 0;
    p->SetOnMouseEnter([&](TObject* s) { enters += s == p; });
    p->SetOnMouseLeave([&](TObject* s) { leaves += s == p; });
    Pump();
    SendMessageA(p->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(p->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_EQ(enters, 1);
    SendMessageA(p->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(leaves, 1);
}

TEST_F(QorvPanelTest, AnEmptyAutoSizedPanelTakesTheDockedControlsSizeFromItsAlignedEdge) {
    TQorvPanel* bottom = NewPanel(Form, Form, {0, 200, 400, 200});
    bottom->SetAlign(TAlign::alBottom);
    bottom->SetAutoSize(true);
    const int bottomEdge = bottom->Top() + bottom->Height();
    auto* client = new TWinControl(Form);
    client->SetBounds(0, 0, 80, 30);
    bottom->DockClient(client);
    EXPECT_EQ(client->Parent(), bottom);
    EXPECT_EQ(bottom->Height(), 30);
    EXPECT_EQ(bottom->Top() + bottom->Height(), bottomEdge);

    // Not auto-sized: the dock leaves the panel's size alone.
    TQorvPanel* plain = NewPanel(Form, Form, {0, 0, 400, 0});
    plain->SetAlign(TAlign::alTop);
    auto* other = new TWinControl(Form);
    other->SetBounds(0, 0, 80, 30);
    plain->DockClient(other);
    EXPECT_EQ(other->Parent(), plain);
    EXPECT_EQ(plain->Height(), 0);
    // Unlocked panels may float as tool windows; locked ones may not.
    EXPECT_TRUE(plain->IsToolControl());
    plain->SetLocked(true);
    EXPECT_FALSE(plain->IsToolControl());
}

} // namespace
