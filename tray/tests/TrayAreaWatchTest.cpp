#include "TrayAreaWatch.h"

#include <gtest/gtest.h>

using Step = tray::TrayAreaWatch::Step;

TEST(TrayAreaWatchTest, TellsOnceTheAreaHasBeenMissingLongEnough)
{
    tray::TrayAreaWatch watch(3);
    EXPECT_EQ(watch.OnLook(false), Step::KeepWatching);
    EXPECT_EQ(watch.OnLook(false), Step::KeepWatching);
    EXPECT_EQ(watch.OnLook(false), Step::TellUser);
    EXPECT_EQ(watch.OnLook(false), Step::Stop);
}

TEST(TrayAreaWatchTest, AnAreaThatIsThereEndsTheWatch)
{
    tray::TrayAreaWatch watch(3);
    EXPECT_EQ(watch.OnLook(false), Step::KeepWatching);
    EXPECT_EQ(watch.OnLook(true), Step::Stop);
    // An area that goes away later is the desktop's business: the icon comes back with it.
    for (int look = 0; look < 5; ++look)
        EXPECT_EQ(watch.OnLook(false), Step::Stop);
}
