#include "framework/Accessible_win32.h"

#include <oleacc.h>

#include <string>

#include "framework/ComObj_win32.h"
#include "framework/Controls_win32.h"
#include "framework/SysUtils_win32.h"

namespace {

// oleacc is loaded on the first request of a screen reader, not imported: a
// run without one never pays for it (ole32 comes with it).
struct TOleAcc {
    HMODULE Library = LoadSystemLibrary("oleacc.dll");
    decltype(&::CreateStdAccessibleObject) CreateStd =
        LibraryEntry<decltype(&::CreateStdAccessibleObject)>(Library, "oleacc.dll",
                                                             "CreateStdAccessibleObject");
    decltype(&::LresultFromObject) Result =
        LibraryEntry<decltype(&::LresultFromObject)>(Library, "oleacc.dll", "LresultFromObject");
};

TOleAcc& OleAcc() {
    static TOleAcc library;
    return library;
}

// A copy for the caller to free, as the interface's getters hand out.
HRESULT GiveString(const std::string& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    TBStr copy(text);
    *out = copy.Detach();
    return S_OK;
}

// Answers of a part that has no text of this kind, or does not take this
// request.
auto Nothing(BSTR* out) {
    return [out](int, const TAccessiblePart&) { return GiveString({}, out); };
}
auto Unsupported() {
    return [](int, const TAccessiblePart&) { return DISP_E_MEMBERNOTFOUND; };
}

// The system's proxy for the client area of a window, with the name the
// control gives and the parts it adds; all else is the proxy's. It keeps the
// window, not the control: a screen reader may hold it past the control.
class TAccessibleClient final : public IAccessible {
public:
    TAccessibleClient(HWND wnd, IAccessible* proxy) : FWnd(wnd), FProxy(proxy) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The proxy's other interfaces (IEnumVARIANT, IOleWindow) would
        // answer for it, not for us: none.
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++FRefs); }
    STDMETHODIMP_(ULONG) Release() override {
        const long refs = --FRefs;
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

    STDMETHODIMP get_accParent(IDispatch** parent) override {
        return FProxy->get_accParent(parent);
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        return ComBarrier([&]() -> HRESULT {
            TWinControl* control = Control();
            if (!control)
                return RPC_E_DISCONNECTED;
            if (control->AccessibleParts() == 0)
                return FProxy->get_accChildCount(count);
            if (!count)
                return E_POINTER;
            *count = WindowChildren() + control->AccessibleParts();
            return S_OK;
        });
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
        return ForPart(
            child, [&] { return FProxy->get_accChild(child, out); },
            [&](int, const TAccessiblePart&) -> HRESULT {
                if (!out)
                    return E_POINTER;
                *out = nullptr;
                return S_FALSE; // a simple element: the parts have no object of their own
            });
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        return ForPart(
            child,
            [&] {
                const std::string own = Control()->AccessibleName();
                return own.empty() ? FProxy->get_accName(child, name) : GiveString(own, name);
            },
            [&](int, const TAccessiblePart& part) { return GiveString(part.Name, name); });
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return ForPart(
            child, [&] { return FProxy->get_accValue(child, value); }, Nothing(value));
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        return ForPart(
            child, [&] { return FProxy->get_accDescription(child, text); }, Nothing(text));
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        return ForPart(
            child, [&] { return FProxy->get_accRole(child, role); },
            [&](int, const TAccessiblePart& part) { return GiveNumber(part.Role, role); });
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return ForPart(
            child, [&] { return FProxy->get_accState(child, state); },
            [&](int, const TAccessiblePart& part) { return GiveNumber(part.State, state); });
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override {
        return ForPart(
            child, [&] { return FProxy->get_accHelp(child, help); }, Nothing(help));
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return FProxy->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return ForPart(
            child, [&] { return FProxy->get_accKeyboardShortcut(child, keys); },
            [&](int, const TAccessiblePart& part) {
                return GiveString(part.KeyboardShortcut, keys);
            });
    }
    STDMETHODIMP get_accFocus(VARIANT* child) override { return FProxy->get_accFocus(child); }
    STDMETHODIMP get_accSelection(VARIANT* children) override {
        return FProxy->get_accSelection(children);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return ForPart(
            child, [&] { return FProxy->get_accDefaultAction(child, action); },
            [&](int, const TAccessiblePart& part) {
                return GiveString(part.DefaultAction, action);
            });
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        return ForPart(
            child, [&] { return FProxy->accSelect(flags, child); }, Unsupported());
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                             VARIANT child) override {
        return ForPart(
            child, [&] { return FProxy->accLocation(left, top, width, height, child); },
            [&](int, const TAccessiblePart& part) -> HRESULT {
                if (!left || !top || !width || !height)
                    return E_POINTER;
                POINT corner{part.Bounds.left, part.Bounds.top};
                ClientToScreen(FWnd, &corner);
                *left = corner.x;
                *top = corner.y;
                *width = part.Bounds.right - part.Bounds.left;
                *height = part.Bounds.bottom - part.Bounds.top;
                return S_OK;
            });
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return ForPart(
            start, [&] { return FProxy->accNavigate(direction, start, end); }, Unsupported());
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        return ComBarrier([&]() -> HRESULT {
            const HRESULT hr = FProxy->accHitTest(x, y, child);
            TWinControl* control = Control();
            // The proxy finds the window's own children; over the window
            // itself, a part of ours may be there.
            if (hr != S_OK || !control || child->vt != VT_I4 || child->lVal != CHILDID_SELF)
                return hr;
            POINT at{x, y};
            ScreenToClient(FWnd, &at);
            for (int id = 1; id <= control->AccessibleParts(); ++id) {
                TAccessiblePart part;
                if (control->AccessiblePart(id, part) && PtInRect(&part.Bounds, at)) {
                    child->lVal = WindowChildren() + id;
                    break;
                }
            }
            return hr;
        });
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        return ForPart(
            child, [&] { return FProxy->accDoDefaultAction(child); },
            [&](int id, const TAccessiblePart&) {
                Control()->AccessiblePress(id);
                return S_OK;
            });
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override {
        return FProxy->put_accValue(child, value);
    }

private:
    TWinControl* Control() const { return TWinControl::FromHandle(FWnd); }

    // The children the proxy knows: the window's child windows. Our parts
    // are numbered after them.
    long WindowChildren() const {
        long count = 0;
        return SUCCEEDED(FProxy->get_accChildCount(&count)) ? count : 0;
    }

    // S_OK with the number of one of the control's own parts; S_FALSE for
    // the window itself or a child the proxy knows; a failure otherwise.
    HRESULT Part(const VARIANT& child, int& id) const {
        TWinControl* control = Control();
        if (!control)
            return RPC_E_DISCONNECTED;
        if (child.vt == VT_EMPTY)
            return S_FALSE;
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        const long windows = control->AccessibleParts() == 0 ? 0 : WindowChildren();
        if (child.lVal == CHILDID_SELF || control->AccessibleParts() == 0 ||
            (child.lVal >= 1 && child.lVal <= windows))
            return S_FALSE;
        if (child.lVal <= windows || child.lVal > windows + control->AccessibleParts())
            return E_INVALIDARG;
        id = static_cast<int>(child.lVal - windows);
        return S_OK;
    }

    // One request: `self` answers for the window and the proxy's children,
    // `part` for one of the control's own parts, behind the COM barrier.
    template <class F, class G>
    HRESULT ForPart(const VARIANT& child, F&& self, G&& part) {
        return ComBarrier([&]() -> HRESULT {
            int id = 0;
            if (const HRESULT hr = Part(child, id); hr != S_OK)
                return hr == S_FALSE ? self() : hr;
            TAccessiblePart found;
            Control()->AccessiblePart(id, found);
            return part(id, found);
        });
    }

    static HRESULT GiveNumber(long value, VARIANT* out) {
        if (!out)
            return E_POINTER;
        VariantInitLocal(*out);
        out->vt = VT_I4;
        out->lVal = value;
        return S_OK;
    }

    // VariantInit without importing oleaut32 for it.
    static void VariantInitLocal(VARIANT& v) {
        v = VARIANT{};
        v.vt = VT_EMPTY;
    }

    ~TAccessibleClient() = default;

    HWND FWnd;
    TComPtr<IAccessible> FProxy;
    long FRefs = 1;
};

} // namespace

LRESULT AccessibleObjectFor(TWinControl& control, WPARAM wParam, LPARAM lParam) {
    // The object id is a 32-bit value, sign-extended or not in a 64-bit LPARAM.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT)
        return 0;
    if (control.AccessibleName().empty() && control.AccessibleParts() == 0)
        return 0;
    OleInitializeOnce();
    TOleAcc& library = OleAcc();
    TComPtr<IAccessible> proxy;
    if (FAILED(
            library.CreateStd(control.Handle(), OBJID_CLIENT, IID_IAccessible, proxy.PutVoid())) ||
        !proxy)
        return 0;
    TComPtr<IAccessible> client;
    client.Attach(new TAccessibleClient(control.Handle(), proxy.Get()));
    // The result holds its own reference; ours goes with `client`.
    return library.Result(IID_IAccessible, wParam, client.Get());
}

namespace {
// The controls without a window of their own that screen readers see as
// parts of `parent`'s window; the part of the one at `id` when asked.
int FindPart(const TWinControl& parent, int id, TAccessiblePart* part, TControl** control) {
    int count = 0;
    for (TControl* c : parent.Controls()) {
        TAccessiblePart found;
        if (dynamic_cast<TWinControl*>(c) || !c->AccessibleAsPart(found))
            continue;
        if (++count == id) {
            if (part)
                *part = found;
            if (control)
                *control = c;
            break;
        }
    }
    return count;
}
} // namespace

int TWinControl::AccessibleParts() const {
    return FindPart(*this, 0, nullptr, nullptr);
}

bool TWinControl::AccessiblePart(int id, TAccessiblePart& part) const {
    return id >= 1 && FindPart(*this, id, &part, nullptr) == id;
}

void TWinControl::AccessiblePress(int id) {
    TControl* control = nullptr;
    if (id >= 1 && FindPart(*this, id, nullptr, &control) == id && control->Enabled())
        control->Press();
}

std::string TWinControl::AccessibleName() const {
    if (!FAccessibleName.empty())
        return FAccessibleName;
    const TWinControl* root = this;
    while (root->Parent())
        root = root->Parent();
    // The labels of the window, graphic controls at any depth.
    std::string name;
    const auto find = [&](const auto& self, const TWinControl& parent,
                          const TWinControl& target) -> bool {
        for (TControl* c : parent.Controls()) {
            if (auto* g = dynamic_cast<TGraphicControl*>(c); g && g->NamesControl(target, name))
                return true;
            if (auto* w = dynamic_cast<TWinControl*>(c); w && self(self, *w, target))
                return true;
        }
        return false;
    };
    if (find(find, *root, *this))
        return name;
    // The window that takes the focus for a compound control answers for it.
    if (const TWinControl* holder = Parent(); holder && !holder->TabStop() && TabStop())
        return holder->AccessibleName();
    return {};
}
