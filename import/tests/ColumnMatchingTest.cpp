#include "ColumnMatching.h"

#include "ColumnSamples.h"
#include "CsvSource.h"
#include "TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;

namespace {

TEST(ColumnMatchingTest, ProposesTheFirstColumnThatContainsAKeyword)
{
    const ColumnChoice choice = AutoMatchColumns(
        {"Last Name", "First Name", "Home Phone", "Office", "Mobile", "Home Fax", "Pager"});
    ColumnChoice expected;
    expected.name = 0; // "Last Name" is the first column that contains "name"
    expected.lastName = 0;
    expected.home = 2;
    expected.work = 3;
    expected.cell = 4;
    expected.fax = 5;
    expected.beeper = 6;
    EXPECT_EQ(choice, expected);
}

TEST(ColumnMatchingTest, IgnoresCaseOnBothSides)
{
    const ColumnChoice choice = AutoMatchColumns({"NAME", "MOBILE PHONE", "family", "wOrK"});
    EXPECT_EQ(choice.cell, 1);
    EXPECT_EQ(choice.name, 0);
    EXPECT_EQ(choice.lastName, 2);
    EXPECT_EQ(choice.work, 3);
}

TEST(ColumnMatchingTest, AHeaderWithoutKeywordsProposesNothing)
{
    EXPECT_EQ(AutoMatchColumns({"Given", "Called", "Tel", "E-mail", "Street"}), ColumnChoice{});
    EXPECT_EQ(AutoMatchColumns({}), ColumnChoice{});
}

TEST(ColumnMatchingTest, EitherKeywordMatchesEachColumnBeforeLaterColumnsAreLookedAt)
{
    EXPECT_EQ(FindColumn({"Private Line", "Home Phone"}, "Home", "Private"), 0);
    EXPECT_EQ(FindColumn({"E-mail", "Pager", "Beeper"}, "Beeper", "Pager"), 1);
    EXPECT_EQ(FindColumn({"Cellular", "Mobile"}, "cell", "MOBILE"), 0);
    EXPECT_EQ(FindColumn({"Fa x", "F", "ax"}, "Fax", "Fax"), -1);
}

TEST(ColumnMatchingTest, NonAsciiNamesDoNotDisturbTheMatch)
{
    EXPECT_EQ(
        FindColumn({"T\xC3\xA9l\xC3\xA9phone", "N\xC3\xB6m", "Pr\xC3\xA9nom Name"}, "Name", "x"),
        2);
}

TEST(ColumnSamplesTest, EachColumnShowsItsFirstValueWithinTheFirstHundredRecords)
{
    // Column A has a value only in record 100, B only in record 101, C holds blanks until its
    // last record, and D is a column that no record reaches.
    std::string text = "A,B,C,D\n";
    for (int record = 1; record <= 101; ++record)
        text += (record == 100 ? "a100" : "") + std::string(",") + (record == 101 ? "b101" : "") +
                "," + (record == 101 ? "c101" : "  ") + "\n";
    const testsupport::TempFolder folder;
    CsvSource source;
    ASSERT_TRUE(source.Open(WriteIn(folder, "wide.csv", text).string()));
    EXPECT_THAT(ReadColumnSamples(source, 4), ElementsAre("a100", "", "", ""));
}

} // namespace
