// Print and print preview on the real main window, through a test view put
// in place of the embedded HTML view; and which view the start-up chooses.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "app/ErrorExport.h"
#include "app/unitHtmlView_win32.h"
#include "app/unitOSInfo.h"
#include "framework/PostedCalls_win32.h"
#include "framework/WebBrowser_win32.h"
#include "tests/app/MainFormHarness_win32.h"

namespace {

// How the next test view behaves: the status bits it answers, whether it
// completes each navigation by itself, and whether its commands fail.
struct TViewScript {
    std::map<int, uint32_t> Status{{hcPrint, 3}, {hcPrintPreview, 3}};
    bool CompleteAtOnce = true;
    bool FailExec = false;
};

// Records every call; completes navigations from the message loop, only the
// latest one (as the platform's control does), when told or at once.
class TTestView : public TGraphicControl, public IHtmlView {
    QORV_COMPONENT_CLASS
public:
    explicit TTestView(TComponent* owner) : TGraphicControl(owner) {}
    static inline TTestView* Last = nullptr;
    static inline TViewScript Script;

    void Paint(HDC) override {}
    void Navigate(const std::string& url) override {
        Calls.push_back("Navigate " + url);
        FLoading = url;
        if (Script.CompleteAtOnce)
            Complete();
    }
    void Complete() {
        FCalls.Cancel();
        FCalls.Post([this, url = FLoading] {
            if (TNavigateComplete2Event handler = FOnComplete)
                handler(this, nullptr, url);
        });
    }
    uint32_t QueryStatusWB(int cmd) override {
        Calls.push_back("QueryStatusWB " + std::to_string(cmd));
        return Script.Status[cmd];
    }
    void ExecWB(int cmd, int option) override {
        Calls.push_back("ExecWB " + std::to_string(cmd) + " " + std::to_string(option));
        if (Script.FailExec)
            throw Exception("The test view refuses command " + std::to_string(cmd) + ".");
    }
    std::vector<std::string> TakeCalls() { return std::exchange(Calls, {}); }

