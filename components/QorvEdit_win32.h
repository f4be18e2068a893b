// TQorvEdit: a single-line entry drawn as one framed box holding an optional
// icon at the left, a borderless text box in the middle and an optional
// button at the right: a push button, a drop-down button, or an up-down that
// makes the box a numeric entry with a range, a step and a format.
#pragma once

#include "components/QorvPanel_win32.h"
#include "components/QorvUpDown_win32.h"
#include "framework/ExtCtrls_win32.h"
#include "framework/Graphics_win32.h"
#include "framework/StdCtrls_win32.h"
#include "framework/Variants.h"

enum class TQorvEditButtonType : uint8_t {
    qvbtNone = 0,
    qvbtButton = 1,
    qvbtDropDown = 2,
    qvbtUpDown = 3
};

// The outer box is the library's panel: its frame, bevels, margins and the
// themed ring come from there.
using TQorvEditBase = TQorvCustomPanel;

class TQorvCustomEdit;

// The text box: borderless, showing the edit's colour; its window takes the
// edit's alignment, and the mouse over it reaches the edit too.
class TQorvEditInnerEdit : public TEdit {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvEditInnerEdit(TComponent* owner);
    void Recreate() { RecreateWnd(); }
    // The height the edit's font needs (the framework edit's automatic height).
    int AutoHeight();

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DoEnter() override;
    void DoExit() override;

private:
    TQorvCustomEdit* OuterEdit() const;
    HWND FFocusTo = nullptr; // where the focus goes as it leaves us
};

// The icon: sized to its picture; the mouse over it belongs to the edit.
class TQorvEditInnerIcon : public TImage {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvEditInnerIcon(TComponent* owner);
    bool HitTest(int, int) const override { return false; }

protected:
    void PictureChanged() override;
};

// The push or drop-down button; under the visual style it shows as the
// scroll-bar thumb or the combo box's drop-down button.
class TQorvEditInnerButton : public TSpeedButton {
    QORV_COMPONENT_CLASS
public:
    TQorvEditInnerButton(TComponent* owner, bool dropDown);
    bool DropDown() const { return FDropDown; }
    void Paint(HDC dc) override;

private:
    bool FDropDown;
};

// The spin button: a press first brings the focus into the edit.
class TQorvEditInnerUpDown : public TQorvUpDown {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvEditInnerUpDown(TComponent* owner) : TQorvUpDown(owner) {}

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
};

class TQorvCustomEdit : public TQorvEditBase {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvCustomEdit(TComponent* owner);
    ~TQorvCustomEdit() override;

    TQorvEditInnerEdit* InnerEdit() const { return FInnerEdit; }
    TQorvEditInnerIcon* InnerIcon() const { return FIcon; }
    // The inner button or up-down, none for qvbtNone.
    TControl* Button() const { return FButton; }
    TQorvEditInnerUpDown* UpDown() const;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TQorvEditButtonType ButtonType() const { return FButtonType; }
    virtual void SetButtonType(TQorvEditButtonType value);
    void SetIcon(const TPicture& picture);
    void SetIconData(const std::vector<uint8_t>& data);
    int IconOffsetX() const { return FIconOffsetX; }
    int IconOffsetY() const { return FIconOffsetY; }
    int IconTail() const { return FIconTail; }
    int TextOffsetX() const { return FTextOffsetX; }
    int TextOffsetY() const { return FTextOffsetY; }
    void SetIconOffsetX(int value) { SetOffset(FIconOffsetX, value); }
    void SetIconOffsetY(int value) { SetOffset(FIconOffsetY, value); }
    void SetIconTail(int value) { SetOffset(FIconTail, value); }
    void SetTextOffsetX(int value) { SetOffset(FTextOffsetX, value); }
    void SetTextOffsetY(int value) { SetOffset(FTextOffsetY, value); }
    const std::string& InvalidChars() const { return FInvalidChars; }
    void SetInvalidChars(const std::string& value) { FInvalidChars = value; }
    const std::string& ValidChars() const { return FValidChars; }
    void SetValidChars(const std::string& value) { FValidChars = value; }
    void SetOnButtonClick(TNotifyEvent e) { FOnButtonClick = std::move(e); }

