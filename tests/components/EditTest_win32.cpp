// The edit control on a window of its own, loaded from form data as the
// code field is, and driven by real window messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <uxtheme.h>

#include "components/QorvEdit_win32.h"
#include "framework/Classes.h"
#include "framework/Forms_win32.h"
#include "tests/components/ComponentsTestUtil_win32.h"

namespace {

// Lets a test make the edit's window anew, as a change of its frame would.
class TRecreatedEdit : public TQorvEdit {
public:
    TRecreatedEdit() : TQorvEdit(nullptr) {}
    void Recreate() { RecreateWnd(); }
};

// A 16 x 16 bitmap as a picture stream.
TPicture IconPicture() {
    HDC screen = GetDC(nullptr);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetHandle(CreateCompatibleBitmap(screen, 16, 16));
    ReleaseDC(nullptr, screen);
    TPicture picture;
    picture.SetGraphic(std::move(bitmap));
    return picture;
}

class EditTest : public ::testing::Test {
protected:
    TComponentsTestApp app;
    TComponentsTestForm form;
    TQorvEdit* ed = nullptr;
    TEdit* other = nullptr;
    std::vector<std::string> changes;
    std::vector<char> pressed;
    std::vector<TObject*> senders;

    void SetUp() override {
        TMethodTable methods;
        methods.Add<TNotifyEvent>("EdChange", [this](TObject*) { changes.push_back(ed->Text()); });
        methods.Add<TKeyEvent>("EdKeyDown", [this](TObject* sender, WORD& key, TShiftState) {
            senders.push_back(sender);
            if (key == VK_F2)
                key = 0;
        });
        methods.Add<TKeyPressEvent>("EdKeyPress", [this](TObject* sender, char& key) {
            senders.push_back(sender);
            pressed.push_back(key);
        });
        // The code field as the main window stores it.
        ReadFormData(form,
                     "object F: TComponentsTestForm\n"
                     "  ClientWidth = 300\n  ClientHeight = 100\n"
                     "  object Ed: TQorvEdit\n    Left = 48\n    Top = 8\n    Width = 69\n"
                     "    Height = 22\n    ButtonType = qvbtUpDown\n"
                     "    ValidChars = '0123456789'\n    Value = '0'\n    MaxLength = 5\n"
                     "    Text = '0'\n    OnChange = EdChange\n    OnKeyDown = EdKeyDown\n"
                     "    OnKeyPress = EdKeyPress\n    Decimals = 0\n"
                     "    Increment = 1.000000000000000000\n"
                     "    Max = 16383.000000000000000000\n    Thousands = False\n"
                     "    TabOrder = 0\n  end\n"
                     "  object Other: TEdit\n    Left = 10\n    Top = 50\n    Width = 60\n"
                     "    Height = 22\n  end\n"
                     "end",
                     methods);
        ed = dynamic_cast<TQorvEdit*>(form.FindComponent("Ed"));
        other = dynamic_cast<TEdit*>(form.FindComponent("Other"));
        ASSERT_TRUE(ed && other);
        form.Show();
        SetForegroundWindow(form.Handle());
        PumpFor(0);
        Reset();
    }
    void TearDown() override { EXPECT_EQ(app.Errors(), std::vector<std::string>{}); }

