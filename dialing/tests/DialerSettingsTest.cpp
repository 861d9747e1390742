#include "DialerSettings.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

TEST(DialerSettingsTest, ReadsTheThreeKeysTheDialogStartsFrom)
{
    TempFolder folder;
    platform::ProfileFile missing(folder / "telmo.ini");
    DialerSettings defaults = ReadDialerSettings(missing);
    EXPECT_EQ(defaults.name, "");
    EXPECT_EQ(defaults.dialOut, "");
    EXPECT_EQ(defaults.extDialer, 0);

    WriteFile(folder / "telmo.ini", "[modem]\nNAME=Hayes\nDialOut=9\nExtDialer=5\nPort=3\n"
                                    "InitStr=ATZ\n");
    DialerSettings saved = ReadDialerSettings(missing);
    EXPECT_EQ(saved.name, "Hayes");
    EXPECT_EQ(saved.dialOut, "9");
    EXPECT_EQ(saved.extDialer, 5);
    EXPECT_EQ(saved.port, 0);
    EXPECT_EQ(saved.initStr, "");
}

TEST(DialerSettingsTest, WritesFiveKeysInOrderAndKeepsTheRest)
{
    TempFolder folder;
    WriteFile(folder / "telmo.ini", "; phone book\n[Item1]\nName=Ann\n");
    platform::ProfileFile file(folder / "telmo.ini");
    ASSERT_FALSE(WriteDialerSettings(file, {"ABC 56K", "9", "ATS7=60<cr>", 3, 1}));
    EXPECT_EQ(ReadFile(folder / "telmo.ini"),
              "; phone book\n[Item1]\nName=Ann\n[Modem]\nName=ABC 56K\nDialOut=9\n"
              "InitStr=ATS7=60<cr>\nPort=3\nExtDialer=1\n");
}

TEST(DialerSettingsTest, AFailedWriteIsReported)
{
    TempFolder folder;
    WriteFile(folder / "not-a-folder", "");
    platform::ProfileFile file(folder / "not-a-folder" / "telmo.ini");
    EXPECT_TRUE(WriteDialerSettings(file, {}));
}
