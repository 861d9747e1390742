#include "KindPicture.h"

#include "ImageNumbers.h"

#include <gtest/gtest.h>

TEST(KindPictureTest, EachKindLabelWithItsColonHasItsPicture)
{
    EXPECT_EQ(KindPictureNumber("Home:"), telmo::image::kHome);
    EXPECT_EQ(KindPictureNumber("Work:"), telmo::image::kWork);
    EXPECT_EQ(KindPictureNumber("Cellphone:"), telmo::image::kCellphone);
    EXPECT_EQ(KindPictureNumber("Fax:"), telmo::image::kFax);
    EXPECT_EQ(KindPictureNumber("Beeper:"), telmo::image::kBeeper);
}

TEST(KindPictureTest, OnlyTheTextBeforeTheFirstColonCounts)
{
    EXPECT_EQ(KindPictureNumber("Fax"), telmo::image::kFax);
    EXPECT_EQ(KindPictureNumber("Fax:\t555"), telmo::image::kFax);
    EXPECT_EQ(KindPictureNumber("Work::"), telmo::image::kWork);
    EXPECT_EQ(KindPictureNumber(":Fax"), 0);
}

TEST(KindPictureTest, LabelsOutsideTheFiveKindsHaveNoPicture)
{
    for (const char* label :
         {"", ":", "fax:", "FAX:", "Fax :", " Fax:", "Pager:", "Cell:", "Cellphones:", "Home\t:"}) {
        SCOPED_TRACE(label);
        EXPECT_EQ(KindPictureNumber(label), 0);
    }
}
