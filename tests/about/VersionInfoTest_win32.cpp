#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "about/QorvVersionInfo_win32.h"

namespace {

std::string OwnFileName() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

std::string TempFile(const char* name, const char* content) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

unsigned Part(uint64_t version, int shift) {
    return unsigned(version >> shift) & 0xFFFF;
}

TEST(VersionInfo, ReadsTheProgramsOwnResourceOnTheFirstQuestion) {
    TQorvVersionInfo info(nullptr);
    EXPECT_FALSE(info.Active());
    EXPECT_EQ(info.StringValue("Product Release"), "R1");
    EXPECT_TRUE(info.Active());
    uint64_t v = info.FileVersion();
    EXPECT_EQ(Part(v, 48), 1u);
    EXPECT_EQ(Part(v, 32), 0u);
    EXPECT_EQ(Part(v, 16), 0u);
    EXPECT_EQ(Part(v, 0), 26u);
    EXPECT_EQ(info.StringValue("CompanyName"), "Drovanex");
    EXPECT_EQ(info.StringValue("No such entry"), "");
}

TEST(VersionInfo, ReloadsOnlyWhenAPropertyChangesToADifferentValue) {
    TQorvVersionInfo info(nullptr);
    std::string own = OwnFileName();
    info.SetFileName(own);
    EXPECT_EQ(info.StringValue("Product Release"), "R1");
    info.SetFileName(own);
    EXPECT_TRUE(info.Active()) << "the same name again must keep what was read";
    info.SetLanguage(0);
    info.SetCodePage(0);
    EXPECT_TRUE(info.Active());

    // A file without a version resource: zeros and empty texts, no exception,
    // and each later question tries again.
    std::string plain = TempFile("qorv-noversion.txt", "no resource here");
    info.SetFileName(plain);
    EXPECT_FALSE(info.Active());
    EXPECT_EQ(info.FileVersion(), 0u);
    EXPECT_EQ(info.StringValue("Product Release"), "");
    EXPECT_FALSE(info.Active());
    info.SetFileName("C:\\no\\such\\file.exe");
    EXPECT_EQ(info.FileVersion(), 0u);

    info.SetFileName(own);
    EXPECT_EQ(Part(info.FileVersion(), 0), 26u);
    DeleteFileA(plain.c_str());
}

TEST(VersionInfo, ALanguageTheFileDoesNotCarryGivesEmptyTextsOnly) {
    TQorvVersionInfo info(nullptr);
    info.SetLanguage(0x0407);
    EXPECT_EQ(info.StringValue("Product Release"), "");
    EXPECT_EQ(Part(info.FileVersion(), 0), 26u);
    // The table's code page given explicitly with its language finds it.
    info.SetLanguage(0x0409);
    info.SetCodePage(1252);
    EXPECT_EQ(info.StringValue("Product Release"), "R1");
    info.SetCodePage(850);
    EXPECT_EQ(info.StringValue("Product Release"), "");
}

} // namespace
