#include "NameSelection.h"

#include "CsvSource.h"
#include "TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::Field;
using testing::IsEmpty;

namespace {

ColumnChoice FirstLastHomeWork()
{
    ColumnChoice columns;
    columns.name = 0;
    columns.lastName = 1;
    columns.home = 2;
    columns.work = 3;
    return columns;
}

auto Listed(const std::string& name, std::uint64_t record)
{
    return testing::AllOf(Field(&ListedRow::name, name), Field(&ListedRow::record, record));
}

std::vector<ListedRow> Rows(const ListedRows& listed)
{
    std::vector<ListedRow> rows;
    for (std::size_t i = 0; i < listed.Size(); ++i)
        rows.push_back(listed.Row(i));
    return rows;
}

TEST(SourceRowTest, ComposesTheNameAndTrimsOnlyTheListedOne)
{
    SourceRow row;
    row.name = "Ann";
    EXPECT_EQ(row.ComposedName(), "Ann");
    row.lastName = "Lee";
    EXPECT_EQ(row.ComposedName(), "Ann Lee");
    row.lastName = "   ";
    EXPECT_EQ(row.ComposedName(), "Ann    ");
    EXPECT_EQ(row.ListedName(), "Ann");
    row.name = "\t Bob";
    row.lastName.clear();
    EXPECT_EQ(row.ListedName(), "Bob");
}

TEST(SourceRowTest, AnyNonEmptyNumberFieldCountsEvenBlanks)
{
    SourceRow row;
    row.name = "Ann";
    EXPECT_FALSE(row.HasNumber());
    for (std::string SourceRow::*number : {&SourceRow::home, &SourceRow::work, &SourceRow::cell,
                                           &SourceRow::fax, &SourceRow::beeper}) {
        SourceRow withNumber = row;
        withNumber.*number = " ";
        EXPECT_TRUE(withNumber.HasNumber());
    }
}

TEST(RowReaderTest, UnassignedColumnsAndShortRecordsGiveEmptyFields)
{
    ColumnChoice columns = FirstLastHomeWork();
    columns.beeper = 9;
    RowReader reader(columns);
    const SourceRow& row = reader.Read("\"Lee, Ann\",,555");
    EXPECT_EQ(row.name, "Lee, Ann");
    EXPECT_EQ(row.lastName, "");
    EXPECT_EQ(row.home, "555");
    EXPECT_EQ(row.work, "");
    EXPECT_EQ(row.cell, "");
    EXPECT_EQ(row.beeper, "");
    EXPECT_EQ(reader.Read("").name, "") << "nothing of the earlier record is left over";
}

class RowListingTest : public testing::Test
{
protected:
    std::filesystem::path WriteSource()
    {
        return WriteIn(m_folder, "people.csv",
                       "First,Last,Home,Work\n"
                       "Carl,Ng,555,\n"
                       "NoNumber,Person,,\n"
                       "\n"
                       ",,,777\n"
                       "Ann,   ,1,2\n"
                       "Carl,Ng,,888\n");
    }

    testsupport::TempFolder m_folder;
};

TEST_F(RowListingTest, ListsEveryRowWithANumberUnderItsOwnRecordNumber)
{
    CsvSource source;
    ASSERT_TRUE(source.Open(WriteSource().string()));
    EXPECT_THAT(
        Rows(ListRows(source, FirstLastHomeWork())),
        ElementsAre(Listed("Carl Ng", 0), Listed("", 3), Listed("Ann", 4), Listed("Carl Ng", 5)));
}

TEST_F(RowListingTest, ReadsExactlyTheChosenRowsAsTheyStandInTheFile)
{
    CsvSource source;
    ASSERT_TRUE(source.Open(WriteSource().string()));
    std::vector<std::uint64_t> positions;
    const std::vector<SourceRow> rows =
        ReadChosenRows(source, FirstLastHomeWork(), {{"Ann", 4}, {"Carl Ng", 5}},
                       [&](std::uint64_t position) { positions.push_back(position); })
            .value();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ComposedName(), "Ann    ") << "written with the blanks of its last name";
    EXPECT_EQ(rows[0].work, "2");
    EXPECT_EQ(rows[1].ComposedName(), "Carl Ng");
    EXPECT_EQ(rows[1].home, "");
    EXPECT_EQ(rows[1].work, "888") << "the second Carl Ng, not the first one of the same name";
    ASSERT_EQ(positions.size(), 6u);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.back(), source.Length());
}

TEST_F(RowListingTest, AChosenRowThatChangedSinceItWasListedSpoilsTheWholeReading)
{
    const std::vector<ListedRow> changed[] = {
        {{"Carl Ng", 1}, {"Ann", 4}}, // the row has no number any more
        {{"Ann", 3}, {"Ann", 4}},     // the row holds another name
        {{"Ann", 4}, {"Zed", 99}},    // the file is shorter now
    };
    for (const std::vector<ListedRow>& chosen : changed) {
        SCOPED_TRACE(chosen.front().record);
        CsvSource source;
        ASSERT_TRUE(source.Open(WriteSource().string()));
        EXPECT_EQ(ReadChosenRows(source, FirstLastHomeWork(), chosen, [](std::uint64_t) {}),
                  std::nullopt);
    }
}

TEST(ProgressStepsTest, MovesOnlyInStepsOfMoreThanFourPoints)
{
    ProgressSteps steps;
    std::vector<int> shown;
    for (std::uint64_t position = 0; position <= 1000; position += 7) {
        if (const auto percent = steps.Advance(position, 1000))
            shown.push_back(*percent);
    }
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 5);
    for (std::size_t i = 1; i < shown.size(); ++i)
        EXPECT_GT(shown[i], shown[i - 1] + 4);
    EXPECT_GE(shown.back(), 95);
    EXPECT_FALSE(ProgressSteps().Advance(10, 0).has_value()) << "an empty file divides by nothing";
}

} // namespace