    std::vector<std::string> Calls;

private:
    TPostedCalls FCalls;
    std::string FLoading;
};

const TClassInfo& TTestView::StaticClass() {
    static const TClassInfo info{"TTestView", &TGraphicControl::StaticClass(),
                                 CreateComponent<TTestView>, HtmlViewProps()};
    return info;
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The main window over a test view, with the temporary folder moved to a
// folder of the test's own that starts empty.
class PrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        FSavedTmp = base;
        FFolder = std::string(base) + "qorv-print-test\\";
        CreateDirectoryA(FFolder.c_str(), nullptr);
        for (const std::string& name : PageFiles())
            DeleteFileA((FFolder + name).c_str());
        SetEnvironmentVariableA("TMP", FFolder.c_str());
        TTestView::Script = {};
    }
    void TearDown() override {
        FHarness.reset();
        SetEnvironmentVariableA("TMP", FSavedTmp.c_str());
    }
    TMainFormHarness& Start() {
        FHarness.reset(); // one program at a time
        FHarness = std::make_unique<TMainFormHarness>(
            nullptr, [](TComponent* owner) { return TTestView::Last = new TTestView(owner); });
        FHarness->Pump();
        return *FHarness;
    }
    TTestView& View() { return *TTestView::Last; }
    // Names of the program's files in the temporary folder.
    std::vector<std::string> PageFiles() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((FFolder + "KVZ*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                names.push_back(found.cFileName);
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        return names;
    }
    void Click(TToolButton* button) {
        ClickToolButton(*button);
        FHarness->Pump();
    }

    std::string FFolder, FSavedTmp;
    std::unique_ptr<TMainFormHarness> FHarness;
};

TEST_F(PrintTest, EachButtonIsEnabledExactlyWhenItsCommandIsSupportedAndEnabled) {
    for (const auto& [print, preview] : {std::pair{3u, 0u}, {1u, 3u}, {2u, 7u}, {0u, 1u}}) {
        TTestView::Script.Status = {{hcPrint, print}, {hcPrintPreview, preview}};
        TMainFormHarness& h = Start();
        EXPECT_EQ(View().TakeCalls(),
                  (std::vector<std::string>{"Navigate about:blank", "QueryStatusWB 6",
                                            "QueryStatusWB 7"}));
        TMainForm& f = h.Form();
        EXPECT_EQ(f.tbPrint->Enabled(), print == 3) << print;
        EXPECT_EQ(f.tbPrintPreview->Enabled(), (preview & 3) == 3) << preview;
        // The buttons, not the actions; and the check leaves the status alone.
        EXPECT_TRUE(f.atPrint->Enabled());
        EXPECT_TRUE(f.atPrintPreview->Enabled());
        EXPECT_EQ(h.Status(), "");
        // A disabled button cannot start its request, nor can its shortcut.
        for (const auto& [button, keys] :
             {std::pair{f.tbPrint, "Ctrl+P"}, {f.tbPrintPreview, "Ctrl+F2"}})
            if (!button->Enabled()) {
                Click(button);
                h.Press(keys);
            }
        EXPECT_EQ(View().TakeCalls(), std::vector<std::string>{});
        EXPECT_EQ(h.Status(), "");
        EXPECT_TRUE(h.TakeErrorBoxes().empty());
    }
}

TEST_F(PrintTest, PrintAndPreviewLoadTheCataloguePageRunTheirCommandAndLeaveNoFile) {
    TTestView::Script.CompleteAtOnce = false;
    TMainFormHarness& h = Start();
    TMainForm& f = h.Form();
    View().Complete();
    h.Pump();
    View().TakeCalls();

    const std::string expectedFile = FFolder + "expected.htm";
    ExportErrorCatalog(expectedFile, f.tsExportHTM->Data().Text(), ExportWebPage,
                       {GetErrorDescription, [] { return GetOSName(); }});
    const std::string expected = ReadFile(expectedFile);
    DeleteFileA(expectedFile.c_str());
    ASSERT_GT(expected.size(), 1000u);

    const struct {
        TToolButton* Button;
        const char* Keys;
        const char* Progress;
        const char* Command;
        const char* Done;
    } requests[] = {
        {f.tbPrint, nullptr, "Printing errors...", "ExecWB 6 1", "Errors were sent to printer."},
        {f.tbPrintPreview, nullptr, "Generating print preview...", "ExecWB 7 1",
         "Print preview was generated."},
        // The same through the keyboard alone.
        {nullptr, "Ctrl+P", "Printing errors...", "ExecWB 6 1", "Errors were sent to printer."},
        {nullptr, "Ctrl+F2", "Generating print preview...", "ExecWB 7 1",
         "Print preview was generated."},
    };
    for (const auto& r : requests) {
        SCOPED_TRACE(r.Keys ? r.Keys : r.Button->Name());
        if (r.Button)
            Click(r.Button);
        else
            h.Press(r.Keys);
        EXPECT_EQ(h.Status(), r.Progress);
        const std::vector<std::string> calls = View().TakeCalls();
        ASSERT_EQ(calls.size(), 1u);
        const std::string page = calls[0].substr(std::string("Navigate ").size());
        EXPECT_EQ(calls[0], "Navigate " + page);
        // A unique name of the system's in the temporary folder, ".htm" added.
        ASSERT_EQ(page.rfind(FFolder + "KVZ", 0), 0u) << page;
        ASSERT_GT(page.size(), 8u);
        EXPECT_EQ(page.substr(page.size() - 8), ".tmp.htm");
        EXPECT_EQ(ReadFile(page), expected);
        EXPECT_EQ(PageFiles().size(), 2u); // the page and its reserved name

        View().Complete();
        h.Pump();
        EXPECT_EQ(View().TakeCalls(), std::vector<std::string>{r.Command});
        EXPECT_FALSE(View().OnNavigateComplete2());
        EXPECT_EQ(PageFiles(), std::vector<std::string>{});
        EXPECT_EQ(h.Status(), r.Done);
    }
    // Detached: a later page completing runs nothing.
    View().Complete();
    h.Pump();
    EXPECT_EQ(View().TakeCalls(), std::vector<std::string>{});
    EXPECT_TRUE(h.TakeErrorBoxes().empty());
}

TEST_F(PrintTest, TheLatestRequestIsTheOneCompletedAndTheEarlierPageGoes) {
    TTestView::Script.CompleteAtOnce = false;
    TMainFormHarness& h = Start();
    View().Complete();
    h.Pump();
    View().TakeCalls();

    Click(h.Form().tbPrint);
    Click(h.Form().tbPrintPreview);
    EXPECT_EQ(h.Status(), "Generating print preview...");
    EXPECT_EQ(PageFiles().size(), 2u); // only the preview's page is left
    View().Complete();
    h.Pump();
    const std::vector<std::string> calls = View().TakeCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2], "ExecWB 7 1");
    EXPECT_EQ(h.Status(), "Print preview was generated.");
    EXPECT_EQ(PageFiles(), std::vector<std::string>{});
}