    void Reset() {
        changes.clear();
        pressed.clear();
        senders.clear();
    }
    HWND Inner() { return ed->InnerEdit()->Handle(); }
    void Type(const std::string& text) {
        for (char c : text)
            SendMessageA(Inner(), WM_CHAR, static_cast<unsigned char>(c), 1);
        PumpFor(0);
    }
    void Replace(const std::string& text) {
        ed->SetFocus();
        SendMessageA(Inner(), EM_SETSEL, 0, -1);
        Type(text);
    }
    void Leave() {
        other->SetFocus();
        PumpFor(0);
    }
    void Click(HWND wnd, int x, int y) {
        SendMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        PumpFor(0);
    }
};

TEST_F(EditTest, LoadsAsTheCodeFieldWithItsSpinButtonAtTheRightEdge) {
    EXPECT_EQ(ed->Text(), "0");
    ASSERT_NE(ed->UpDown(), nullptr);
    EXPECT_EQ(ed->UpDown()->Associate(), ed->InnerEdit());
    EXPECT_EQ(ed->Max(), 16383);
    EXPECT_EQ(ed->Min(), 0);
    EXPECT_EQ(ed->Decimals(), 0);
    EXPECT_FALSE(ed->Thousands());
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    TControl* button = ed->Button();
    if (ThemesEnabled()) {
        EXPECT_EQ(button->Left(), ed->ClientWidth() - w + 1);
        EXPECT_EQ(button->Top(), -1);
        EXPECT_EQ(button->Height(), ed->ClientHeight() + 2);
    } else {
        EXPECT_EQ(button->Left(), ed->ClientWidth() - w);
        EXPECT_EQ(button->Height(), ed->ClientHeight());
    }
    EXPECT_EQ(ed->InnerEdit()->Left(), 1); // no icon: TextOffsetX only
    EXPECT_EQ(ed->InnerEdit()->Left() + ed->InnerEdit()->Width(),
              ed->ClientWidth() - button->Width());
    EXPECT_EQ(ed->InnerEdit()->Top(),
              (ed->ClientHeight() - ed->InnerEdit()->Height()) / 2 + ed->TextOffsetY());

    // Without a button the text box reaches the right edge.
    ed->SetButtonType(TQorvEditButtonType::qvbtNone);
    EXPECT_EQ(ed->Button(), nullptr);
    EXPECT_EQ(ed->InnerEdit()->Left() + ed->InnerEdit()->Width(), ed->ClientWidth());
}

TEST_F(EditTest, TheBoxIsFramedByThePanelAndItsFrameIsReadFromFormData) {
    // The panel's single Ctl3D border is the frame, and it follows form data.
    RECT client;
    GetClientRect(ed->Handle(), &client);
    EXPECT_EQ(client.right, 69 - 4);
    EXPECT_EQ(client.bottom, 22 - 4);

    TComponentsTestForm plain;
    ReadFormData(plain,
                 "object F: TComponentsTestForm\n"
                 "  object Flat: TQorvEdit\n    Width = 69\n    Height = 22\n"
                 "    BorderStyle = bsNone\n  end\n"
                 "end",
                 TMethodTable{});
    auto* flat = dynamic_cast<TQorvEdit*>(plain.FindComponent("Flat"));
    ASSERT_NE(flat, nullptr);
    plain.Show();
    GetClientRect(flat->Handle(), &client);
    EXPECT_EQ(client.right, 69);
    EXPECT_EQ(client.bottom, 22);
}

TEST_F(EditTest, OnlyValidCharactersAreTypedWhileControlCharactersPass) {
    Replace("4a-2");
    EXPECT_EQ(ed->Text(), "42");
    EXPECT_EQ(pressed, (std::vector<char>{'4', '2'}));
    for (TObject* s : senders)
        EXPECT_EQ(s, ed);
    Type("\b");
    EXPECT_EQ(ed->Text(), "4");
    EXPECT_EQ(pressed.back(), '\b');

    // The key-down event comes from the edit and may swallow the key.
    Reset();
    SendMessageA(Inner(), WM_KEYDOWN, VK_F2, 1);
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], ed);
}

TEST_F(EditTest, PastedTextIsTakenAndNormalisedOnLeaving) {
    Replace("77");
    Leave();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 4);
    memcpy(GlobalLock(memory), "x-y", 4);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    ed->SetFocus();
    SendMessageA(Inner(), EM_SETSEL, 0, -1);
    Reset();
    SendMessageA(Inner(), WM_PASTE, 0, 0);
    EXPECT_EQ(ed->Text(), "x-y");
    EXPECT_EQ(changes, std::vector<std::string>{"x-y"});
    Leave();
    EXPECT_EQ(ed->Text(), "77"); // the last valid value
    // An emptied field comes back to it as well.
    Replace("\b");
    EXPECT_EQ(ed->Text(), "");
    Leave();
    EXPECT_EQ(ed->Text(), "77");
}

TEST_F(EditTest, TypingIsNotClampedButLeavingIs) {
    Replace("99999");
    EXPECT_EQ(changes, (std::vector<std::string>{"9", "99", "999", "9999", "99999"}));
    Leave();
    EXPECT_EQ(changes, (std::vector<std::string>{"9", "99", "999", "9999", "99999", "16383"}));
}

