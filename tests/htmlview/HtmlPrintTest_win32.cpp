// Printing through the real print dialog, driven as a user would, onto the
// test printer; the pages are counted in the PostScript it wrote.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "framework/SysUtils.h"
#include "htmlview/HtmlPrinting_win32.h"
#include "tests/htmlview/HtmlViewTestUtil_win32.h"
#include "tests/printer/TestPrinter_win32.h"

using namespace qorvtest;

namespace {
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

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

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
    THtmlPrinterChoice Choice;
};
} // namespace

TEST_F(HtmlPrint, OkPrintsEveryPageAtThePrintersResolution) {
    TRecordedJob rec;
    TPrintDialogAnswer answer(IDOK);
    EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(4), Choice));
    EXPECT_TRUE(answer.Seen);
    EXPECT_EQ(rec.Dpi, 300);
    EXPECT_EQ(rec.Drawn, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(PagesPrinted(), 4);
}

TEST_F(HtmlPrint, PageRangeAndCopiesAsTheDialogSays) {
    TRecordedJob rec;
    {
        TPrintDialogAnswer answer(IDOK, [](HWND d) { ChoosePages(d, "2", "3"); });
        EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(5), Choice));
    }
    EXPECT_EQ(rec.Drawn, (std::vector<int>{1, 2}));
    EXPECT_EQ(PagesPrinted(), 2);

    // A range past the end keeps the pages that exist; two collated copies.
    rec.Drawn.clear();
    DeleteFileA(TestPrinterOutput().c_str());
    TPrintDialogAnswer answer(IDOK, [](HWND d) {
        ChoosePages(d, "2", "9");
        SetDlgItemTextA(d, edt3, "2");
        CheckDlgButton(d, chx2, BST_CHECKED);
    });
    EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(3), Choice));
    EXPECT_EQ(rec.Drawn, (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(PagesPrinted(), 4);
}

TEST_F(HtmlPrint, CancelPrintsNothing) {
    TRecordedJob rec;
    TPrintDialogAnswer answer(IDCANCEL);
    EXPECT_FALSE(PrintWithDialog(nullptr, rec.Job(4), Choice));
    EXPECT_TRUE(answer.Seen);
    EXPECT_TRUE(rec.Drawn.empty());
    EXPECT_EQ(PagesPrinted(), -1);
}

TEST_F(HtmlPrint, AFailingPageAbortsTheJob) {
    TRecordedJob recorded;
    THtmlPrintJob job = recorded.Job(3);
    job.DrawPage = [](HDC, int page) {
        if (page == 1)
            throw Exception("drawing failed");
    };
    TPrintDialogAnswer answer(IDOK);
    EXPECT_THROW(PrintWithDialog(nullptr, job, Choice), Exception);
    EXPECT_LE(PagesPrinted(), 0);
}

TEST_F(HtmlPrint, CopiesTheDriverCanMakeAreLeftToIt) {
    // Fifty copies are one job of each page once, the count in the job for
    // the printer; drawn by the program, they would be 200 pages.
    TRecordedJob rec;
    {
        TPrintDialogAnswer answer(IDOK, [](HWND d) { SetDlgItemTextA(d, edt3, "50"); });
        EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(4), Choice));
    }
    EXPECT_EQ(rec.Drawn, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(PagesPrinted(), 4);
    EXPECT_TRUE(Contains(ReadText(TestPrinterOutput()), "copies=50\n"));

    // The next dialog starts again from one copy.
    std::string copies;
    rec.Drawn.clear();
    TPrintDialogAnswer again(IDOK, [&](HWND d) {
        char text[16] = "";
        GetDlgItemTextA(d, edt3, text, sizeof text);
        copies = text;
    });
    EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(2), Choice));
    EXPECT_EQ(copies, "1");
    EXPECT_EQ(rec.Drawn, (std::vector<int>{0, 1}));
    EXPECT_FALSE(Contains(ReadText(TestPrinterOutput()), "copies=50"));
}

