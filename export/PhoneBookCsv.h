#pragma once

#include "PhoneEntry.h"

#include <array>
#include <string>
#include <vector>

// The columns of an exported phone book: the name, then the five numbers in the kinds' order.
// Each column name holds the keyword that the import wizard looks for, so importing the file
// again proposes the right column for every field by itself.
inline constexpr std::array<const char*, 6> kExportColumns = {
    "Name", "Home Phone", "Work Phone", "Cellphone", "Fax", "Beeper"};

// The entries as one CSV text: the header, then one record per entry in the order given.
// The entries' texts are written as they are; the caller hands them over as UTF-8.
std::string PhoneBookCsv(const std::vector<PhoneEntry>& entries);
