#include "DialCommand.h"

#include <gtest/gtest.h>

TEST(DialCommandTest, PrefixIsFollowedByAPauseAndTheNumberEndsWithASemicolon)
{
    EXPECT_EQ(BuildDialCommand("9", "5551234"), "atm1\r\natdt9,5551234;\r\n");
    EXPECT_EQ(BuildDialCommand("9", "5551234").size(), 22u);
    EXPECT_EQ(BuildDialCommand("", "5551234"), "atm1\r\natdt5551234;\r\n");
    EXPECT_EQ(BuildDialCommand("", "5551234").size(), 20u);
}

TEST(DialCommandTest, PrintableCharactersGoToTheModemUnchanged)
{
    EXPECT_EQ(BuildDialCommand("0w", "+1 (555) 123-4567 #*"),
              "atm1\r\natdt0w,+1 (555) 123-4567 #*;\r\n");
    EXPECT_EQ(BuildDialCommand("9", "\xe9\x7f"), "atm1\r\natdt9,\xe9\x7f;\r\n");
}

TEST(DialCommandTest, ControlCharactersAndSemicolonsCannotSlipInCommandsOfTheirOwn)
{
    EXPECT_EQ(BuildDialCommand("", "5551234;&W"), "atm1\r\natdt5551234&W;\r\n");
    EXPECT_EQ(BuildDialCommand("9;&F", ";1;"), "atm1\r\natdt9&F,1;\r\n");
    EXPECT_EQ(BuildDialCommand(";", "1"), "atm1\r\natdt1;\r\n");
    EXPECT_EQ(BuildDialCommand("9\r\nath", "555\r\nat&f\n1234\t"),
              "atm1\r\natdt9ath,555at&f1234;\r\n");
    EXPECT_EQ(BuildDialCommand("", std::string("555\0"
                                               "1234",
                                               8)),
              "atm1\r\natdt5551234;\r\n");
    // A prefix of nothing but control characters is no prefix: no stray pause.
    EXPECT_EQ(BuildDialCommand("\r\n", "1"), "atm1\r\natdt1;\r\n");
    EXPECT_EQ(BuildDialCommand("\x1f", "\x01\x1b"
                                       "2"),
              "atm1\r\natdt2;\r\n");
}
