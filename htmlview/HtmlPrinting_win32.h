// Printing pages through the system's print dialog: the user picks the
// printer, the page range and the copies; the pages are laid out for the
// chosen printer's paper and sent as one job at its resolution.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Whether the system has at least one printer, local or connected.
bool PrinterInstalled();
// The default printer's name; empty without one.
std::string DefaultPrinterName();

// A printer DC or information context, deleted with the holder.
class THtmlPrinterDC {
public:
    explicit THtmlPrinterDC(HDC dc = nullptr) : FDC(dc) {}
    ~THtmlPrinterDC();
    THtmlPrinterDC(THtmlPrinterDC&& other) noexcept;
    THtmlPrinterDC& operator=(THtmlPrinterDC&& other) noexcept;
    HDC Get() const { return FDC; }

private:
    HDC FDC;
};

// The printer, paper and orientation the print dialog was last confirmed
// with: the next dialog opens with them, and the preview lays its pages out
// for them. Copies are not kept. A printer removed since is forgotten.
class THtmlPrinterChoice {
public:
    THtmlPrinterChoice() = default;
    ~THtmlPrinterChoice();
    THtmlPrinterChoice(const THtmlPrinterChoice&) = delete;
    THtmlPrinterChoice& operator=(const THtmlPrinterChoice&) = delete;

    bool Empty() const { return FDevNames == nullptr; }
    std::string PrinterName() const;
    // An information context of the chosen printer with its device mode;
    // null without a choice or when that printer is gone.
    THtmlPrinterDC InformationContext() const;
    // Counts the choices the dialog confirmed.
    unsigned Serial() const { return FSerial; }
    // The file "Print to file" wrote last; the next one starts with it.
    const std::string& OutputFile() const { return FOutputFile; }
    void SetOutputFile(const std::string& name) { FOutputFile = name; }
    void Forget();

private:
    friend class TPrintDialogRun;
    HGLOBAL FDevMode = nullptr;
    HGLOBAL FDevNames = nullptr;
    unsigned FSerial = 0;
    std::string FOutputFile;
};

// What a job prints on a printer's DC: `Paginate` lays the document out for
// the paper of the DC (an information context of the printer) and answers
// the number of pages; `DrawPage` draws one page (0-based) on the printer's
// DC, in device units.
struct THtmlPrintJob {
    std::string Title;
    std::function<int(HDC dc)> Paginate;
    std::function<void(HDC dc, int page)> DrawPage;
};

// Shows the print dialog owned by `owner`, opened with `choice`, and prints
// the pages it names; the choice confirmed is kept there. With `prompt`
// false, prints every page once on the kept printer, or the default one,
// without it. Copies go to the printer's driver where it can make them. The
// job shows its progress in a window with Cancel (owner disabled meanwhile,
// the thread's windows served between pages). "Print to file" asks for the
// file. Answers whether a job was printed: false when cancelled, or when
// nothing could be printed (a range past the last page, more copies than can
// be made), which a message box says. A failing printer aborts the job and
// raises EOSError naming the step.
bool PrintWithDialog(HWND owner, const THtmlPrintJob& job, THtmlPrinterChoice& choice,
                     bool prompt = true);

// The window that shows a running job's progress, or null.
HWND PrintProgressWindow();
