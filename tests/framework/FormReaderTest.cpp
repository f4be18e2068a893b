#include "framework/ActnList.h"
#include "framework/FormData.h"
#include "framework/FormReader.h"
#include "framework/Published.h"
#include "framework/Variants.h"

#include <gtest/gtest.h>

namespace {

enum class TShape { stCircle, stSquare };

// A component with one property of every kind the tables support.
class TWidget : public TComponent {
    QORV_COMPONENT_CLASS
public:
    using TComponent::TComponent;
    int Size = 0;
    bool Flag = true;
    std::string Text;
    TShape Shape = TShape::stCircle;
    unsigned Bits = 0;
    std::vector<std::string> Lines;
    std::vector<uint8_t> Data;
    TComponentRef<TWidget> Buddy{this};
    TNotifyEvent OnPoke;
    double Ratio = 0;
    TVariant Value;
    char Mark = 0;
    std::vector<std::string> Log; // the order properties arrived in

    void SetSize(int v) { Size = v, Log.push_back("Size"); }
    void SetFlag(bool v) { Flag = v, Log.push_back("Flag"); }
    void SetText(const std::string& v) { Text = v, Log.push_back("Text"); }
    void SetShape(TShape v) { Shape = v; }
    void SetBits(unsigned v) { Bits = v; }
    void SetLines(const std::vector<std::string>& v) { Lines = v; }
    void SetData(const std::vector<uint8_t>& v) { Data = v; }
    void SetBuddy(TWidget* w) { Buddy.Set(w); }
    void SetOnPoke(TNotifyEvent e) { OnPoke = std::move(e); }
    void SetRatio(double v) { Ratio = v; }
    void SetValue(const TVariant& v) { Value = v; }
    void SetMark(char v) { Mark = v; }
    void ReadChild(TComponent*) override {}
    void Loaded() override { Log.push_back("Loaded"); }

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove)
            Buddy.Removed(c);
    }
};

const TClassInfo& TWidget::StaticClass() {
    static const TClassInfo info{
        "TWidget",
        &TComponent::StaticClass(),
        CreateComponent<TWidget>,
        {IntProp("Size", &TWidget::SetSize, "0"), BoolProp("Flag", &TWidget::SetFlag, "True"),
         StrProp("Text", &TWidget::SetText),
         EnumProp("Shape", &TWidget::SetShape,
                  published::TEnumNames<TShape>{{"stCircle", TShape::stCircle},
                                                {"stSquare", TShape::stSquare}},
                  "stCircle"),
         SetProp("Bits", &TWidget::SetBits, {{"bOne", 1u}, {"bTwo", 2u}, {"bFour", 4u}}),
         StringsProp("Lines", &TWidget::SetLines), BinaryProp("Data", &TWidget::SetData),
         RefProp("Buddy", &TWidget::SetBuddy), EventProp("OnPoke", &TWidget::SetOnPoke),
         FloatProp("Ratio", &TWidget::SetRatio), VariantProp("Value", &TWidget::SetValue),
         CharProp("Mark", &TWidget::SetMark, "#0")}};
    return info;
}

class TTestForm : public TWidget {
    QORV_COMPONENT_CLASS
public:
    TTestForm() : TWidget(nullptr) {}
    void ReadChild(TComponent*) override {}
    std::vector<TObject*> Poked;
    TMethodTable Methods() {
        TMethodTable m;
        m.Add<TNotifyEvent>("Poke", [this](TObject* sender) { Poked.push_back(sender); });
        m.Add<std::function<void(int)>>("NotAnEvent", [](int) {});
        return m;
    }
};

const TClassInfo& TTestForm::StaticClass() {
    static const TClassInfo info{"TTestForm", &TWidget::StaticClass(), nullptr, {}};
    return info;
}

class FormReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterComponentClass(TWidget::StaticClass());
        RegisterActionClasses();
    }
    std::string Read(TTestForm& form, const std::string& text) {
        try {
            ReadFormData(form, text, form.Methods());
        } catch (const EFormDataError& e) {
            return e.Message();
        }
        return "";
    }
};

