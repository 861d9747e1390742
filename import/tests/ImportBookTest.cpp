#include "ImportBook.h"

#include "Process.h"

#include <gtest/gtest.h>

using platform::ProfileDocument;

namespace {

class ImportBookTest : public ::testing::Test
{
protected:
    void Load(const std::string& text) { m_document = ProfileDocument::Parse(text); }
    void Write(const std::string& name, const std::string& work = "1")
    {
        ImportBook(m_document).WriteEntry(name, "", work, "", "", "");
    }
    int PosOf(int section) const
    {
        return m_document.ReadInt("Item" + std::to_string(section), "Pos", -1);
    }
    int TopPos() const { return m_document.ReadInt("General", "TopPos", -1); }

    ProfileDocument m_document = ProfileDocument::Parse("");
};

const char* const kBobAndDan = "[General]\nCount=2\nTopPos=1\n"
                               "[Item0]\nName=Bob\nPos=0\nDeleted=0\n"
                               "[Item1]\nName=Dan\nPos=1\nDeleted=0\n";

} // namespace

TEST_F(ImportBookTest, ANewNameTakesItsSortedPlaceAmongTheLiveEntries)
{
    Load(kBobAndDan);
    Write("Carl");
    EXPECT_EQ(PosOf(2), 1);
    EXPECT_EQ(PosOf(1), 2);
    EXPECT_EQ(TopPos(), 2);

    Load(kBobAndDan);
    Write("Eve");
    EXPECT_EQ(PosOf(2), 2);
    EXPECT_EQ(TopPos(), 2);

    Load("[General]\nCount=2\n[Item0]\nName=Bob\nPos=0\n[Item1]\nName=Dan\nPos=1\n");
    Write("Eve");
    EXPECT_EQ(PosOf(2), 2);
    EXPECT_EQ(TopPos(), 2) << "TopPos is written when it was absent";

    Load("[General]\nCount=1\n[Item0]\nName=Zoe\nPos=0\n");
    Write("adam");
    EXPECT_EQ(PosOf(1), 1) << "small letters sort after capitals";
}

TEST_F(ImportBookTest, ABookOfDeletedEntriesStartsAtZero)
{
    for (const char* top : {"TopPos=0\n", ""}) {
        Load(std::string("[General]\nCount=2\n") + top +
             "[Item0]\nName=A\nPos=0\nDeleted=1\n[Item1]\nName=B\nPos=0\nDeleted=1\n");
        Write("C");
        EXPECT_EQ(PosOf(2), 0) << top;
        EXPECT_EQ(TopPos(), 0) << top;
    }
    // A Deleted value of 2 is not live for the position rule.
    Load("[General]\nCount=1\nTopPos=0\n[Item0]\nName=Z\nPos=0\nDeleted=2\n");
    Write("A");
    EXPECT_EQ(PosOf(0), 0);
    EXPECT_EQ(PosOf(1), 0);
}

TEST_F(ImportBookTest, EntriesWrittenInSourceOrderEndInNameOrder)
{
    Write("Carl");
    Write("Ann");
    Write("Bob", "");
    EXPECT_EQ(m_document.ReadString("Item0", "Name", ""), "Carl");
    EXPECT_EQ(m_document.ReadString("Item1", "Name", ""), "Ann");
    EXPECT_EQ(m_document.ReadString("Item2", "Name", ""), "Bob");
    EXPECT_EQ(PosOf(1), 0);
    EXPECT_EQ(PosOf(2), 1);
    EXPECT_EQ(PosOf(0), 2);
    EXPECT_EQ(m_document.ReadInt("General", "Count", 0), 3);
    EXPECT_EQ(TopPos(), 2);
    EXPECT_EQ(m_document.ReadString("Item2", "WorkPhone", "absent"), "")
        << "an empty number is written as an empty key";
}

TEST_F(ImportBookTest, DiscardingExistingEntriesKeepsTheNewPositionsDense)
{
    for (const char* name : {"P", "Q", "R", "S"})
        Write(name);
    ASSERT_EQ(TopPos(), 3);
    ImportBook book(m_document);
    book.DiscardExisting();
    Write("A");
    Write("B");
    EXPECT_EQ(m_document.ReadInt("General", "Count", -1), 2);
    EXPECT_EQ(PosOf(0), 0);
    EXPECT_EQ(PosOf(1), 1);
    EXPECT_EQ(TopPos(), 1);
    EXPECT_EQ(m_document.ReadString("Item1", "Name", ""), "B")
        << "the sections of discarded entries are overwritten whole";
}

TEST_F(ImportBookTest, ValuesAreNeitherCutNorChanged)
{
    const std::string longName(300, 'N');
    ImportBook(m_document).WriteEntry(longName, " +1 (555) 010-0199 ", "", "", "", "");
    ImportBook book(m_document);
    EXPECT_EQ(book.GetIniString("Item0", "Name", ""), longName);
    EXPECT_EQ(book.GetIniString("Item0", "HomePhone", ""), " +1 (555) 010-0199 ");
    EXPECT_EQ(book.InsertPos(longName + "A"), 1);
    EXPECT_EQ(FormatNumber(-42), "-42");
    book.WriteIniInt("General", "Count", 0);
    EXPECT_EQ(book.GetIniInt("General", "Count", -1), 0);
    EXPECT_EQ(book.NextSectionName(), "Item0");
}

TEST(ImportBookPathTest, TheBookLiesBesideTheProgram)
{
    EXPECT_EQ(GetIniPath(), platform::ExecutablePath().parent_path() / "telmo.ini");
    EXPECT_EQ(GetIniPath().parent_path().filename(), "bin");
}
