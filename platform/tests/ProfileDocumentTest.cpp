#include "ProfileDocument.h"

#include <climits>
#include <gtest/gtest.h>

using platform::ProfileDocument;

TEST(ProfileDocumentTest, ReadsHandWrittenFilesAsTheOriginalPlatformDid)
{
    const ProfileDocument document = ProfileDocument::Parse("; written by hand\r\n"
                                                            "[ general ]\r\n"
                                                            "  COUNT = 3  \r\n"
                                                            "count=9\r\n"
                                                            "a line without equals\r\n"
                                                            "\r\n"
                                                            "[General]\r\n"
                                                            "TopPos=7\r\n"
                                                            "[Item0]\r\n"
                                                            "Name=\"  Ann  \"\r\n"
                                                            "Work='O''Neil'\r\n"
                                                            "Fax=\"mismatched'\r\n"
                                                            "Empty=\r\n"
                                                            ";Beeper=123\r\n"
                                                            "Home=555 1234");

    EXPECT_EQ(document.ReadInt("General", "Count", 0), 3) << "case-insensitive, first key wins";
    EXPECT_EQ(document.ReadInt("GENERAL", "TopPos", -1), -1) << "the first of two sections wins";
    EXPECT_EQ(document.ReadString("item0", "name", ""), "  Ann  ");
    EXPECT_EQ(document.ReadString("Item0", "Work", ""), "O''Neil");
    EXPECT_EQ(document.ReadString("Item0", "Fax", ""), "\"mismatched'");
    EXPECT_EQ(document.ReadString("Item0", "Empty", "default"), "");
    EXPECT_EQ(document.ReadString("Item0", "Beeper", "none"), "none") << "comments are not keys";
    EXPECT_EQ(document.ReadString("Item0", "Home", ""), "555 1234") << "last line without break";
    EXPECT_EQ(document.ReadString("Item9", "Name", "absent"), "absent");
}

TEST(ProfileDocumentTest, IntegersReadLikeTheCLibrary)
{
    const ProfileDocument document = ProfileDocument::Parse("[S]\n"
                                                            "a=  -42xyz\n"
                                                            "b=+7\n"
                                                            "c=abc\n"
                                                            "d=99999999999999999999\n"
                                                            "e=-99999999999999999999\n");
    EXPECT_EQ(document.ReadInt("S", "a", 5), -42);
    EXPECT_EQ(document.ReadInt("S", "b", 5), 7);
    EXPECT_EQ(document.ReadInt("S", "c", 5), 0);
    EXPECT_EQ(document.ReadInt("S", "d", 5), INT_MAX);
    EXPECT_EQ(document.ReadInt("S", "e", 5), INT_MIN);
    EXPECT_EQ(document.ReadInt("S", "missing", 5), 5);
}

TEST(ProfileDocumentTest, WritesKeepEveryUntouchedLineAndItsLineBreak)
{
    const std::string original = "; comment\r\n"
                                 "[General]\r\n"
                                 "COUNT=1\r\n"
                                 "\r\n"
                                 "; trailing comment\r\n"
                                 "[Item0]\r\n"
                                 "Name=Ann";
    ProfileDocument document = ProfileDocument::Parse(original);
    document.WriteInt("general", "count", 2);
    document.WriteInt("General", "TopPos", 1);
    document.WriteString("Modem", "Name", "ACME");

    EXPECT_EQ(document.Serialize(), "; comment\r\n"
                                    "[General]\r\n"
                                    "COUNT=2\r\n"
                                    "TopPos=1\r\n"
                                    "\r\n"
                                    "; trailing comment\r\n"
                                    "[Item0]\r\n"
                                    "Name=Ann\r\n"
                                    "[Modem]\r\n"
                                    "Name=ACME\r\n");
    EXPECT_EQ(ProfileDocument::Parse(original).Serialize(), original);
}

TEST(ProfileDocumentTest, EveryValueReadsBackExactlyAsWritten)
{
    const std::string values[] = {"",          " leading", "trailing\t", "\"quoted\"",
                                  "'single'",  "\"",       "'a\"",       "a=b;c",
                                  "[Section]", "\" \"",    "x\"  y\"",   std::string(100000, 'n')};
    ProfileDocument document = ProfileDocument::Parse("");
    for (std::size_t i = 0; i < std::size(values); ++i)
        document.WriteString("S", "k" + std::to_string(i), values[i]);

    const ProfileDocument reread = ProfileDocument::Parse(document.Serialize());
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(reread.ReadString("S", "k" + std::to_string(i), "?"), values[i]) << i;
}

