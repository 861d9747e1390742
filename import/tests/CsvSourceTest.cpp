#include "CsvSource.h"

#include "CsvFields.h"
#include "TestFiles.h"
#include "TextEncoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

struct Reading
{
    bool opened = false;
    std::string header;
    std::vector<std::string> records;
};

Reading ReadAll(const std::filesystem::path& file)
{
    Reading reading;
    CsvSource source;
    reading.opened = source.Open(file.string());
    if (!reading.opened)
        return reading;
    reading.header = source.Header();
    std::string record;
    while (source.ReadLine(record))
        reading.records.push_back(record);
    return reading;
}

std::vector<std::string> Fields(std::string_view record)
{
    std::vector<std::string> fields;
    SplitFields(record, fields);
    return fields;
}

// UTF-16 bytes of ASCII text with a byte-order mark.
std::string Utf16(std::string_view ascii, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

class CsvSourceTest : public testing::Test
{
protected:
    testsupport::TempFolder m_folder;
};

TEST_F(CsvSourceTest, OpenFailsForEverythingThatIsNoReadableFileWithALine)
{
    CsvSource source;
    EXPECT_FALSE(source.Open(""));
    EXPECT_FALSE(source.Open((m_folder.path() / "missing.csv").string()));
    EXPECT_FALSE(source.Open(WriteIn(m_folder, "empty.csv", "").string()));
    EXPECT_FALSE(source.Open(m_folder.path().string()));
    EXPECT_FALSE(source.Open(WriteIn(m_folder, "mark.csv", "\xEF\xBB\xBF").string()));
    const std::filesystem::path fifo = m_folder.path() / "pipe.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(source.Open(fifo.string())) << "a named pipe must neither hang nor be read";
    const std::filesystem::path dangling = m_folder.path() / "link.csv";
    std::filesystem::create_symlink(m_folder.path() / "gone.csv", dangling);
    EXPECT_FALSE(source.Open(dangling.string()));
}

TEST_F(CsvSourceTest, OpenFailsForAFileWithoutReadPermission)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const auto file = WriteIn(m_folder, "locked.csv", "Name,Phone\n");
    std::filesystem::permissions(file, std::filesystem::perms::none);
    CsvSource source;
    EXPECT_FALSE(source.Open(file.string()));
}

TEST_F(CsvSourceTest, ALoneLineBreakIsAnEmptyHeaderWithoutRows)
{
    const Reading reading = ReadAll(WriteIn(m_folder, "break.csv", "\n"));
    ASSERT_TRUE(reading.opened);
    EXPECT_EQ(reading.header, "");
    EXPECT_THAT(SplitHeader(reading.header), IsEmpty());
    EXPECT_THAT(reading.records, IsEmpty());
}

TEST_F(CsvSourceTest, LineEndsWithAndWithoutCarriageReturnReadAlike)
{
    const Reading lf = ReadAll(WriteIn(m_folder, "lf.csv", "Name,Phone\nAnn,555\n\nBob,666"));
    const Reading crlf =
        ReadAll(WriteIn(m_folder, "crlf.csv", "Name,Phone\r\nAnn,555\r\n\r\nBob,666"));
    ASSERT_TRUE(lf.opened);
    EXPECT_EQ(lf.header, "Name,Phone");
    EXPECT_THAT(lf.records, ElementsAre("Ann,555", "", "Bob,666"));
    EXPECT_EQ(crlf.header, lf.header);
    EXPECT_EQ(crlf.records, lf.records);
}

TEST_F(CsvSourceTest, ALoneCarriageReturnEndsNoLine)
{
    const Reading reading = ReadAll(WriteIn(m_folder, "cr.csv", "Name,Phone\rAnn,555\rBob,666\r"));
    ASSERT_TRUE(reading.opened);
    EXPECT_THAT(SplitHeader(reading.header),
                ElementsAre("Name", "Phone\rAnn", "555\rBob", "666\r"));
    EXPECT_THAT(reading.records, IsEmpty());
}

