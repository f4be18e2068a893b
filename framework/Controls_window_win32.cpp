// The window of a control: its making and ending, the window-to-object map,
// the window classes (our own, the superclassed system ones, one per icon
// pair), and the window procedure that every message goes through.
#include "framework/Controls_win32.h"

#include "framework/Accessible_win32.h"

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <unordered_map>

#include "framework/StepTimes.h"
#include "framework/SysUtils_win32.h"

namespace {
// Which object owns which window. Kept in the process rather than as window
// properties: a property lookup is a round trip to the window server under
// Wine, and every message a parent reflects asks this.
std::unordered_map<HWND, TWinControl*>& Objects() {
    static std::unordered_map<HWND, TWinControl*> objects;
    return objects;
}

// System controls are superclassed: "QorvEDIT" behaves as "EDIT" but is
// created with our window procedure, so the object attaches at WM_NCCREATE as
// for our own class. (Subclassing each window instead costs a round trip to
// the window server for every message under Wine.) Maps our class name to
// the system class's window procedure.
std::unordered_map<std::string, WNDPROC>& SystemProcs() {
    static std::unordered_map<std::string, WNDPROC> procs;
    return procs;
}

WNDPROC SystemProcOf(HWND wnd) {
    char name[64] = {};
    GetClassNameA(wnd, name, sizeof name);
    const auto it = SystemProcs().find(name);
    return it == SystemProcs().end() ? DefWindowProcA : it->second;
}

const char kWindowClass[] = "QorvWindow";

// While a start-up or an opening is timed, what each window spends painting
// and being activated is a step of its own: most of a first paint is the
// window server's and the system controls', and this shows which. Each
// message is a step of its own name, so that a step's count is how often the
// window was painted or activated: one paint is three messages (frame,
// background, client area), and counted under one name it read as three.
const char* TimedMessageKind(UINT msg) {
    switch (msg) {
    case WM_NCPAINT:
        return "paint frame";
    case WM_ERASEBKGND:
        return "paint background";
    case WM_PAINT:
        return "paint";
    case WM_NCACTIVATE:
        return "activation frame";
    case WM_ACTIVATE:
        return "activation";
    case WM_SETFOCUS:
        return "focus";
    default:
        return nullptr;
    }
}
} // namespace

// ---------------------------------------------------------------- handles

void TWinControl::DetachHandles() {
    for (TControl* child : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(child))
            w->DetachHandles();
    if (!FHandle)
        return;
    Objects().erase(FHandle);
    FHandle = nullptr;
}

HWND TWinControl::Handle() {
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (FParent)
        params.Style |= WS_CHILD;
    if (FVisible)
        params.Style |= WS_VISIBLE;
    if (!FEnabled)
        params.Style |= WS_DISABLED;
    if (FTabStop)
        params.Style |= WS_TABSTOP;
    params.ParentWnd = FParent ? FParent->Handle() : nullptr;
}

void TWinControl::CreateHandle() {
    TStartupStep step("windows");
    RegisterControlClasses();
    TCreateParams params;
    CreateParams(params);
    if (FHandle)
        return; // creating the parent for our params created us already
    FSystemClass = !params.WindowClass.empty();
    std::string cls = kWindowClass;
    if (FSystemClass) {
        cls = SuperclassOf(params.WindowClass);
        FSystemProc = SystemProcs()[cls];
    } else if (params.Icon || params.SmallIcon) {
        cls = IconClassOf(params.Icon, params.SmallIcon);
    }
    HWND wnd = CreateWindowExA(params.ExStyle, cls.c_str(), FText.c_str(), params.Style, FLeft,
                               FTop, FWidth, FHeight, params.ParentWnd, nullptr,
                               GetModuleHandleA(nullptr), this);
    if (!wnd)
        RaiseLastOSError("Cannot create the window of " + Name(), "CreateWindowExA");
    if (HFONT font = CurrentFont())
        SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    CreateWnd();
    for (TControl* child : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(child))
            if (!w->FHandle && !w->DefersWindow())
                w->CreateHandle();
    AlignControls();
    WindowsCreated();
}

bool TWinControl::WindowDeferred() const {
    for (const TWinControl* c = this; c && !c->FHandle; c = c->FParent)
        if (c->DefersWindow())
            return true;
    return false;
}

void TWinControl::Attach(HWND wnd) {
    FHandle = wnd;
    Objects()[wnd] = this;
}

