#include "tests/tools/ShellLog_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ClassesDefault(const std::string& key) {
    char value[1024];
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

// The command the shell runs for a URL scheme or a file extension.
std::string OpenCommandFor(const std::string& target) {
    const std::string keyName =
        target.front() == '.' ? ClassesDefault(target) : target; // a file type's class
    if (keyName.empty())
        return {};
    return ClassesDefault(keyName + "\\shell\\open\\command");
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    std::vector<std::string> lines;
    // Only whole lines: a recorder may be writing the next one now.
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

} // namespace

TShellLog::TShellLog() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    FPath = std::string(temp) + "QorvShellLog-" + std::to_string(GetCurrentProcessId()) + ".log";
    SetEnvironmentVariableA("QORV_SHELL_LOG", FPath.c_str());
    Clear();
    for (const char* target : {"http", "mailto", ".txt", ".htm"}) {
        const std::string command = OpenCommandFor(target);
        if (command.find("ShellRecorder.exe") == std::string::npos)
            ADD_FAILURE() << "the test prefix opens " << target << " with \"" << command
                          << "\", not ShellRecorder (scripts/wine-env.sh registers it)";
    }
}

TShellLog::~TShellLog() {
    DeleteFileA(FPath.c_str());
}

void TShellLog::Clear() {
    if (!DeleteFileA(FPath.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        ADD_FAILURE() << "cannot clear the shell log " << FPath << " (error " << GetLastError()
                      << ")";
}

std::vector<std::string> TShellLog::Lines(std::size_t expected, int timeoutMs) const {
    const DWORD start = GetTickCount();
    for (;;) {
        auto lines = ReadLines(FPath);
        const bool timedOut = static_cast<int>(GetTickCount() - start) >= timeoutMs;
        if ((expected > 0 && lines.size() >= expected) || timedOut)
            return lines;
        Sleep(20);
    }
}
