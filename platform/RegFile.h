#pragma once

#include "RegistryTree.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A line of a .reg file that was skipped, and why. Line 0 stands for the whole file.
struct RegFileProblem
{
    std::size_t line = 0;
    std::string reason;
};

// Registry files larger than this are not read at all.
constexpr std::uintmax_t kMaxRegFileSize = 64 * 1024 * 1024;

// UTF-16LE code units as 8-bit text (UTF-8). A lone surrogate becomes U+FFFD and an odd last
// byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// The text of a .reg file as 8-bit text: UTF-16LE with a byte-order mark is converted, a UTF-8
// byte-order mark dropped, anything else taken as it is.
std::string DecodeRegFileText(std::string_view bytes);

// Applies a registry editor file ("REGEDIT4" or "Windows Registry Editor Version 5.00") to the
// tree of HKEY_LOCAL_MACHINE: key lines, "[-...]" removals, "name"= and @= values as text,
// dword:, hex: and hex(N): (with "\" continuation lines) and "-" removals; keys of other roots
// are left out. Every malformed line is skipped and reported; the rest of the file still counts.
std::vector<RegFileProblem> ApplyRegFile(std::string_view bytes, RegistryKeyNode& localMachine);

// ApplyRegFile on a file's content. A file that cannot be read, is not a regular file or is
// larger than kMaxRegFileSize changes nothing and is reported as a whole.
std::vector<RegFileProblem> ApplyRegFileAt(const std::filesystem::path& file,
                                           RegistryKeyNode& localMachine);

} // namespace platform
