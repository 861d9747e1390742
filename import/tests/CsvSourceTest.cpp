#include "CsvSource.h"

#include "ColumnMatching.h"
#include "CsvFields.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/Utf16Text.h"
#include "text/TextEncoding.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::Utf16;

namespace {

std::string Joined(const std::vector<std::string>& fields)
{
    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i)
        joined += (i > 0 ? "|" : "") + fields[i];
    return joined;
}

class CsvSourceTest : public testing::Test
{
protected:
    // The header's names, then each record's fields, the fields joined by "|".
    std::vector<std::string> Read(const std::string& bytes)
    {
        testsupport::WriteFile(m_folder / "source.csv", bytes);
        CsvSource source;
        EXPECT_TRUE(source.Open((m_folder / "source.csv").string()));
        std::vector<std::string> lines{Joined(SplitHeader(source.Header()))};
        std::vector<std::string> fields;
        for (std::string record; source.ReadLine(record);) {
            SplitFields(record, fields);
            lines.push_back(Joined(fields));
        }
        return lines;
    }

    testsupport::TempFolder m_folder;
};

TEST_F(CsvSourceTest, BytesInFieldsOut)
{
    const std::string zoe = "Zo\u00eb\U0001F600|555";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"Name,Phone\nAnn,555\n\nBob,666", {"Name|Phone", "Ann|555", "", "Bob|666"}},
        {"Name,Phone\r\nAnn,555\r\n\r\nBob,666", {"Name|Phone", "Ann|555", "", "Bob|666"}},
        {"Name,Phone\rAnn,555\r", {"Name|Phone\rAnn|555\r"}}, // a lone CR ends no line
        {"\n", {""}},
        {"A,,C,\"\",\n", {"A||C|"}}, // a comma at the end of the header names nothing
        {"A,B,,\n,", {"A|B|", "|"}},
        {"A\n Ann , 555 ,,\n", {"A", " Ann | 555 ||"}},
        {"A\na\"b\"c,5\"5\"5,\"ab\"cd\"e,\"\"\n", {"A", "abc|555|abcde|"}},
        {"N\r\n\"Smith, John\",\"He said \"\"hi\"\"\"\r\n\"Ann\",\"one\r\ntwo\nthree\"\r\n",
         {"N", "Smith, John|He said \"hi\"", "Ann|one\r\ntwo\nthree"}},
        // A quote still open at the end of the file quotes nothing from its record on.
        {"A,B\n\"x,1\ny,2\n", {"A|B", "x|1", "y|2"}},
        {"A,B\n\"x,1\ny\"\"z,2\n", {"A|B", "x|1", "yz|2"}},
        {"A,B\n\"p\r\nq\",0\n\"x,1\ny,2\n", {"A|B", "p\r\nq|0", "x|1", "y|2"}},
        {"\"A,B\nx,1", {"A|B", "x|1"}},
        {"\xEF\xBB\xBF\"First Name\",Phone\nAnn,555\n", {"First Name|Phone", "Ann|555"}},
        {Utf16(u"Name,Phone\r\nZo\u00eb\U0001F600,555\r\n", false), {"Name|Phone", zoe}},
        {Utf16(u"Name,Phone\r\nZo\u00eb\U0001F600,555\r\n", true), {"Name|Phone", zoe}},
        {Utf16(u"A\n\xD800"
               u"B\n",
               false) +
             "C",
         {"A", "\uFFFDB", "\uFFFD"}},                         // a lone surrogate, an odd last byte
        {"N\n\x93Jos\xE9\x94 M\xFCller,\x80 5\nZo\xC3\xAB\n", // Windows-1252 line by line
         {"N", "\xE2\x80\x9CJos\xC3\xA9\xE2\x80\x9D M\xC3\xBCller|\xE2\x82\xAC 5", "Zo\xC3\xAB"}},
    };
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(Read(bytes), lines) << bytes;
}

TEST_F(CsvSourceTest, LinesAndQuotesReachingFarBeyondTheBufferReadWhole)
{
    const std::string longName(700 * 1024, 'n');
    std::string lines;
    std::u16string wide = u"N\n";
    for (int i = 0; i < 60000; ++i) {
        lines += "r" + std::to_string(i) + ",1\r\n";
        for (const char c : "R" + std::to_string(i) + "\n")
            wide += static_cast<char16_t>(c);
    }
    // The bytes, how many lines they make, the first record and the last.
    const std::tuple<std::string, std::size_t, std::string, std::string> cases[] = {
        {"A\n" + longName + ",1\n" + lines, 60002, longName + "|1", "r59999|1"},
        {"A\n\"x,1\n" + lines, 60002, "x|1", "r59999|1"},
        {"A\n\"x\n" + lines + "\",1\nz,2\n", 3, "x\n" + lines + "|1", "z|2"},
        {Utf16(wide, false), 60001, "R0", "R59999"},
    };
    for (const auto& [bytes, count, first, last] : cases) {
        const std::vector<std::string> read = Read(bytes);
        ASSERT_EQ(read.size(), count);
        EXPECT_EQ(read[1], first);
        EXPECT_EQ(read.back(), last);
    }
}

