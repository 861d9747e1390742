#include "PlatformInfo.h"

#include <gtest/gtest.h>

TEST(PlatformInfoTest, AnswersTheProgramsPlatformUnlessTestsAskForAnother)
{
    EXPECT_GE(platform::GetVersion() & 0xFF, 4u);
    EXPECT_EQ(platform::GetVersionEx().platformId, 2u);
    {
        platform::ScopedOsVersion old({3, 51, 1057, 2});
        EXPECT_EQ(platform::GetVersion() & 0xFF, 3u);
        EXPECT_EQ((platform::GetVersion() >> 8) & 0xFF, 51u);
        EXPECT_EQ(platform::GetVersion() >> 16, 1057u);
    }
    EXPECT_GE(platform::GetVersion() & 0xFF, 4u);
}
