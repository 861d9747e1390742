#include "ColumnMatching.h"

#include <algorithm>

namespace {

// The keywords are ASCII, and a non-ASCII letter never lower-cases to an ASCII one that could
// complete a match, so ASCII lower-casing compares exactly.
std::string LowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

} // namespace

int FindColumn(const std::vector<std::string>& columnNames, std::string_view firstKeyword,
               std::string_view secondKeyword)
{
    const std::string first = LowerCase(firstKeyword);
    const std::string second = LowerCase(secondKeyword);
    for (std::size_t i = 0; i < columnNames.size(); ++i) {
        const std::string name = LowerCase(columnNames[i]);
        if (name.find(first) != std::string::npos || name.find(second) != std::string::npos)
            return static_cast<int>(i);
    }
    return -1;
}

ColumnChoice AutoMatchColumns(const std::vector<std::string>& columnNames)
{
    ColumnChoice choice;
    choice.beeper = FindColumn(columnNames, "Beeper", "Pager");
    choice.cell = FindColumn(columnNames, "Cell", "Mobile");
    choice.fax = FindColumn(columnNames, "Fax", "Fax");
    choice.home = FindColumn(columnNames, "Home", "Private");
    choice.name = FindColumn(columnNames, "Name", "First Name");
    choice.lastName = FindColumn(columnNames, "Last Name", "Family");
    choice.work = FindColumn(columnNames, "Work", "Office");
    return choice;
}
