// The installer as a user runs it: silently, into a prefix that has never
// seen the program; then the installed program, an installation over it, and
// the uninstaller that Add or Remove Programs names. run-install-test.sh gives
// the paths (QORV_SETUP, QORV_PROGRAM, QORV_PROBE) in a fresh prefix.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

namespace {

const char kSettingsKey[] = "Software\\Drovanex\\Vantrel 2006\\R1";
const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Drovanex Vantrel 2006";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    return path;
}

std::string InstallFolder() {
    return Folder(CSIDL_PROGRAM_FILES) + "\\Drovanex\\Vantrel 2006";
}
std::string Shortcut() {
    return Folder(CSIDL_COMMON_PROGRAMS) + "\\Drovanex Vantrel 2006.lnk";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

struct TRegValue {
    DWORD Type = REG_NONE;
    std::string Data;
    DWORD Number() const {
        return Data.size() == 4 ? *reinterpret_cast<const DWORD*>(Data.data()) : ~0u;
    }
    // A string value without the terminating zero the registry stores.
    std::string Text() const { return std::string(Data.c_str()); }
};

std::optional<TRegValue> ReadValue(HKEY root, const char* path, const char* name) {
    char buffer[2048];
    DWORD size = sizeof buffer;
    TRegValue value;
    if (RegGetValueA(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, &value.Type, buffer, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.Data.assign(buffer, size);
    return value;
}

// A started process, its handles closed when it goes.
struct TProcess {
    PROCESS_INFORMATION Info{};
    explicit TProcess(std::string commandLine, DWORD flags = 0) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                            nullptr, &si, &Info))
            ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
    }
    ~TProcess() {
        if (Info.hProcess) {
            CloseHandle(Info.hThread);
            CloseHandle(Info.hProcess);
        }
    }
    bool Started() const { return Info.hProcess != nullptr; }
    // The exit code, or ~0 when it has not ended within the time.
    DWORD Wait(DWORD milliseconds = 120000) const {
        DWORD code = ~0u;
        if (Started() && WaitForSingleObject(Info.hProcess, milliseconds) == WAIT_OBJECT_0)
            GetExitCodeProcess(Info.hProcess, &code);
        return code;
    }
};

DWORD Run(const std::string& commandLine) {
    return TProcess(commandLine).Wait();
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

void Install() {
    ASSERT_EQ(Run(Quoted(Env("QORV_SETUP")) + " /S"), 0u);
}

std::string ShortcutTarget(const std::string& link) {
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell))))
        return "(no shell link object)";
    std::string target = "(not loaded)";
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(link.begin(), link.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            char path[MAX_PATH] = {};
            shell->GetPath(path, MAX_PATH, nullptr, 0);
            target = path;
        }
        file->Release();
    }
    shell->Release();
    return target;
}

// Everything a finished installation has: the files, the shortcut, both
// machine values and the Add or Remove Programs entry.
void ExpectInstalled() {
    const std::string folder = InstallFolder();
    const std::string program = folder + "\\Vantrel2006.exe";
    EXPECT_EQ(FileSize(program), FileSize(Env("QORV_PROGRAM"))) << program;
    EXPECT_GT(FileSize(folder + "\\License.txt"), 0) << "License.txt";
    EXPECT_TRUE(Exists(folder + "\\uninstall.exe"));
    EXPECT_TRUE(Exists(Shortcut())) << Shortcut();
    EXPECT_STRCASEEQ(ShortcutTarget(Shortcut()).c_str(), program.c_str());

    auto installed = ReadValue(HKEY_LOCAL_MACHINE, kSettingsKey, "Installed");
    ASSERT_TRUE(installed);
    EXPECT_EQ(installed->Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(installed->Number(), 1u);
    auto path = ReadValue(HKEY_LOCAL_MACHINE, kSettingsKey, "Path");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(path->Text(), folder + "\\");

    std::map<std::string, std::string> entry = {
        {"DisplayName", "Drovanex Vantrel 2006"},
        {"DisplayVersion", QORV_VERSION},
        {"Publisher", "Drovanex"},
        {"DisplayIcon", program + ",0"},
        {"UninstallString", Quoted(folder + "\\uninstall.exe")},
    };
    for (const auto& [name, expected] : entry) {
        auto value = ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, name.c_str());
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(value->Type, static_cast<DWORD>(REG_SZ)) << name;
        EXPECT_EQ(value->Text(), expected) << name;
    }
}

