// The About window opened by the main window's About action, looked at and
// driven while its modal loop runs.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "about/formAbout_win32.h"
#include "framework/Classes.h"
#include "framework/Gdi_win32.h"
#include "png/QorvFormatPNG.h"
#include "tests/app/MainFormHarness_win32.h"
#include "tests/tools/ShellLog_win32.h"
#include "tests/tools/WindowOrigin_win32.h"

using ::testing::ElementsAre;

namespace {

std::string LicensePath() {
    char path[MAX_PATH];
    const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of('\\') + 1) + "License.txt";
}

void PutLicense(bool present) {
    if (present)
        std::ofstream(LicensePath()) << "licence\r\n";
    else
        DeleteFileA(LicensePath().c_str());
}

TAboutForm* OpenAboutForm() {
    for (TCustomForm* f : Screen().Forms())
        if (auto* about = dynamic_cast<TAboutForm*>(f); about && about->Showing())
            return about;
    return nullptr;
}

// Runs the About action; `steps` are called one after the other from inside
// the window's modal loop (one per timer tick) with the window shown. The
// last step is expected to close it.
std::function<void(TAboutForm&)>* g_step = nullptr;
int g_ticks = 0;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (TAboutForm* about = OpenAboutForm(); about && g_step && *g_step) {
        auto step = std::exchange(*g_step, nullptr);
        step(*about);
    }
    if (++g_ticks > 200) // a window that never closes fails instead of hanging
        if (TAboutForm* about = OpenAboutForm())
            about->SetModalResult(mrCancel);
}

void RunAbout(TMainFormHarness& h, std::vector<std::function<void(TAboutForm&)>> steps,
              const char* keys = nullptr) {
    size_t next = 0;
    std::function<void(TAboutForm&)> current;
    std::function<void(TAboutForm&)> chain = [&](TAboutForm& form) {
        steps[next++](form);
        if (next < steps.size())
            current = chain;
    };
    current = chain;
    g_step = &current;
    g_ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, Tick);
    if (keys)
        h.Press(keys);
    else
        h.Form().atAbout->Execute();
    KillTimer(nullptr, timer);
    g_step = nullptr;
    EXPECT_EQ(next, steps.size()) << "the window closed early";
    EXPECT_LT(g_ticks, 200) << "the window did not close";
    EXPECT_EQ(OpenAboutForm(), nullptr);
}

