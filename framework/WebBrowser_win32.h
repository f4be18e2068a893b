// The platform's web browser control (IWebBrowser2) hosted in place in a
// window of ours: we are its client site, in-place site and frame, and its
// DWebBrowserEvents2 sink. It serves as the embedded HTML view where the
// platform's HTML engine can load and print pages.
#pragma once

#include <exdisp.h>
#include <ole2.h>
#include <windows.h>

#include "framework/ComObj_win32.h"
#include "framework/Controls_win32.h"
#include "framework/HtmlView.h"
#include "framework/PostedCalls_win32.h"

// Whether the platform's control can load pages here: its HTML engine
// (mshtml) loads and makes a document. Wine without its Gecko engine fails
// both ways: with mshtml turned off the library does not load, with it on no
// document can be made. Costs about 2 ms when mshtml is off.
bool WebBrowserCanLoadPages();

class TWebBrowser : public TWinControl, public IHtmlView {
    QORV_COMPONENT_CLASS
public:
    explicit TWebBrowser(TComponent* owner);
    ~TWebBrowser() override;

    // The control is made when first needed; a Navigate that comes before
    // it exists is carried out from the message loop, so that making it
    // (tens of milliseconds) does not delay the window showing.
    void Navigate(const std::string& url) override;
    uint32_t QueryStatusWB(int cmd) override;
    void ExecWB(int cmd, int option) override;

    // The hosted control; null until it has been made.
    IWebBrowser2* DefaultInterface() const { return FBrowser.Get(); }
    // Sites of ours that the controls still hold, over every browser of
    // the process: 0 once each control has let go of its host.
    static int SitesAlive();

    class TSite;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TSite;
    IWebBrowser2& Browser();
    void NavigateNow(const std::string& url);
    void NavigateCompleted(IDispatch* frame, const std::string& url);
    void PlaceControl();
    void ReleaseControl() noexcept;

    TSite* FSite = nullptr; // one reference ours while the control is hosted
    TComPtr<IOleObject> FObject;
    TComPtr<IOleInPlaceObject> FInPlace;
    TComPtr<IWebBrowser2> FBrowser;
    TComPtr<IConnectionPoint> FEvents;
    DWORD FEventsCookie = 0;
    TPostedCalls FCalls;
    int FDeferredNavigations = 0;
};
