// COM for the framework: OLE readied once on the GUI thread, COM pointers
// and strings owned by RAII holders, and the one exception barrier for the
// methods we implement for COM to call.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <string>
#include <utility>

#include "framework/SysUtils_win32.h"

// Initialises OLE (in-place activation needs it, not COM alone) on the
// calling thread the first time; it stays until the process ends. Raises
// when the system refuses. ole32 and oleaut32 are loaded here, not imported:
// under Wine importing them cost 35 to 80 ms of every process start, also of
// runs that never use COM.
void OleInitializeOnce();
// CoCreateInstance of an in-process server, OLE initialised first.
HRESULT CreateComObject(REFCLSID cls, REFIID iid, void** out);

// Raises EOSError naming `what` and `call` with the system's text for a
// failed HRESULT; returns the result otherwise (S_FALSE is no failure).
inline HRESULT OleCheck(HRESULT result, const std::string& what, const char* call) {
    if (FAILED(result))
        RaiseHResult(what, call, result);
    return result;
}

// Owns one reference to a COM object.
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    // Takes a new reference (AddRef); use Attach for one already counted.
    explicit TComPtr(T* p) : FPtr(p) {
        if (FPtr)
            FPtr->AddRef();
    }
    TComPtr(const TComPtr& other) : TComPtr(other.FPtr) {}
    TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    TComPtr& operator=(TComPtr other) noexcept {
        std::swap(FPtr, other.FPtr);
        return *this;
    }
    ~TComPtr() { Reset(); }

    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    // Releases what is held; the count the object returned, or 0 for none.
    ULONG Reset() { return FPtr ? std::exchange(FPtr, nullptr)->Release() : 0; }
    void Attach(T* p) {
        Reset();
        FPtr = p;
    }
    // Where a call returning a counted pointer writes it (released first).
    T** Put() {
        Reset();
        return &FPtr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    // The same object through another interface; empty when it has none.
    template <class U>
    TComPtr<U> As(REFIID iid) const {
        TComPtr<U> other;
        if (FPtr)
            FPtr->QueryInterface(iid, other.PutVoid());
        return other;
    }

private:
    T* FPtr = nullptr;
};

// A BSTR owned.
class TBStr {
public:
    explicit TBStr(const std::string& ansi);
    ~TBStr();
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    BSTR Get() const { return FStr; }
    // Hands the string over, for a caller to free (an interface's getter).
    BSTR Detach() { return std::exchange(FStr, nullptr); }

private:
    BSTR FStr;
};

// ANSI text of a wide string (a BSTR, a URL a COM event hands over).
std::string WideToAnsi(const wchar_t* text);

// Hands the exception being handled to the application's error box.
void ComCallbackFailed() noexcept;

// The barrier for a COM method we implement: runs `body`, and hands what it
// raises to the application's error box, answering E_UNEXPECTED; COM must
// never see a C++ exception.
template <class F>
HRESULT ComBarrier(F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        ComCallbackFailed();
        return E_UNEXPECTED;
    }
}
