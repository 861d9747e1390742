#include "ImportWriting.h"

#include "PhoneBook.h"
#include "PhoneBookError.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

class ImportWritingTest : public testing::Test
{
protected:
    testsupport::TempFolder m_folder;
    std::filesystem::path m_ini = m_folder / "telmo.ini";
};

SourceRow Row(const std::string& name, const std::string& home)
{
    SourceRow row;
    row.name = name;
    row.home = home;
    return row;
}

TEST_F(ImportWritingTest, CountsTheSectionsUpToCountExceptThoseMarkedDeletedWithOne)
{
    const platform::ProfileFile file(m_ini);
    EXPECT_EQ(CountExisting(file), 0) << "no phone book yet";
    WriteIn(m_folder, "telmo.ini",
            "[General]\nCount=5\n[Item0]\nDeleted=0\n[Item1]\nDeleted=1\n[Item2]\nDeleted=2\n"
            "[Item3]\nName=no Deleted key\n[Item5]\nDeleted=1\n");
    EXPECT_EQ(CountExisting(file), 3) << "a Deleted value of 2 counts, a missing section does not";
    WriteIn(m_folder, "telmo.ini", "[General]\nCount=-3\n[Item0]\n[Item1]\n[Item2]\n");
    EXPECT_EQ(CountExisting(file), 0) << "a negative Count is 0, as for the tray program";
}

TEST_F(ImportWritingTest, TheCapacityIsFiveEntries)
{
    EXPECT_TRUE(FitsCapacity(0, 5));
    EXPECT_TRUE(FitsCapacity(4, 1));
    EXPECT_FALSE(FitsCapacity(4, 2));
    EXPECT_FALSE(FitsCapacity(0, 6));
}

TEST_F(ImportWritingTest, WritesTheRowsAfterDiscardingTheExistingEntriesWhenAsked)
{
    platform::ProfileFile file(m_ini);
    ASSERT_FALSE(WriteImport(file, {Row("Zed", "1"), Row("Amy", "2")}, false));
    ASSERT_FALSE(WriteImport(file, {Row("Bea", "3")}, false));
    std::vector<PhoneEntry> entries = CPhoneBook(m_ini).LiveEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Amy");
    EXPECT_EQ(entries[1].name, "Bea");
    EXPECT_EQ(entries[2].homePhone, "1");

    ASSERT_FALSE(WriteImport(file, {Row("Cy", "4")}, true));
    entries = CPhoneBook(m_ini).LiveEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "Cy");
    EXPECT_EQ(entries[0].pos, 0);
}

TEST_F(ImportWritingTest, RowsThatNoLongerFitTheBookAsItIsNowAreRefusedWhole)
{
    // Four live entries; page 4 counted three before another program added the fourth.
    std::string book = "[General]\nCount=4\n";
    for (int n = 0; n < 4; ++n)
        book += "[Item" + std::to_string(n) + "]\nName=P" + std::to_string(n) +
                "\nPos=" + std::to_string(n) + "\nDeleted=0\n";
    WriteIn(m_folder, "telmo.ini", book);
    platform::ProfileFile file(m_ini);
    EXPECT_EQ(WriteImport(file, {Row("Amy", "1"), Row("Bea", "2")}, false), PhoneBookError::Full);
    EXPECT_EQ(testsupport::ReadFile(m_ini), book);
    const std::vector<SourceRow> six(6, Row("Cy", "3"));
    EXPECT_EQ(WriteImport(file, six, true), PhoneBookError::Full);
    EXPECT_EQ(testsupport::ReadFile(m_ini), book) << "not even the existing entries discarded";
    EXPECT_FALSE(WriteImport(file, {Row("Amy", "1")}, false));
    EXPECT_EQ(CPhoneBook(m_ini).LiveCount(), 5);
}

TEST_F(ImportWritingTest, AFailedWriteReportsAnErrorAndChangesNothing)
{
    WriteIn(m_folder, "blocker", "");
    platform::ProfileFile unwritable(m_folder / "blocker" / "telmo.ini");
    EXPECT_TRUE(WriteImport(unwritable, {Row("Amy", "1")}, true));
    EXPECT_EQ(testsupport::ReadFile(m_folder / "blocker"), "");
}

} // namespace
