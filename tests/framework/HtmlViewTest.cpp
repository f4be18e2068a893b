#include "framework/FormData.h"
#include "framework/FormReader.h"
#include "framework/HtmlView.h"

#include <gtest/gtest.h>

namespace {

// A view that only remembers what it was given.
class TRecordingView : public TComponent, public IHtmlView {
    QORV_COMPONENT_CLASS
public:
    using TComponent::TComponent;
    void Navigate(const std::string& url) override { Urls.push_back(url); }
    uint32_t QueryStatusWB(int) override { return 0; }
    void ExecWB(int, int) override {}
    std::vector<std::string> Urls;
};

const TClassInfo& TRecordingView::StaticClass() {
    static const TClassInfo info{"TRecordingView", &TComponent::StaticClass(),
                                 CreateComponent<TRecordingView>, HtmlViewProps()};
    return info;
}

class THost : public TComponent {
    QORV_COMPONENT_CLASS
public:
    THost() : TComponent(nullptr) {}
    void ReadChild(TComponent*) override {}
};

const TClassInfo& THost::StaticClass() {
    static const TClassInfo info{"THost", &TComponent::StaticClass(), nullptr, {}};
    return info;
}

class HtmlViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterComponentClass(HtmlViewClass());
        FPrevious = SetHtmlViewFactory([](TComponent* owner) { return new TRecordingView(owner); });
    }
    void TearDown() override { SetHtmlViewFactory(FPrevious); }
    THtmlViewFactory FPrevious;
};

TEST_F(HtmlViewTest, FormDataMakesTheChosenViewAndBindsItsEvent) {
    THost host;
    std::vector<std::string> completed;
    TMethodTable methods;
    methods.Add<TNavigateComplete2Event>(
        "Done", [&](TObject*, IDispatch*, const std::string& url) { completed.push_back(url); });
    const std::string text = "object H: THost\n"
                             "  object Browser: THtmlView\n"
                             "    OnNavigateComplete2 = Done\n"
                             "  end\n"
                             "end";
    ReadFormData(host, text, methods);

    auto* view = dynamic_cast<TRecordingView*>(host.FindComponent("Browser"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Owner(), &host);
    ASSERT_TRUE(view->OnNavigateComplete2());
    view->OnNavigateComplete2()(view, nullptr, "about:blank");
    EXPECT_EQ(completed, std::vector<std::string>{"about:blank"});
    // The form's checks see the handler the data names: only the field the
    // host does not declare is missing.
    EXPECT_EQ(CheckFormBindings(ParseFormData(text), THost::StaticClass(), TFormFields(), methods),
              std::vector<std::string>{"Browser: component without a field"});
}

TEST_F(HtmlViewTest, AHandlerOfAnotherTypeOrNoChosenViewIsRefused) {
    THost host;
    TMethodTable methods;
    methods.Add<TNotifyEvent>("Done", [](TObject*) {});
    try {
        ReadFormData(host,
                     "object H: THost\n  object B: THtmlView\n    OnNavigateComplete2 = Done\n"
                     "  end\nend",
                     methods);
        ADD_FAILURE() << "a notify handler was bound to the navigate-complete event";
    } catch (const EFormDataError& e) {
        EXPECT_NE(std::string(e.Message())
                      .find("line 3: handler 'Done' does not fit event "
                            "OnNavigateComplete2"),
                  std::string::npos)
            << e.Message();
    }

    SetHtmlViewFactory(nullptr);
    EXPECT_THROW(NewHtmlView(&host), Exception);
}

} // namespace
