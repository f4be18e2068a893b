// Stands in for the browser, the mail program and the text viewer in the test
// prefix: notes what it was asked to open, one line per start, and ends. The
// line goes to the file %QORV_SHELL_LOG% names (the test process sets it, and
// the shell's children inherit it), else to %TEMP%\QorvShellRecorder.log.
#include <windows.h>

#include <string>

namespace {

// The command line after the program's own name, without the quotes the
// association's "%1" put around it.
std::string Target() {
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p)
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    std::string rest(p);
    const auto first = rest.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    rest.erase(0, first);
    rest.erase(rest.find_last_not_of(" \t") + 1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
        rest = rest.substr(1, rest.size() - 2);
    return rest;
}

std::string LogPath() {
    char buf[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QORV_SHELL_LOG", buf, sizeof buf);
    if (n > 0 && n < sizeof buf)
        return buf;
    n = GetTempPathA(sizeof buf, buf);
    if (n == 0 || n >= sizeof buf)
        return "QorvShellRecorder.log";
    return std::string(buf) + "QorvShellRecorder.log";
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string line = Target() + "\r\n";
    // Appending writes land whole at the end even when two recorders run at
    // once; another writer holding the file only delays us.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileA(LogPath().c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            const BOOL ok =
                WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
            return ok && written == line.size() ? 0 : 1;
        }
        Sleep(20);
    }
    return 1;
}
