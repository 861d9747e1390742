#pragma once

#include <filesystem>

// A contact export of the given number of rows (about 64 bytes each): a header, then rows in
// no particular name order, every tenth with a quoted last name holding a comma, every row
// with a home and a mobile number.
void WriteContactsCsv(const std::filesystem::path& file, int rows);
