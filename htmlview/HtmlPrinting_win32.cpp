#include "htmlview/HtmlPrinting_win32.h"

#include <winspool.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/Dialogs_win32.h"
#include "framework/Forms_win32.h"
#include "framework/SysUtils_win32.h"
#include "htmlview/HtmlPrintPlan.h"

namespace {
// The spooler is loaded when first needed (whether a printer exists is asked
// after the main window shows): imported, it and what it needs would load
// before the program's entry. So is the print dialog's library
// (CommonDialogs), which brings shell32 and is needed only to print.
template <class F>
F SpoolerEntry(HMODULE library, const char* name) {
    return LibraryEntry<F>(library, "winspool.drv", name);
}

struct TSpooler {
    HMODULE Library = LoadSystemLibrary("winspool.drv");
    decltype(&::EnumPrintersA) EnumPrinters =
        SpoolerEntry<decltype(&::EnumPrintersA)>(Library, "EnumPrintersA");
    decltype(&::GetDefaultPrinterA) GetDefaultPrinter =
        SpoolerEntry<decltype(&::GetDefaultPrinterA)>(Library, "GetDefaultPrinterA");
    decltype(&::OpenPrinterA) OpenPrinter =
        SpoolerEntry<decltype(&::OpenPrinterA)>(Library, "OpenPrinterA");
    decltype(&::ClosePrinter) ClosePrinter =
        SpoolerEntry<decltype(&::ClosePrinter)>(Library, "ClosePrinter");
    decltype(&::DeviceCapabilitiesA) DeviceCapabilities =
        SpoolerEntry<decltype(&::DeviceCapabilitiesA)>(Library, "DeviceCapabilitiesA");
};

const TSpooler& Spooler() {
    static const TSpooler library;
    return library;
}

bool PrinterExists(const std::string& name) {
    HANDLE printer = nullptr;
    if (!Spooler().OpenPrinter(const_cast<char*>(name.c_str()), &printer, nullptr))
        return false;
    Spooler().ClosePrinter(printer);
    return true;
}

// Global memory the print dialog hands over, locked for the holder's lifetime.
template <class T>
class TGlobalLock {
public:
    explicit TGlobalLock(HGLOBAL memory)
        : FMemory(memory), FData(memory ? static_cast<T*>(GlobalLock(memory)) : nullptr) {}
    ~TGlobalLock() {
        if (FData)
            GlobalUnlock(FMemory);
    }
    TGlobalLock(const TGlobalLock&) = delete;
    TGlobalLock& operator=(const TGlobalLock&) = delete;
    T* Get() const { return FData; }
    size_t Size() const { return FData ? GlobalSize(FMemory) : 0; }

private:
    HGLOBAL FMemory;
    T* FData;
};

// Global memory freed with the holder unless it is handed on.
class TGlobalMemory {
public:
    explicit TGlobalMemory(HGLOBAL memory = nullptr) : FMemory(memory) {}
    ~TGlobalMemory() {
        if (FMemory)
            GlobalFree(FMemory);
    }
    TGlobalMemory(const TGlobalMemory&) = delete;
    TGlobalMemory& operator=(const TGlobalMemory&) = delete;
    HGLOBAL Release() { return std::exchange(FMemory, nullptr); }

private:
    HGLOBAL FMemory;
};

// A printer as the dialog names it, with a copy of its device mode (paper,
// orientation, copies) that the job may change.
struct TDevice {
    std::string Name;
    std::string Port;
    std::vector<BYTE> Mode;
    DEVMODEA* DevMode() {
        return Mode.empty() ? nullptr : reinterpret_cast<DEVMODEA*>(Mode.data());
    }
};

TDevice DeviceOf(HGLOBAL devNames, HGLOBAL devMode) {
    TDevice device;
    TGlobalLock<DEVNAMES> names(devNames);
    if (names.Get() && names.Get()->wDeviceOffset < names.Size())
        device.Name = reinterpret_cast<const char*>(names.Get()) + names.Get()->wDeviceOffset;
    if (names.Get() && names.Get()->wOutputOffset < names.Size())
        device.Port = reinterpret_cast<const char*>(names.Get()) + names.Get()->wOutputOffset;
    TGlobalLock<DEVMODEA> mode(devMode);
    if (mode.Get() && mode.Size() >= offsetof(DEVMODEA, dmFields) + sizeof(DWORD)) {
        const size_t size =
            std::min<size_t>(mode.Size(), mode.Get()->dmSize + mode.Get()->dmDriverExtra);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(mode.Get());
        device.Mode.assign(bytes, bytes + size);
    }
    return device;
}

// Whether a device mode's public part reaches `field`: the driver's own data
// follows that part, whose size the driver chose.
template <class F>
bool HasField(const TDevice& device, const F DEVMODEA::*field) {
    if (device.Mode.size() < offsetof(DEVMODEA, dmFields) + sizeof(DWORD))
        return false;
    const auto* mode = reinterpret_cast<const DEVMODEA*>(device.Mode.data());
    const auto offset =
        reinterpret_cast<const BYTE*>(&(mode->*field)) - reinterpret_cast<const BYTE*>(mode);
    return static_cast<size_t>(offset) + sizeof(F) <=
           std::min<size_t>(mode->dmSize, device.Mode.size());
}

THtmlDriverCopies DriverCopiesOf(TDevice& device) {
    const auto caps = Spooler().DeviceCapabilities;
    const char* name = device.Name.c_str();
    const char* port = device.Port.empty() ? nullptr : device.Port.c_str();
    THtmlDriverCopies driver;
    driver.MaxCopies = std::max<int>(1, caps(name, port, DC_COPIES, nullptr, device.DevMode()));
    driver.Collates = caps(name, port, DC_COLLATE, nullptr, device.DevMode()) == 1;
    return driver;
}

// What the dialog answered.
struct TAnswer {
    TDevice Device;
    THtmlPrintRequest Request;
    bool ToFile = false;
};

std::string ApplicationTitle() {
    return Application ? Application->Title() : std::string();
}

void Tell(HWND owner, const std::string& text) {
    MessageBoxA(owner, text.c_str(), ApplicationTitle().c_str(), MB_OK | MB_ICONWARNING);
}

// "Print to file": the file the job goes to, as Windows asks for one when the
// dialog names the port "FILE:" (Wine does not ask). Empty when cancelled.
std::string AskOutputFile(THtmlPrinterChoice& choice) {
    TSaveDialog dialog(nullptr);
    dialog.SetFilter("Printer files (*.prn)|*.prn|All files (*.*)|*.*");
    dialog.SetFileName(choice.OutputFile());
    dialog.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofPathMustExist | ofEnableSizing);
    if (!dialog.Execute())
        return {};
    choice.SetOutputFile(dialog.FileName());
    return dialog.FileName();
}

