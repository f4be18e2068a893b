// Print and print preview on the real main window, through a test view put
// in place of the embedded HTML view; and which view the start-up chooses.
#include <gtest/gtest.h>

#include "app/unitHtmlView_win32.h"
#include "framework/HtmlView.h"
#include "framework/WebBrowser_win32.h"

namespace {

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
