// The system's save-file dialog as a component: Explorer style with a hook,
// so that a handler runs while the dialog is open when the user picks
// another file type.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>

#include "framework/Components.h"

// The common dialogs' library, loaded when a dialog is first shown (raising
// when it cannot be): imported, it and the libraries it needs would load
// before the program's entry.
struct TCommonDialogs {
    TCommonDialogs();
    decltype(&::GetSaveFileNameA) GetSaveFileName;
    decltype(&::PrintDlgA) PrintDlg;
    decltype(&::CommDlgExtendedError) ExtendedError;
};
const TCommonDialogs& CommonDialogs();

enum TOpenOption : unsigned {
    ofOverwritePrompt = 1u << 0, // the dialog asks before an existing file is chosen
    ofHideReadOnly = 1u << 1,
    ofPathMustExist = 1u << 2,
    ofEnableSizing = 1u << 3,
};

class TSaveDialog : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TSaveDialog(TComponent* owner) : TComponent(owner) {}

    // "Description|pattern|Description|pattern", as form data stores it.
    const std::string& Filter() const { return FFilter; }
    void SetFilter(const std::string& v) { FFilter = v; }
    // 1-based; the type the user had chosen when the dialog closed, or while
    // it is open, the type just chosen.
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int v) { FFilterIndex = v; }
    // The full name chosen; the dialog starts with it next time.
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& v) { FFileName = v; }
    unsigned Options() const { return FOptions; }
    void SetOptions(unsigned v) { FOptions = v; }
    void SetOnTypeChange(TNotifyEvent e) { FOnTypeChange = std::move(e); }

    // Shows the dialog owned by the owner's window (or the active window);
    // true when the user chose a name. A failure of the dialog itself raises.
    bool Execute();
    // While the dialog is open: the window of our hook, a child of the
    // dialog's own window. Null otherwise.
    HWND Handle() const { return FHandle; }

private:
    static UINT_PTR CALLBACK HookProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
    // Checks (and for a drive-relative name, completes) the name in the
    // dialog's name box when Save is pressed; false keeps the dialog open.
    bool AcceptTypedName(HWND dialog);
    HWND OwnerWindow() const;

    std::string FFilter;
    int FFilterIndex = 1;
    std::string FFileName;
    unsigned FOptions = ofHideReadOnly | ofEnableSizing;
    TNotifyEvent FOnTypeChange;
    HWND FHandle = nullptr;
};

void RegisterDialogClasses();
