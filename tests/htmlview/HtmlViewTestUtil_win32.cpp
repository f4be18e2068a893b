#include "tests/htmlview/HtmlViewTestUtil_win32.h"

#include "framework/Registration_win32.h"
#include "htmlview/formHtmlPreview_win32.h"

THtmlTestApp::THtmlTestApp() {
    RegisterFrameworkClasses();
    RegisterHtmlPreviewClasses();
    FApplication.Initialize();
    FApplication.SetOnException(
        [this](TObject*, const std::exception& e) { FErrors.push_back(e.what()); });
}

THtmlTestApp::~THtmlTestApp() = default;

std::vector<std::string> THtmlTestApp::Errors() {
    return std::exchange(FErrors, {});
}

void THtmlTestApp::Pump() {
    for (int round = 0; round < 3; ++round)
        FApplication.ProcessMessages();
}

THtmlPages HandMadePages(int count) {
    THtmlPages pages;
    pages.Setup.Width = 200;
    pages.Setup.Height = 300;
    pages.Setup.Dpi = 96;
    pages.Title = "Hand made";
    for (int n = 0; n < count; ++n) {
        THtmlPage page;
        page.Items.push_back(THtmlFill{{10 + n, 10, 50, 50}, colors::RGBColor(255, 0, 0)});
        pages.Pages.push_back(std::move(page));
    }
    return pages;
}