TEST_F(EditTest, ValuesGoThroughTheRangeAndTextDoesNot) {
    ed->SetValue(TVariant(16384));
    EXPECT_EQ(changes, (std::vector<std::string>{"16384", "16383"}));
    EXPECT_EQ(VarToStr(ed->GetValue()), "16383");
    ed->SetValue(TVariant(-1));
    EXPECT_EQ(ed->Text(), "0");
    EXPECT_THROW(ed->SetValue(TVariant(TVariantNull{})), EVariantTypeCastError);

    // A step up at the top changes nothing.
    ed->SetValue(TVariant(16383));
    Reset();
    TQorvEditInnerUpDown* ud = ed->UpDown();
    Click(ud->Handle(), ud->Width() / 2, 1);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(ed->Text(), "16383");
    // A press on the spin button brings the focus into the text box.
    EXPECT_TRUE(ed->InnerEdit()->Focused());
    Click(ud->Handle(), ud->Width() / 2, ud->Height() - 2);
    EXPECT_EQ(ed->Text(), "16382");
}

TEST_F(EditTest, ValuesSetInCodeKeepTheirPointUnderACommaDecimalLocale) {
    const TQorvNumberLocale saved = QorvUserNumberLocale();
    SetQorvUserNumberLocale({".", ",", {3, 0}});
    struct TRestore {
        TQorvNumberLocale Locale;
        ~TRestore() { SetQorvUserNumberLocale(Locale); }
    } restore{saved};
    ed->SetMaxLength(0);
    ed->SetMax(100000);
    ed->SetDecimals(2);
    ed->SetThousands(true);

    ed->SetValue(TVariant(1.5));
    EXPECT_EQ(ed->Text(), "1,50");
    EXPECT_EQ(ed->UpDown()->StoredPosition(), 1.5);
    ed->SetValue(ed->GetValue()); // the text read back in the locale
    EXPECT_EQ(ed->Text(), "1,50");
    EXPECT_EQ(ed->UpDown()->StoredPosition(), 1.5);
    ed->SetValue(TVariant(1234.25));
    EXPECT_EQ(ed->Text(), "1.234,25");
    ed->SetValue(ed->GetValue());
    EXPECT_EQ(ed->UpDown()->StoredPosition(), 1234.25);
    ed->SetValue(TVariant("2,75"));
    EXPECT_EQ(ed->UpDown()->StoredPosition(), 2.75);

    // Without a spin button the number is shown as written, in the locale.
    ed->SetButtonType(TQorvEditButtonType::qvbtNone);
    ed->SetValue(TVariant(0.125));
    EXPECT_EQ(ed->Text(), "0,125");
}

TEST_F(EditTest, WithControlThemingOffTheButtonTakesTheClassicPlace) {
    SetThemeAppProperties(STAP_ALLOW_NONCLIENT);
    struct TRestore {
        ~TRestore() {
            SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS |
                                  STAP_ALLOW_WEBCONTENT);
        }
    } restore;
    ASSERT_FALSE(ThemesEnabled());
    for (TQorvEditButtonType type :
         {TQorvEditButtonType::qvbtUpDown, TQorvEditButtonType::qvbtButton}) {
        ed->SetButtonType(TQorvEditButtonType::qvbtNone);
        ed->SetButtonType(type);
        TControl* button = ed->Button();
        EXPECT_EQ(button->Left(), ed->ClientWidth() - GetSystemMetrics(SM_CXVSCROLL));
        EXPECT_EQ(button->Top(), 0);
        EXPECT_EQ(button->Height(), ed->ClientHeight());
        EXPECT_EQ(ed->InnerEdit()->Left() + ed->InnerEdit()->Width(), button->Left());
    }
}

TEST_F(EditTest, ANewWindowRewritesTheTextFromThePosition) {
    TRecreatedEdit edit;
    edit.SetButtonType(TQorvEditButtonType::qvbtUpDown);
    edit.SetDecimals(0);
    edit.SetThousands(false);
    edit.SetParent(&form);
    edit.SetText("123");
    edit.Recreate();
    EXPECT_EQ(edit.Text(), "0"); // Text did not reach the spin button
    edit.SetValue(TVariant("123"));
    edit.Recreate();
    EXPECT_EQ(edit.Text(), "123");
}

