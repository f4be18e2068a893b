#include "settings/SettingsHost.h"

#include <climits>
#include <unistd.h>

std::string HostProgramFolder() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    std::string path(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// There is no Windows version to report here.
bool HostGetVersion(TOSVersionInfo&) {
    return false;
}

// The classic scroll bar width of the system at normal font size.
int32_t HostVerticalScrollBarWidth() {
    return 17;
}

// A desktop of one classic screen.
int32_t HostScreenWidth() {
    return 1024;
}
