// Started from a folder of the test's choosing, takes the program's own
// start-up path and writes what its settings object read from the registry,
// one "name=value" line each, to the file named by its argument.
#include <cstdio>

#include "app/unitStartup_win32.h"
#include "settings/unitSettings.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: SettingsProbe <output file>\n");
        return 2;
    }
    InitializeProgram();
    TProgramShutdown shutdown;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    std::fprintf(out, "Installed=%d\nPath=%s\nProgramPath=%s\n", Settings->Installed() ? 1 : 0,
                 Settings->Path().c_str(), Settings->ProgramPath().c_str());
    return std::fclose(out) == 0 ? 0 : 1;
}