TEST_F(FormReaderTest, SetsEveryKindOfPropertyInTheOrderWritten) {
    TTestForm form;
    ASSERT_EQ(Read(form, R"(
object Main: TTestForm
  Text = 'it''s'#13#10'x'
  Size = -12
  Flag = False
  object One: TWidget
    Shape = stSquare
    Bits = [bOne, bFour]
    Lines = ('a' 'b'#9'c')
    Data = {00FF 7a}
    Size = $10
    Buddy = Two  // a component written further down
    OnPoke = Poke
  end
  object Two: TWidget
    Buddy = Main
  end
end)"),
              "");
    EXPECT_EQ(form.Name(), "Main");
    EXPECT_EQ(form.Text, "it's\r\nx");
    EXPECT_EQ(form.Size, -12);
    EXPECT_FALSE(form.Flag);
    EXPECT_EQ(form.Log, (std::vector<std::string>{"Text", "Size", "Flag", "Loaded"}));

    auto* one = dynamic_cast<TWidget*>(form.FindComponent("One"));
    auto* two = dynamic_cast<TWidget*>(form.FindComponent("Two"));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->Owner(), &form);
    EXPECT_EQ(one->Shape, TShape::stSquare);
    EXPECT_EQ(one->Bits, 5u);
    EXPECT_EQ(one->Lines, (std::vector<std::string>{"a", "b\tc"}));
    EXPECT_EQ(one->Data, (std::vector<uint8_t>{0x00, 0xFF, 0x7A}));
    EXPECT_EQ(one->Size, 16);
    EXPECT_EQ(one->Buddy.Get(), two);
    EXPECT_EQ(two->Buddy.Get(), &form);
    ASSERT_TRUE(one->OnPoke);
    one->OnPoke(one);
    EXPECT_EQ(form.Poked, std::vector<TObject*>{one});
    EXPECT_FALSE(one->Loading());
}

TEST_F(FormReaderTest, MalformedDataNamesTheLineAndTheFault) {
    const std::pair<const char*, const char*> cases[] = {
        {"object M: TTestForm\n  Size = 'x'\nend", "line 2: property Size expects an integer"},
        {"object M: TTestForm\n  Flag = Yes\nend", "line 2: property Flag expects True or False"},
        {"object M: TTestForm\n  Shape = stOval\nend", "one of stCircle stSquare"},
        {"object M: TTestForm\n  Bits = [bOne, bEight]\nend", "'bEight'"},
        {"object M: TTestForm\n  Colour = 1\nend", "class TTestForm has no property 'Colour'"},
        {"object M: TTestForm\n\n  object X: TGadget\n  end\nend",
         "line 3: class 'TGadget' not found"},
        {"object M: TTestForm\n  Buddy = Nobody\nend", "line 2: component 'Nobody' not found"},
        {"object M: TTestForm\n  OnPoke = Missing\nend", "handler 'Missing' not found"},
        {"object M: TTestForm\n  OnPoke = NotAnEvent\nend", "does not fit event OnPoke"},
        {"object M: TOtherForm\nend", "describes a TOtherForm, not a TTestForm"},
        {"object M: TTestForm\n  Text = 'open\nend", "line 2: unterminated string"},
        {"object M: TTestForm\n  Text = 'a' +\nend", "line 3: expected a string after '+'"},
        {"object M: TTestForm\n  Text = #$1FF\nend", "character code out of range"},
        {"object M: TTestForm\n  Data = {0F1}\nend", "odd number of hexadecimal digits"},
        {"object M: TTestForm\n  Size = 99999999999\nend", "number out of range"},
        {"object M: TTestForm\n  Size = 3\n", "expected a property, 'object' or 'end'"},
        {"object M: TTestForm\nend\nend", "text after the final 'end'"},
        {"object M: TTestForm\n object A: TWidget\n end\n object A: TWidget\n end\nend",
         "line 4: a component named 'A' already exists"},
        {"object M: TTestForm\n object A: TAction\n  Buddy = M\n end\nend",
         "class TAction has no property 'Buddy'"},
        {"object M: TTestForm\n object A: TAction\n  ShortCut = 'Ctrl+Hyper+K'\n end\nend",
         "line 3: property ShortCut: 'Ctrl+Hyper+K' is not a valid shortcut"},
    };
    for (const auto& [text, fault] : cases) {
        TTestForm form;
        const std::string message = Read(form, text);
        EXPECT_NE(message.find(fault), std::string::npos) << text << "\n -> " << message;
    }
}

