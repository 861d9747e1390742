#pragma once

#include "ColumnChoice.h"

#include <string>
#include <string_view>
#include <vector>

// The index of the first column whose name contains the first keyword, or else the second,
// ignoring case; -1 when none does.
int FindColumn(const std::vector<std::string>& columnNames, std::string_view firstKeyword,
               std::string_view secondKeyword);

// A proposal for every field from the column names alone, each field matched on its own.
ColumnChoice AutoMatchColumns(const std::vector<std::string>& columnNames);
