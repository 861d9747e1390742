#include "PhoneBookDocument.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

using platform::ProfileDocument;

namespace {

PhoneEntry Named(const std::string& name, const std::string& work = "")
{
    PhoneEntry entry;
    entry.name = name;
    entry.workPhone = work;
    return entry;
}

std::vector<std::string> NamesInMenuOrder(const PhoneBookDocument& book)
{
    std::vector<std::string> names;
    for (const PhoneEntry& entry : book.LiveEntries())
        names.push_back(entry.name);
    return names;
}

class PhoneBookDocumentTest : public ::testing::Test
{
protected:
    ProfileDocument m_document = ProfileDocument::Parse("");
    PhoneBookDocument m_book{m_document};
};

} // namespace

TEST_F(PhoneBookDocumentTest, FirstEntryOfAnEmptyBookTakesPositionZeroWithoutTopPos)
{
    EXPECT_EQ(m_book.Count(), 0);
    EXPECT_EQ(m_book.AddEntry(Named("Ann")), "Item0");
    EXPECT_EQ(m_document.Serialize(), "[General]\nCount=1\n[Item0]\nName=Ann\nHomePhone=\n"
                                      "WorkPhone=\nCellPhone=\nBeeper=\nFax=\nPos=0\nDeleted=0\n");
}

TEST_F(PhoneBookDocumentTest, NewEntriesTakeTheirSortedPlaceAndMoveLaterOnesUp)
{
    m_book.AddEntry(Named("A"));
    m_book.AddEntry(Named("B"));
    EXPECT_EQ(m_book.ReadEntry("Item1").pos, 1);
    EXPECT_EQ(m_document.ReadInt("General", "TopPos", -1), 1);

    m_book.AddEntry(Named("0"));
    EXPECT_EQ(m_book.ReadEntry("Item2").pos, 0);
    EXPECT_EQ(m_book.ReadEntry("Item0").pos, 1);
    EXPECT_EQ(m_book.ReadEntry("Item1").pos, 2);

    m_book.AddEntry(Named("adam")); // small letters sort after every capital
    m_book.AddEntry(Named("A"));    // an equal name goes after the one already there
    EXPECT_EQ(NamesInMenuOrder(m_book), (std::vector<std::string>{"0", "A", "A", "B", "adam"}));
    EXPECT_EQ(m_book.LiveEntries()[1].section, "Item0");
    EXPECT_EQ(m_document.ReadInt("General", "TopPos", -1), 4);
}

TEST_F(PhoneBookDocumentTest, SectionNumbersGoOnPastNineWithoutLeadingZeros)
{
    for (int i = 0; i < 10; ++i)
        m_book.DeleteEntry(m_book.AddEntry(Named("x")));
    EXPECT_EQ(m_book.NextSectionName(), "Item10");
    EXPECT_EQ(PhoneBookDocument::SectionName(123), "Item123");
}

TEST_F(PhoneBookDocumentTest, DeletingClosesTheGapAndKeepsTheSection)
{
    m_book.AddEntry(Named("A"));
    m_book.AddEntry(Named("B"));
    m_book.AddEntry(Named("C"));
    m_book.DeleteEntry("Item1");

    EXPECT_EQ(m_book.ReadEntry("Item1").pos, 1);
    EXPECT_EQ(m_book.ReadEntry("Item1").deleted, 1);
    EXPECT_EQ(m_book.ReadEntry("Item2").pos, 1);
    EXPECT_EQ(m_document.ReadInt("General", "TopPos", -1), 1);
    EXPECT_EQ(m_book.LiveCount(), 2);
    EXPECT_EQ(m_book.FindSectionByPos(1), "Item2");
    EXPECT_EQ(m_book.FindSectionByPos(2), "");

    const std::string before = m_document.Serialize();
    m_book.DeleteEntry("Item1"); // a second delete of the same entry changes nothing
    m_book.DeleteEntry("Item7");
    m_book.DeleteEntry("");
    EXPECT_EQ(m_document.Serialize(), before);
}

TEST_F(PhoneBookDocumentTest, AfterTheLastDeletionANewEntryStartsAtZeroAgain)
{
    m_book.AddEntry(Named("A"));
    m_book.DeleteEntry("Item0");
    EXPECT_EQ(m_document.ReadInt("General", "TopPos", -1), 0);
    EXPECT_EQ(m_book.AddEntry(Named("B")), "Item1");
    EXPECT_EQ(m_book.ReadEntry("Item1").pos, 0);
    EXPECT_EQ(m_document.ReadInt("General", "TopPos", -1), 0);
}