TEST_F(CsvSourceTest, OpenFailsForEverythingThatIsNoReadableFileWithALine)
{
    testsupport::WriteFile(m_folder / "empty.csv", "");
    testsupport::WriteFile(m_folder / "mark.csv", "\xEF\xBB\xBF");
    ASSERT_EQ(mkfifo((m_folder / "pipe.csv").c_str(), 0600), 0); // must not hang
    std::filesystem::create_symlink(m_folder / "gone.csv", m_folder / "link.csv");
    CsvSource source;
    EXPECT_FALSE(source.Open(""));
    for (const char* name : {"missing.csv", "empty.csv", "mark.csv", "pipe.csv", "link.csv", ""})
        EXPECT_FALSE(source.Open((m_folder / name).string())) << name;

    // Permissions bind nobody even where the tests run as the superuser.
    const std::string open = (m_folder / "open.csv").string();
    const std::string locked = (m_folder / "locked.csv").string();
    testsupport::WriteFile(open, "Name,Phone\n");
    testsupport::WriteFile(locked, "Name,Phone\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    testsupport::ChildProcess child = testsupport::ChildProcess::Fork([&] {
        if (geteuid() == 0 && setuid(65534) != 0)
            return 2;
        return source.Open(open) && !source.Open(locked) ? 0 : 1;
    });
    EXPECT_EQ(testsupport::ExitCode(child.WaitForExit()), 0);
}

TEST(TextEncodingTest, OnlyWellFormedUtf8IsValid)
{
    EXPECT_TRUE(platform::IsValidUtf8("ASCII, 8 at a time \u00e9\u20ac\U0001F600"));
    for (const char* broken : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "abcdefgh\xE2\x82"})
        EXPECT_FALSE(platform::IsValidUtf8(broken)) << broken;
}

// Header lines as mail and contact programs export them; each field (name, last name, home,
// work, cell, fax, beeper) takes the first column that holds one of its keywords.
TEST(ColumnMatchingTest, ProposalsForRealExportHeaders)
{
    const std::pair<const char*, ColumnChoice> cases[] = {
        {"\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Suffix\",\"Company\","
         "\"Department\",\"Job Title\",\"Business Street\",\"Business City\",\"Home Street\","
         "\"Home City\",\"Business Fax\",\"Business Phone\",\"Business Phone 2\",\"Car Phone\","
         "\"Home Fax\",\"Home Phone\",\"Home Phone 2\",\"Mobile Phone\",\"Other Phone\","
         "\"Pager\",\"E-mail Address\",\"Notes\"",
         {1, 3, 10, -1, 19, 12, 21}},
        {"First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Screen Name,"
         "Work Phone,Home Phone,Fax Number,Pager Number,Mobile Number,Home Address,Home City,"
         "Work Address,Work City,Organization,Notes,",
         {0, 1, 8, 7, 11, 9, 10}},
        {"Name,Given Name,Additional Name,Family Name,Nickname,Birthday,Notes,Group Membership,"
         "E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value",
         {0, 3, -1, -1, -1, -1, -1}},
        {"First,Middle,Last,Nickname,Email,Category,Distribution Lists,Messenger ID,Home,Work,"
         "Pager,Fax,Mobile,Other,Yahoo Phone,Primary",
         {3, -1, 8, 9, 12, 11, 10}},
        {"Vorname,Nachname,Telefon privat,Telefon gesch\u00e4ftlich,Mobiltelefon,Fax privat,Pager",
         {0, -1, -1, -1, -1, 5, 6}},
        {"Last Name,First Name,Home Phone,Office,Mobile,Home Fax,Pager", {0, 0, 2, 3, 4, 5, 6}},
        {"NAME,MOBILE PHONE,family,wOrK,Private Line,Home Phone,Cellular", {0, 2, 4, 3, 1, -1, -1}},
        {"T\xC3\xA9l\xC3\xA9phone,Fa x,F,ax,Pr\xC3\xA9nom Name", {4, -1, -1, -1, -1, -1, -1}},
        {"Given,Called,Tel,E-mail,Street", {}},
        {"", {}},
    };
    for (const auto& [header, proposal] : cases)
        EXPECT_EQ(AutoMatchColumns(SplitHeader(header)), proposal) << header;
}

} // namespace
