#include "PhoneBook.h"

#include "support/TelmoIni.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sstream>

using platform::ProfileDocument;
using testsupport::TelmoIni;

namespace {

// "Name" or "Name=home number".
PhoneEntry Named(const std::string& text)
{
    PhoneEntry entry;
    entry.name = text.substr(0, text.find('='));
    if (text.find('=') != std::string::npos)
        entry.homePhone = text.substr(text.find('=') + 1);
    return entry;
}

// The live entries in menu order as "name:section number:position", separated by "|".
std::string Listing(const PhoneBookDocument& book)
{
    std::string listing;
    for (const PhoneEntry& entry : book.LiveEntries())
        listing += (listing.empty() ? "" : "|") + entry.name + ":" + entry.section.substr(4) + ":" +
                   std::to_string(entry.pos);
    return listing;
}

// Runs the editor's and the import's operations, separated by blanks: "+Name" saves a new entry
// ("+Name=1" with a home number), "-ItemN" deletes a section, "<ItemN" fills the editor from a
// section, ">Name" saves the editor's entry under that name, "x" deletes it, "discard" empties
// the book, "utf8" is another program writing a text that turns the file into UTF-8.
void Apply(ProfileDocument& document, const std::string& operations)
{
    PhoneBookDocument book(document);
    PhoneEntry editor;
    std::istringstream words(operations);
    for (std::string word; std::getline(words, word, ' ');) {
        for (char& c : word)
            c = c == '_' ? ' ' : c;
        const std::string rest = word.substr(1);
        if (word[0] == '+')
            book.SaveEntry({}, Named(rest));
        else if (word[0] == '-')
            book.DeleteEntry(rest);
        else if (word[0] == '<')
            editor = book.ReadEntry(rest);
        else if (word[0] == '>')
            book.SaveEntry(editor, Named(rest));
        else if (word == "x")
            book.DeleteLoadedEntry(editor);
        else if (word == "discard")
            book.DiscardAll();
        else if (word == "utf8")
            document.WriteString("Modem", "Name", "\u4E2D");
    }
}

const std::string kLegacy = TelmoIni().General(2, 1).Item(0, "M\xFCller").Item(1, "\xC5ke", {}, 1);
const std::string kThreeNames = "[Item0]\nName=A\n[Item1]\nName=B\n[Item2]\nName=C\n";

} // namespace

TEST(PhoneBookDocumentTest, OperationsKeepNamesInOrderAtPositionsZeroToLiveCount)
{
    const struct
    {
        const char* what;
        std::string file;
        const char* operations; // '_' stands for a blank
        std::string listing;
        int topPos; // -1: not written
    } rows[] = {
        {"first entry", "", "+Ann", "Ann:0:0", -1},
        {"sorted by bytes, equal names in saving order", "", "+A +B +0 +adam +A",
         "0:2:0|A:0:1|A:4:2|B:1:3|adam:3:4", 4},
        {"a deletion closes the gap, once", "", "+A +B +C -Item1 -Item1 -Item7 -", "A:0:0|C:2:1",
         1},
        {"after the last deletion", "", "+A -Item0 +B", "B:1:0", 0},
        {"a rename takes a new section", "", "+ann +Bob <Item1 >bob", "ann:0:0|bob:2:1", 1},
        {"an entry deleted while open is saved anew", "", "+Ann +Bob <Item1 -Item1 +Cy >Bob",
         "Ann:0:0|Bob:3:1|Cy:2:2", 2},
        {"a section reused by the import is not overwritten", "",
         "+Ann <Item0 discard +Eve +Fay >Ann", "Ann:2:0|Eve:0:1|Fay:1:2", 2},
        {"nor when the import put someone of the same name there", "",
         "+Ann=111 <Item0 discard +Ann=999 >Ann", "Ann:0:0|Ann:1:1", 1},
        {"nor deleted", "", "+Ann=111 <Item0 discard +Ann=999 x", "Ann:0:0", 0},
        {"never a sixth entry", "", "+A <Item0 discard +B +C +D +E +F >A +G",
         "B:0:0|C:1:1|D:2:2|E:3:3|F:4:4", 4},
        {"section numbers past nine", TelmoIni().General(10).Item(9, "x", {}, 0, 1), "+A", "A:10:0",
         0},
        {"line breaks stored as blanks", "", "+A_B +A\nC <Item1 >A\rD", "A B:0:0|A D:2:1", 1},
        {"hand-edited gaps and twins",
         "[General]\nCount=4\n[Item0]\nName=Far\nPos=9\n[Item1]\nName=Gone\nDeleted=1\n[Item2]\n"
         "Name=Twin\nPos=2\n[Item3]\nName=Near\nPos=2\n[Item4]\nName=Beyond\n",
         "", "Twin:2:2|Near:3:2|Far:0:9", -1},
        {"any Deleted value but 0",
         "[General]\nCount=2\n[Item0]\nDeleted=2\n[Item1]\nName=B\nDeleted=-1\n", "+C", "C:2:0", 0},
        {"a legacy name saved unchanged stays in place", kLegacy, "<Item0 >Müller",
         "Müller:0:0|Åke:1:1", 1},
        {"a name in the code page's order", kLegacy, "+Jürgen", "Jürgen:2:0|Müller:0:1|Åke:1:2", 2},
        {"a name beyond the code page", kLegacy, "+Zoë_Żak", "Müller:0:0|Zoë Żak:2:1|Åke:1:2", 2},
        {"the code page's order kept after converting",
         TelmoIni().General(2, 1).Item(0, "\x8Aimon").Item(1, "\xDCmit", {}, 1), "+中",
         "Šimon:0:0|Ümit:1:1|中:2:2", 2},
        // A hand-edited Count is bounded by the sections the file holds and the range of int.
        {"a negative Count", "[General]\nCount=-3\n" + kThreeNames, "+X", "X:0:0", -1},
        {"a Count far too high", "[General]\nCount=2000000000\n" + kThreeNames, "+X",
         "A:0:0|B:1:0|C:2:0|X:3:1", 1},
        {"a Count past the sections",
         "[General]\nCount=9\n[Item0]\n[Item3]\nDeleted=1\n[item4]\n[Item05]\n", "+X",
         ":0:0|:4:0|X:5:1", 1},
        {"no section number left",
         "[General]\nCount=2147483647\n[Item2147483646]\n[Item2147483647]\n", "+X", ":2147483646:0",
         -1},
        {"opened before another program converted the file", kLegacy, "<Item0 utf8 >Müller",
         "Müller:0:0|Åke:1:1", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ProfileDocument document = ProfileDocument::Parse(row.file);
        Apply(document, row.operations);
        EXPECT_EQ(Listing(PhoneBookDocument(document)), row.listing);
        EXPECT_EQ(document.ReadInt("General", "TopPos", -1), row.topPos);
    }
}

TEST(PhoneBookTest, ASaveReachesTheFileWithEveryKeyOfTheEntry)
{
    testsupport::TempFolder folder;
    CPhoneBook book(folder / "telmo.ini");
    PhoneEntry ann = Named("Ann");
    ann.workPhone = "  555 0100  ";
    ann.fax = "2";
    ASSERT_FALSE(book.SaveEntry({}, ann));
    EXPECT_EQ(testsupport::ReadFile(folder / "telmo.ini"),
              "[General]\nCount=1\n[Item0]\nName=Ann\nHomePhone=\nWorkPhone=\"  555 0100  \"\n"
              "CellPhone=\nBeeper=\nFax=2\nPos=0\nDeleted=0\n");
}
