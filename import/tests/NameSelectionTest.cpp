#include "NameSelection.h"

#include "CsvSource.h"
#include "ImportWriting.h"
#include "NameListModel.h"
#include "PhoneBook.h"
#include "PhoneBookError.h"
#include "files/ProfileFile.h"
#include "support/FileSizeLimit.h"
#include "support/TelmoIni.h"
#include "support/TempFolder.h"
#include "support/Utf16Text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numeric>

using testing::ElementsAre;

namespace {

constexpr ColumnChoice kColumns{0, 1, 2, 3, -1, -1, 4};

TEST(NameSelectionTest, ListsEveryRowWithANumberAndReadsExactlyTheChosenOnesBack)
{
    testsupport::TempFolder folder;
    const std::string file = (folder / "people.csv").string();
    testsupport::WriteFile(file, "First,Last,Home,Work,Pager\nCarl,Ng,555,\nNo,Number,,\n\n"
                                 ",,,777\nAnn,   ,1,2\n\t Carl,Ng,,888\nBea,,,, \n");
    CsvSource source;
    ASSERT_TRUE(source.Open(file));
    const ListedRows listed = ListRows(source, kColumns);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < listed.Size(); ++i)
        names.push_back(std::string(listed.Name(i)) + "@" + std::to_string(listed.Record(i)));
    EXPECT_THAT(names, ElementsAre("Carl Ng@0", "@3", "Ann@4", "Carl Ng@5", "Bea@6"))
        << "a number of blanks is a number";

    // The chosen rows, read again from the start, are exactly those rows as they stand.
    ASSERT_TRUE(source.Open(file));
    std::vector<std::uint64_t> positions;
    const std::vector<SourceRow> rows =
        ReadChosenRows(source, kColumns, {{"", 3}, {"Ann", 4}, {"Carl Ng", 5}, {"Bea", 6}},
                       [&](std::uint64_t position, std::uint64_t length) {
                           positions.push_back(position);
                           return length == source.Length();
                       })
            .value();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].work, "777");
    EXPECT_EQ(rows[1].ComposedName(), "Ann    ") << "written with the blanks of its last name";
    EXPECT_EQ(rows[2].ComposedName(), "\t Carl Ng");
    EXPECT_EQ(rows[2].work, "888") << "the second Carl Ng, not the first";
    EXPECT_EQ(rows[2].home, "") << "nothing left over from the record before";
    EXPECT_EQ(rows[3].beeper, " ");
    EXPECT_EQ(positions.size(), 7u);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.back(), source.Length());

    // A chosen row that changed since it was listed spoils the whole reading: it has no number
    // now, holds another name, or is beyond the end of the file.
    for (const ListedRow& changed : {ListedRow{"No Number", 1}, {"Ann", 3}, {"Zed", 99}}) {
        ASSERT_TRUE(source.Open(file));
        EXPECT_FALSE(ReadChosenRows(source, kColumns, {{"Carl Ng", 0}, changed}).has_value())
            << changed.name;
    }
}

TEST(SortedNameOrderTest, GivesEveryRowOnceInNameOrderUnlessItsProgressStopsIt)
{
    constexpr int kCount = 40000; // enough for the sort to look at its progress a few times
    ListedRows rows;
    for (int row = 0; row < kCount; ++row) {
        char name[8];
        std::snprintf(name, sizeof name, "%05d", kCount - 1 - row);
        rows.Add(name, static_cast<std::uint64_t>(row));
    }
    int looks = 0;
    EXPECT_FALSE(SortedNameOrder(rows, [&](std::uint64_t, std::uint64_t) { return ++looks < 3; }));
    const auto order = SortedNameOrder(rows, [](std::uint64_t, std::uint64_t) { return true; });
    ASSERT_TRUE(order);
    std::vector<std::size_t> expected(kCount);
    std::iota(expected.rbegin(), expected.rend(), std::size_t{0});
    EXPECT_EQ(*order, expected);
}

TEST(ProgressStepsTest, MovesOnlyInStepsOfMoreThanFourPoints)
{
    ProgressSteps steps;
    std::vector<int> shown;
    for (std::uint64_t position = 0; position <= 100; position += 3)
        if (const auto percent = steps.Advance(position, 100))
            shown.push_back(*percent);
    EXPECT_EQ(shown,
              (std::vector<int>{6, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96}));
    EXPECT_FALSE(ProgressSteps().Advance(10, 0)) << "an empty file divides by nothing";
}