// Starts the installed program, waits for its main window, closes it as the
// user would and tells whether it showed, with the exit code.
std::pair<bool, DWORD> StartAndClose(const std::string& program) {
    TProcess process(Quoted(program));
    if (!process.Started())
        return {false, ~0u};
    // The main window is known by its title, and must be this process's.
    HWND found = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!found && std::chrono::steady_clock::now() < deadline &&
           WaitForSingleObject(process.Info.hProcess, 100) == WAIT_TIMEOUT) {
        HWND wnd = nullptr;
        while (!found && (wnd = FindWindowExA(nullptr, wnd, nullptr, "Drovanex Vantrel 2006"))) {
            DWORD pid = 0;
            GetWindowThreadProcessId(wnd, &pid);
            if (pid == process.Info.dwProcessId && IsWindowVisible(wnd))
                found = wnd;
        }
    }
    const bool shown = found != nullptr;
    if (shown)
        PostMessageA(found, WM_CLOSE, 0, 0);
    DWORD code = process.Wait(30000);
    if (code == ~0u)
        TerminateProcess(process.Info.hProcess, code);
    return {shown, code};
}

// What the program's settings object reads when the program runs from
// `folder`: the probe takes the program's start-up path from there.
std::map<std::string, std::string> SettingsReadIn(const std::string& folder) {
    const std::string probe = folder + "\\SettingsProbe.exe";
    const std::string output = folder + "\\probe.txt";
    std::map<std::string, std::string> values;
    if (!CopyFileA(Env("QORV_PROBE").c_str(), probe.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the probe: error " << GetLastError();
        return values;
    }
    EXPECT_EQ(Run(Quoted(probe) + " " + Quoted(output)), 0u);
    std::ifstream in(output);
    for (std::string line; std::getline(in, line);)
        if (auto eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    in.close();
    // Gone again, so that the uninstaller finds only what it installed.
    DeleteFileA(output.c_str());
    DeleteFileA(probe.c_str());
    return values;
}

// The uninstaller copies itself to the temporary folder, starts the copy and
// ends at once; the copy does the work. Waits for both.
DWORD RunUninstaller(const std::string& commandLine) {
    TProcess process(commandLine, CREATE_SUSPENDED);
    if (!process.Started())
        return ~0u;
    // A job holds every process the uninstaller starts.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    EXPECT_TRUE(AssignProcessToJobObject(job, process.Info.hProcess));
    ResumeThread(process.Info.hThread);
    const DWORD code = process.Wait();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info,
                                  nullptr);
        if (info.ActiveProcesses == 0)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the uninstaller's copy is still running";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    CloseHandle(job);
    return code;
}

class InstallTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Env("QORV_SETUP").empty()) << "run through run-install-test.sh";
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(InstallTest, InstallsRunsReinstallsAndUninstallsLeavingTheUsersSettings) {
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey)) << "the prefix is not fresh";
    // The user's own settings, as the program keeps them, must outlive the
    // uninstallation untouched.
    HKEY user;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\MainForm").c_str(),
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user, nullptr),
              ERROR_SUCCESS);
    const DWORD left = 123;
    RegSetValueExA(user, "Left", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&left), sizeof left);
    RegCloseKey(user);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "List", REG_DWORD, &left, 4),
              ERROR_SUCCESS);

    Install();
    {
        SCOPED_TRACE("first installation");
        ExpectInstalled();
    }
    const std::string folder = InstallFolder();
    auto [shown, code] = StartAndClose(folder + "\\Vantrel2006.exe");
    EXPECT_TRUE(shown) << "no main window";
    EXPECT_EQ(code, 0u);
    auto read = SettingsReadIn(folder);
    EXPECT_EQ(read["Installed"], "1");
    EXPECT_EQ(read["Path"], folder + "\\");
    EXPECT_EQ(read["ProgramPath"], folder + "\\");

    // Installing over it replaces what was damaged and keeps one entry.
    ASSERT_TRUE(DeleteFileA((folder + "\\License.txt").c_str()));
    std::ofstream(folder + "\\Vantrel2006.exe", std::ios::trunc).close();
    Install();
    {
        SCOPED_TRACE("installation over the first");
        ExpectInstalled();
    }

    auto uninstall = ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    ASSERT_TRUE(uninstall);
    EXPECT_EQ(RunUninstaller(uninstall->Text() + " /S"), 0u);
    EXPECT_FALSE(Exists(folder + "\\Vantrel2006.exe"));
    EXPECT_FALSE(Exists(folder + "\\License.txt"));
    EXPECT_FALSE(Exists(folder + "\\uninstall.exe"));
    EXPECT_FALSE(Exists(folder)) << "an empty install folder stays behind";
    EXPECT_FALSE(Exists(Folder(CSIDL_PROGRAM_FILES) + "\\Drovanex"));
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Drovanex"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    auto list = ReadValue(HKEY_CURRENT_USER, kSettingsKey, "List");
    ASSERT_TRUE(list) << "the user's settings were removed";
    EXPECT_EQ(list->Number(), 123u);
    auto placement =
        ReadValue(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\MainForm").c_str(), "Left");
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->Number(), 123u);
}

} // namespace