void TWinControl::DestroyHandle() {
    if (!FHandle)
        return;
    FText = Text(); // kept for a window made anew
    HWND wnd = FHandle;
    DetachHandles();
    DestroyWindow(wnd);
}

void TWinControl::RecreateWnd() {
    if (FHandle) {
        DestroyHandle();
        CreateHandle();
    }
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
    if (!wnd)
        return nullptr;
    const auto& objects = Objects();
    const auto it = objects.find(wnd);
    return it == objects.end() ? nullptr : it->second;
}

// ------------------------------------------------------------ window classes

// The object a message is for; the window's creation attaches it.
TWinControl* TWinControl::ObjectFor(HWND wnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (auto* self = static_cast<TWinControl*>(cs->lpCreateParams))
            self->Attach(wnd);
    }
    return FromHandle(wnd);
}

LRESULT CALLBACK TWinControl::OwnClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (TWinControl* self = ObjectFor(wnd, msg, lParam))
        return self->Dispatch(msg, wParam, lParam);
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK TWinControl::SystemClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (TWinControl* self = ObjectFor(wnd, msg, lParam))
        return self->Dispatch(msg, wParam, lParam);
    // A window already let go of by its object, on its way out.
    return CallWindowProcA(SystemProcOf(wnd), wnd, msg, wParam, lParam);
}

std::string TWinControl::SuperclassOf(const std::string& systemClass) {
    const std::string name = "Qorv" + systemClass;
    if (SystemProcs().count(name))
        return name;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(nullptr, systemClass.c_str(), &wc))
        RaiseLastOSError("Window class " + systemClass + " not found", "GetClassInfoExA");
    SystemProcs()[name] = wc.lpfnWndProc;
    wc.lpfnWndProc = SystemClassProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExA(&wc)) {
        const DWORD error = GetLastError();
        SystemProcs().erase(name);
        RaiseOSError("Cannot register window class " + name, "RegisterClassExA", error);
    }
    return name;
}

// Windows of our own with icons are of a class that carries them: the
// window server takes a class's icons as it makes the window, where each
// WM_SETICON afterwards converts both icons for it again (a millisecond each
// under Wine). One class per pair of icons, registered on first use.
std::string TWinControl::IconClassOf(HICON icon, HICON smallIcon) {
    char name[64];
    wsprintfA(name, "%s.%p.%p", kWindowClass, static_cast<void*>(icon),
              static_cast<void*>(smallIcon));
    static std::unordered_map<std::string, bool> registered;
    if (registered.count(name))
        return name;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = OwnClassProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError(std::string("Cannot register window class ") + name, "RegisterClassExA");
    registered[name] = true;
    return name;
}

const char* QorvWindowClass() {
    return kWindowClass;
}

void RegisterControlClasses() {
    static bool registered = false;
    if (registered)
        return;
    {
        TStartupStep step("common controls");
        INITCOMMONCONTROLSEX icc{sizeof icc,
                                 ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TWinControl::OwnClassProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError(std::string("Cannot register window class ") + kWindowClass,
                         "RegisterClassExA");
    registered = true;
}

// ----------------------------------------------------- messages and barrier

bool TModalLoop::Blocks(HWND target, UINT msg) {
    // Keys, and mouse buttons and wheels (what follows WM_MOUSEMOVE).
    const bool input =
        (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg > WM_MOUSEMOVE && msg <= WM_MOUSEHWHEEL);
    return input && !Windows().empty() && GetAncestor(target, GA_ROOT) != Windows().back();
}

// The one exception barrier: nothing unwinds through Windows.
LRESULT TWinControl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (TModalLoop::Blocks(FHandle, msg))
        return 0;
    try {
        std::optional<TStartupStep> step;
        if (const char* kind = TimedMessageKind(msg); kind && StartupSteps().Recording())
            step.emplace(
                (std::string(kind) + ": " + (Name().empty() ? ClassInfo().Name : Name())).c_str());
        return WndProc(msg, wParam, lParam);
    } catch (...) {
        HandleControlException();
        return 0;
    }
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!FHandle)
        return 0;
    return FSystemClass ? CallWindowProcA(FSystemProc, FHandle, msg, wParam, lParam)
                        : DefWindowProcA(FHandle, msg, wParam, lParam);
}