class ImportWritingTest : public testing::Test
{
protected:
    // A book of the given live entries P1, P2, ... after a section marked deleted.
    void WriteBook(int live)
    {
        testsupport::TelmoIni ini;
        ini.General(live + 1, live - 1).Item(0, "Old", {"0"}, 0, 1);
        for (int n = 1; n <= live; ++n)
            ini.Item(n, "P" + std::to_string(n), {"1"}, n - 1);
        testsupport::WriteFile(m_ini, m_book = ini);
    }

    testsupport::TempFolder m_folder;
    std::filesystem::path m_ini = m_folder / "telmo.ini";
    platform::ProfileFile file{m_ini};
    std::string m_book;
};

TEST_F(ImportWritingTest, CountsTheLiveEntriesAsTheTrayProgramDoes)
{
    EXPECT_EQ(CountExisting(file), 0) << "no phone book yet";
    testsupport::WriteFile(m_ini, "[General]\nCount=5\n[Item0]\nDeleted=0\n[Item1]\nDeleted=1\n"
                                  "[Item2]\nDeleted=2\n[Item3]\nName=x\n[Item5]\nDeleted=1\n");
    EXPECT_EQ(CountExisting(file), 2) << "a Deleted value of 2 is deleted, a missing section none";
    EXPECT_EQ(CountExisting(file), CPhoneBook(m_ini).LiveCount());
    testsupport::WriteFile(m_ini, "[General]\nCount=-3\n[Item0]\n[Item1]\n");
    EXPECT_EQ(CountExisting(file), 0) << "a negative Count is 0, as for the tray program";
}

TEST_F(ImportWritingTest, TheBookTakesRowsUpToFiveEntriesAndNotOneMore)
{
    // Live entries, rows, Delete Existing Entries, whether they fit.
    const std::tuple<int, int, bool, bool> cases[] = {{0, 5, false, true},  {4, 1, false, true},
                                                      {4, 2, false, false}, {0, 6, false, false},
                                                      {4, 5, true, true},   {4, 6, true, false}};
    for (const auto& [live, rows, deleteExisting, fits] : cases) {
        SCOPED_TRACE(std::to_string(live) + " + " + std::to_string(rows));
        WriteBook(live);
        EXPECT_EQ(FitsCapacity(deleteExisting ? 0 : live, rows), fits);
        const std::error_code error = WriteImport(
            file, std::vector<SourceRow>(rows, {"Amy", "", "1", "", "", "", ""}), deleteExisting);
        EXPECT_EQ(error, fits ? std::error_code() : PhoneBookError::Full);
        if (fits)
            EXPECT_EQ(CPhoneBook(m_ini).LiveCount(), rows + (deleteExisting ? 0 : live));
        else
            EXPECT_EQ(testsupport::ReadFile(m_ini), m_book) << "not even the discard written";
    }
    // A book with no section number left takes no row, not even into a section beyond it.
    testsupport::WriteFile(m_ini, m_book = "[General]\nCount=2147483647\n[Item2147483646]\n");
    EXPECT_EQ(WriteImport(file, {{"Amy", "", "1", "", "", "", ""}}, false), PhoneBookError::Full);
    EXPECT_EQ(testsupport::ReadFile(m_ini), m_book);
}

TEST_F(ImportWritingTest, AUtf16BookTakesTheRowsInItsOwnEncoding)
{
    const std::u16string start = u"[General]\r\nCount=1\r\n[Item0]\r\nName=Zoë\r\nPos=0\r\n";
    testsupport::WriteFile(m_ini, testsupport::Utf16(start, false));
    ASSERT_FALSE(WriteImport(file, {{"Åsa", "", "2", "", "", "", ""}}, false));
    EXPECT_EQ(testsupport::ReadFile(m_ini),
              testsupport::Utf16(u"[General]\r\nCount=2\r\nTopPos=1\r\n[Item0]\r\nName=Zoë\r\n"
                                 u"Pos=0\r\n[Item1]\r\nName=Åsa\r\nHomePhone=2\r\nWorkPhone=\r\n"
                                 u"CellPhone=\r\nBeeper=\r\nFax=\r\nPos=1\r\nDeleted=0\r\n",
                                 false));
}

TEST_F(ImportWritingTest, AFailedWriteLeavesTheExistingEntriesInPlace)
{
    // Discarding the entries and writing the rows are one write: when it fails (a full disk
    // here), the book keeps every entry it had.
    WriteBook(4);
    {
        testsupport::ScopedFileSizeLimit limit(m_book.size() + 64);
        EXPECT_TRUE(WriteImport(file, {{std::string(200, 'A'), "", "1", "", "", "", ""}}, true));
    }
    EXPECT_EQ(testsupport::ReadFile(m_ini), m_book);
}

} // namespace
