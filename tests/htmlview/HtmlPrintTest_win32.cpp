// Printing through the real print dialog, driven as a user would, onto the
// test printer; the pages are counted in the PostScript it wrote.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <stdexcept>
#include <vector>

#include "framework/SysUtils.h"
#include "htmlview/HtmlPrinting_win32.h"
#include "tests/htmlview/HtmlViewTestUtil_win32.h"
#include "tests/printer/TestPrinter_win32.h"

using namespace qorvtest;

namespace {
// Answers the print dialog once it shows: `fill` sets its boxes, then
// `button` is pressed.
struct TDialogAnswer {
    explicit TDialogAnswer(int button, std::function<void(HWND)> fill = nullptr)
        : Driver([this, button, fill] {
              HWND dialog = FindPrintDialog();
              if (!dialog)
                  return false;
              Seen = true;
              if (fill)
                  fill(dialog);
              PostMessageA(dialog, WM_COMMAND, button, 0);
              return true;
          }) {}
    bool Seen = false;
    TModalDriver Driver;
};

struct TRecordedJob {
    std::vector<int> Drawn;
    int Dpi = 0;
    THtmlPrintJob Job(int pages) {
        THtmlPrintJob job;
        job.Title = "Pages";
        job.Paginate = [this, pages](HDC dc) {
            Dpi = GetDeviceCaps(dc, LOGPIXELSY);
            return pages;
        };
        job.DrawPage = [this](HDC dc, int page) {
            Drawn.push_back(page);
            TextOutA(dc, 100, 100, "page", 4);
        };
        return job;
    }
};

void ChoosePages(HWND dialog, const char* from, const char* to) {
    CheckRadioButton(dialog, rad1, rad3, rad3);
    SetDlgItemTextA(dialog, edt1, from);
    SetDlgItemTextA(dialog, edt2, to);
}

class HtmlPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestPrinterInstalled());
        DeleteFileA(TestPrinterOutput().c_str());
    }
    int PagesPrinted() { return CountPostScriptPages(TestPrinterOutput()); }
    THtmlTestApp App;
};
} // namespace

TEST_F(HtmlPrint, OkPrintsEveryPageAtThePrintersResolution) {
    TRecordedJob rec;
    TDialogAnswer answer(IDOK);
    EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(4)));
    EXPECT_TRUE(answer.Seen);
    EXPECT_EQ(rec.Dpi, 300);
    EXPECT_EQ(rec.Drawn, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(PagesPrinted(), 4);
}

TEST_F(HtmlPrint, PageRangeAndCopiesAsTheDialogSays) {
    TRecordedJob rec;
    {
        TDialogAnswer answer(IDOK, [](HWND d) { ChoosePages(d, "2", "3"); });
        EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(5)));
    }
    EXPECT_EQ(rec.Drawn, (std::vector<int>{1, 2}));
    EXPECT_EQ(PagesPrinted(), 2);

    // A range past the end keeps the pages that exist; two collated copies.
    rec.Drawn.clear();
    DeleteFileA(TestPrinterOutput().c_str());
    TDialogAnswer answer(IDOK, [](HWND d) {
        ChoosePages(d, "2", "9");
        SetDlgItemTextA(d, edt3, "2");
        CheckDlgButton(d, chx2, BST_CHECKED);
    });
    EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(3)));
    EXPECT_EQ(rec.Drawn, (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(PagesPrinted(), 4);
}

TEST_F(HtmlPrint, CancelPrintsNothing) {
    TRecordedJob rec;
    TDialogAnswer answer(IDCANCEL);
    EXPECT_FALSE(PrintWithDialog(nullptr, rec.Job(4)));
    EXPECT_TRUE(answer.Seen);
    EXPECT_TRUE(rec.Drawn.empty());
    EXPECT_EQ(PagesPrinted(), -1);
}

TEST_F(HtmlPrint, AFailingPageAbortsTheJob) {
    THtmlPrintJob job = TRecordedJob().Job(3);
    job.DrawPage = [](HDC, int page) {
        if (page == 1)
            throw Exception("drawing failed");
    };
    TDialogAnswer answer(IDOK);
    EXPECT_THROW(PrintWithDialog(nullptr, job), Exception);
    EXPECT_LE(PagesPrinted(), 0);
}

// Runs in a process of its own (see CMakeLists.txt): Wine's print dialog
// keeps the printer it used open, and a printer deleted while open cannot
// come back in that process.
TEST(HtmlNoPrinter, NoneIsInstalled) {
    if (!getenv("QORV_NO_PRINTER_CASES"))
        GTEST_SKIP() << "runs as wintest_htmlview_noprinter";
    ASSERT_TRUE(PrinterInstalled());
    RemoveTestPrinter();
    EXPECT_FALSE(PrinterInstalled());
    InstallTestPrinter(QORV_TEST_PRINTER_PPD);
    EXPECT_TRUE(PrinterInstalled());
}