TEST_F(PhoneBookDocumentTest, SavingTheSameNameRewritesTheEntryInPlace)
{
    m_book.AddEntry(Named("Ann"));
    m_book.AddEntry(Named("Bob"));
    m_document.WriteInt("Item0", "Deleted", 0);
    m_document.WriteString("Item0", "HomePhone", "old");

    EXPECT_EQ(m_book.SaveEntry(m_book.ReadEntry("Item0"), Named("Ann", "555")), "Item0");
    const PhoneEntry saved = m_book.ReadEntry("Item0");
    EXPECT_EQ(saved.workPhone, "555");
    EXPECT_EQ(saved.homePhone, "");
    EXPECT_EQ(saved.pos, 0);
    EXPECT_EQ(m_book.Count(), 2);
}

TEST_F(PhoneBookDocumentTest, ARenameMovesTheEntryToANewSectionAtItsNewPlace)
{
    m_book.AddEntry(Named("ann"));
    m_book.AddEntry(Named("Bob"));
    EXPECT_EQ(m_book.SaveEntry(m_book.ReadEntry("Item1"), Named("bob")), "Item2"); // a new name
    EXPECT_EQ(m_book.ReadEntry("Item1").deleted, 1);
    EXPECT_EQ(NamesInMenuOrder(m_book), (std::vector<std::string>{"ann", "bob"}));
    EXPECT_EQ(m_book.Count(), 3);
    EXPECT_EQ(m_book.LiveCount(), 2);
}

TEST_F(PhoneBookDocumentTest, AnEntryGoneFromItsSectionIsSavedAsANewOneWithinTheCapacity)
{
    m_book.AddEntry(Named("Ann"));
    m_book.AddEntry(Named("Bob"));
    const PhoneEntry bob = m_book.ReadEntry("Item1");
    m_book.DeleteEntry("Item1");
    EXPECT_FALSE(m_book.HoldsEntry(bob));
    EXPECT_EQ(m_book.SaveEntry({}, Named("Cy")), "Item2");
    EXPECT_EQ(m_book.SaveEntry(bob, Named("Bob", "1")), "Item3");
    EXPECT_EQ(m_book.SaveEntry(m_book.ReadEntry("Item9"), Named("Dee")), "Item4");
    EXPECT_EQ(m_book.ReadEntry("Item1").deleted, 1);
    EXPECT_EQ(m_document.ReadString("", "Name", "none"), "none");
    EXPECT_EQ(NamesInMenuOrder(m_book), (std::vector<std::string>{"Ann", "Bob", "Cy", "Dee"}));

    // The import discards the book and reuses Item0 and Item1 while the editor holds Ann.
    const PhoneEntry ann = m_book.ReadEntry("Item0");
    m_book.DiscardAll();
    m_book.AddEntry(Named("Eve"));
    m_book.AddEntry(Named("Fay"));
    EXPECT_FALSE(m_book.HoldsEntry(ann));
    EXPECT_EQ(m_book.SaveEntry(ann, Named("Ann", "2")), "Item2");
    EXPECT_EQ(NamesInMenuOrder(m_book), (std::vector<std::string>{"Ann", "Eve", "Fay"}));

    m_book.AddEntry(Named("Gus"));
    m_book.AddEntry(Named("Hal"));
    const std::string full = m_document.Serialize();
    EXPECT_EQ(m_book.SaveEntry(ann, Named("Ann", "3")), std::nullopt) << "never a sixth entry";
    EXPECT_EQ(m_book.SaveEntry({}, Named("Ida")), std::nullopt);
    EXPECT_EQ(m_document.Serialize(), full);
    EXPECT_EQ(m_book.SaveEntry(m_book.ReadEntry("Item2"), Named("Ann", "3")), "Item2");
}

TEST_F(PhoneBookDocumentTest, DiscardingKeepsPositionsInLineForTheNextEntries)
{
    for (const char* name : {"P", "Q", "R", "S"})
        m_book.AddEntry(Named(name));
    m_book.DiscardAll();
    EXPECT_EQ(m_book.LiveCount(), 0);

    m_book.AddEntry(Named("A"));
    m_book.AddEntry(Named("B"));
    EXPECT_EQ(m_book.ReadEntry("Item0").pos, 0);
    EXPECT_EQ(m_book.ReadEntry("Item1").pos, 1);
    EXPECT_EQ(m_document.ReadInt("General", "TopPos", -1), 1);
    EXPECT_EQ(NamesInMenuOrder(m_book), (std::vector<std::string>{"A", "B"}));
}

