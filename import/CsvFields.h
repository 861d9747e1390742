#pragma once

#include <string>
#include <string_view>
#include <vector>

// Fields of a CSV record as RFC 4180 reads them: a field that begins with a double quote runs
// to its closing quote and may hold commas, line breaks and "" for one quote; the quotes are
// not part of the value. Unquoted fields keep their blanks; a quote inside an unquoted field
// is dropped.

// Follows the quoting of a record as its lines arrive, to tell whether a line break ends the
// record or belongs to a quoted field.
class CsvQuoteTracker
{
public:
    void Feed(std::string_view text);
    bool InsideQuotes() const { return m_insideQuotes; }

private:
    bool m_insideQuotes = false;
    bool m_atFieldStart = true;
};

// Every field of a record, in order; an empty record has one empty field. The vector is
// reused so that reading many rows does not allocate for each.
void SplitFields(std::string_view record, std::vector<std::string>& fields);

// The column names of a header line: split as a record, except that an empty line has no
// names and a comma at the end of the line adds no empty last name.
std::vector<std::string> SplitHeader(std::string_view header);
