#include "CsvWriter.h"

#include <gtest/gtest.h>

namespace {

TEST(CsvWriterTest, FieldsInRecordBytesOut)
{
    const std::string bytes("\0\x7F\xFF", 3);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"Ann", " 555 123 ", ""}, "Ann, 555 123 ,\r\n"},
        {{"", "", "x"}, ",,x\r\n"},
        {{"Smith, John", "1"}, "\"Smith, John\",1\r\n"},
        {{"Say \"hi\"", "\""}, "\"Say \"\"hi\"\"\",\"\"\"\"\r\n"},
        {{"a\nb", "c\rd", "e\r\nf"}, "\"a\nb\",\"c\rd\",\"e\r\nf\"\r\n"},
        {{"'single'", "semi;colon"}, "'single',semi;colon\r\n"},
        {{""}, "\"\"\r\n"}, // not a blank line, which a reader would skip
        {{"", ""}, ",\r\n"},
        {{"Zo\xC3\xAB \xF0\x9F\x93\x9E", bytes}, "Zo\xC3\xAB \xF0\x9F\x93\x9E," + bytes + "\r\n"},
    };
    for (const auto& [fields, expected] : cases) {
        std::string csv;
        AppendCsvRecord(csv, fields);
        EXPECT_EQ(csv, expected) << fields.front();
    }
}

} // namespace