void PressKey(TAboutForm& form, WORD key) {
    // Through the message queue, as the keyboard delivers it.
    HWND focus = GetFocus() ? GetFocus() : form.Handle();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

// A picture's pixels as the device showed them.
struct TPixels {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Bits; // 0x00RRGGBB, top row first

    COLORREF At(int x, int y) const {
        const uint32_t c = Bits[size_t(y) * Width + x];
        return RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
    }
};

// What `draw` leaves in a bitmap compatible with `like`: the window's own
// pixels and the reference pass through the same device format.
TPixels Drawn(HDC like, int width, int height, const std::function<void(HDC)>& draw) {
    TMemoryDC mem(like);
    TBitmapHandle bitmap(CreateCompatibleBitmap(like, width, height));
    {
        TSelectObject select(mem.Get(), bitmap.Get());
        draw(mem.Get());
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    TPixels p{width, height, std::vector<uint32_t>(size_t(width) * height)};
    EXPECT_EQ(GetDIBits(mem.Get(), bitmap.Get(), 0, height, p.Bits.data(), &info, DIB_RGB_COLORS),
              height);
    return p;
}

// The whole window, frame included, as it shows now (pending paints done).
TPixels WindowPixels(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(wnd, &r);
    TWindowDC dc(wnd);
    return Drawn(dc.Get(), r.right - r.left, r.bottom - r.top, [&](HDC mem) {
        BitBlt(mem, 0, 0, r.right - r.left, r.bottom - r.top, dc.Get(), 0, 0, SRCCOPY);
    });
}

std::vector<uint8_t> ArtworkFile() {
    std::ifstream in(QORV_ABOUT_PNG, std::ios::binary);
    EXPECT_TRUE(in) << QORV_ABOUT_PNG;
    return {std::istreambuf_iterator<char>(in), {}};
}

// The same file without its gamma chunk: what a picture that ignored the
// gamma would show.
std::vector<uint8_t> WithoutGamma(std::vector<uint8_t> file) {
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = uint32_t(file[at]) << 24 | uint32_t(file[at + 1]) << 16 |
                                uint32_t(file[at + 2]) << 8 | file[at + 3];
        if (length > file.size() - at - 12)
            break;
        if (std::string(file.begin() + at + 4, file.begin() + at + 8) == "gAMA")
            file.erase(file.begin() + at, file.begin() + at + 12 + length);
        else
            at += 12 + length;
    }
    return file;
}

// The artwork as the PNG unit draws it at full size, unscaled from the
// top-left corner, as the picture control does.
TPixels Artwork(HDC like, const std::vector<uint8_t>& file) {
    TQorvPNGObject png;
    TReadOnlyMemoryStream stream(file.data(), file.size());
    png.LoadFromStream(stream);
    return Drawn(like, png.Width(), png.Height(), [&](HDC mem) {
        TCanvas canvas(mem);
        png.PaintTo(canvas, TRect{0, 0, png.Width(), png.Height()});
    });
}

// A client pixel no control but the background picture covers.
bool Uncovered(TAboutForm& f, int x, int y) {
    for (TControl* c : f.Controls()) {
        const TRect r = c->BoundsRect();
        if (c != f.imBackground && x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
            return false;
    }
    return true;
}

// The pointer moved as a user moves it: the cursor goes there and the window
// gets the move through its queue.
void PointAt(TAboutForm& f, POINT client) {
    POINT screen = client;
    ClientToScreen(f.Handle(), &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(f.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
}

POINT Middle(const TControl& c) {
    return {c.Left() + c.Width() / 2, c.Top() + c.Height() / 2};
}

// Which of the link colours a control's pixels show: "blue", "red",
// "purple", or "none" and "mixed".
std::string ShownLinkColour(TAboutForm& f, const TControl& link) {
    const TPixels shown = WindowPixels(f.Handle());
    const POINT origin = ClientOrigin(f.Handle());
    const std::pair<COLORREF, const char*> inks[] = {
        {RGB(0, 0, 255), "blue"}, {RGB(255, 0, 0), "red"}, {RGB(128, 0, 128), "purple"}};
    std::string seen = "none";
    for (int y = link.Top(); y < link.Top() + link.Height(); ++y)
        for (int x = link.Left(); x < link.Left() + link.Width(); ++x)
            for (const auto& [colour, name] : inks)
                if (shown.At(origin.x + x, origin.y + y) == colour && seen != name)
                    seen = seen == "none" ? name : "mixed";
    return seen;
}

TEST(AboutWindow, ShowsTheVersionAndClosesWithEnterButNotEscape) {
    PutLicense(true);
    TMainFormHarness h;
    h.Form().Show();
    h.Pump();
    RunAbout(h,
             {
                 [&](TAboutForm& f) {
                     EXPECT_EQ(f.CheckBindings(), std::vector<std::string>{});
                     EXPECT_EQ(f.edVersion->Caption(), "R1 -- 1.0.0.26");
                     EXPECT_TRUE(f.btLicense->Enabled());
                     EXPECT_EQ(f.ClientWidth(), 458);
                     EXPECT_EQ(f.ClientHeight(), 301);
                     RECT main, about;
                     GetWindowRect(h.Form().Handle(), &main);
                     GetWindowRect(f.Handle(), &about);
                     EXPECT_NEAR((about.left + about.right) / 2, (main.left + main.right) / 2, 1);
                     EXPECT_NEAR((about.top + about.bottom) / 2, (main.top + main.bottom) / 2, 1);
                     EXPECT_FALSE(IsWindowEnabled(h.Form().Handle())) << "modal";
                     PressKey(f, VK_ESCAPE);
                 },
                 [&](TAboutForm& f) {
                     EXPECT_TRUE(f.Showing()) << "Escape must not close it";
                     PressKey(f, VK_RETURN);
                 },
             });
    EXPECT_TRUE(IsWindowEnabled(h.Form().Handle()));
}

TEST(AboutWindow, F1OpensItFromTheKeyboard) {
    TMainFormHarness h;
    SetFocus(h.Form().mmDescription->Handle());
    h.Pump();
    bool shown = false;
    RunAbout(h, {[&](TAboutForm& f) {
                 shown = true;
                 EXPECT_FALSE(IsWindowEnabled(h.Form().Handle())) << "modal";
                 PressKey(f, VK_RETURN);
             }},
             "F1");
    EXPECT_TRUE(shown);
    EXPECT_EQ(h.Status(), "");
}

TEST(AboutWindow, LicenseButtonFollowsTheFileAndOpensItWithTheShell) {
    TMainFormHarness h;
    h.Form().Show();
    h.Pump();
    TShellLog shell;
    PutLicense(true);
    RunAbout(h, {[&](TAboutForm& f) {
                     f.btLicense->Click();
                     EXPECT_THAT(shell.Lines(1), ElementsAre(::testing::EndsWith("License.txt")));
                 },
                 [&](TAboutForm& f) {
                     EXPECT_TRUE(f.Showing()) << "the window stays open";
                     EXPECT_FALSE(IsWindowEnabled(h.Form().Handle()));
                     f.btOK->Click();
                 }});
    PutLicense(false);
    RunAbout(h, {[&](TAboutForm& f) {
                 EXPECT_FALSE(f.btLicense->Enabled());
                 f.btOK->Click();
             }});
    PutLicense(true);
    RunAbout(h, {[&](TAboutForm& f) {
                 EXPECT_TRUE(f.btLicense->Enabled());
                 EXPECT_EQ(f.edProductHomepage->URL(), "http://www.drovanex.com/vantrel/");
                 EXPECT_EQ(f.edDrovanexMail->URL(), "mailto:support@drovanex.com");
                 // A user's click on the sized link: the shell gets its address.
                 TQorvHyperlinkLabel& link = *f.edDrovanexHomepage;
                 ASSERT_GT(link.Width(), 0);
                 const LPARAM at =
                     MAKELPARAM(link.Left() + link.Width() / 2, link.Top() + link.Height() / 2);
                 shell.Clear();
                 SendMessageA(f.Handle(), WM_MOUSEMOVE, 0, at);
                 SendMessageA(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
                 SendMessageA(f.Handle(), WM_LBUTTONUP, 0, at);
                 EXPECT_THAT(shell.Lines(1), ElementsAre("http://www.drovanex.com/"));
                 EXPECT_TRUE(link.Visited());
                 EXPECT_TRUE(f.Showing());
                 f.btOK->Click();
             }});
}

// The open window against the artwork as the PNG unit draws it. Both go
// through bitmaps of the window's own device format, so on any display the
// colours must agree exactly; the tests' display is true colour, where the
// gamma's one-step changes survive.
void ExpectShowsTheArtwork(TAboutForm& f) {
    const TPixels shown = WindowPixels(f.Handle());
    TWindowDC dc(f.Handle());
    const TPixels art = Artwork(dc.Get(), ArtworkFile());
    const TPixels plain = Artwork(dc.Get(), WithoutGamma(ArtworkFile()));
    ASSERT_EQ(art.Width, 458);
    ASSERT_EQ(art.Height, 358);
    EXPECT_EQ(art.At(50, 200), RGB(255, 255, 255)) << "the white strip";

    // One black line round 458 x 301 pixels of picture: the window ends
    // right under the picture's row 300.
    ASSERT_EQ(shown.Width, 460);
    ASSERT_EQ(shown.Height, 303);
    const POINT origin = ClientOrigin(f.Handle());
    EXPECT_EQ(origin.x, 1);
    EXPECT_EQ(origin.y, 1);
    int frameWrong = 0;
    for (int x = 0; x < shown.Width; ++x)
        for (int y = 0; y < shown.Height; ++y)
            if ((x == 0 || y == 0 || x == shown.Width - 1 || y == shown.Height - 1) &&
                shown.At(x, y) != RGB(0, 0, 0))
                ++frameWrong;
    EXPECT_EQ(frameWrong, 0) << "frame pixels not black";

    // Everywhere the picture shows through, exactly the picture. The gamma
    // moves mid-tones (the title band's blues) by a step, and the hidden
    // rows below are grey: where these differ, the comparison tells a
    // picture shown without gamma, or shifted, or cut elsewhere.
    int compared = 0, gammaTells = 0, lastRowTells = 0, wrong = 0;
    std::string firstWrong;
    for (int y = 0; y < 301; ++y)
        for (int x = 0; x < 458; ++x) {
            if (!Uncovered(f, x, y))
                continue;
            ++compared;
            gammaTells += art.At(x, y) != plain.At(x, y);
            lastRowTells += y == 300 && art.At(x, y) != art.At(x, y + 1);
            const COLORREF seen = shown.At(origin.x + x, origin.y + y);
            if (seen != art.At(x, y) && wrong++ == 0)
                firstWrong = "first at " + std::to_string(x) + "," + std::to_string(y) + ": " +
                             std::to_string(seen) + " instead of " + std::to_string(art.At(x, y));
        }
    EXPECT_EQ(wrong, 0) << firstWrong;
    EXPECT_GT(compared, 458 * 301 / 2) << "most of the picture shows";
    EXPECT_GT(gammaTells, 1000);
    EXPECT_GT(lastRowTells, 400);
}

TEST(AboutWindow, ShowsTheArtworkWithGammaInsideItsBlackFrameCutBelowRow300) {
    TMainFormHarness h;
    h.Form().Show();
    h.Pump();
    RunAbout(h, {[&](TAboutForm& f) {
                 ExpectShowsTheArtwork(f);
                 f.btOK->Click();
             }});
}

TEST(AboutWindow, LinksTurnRedUnderThePointerAndPurpleOnceClicked) {
    TMainFormHarness h;
    h.Form().Show();
    h.Pump();
    TShellLog shell;
    POINT cursor;
    GetCursorPos(&cursor);
    const POINT away{400, 250}; // the picture, clear of every control
    std::vector<std::function<void(TAboutForm&)>> steps;
    for (TQorvHyperlinkLabel* TAboutForm::*field :
         {&TAboutForm::edProductHomepage, &TAboutForm::edDrovanexHomepage,
          &TAboutForm::edDrovanexMail}) {
        steps.push_back([=](TAboutForm& f) {
            ASSERT_TRUE(Uncovered(f, away.x, away.y));
            EXPECT_EQ(ShownLinkColour(f, *(f.*field)), "blue") << (f.*field)->Name();
            PointAt(f, Middle(*(f.*field)));
        });
        steps.push_back([=](TAboutForm& f) {
            TQorvHyperlinkLabel& link = *(f.*field);
            EXPECT_TRUE(link.Hover()) << link.Name();
            EXPECT_EQ(ShownLinkColour(f, link), "red") << link.Name();
            PointAt(f, away);
        });
        steps.push_back([=, &shell](TAboutForm& f) {
            TQorvHyperlinkLabel& link = *(f.*field);
            EXPECT_FALSE(link.Hover()) << link.Name();
            EXPECT_EQ(ShownLinkColour(f, link), "blue") << link.Name() << " before the click";
            shell.Clear();
            const POINT at = Middle(link);
            PointAt(f, at);
            PostMessageA(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            PostMessageA(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        });
        steps.push_back([=, &shell](TAboutForm& f) {
            TQorvHyperlinkLabel& link = *(f.*field);
            EXPECT_THAT(shell.Lines(1), ElementsAre(link.URL()));
            EXPECT_TRUE(link.Visited()) << link.Name();
            EXPECT_EQ(ShownLinkColour(f, link), "red") << link.Name() << ": hover wins";
            PointAt(f, away);
        });
        steps.push_back([=](TAboutForm& f) {
            TQorvHyperlinkLabel& link = *(f.*field);
            EXPECT_EQ(ShownLinkColour(f, link), "purple") << link.Name();
        });
    }
    steps.push_back([](TAboutForm& f) { f.btOK->Click(); });
    RunAbout(h, steps);
    SetCursorPos(cursor.x, cursor.y);
}

} // namespace

namespace {

RECT g_shown;

LRESULT CALLBACK NoteActivated(int code, WPARAM wParam, LPARAM lParam) {
    char cls[32] = {};
    if (code == HCBT_ACTIVATE && GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof cls) &&
        std::string(cls) == "#32770")
        GetWindowRect(reinterpret_cast<HWND>(wParam), &g_shown);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

// The main window dragged low and left, its caption still on the screen:
// About, centred on it, would hang below and left of the screen with no edge
// to take it by, over a main window it has disabled.
TEST(AboutWindow, OpensWhollyOnTheWorkAreaOverAMainWindowDraggedAside) {
    TMainFormHarness h;
    HWND main = h.Form().Handle();
    const RECT work = WorkAreaOf(main);
    for (const POINT at :
         {POINT{work.left + 100, work.bottom - 60}, POINT{work.left - 400, work.top + 50}}) {
        SCOPED_TRACE(at.x);
        SetWindowPos(main, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        h.Pump();
        RunAbout(h, {[&](TAboutForm& f) {
                     RECT about;
                     GetWindowRect(f.Handle(), &about);
                     EXPECT_TRUE(Inside(about, work)) << about.left << "," << about.top << " - "
                                                      << about.right << "," << about.bottom;
                     f.SetModalResult(mrOk);
                 }});
    }
}

// The program's error box over the same main window.
TEST(AboutWindow, AnErrorBoxOpensOnTheWorkAreaToo) {
    TMainFormHarness h;
    HWND main = h.Form().Handle();
    const RECT work = WorkAreaOf(main);
    SetWindowPos(main, nullptr, work.left + 100, work.bottom - 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    h.Pump();
    g_shown = {};
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteActivated, nullptr, GetCurrentThreadId());
    h.Form().ApplicationEventsException(nullptr, Exception("a failure"));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(h.TakeErrorBoxes().size(), 1u);
    EXPECT_TRUE(Inside(g_shown, work)) << g_shown.left << "," << g_shown.top;
}

// Where "MS Sans Serif" is missing a wider face takes its place: a caption
// that grows into its value pushes the value aside; the others keep their
// places.
TEST(AboutWindow, AValueMovesAsideForACaptionThatWouldRunIntoIt) {
    TMainFormHarness h;
    RunAbout(h, {[&](TAboutForm& f) {
                 const std::pair<TLabel*, TLabel*> rows[] = {
                     {f.lbVersion, f.edVersion},
                     {f.lbProductHomepage, f.edProductHomepage},
                     {f.lbDrovanexHomepage, f.edDrovanexHomepage},
                     {f.lbDrovanexMail, f.edDrovanexMail}};
                 const int designed[] = {162, 217, 224, 192};
                 for (size_t i = 0; i < 4; ++i) {
                     EXPECT_EQ(rows[i].second->Left(), designed[i]);
                     EXPECT_LT(rows[i].first->Left() + rows[i].first->Width(), designed[i]);
                 }
                 f.lbProductHomepage->SetCaption("Product homepage (wider face):");
                 const int right = f.lbProductHomepage->Left() + f.lbProductHomepage->Width();
                 EXPECT_GT(right, 217);
                 EXPECT_GT(f.edProductHomepage->Left(), right);
                 EXPECT_LE(f.edProductHomepage->Left(), right + 6);
                 EXPECT_EQ(f.edVersion->Left(), 162);
                 EXPECT_EQ(f.edDrovanexHomepage->Left(), 224);
                 EXPECT_EQ(f.edDrovanexMail->Left(), 192);
                 f.SetModalResult(mrOk);
             }});
}
