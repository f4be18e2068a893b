// Runs one test of this test program in a process of its own: for what only
// a fresh process shows (the system version it reads at its start) or what
// ends a process (the end of a session).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The argument the parent gave this process, in a child run; nothing in an
// ordinary run, where the child's test has nothing to do.
inline std::optional<std::string> ChildArgument() {
    char value[1024];
    const DWORD n = GetEnvironmentVariableA("QORV_CHILD_ARGUMENT", value, sizeof value);
    if (n == 0 || n >= sizeof value)
        return std::nullopt;
    return std::string(value, n);
}

// The child: this program with only `test` run and `argument` handed over.
class TChildRun {
public:
    TChildRun(const std::string& test, const std::string& argument) {
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string command(1, '"');
        command.append(path, n).append("\" --gtest_brief=1 --gtest_filter=").append(test);
        SetEnvironmentVariableA("QORV_CHILD_ARGUMENT", argument.c_str());
        STARTUPINFOA si{};
        si.cb = sizeof si;
        FStarted = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &FInfo) != FALSE;
        SetEnvironmentVariableA("QORV_CHILD_ARGUMENT", nullptr);
    }
    ~TChildRun() {
        if (!FStarted)
            return;
        if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(FInfo.hProcess, 99);
        CloseHandle(FInfo.hThread);
        CloseHandle(FInfo.hProcess);
    }
    TChildRun(const TChildRun&) = delete;
    TChildRun& operator=(const TChildRun&) = delete;

    bool Started() const { return FStarted; }
    DWORD Id() const { return FInfo.dwProcessId; }
    // The exit code once it has ended within `ms`; nothing if it has not.
    std::optional<DWORD> Wait(DWORD ms) const {
        if (!FStarted || WaitForSingleObject(FInfo.hProcess, ms) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(FInfo.hProcess, &code);
        return code;
    }
    // Ends it at once, as the system does after the end of a session.
    void Kill() const {
        TerminateProcess(FInfo.hProcess, 1);
        WaitForSingleObject(FInfo.hProcess, 10000);
    }

private:
    PROCESS_INFORMATION FInfo{};
    bool FStarted = false;
};
