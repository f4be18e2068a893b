#include "tests/printer/TestPrinter_win32.h"

#include <windows.h>
#include <winspool.h>

#include <fstream>
#include <stdexcept>
#include <vector>

namespace qorvtest {

const char* const TestPrinterName = "Qorv Test Printer";

namespace {
const char* const OutputFolder = "C:\\qorv-printer";
const char* const OutputFile = "C:\\qorv-printer\\job.ps";

[[noreturn]] void Fail(const std::string& call) {
    throw std::runtime_error("test printer: " + call + " failed with error " +
                             std::to_string(GetLastError()));
}

class TPrinterHandle {
public:
    explicit TPrinterHandle(DWORD access) {
        PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
        if (!OpenPrinterA(const_cast<char*>(TestPrinterName), &FHandle, &defaults))
            FHandle = nullptr;
    }
    ~TPrinterHandle() {
        if (FHandle)
            ClosePrinter(FHandle);
    }
    TPrinterHandle(const TPrinterHandle&) = delete;
    TPrinterHandle& operator=(const TPrinterHandle&) = delete;
    HANDLE Get() const { return FHandle; }

private:
    HANDLE FHandle = nullptr;
};
} // namespace

bool TestPrinterInstalled() {
    return TPrinterHandle(PRINTER_ACCESS_USE).Get() != nullptr;
}

void InstallTestPrinter(const std::string& ppdPath) {
    if (!TestPrinterInstalled()) {
        // Wine's driver reads the PPD named by the driver's data file, which must
        // lie in the driver directory: AddPrinterDriver does not copy it there.
        char dir[MAX_PATH];
        DWORD needed = 0;
        if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir),
                                        sizeof dir, &needed))
            Fail("GetPrinterDriverDirectory");
        std::string ppd = std::string(dir) + "\\QorvTestPrinter.ppd";
        if (!CopyFileA(ppdPath.c_str(), ppd.c_str(), FALSE))
            Fail("CopyFile of " + ppdPath);

        DRIVER_INFO_3A driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<char*>(TestPrinterName);
        driver.pDriverPath = const_cast<char*>("wineps.drv");
        driver.pDataFile = ppd.data();
        driver.pConfigFile = const_cast<char*>("wineps.drv");
        if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)) &&
            GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED)
            Fail("AddPrinterDriver");

        // A port that names a file makes the spooler write each job into it.
        if (!CreateDirectoryA(OutputFolder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            Fail("CreateDirectory");
        PRINTER_INFO_2A printer{};
        printer.pPrinterName = const_cast<char*>(TestPrinterName);
        printer.pPortName = const_cast<char*>(OutputFile);
        printer.pDriverName = const_cast<char*>(TestPrinterName);
        printer.pPrintProcessor = const_cast<char*>("winprint");
        printer.pDatatype = const_cast<char*>("RAW");
        printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
        if (!handle)
            Fail("AddPrinter");
        ClosePrinter(handle);
    }
    if (!SetDefaultPrinterA(TestPrinterName))
        Fail("SetDefaultPrinter");
}

void RemoveTestPrinter() {
    TPrinterHandle printer(PRINTER_ALL_ACCESS);
    if (!printer.Get())
        return;
    if (!DeletePrinter(printer.Get()))
        Fail("DeletePrinter");
}

void RestoreTestPrinterDefaults() {
    TPrinterHandle printer(PRINTER_ACCESS_USE);
    char* name = const_cast<char*>(TestPrinterName);
    const LONG size = DocumentPropertiesA(nullptr, printer.Get(), name, nullptr, nullptr, 0);
    if (size <= 0)
        Fail("DocumentProperties");
    std::vector<BYTE> buffer(static_cast<size_t>(size));
    auto* mode = reinterpret_cast<DEVMODEA*>(buffer.data());
    if (DocumentPropertiesA(nullptr, printer.Get(), name, mode, nullptr, DM_OUT_BUFFER) < 0)
        Fail("DocumentProperties");
    mode->dmOrientation = DMORIENT_PORTRAIT;
    mode->dmPaperSize = DMPAPER_A4;
    mode->dmFields |= DM_ORIENTATION | DM_PAPERSIZE;
    std::vector<BYTE> out(buffer);
    if (DocumentPropertiesA(nullptr, printer.Get(), name, reinterpret_cast<DEVMODEA*>(out.data()),
                            mode, DM_IN_BUFFER | DM_OUT_BUFFER) < 0)
        Fail("DocumentProperties");
}

std::string TestPrinterOutput() {
    return OutputFile;
}

int CountPostScriptPages(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return -1;
    int pages = 0;
    std::string line;
    // The port writes a job over the file without cutting it short: what follows
    // the first end mark is left over from a longer job before.
    while (std::getline(in, line) && line.rfind("%%EOF", 0) != 0)
        if (line.rfind("%%Page:", 0) == 0)
            ++pages;
    return pages;
}

} // namespace qorvtest
