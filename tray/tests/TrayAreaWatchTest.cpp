#include "TrayAreaWatch.h"

#include <gtest/gtest.h>

using Step = tray::TrayAreaWatch::Step;

TEST(TrayAreaWatchTest, TellsOnceTheAreaHasBeenMissingLongEnough)
{
    tray::TrayAreaWatch watch(3);
    EXPECT_EQ(watch.OnLook(false), Step::KeepWatching);
    EXPECT_EQ(watch.OnLook(false), Step::KeepWatching);
    EXPECT_EQ(watch.OnLook(false), Step::TellUser);
}

TEST(TrayAreaWatchTest, AnAreaThatIsThereEndsTheWatch)
{
    tray::TrayAreaWatch watch(3);
    EXPECT_EQ(watch.OnLook(false), Step::KeepWatching);
    EXPECT_EQ(watch.OnLook(true), Step::Stop);
}
