#include "app/unitHtmlView_win32.h"

#include "framework/HtmlView.h"
#include "framework/PostedCalls_win32.h"
#include "framework/WebBrowser_win32.h"

namespace {

// Stands in where the platform cannot load pages until the program has a
// view of its own: pages "load" (so the availability check runs and finds
// nothing), and neither print nor preview is offered.
class TNoPrintView : public TGraphicControl, public IHtmlView {
    QORV_COMPONENT_CLASS
public:
    explicit TNoPrintView(TComponent* owner) : TGraphicControl(owner) {}
    void Paint(HDC) override {}
    void Navigate(const std::string& url) override {
        FCalls.Post([this, url] {
            if (TNavigateComplete2Event handler = FOnComplete)
                handler(this, nullptr, url);
        });
    }
    uint32_t QueryStatusWB(int) override { return 0; }
    void ExecWB(int, int) override {
        throw Exception("Printing is not available: this system has no engine for web pages.");
    }
    const TNavigateComplete2Event& OnNavigateComplete2() const override { return FOnComplete; }
    void SetOnNavigateComplete2(TNavigateComplete2Event handler) override {
        FOnComplete = std::move(handler);
    }

private:
    TPostedCalls FCalls;
    TNavigateComplete2Event FOnComplete;
};

const TClassInfo& TNoPrintView::StaticClass() {
    static const TClassInfo info{"TNoPrintView", &TGraphicControl::StaticClass(),
                                 CreateComponent<TNoPrintView>, HtmlViewProps()};
    return info;
}

} // namespace

THtmlViewKind ChooseHtmlView() {
    if (WebBrowserCanLoadPages()) {
        SetHtmlViewFactory([](TComponent* owner) { return new TWebBrowser(owner); });
        return THtmlViewKind::hvPlatform;
    }
    SetHtmlViewFactory([](TComponent* owner) { return new TNoPrintView(owner); });
    return THtmlViewKind::hvOwn;
}
