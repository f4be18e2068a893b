#include "framework/ComObj_win32.h"

#include "framework/Controls_win32.h"

namespace {

// The entries of ole32 and oleaut32 we use. OleUninitialize runs at the end
// of the process, on the thread that initialised (static objects are
// destroyed on the thread that ends the program); the libraries stay loaded.
struct TOleSession {
    HMODULE Ole = LoadSystemLibrary("ole32.dll");
    HMODULE OleAut = LoadSystemLibrary("oleaut32.dll");
    decltype(&::OleInitialize) Initialize =
        LibraryEntry<decltype(&::OleInitialize)>(Ole, "ole32.dll", "OleInitialize");
    decltype(&::OleUninitialize) Uninitialize =
        LibraryEntry<decltype(&::OleUninitialize)>(Ole, "ole32.dll", "OleUninitialize");
    decltype(&::CoCreateInstance) CreateInstance =
        LibraryEntry<decltype(&::CoCreateInstance)>(Ole, "ole32.dll", "CoCreateInstance");
    decltype(&::SysAllocStringLen) AllocString =
        LibraryEntry<decltype(&::SysAllocStringLen)>(OleAut, "oleaut32.dll", "SysAllocStringLen");
    decltype(&::SysFreeString) FreeString =
        LibraryEntry<decltype(&::SysFreeString)>(OleAut, "oleaut32.dll", "SysFreeString");

    TOleSession() { OleCheck(Initialize(nullptr), "Cannot initialise OLE", "OleInitialize"); }
    ~TOleSession() { Uninitialize(); }
};

TOleSession& Session() {
    static TOleSession session;
    return session;
}

} // namespace

void OleInitializeOnce() {
    Session();
}

HRESULT CreateComObject(REFCLSID cls, REFIID iid, void** out) {
    return Session().CreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, iid, out);
}

TBStr::TBStr(const std::string& ansi) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    FStr = Session().AllocString(nullptr, static_cast<UINT>(length));
    if (!FStr)
        throw EOSError("Out of memory for a string of " + std::to_string(ansi.size()) +
                           " characters",
                       static_cast<uint32_t>(E_OUTOFMEMORY));
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), FStr, length);
}

TBStr::~TBStr() {
    Session().FreeString(FStr);
}

std::string WideToAnsi(const wchar_t* text) {
    if (!text || !*text)
        return {};
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), length, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
    return ansi;
}

void ComCallbackFailed() noexcept {
    try {
        HandleControlException();
    } catch (...) {
        // The error box itself failed: nothing is left to tell the user with.
    }
}
