// Started by wintest_osinfo after it has set the Windows version that Wine
// reports: prints the name and the record this process read at start-up.
#include "app/unitOSInfo.h"

#include <cstdio>

int main() {
    const TOSVersionRecord& rec = CurrentVersionRecord();
    std::printf("%s\n%u %u %u %u %u %u\n", GetOSName().c_str(),
                static_cast<unsigned>(rec.Info.dwPlatformId),
                static_cast<unsigned>(rec.Info.dwMajorVersion),
                static_cast<unsigned>(rec.Info.dwMinorVersion),
                static_cast<unsigned>(rec.Info.wProductType),
                static_cast<unsigned>(rec.Info.wSuiteMask), rec.Available ? 1u : 0u);
    return 0;
}
