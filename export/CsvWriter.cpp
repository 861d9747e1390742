#include "CsvWriter.h"

namespace {

bool NeedsQuotes(std::string_view field)
{
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void AppendField(std::string& csv, std::string_view field)
{
    if (!NeedsQuotes(field)) {
        csv += field;
        return;
    }
    csv += '"';
    for (char c : field) {
        if (c == '"')
            csv += '"';
        csv += c;
    }
    csv += '"';
}

} // namespace

void AppendCsvRecord(std::string& csv, const std::vector<std::string>& fields)
{
    // A record of one empty field would be an empty line, which readers skip as no record.
    if (fields.size() == 1 && fields.front().empty()) {
        csv += "\"\"\r\n";
        return;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            csv += ',';
        AppendField(csv, fields[i]);
    }
    csv += "\r\n";
}
