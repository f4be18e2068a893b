// The program's file name however long its path: the About window's licence
// and version and the settings' program folder all start from it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/SysUtils_win32.h"

namespace {

std::string g_name;
int g_calls;

// As the system answers: a name that does not fit is cut to the buffer, the
// last character given up for the terminating zero, and the buffer's size is
// returned.
DWORD WINAPI LongName(HMODULE, LPSTR buffer, DWORD size) {
    ++g_calls;
    if (g_name.size() < size) {
        g_name.copy(buffer, g_name.size());
        buffer[g_name.size()] = '\0';
        return static_cast<DWORD>(g_name.size());
    }
    g_name.copy(buffer, size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

DWORD WINAPI NoName(HMODULE, LPSTR, DWORD) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
}

std::string PathOfLength(size_t length) {
    const std::string file = "Vantrel2006.exe";
    std::string path = "C:\\";
    while (path.size() + 14 + file.size() <= length)
        path += "deeply nested\\";
    return path.append(length - path.size() - file.size(), 'x') + file;
}

TEST(ModuleFileName, IsWholeForPathsOfAnyLength) {
    for (const size_t length : {size_t(20), size_t(MAX_PATH - 1), size_t(MAX_PATH),
                                size_t(MAX_PATH + 1), size_t(300), size_t(1000), size_t(32767)}) {
        SCOPED_TRACE(length);
        g_name = PathOfLength(length);
        ASSERT_EQ(g_name.size(), length);
        g_calls = 0;
        EXPECT_EQ(ModuleFileName(nullptr, LongName), g_name);
        EXPECT_LE(g_calls, 9);
    }
}

TEST(ModuleFileName, NothingFromTheSystemIsAnEmptyName) {
    EXPECT_EQ(ModuleFileName(nullptr, NoName), "");
}

TEST(ModuleFileName, TheProgramsOwnNameByDefault) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, DWORD(MAX_PATH));
    EXPECT_EQ(ModuleFileName(), std::string(path, n));
}

} // namespace
