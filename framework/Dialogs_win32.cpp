#include "framework/Dialogs_win32.h"

#include <vector>

#include "framework/Controls_win32.h"
#include "framework/Published.h"
#include "framework/SysUtils_win32.h"

TCommonDialogs::TCommonDialogs() {
    HMODULE library = LoadSystemLibrary("comdlg32.dll");
    GetSaveFileName =
        LibraryEntry<decltype(GetSaveFileName)>(library, "comdlg32.dll", "GetSaveFileNameA");
    PrintDlg = LibraryEntry<decltype(PrintDlg)>(library, "comdlg32.dll", "PrintDlgA");
    ExtendedError =
        LibraryEntry<decltype(ExtendedError)>(library, "comdlg32.dll", "CommDlgExtendedError");
}

const TCommonDialogs& CommonDialogs() {
    static const TCommonDialogs library;
    return library;
}

const TClassInfo& TSaveDialog::StaticClass() {
    static const TClassInfo info{"TSaveDialog",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TSaveDialog>,
                                 {StrProp("Filter", &TSaveDialog::SetFilter),
                                  IntProp("FilterIndex", &TSaveDialog::SetFilterIndex, "1"),
                                  StrProp("FileName", &TSaveDialog::SetFileName),
                                  SetProp("Options", &TSaveDialog::SetOptions,
                                          {{"ofOverwritePrompt", ofOverwritePrompt},
                                           {"ofHideReadOnly", ofHideReadOnly},
                                           {"ofPathMustExist", ofPathMustExist},
                                           {"ofEnableSizing", ofEnableSizing}},
                                          "[ofHideReadOnly, ofEnableSizing]"),
                                  EventProp("OnTypeChange", &TSaveDialog::SetOnTypeChange)}};
    return info;
}

HWND TSaveDialog::OwnerWindow() const {
    if (auto* control = dynamic_cast<TWinControl*>(Owner()); control && control->HandleAllocated())
        return control->Handle();
    return GetActiveWindow();
}

UINT_PTR CALLBACK TSaveDialog::HookProc(HWND wnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
        auto* self = reinterpret_cast<TSaveDialog*>(ofn->lCustData);
        self->FHandle = wnd;
        return 0;
    }
    if (msg != WM_NOTIFY)
        return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lParam);
    if (notify->hdr.code != CDN_TYPECHANGE)
        return 0;
    auto* self = reinterpret_cast<TSaveDialog*>(notify->lpOFN->lCustData);
    // The exception barrier of the dialog's window: nothing unwinds into it.
    try {
        self->FFilterIndex = static_cast<int>(notify->lpOFN->nFilterIndex);
        if (self->FOnTypeChange)
            self->FOnTypeChange(self);
    } catch (...) {
        HandleControlException();
    }
    return 0;
}

bool TSaveDialog::Execute() {
    // The filter's '|' become the terminators the system wants, with the
    // list's own terminator after the last.
    std::string filter = FFilter;
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.append(2, '\0');
    std::vector<char> name(32768, '\0');
    FFileName.copy(name.data(), name.size() - 1);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OwnerWindow();
    ofn.lpstrFilter = FFilter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_NOCHANGEDIR;
    if (FOptions & ofOverwritePrompt)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (FOptions & ofHideReadOnly)
        ofn.Flags |= OFN_HIDEREADONLY;
    if (FOptions & ofPathMustExist)
        ofn.Flags |= OFN_PATHMUSTEXIST;
    if (FOptions & ofEnableSizing)
        ofn.Flags |= OFN_ENABLESIZING;
    ofn.lpfnHook = HookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);

    const TCommonDialogs& dialogs = CommonDialogs();
    const BOOL chosen = dialogs.GetSaveFileName(&ofn);
    FHandle = nullptr;
    if (!chosen) {
        if (const DWORD code = dialogs.ExtendedError())
            throw EOSError("The save dialog could not be shown (error " + IntToStr(code) + ").",
                           code);
        return false;
    }
    FFileName = name.data();
    FFilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

void RegisterDialogClasses() {
    RegisterComponentClass(TSaveDialog::StaticClass());
}
