// The test prefix's associations lead every kind of target the program opens
// to the recorder, and the log gives back exactly what was opened.
#include "tests/tools/ShellLog_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

std::string TempFile(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp) + name;
    std::ofstream(path) << "text\r\n";
    return path;
}

void Open(const std::string& target) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW));
    EXPECT_GT(result, 32) << target;
}

} // namespace

TEST(ShellLog, RecordsEachKindOfTargetOncePerCall) {
    TShellLog shell;
    const std::string text = TempFile("QorvShellLog Test.txt");
    const std::string page = TempFile("QorvShellLogTest.htm");

    Open("http://www.drovanex.com/vantrel/");
    Open("mailto:support@drovanex.com");
    Open(text);
    Open(page);
    const auto lines = shell.Lines(4);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_THAT(lines, UnorderedElementsAre(
                           "http://www.drovanex.com/vantrel/", "mailto:support@drovanex.com",
                           HasSubstr("QorvShellLog Test.txt"), HasSubstr("QorvShellLogTest.htm")));
    DeleteFileA(text.c_str());
    DeleteFileA(page.c_str());
}

TEST(ShellLog, ClearForgetsWhatCameBefore) {
    TShellLog shell;
    Open("http://www.drovanex.com/");
    ASSERT_EQ(shell.Lines(1).size(), 1u);
    shell.Clear();
    EXPECT_THAT(shell.Lines(0, 300), IsEmpty());
    Open("mailto:support@drovanex.com");
    EXPECT_THAT(shell.Lines(1), ElementsAre("mailto:support@drovanex.com"));
}
