#include "ColumnSamples.h"

#include "CsvFields.h"
#include "CsvSource.h"

#include <algorithm>

namespace {

bool HasVisibleText(const std::string& value)
{
    return value.find_first_not_of(" \t\r\n") != std::string::npos;
}

} // namespace

std::vector<std::string> ReadColumnSamples(CsvSource& source, std::size_t columnCount,
                                           std::size_t maxRecords)
{
    std::vector<std::string> samples(columnCount);
    std::size_t missing = columnCount;
    std::vector<std::string> fields;
    std::string record;
    for (std::size_t read = 0; missing > 0 && read < maxRecords && source.ReadLine(record);
         ++read) {
        SplitFields(record, fields);
        const std::size_t shared = std::min(columnCount, fields.size());
        for (std::size_t column = 0; column < shared; ++column) {
            if (samples[column].empty() && HasVisibleText(fields[column])) {
                samples[column] = std::move(fields[column]);
                --missing;
            }
        }
    }
    return samples;
}