TEST_F(PhoneBookDocumentTest, LiveEntriesFollowPositionsEvenWhenTheyHaveGaps)
{
    m_document = ProfileDocument::Parse("[General]\nCount=4\n"
                                        "[Item0]\nName=Far\nPos=9\n"
                                        "[Item1]\nName=Gone\nPos=0\nDeleted=1\n"
                                        "[Item2]\nName=Twin\nPos=2\n"
                                        "[Item3]\nName=Near\nPos=2\n"
                                        "[Item4]\nName=Beyond count\nPos=0\n");
    EXPECT_EQ(NamesInMenuOrder(m_book), (std::vector<std::string>{"Twin", "Near", "Far"}));
    EXPECT_EQ(m_book.LiveCount(), 3);
}

// Runs the editor's operations at random and checks after every step that the live entries hold
// positions 0 .. L-1 in byte order of their names, equal names in the order they were saved,
// and that TopPos is L-1 (0 with no live entry).
TEST(PhoneBookInvariantTest, RandomEditsKeepPositionsSortedAndDense)
{
    const std::vector<std::string> names = {"",  "Ann",      "ann", "Bob",  "bob", "Ann", "Zoe",
                                            "z", "\xC9mile", "0",   "Ann ", "~",   "B"};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](std::size_t size) {
            return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
        };
        ProfileDocument document = ProfileDocument::Parse("");
        PhoneBookDocument book(document);
        std::map<std::string, int> savedAt; // section -> when it was last saved
        int saves = 0;

        for (int step = 0; step < 150; ++step) {
            const std::vector<PhoneEntry> live = book.LiveEntries();
            const std::size_t action = pick(3);
            if (action == 0 && live.size() < kPhoneBookCapacity) {
                savedAt[*book.SaveEntry({}, Named(names[pick(names.size())]))] = saves++;
            } else if (action == 1 && !live.empty()) {
                const PhoneEntry& chosen = live[pick(live.size())];
                const std::string section =
                    *book.SaveEntry(chosen, Named(names[pick(names.size())]));
                if (section != chosen.section)
                    savedAt[section] = saves++;
            } else if (action == 2 && !live.empty()) {
                book.DeleteEntry(live[pick(live.size())].section);
            }

            const std::vector<PhoneEntry> after = book.LiveEntries();
            for (std::size_t i = 0; i < after.size(); ++i) {
                ASSERT_EQ(after[i].pos, static_cast<int>(i)) << "seed " << seed << " step " << step;
                if (i == 0)
                    continue;
                const PhoneEntry& previous = after[i - 1];
                ASSERT_FALSE(NameSortsBefore(after[i].name, previous.name)) << "seed " << seed;
                if (previous.name == after[i].name) {
                    ASSERT_LT(savedAt[previous.section], savedAt[after[i].section]);
                }
            }
            const int expectedTop = std::max(0, static_cast<int>(after.size()) - 1);
            ASSERT_EQ(document.ReadInt("General", "TopPos", expectedTop), expectedTop)
                << "seed " << seed << " step " << step;
            ASSERT_EQ(book.LiveCount(), static_cast<int>(after.size()));
        }
    }
}

// Count as a hand-edited file may hold it: both programs read it the same bounded way, walk only
// the sections that are there, and never number a section past the range of int.
TEST(PhoneBookCountTest, CountIsBoundedByTheSectionsTheFileHolds)
{
    const std::string threeLive = "[Item0]\nName=A\n[Item1]\nName=B\n[Item2]\nName=C\n";
    const struct
    {
        std::string file;
        int count;
        int live;
        const char* next; // the section a new entry takes
        int countAfterAdding;
    } rows[] = {
        {"[General]\nCount=-3\n" + threeLive, 0, 0, "Item0", 1},
        {"[General]\nCount=2000000000\n" + threeLive, 3, 3, "Item3", 4},
        {"[General]\nCount=2147483647\n" + threeLive, 3, 3, "Item3", 4},
        {"[General]\nCount=9\n[Item0]\n[Item3]\nDeleted=1\n[item4]\n[Item05]\n", 5, 2, "Item5", 6},
        {"[General]\nCount=2147483647\n[Item2147483646]\n[Item2147483647]\n", 2147483647, 1,
         "Item2147483647", 2147483647},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        ProfileDocument document = ProfileDocument::Parse(row.file);
        PhoneBookDocument book(document);
        EXPECT_EQ(book.Count(), row.count);
        EXPECT_EQ(book.LiveCount(), row.live);
        EXPECT_EQ(book.LiveEntries().size(), static_cast<std::size_t>(row.live));
        EXPECT_EQ(book.NextSectionName(), row.next);
        book.IncrementCount();
        EXPECT_EQ(document.ReadInt("General", "Count", 0), row.countAfterAdding);
    }
}

