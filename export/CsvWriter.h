#pragma once

#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as RFC 4180 writes them. Every record ends with CR LF. A field that
// holds a comma, a double quote, a CR or a LF is enclosed in double quotes, and each of its
// double quotes is doubled; every other field is written as it is, blanks included. The bytes
// of a field are not looked at otherwise, so UTF-8 text passes unchanged.
void AppendCsvRecord(std::string& csv, const std::vector<std::string>& fields);