TEST(ProfileDocumentTest, LineBreaksInAValueCannotCreateKeysOrSections)
{
    ProfileDocument document = ProfileDocument::Parse("[Item0]\nPos=0\n");
    document.WriteString("Item0", "Name", "Eve\r\n[General]\nCount=99\rPos=4");

    const ProfileDocument reread = ProfileDocument::Parse(document.Serialize());
    EXPECT_EQ(reread.ReadString("Item0", "Name", ""), "Eve  [General] Count=99 Pos=4");
    EXPECT_EQ(reread.ReadInt("General", "Count", -1), -1);
    EXPECT_EQ(reread.ReadInt("Item0", "Pos", -1), 0);
}

TEST(ProfileDocumentTest, ANewKeyGoesAfterTheLastKeyOfTheFirstMatchingSection)
{
    ProfileDocument document = ProfileDocument::Parse("[A]\n"
                                                      "x=1\n"
                                                      "; note\n"
                                                      "[B]\n"
                                                      "[a]\n"
                                                      "x=2\n");
    document.WriteString("A", "y", "new");
    document.WriteString("B", "z", "first");
    EXPECT_EQ(document.Serialize(), "[A]\n"
                                    "x=1\n"
                                    "y=new\n"
                                    "; note\n"
                                    "[B]\n"
                                    "z=first\n"
                                    "[a]\n"
                                    "x=2\n");
}

TEST(ProfileDocumentTest, ArbitraryBytesNeverBreakParsingOrWriting)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    const char tail[] = "\n[\n]\n=\n[]\n[x\n==\n\0\0=\0\n";
    junk.append(tail, sizeof tail - 1);
    ProfileDocument document = ProfileDocument::Parse(junk);
    document.WriteString("General", "Count", "1");
    EXPECT_EQ(ProfileDocument::Parse(document.Serialize()).ReadInt("General", "Count", 0), 1);
}

// Files as other editors and the original platform leave them: a byte-order mark, a last line
// ending in a lone CR. Each reads its keys, keeps its bytes, and a write elsewhere changes what no
// other key reads.
TEST(ProfileDocumentTest, AWriteNeverChangesWhatAnotherKeyReads)
{
    const struct
    {
        const char* file;
        const char* value; // what [A] k reads
    } rows[] = {
        {"\xEF\xBB\xBF[A]\r\nk=v\r\n", "v"},
        {"\xEF\xBB\xBF[A]\nk=v", "v"},
        {"[A]\nk=v\r", "v"},
        {"[A]\r\nk=v\r", "v"},
        {"[A]\nk=v\r\r", "v\r"},
        {"[A]\nk=\"v\r\"", "v\r"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(row.file)));
        ProfileDocument document = ProfileDocument::Parse(row.file);
        EXPECT_EQ(document.Serialize(), row.file);
        EXPECT_EQ(document.ReadString("A", "k", "?"), row.value);
        document.WriteString("A", "other", "1");
        document.WriteString("B", "other", "2");
        const std::string written = document.Serialize();
        const ProfileDocument reread = ProfileDocument::Parse(written);
        EXPECT_EQ(reread.ReadString("A", "k", "?"), row.value);
        EXPECT_EQ(reread.ReadString("A", "other", "?"), "1");
        EXPECT_EQ(reread.ReadString("B", "other", "?"), "2");
        EXPECT_EQ(written.starts_with("\xEF\xBB\xBF"), std::string(row.file).starts_with("\xEF"))
            << "the byte-order mark stays as it was";
    }
}

TEST(ProfileDocumentTest, NamesThatWouldMakeAnotherLineAreRefused)
{
    const struct
    {
        const char* section;
        const char* key;
        bool writable;
    } rows[] = {
        {"A]", "k", false},   {"A\n[B", "k", false}, {"A\r", "k", false},  {"A", "k=x", false},
        {"A", "k\nx", false}, {"A", " ;k", false},   {"A", "[k", false},   {"[A", "k", true},
        {"A", "k;[]", true},  {"", "", true},        {" A ", " k ", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << '[' << row.section << "] " << row.key);
        ProfileDocument document = ProfileDocument::Parse("[A]\nk=old\n");
        EXPECT_EQ(document.WriteString(row.section, row.key, "]\n[new]"), row.writable);
        if (!row.writable) {
            EXPECT_EQ(document.Serialize(), "[A]\nk=old\n");
        }
        const ProfileDocument reread = ProfileDocument::Parse(document.Serialize());
        EXPECT_EQ(reread.ReadString(row.section, row.key, "?"), row.writable ? "] [new]" : "?");
        EXPECT_EQ(reread.SectionNames().size(), document.SectionNames().size());
    }
}
