#include "framework/Dialogs_win32.h"

#include <commctrl.h>
#include <dlgs.h>

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

namespace {
std::string DialogText(HWND dialog, UINT message) {
    std::vector<char> text(32768, '\0');
    const LRESULT length = SendMessageA(dialog, message, static_cast<WPARAM>(text.size()),
                                        reinterpret_cast<LPARAM>(text.data()));
    return length > 0 ? std::string(text.data()) : std::string();
}

void Refuse(HWND dialog, const std::string& why) {
    char caption[256] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    MessageBoxA(dialog, why.c_str(), caption, MB_OK | MB_ICONWARNING);
}

std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

// "C:..." with something after the colon.
bool StartsWithDrive(const std::string& name) {
    const char c = name.size() > 2 ? name[0] : '\0';
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && name[1] == ':';
}
} // namespace

// The name in the name box as the dialog is about to take it: what the user
// meant, or a message and false. The platform's dialog builds the full name
// in a buffer of MAX_PATH characters on its stack, with no check of the
// length (a longer one overruns it, and the process dies in the dialog or
// later), and it hands a drive-relative name ("C:errors.htm") on to code
// that wants a backslash in it (an access violation in its recent-files
// list, after our hook has seen CDN_FILEOK).
bool TSaveDialog::AcceptTypedName(HWND dialog) {
    std::string name = DialogText(dialog, CDM_GETSPEC);
    // Empty, patterns and lists are the dialog's own business: it filters
    // or browses and never takes them as a file.
    if (name.empty() || name.find_first_of("*?\"") != std::string::npos)
        return true;
    std::string full;
    const bool drive = StartsWithDrive(name);
    if (drive && name[2] != '\\' && name[2] != '/') {
        // Relative to the drive's current folder, as the system reads it.
        std::vector<char> path(32768, '\0');
        const DWORD length =
            GetFullPathNameA(name.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0 || length >= path.size()) {
            Refuse(dialog, Quoted(name) + " cannot be read as a file name.");
            return false;
        }
        full = path.data();
        if (full.size() < MAX_PATH) {
            const int nameBox = GetDlgItem(dialog, edt1) ? edt1 : cmb13;
            SendMessageA(dialog, CDM_SETCONTROLTEXT, nameBox,
                         reinterpret_cast<LPARAM>(full.c_str()));
        }
    } else if (drive || name.starts_with("\\\\")) {
        full = name;
    } else {
        // The dialog joins the folder and the name as they stand.
        const std::string folder = DialogText(dialog, CDM_GETFOLDERPATH);
        full =
            name[0] == '\\' || name[0] == '/' ? folder.substr(0, 2) + name : folder + "\\" + name;
    }
    if (full.size() >= MAX_PATH) {
        Refuse(dialog,
               "The name is too long: with its folder it has " + std::to_string(full.size()) +
                   " characters, and the most a file name may have here is " +
                   std::to_string(MAX_PATH - 1) + ". Choose a shorter name or another folder.");
        return false;
    }
    if (IsReservedDeviceName(full)) {
        Refuse(dialog, Quoted(name.substr(name.find_last_of("\\/:") + 1)) +
                           " is the name of a device, not of a file. Choose another name.");
        return false;
    }
    return true;
}

LRESULT CALLBACK TSaveDialog::DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data) {
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(wnd, DialogProc, id);
    // A box of the dialog's own is up (its "replace?" question, our refusal):
    // the user cannot cancel now, and a Cancel or close posted meanwhile
    // would tear the dialog down under the box, which then runs on in freed
    // state. It is asked again once the box is answered.
    if ((msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) &&
        !IsWindowEnabled(wnd))
        return 0;
    // Save pressed, or Enter: before the dialog reads the name box.
    if (msg == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
        // The exception barrier of the dialog's window: nothing unwinds into it.
        try {
            if (!reinterpret_cast<TSaveDialog*>(data)->AcceptTypedName(wnd))
                return 0;
        } catch (...) {
            HandleControlException();
            return 0;
        }
    }
    return DefSubclassProc(wnd, msg, wParam, lParam);
}

UINT_PTR CALLBACK TSaveDialog::HookProc(HWND wnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
        auto* self = reinterpret_cast<TSaveDialog*>(ofn->lCustData);
        self->FHandle = wnd;
        // The dialog's own window (our hook's is a child of it) gets the
        // Save button's command first.
        SetWindowSubclass(GetParent(wnd), DialogProc, 1, reinterpret_cast<DWORD_PTR>(self));
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
    BOOL chosen = FALSE;
    {
        TModalLoop loop;
        chosen = dialogs.GetSaveFileName(&ofn);
    }
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
