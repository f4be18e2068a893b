// The printer the Windows tests print to: Wine's PostScript driver with the
// PPD kept beside this file, on a port that is a file of the prefix, so that a
// test can read back what a print job produced.
#pragma once

#include <string>

namespace qorvtest {

extern const char* const TestPrinterName;

// Installs the driver and the printer (once; later calls find it) and makes it
// the default printer. Throws std::runtime_error naming the call that failed.
void InstallTestPrinter(const std::string& ppdPath);
// Deletes the printer; the driver stays, so InstallTestPrinter brings it back.
void RemoveTestPrinter();
bool TestPrinterInstalled();
// The file the printer's port writes; each job writes over it from its start.
std::string TestPrinterOutput();
// Portrait A4 again for the printer's defaults in this process: Wine's driver
// takes what its properties dialog confirmed as the defaults of the whole
// process (Windows does not).
void RestoreTestPrinterDefaults();
// Pages of the first job in a PostScript file, counted by its "%%Page:"
// comments up to its "%%EOF"; -1 when the file cannot be read.
int CountPostScriptPages(const std::string& fileName);

} // namespace qorvtest