    // The text as a string; a number written here goes through the
    // up-down's range and format.
    virtual TVariant GetValue() const;
    virtual void SetValue(const TVariant& value);
    std::string Text() const override;
    void SetText(const std::string& text) override;
    void SelectAll() { FInnerEdit->SelectAll(); }

    // The numeric properties: the up-down's own while it exists, else the
    // ones that seed the next one.
    const TQorvUpDownSettings& Numbers() const;
    TQorvUpDownDecimals Decimals() const { return Numbers().Decimals; }
    double Increment() const { return Numbers().Increment; }
    double Max() const { return Numbers().Max; }
    double Min() const { return Numbers().Min; }
    bool Thousands() const { return Numbers().Thousands; }
    bool Wrap() const { return Numbers().Wrap; }
    void SetDecimals(int value);
    void SetIncrement(double value);
    void SetMax(double value);
    void SetMin(double value);
    void SetThousands(bool value);
    void SetWrap(bool value);

    // Handed to the text box.
    void SetAutoSelect(bool v) { FInnerEdit->SetAutoSelect(v); }
    void SetCharCase(TEditCharCase v) { FInnerEdit->SetCharCase(v); }
    void SetImeMode(TImeMode v) { FInnerEdit->SetImeMode(v); }
    void SetHideSelection(bool v) { FInnerEdit->SetHideSelection(v); }
    void SetImeName(const std::string& v) { FInnerEdit->SetImeName(v); }
    void SetMaxLength(int v) { FInnerEdit->SetMaxLength(v); }
    void SetOEMConvert(bool v) { FInnerEdit->SetOEMConvert(v); }
    void SetPasswordChar(char v) { FInnerEdit->SetPasswordChar(v); }
    void SetReadOnly(bool v) { FInnerEdit->SetReadOnly(v); }
    void SetOnChange(TNotifyEvent e) { FInnerEdit->SetOnChange(std::move(e)); }

    void SetName(const std::string& name) override;
    void SetEnabled(bool enabled) override;
    void SetFocus() override;
    bool Focused() const override;
    void Click() override;

    virtual void ArrangeInnerControls();
    // A right click on the text box comes to us: we have a menu or a handler.
    bool WantsContextMenu() const;
    // The inner edit got or lost the focus.
    virtual void InnerEditEnter(TQorvEditInnerEdit* edit);
    virtual void InnerEditExit(TQorvEditInnerEdit*) {}

protected:
    void CreateWnd() override;
    void DoEnter() override;
    void Resize() override;
    void FontChanged() override;
    void Paint(HDC dc) override;
    virtual void ButtonClick(TObject* sender);
    virtual void ButtonMouseDown(TObject*, TMouseButton, TShiftState, int, int) {}

private:
    friend class TQorvEditInnerEdit;
    void InnerKeyDown(TObject* sender, WORD& key, TShiftState shift);
    void InnerKeyPress(TObject* sender, char& key);
    void InnerKeyUp(TObject* sender, WORD& key, TShiftState shift);
    // Leaving the text box: the text read as a number, or the last valid
    // value, goes through the up-down.
    void NormaliseOnExit();
    void SetOffset(int& field, int value);
    template <class T, class Keep>
    void SetNumber(void (TQorvUpDownValue::*onUpDown)(T), T value, Keep keep);

    TAlignment FAlignment = TAlignment::taLeftJustify;
    TQorvEditButtonType FButtonType = TQorvEditButtonType::qvbtNone;
    int FIconOffsetX = 1;
    int FIconOffsetY = 0;
    std::string FInvalidChars;
    int FTextOffsetX = 1;
    int FTextOffsetY = 2;
    std::string FValidChars;
    TNotifyEvent FOnButtonClick;
    // The numbers while there is no up-down; it takes them when made and
    // gives them back when it goes.
    TQorvUpDownSettings FNumbers;
    int FIconTail = 3;
    TControl* FButton = nullptr;
    TQorvEditInnerEdit* FInnerEdit = nullptr;
    TQorvEditInnerIcon* FIcon = nullptr;
};

class TQorvEdit : public TQorvCustomEdit {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvEdit(TComponent* owner) : TQorvCustomEdit(owner) {}
};

// The component library's classes, for form data.
void RegisterQorvComponents();