// A started document, aborted unless it ended.
class TPrintDocument {
public:
    TPrintDocument(HDC dc, const std::string& title, const std::string& output) : FDC(dc) {
        DOCINFOA doc{};
        doc.cbSize = sizeof doc;
        doc.lpszDocName = title.c_str();
        doc.lpszOutput = output.empty() ? nullptr : output.c_str();
        if (StartDocA(dc, &doc) <= 0)
            RaiseLastOSError("Printing \"" + title + "\"" +
                                 (output.empty() ? std::string() : " to \"" + output + "\""),
                             "StartDoc");
    }
    ~TPrintDocument() {
        if (!FEnded)
            AbortDoc(FDC);
    }
    TPrintDocument(const TPrintDocument&) = delete;
    TPrintDocument& operator=(const TPrintDocument&) = delete;
    void End(const std::string& what) {
        FEnded = true;
        if (EndDoc(FDC) <= 0)
            RaiseLastOSError(what, "EndDoc");
    }

private:
    HDC FDC;
    bool FEnded = false;
};

// The running job's window: which page is drawn, and Cancel. While it shows,
// the owner is disabled as under a modal dialog, and the thread's messages
// are served between pages (and whenever the driver asks the abort
// procedure), so every window keeps painting and Cancel, Esc or the close
// box stop the job.
class TPrintProgress {
public:
    TPrintProgress(HWND owner, const std::string& title, int total);
    ~TPrintProgress();
    TPrintProgress(const TPrintProgress&) = delete;
    TPrintProgress& operator=(const TPrintProgress&) = delete;

    // Says that page `index` (0-based) of the total is drawn next, then
    // serves the waiting messages; false once the user cancelled.
    bool Step(int index);
    bool Cancelled() const { return FCancelled; }
    static TPrintProgress* Active() { return FActive; }
    HWND Window() const { return FWindow; }
    static BOOL CALLBACK AbortProc(HDC, int);

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool Serve();
    void Cancel();