TEST_F(HtmlPrint, WhatCannotBePrintedIsToldAndNothingPrints) {
    TRecordedJob rec;
    std::vector<std::string> told;
    TModalDriver boxes([&] {
        if (std::string text = AnswerMessageBox(); !text.empty())
            told.push_back(text);
        return false;
    });
    {
        // A range wholly past the last page.
        TPrintDialogAnswer answer(IDOK, [](HWND d) { ChoosePages(d, "12", "15"); });
        EXPECT_FALSE(PrintWithDialog(nullptr, rec.Job(3), Choice));
    }
    {
        // Collated copies this driver cannot collate, more than the program
        // draws itself.
        TPrintDialogAnswer answer(IDOK, [](HWND d) {
            SetDlgItemTextA(d, edt3, "200");
            CheckDlgButton(d, chx2, BST_CHECKED);
        });
        EXPECT_FALSE(PrintWithDialog(nullptr, rec.Job(3), Choice));
    }
    EXPECT_TRUE(rec.Drawn.empty());
    EXPECT_EQ(PagesPrinted(), -1);
    EXPECT_EQ(told, (std::vector<std::string>{
                        "There are no pages 12 to 15 to print: the document has 3 pages. "
                        "Nothing was printed.",
                        std::string("The printer \"") + TestPrinterName +
                            "\" cannot make 200 collated copies itself, and this program prints "
                            "at most 99 copies on it. Nothing was printed."}));
}

TEST_F(HtmlPrint, PrintToFileWritesTheFileTheUserNames) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    const std::string file = std::string(dir) + "qorv print to file.prn";
    DeleteFileA(file.c_str());
    TRecordedJob rec;
    constexpr int kTypeBox = 1136, kNameBox = 1148;
    std::string startName = "?";
    int step = 0;
    TModalDriver user([&] {
        if (HWND print = step == 0 ? FindPrintDialog() : nullptr) {
            CheckDlgButton(print, chx1, BST_CHECKED);
            PostMessageA(print, WM_COMMAND, IDOK, 0);
            step = 1;
        } else if (HWND save = step == 1 ? FindDialogWith(kTypeBox) : nullptr) {
            char name[MAX_PATH] = "";
            GetDlgItemTextA(save, kNameBox, name, sizeof name);
            startName = name;
            SetDlgItemTextA(save, kNameBox, file.c_str());
            PostMessageA(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(save, IDOK)));
            step = 2;
        }
        return step == 2;
    });
    EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(3), Choice));
    EXPECT_FALSE(user.TimedOut());
    EXPECT_EQ(startName, "");
    EXPECT_EQ(CountPostScriptPages(file), 3);
    EXPECT_EQ(PagesPrinted(), -1) << "nothing went to the printer's port";
    EXPECT_EQ(Choice.OutputFile(), file);
    DeleteFileA(file.c_str());
}

TEST_F(HtmlPrint, ThePrinterPaperAndOrientationChosenAreKept) {
    // Landscape Letter, set in the driver's own properties from the dialog.
    TLandscapeLetter choose;
    TModalDriver user([&] { return choose.Step(); });
    TRecordedJob rec;
    EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(1), Choice));
    EXPECT_FALSE(user.TimedOut());
    const std::string first = ReadText(TestPrinterOutput());
    EXPECT_TRUE(Contains(first, "%%Orientation: Landscape")) << first.substr(0, 300);
    EXPECT_TRUE(Contains(first, "media=Letter"));

    // The next dialog, simply confirmed, prints the same way.
    DeleteFileA(TestPrinterOutput().c_str());
    {
        TPrintDialogAnswer answer(IDOK);
        EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(1), Choice));
    }
    const std::string second = ReadText(TestPrinterOutput());
    EXPECT_TRUE(Contains(second, "%%Orientation: Landscape"));
    EXPECT_TRUE(Contains(second, "media=Letter"));
    EXPECT_EQ(Choice.PrinterName(), TestPrinterName);
    THtmlPrinterDC ic = Choice.InformationContext();
    ASSERT_NE(ic.Get(), nullptr);
    EXPECT_GT(GetDeviceCaps(ic.Get(), PHYSICALWIDTH), GetDeviceCaps(ic.Get(), PHYSICALHEIGHT));

    // Printing without the dialog uses it too.
    DeleteFileA(TestPrinterOutput().c_str());
    EXPECT_TRUE(PrintWithDialog(nullptr, rec.Job(1), Choice, false));
    EXPECT_TRUE(Contains(ReadText(TestPrinterOutput()), "media=Letter"));
}