TEST_F(PrintTest, AnUnusableTemporaryFolderGivesOneErrorBoxAndNavigatesNowhere) {
    TMainFormHarness& h = Start();
    View().TakeCalls();
    SetEnvironmentVariableA("TMP", (FFolder + "no such folder\\").c_str());
    Click(h.Form().tbPrint);
    const std::vector<std::string> boxes = h.TakeErrorBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Drovanex Vantrel 2006|", 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("no such folder"), std::string::npos) << boxes[0];
    EXPECT_EQ(h.Status(), "Printing errors...");
    EXPECT_EQ(View().TakeCalls(), std::vector<std::string>{});
    EXPECT_TRUE(View().OnNavigateComplete2()); // the request's handler stays
}

TEST_F(PrintTest, AFailingCommandGivesOneErrorBoxAndEndsTheRequestThere) {
    TTestView::Script.FailExec = true;
    TMainFormHarness& h = Start();
    View().TakeCalls();
    Click(h.Form().tbPrint);
    const std::vector<std::string> boxes = h.TakeErrorBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Drovanex Vantrel 2006|The test view refuses command 6.");
    EXPECT_EQ(View().TakeCalls().back(), "ExecWB 6 1");
    // Neither detached nor deleted nor reported done.
    EXPECT_TRUE(View().OnNavigateComplete2());
    EXPECT_EQ(PageFiles().size(), 2u);
    EXPECT_EQ(h.Status(), "Printing errors...");
    // Closing the window takes the page it left.
    FHarness.reset();
    EXPECT_EQ(PageFiles(), std::vector<std::string>{});
}

// The platform's control on the real window, whatever the engine does: the
// window shows, the first navigation is made from the loop, no error box
// appears, and closing the window gives back every reference to our site.
TEST_F(PrintTest, ThePlatformsControlOnTheWindowLeavesNoErrorBoxNorReference) {
    FHarness = std::make_unique<TMainFormHarness>(
        nullptr, [](TComponent* owner) { return new TWebBrowser(owner); });
    TMainForm& f = FHarness->Form();
    auto* browser = dynamic_cast<TWebBrowser*>(f.Browser);
    ASSERT_NE(browser, nullptr);
    for (int i = 0; i < 20 && !browser->DefaultInterface(); ++i) {
        Sleep(20);
        FHarness->Pump();
    }
    EXPECT_NE(browser->DefaultInterface(), nullptr);
    EXPECT_EQ(browser->Parent(), f.pgMessage);
    EXPECT_EQ(browser->BoundsRect(), (TRect{0, 40, 100, 140}));
    // Beneath the memo, which covers it.
    HWND below = f.mmDescription->Handle();
    while (below && below != browser->Handle())
        below = GetWindow(below, GW_HWNDNEXT);
    EXPECT_EQ(below, browser->Handle());
    EXPECT_TRUE(FHarness->TakeErrorBoxes().empty());
    FHarness.reset();
    EXPECT_EQ(TWebBrowser::SitesAlive(), 0);
}

// Wine here has no HTML engine: the platform's control cannot load pages,
// so the program's own view serves. (On Windows the same call answers
// hvPlatform: mshtml loads and makes a document.)
TEST(HtmlViewChoice, PicksTheOwnViewWhereThePlatformCannotLoadPages) {
    const THtmlViewFactory previous = SetHtmlViewFactory(nullptr);
    EXPECT_EQ(ChooseHtmlView(), THtmlViewKind::hvOwn);
    TComponent owner(nullptr);
    IHtmlView* view = NewHtmlView(&owner);
    EXPECT_EQ(dynamic_cast<TWebBrowser*>(view), nullptr);
    EXPECT_NE(dynamic_cast<TControl*>(view), nullptr);
    SetHtmlViewFactory(previous);
}

} // namespace
