// Forms and the application object. A form is a top-level window whose
// components come from form data compiled into the program as a text resource
// named after the form's class; the application runs the message loop, shows
// modal forms and owns the application-wide exception event.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/Controls_win32.h"
#include "framework/FormReader.h"
#include "framework/Gdi_win32.h"

enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TPosition { poDesigned, poScreenCenter, poMainFormCenter };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using TCloseEvent = std::function<void(TObject* Sender)>;

class TCustomForm : public TWinControl {
    QORV_COMPONENT_CLASS
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Reads the form data resource of `className` with the form's handlers,
    // binds the component fields, then runs OnCreate.
    void InitializeForm(const std::string& className, TMethodTable methods);
    // Where the form data and the form's fields and handlers disagree; empty
    // when they agree (each form's tests ask this).
    std::vector<std::string> CheckBindings() const;

    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& v) { SetText(v); }
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetFontName(const std::string& v) { FFontName = v; }
    void SetFontSize(int v) { FFontSize = v; }
    HFONT FontHandle();
    int MinWidth() const { return FMinWidth; }
    int MinHeight() const { return FMinHeight; }
    void SetMinWidth(int v) { FMinWidth = v; }
    void SetMinHeight(int v) { FMinHeight = v; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style);
    void SetPosition(TPosition v) { FPosition = v; }
    void SetBorderStyle(TBorderStyle v);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    void SetOnCreate(TNotifyEvent e) { FOnCreate = std::move(e); }
    void SetOnShow(TNotifyEvent e) { FOnShow = std::move(e); }
    void SetOnDestroy(TNotifyEvent e) { FOnDestroy = std::move(e); }
    void SetOnClose(TCloseEvent e) { FOnClose = std::move(e); }

    void Show();
    void Close();
    int ShowModal();
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    bool Showing() const;

    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control) { FActiveControl = control; }
    // Keyboard interface of the message loop: Alt+mnemonic and Tab.
    bool DialogChar(char key);
    // A key pressed anywhere in the form, offered to the form before the
    // control with the focus; true takes it (Esc closing a window of pages).
    // Here: an action's shortcut runs it; Enter presses the default button.
    virtual bool DialogKey(WORD key);
    // Runs the action of the form's action lists whose shortcut is `key` with
    // the modifiers held now; false when none has it.
    bool IsShortCut(WORD key);
    bool SelectNext(bool forward);
    // Enter: the default button inside presses itself; false when none does.
    bool DefaultKey() override;
    void ModalResultChosen(int result) override { SetModalResult(result); }
    void UpdateHint(TControl* control);
    // The form's hint window with a tool per control that has a hint; made
    // when first asked for (by the message loop, on the first mouse message)
    // once the form has shown, so that it costs nothing on the way to the
    // screen. Null before.
    HWND HintWindow();

    HFONT ControlFont() override { return FontHandle(); }
    void HintChanged(TControl* control) override;
    void ControlActivated(TWinControl* control) override { SetActiveControl(control); }

protected:
    // Where QORV_FIELD declares the form's component fields.
    TFormFields& FormFields() { return FFields; }
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // The main window asked to close while a modal window runs: that one is
    // ended first (and any opened after it), then the close goes through.
    static constexpr UINT_PTR kCloseTimer = 0x51C1;
    // Once the program is ending: wakes the main loop until it has ended.
    static constexpr UINT_PTR kEndTimer = 0x51C2;
    bool ModalWindowOpen() const;
    HWND TopModalWindow() const;
    bool DeferCloseToModal(); // true when the close waits for a modal window
    void CloseAfterModal();
    HWND FCloseAsked = nullptr;

    void AddHintTools(TWinControl* parent);
    void CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out);

    TFormFields FFields;
    TMethodTable FMethods;
    std::string FResourceName;
    std::string FFontName = "MS Sans Serif";
    int FFontSize = 8;
    TFontHandle FFont;
    int FMinWidth = 0, FMinHeight = 0;
    TFormStyle FFormStyle = TFormStyle::fsNormal;
    TPosition FPosition = TPosition::poDesigned;
    TBorderStyle FBorderStyle = TBorderStyle::bsSizeable;
    // The frame the border style gives, asked of the system once while the
    // form data is read (every child's layout asks for the client size).
    SIZE FrameSize() const;
    mutable std::optional<SIZE> FFrameSize;
    TWindowState FWindowState = TWindowState::wsNormal;
    TWinControl* FActiveControl = nullptr;
    HWND FToolTip = nullptr;
    int FModalResult = mrNone;
    bool FShown = false;
    TNotifyEvent FOnCreate, FOnShow, FOnDestroy;
    TCloseEvent FOnClose;
};

// The forms that exist, oldest first.
class TScreen {
public:
    const std::vector<TCustomForm*>& Forms() const { return FForms; }
    int FormCount() const { return static_cast<int>(FForms.size()); }

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> FForms;
};
TScreen& Screen();

class TApplication : public TComponent, public TControlHost {
public:
    TApplication();
    ~TApplication() override;

    // Readies the window classes; component classes are registered by the
    // program before it creates forms.
    void Initialize();
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title) { FTitle = title; }
    // The program's icon resource, shown by every form; empty for none.
    const std::string& IconName() const { return FIconName; }
    void SetIconName(const std::string& name) { FIconName = name; }
    TCustomForm* MainForm() const { return FMainForm; }

    // Creates a form owned by the application; the first becomes the main form.
    template <class T>
    T* CreateForm() {
        auto* form = new T(this);
        if (!FMainForm)
            FMainForm = form;
        return form;
    }
    void Run();
    // Handles every message waiting now, then returns.
    void ProcessMessages();
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }

    // Shows the error box for the exception being handled (call in a catch).
    void HandleException(TObject* sender) override;
    HWND PopupOwner() override;
    void ShowException(const std::exception& e);
    void SetOnException(TExceptionEvent e) { FOnException = std::move(e); }
    // Run when the system ends the session with the program open (the main
    // form's WM_ENDSESSION): the process is ended right after, without its
    // normal shutdown, so what that would write is written here.
    void SetOnEndSession(std::function<void()> e) { FOnEndSession = std::move(e); }
    void EndSession();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomForm;
    bool ProcessMessage(MSG& msg);
    bool IsKeyMsg(const MSG& msg);

    std::string FTitle;
    std::string FIconName;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    TExceptionEvent FOnException;
    std::function<void()> FOnEndSession;
};

extern TApplication* Application;

// A component for a form: routes the application's exception event to the
// form's handler.
class TApplicationEvents : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TApplicationEvents(TComponent* owner) : TComponent(owner) {}
    ~TApplicationEvents() override;
    void SetOnException(TExceptionEvent e);

private:
    bool FHooked = false;
};

// The desktop's monitors with their work areas in screen coordinates, the
// primary's first; the primary screen and work area alone when the monitors
// cannot be listed.
std::vector<TMonitorArea> DesktopMonitors();
// The work area of the monitor a window of the given bounds opens on.
TRect WorkAreaFor(const TRect& bounds);

// The text of a form data resource (RT_RCDATA named `name`); raises when absent.
std::string LoadFormResource(const std::string& name);