namespace {
// A window that counts its paints, the owner of a job.
struct TPaintCounter {
    TPaintCounter() {
        static const ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "QorvPaintCounter";
            return RegisterClassA(&wc);
        }();
        Window =
            CreateWindowExA(0, MAKEINTATOM(atom), "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                            300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        UpdateWindow(Window);
        Paints = 0;
    }
    ~TPaintCounter() { DestroyWindow(Window); }
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(wnd, &ps);
            EndPaint(wnd, &ps);
            ++Paints;
            return 0;
        }
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
    HWND Window;
    static inline int Paints = 0;
};

std::string WindowText(HWND wnd) {
    char text[256] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}
} // namespace

TEST_F(HtmlPrint, ALongJobShowsItsProgressKeepsPaintingAndCancels) {
    TPaintCounter owner;
    constexpr int kPages = 400;
    TRecordedJob recorded;
    THtmlPrintJob job = recorded.Job(kPages);
    std::vector<int> drawn;
    int paintsWhilePrinting = -1;
    bool ownerDisabled = false;
    job.DrawPage = [&](HDC dc, int page) {
        drawn.push_back(page);
        TextOutA(dc, 100, 100, "page", 4);
        if (page == 2) {
            ownerDisabled = !IsWindowEnabled(owner.Window);
            TPaintCounter::Paints = 0;
            InvalidateRect(owner.Window, nullptr, TRUE);
        }
        if (page == 6)
            paintsWhilePrinting = TPaintCounter::Paints;
        Sleep(2);
    };
    std::vector<std::string> progress;
    TModalDriver user([&] {
        if (HWND print = FindPrintDialog()) {
            PostMessageA(print, WM_COMMAND, IDOK, 0);
            return false;
        }
        HWND window = PrintProgressWindow();
        if (!window || !IsWindowVisible(window))
            return false;
        HWND page = FindWindowExA(window, nullptr, "Static", nullptr);
        page = FindWindowExA(window, page, "Static", nullptr);
        progress.push_back(WindowText(page));
        if (drawn.size() < 20)
            return false;
        PostMessageA(FindWindowExA(window, nullptr, "Button", "Cancel"), BM_CLICK, 0, 0);
        return true;
    });
    EXPECT_FALSE(PrintWithDialog(owner.Window, job, Choice));
    EXPECT_FALSE(user.TimedOut());
    EXPECT_GE(drawn.size(), 20u);
    EXPECT_LT(drawn.size(), 100u);
    EXPECT_LE(PagesPrinted(), 0) << "the job was aborted";
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Window));
    EXPECT_GE(paintsWhilePrinting, 1);
    EXPECT_EQ(PrintProgressWindow(), nullptr);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(progress.back().rfind("Page ", 0) == 0 &&
                Contains(progress.back(), " of " + std::to_string(kPages)))
        << progress.back();

    // A later Print works.
    TRecordedJob rec;
    TPrintDialogAnswer answer(IDOK);
    EXPECT_TRUE(PrintWithDialog(owner.Window, rec.Job(2), Choice));
    EXPECT_EQ(PagesPrinted(), 2);
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
