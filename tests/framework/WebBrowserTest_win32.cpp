// Calls posted to the message loop, and the platform's web browser control
// hosted in a window of ours, under whatever HTML engine the system has.
#include <gtest/gtest.h>

#include <chrono>

#include "framework/PostedCalls_win32.h"
#include "framework/SysUtils_win32.h"
#include "framework/WebBrowser_win32.h"

namespace {

// Stands in for the application: counts what reaches the error box.
class TRecordingHost : public TControlHost {
public:
    TRecordingHost() : FPrevious(ControlHost()) { SetControlHost(this); }
    ~TRecordingHost() { SetControlHost(FPrevious); }
    void HandleException(TObject*) override {
        try {
            throw;
        } catch (const std::exception& e) {
            Messages.push_back(e.what());
        }
    }
    HWND PopupOwner() override { return nullptr; }
    std::vector<std::string> Messages;

private:
    TControlHost* FPrevious;
};

void PumpFor(std::chrono::milliseconds time, const std::function<bool()>& done = {}) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end && !(done && done())) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

TEST(PostedCalls, RunInOrderFromTheLoopAndNeverAfterTheirOwnerIsGone) {
    TRecordingHost host;
    std::vector<int> ran;
    TPostedCalls calls;
    calls.Post([&] { ran.push_back(1); });
    calls.Post([&] { throw Exception("second failed"); });
    calls.Post([&] { ran.push_back(3); });
    {
        TPostedCalls gone;
        gone.Post([&] { ran.push_back(99); });
    }
    TPostedCalls cancelled;
    cancelled.Post([&] { ran.push_back(98); });
    cancelled.Cancel();
    EXPECT_TRUE(ran.empty()); // nothing runs inside Post
    EXPECT_EQ(calls.Pending(), 3);

    PumpFor(std::chrono::milliseconds(200), [&] { return calls.Pending() == 0; });
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
    EXPECT_EQ(host.Messages, std::vector<std::string>{"second failed"});
}

// Under Wine without its HTML engine the control is made and hosted but no
// page completes and it answers no command; on Windows "about:blank"
// completes and the commands answer. Either way nothing reaches the error
// box, failures raise naming what failed, and every reference the control
// took on our site is given back.
TEST(WebBrowser, IsHostedAndGoneWithoutAnErrorBoxOrALeftReference) {
    TRecordingHost host;
    ASSERT_EQ(TWebBrowser::SitesAlive(), 0);
    {
        TWinControl window(nullptr);
        window.SetBounds(10, 10, 320, 240);
        auto* browser = new TWebBrowser(&window);
        browser->SetParent(&window);
        browser->SetBounds(0, 40, 100, 100);
        window.HandleNeeded();

        std::vector<std::string> completed;
        browser->SetOnNavigateComplete2([&](TObject* sender, IDispatch*, const std::string& url) {
            EXPECT_EQ(sender, browser);
            completed.push_back(url);
        });
        // Made from the loop, not inside Navigate.
        browser->Navigate("about:blank");
        EXPECT_EQ(browser->DefaultInterface(), nullptr);
        PumpFor(std::chrono::milliseconds(1500), [&] { return !completed.empty(); });
        ASSERT_NE(browser->DefaultInterface(), nullptr) << testing::PrintToString(host.Messages);
        EXPECT_TRUE(host.Messages.empty()) << host.Messages.front();

        RECT r{};
        HWND inner = GetWindow(browser->Handle(), GW_CHILD);
        if (inner) { // the control's own window fills ours
            GetClientRect(inner, &r);
            EXPECT_EQ(r.right, 100);
            EXPECT_EQ(r.bottom, 100);
        }

        for (int cmd : {hcPrint, hcPrintPreview}) {
            try {
                const uint32_t status = browser->QueryStatusWB(cmd);
                EXPECT_EQ(status & ~0x3Fu, 0u);
                std::printf("QueryStatusWB(%d) = %u\n", cmd, static_cast<unsigned>(status));
            } catch (const EOSError& e) {
                EXPECT_NE(e.Message().find("The web browser cannot tell the state of the print"),
                          std::string::npos)
                    << e.Message();
                EXPECT_NE(e.Message().find("IWebBrowser2.QueryStatusWB failed with error 0x"),
                          std::string::npos)
                    << e.Message();
                std::printf("QueryStatusWB(%d): %s\n", cmd, e.Message().c_str());
            }
        }
        if (completed.empty()) {
            // Nothing loaded: no command may run (with the prompt it would
            // wait on a dialog), and asking must fail rather than hang.
            EXPECT_THROW(browser->ExecWB(hcPrint, hoDontPrompt), EOSError);
        }
        std::printf("about:blank completed: %s\n", completed.empty() ? "no" : "yes");
        EXPECT_GT(TWebBrowser::SitesAlive(), 0);
    }
    EXPECT_EQ(TWebBrowser::SitesAlive(), 0);
    EXPECT_TRUE(host.Messages.empty());
}

} // namespace
