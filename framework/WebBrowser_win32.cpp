#include "framework/WebBrowser_win32.h"

#include <exdispid.h>

namespace {

// mshtml's document class; the import libraries do not carry it.
constexpr CLSID kHtmlDocumentClass = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

int& LiveSites() {
    static int count = 0;
    return count;
}

// How error messages name a command.
std::string CommandName(int cmd) {
    switch (cmd) {
    case hcPrint:
        return "the print command";
    case hcPrintPreview:
        return "the print preview command";
    default:
        return "command " + std::to_string(cmd);
    }
}

struct TLibrary {
    HMODULE Module;
    explicit TLibrary(const char* name) : Module(LoadSystemLibrary(name)) {}
    ~TLibrary() {
        if (Module)
            FreeLibrary(Module);
    }
};

} // namespace

bool WebBrowserCanLoadPages() {
    const TLibrary engine("mshtml.dll");
    if (!engine.Module)
        return false;
    try {
        OleInitializeOnce();
    } catch (const Exception&) {
        return false;
    }
    TComPtr<IUnknown> document;
    return SUCCEEDED(CreateComObject(kHtmlDocumentClass, IID_IUnknown, document.PutVoid()));
}

// What the control asks of its container. Its life is its reference count:
// the browser holds one while the control is hosted, and the control as many
// as it likes; once the browser lets go the site answers nothing of it.
class TWebBrowser::TSite final : public IOleClientSite,
                                 public IOleInPlaceSite,
                                 public IOleInPlaceFrame,
                                 public IDispatch {
public:
    explicit TSite(TWebBrowser* owner) : FOwner(owner) { ++LiveSites(); }
    void Detach() { FOwner = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
            *out = static_cast<IDispatch*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++FRefs; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --FRefs;
        if (left == 0) {
            --LiveSites();
            delete this;
        }
        return left;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out)
            *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of the in-place site and of the frame alike)
    STDMETHODIMP GetWindow(HWND* out) override {
        if (!out)
            return E_POINTER;
        *out = FOwner ? FOwner->HandleIfAllocated() : nullptr;
        return *out ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return FOwner ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !document || !position || !clip || !info)
            return E_POINTER;
        *document = nullptr;
        *frame = nullptr;
        if (!FOwner || !FOwner->HandleIfAllocated())
            return E_FAIL;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        GetClientRect(FOwner->HandleIfAllocated(), position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = FOwner->TopParent()->HandleIfAllocated();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override {
        return ComBarrier([&] {
            if (FOwner && FOwner->FInPlace && rect)
                return FOwner->FInPlace->SetObjectRects(rect, rect);
            return S_OK;
        });
    }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, tool bars or
    // accelerators of the control's own; it stays hidden behind the page.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: the events of DWebBrowserEvents2; only NavigateComplete2 is
    // taken, the rest are answered as handled.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count)
            *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return ComBarrier([&] {
            if (id == DISPID_NAVIGATECOMPLETE2 && FOwner && params && params->cArgs >= 2) {
                // Arguments come last first: the URL, then the frame.
                const VARIANT& frame = params->rgvarg[params->cArgs - 1];
                const VARIANT* url = &params->rgvarg[params->cArgs - 2];
                if (V_VT(url) == (VT_VARIANT | VT_BYREF))
                    url = V_VARIANTREF(url);
                FOwner->NavigateCompleted(
                    V_VT(&frame) == VT_DISPATCH ? V_DISPATCH(&frame) : nullptr,
                    url && V_VT(url) == VT_BSTR ? WideToAnsi(V_BSTR(url)) : std::string());
            }
            return S_OK;
        });
    }

private:
    ~TSite() = default;
    ULONG FRefs = 1;
    TWebBrowser* FOwner;
};

const TClassInfo& TWebBrowser::StaticClass() {
    static const TClassInfo info{"TWebBrowser", &TWinControl::StaticClass(),
                                 CreateComponent<TWebBrowser>, HtmlViewProps()};
    return info;
}

TWebBrowser::TWebBrowser(TComponent* owner) : TWinControl(owner) {
    FWidth = 100;
    FHeight = 100;
}

TWebBrowser::~TWebBrowser() {
    ReleaseControl();
}

int TWebBrowser::SitesAlive() {
    return LiveSites();
}

LRESULT TWebBrowser::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE && FInPlace)
        PlaceControl();
    return TWinControl::WndProc(msg, wParam, lParam);
}

