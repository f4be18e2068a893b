// Printing pages through the system's print dialog: the user picks the
// printer, the page range and the copies; the pages are laid out for the
// chosen printer's paper and sent as one job at its resolution.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Whether the system has at least one printer, local or connected.
bool PrinterInstalled();
// The default printer's name; empty without one.
std::string DefaultPrinterName();

// What a job prints on a printer's DC: `Paginate` lays the document out for
// the DC's paper and answers the number of pages; `DrawPage` draws one page
// (0-based) on the DC, in device units.
struct THtmlPrintJob {
    std::string Title;
    std::function<int(HDC dc)> Paginate;
    std::function<void(HDC dc, int page)> DrawPage;
};

// Shows the print dialog owned by `owner` and prints the pages it names; with
// `prompt` false, prints every page once on the default printer without it.
// Cancelling prints nothing and answers false. A failing printer aborts the
// job and raises EOSError naming the step.
bool PrintWithDialog(HWND owner, const THtmlPrintJob& job, bool prompt = true);
