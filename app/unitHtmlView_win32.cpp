#include "app/unitHtmlView_win32.h"

#include "framework/HtmlView.h"
#include "framework/WebBrowser_win32.h"
#include "htmlview/OwnHtmlView_win32.h"

THtmlViewKind ChooseHtmlView() {
    if (WebBrowserCanLoadPages()) {
        SetHtmlViewFactory([](TComponent* owner) { return new TWebBrowser(owner); });
        return THtmlViewKind::hvPlatform;
    }
    SetHtmlViewFactory(NewOwnHtmlView);
    return THtmlViewKind::hvOwn;
}

THtmlPreviewSize HtmlPreviewSize(const IHtmlView& view) {
    if (const auto* own = dynamic_cast<const TOwnHtmlView*>(&view))
        return {static_cast<int>(own->PreviewSize().cx), static_cast<int>(own->PreviewSize().cy)};
    return {};
}

void SetHtmlPreviewSize(IHtmlView& view, THtmlPreviewSize size) {
    if (auto* own = dynamic_cast<TOwnHtmlView*>(&view))
        own->SetPreviewSize(size.Width, size.Height);
}