TEST_F(FormReaderTest, AReferenceOfTheWrongClassIsRefused) {
    TTestForm form;
    const std::string message = Read(form, R"(object M: TTestForm
  object A: TAction
  end
  object W: TWidget
    Buddy = A
  end
end)");
    EXPECT_NE(message.find("line 5: component 'A' does not fit property Buddy"), std::string::npos)
        << message;
}

TEST_F(FormReaderTest, NumbersWithFractionsAndVariantValues) {
    // The form read with one property, or the error reading it gave.
    auto readOne = [&](TTestForm& form, const std::string& prop, const std::string& text) {
        return Read(form, "object M: TTestForm\n  " + prop + " = " + text + "\nend");
    };
    auto ratio = [&](const std::string& text) {
        TTestForm form;
        const std::string error = readOne(form, "Ratio", text);
        return error.empty() ? std::to_string(form.Ratio) : error;
    };
    EXPECT_EQ(ratio("16383.000000000000000000"), "16383.000000");
    EXPECT_EQ(ratio("-0.25"), "-0.250000");
    EXPECT_EQ(ratio("2.5E-3"), "0.002500");
    EXPECT_EQ(ratio("1E3"), "1000.000000");
    EXPECT_EQ(ratio("7"), "7.000000");
    EXPECT_EQ(ratio("1.5E"), "Form data line 2: expected digits of an exponent");
    EXPECT_EQ(ratio("$1.5"), "Form data line 2: a hexadecimal number has no fraction");
    EXPECT_EQ(ratio("'1'"), "Form data line 2: property Ratio expects a number, not a string");

    auto value = [&](const std::string& text) {
        TTestForm form;
        const std::string error = readOne(form, "Value", text);
        if (!error.empty())
            return error;
        try {
            return std::string(form.Value.TypeName()) + ":" + VarToStr(form.Value);
        } catch (const EVariantTypeCastError& e) {
            return std::string(form.Value.TypeName()) + ":" + e.Message();
        }
    };
    EXPECT_EQ(value("'0'"), "String:0");
    EXPECT_EQ(value("42"), "Int64:42");
    EXPECT_EQ(value("1.5"), "Double:1.5");
    EXPECT_EQ(value("1E20"), "Double:1E+20");
    EXPECT_EQ(value("True"), "Boolean:True");
    EXPECT_EQ(value("Null"), "Null:Could not convert variant of type (Null) into type (String)");
    EXPECT_EQ(value("Maybe"), "Form data line 2: property Value expects a number, a string, "
                              "True, False or Null, not 'Maybe'");
    EXPECT_EQ(VarToStr(TVariant()), "");
    EXPECT_EQ(VarToStr(TVariant(0.1)), "0.1");
}

TEST_F(FormReaderTest, ACharacterIsOneCharacterStringOrItsCode) {
    for (const auto& [text, mark] :
         {std::pair<const char*, char>{"'*'", '*'}, {"#0", '\0'}, {"#$B7", '\xB7'}, {"42", '*'}}) {
        TTestForm form;
        ASSERT_EQ(Read(form, std::string("object Main: TTestForm\n  Mark = ") + text + "\nend"), "")
            << text;
        EXPECT_EQ(form.Mark, mark) << text;
    }
    for (const char* bad : {"''", "'ab'", "256", "x"}) {
        TTestForm form;
        EXPECT_NE(Read(form, std::string("object Main: TTestForm\n  Mark = ") + bad + "\nend")
                      .find("Mark expects a single character"),
                  std::string::npos)
            << bad;
    }
}

