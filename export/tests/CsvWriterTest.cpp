#include "CsvWriter.h"

#include "EntryBuilder.h"
#include "PhoneBookCsv.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>

namespace {

std::string Record(const std::vector<std::string>& fields)
{
    std::string csv;
    AppendCsvRecord(csv, fields);
    return csv;
}

} // namespace

TEST(CsvWriterTest, PlainFieldsAreWrittenAsTheyAreWithCrLfAfterEachRecord)
{
    std::string csv;
    AppendCsvRecord(csv, {"Ann", " 555 123 ", ""});
    AppendCsvRecord(csv, {"", "", "x"});
    EXPECT_EQ(csv, "Ann, 555 123 ,\r\n,,x\r\n") << "blanks are part of a field; empty fields stay";
}

TEST(CsvWriterTest, FieldsWithSeparatorsQuotesOrLineBreaksAreQuoted)
{
    EXPECT_EQ(Record({"Smith, John", "1"}), "\"Smith, John\",1\r\n");
    EXPECT_EQ(Record({"Say \"hi\"", "\""}), "\"Say \"\"hi\"\"\",\"\"\"\"\r\n");
    EXPECT_EQ(Record({"a\nb", "c\rd", "e\r\nf"}), "\"a\nb\",\"c\rd\",\"e\r\nf\"\r\n");
    EXPECT_EQ(Record({"'single'", "semi;colon"}), "'single',semi;colon\r\n")
        << "only comma, double quote, CR and LF need quotes";
}

TEST(CsvWriterTest, ARecordOfOneEmptyFieldIsNotABlankLine)
{
    EXPECT_EQ(Record({""}), "\"\"\r\n");
    EXPECT_EQ(Record({"", ""}), ",\r\n");
}

TEST(CsvWriterTest, Utf8AndOtherBytesPassUnchanged)
{
    const std::string name = "Zo\xC3\xAB \xE2\x98\x8E \xF0\x9F\x93\x9E";
    EXPECT_EQ(Record({name, std::string("\0\x7F\xFF", 3)}),
              name + "," + std::string("\0\x7F\xFF", 3) + "\r\n");
}

TEST(PhoneBookCsvTest, HeaderThenOneRecordPerEntryWithTheNumbersInKindOrder)
{
    EXPECT_EQ(PhoneBookCsv(
                  {Entry("Ann", {"1", "2", "3", "4", "5"}), Entry("Bob, Jr.", {"", "", "", "9"})}),
              "Name,Home Phone,Work Phone,Cellphone,Fax,Beeper\r\n"
              "Ann,1,2,3,4,5\r\n"
              "\"Bob, Jr.\",,,,9,\r\n");
    EXPECT_EQ(PhoneBookCsv({}), "Name,Home Phone,Work Phone,Cellphone,Fax,Beeper\r\n");
}

// The import wizard proposes, for each field, the first column whose lower-cased name holds one
// of the field's two keywords. Each exported column must be the one proposed for its own field.
TEST(PhoneBookCsvTest, EveryColumnIsTheWizardsProposalForItsField)
{
    struct Field
    {
        const char* keywords[2];
        int column;
    };
    const Field fields[] = {{{"name", "first name"}, 0},  {{"home", "private"}, 1},
                            {{"work", "office"}, 2},      {{"cell", "mobile"}, 3},
                            {{"fax", "fax"}, 4},          {{"beeper", "pager"}, 5},
                            {{"last name", "family"}, -1}};
    for (const Field& field : fields) {
        int proposed = -1;
        for (int column = 0; column < static_cast<int>(kExportColumns.size()) && proposed < 0;
             ++column) {
            std::string name = kExportColumns[column];
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            for (const char* keyword : field.keywords)
                if (name.find(keyword) != std::string::npos)
                    proposed = column;
        }
        EXPECT_EQ(proposed, field.column) << field.keywords[0];
    }
}
