// Adds the tests' printer to the Wine prefix it runs in (CTest runs it before
// the tests that print; scripts/screenshots.sh for its own prefix), or removes it.
// Usage: QorvTestPrinter install <ppd file> | remove
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "tests/printer/TestPrinter_win32.h"

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "install") == 0)
            qorvtest::InstallTestPrinter(argv[2]);
        else if (argc == 2 && std::strcmp(argv[1], "remove") == 0)
            qorvtest::RemoveTestPrinter();
        else {
            std::fprintf(stderr, "usage: QorvTestPrinter install <ppd file> | remove\n");
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