// A name is placed by the bytes it is stored as, line breaks already turned into blanks.
TEST_F(PhoneBookDocumentTest, ANameWithALineBreakIsPlacedAsItIsStored)
{
    m_book.AddEntry(Named("A B"));
    m_book.AddEntry(Named("A\nC"));
    EXPECT_EQ(NamesInMenuOrder(m_book), (std::vector<std::string>{"A B", "A C"}));
    EXPECT_EQ(m_book.SaveEntry(m_book.ReadEntry("Item1"), Named("A\rD")), "Item2");
    EXPECT_EQ(NamesInMenuOrder(m_book), (std::vector<std::string>{"A B", "A D"}));
}

// A phone book carried over from the original platform holds Windows-1252 text. What the user
// did not change keeps its bytes, and the file keeps one encoding.
TEST(PhoneBookEncodingTest, SavesKeepTheFileInOneEncoding)
{
    const std::string legacy = "[General]\nCount=2\nTopPos=1\n"
                               "[Item0]\nName=M\xFCller\nWorkPhone=1\nPos=0\n"
                               "[Item1]\nName=\xC5ke\nPos=1\n";
    const std::string utf8 = "[General]\nCount=1\n[Item0]\nName=M\xC3\xBCller\nPos=0\n";
    const struct
    {
        const char* what;
        std::string file;
        const char* edits; // the section the editor was filled from; "" for a new entry
        std::string loadedName;
        std::string typedName;
        const char* section; // where the entry is saved
        std::vector<std::string> menu;
    } rows[] = {
        {"a number changed, the name kept",
         legacy,
         "Item0",
         "M\xFCller",
         "Müller",
         "Item0",
         {"M\xFCller", "\xC5ke"}},
        {"a name that fits the code page",
         legacy,
         "",
         "",
         "Jürgen",
         "Item2",
         {"J\xFCrgen", "M\xFCller", "\xC5ke"}},
        {"a name that does not fit turns the file into UTF-8",
         legacy,
         "",
         "",
         "Zoë Żak",
         "Item2",
         {"M\xC3\xBCller",
          "Zo\xC3\xAB \xC5\xBB"
          "ak",
          "\xC3\x85ke"}},
        {"new text in a UTF-8 file",
         utf8,
         "",
         "",
         "Jürgen",
         "Item1",
         {"J\xC3\xBCrgen", "M\xC3\xBCller"}},
        {"loaded before another program converted the file",
         utf8,
         "Item0",
         "M\xFCller",
         "Müller",
         "Item0",
         {"M\xC3\xBCller"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ProfileDocument document = ProfileDocument::Parse(row.file);
        PhoneBookDocument book(document);
        PhoneEntry loaded;
        if (*row.edits) {
            loaded = book.ReadEntry(row.edits);
            loaded.name = row.loadedName;
        }
        PhoneEntry typed = Named(row.typedName, "2");
        EXPECT_EQ(book.SaveEntry(loaded, typed), row.section);
        EXPECT_EQ(NamesInMenuOrder(book), row.menu);
        EXPECT_EQ(document.ReadString(row.section, "WorkPhone", ""), "2");
        const bool wasUtf8 = ProfileDocument::Parse(row.file).IsUtf8();
        EXPECT_EQ(document.IsUtf8(), wasUtf8 || row.menu[0] == "M\xC3\xBCller");
    }
}

// Converting to UTF-8 changes the byte order of some letters: positions follow the new order.
TEST(PhoneBookEncodingTest, ConvertingToUtf8KeepsTheNamesInOrder)
{
    ProfileDocument document = ProfileDocument::Parse("[General]\nCount=2\nTopPos=1\n"
                                                      "[Item0]\nName=\x8Aimon\nPos=0\n"
                                                      "[Item1]\nName=\xDCmit\nPos=1\n");
    PhoneBookDocument book(document);
    book.AddEntry(Named("\xE4\xB8\xAD")); // a character beyond Windows-1252
    EXPECT_EQ(NamesInMenuOrder(book),
              (std::vector<std::string>{"\xC3\x9Cmit", "\xC5\xA0imon", "\xE4\xB8\xAD"}));
    EXPECT_EQ(document.ReadInt("General", "TopPos", -1), 2);
}