    static inline TPrintProgress* FActive = nullptr;
    HWND FOwner;
    bool FOwnerEnabled = false;
    HWND FWindow = nullptr, FPage = nullptr, FButton = nullptr;
    int FTotal;
    bool FCancelled = false;
};

constexpr char kProgressClass[] = "QorvPrintProgress";
constexpr int kProgressWidth = 300, kProgressHeight = 104;

TPrintProgress::TPrintProgress(HWND owner, const std::string& title, int total)
    : FOwner(owner), FTotal(total) {
    static const ATOM registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kProgressClass;
        return RegisterClassA(&wc);
    }();
    if (!registered)
        RaiseLastOSError("The print progress window", "RegisterClass");

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, kProgressWidth, kProgressHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    // Centred on the owner, inside the work area of the monitor it is on.
    RECT around{};
    if (!owner || !GetWindowRect(owner, &around))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromRect(&around, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int left = std::clamp<int>((around.left + around.right - width) / 2, work.left,
                                     std::max<int>(work.left, work.right - width));
    const int top = std::clamp<int>((around.top + around.bottom - height) / 2, work.top,
                                    std::max<int>(work.top, work.bottom - height));

    const std::string caption = ApplicationTitle().empty() ? "Printing" : ApplicationTitle();
    FActive = this;
    FWindow = CreateWindowExA(exStyle, kProgressClass, caption.c_str(), style, left, top, width,
                              height, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!FWindow) {
        FActive = nullptr;
        RaiseLastOSError("The print progress window", "CreateWindowEx");
    }
    const auto child = [this](const char* cls, const std::string& text, DWORD style, int id,
                              RECT r) {
        HWND wnd = CreateWindowExA(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left,
                                   r.top, r.right, r.bottom, FWindow,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
        SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     0);
        return wnd;
    };
    child("STATIC", "Printing \"" + title + "\"", SS_NOPREFIX | SS_ENDELLIPSIS, -1,
          {12, 12, kProgressWidth - 24, 16});
    FPage = child("STATIC", "", SS_NOPREFIX, -1, {12, 34, kProgressWidth - 24, 16});
    FButton = child("BUTTON", "Cancel", BS_DEFPUSHBUTTON | WS_TABSTOP, IDCANCEL,
                    {(kProgressWidth - 75) / 2, kProgressHeight - 35, 75, 23});
    if (FOwner)
        FOwnerEnabled = !EnableWindow(FOwner, FALSE);
    ShowWindow(FWindow, SW_SHOW);
    SetFocus(FButton);
    UpdateWindow(FWindow);
}

TPrintProgress::~TPrintProgress() {
    // The owner first, so that activation returns to it.
    if (FOwner && FOwnerEnabled)
        EnableWindow(FOwner, TRUE);
    if (FWindow)
        DestroyWindow(FWindow);
    FActive = nullptr;
}

bool TPrintProgress::Step(int index) {
    if (FPage && !FCancelled)
        SetWindowTextA(FPage, ("Page " + std::to_string(std::min(index + 1, FTotal)) + " of " +
                               std::to_string(FTotal))
                                  .c_str());
    return Serve();
}

