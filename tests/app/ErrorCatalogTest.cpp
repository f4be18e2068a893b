#include "app/ErrorCatalog.h"

#include <gtest/gtest.h>

TEST(FlattenLineBreaks, OnlyPairsBecomeOneBlank) {
    EXPECT_EQ(FlattenLineBreaks("Access denied.\r\n"), "Access denied. ");
    EXPECT_EQ(FlattenLineBreaks("one\r\ntwo\r\n\r\n"), "one two  ");
    EXPECT_EQ(FlattenLineBreaks("lone\rcr\nlf\n\r"), "lone\rcr\nlf\n\r");
    EXPECT_EQ(FlattenLineBreaks("\r\r\n"), "\r ");
    EXPECT_EQ(FlattenLineBreaks(""), "");
}

TEST(ClipboardText, LabelsTheFieldAndTheTextAsTheyStand) {
    EXPECT_EQ(ClipboardText("5", "Access denied.\r\n"),
              "Code: 5\r\nDescription: Access denied.\r\n");
    EXPECT_EQ(ClipboardText("", ""), "Code: \r\nDescription: ");
}