bool TWinControl::Reflected(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return WmCommand(msg, wParam, lParam);
    case WM_NOTIFY:
        return WmNotify(msg, wParam, lParam);
    case WM_DRAWITEM:
        return WmDrawItem(msg, wParam, lParam);
    case WM_SIZE:
        AlignControls();
        break;
    case WM_WINDOWPOSCHANGED:
        return WmWindowPosChanged(msg, wParam, lParam);
    case WM_NCCALCSIZE:
        return WmNcCalcSize(msg, wParam, lParam);
    case WM_SETFOCUS:
        DoEnter();
        break;
    case WM_NCPAINT:
        return WmNcPaint(msg, wParam, lParam);
    case WM_ERASEBKGND:
        return WmEraseBkgnd(msg, wParam, lParam);
    case WM_KILLFOCUS:
        DoExit();
        break;
    case WM_PAINT:
        return WmPaint(msg, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return WmKeyDown(msg, wParam, lParam);
    case WM_CHAR:
        return WmChar(msg, wParam, lParam);
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return WmKeyUp(msg, wParam, lParam);
    case WM_SETCURSOR:
        return WmSetCursor(msg, wParam, lParam);
    case WM_GETOBJECT:
        if (const LRESULT object = AccessibleObjectFor(*this, wParam, lParam))
            return object;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
    case WM_MOUSELEAVE:
        return WmMouse(msg, wParam, lParam);
    case WM_NCDESTROY:
        return WmNcDestroy(msg, wParam, lParam);
    case WM_CONTEXTMENU:
        return WmContextMenu(msg, wParam, lParam);
    case WM_MOUSEACTIVATE:
        return WmMouseActivate(msg, wParam, lParam);
    case WM_CAPTURECHANGED:
        if (Dragging() && reinterpret_cast<HWND>(lParam) != FHandle)
            CancelDrag(); // the mouse was taken from us: no drop will come
        break;
    default:
        break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

// Each handler below ends in the default handling unless it answers the
// message itself. The painting ones are in Controls_paint_win32, the mouse
// ones in Controls_mouse_win32.

// A child's WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR* or WM_DRAWITEM goes back to
// the child's object first (reflection); unanswered, to the default.
LRESULT TWinControl::ReflectTo(TWinControl* child, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (child) {
        LRESULT result = 0;
        if (child->Reflected(msg, wParam, lParam, result))
            return result;
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::WmCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ReflectTo(FromHandle(reinterpret_cast<HWND>(lParam)), msg, wParam, lParam);
}

LRESULT TWinControl::WmNotify(UINT msg, WPARAM wParam, LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (TWinControl* child = FromHandle(header->hwndFrom))
        return ReflectTo(child, msg, wParam, lParam);
    if (header->code == TTN_GETDISPINFOA) {
        // The form's hint window asks the window of a tool for its text.
        if (TWinControl* top = TopParent(); top != this)
            return SendMessageA(top->Handle(), msg, wParam, lParam);
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::WmDrawItem(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ReflectTo(FromHandle(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem), msg, wParam,
                     lParam);
}

LRESULT TWinControl::WmWindowPosChanged(UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultHandler(msg, wParam, lParam);
    RECT r;
    GetWindowRect(FHandle, &r);
    if (HWND parent = GetParent(FHandle); parent && (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    return result;
}

// The key handlers may change the key or swallow it (0) before the default.
LRESULT TWinControl::WmKeyDown(UINT msg, WPARAM wParam, LPARAM lParam) {
    WORD key = static_cast<WORD>(wParam);
    if (KeyDown(key, KeyboardShiftState()) || key == 0)
        return 0;
    return DefaultHandler(msg, key, lParam);
}

LRESULT TWinControl::WmChar(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FOnKeyPress) {
        char key = static_cast<char>(wParam);
        FOnKeyPress(this, key);
        if (key == 0)
            return 0;
        wParam = static_cast<unsigned char>(key);
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::WmKeyUp(UINT msg, WPARAM wParam, LPARAM lParam) {
    WORD key = static_cast<WORD>(wParam);
    KeyUp(key, KeyboardShiftState());
    if (key == 0)
        return 0;
    if (key == VK_APPS && msg == WM_KEYUP) {
        // The menu key asks for the menu where the focus is, as Windows'
        // default handling of its release does; asked here, and the release
        // kept from it, it does so once also where that handling lacks it
        // (Wine). A control without a menu passes it up to its parent.
        SendMessageA(FHandle, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FHandle),
                     MAKELPARAM(-1, -1));
        return 0;
    }
    return DefaultHandler(msg, key, lParam);
}

LRESULT TWinControl::WmNcDestroy(UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultHandler(msg, wParam, lParam);
    Objects().erase(FHandle);
    FHandle = nullptr;
    return result;
}
