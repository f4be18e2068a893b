#include "framework/SysUtils.h"

#include <gtest/gtest.h>

TEST(StrToInt, AcceptsSignedDecimalWithin32Bits) {
    int v = 7;
    EXPECT_TRUE(TryStrToInt("0", v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(TryStrToInt("+42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(TryStrToInt("2147483647", v));
    EXPECT_EQ(v, INT32_MAX);
}

TEST(StrToInt, RefusesEverythingElseAndKeepsTheValue) {
    for (const char* bad : {"", "+", "-", "+-1", "2147483648", "-2147483649", " 1", "1 ", "1a",
                            "0x10", "99999999999999999999"}) {
        int v = 7;
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
        EXPECT_EQ(v, 7) << bad;
    }
    EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(IsReservedDeviceName, DevicesWithAnyExtensionCaseAndTrailingBlanks) {
    for (const char* name : {"NUL", "nul.htm", "C:\\out\\AUX.txt", "dir/con", "PRN.tar.gz",
                             "C:LPT1", "com9.htm", "NUL .htm", "CONIN$", "conout$.txt"})
        EXPECT_TRUE(IsReservedDeviceName(name)) << name;
    for (const char* name : {"", "errors.htm", "NULL.htm", "CONSOLE", "C:\\NUL\\errors.htm",
                             "COM10", "LPT0", "COM", "xnul", "a.NUL", "C:\\out\\"})
        EXPECT_FALSE(IsReservedDeviceName(name)) << name;
}
