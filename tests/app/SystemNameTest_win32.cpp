// The name of the system at the head of an export, as the program reads it
// at its start under each Windows version Wine can report. The version is
// read once per process, so each version's export is made by a process of
// its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/app/ChildRun_win32.h"
#include "tests/app/MainFormHarness_win32.h"
#include "tests/tools/WineVersion_win32.h"

namespace {

std::string g_target;

// Picks plain text in the save dialog, names the target and saves.
void CALLBACK SaveAsText(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    HWND types = GetDlgItem(dialog, 1136);
    SendMessageA(types, CB_SETCURSEL, 1, 0);
    for (const WORD notification : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1136, notification),
                     reinterpret_cast<LPARAM>(types));
    HWND name = GetDlgItem(dialog, 1152) ? GetDlgItem(dialog, 1152) : GetDlgItem(dialog, 1148);
    SetWindowTextA(name, g_target.c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

LRESULT CALLBACK DialogHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND wnd = reinterpret_cast<HWND>(wParam);
        if (GetDlgItem(wnd, 1136))
            SetTimer(wnd, 1, 50, SaveAsText);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(SystemNameChild, ExportsPlainText) {
    const std::optional<std::string> target = ChildArgument();
    if (!target)
        GTEST_SKIP() << "run by SystemName in a process of its own";
    g_target = *target;
    HHOOK hook = SetWindowsHookExA(WH_CBT, DialogHook, nullptr, GetCurrentThreadId());
    {
        TMainFormHarness run;
        ClickToolButton(*run.Form().tbExport);
        run.Pump();
        EXPECT_EQ(run.Status(), "Errors has beed exported succesfully.");
        EXPECT_EQ(run.TakeErrorBoxes(), std::vector<std::string>{});
    }
    UnhookWindowsHookEx(hook);
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

TEST(SystemName, TheTextExportIsHeadedByTheNameOfTheSystemWineReports) {
    if (!UnderWine())
        GTEST_SKIP() << "not running under Wine";
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string target = std::string(temp) + "qorv_system_name.txt";
    const struct {
        const char* WineVersion;
        const char* Name;
    } cases[] = {
        // Wine 8.0 has the product types of these two swapped: "win7" reports
        // 6.1 as a server, "win2008r2" as a workstation.
        {"win7", "Windows Server 2008 R2"},
        {"win2008r2", "Windows 7"},
        {"win81", "Windows 8.1"},
        // Told 10.0 only because the program's manifest declares Windows 10.
        {"win10", "Windows 10"},
    };
    TWineVersionOverride override;
    ASSERT_TRUE(override.Valid());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.WineVersion);
        ASSERT_TRUE(override.Set(c.WineVersion));
        DeleteFileA(target.c_str());
        TChildRun child("SystemNameChild.*", target);
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(child.Wait(120000), 0u);
        EXPECT_EQ(FirstLine(target), std::string(c.Name) + " Error Codes & Descriptions");
    }
    DeleteFileA(target.c_str());
}

} // namespace
