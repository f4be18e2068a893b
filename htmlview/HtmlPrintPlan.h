// What a print job draws once the print dialog has answered: the pages of the
// range that exist, and who makes the copies (the printer's driver where it
// can, else the program, within a bound), or why nothing can be printed.
#pragma once

#include <string>

// What the user asked for in the print dialog.
struct THtmlPrintRequest {
    bool PageRange = false; // false: every page
    int FromPage = 1;       // 1-based, as typed
    int ToPage = 1;
    int Copies = 1;
    bool Collate = false;
};

// What the printer's driver does by itself.
struct THtmlDriverCopies {
    int MaxCopies = 1; // the most copies it makes of a job; 1: none
    bool Collates = false;
};

// The most copies the program draws itself for a driver that cannot make
// them: each is drawn and spooled in full, so a mistyped 9999 would fill the
// disk for hours.
constexpr int kMaxOwnCopies = 99;

enum class THtmlPrintVerdict { Print, NoPagesInRange, TooManyCopies };

struct THtmlCopyPlan {
    THtmlPrintVerdict Verdict = THtmlPrintVerdict::Print;
    int DriverCopies = 1; // handed to the driver in the device mode
    bool DriverCollate = false;
    int Sets = 1;    // times the program draws the whole range (collated copies)
    int Repeats = 1; // times the program draws each page in a row (uncollated)
};

// Who makes the copies asked for. A count below one is one copy.
THtmlCopyPlan PlanHtmlCopies(const THtmlPrintRequest& request, const THtmlDriverCopies& driver);

// The 0-based pages of the request that exist in a document of `pages`;
// First > Last when none does.
struct THtmlPageSpan {
    int First = 0;
    int Last = -1;
    bool Empty() const { return First > Last; }
    int Count() const { return Empty() ? 0 : Last - First + 1; }
};
THtmlPageSpan HtmlPagesToPrint(const THtmlPrintRequest& request, int pages);

// Why nothing was printed, for the user.
std::string HtmlNoPagesMessage(const THtmlPrintRequest& request, int pages);
std::string HtmlTooManyCopiesMessage(const THtmlPrintRequest& request, const std::string& printer,
                                     const THtmlDriverCopies& driver);