TEST(Components, OwnerFreesWhatItOwnsAndReferencesAreCleared) {
    auto* owner = new TComponent(nullptr);
    auto* a = new TWidget(owner);
    auto* b = new TWidget(owner);
    a->SetBuddy(b);
    b->SetBuddy(a);
    EXPECT_EQ(owner->Components().size(), 2u);
    delete b; // a is told and drops its reference; the owner forgets b
    EXPECT_EQ(a->Buddy.Get(), nullptr);
    EXPECT_EQ(owner->Components(), std::vector<TComponent*>{a});
    delete owner; // frees a; ASan reports a leak or a double free if ownership is wrong
}

TEST(Actions, CheckingOneOfAGroupUnchecksTheOthersAndTellsClients) {
    struct Client : TActionClient {
        int Changes = 0;
        void ActionChanged(TAction&) override { ++Changes; }
    };
    TComponent owner(nullptr);
    auto* list = new TActionList(&owner);
    TAction* a[3];
    for (auto*& x : a) {
        x = new TAction(&owner);
        x->SetActionList(list);
        x->SetGroupIndex(1);
    }
    a[2]->SetGroupIndex(2);
    Client client;
    a[0]->AddClient(&client);
    a[0]->SetChecked(true);
    a[1]->SetChecked(true);
    a[2]->SetChecked(true); // another group: leaves a[1] alone
    EXPECT_FALSE(a[0]->Checked());
    EXPECT_TRUE(a[1]->Checked());
    EXPECT_TRUE(a[2]->Checked());
    EXPECT_EQ(client.Changes, 2);

    int runs = 0;
    a[1]->SetOnExecute([&](TObject* sender) { runs += sender == a[1]; });
    EXPECT_TRUE(a[1]->Execute());
    a[1]->SetEnabled(false);
    EXPECT_FALSE(a[1]->Execute());
    EXPECT_FALSE(a[0]->Execute()); // no handler
    EXPECT_EQ(runs, 1);
    delete list; // the actions stay, outside any list
    EXPECT_EQ(a[0]->ActionList(), nullptr);
}

TEST(Actions, ShortCutsReadAndShowAsMenusWriteThem) {
    const std::pair<const char*, TShortCut> keys[] = {
        {"Ctrl+P", MakeShortCut('P', scCtrl)},
        {"Ctrl+Shift+C", MakeShortCut('C', scCtrl | scShift)},
        {"Ctrl+Shift+2", MakeShortCut('2', scCtrl | scShift)},
        {"F1", MakeShortCut(0x70, 0)},
        {"Ctrl+F2", MakeShortCut(0x71, scCtrl)},
        {"Alt+F24", MakeShortCut(0x87, scAlt)},
        {"Shift+Del", MakeShortCut(0x2E, scShift)},
        {"Apps", MakeShortCut(0x5D, 0)},
    };
    for (const auto& [text, shortCut] : keys) {
        EXPECT_EQ(TextToShortCut(text), shortCut) << text;
        EXPECT_EQ(ShortCutToText(shortCut), text);
    }
    // Any order and case in; the menus' own order and spelling out.
    EXPECT_EQ(ShortCutToText(TextToShortCut("shift+CTRL+c")), "Ctrl+Shift+C");
    EXPECT_EQ(TextToShortCut("Ctrl+Delete"), TextToShortCut("Ctrl+Del"));
    EXPECT_EQ(TextToShortCut(""), 0);
    EXPECT_EQ(ShortCutToText(0), "");
    for (const char* bad : {"Ctrl+", "Ctrl", "Ctrl+Ctrl+P", "F0", "F25", "F100", "Ctrl+PP", "+P",
                            "Ctrl P", "Hyper+K"})
        EXPECT_THROW(TextToShortCut(bad), EConvertError) << bad;
}

