#include "htmlview/HtmlPrinting_win32.h"

#include <winspool.h>

#include <algorithm>
#include <vector>

#include "framework/Dialogs_win32.h"
#include "framework/SysUtils_win32.h"

namespace {
// The spooler is loaded when first needed (whether a printer exists is asked
// after the main window shows): imported, it and what it needs would load
// before the program's entry. So is the print dialog's library
// (CommonDialogs), which brings shell32 and is needed only to print.
struct TSpooler {
    HMODULE Library = LoadSystemLibrary("winspool.drv");
    decltype(&::EnumPrintersA) EnumPrinters =
        LibraryEntry<decltype(&::EnumPrintersA)>(Library, "winspool.drv", "EnumPrintersA");
    decltype(&::GetDefaultPrinterA) GetDefaultPrinter =
        LibraryEntry<decltype(&::GetDefaultPrinterA)>(Library, "winspool.drv",
                                                      "GetDefaultPrinterA");
};

const TSpooler& Spooler() {
    static const TSpooler library;
    return library;
}

// What the print dialog hands back and we must free: its DC and the global
// memory of its DEVMODE and DEVNAMES.
class TPrintDialogResult {
public:
    explicit TPrintDialogResult(PRINTDLGA& pd) : FPD(pd) {}
    ~TPrintDialogResult() {
        if (FPD.hDC)
            DeleteDC(FPD.hDC);
        if (FPD.hDevMode)
            GlobalFree(FPD.hDevMode);
        if (FPD.hDevNames)
            GlobalFree(FPD.hDevNames);
    }
    TPrintDialogResult(const TPrintDialogResult&) = delete;
    TPrintDialogResult& operator=(const TPrintDialogResult&) = delete;

private:
    PRINTDLGA& FPD;
};

// A started document, aborted unless it ended.
class TPrintDocument {
public:
    TPrintDocument(HDC dc, const std::string& title) : FDC(dc) {
        DOCINFOA doc{};
        doc.cbSize = sizeof doc;
        doc.lpszDocName = title.c_str();
        if (StartDocA(dc, &doc) <= 0)
            RaiseLastOSError("Printing \"" + title + "\"", "StartDoc");
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

// The dialog asks for a range before the pages exist (they depend on the
// printer chosen in it): it allows any, and the job keeps what exists.
constexpr WORD kAnyPage = 9999;
} // namespace

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

bool PrintWithDialog(HWND owner, const THtmlPrintJob& job, bool prompt) {
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | (prompt ? 0 : PD_RETURNDEFAULT);
    pd.nFromPage = 1;
    pd.nToPage = 1;
    pd.nMinPage = 1;
    pd.nMaxPage = kAnyPage;
    pd.nCopies = 1;
    TPrintDialogResult result(pd);
    if (!CommonDialogs().PrintDlg(&pd)) {
        if (const DWORD error = CommonDialogs().ExtendedError())
            RaiseOSError("The print dialog", "PrintDlg", error);
        return false;
    }
    if (!pd.hDC)
        RaiseLastOSError("The print dialog", "PrintDlg");

    const std::string what = "Printing \"" + job.Title + "\"";
    const int pages = job.Paginate(pd.hDC);
    int first = 0, last = pages - 1;
    if (pd.Flags & PD_PAGENUMS) {
        first = std::max(0, pd.nFromPage - 1);
        last = std::min(last, pd.nToPage - 1);
    }
    // We make the copies (the dialog left the driver's count at one): whole
    // sets when collated, else each page repeated.
    const int copies = std::max<int>(1, pd.nCopies);
    const bool collate = (pd.Flags & PD_COLLATE) != 0;
    TPrintDocument document(pd.hDC, job.Title);
    for (int set = 0; set < (collate ? copies : 1); ++set)
        for (int page = first; page <= last; ++page)
            for (int copy = 0; copy < (collate ? 1 : copies); ++copy) {
                if (StartPage(pd.hDC) <= 0)
                    RaiseLastOSError(what, "StartPage");
                job.DrawPage(pd.hDC, page);
                if (EndPage(pd.hDC) <= 0)
                    RaiseLastOSError(what, "EndPage");
            }
    document.End(what);
    return true;
}
