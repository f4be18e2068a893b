// The tests' printer takes GDI jobs into its file, the latest one read back,
// and can be taken away and brought back.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include "tests/printer/TestPrinter_win32.h"

using namespace qorvtest;

namespace {
void PrintPages(int pages) {
    HDC dc = CreateDCA(nullptr, TestPrinterName, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    DOCINFOA doc{sizeof doc, "pages", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc, &doc), 0);
    for (int i = 0; i < pages; ++i) {
        ASSERT_GT(StartPage(dc), 0);
        TextOutA(dc, 100, 100, "Page", 4);
        ASSERT_GT(EndPage(dc), 0);
    }
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
}

DWORD PrinterCount() {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::string buffer(needed, '\0');
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, reinterpret_cast<BYTE*>(buffer.data()), needed,
                  &needed, &count);
    return count;
}
} // namespace

TEST(TestPrinter, IsTheDefaultAndPrintsAtItsResolution) {
    ASSERT_TRUE(TestPrinterInstalled());
    char name[256];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetDefaultPrinterA(name, &size));
    EXPECT_STREQ(name, TestPrinterName);
    HDC dc = CreateDCA(nullptr, TestPrinterName, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    DeleteDC(dc);
}

TEST(TestPrinter, TheLatestJobIsReadBackWithItsPages) {
    DeleteFileA(TestPrinterOutput().c_str());
    PrintPages(3);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), 3);
    PrintPages(1);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), 1);
    EXPECT_EQ(CountPostScriptPages("C:\\no-such-folder\\job.ps"), -1);
}

TEST(TestPrinter, RemovedAndInstalledAgain) {
    const DWORD before = PrinterCount();
    ASSERT_GE(before, 1u);
    RemoveTestPrinter();
    EXPECT_FALSE(TestPrinterInstalled());
    EXPECT_EQ(PrinterCount(), before - 1);
    InstallTestPrinter(QORV_TEST_PRINTER_PPD);
    EXPECT_TRUE(TestPrinterInstalled());
    EXPECT_EQ(PrinterCount(), before);
    DeleteFileA(TestPrinterOutput().c_str());
    PrintPages(2);
    EXPECT_EQ(CountPostScriptPages(TestPrinterOutput()), 2);
}
