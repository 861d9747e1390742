#pragma once

#include "NameSelection.h"

#include <system_error>
#include <vector>

namespace platform {
class ProfileFile;
}

// The live entries of the phone book, counted as the tray program counts them.
int CountExisting(const platform::ProfileFile& file);

// Whether a phone book of `existing` entries takes `selected` more.
bool FitsCapacity(int existing, int selected);

// Appends the rows as entries, in their order, after discarding the existing entries when
// asked: all in one transaction, so the phone book gets every row or none. The capacity is
// checked again inside it, against the file as it is then: when another program added entries
// since they were counted and the rows no longer fit, or the file has no section number left for
// them, nothing is written and the result is PhoneBookError::Full.
[[nodiscard]] std::error_code WriteImport(platform::ProfileFile& file,
                                          const std::vector<SourceRow>& rows, bool deleteExisting);
