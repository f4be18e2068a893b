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
