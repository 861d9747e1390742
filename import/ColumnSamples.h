#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CsvSource;

// How many data records are looked at for a sample of each column, so that a large file is
// not read to its end for a column that is empty throughout.
constexpr std::size_t kSampleRecords = 100;

// For each of the header's columns, the value of the first of the next records that has one in
// that column, as the reader gives it; empty when none of them has. A value of blanks alone
// tells the user nothing about the column and is passed over.
std::vector<std::string> ReadColumnSamples(CsvSource& source, std::size_t columnCount,
                                           std::size_t maxRecords = kSampleRecords);
