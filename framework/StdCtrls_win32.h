// Standard controls: label, push button, single-line edit, numeric edit and memo.
#pragma once

#include "framework/Controls_win32.h"
#include "framework/Gdi_win32.h"

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum class TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};
// The names form data uses for them.
const std::vector<std::pair<std::string, TEditCharCase>>& EditCharCaseNames();
const std::vector<std::pair<std::string, TImeMode>>& ImeModeNames();

// A caption painted by its parent, always see-through, in its form's font
// with its own colour and style. "&C" underlines C, and Alt+C moves the
// focus to FocusControl.
class TLabel : public TGraphicControl {
    QORV_COMPONENT_CLASS
public:
    explicit TLabel(TComponent* owner);
    std::string Caption() const { return FText; }
    void SetCaption(const std::string& v) { SetText(v); }
    TWinControl* FocusControl() const { return FFocusControl.Get(); }
    void SetFocusControl(TWinControl* control) { FFocusControl.Set(control); }
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value);
    TFontStyles FontStyle() const { return FFontStyle; }
    void SetFontStyle(TFontStyles value);
    void Paint(HDC dc) override;
    bool DialogChar(char key) override;
    // Our caption without its mnemonic marks names FocusControl.
    bool NamesControl(const TWinControl& control, std::string& name) const override;
    bool CanAutoSize(int& width, int& height) override;
    void Loaded() override;
    // A press and a release over the label click it.
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void TextChanged() override { AdjustSize(); }

private:
    // The form's font with our style; the form's own when the style is plain.
    HFONT Font();

    TComponentRef<TWinControl> FFocusControl;
    TColor FFontColor = clWindowText;
    TFontStyles FFontStyle = 0;
    TFontHandle FStyledFont;
    HFONT FStyledFrom = nullptr;
    TFontStyles FStyledAs = 0;
    bool FPressed = false;
};

// The system's push button; a press is its Click. Default makes it the one Enter presses, and a
// ModalResult other than mrNone closes its modal form with that result when clicked.
class TButton : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TButton(TComponent* owner);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& v) { SetText(v); }
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    void Click() override;
    bool DefaultKey() override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool FDefault = false;
    int FModalResult = 0;
};

class TCustomEdit : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TCustomEdit(TComponent* owner);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    void SetBorderStyle(TBorderStyle v);
    // Entering the edit from the keyboard selects its whole text.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase v);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool v);
    bool OEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool v);
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char v);
    // The input method editor while the edit has the focus: imDisable takes
    // it away from the window, imOpen and imClose open or close it on entry;
    // the other modes are kept for the editor's conversion and not applied.
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode v);
    const std::string& ImeName() const { return FImeName; }
    void SetImeName(const std::string& v) { FImeName = v; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }
    void SelectAll();
    std::string SelText() const;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    virtual void Change();
    void DoEnter() override;
    void ApplyImeMode(bool entering);

    int FMaxLength = 0;
    bool FReadOnly = false;
    bool FAutoSelect = true;
    TEditCharCase FCharCase = TEditCharCase::ecNormal;
    bool FHideSelection = true;
    bool FOEMConvert = false;
    char FPasswordChar = 0;
    TImeMode FImeMode = TImeMode::imDontCare;
    void* FImeContext = nullptr; // the window's own, kept while imDisable holds
    std::string FImeName;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    TNotifyEvent FOnChange;

private:
    TBrushHandle FBrush;
    TColor FBrushColor = clNone;
};

class TEdit : public TCustomEdit {
    QORV_COMPONENT_CLASS
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

class TMemo : public TCustomEdit {
    QORV_COMPONENT_CLASS
public:
    explicit TMemo(TComponent* owner);
    void SetLines(const std::vector<std::string>& lines);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    // Both at once, with one new window where each alone makes one.
    void SetWrapping(bool wordWrap, TScrollStyle scrollBars);

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool FWordWrap = true;
    TScrollStyle FScrollBars = TScrollStyle::ssNone;
};