TEST_F(EditTest, TheIconSitsLeftAndAClickThereFocusesTheTextBox) {
    ed->SetIcon(IconPicture());
    TQorvEditInnerIcon* icon = ed->InnerIcon();
    EXPECT_EQ(icon->Width(), 16);
    EXPECT_EQ(icon->Left(), 1);
    EXPECT_EQ(icon->Top(), (ed->ClientHeight() - 16) / 2);
    EXPECT_EQ(ed->InnerEdit()->Left(), 1 + 16 + 3 + 1);
    ed->SetIconTail(0);
    EXPECT_EQ(ed->InnerEdit()->Left(), 1 + 16 + 1);

    other->SetFocus();
    PumpFor(0);
    ASSERT_FALSE(ed->Focused());
    Click(ed->Handle(), icon->Left() + 5, icon->Top() + 5);
    EXPECT_TRUE(ed->InnerEdit()->Focused());
    EXPECT_TRUE(ed->Focused());
}

TEST_F(EditTest, NumericPropertiesWithoutASpinButtonAreKeptForTheNextOne) {
    TQorvEdit edit(nullptr);
    edit.SetMax(10);
    edit.SetMin(20); // above Max: the two swap
    EXPECT_EQ(edit.Min(), 10);
    EXPECT_EQ(edit.Max(), 20);
    edit.SetMax(5);
    EXPECT_EQ(edit.Min(), 5);
    EXPECT_EQ(edit.Max(), 10);
    edit.SetDecimals(2);
    EXPECT_THROW(edit.SetDecimals(30), ERangeError);
    edit.SetWrap(true);
    edit.SetButtonType(TQorvEditButtonType::qvbtUpDown);
    TQorvEditInnerUpDown* ud = edit.UpDown();
    ASSERT_NE(ud, nullptr);
    EXPECT_EQ(ud->Min(), 5);
    EXPECT_EQ(ud->Max(), 10);
    EXPECT_EQ(ud->Decimals(), 2);
    EXPECT_TRUE(ud->Wrap());
    EXPECT_EQ(ud->AlignButton(), TQorvUpDownAlignButton::udUnaligned);
    edit.SetMax(3);
    EXPECT_EQ(ud->Min(), 3);
    EXPECT_EQ(edit.Max(), 5);
}

TEST_F(EditTest, NumbersOutliveTheSpinButton) {
    TQorvEdit edit(nullptr);
    edit.SetButtonType(TQorvEditButtonType::qvbtUpDown);
    edit.SetMin(-4);
    edit.SetMax(8);
    edit.SetIncrement(0.5);
    edit.SetDecimals(3);
    edit.SetThousands(false);
    edit.SetButtonType(TQorvEditButtonType::qvbtButton);
    EXPECT_EQ(edit.UpDown(), nullptr);
    EXPECT_EQ(edit.Min(), -4);
    EXPECT_EQ(edit.Max(), 8);
    EXPECT_EQ(edit.Increment(), 0.5);
    EXPECT_EQ(edit.Decimals(), 3);
    EXPECT_FALSE(edit.Thousands());
    edit.SetButtonType(TQorvEditButtonType::qvbtUpDown);
    ASSERT_NE(edit.UpDown(), nullptr);
    EXPECT_EQ(edit.UpDown()->Format(), "%.3f");
    EXPECT_EQ(edit.UpDown()->Max(), 8);
}

TEST_F(EditTest, EnablingNamingAndButtonsFollowTheEdit) {
    ed->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(Inner()));
    EXPECT_FALSE(ed->UpDown()->Enabled());
    ed->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(Inner()));

    TQorvEdit named(nullptr);
    named.SetName("Edit1"); // an empty text is the (empty) old name
    EXPECT_EQ(named.Text(), "Edit1");
    named.SetName("Edit2");
    EXPECT_EQ(named.Text(), "Edit2");
    named.SetText("typed");
    named.SetName("Edit3");
    EXPECT_EQ(named.Text(), "typed");

    int clicks = 0;
    TObject* sender = nullptr;
    ed->SetOnButtonClick([&](TObject* s) {
        ++clicks;
        sender = s;
    });
    ed->SetButtonType(TQorvEditButtonType::qvbtButton);
    auto* button = dynamic_cast<TQorvEditInnerButton*>(ed->Button());
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->DropDown());
    Click(ed->Handle(), button->Left() + 3, button->Top() + 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(sender, button);
}

} // namespace
