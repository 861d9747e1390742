#include "PhoneBook.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

namespace {

const char* const kExampleBook = "[General]\nCount=3\nTopPos=1\n"
                                 "[Item0]\nName=Office\nHomePhone=\nWorkPhone=201\nCellPhone=\n"
                                 "Beeper=\nFax=202\nPos=1\nDeleted=0\n"
                                 "[Item1]\nName=Bakery\nHomePhone=203\nWorkPhone=\nCellPhone=\n"
                                 "Beeper=\nFax=\nPos=0\nDeleted=0\n"
                                 "[Item2]\nName=Zoo\nHomePhone=\nWorkPhone=\nCellPhone=\n"
                                 "Beeper=\nFax=\nPos=2\nDeleted=1\n";

} // namespace

TEST(PhoneBookTest, ReadsTheBookFromTheFileAtEveryCall)
{
    TempFolder folder;
    CPhoneBook book(folder / "telmo.ini");
    EXPECT_EQ(book.LiveCount(), 0);
    EXPECT_TRUE(book.LiveEntries().empty());

    WriteFile(folder / "telmo.ini", kExampleBook);
    EXPECT_EQ(book.LiveCount(), 2);
    EXPECT_FALSE(book.IsFull());
    const std::vector<PhoneEntry> live = book.LiveEntries();
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(live[0].name, "Bakery");
    EXPECT_EQ(live[0].section, "Item1");
    EXPECT_EQ(live[1].workPhone, "201");
    EXPECT_EQ(live[1].fax, "202");
}

TEST(PhoneBookTest, SaveAndDeleteReachTheFileAndFailuresAreReported)
{
    TempFolder folder;
    WriteFile(folder / "telmo.ini", kExampleBook);
    CPhoneBook book(folder / "telmo.ini");

    PhoneEntry ann;
    ann.name = "Ann";
    ann.cellPhone = "  555 0100  ";
    ASSERT_FALSE(book.SaveEntry({}, ann));
    EXPECT_EQ(book.LiveEntries()[0].cellPhone, "  555 0100  ");
    EXPECT_EQ(book.LiveEntries()[0].name, "Ann");
    ASSERT_FALSE(book.DeleteEntry("Item3"));
    EXPECT_EQ(book.LiveCount(), 2);

    chmod((folder / "telmo.ini").c_str(), 0444);
    const std::string before = ReadFile(folder / "telmo.ini");
    EXPECT_TRUE(book.SaveEntry({}, ann));
    EXPECT_TRUE(book.DeleteEntry("Item0"));
    EXPECT_EQ(ReadFile(folder / "telmo.ini"), before);
}

TEST(PhoneBookTest, AFiveEntryBookIsFull)
{
    TempFolder folder;
    CPhoneBook book(folder / "telmo.ini");
    for (const char* name : {"E", "D", "C", "B", "A"}) {
        EXPECT_FALSE(book.IsFull());
        PhoneEntry entry;
        entry.name = name;
        ASSERT_FALSE(book.SaveEntry({}, entry));
    }
    EXPECT_TRUE(book.IsFull());
    EXPECT_EQ(book.LiveEntries()[0].section, "Item4");
}
