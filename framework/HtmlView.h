// The embedded HTML view: what the program needs of a control that loads a
// page and prints it. Two kinds serve behind it: the platform's web browser
// control (TWebBrowser) and the program's own view, for platforms whose
// control cannot load or print pages. The program picks one at start-up
// (SetHtmlViewFactory); form data names the view by the class "THtmlView",
// which makes whatever the factory makes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Components.h"

// The frame that finished loading, as the platform's control hands it over;
// the own view has no frames and passes null.
struct IDispatch;

// Command ids, options and status bits: the values of the standard OLE
// commands, so that a view can hand them to the platform unchanged.
constexpr int hcPrint = 6;          // OLECMDID_PRINT
constexpr int hcPrintPreview = 7;   // OLECMDID_PRINTPREVIEW
constexpr int hoDefault = 0;        // OLECMDEXECOPT_DODEFAULT
constexpr int hoPromptUser = 1;     // OLECMDEXECOPT_PROMPTUSER
constexpr int hoDontPrompt = 2;     // OLECMDEXECOPT_DONTPROMPTUSER
constexpr uint32_t hsSupported = 1; // OLECMDF_SUPPORTED
constexpr uint32_t hsEnabled = 2;   // OLECMDF_ENABLED

using TNavigateComplete2Event =
    std::function<void(TObject* Sender, IDispatch* pDisp, const std::string& URL)>;

// Every implementation is also a control (a TControl on Windows) owned by
// the component it was made for: its owner frees it, and it is placed, shown
// and hidden like any other control (form data sets Left, Top, Width,
// Height, Visible). Reach the control with dynamic_cast.
class IHtmlView {
public:
    // Starts loading a URL ("about:blank", "file:...") or the full path of a
    // local file, and returns at once. OnNavigateComplete2 runs later, from
    // the message loop, once the page has loaded; never inside Navigate. A
    // Navigate while a page is still loading replaces that page: only the
    // latest one completes. Raises when the view refuses the request.
    virtual void Navigate(const std::string& url) = 0;
    // The status bits (hsSupported, hsEnabled) of a command on the page now
    // loaded. Raises when the view cannot answer.
    virtual uint32_t QueryStatusWB(int cmd) = 0;
    // Runs a command on the loaded page; with hoPromptUser the user sees its
    // dialog (the print dialog, the preview window) before anything is done,
    // and the call returns when it is over, whatever the user chose. Raises
    // when the command fails.
    virtual void ExecWB(int cmd, int option) = 0;

    // The handler the completion of a navigation runs; empty for none. The
    // handler in place when the page completes is the one that runs. What it
    // raises goes to the application's error box.
    const TNavigateComplete2Event& OnNavigateComplete2() const { return FOnComplete; }
    void SetOnNavigateComplete2(TNavigateComplete2Event handler) {
        FOnComplete = std::move(handler);
    }

protected:
    ~IHtmlView() = default;
    TNavigateComplete2Event FOnComplete;
};

// Makes the view that serves this run, owned by `owner`.
using THtmlViewFactory = std::function<IHtmlView*(TComponent* owner)>;

// Chooses the implementation NewHtmlView makes (the program does so once at
// start-up, tests to put their own in); returns the one chosen before.
THtmlViewFactory SetHtmlViewFactory(THtmlViewFactory factory);
// A view of the chosen implementation; raises when none has been chosen.
IHtmlView* NewHtmlView(TComponent* owner);

// The class form data names the view by: "THtmlView", made by NewHtmlView.
const TClassInfo& HtmlViewClass();
// The published entries every implementation adds to its class's table
// (the OnNavigateComplete2 event), so that form data reads the same for all.
std::vector<TPropInfo> HtmlViewProps();