TEST(Actions, AShortCutRunsTheFirstEnabledActionWithItThroughAClientThatTakesIt) {
    struct Button : TActionClient {
        bool Takes = true;
        int Presses = 0;
        void ActionChanged(TAction&) override {}
        bool ShortCutPressed(TAction&) override { return Takes && ++Presses; }
    };
    TComponent owner(nullptr);
    auto* list = new TActionList(&owner);
    auto* off = new TAction(&owner);
    auto* on = new TAction(&owner);
    for (TAction* a : {off, on}) {
        a->SetActionList(list);
        a->SetShortCut(TextToShortCut("Ctrl+K"));
    }
    off->SetEnabled(false);
    int runs = 0;
    off->SetOnExecute([&](TObject*) { runs += 100; });
    on->SetOnExecute([&](TObject*) { ++runs; });
    Button button;
    on->AddClient(&button);

    EXPECT_TRUE(list->IsShortCut(TextToShortCut("Ctrl+K")));
    EXPECT_EQ(button.Presses, 1);
    EXPECT_EQ(runs, 0); // the client ran it its way
    button.Takes = false;
    EXPECT_TRUE(list->IsShortCut(TextToShortCut("Ctrl+K")));
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(list->IsShortCut(TextToShortCut("Ctrl+Shift+K")));
    EXPECT_FALSE(list->IsShortCut(0)); // no shortcut matches an action without one
    on->SetEnabled(false);
    EXPECT_FALSE(list->IsShortCut(TextToShortCut("Ctrl+K")));
    EXPECT_EQ(runs, 1);
    on->RemoveClient(&button);
}

} // namespace

namespace {

// A form with its fields declared once, as the program's forms declare them.
class TBoundForm : public TTestForm {
public:
    TFormFields& FormFields() { return FFields; }
    TFormFields FFields;
    QORV_FIELD(TWidget, One);
    QORV_FIELD(TWidget, Two);
    void Poke(TObject* sender) { Poked.push_back(sender); }
    void Prod(TObject*) {}
};

const char kBoundFormData[] = R"(
object Main: TTestForm
  object One: TWidget
    OnPoke = Poke
    object Two: TWidget
    end
  end
end)";

TEST_F(FormReaderTest, FieldsDeclaredOnceAreBoundByName) {
    TBoundForm form;
    EXPECT_EQ(form.One, nullptr);
    TMethodTable methods;
    methods.Bind("Poke", &form, &TBoundForm::Poke);
    ReadFormData(form, kBoundFormData, methods);
    form.FFields.Bind(form);
    EXPECT_EQ(form.One, form.FindComponent("One"));
    EXPECT_EQ(form.Two, form.FindComponent("Two"));
    form.One->OnPoke(form.Two);
    EXPECT_EQ(form.Poked, std::vector<TObject*>{form.Two});
    EXPECT_TRUE(CheckFormBindings(ParseFormData(kBoundFormData), TTestForm::StaticClass(),
                                  form.FFields, methods)
                    .empty());
}

TEST_F(FormReaderTest, AFieldOfAnotherClassOrMissingIsAFormDataError) {
    class TWrongForm : public TTestForm {
    public:
        TFormFields& FormFields() { return FFields; }
        TFormFields FFields;
        QORV_FIELD(TAction, One);
    } wrong;
    ReadFormData(wrong, "object Main: TTestForm\n  object One: TWidget\n  end\nend", {});
    EXPECT_THROW(wrong.FFields.Bind(wrong), EFormDataError);
    TBoundForm lacking;
    ReadFormData(lacking, "object Main: TTestForm\n  object One: TWidget\n  end\nend", {});
    EXPECT_THROW(lacking.FFields.Bind(lacking), EFormDataError);
}

TEST_F(FormReaderTest, BindingCheckNamesEveryDisagreementBothWays) {
    TBoundForm form;
    TMethodTable methods;
    methods.Bind("Prod", &form, &TBoundForm::Prod); // bound, never named
    const auto problems = CheckFormBindings(ParseFormData(R"(
object Main: TTestForm
  object One: TWidget
    OnPoke = Poke
    Buddy = One
  end
  object Three: TWidget
  end
end)"),
                                            TTestForm::StaticClass(), form.FFields, methods);
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "Three: component without a field",
                            "Two: field not in the form data",
                            "Poke: handler not bound",
                            "Prod: handler the form data never names",
                        }));
}

} // namespace
