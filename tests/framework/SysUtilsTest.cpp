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