bool TPrintProgress::Serve() {
    MSG msg;
    while (!FCancelled && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is ending: stop the job and leave the request for
            // the loop that waits for it.
            Cancel();
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!FWindow || !IsDialogMessageA(FWindow, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return !FCancelled;
}

void TPrintProgress::Cancel() {
    FCancelled = true;
    if (FPage)
        SetWindowTextA(FPage, "Cancelling...");
    if (FButton)
        EnableWindow(FButton, FALSE);
}

BOOL CALLBACK TPrintProgress::AbortProc(HDC, int) {
    return FActive ? FActive->Serve() : TRUE;
}

LRESULT CALLBACK TPrintProgress::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TPrintProgress* self = FActive && FActive->FWindow == wnd ? FActive : nullptr;
    switch (msg) {
    case WM_COMMAND:
        if (self && LOWORD(wParam) == IDCANCEL)
            self->Cancel();
        return 0;
    case WM_CLOSE:
        if (self)
            self->Cancel();
        return 0;
    case WM_DESTROY:
        // Destroyed with its owner: the job stops.
        if (self) {
            self->FCancelled = true;
            self->FWindow = self->FPage = self->FButton = nullptr;
        }
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}
} // namespace

// ------------------------------------------------------------- the printers

bool PrinterInstalled() {
    const auto enumPrinters = Spooler().EnumPrinters;
    DWORD needed = 0, count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    if (enumPrinters(flags, nullptr, 4, nullptr, 0, &needed, &count) || needed == 0)
        return false;
    std::vector<BYTE> buffer(needed);
    return enumPrinters(flags, nullptr, 4, buffer.data(), needed, &needed, &count) && count > 0;
}

std::string DefaultPrinterName() {
    char name[MAX_PATH + 1];
    DWORD size = sizeof name;
    return Spooler().GetDefaultPrinter(name, &size) ? std::string(name) : std::string();
}

THtmlPrinterDC::~THtmlPrinterDC() {
    if (FDC)
        DeleteDC(FDC);
}

THtmlPrinterDC::THtmlPrinterDC(THtmlPrinterDC&& other) noexcept
    : FDC(std::exchange(other.FDC, nullptr)) {}

THtmlPrinterDC& THtmlPrinterDC::operator=(THtmlPrinterDC&& other) noexcept {
    if (this != &other) {
        if (FDC)
            DeleteDC(FDC);
        FDC = std::exchange(other.FDC, nullptr);
    }
    return *this;
}

// ------------------------------------------------------ the printer choice

THtmlPrinterChoice::~THtmlPrinterChoice() {
    Forget();
}

void THtmlPrinterChoice::Forget() {
    TGlobalMemory mode(std::exchange(FDevMode, nullptr));
    TGlobalMemory names(std::exchange(FDevNames, nullptr));
}

std::string THtmlPrinterChoice::PrinterName() const {
    return DeviceOf(FDevNames, nullptr).Name;
}

THtmlPrinterDC THtmlPrinterChoice::InformationContext() const {
    if (Empty())
        return THtmlPrinterDC();
    TDevice device = DeviceOf(FDevNames, FDevMode);
    return THtmlPrinterDC(CreateICA(nullptr, device.Name.c_str(), nullptr, device.DevMode()));
}

// One answer of the print dialog, opened with the kept choice (lent to it)
// and keeping the choice it was confirmed with.
class TPrintDialogRun {
public:
    // False when the user cancelled.
    static bool Ask(HWND owner, THtmlPrinterChoice& choice, bool prompt, TAnswer& answer);
};

bool TPrintDialogRun::Ask(HWND owner, THtmlPrinterChoice& choice, bool prompt, TAnswer& answer) {
    if (!choice.Empty() && !PrinterExists(choice.PrinterName()))
        choice.Forget();
    if (!prompt && !choice.Empty()) {
        answer.Device = DeviceOf(choice.FDevNames, choice.FDevMode);
        return true;
    }
    // The range allowed is open: the pages exist only once the printer is
    // chosen, and a range past them is told after.
    constexpr WORD kAnyPage = 9999;
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    // Copies and collation go into the device mode, where a driver that can
    // make them finds them; where it cannot, the dialog disables them.
    pd.Flags = PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE | (prompt ? 0 : PD_RETURNDEFAULT);
    pd.nFromPage = 1;
    pd.nToPage = 1;
    pd.nMinPage = 1;
    pd.nMaxPage = kAnyPage;
    pd.nCopies = 1;
    const bool lent = prompt && !choice.Empty();
    if (prompt) {
        pd.hDevMode = std::exchange(choice.FDevMode, nullptr);
        pd.hDevNames = std::exchange(choice.FDevNames, nullptr);
    }
    const BOOL confirmed = CommonDialogs().PrintDlg(&pd);
    // What comes back is ours: the choice when confirmed (or the lent one
    // when cancelled); anything else goes with these holders.
    TGlobalMemory devMode(pd.hDevMode), devNames(pd.hDevNames);
    answer.Device = DeviceOf(pd.hDevNames, pd.hDevMode);
    if ((confirmed && prompt) || (!confirmed && lent)) {
        choice.FDevMode = devMode.Release();
        choice.FDevNames = devNames.Release();
    }
    if (!confirmed) {
        if (const DWORD error = CommonDialogs().ExtendedError())
            RaiseOSError("The print dialog", "PrintDlg", error);
        return false;
    }
    if (prompt)
        ++choice.FSerial;

    THtmlPrintRequest& request = answer.Request;
    request.PageRange = (pd.Flags & PD_PAGENUMS) != 0;
    request.FromPage = pd.nFromPage;
    request.ToPage = pd.nToPage;
    request.Copies = pd.nCopies;
    request.Collate = (pd.Flags & PD_COLLATE) != 0;
    if (const DEVMODEA* mode = answer.Device.DevMode()) {
        if ((mode->dmFields & DM_COPIES) && HasField(answer.Device, &DEVMODEA::dmCopies) &&
            request.Copies <= 1)
            request.Copies = mode->dmCopies;
        if ((mode->dmFields & DM_COLLATE) && HasField(answer.Device, &DEVMODEA::dmCollate) &&
            mode->dmCollate == DMCOLLATE_TRUE)
            request.Collate = true;
    }
    answer.ToFile = (pd.Flags & PD_PRINTTOFILE) != 0;
    // The copies belong to this job: the next dialog starts from one.
    if (TGlobalLock<DEVMODEA> kept(choice.FDevMode); kept.Get() && prompt)
        kept.Get()->dmCopies = 1;
    return true;
}

// ------------------------------------------------------------------ the job

bool PrintWithDialog(HWND owner, const THtmlPrintJob& job, THtmlPrinterChoice& choice,
                     bool prompt) {
    if (TPrintProgress::Active())
        throw Exception("A print job is running: let it end, or cancel it, before printing again.");
    TAnswer answer;
    if (!TPrintDialogRun::Ask(owner, choice, prompt, answer))
        return false;
    TDevice& device = answer.Device;
    const std::string what = "Printing \"" + job.Title + "\"";

    int pages = 0;
    {
        THtmlPrinterDC ic(CreateICA(nullptr, device.Name.c_str(), nullptr, device.DevMode()));
        if (!ic.Get())
            RaiseLastOSError(what + " on \"" + device.Name + "\"", "CreateIC");
        pages = job.Paginate(ic.Get());
    }
    THtmlPrintRequest request = answer.Request;
    const THtmlPageSpan span = HtmlPagesToPrint(request, pages);
    if (span.Empty()) {
        Tell(owner, HtmlNoPagesMessage(request, pages));
        return false;
    }
    // Collating one page changes nothing, and any driver can repeat a page.
    if (span.Count() == 1)
        request.Collate = false;
    const THtmlDriverCopies driver = DriverCopiesOf(device);
    const THtmlCopyPlan plan = PlanHtmlCopies(request, driver);
    if (plan.Verdict == THtmlPrintVerdict::TooManyCopies) {
        Tell(owner, HtmlTooManyCopiesMessage(request, device.Name, driver));
        return false;
    }
    std::string output;
    if (answer.ToFile && (output = AskOutputFile(choice)).empty())
        return false;
    if (DEVMODEA* mode = device.DevMode()) {
        if (HasField(device, &DEVMODEA::dmCopies)) {
            mode->dmCopies = static_cast<short>(plan.DriverCopies);
            mode->dmFields |= DM_COPIES;
        }
        if (HasField(device, &DEVMODEA::dmCollate)) {
            mode->dmCollate = plan.DriverCollate ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
            mode->dmFields |= DM_COLLATE;
        }
    }
    THtmlPrinterDC dc(CreateDCA(nullptr, device.Name.c_str(), nullptr, device.DevMode()));
    if (!dc.Get())
        RaiseLastOSError(what + " on \"" + device.Name + "\"", "CreateDC");

    TPrintProgress progress(owner, job.Title, span.Count() * plan.Sets * plan.Repeats);
    SetAbortProc(dc.Get(), TPrintProgress::AbortProc);
    TPrintDocument document(dc.Get(), job.Title, output);
    // A driver that asked the abort procedure fails the page once the user
    // cancelled: no error then.
    const auto succeeded = [&](int result, const char* call) {
        if (result <= 0 && !progress.Cancelled())
            RaiseLastOSError(what, call);
        return result > 0;
    };
    int index = 0;
    for (int set = 0; set < plan.Sets; ++set)
        for (int page = span.First; page <= span.Last; ++page)
            for (int copy = 0; copy < plan.Repeats; ++copy) {
                if (!progress.Step(index++) || !succeeded(StartPage(dc.Get()), "StartPage"))
                    return false;
                job.DrawPage(dc.Get(), page);
                if (!succeeded(EndPage(dc.Get()), "EndPage"))
                    return false;
            }
    document.End(what);
    return true;
}

HWND PrintProgressWindow() {
    return TPrintProgress::Active() ? TPrintProgress::Active()->Window() : nullptr;
}
