#include "PhoneBookCsv.h"

#include "CsvWriter.h"

std::string PhoneBookCsv(const std::vector<PhoneEntry>& entries)
{
    std::string csv;
    AppendCsvRecord(csv, std::vector<std::string>(kExportColumns.begin(), kExportColumns.end()));
    for (const PhoneEntry& entry : entries) {
        std::vector<std::string> fields{entry.name};
        for (const PhoneKind& kind : PhoneKinds())
            fields.push_back(entry.*kind.number);
        AppendCsvRecord(csv, fields);
    }
    return csv;
}