void TWebBrowser::PlaceControl() {
    RECT r;
    GetClientRect(Handle(), &r);
    FInPlace->SetObjectRects(&r, &r);
}

IWebBrowser2& TWebBrowser::Browser() {
    if (FBrowser)
        return *FBrowser.Get();
    HWND wnd = Handle();
    try {
        OleCheck(CreateComObject(CLSID_WebBrowser, IID_IOleObject, FObject.PutVoid()),
                 "Cannot create the web browser control", "CoCreateInstance");
        FSite = new TSite(this);
        OleCheck(FObject->SetClientSite(static_cast<IOleClientSite*>(FSite)),
                 "Cannot host the web browser control", "IOleObject.SetClientSite");
        RECT r;
        GetClientRect(wnd, &r);
        OleCheck(FObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                 static_cast<IOleClientSite*>(FSite), 0, wnd, &r),
                 "Cannot show the web browser control in its window", "IOleObject.DoVerb");
        FInPlace = FObject.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
        auto points = FObject.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
        if (!points)
            RaiseHResult("The web browser control sends no events", "QueryInterface",
                         E_NOINTERFACE);
        OleCheck(points->FindConnectionPoint(DIID_DWebBrowserEvents2, FEvents.Put()),
                 "The web browser control sends no events", "FindConnectionPoint");
        OleCheck(FEvents->Advise(static_cast<IDispatch*>(FSite), &FEventsCookie),
                 "Cannot receive the events of the web browser control", "IConnectionPoint.Advise");
        FBrowser = FObject.As<IWebBrowser2>(IID_IWebBrowser2);
        if (!FBrowser)
            RaiseHResult("The web browser control has no browser interface", "QueryInterface",
                         E_NOINTERFACE);
    } catch (...) {
        ReleaseControl();
        throw;
    }
    return *FBrowser.Get();
}

void TWebBrowser::ReleaseControl() noexcept {
    FCalls.Cancel();
    FDeferredNavigations = 0;
    if (FEvents) {
        FEvents->Unadvise(FEventsCookie);
        FEvents.Reset();
    }
    FBrowser.Reset();
    if (FInPlace) {
        FInPlace->InPlaceDeactivate();
        FInPlace.Reset();
    }
    if (FObject) {
        FObject->Close(OLECLOSE_NOSAVE);
        FObject->SetClientSite(nullptr);
        FObject.Reset();
    }
    if (FSite) {
        FSite->Detach();
        std::exchange(FSite, nullptr)->Release();
    }
}

void TWebBrowser::Navigate(const std::string& url) {
    if (FBrowser && FDeferredNavigations == 0) {
        NavigateNow(url);
        return;
    }
    // Later navigations queue behind a deferred one, so the latest still wins.
    ++FDeferredNavigations;
    FCalls.Post([this, url] {
        --FDeferredNavigations;
        NavigateNow(url);
    });
}

void TWebBrowser::NavigateNow(const std::string& url) {
    IWebBrowser2& browser = Browser();
    const TBStr wide(url);
    VARIANT empty{};
    V_VT(&empty) = VT_EMPTY;
    OleCheck(browser.Navigate(wide.Get(), &empty, &empty, &empty, &empty),
             "The web browser cannot open " + url, "IWebBrowser2.Navigate");
}

void TWebBrowser::NavigateCompleted(IDispatch* frame, const std::string& url) {
    // Raised from the message loop, not from inside the control's callback:
    // the handler may well give the control a command of its own.
    FCalls.Post([this, held = TComPtr<IDispatch>(frame), url] {
        // A copy: the handler may detach itself while it runs.
        if (TNavigateComplete2Event handler = FOnComplete)
            handler(this, held.Get(), url);
    });
}

uint32_t TWebBrowser::QueryStatusWB(int cmd) {
    OLECMDF status = static_cast<OLECMDF>(0);
    OleCheck(Browser().QueryStatusWB(static_cast<OLECMDID>(cmd), &status),
             "The web browser cannot tell the state of " + CommandName(cmd),
             "IWebBrowser2.QueryStatusWB");
    return static_cast<uint32_t>(status);
}

void TWebBrowser::ExecWB(int cmd, int option) {
    OleCheck(Browser().ExecWB(static_cast<OLECMDID>(cmd), static_cast<OLECMDEXECOPT>(option),
                              nullptr, nullptr),
             "The web browser cannot carry out " + CommandName(cmd), "IWebBrowser2.ExecWB");
}