TEST_F(CsvSourceTest, QuotedFieldsHoldCommasQuotesAndLineBreaksAsTheyStand)
{
    const Reading reading = ReadAll(WriteIn(m_folder, "quoted.csv",
                                            "Name,Phone,Note\r\n"
                                            "\"Smith, John\",555,\"He said \"\"call me\"\"\"\r\n"
                                            "\"Ann\",\"666\",\"first\r\nsecond\nthird\"\r\n"
                                            "Bob,777,plain\r\n"));
    ASSERT_TRUE(reading.opened);
    ASSERT_EQ(reading.records.size(), 3u);
    EXPECT_THAT(Fields(reading.records[0]),
                ElementsAre("Smith, John", "555", "He said \"call me\""));
    EXPECT_THAT(Fields(reading.records[1]), ElementsAre("Ann", "666", "first\r\nsecond\nthird"));
    EXPECT_THAT(Fields(reading.records[2]), ElementsAre("Bob", "777", "plain"));
}

TEST_F(CsvSourceTest, AQuoteOpenAtTheEndOfTheFileEndsQuotingFromItsRecordOn)
{
    struct Case
    {
        const char* text;
        std::vector<std::string> header;
        std::vector<std::vector<std::string>> rows;
    };
    const Case cases[] = {
        {"A,B\n\"x,1\ny,2\nz,3\n", {"A", "B"}, {{"x", "1"}, {"y", "2"}, {"z", "3"}}},
        {"A,B\n\"x,1\ny\"\"z,2\n", {"A", "B"}, {{"x", "1"}, {"yz", "2"}}},
        {"A,B\n\"p\r\nq\",0\n\"x,1\ny,2\n", {"A", "B"}, {{"p\r\nq", "0"}, {"x", "1"}, {"y", "2"}}},
        {"\"A,B\nx,1", {"A", "B"}, {{"x", "1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Reading reading = ReadAll(WriteIn(m_folder, "open.csv", c.text));
        ASSERT_TRUE(reading.opened);
        EXPECT_EQ(SplitHeader(reading.header), c.header);
        std::vector<std::vector<std::string>> rows;
        for (const std::string& record : reading.records)
            rows.push_back(Fields(record));
        EXPECT_EQ(rows, c.rows);
    }

    // Far beyond the reading buffer, whether the quote closes or not.
    std::string lines;
    for (int i = 0; i < 40000; ++i)
        lines += "r" + std::to_string(i) + "," + std::to_string(i) + "\n";
    const Reading open = ReadAll(WriteIn(m_folder, "long.csv", "A,B\n\"x,1\n" + lines));
    ASSERT_EQ(open.records.size(), 40001u);
    EXPECT_EQ(open.records[0], "x,1");
    EXPECT_EQ(open.records[40000], "r39999,39999");
    const Reading closed =
        ReadAll(WriteIn(m_folder, "long.csv", "A,B\n\"x\n" + lines + "\",1\nz,2\n"));
    EXPECT_THAT(closed.records, ElementsAre("\"x\n" + lines + "\",1", "z,2"));
}

TEST_F(CsvSourceTest, AByteOrderMarkIsNotPartOfTheFirstName)
{
    const Reading reading =
        ReadAll(WriteIn(m_folder, "bom.csv", "\xEF\xBB\xBF\"First Name\",Phone\nAnn,555\n"));
    ASSERT_TRUE(reading.opened);
    EXPECT_THAT(SplitHeader(reading.header), ElementsAre("First Name", "Phone"));
    EXPECT_THAT(reading.records, ElementsAre("Ann,555"));
}

TEST_F(CsvSourceTest, Utf16InEitherByteOrderArrivesAsUtf8)
{
    for (const bool bigEndian : {false, true}) {
        // "Zoë" and a character outside the basic plane, written as a surrogate pair.
        std::string bytes = Utf16("Name,Phone\r\nZo", bigEndian);
        bytes += bigEndian ? std::string("\x00\xEB", 2) : std::string("\xEB\x00", 2);
        bytes +=
            bigEndian ? std::string("\xD8\x3D\xDE\x00", 4) : std::string("\x3D\xD8\x00\xDE", 4);
        bytes += Utf16(",555\r\n", bigEndian).substr(2);
        const Reading reading = ReadAll(WriteIn(m_folder, "wide.csv", bytes));
        ASSERT_TRUE(reading.opened) << bigEndian;
        EXPECT_EQ(reading.header, "Name,Phone");
        EXPECT_THAT(reading.records, ElementsAre("Zo\xC3\xAB\xF0\x9F\x98\x80,555")) << bigEndian;
    }
}

TEST_F(CsvSourceTest, Utf16OddBytesAndBrokenSurrogatesBecomeReplacementCharacters)
{
    std::string bytes = Utf16("A\n", false);
    bytes += std::string("\x00\xD8", 2); // a high surrogate with no low one after it
    bytes += Utf16("B\n", false).substr(2);
    bytes += 'C'; // half a unit at the end of the file
    const Reading reading = ReadAll(WriteIn(m_folder, "broken.csv", bytes));
    ASSERT_TRUE(reading.opened);
    EXPECT_THAT(reading.records, ElementsAre("\xEF\xBF\xBD"
                                             "B",
                                             "\xEF\xBF\xBD"));
}

TEST_F(CsvSourceTest, TextThatIsNotUtf8IsReadAsWindows1252)
{
    const Reading reading = ReadAll(WriteIn(
        m_folder, "legacy.csv", "Name,Phone\n\x93Jos\xE9\x94 M\xFCller,\x80 5\nZo\xC3\xAB,555\n"));
    ASSERT_TRUE(reading.opened);
    EXPECT_THAT(reading.records,
                ElementsAre("\xE2\x80\x9CJos\xC3\xA9\xE2\x80\x9D M\xC3\xBCller,\xE2\x82\xAC 5",
                            "Zo\xC3\xAB,555"))
        << "each line is judged on its own";
}

TEST_F(CsvSourceTest, PositionCountsBytesUpToTheLastRecordRead)
{
    const std::string text = "\xEF\xBB\xBFName\r\nAnn,555\r\n\"x\ny\"\r\nlast";
    CsvSource source;
    ASSERT_TRUE(source.Open(WriteIn(m_folder, "pos.csv", text).string()));
    EXPECT_EQ(source.Length(), text.size());
    EXPECT_EQ(source.Position(), 9u);
    std::string record;
    ASSERT_TRUE(source.ReadLine(record));
    EXPECT_EQ(source.Position(), 18u);
    ASSERT_TRUE(source.ReadLine(record));
    EXPECT_EQ(source.Position(), 25u);
    ASSERT_TRUE(source.ReadLine(record));
    EXPECT_EQ(source.Position(), text.size());
    EXPECT_FALSE(source.ReadLine(record));
}

TEST_F(CsvSourceTest, LinesLongerThanTheBufferAndManyLinesAcrossItsEndsReadWhole)
{
    const std::string longName(700 * 1024, 'n');
    std::string text = "Name,Phone\n" + longName + ",1\n";
    std::string wide = Utf16("Name\n", false);
    for (int i = 0; i < 60000; ++i) {
        text += "Row" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
        wide += Utf16("R" + std::to_string(i) + "\n", false).substr(2);
    }
    const Reading narrow = ReadAll(WriteIn(m_folder, "long.csv", text));
    ASSERT_EQ(narrow.records.size(), 60001u);
    EXPECT_EQ(narrow.records[0], longName + ",1");
    EXPECT_EQ(narrow.records[1], "Row0,0");
    EXPECT_EQ(narrow.records[60000], "Row59999,59999");

    const Reading utf16 = ReadAll(WriteIn(m_folder, "long16.csv", wide));
    ASSERT_EQ(utf16.records.size(), 60000u);
    for (int i = 0; i < 60000; i += 997)
        EXPECT_EQ(utf16.records[i], "R" + std::to_string(i));
}

TEST_F(CsvSourceTest, AnyBytesAtAllArriveAsValidUtf8)
{
    std::mt19937 random(6);
    const std::string marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    for (int file = 0; file < 40; ++file) {
        std::string bytes = marks[file % 4];
        const int size = 1 + static_cast<int>(random() % 5000);
        for (int i = 0; i < size; ++i) {
            // Mostly the bytes that matter to the reader, and any byte at all.
            const char special[] = {'"', ',', '\n', '\r', '\0', '\xC3', '\xD8', '\xDC'};
            bytes += random() % 2 ? special[random() % sizeof special]
                                  : static_cast<char>(random() % 256);
        }
        const Reading reading = ReadAll(WriteIn(m_folder, "noise.csv", bytes));
        EXPECT_TRUE(platform::IsValidUtf8(reading.header)) << file;
        for (const std::string& record : reading.records) {
            EXPECT_TRUE(platform::IsValidUtf8(record)) << file;
            for (const std::string& field : Fields(record))
                EXPECT_TRUE(platform::IsValidUtf8(field)) << file;
        }
    }
}

TEST(CsvFieldsTest, UnquotedFieldsSplitAtEveryCommaAndKeepTheirBlanks)
{
    EXPECT_THAT(Fields("Smith,555-123,,"), ElementsAre("Smith", "555-123", "", ""));
    EXPECT_THAT(Fields(" Ann , 555 "), ElementsAre(" Ann ", " 555 "));
    EXPECT_THAT(Fields(""), ElementsAre(""));
    EXPECT_THAT(Fields("a\"b\"c,5\"5\"5"), ElementsAre("abc", "555"))
        << "quotes inside an unquoted field are dropped";
    EXPECT_THAT(Fields("\"ab\"cd\"e,\"\""), ElementsAre("abcde", ""));
}

TEST(CsvFieldsTest, GetFieldCountsFromOneAndIsEmptyOutsideTheRecord)
{
    EXPECT_EQ(GetField("Smith,555-123,,", 1), "Smith");
    EXPECT_EQ(GetField("Smith,555-123,,", 2), "555-123");
    EXPECT_EQ(GetField("Smith,555-123,,", 4), "");
    EXPECT_EQ(GetField("Smith,555-123,,", 5), "");
    EXPECT_EQ(GetField("Ann,555", 2), "555");
    EXPECT_EQ(GetField("Ann,555", 0), "");
    EXPECT_EQ(GetField("Ann,555", -1), "");
    EXPECT_EQ(GetField("", 1), "");
    EXPECT_EQ(GetField("\"Smith, John\",555", 2), "555");
    EXPECT_EQ(GetField("\"555\"", 1), "555");
}

TEST(CsvFieldsTest, HeaderNamesFollowTheFieldRulesWithoutATrailingEmptyName)
{
    EXPECT_THAT(SplitHeader("First,Last,Phone"), ElementsAre("First", "Last", "Phone"));
    EXPECT_THAT(SplitHeader("A,,C"), ElementsAre("A", "", "C"));
    EXPECT_THAT(SplitHeader("A,B,"), ElementsAre("A", "B"));
    EXPECT_THAT(SplitHeader("A,B,,"), ElementsAre("A", "B", ""));
    EXPECT_THAT(SplitHeader(","), ElementsAre(""));
    EXPECT_THAT(SplitHeader("A,\"\""), ElementsAre("A", ""));
    EXPECT_THAT(SplitHeader("\"Name, full\",\"Phone\","), ElementsAre("Name, full", "Phone"));
    EXPECT_THAT(SplitHeader(""), IsEmpty());
}

TEST(TextEncodingTest, OnlyWellFormedUtf8IsKeptAsItIs)
{
    EXPECT_TRUE(platform::IsValidUtf8("plain ASCII text, long enough for the fast path"));
    EXPECT_TRUE(platform::IsValidUtf8("\xE2\x82\xAC \xF0\x9F\x98\x80 \xC3\xA9"));
    EXPECT_FALSE(platform::IsValidUtf8("\xC0\xAF"));         // overlong slash
    EXPECT_FALSE(platform::IsValidUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(platform::IsValidUtf8("\xF4\x90\x80\x80")); // beyond U+10FFFF
    EXPECT_FALSE(platform::IsValidUtf8("abcdefgh\xE2\x82")); // cut short
    std::string overlong = "\xC0\xAF";
    platform::MakeUtf8(overlong);
    EXPECT_EQ(overlong, "\xC3\x80\xC2\xAF");
}

} // namespace
