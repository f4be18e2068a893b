#include "framework/HtmlView.h"

#include "framework/Published.h"

namespace {

THtmlViewFactory& ChosenFactory() {
    static THtmlViewFactory factory;
    return factory;
}

TComponent* CreateChosenView(TComponent* owner) {
    auto* component = dynamic_cast<TComponent*>(NewHtmlView(owner));
    if (!component)
        throw Exception("The HTML view made for this program is not a component.");
    return component;
}

} // namespace

THtmlViewFactory SetHtmlViewFactory(THtmlViewFactory factory) {
    std::swap(ChosenFactory(), factory);
    return factory;
}

IHtmlView* NewHtmlView(TComponent* owner) {
    if (!ChosenFactory())
        throw Exception("No HTML view has been chosen for this program.");
    return ChosenFactory()(owner);
}

std::vector<TPropInfo> HtmlViewProps() {
    // The event lives on the interface, beside the class each view derives
    // from, so the entry reaches it by a cross cast.
    const std::string name = "OnNavigateComplete2";
    return {
        {name, "",
         [name](TComponent& c, const TFormValue& v, TFormFixups& fixups) {
             published::Expect(name, v, TValueKind::Ident, "a handler name");
             auto* handler = std::any_cast<TNavigateComplete2Event>(&fixups.Method(v.Str, v.Line));
             if (!handler)
                 TFormFixups::Fail(v.Line, "handler '" + v.Str + "' does not fit event " + name);
             auto* view = dynamic_cast<IHtmlView*>(&c);
             if (!view)
                 TFormFixups::Fail(v.Line, "component '" + c.Name() + "' is no HTML view");
             view->SetOnNavigateComplete2(*handler);
         },
         true}};
}

const TClassInfo& HtmlViewClass() {
    static const TClassInfo info{"THtmlView", &TComponent::StaticClass(), CreateChosenView,
                                 HtmlViewProps()};
    return info;
}
