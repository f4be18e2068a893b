#include <gtest/gtest.h>

#include "app/unitOSInfo.h"

// Without Windows there is no version record to read.
TEST(OSInfo, WithoutWindowsTheSystemIsUnnamed) {
    ReadVersionInfo();
    EXPECT_EQ(GetOSName(), "System");
    EXPECT_FALSE(IsWinNT());
}
