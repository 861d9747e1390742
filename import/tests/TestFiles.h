#pragma once

#include "support/TempFolder.h"

#include <string_view>

// Writes a file of the given bytes into the test's folder and gives its path.
inline std::filesystem::path WriteIn(const testsupport::TempFolder& folder, const std::string& name,
                                     std::string_view bytes)
{
    const std::filesystem::path file = folder / name;
    testsupport::WriteFile(file, std::string(bytes));
    return file;
}
