// The About window opened by the main window's About action, looked at and
// driven while its modal loop runs.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "about/formAbout_win32.h"
#include "tests/app/MainFormHarness_win32.h"
#include "tests/tools/ShellLog_win32.h"

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

void RunAbout(TMainFormHarness& h, std::vector<std::function<void(TAboutForm&)>> steps) {
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

} // namespace
