#pragma once

#include "registry/RegistryTree.h"

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
// The keys and values that one file may add; the rest of a file that holds more is left out.
// Each costs a few hundred bytes, so this bounds the tree that any file can build.
constexpr std::size_t kMaxRegFileEntries = 250'000;
// Skipped lines listed one by one; a last problem of line 0 counts the others.
constexpr std::size_t kMaxListedRegFileProblems = 100;

// Applies a registry editor file ("REGEDIT4" or "Windows Registry Editor Version 5.00") to the
// tree of HKEY_LOCAL_MACHINE: key lines, "[-...]" removals, "name"= and @= values as text,
// dword:, hex: and hex(N): (with "\" continuation lines of hex bytes) and "-" removals; keys of
// other roots are left out. Every malformed line, and a key path deeper than kMaxKeyDepth, is
// skipped and reported; the rest of the file still counts. Memory beyond the text is that of the
// tree, whatever the file holds.
std::vector<RegFileProblem> ApplyRegFile(std::string_view bytes, RegistryKeyNode& localMachine);

// ApplyRegFile on a file's content. A file that cannot be read, is not a regular file or is
// larger than kMaxRegFileSize changes nothing and is reported as a whole.
std::vector<RegFileProblem> ApplyRegFileAt(const std::filesystem::path& file,
                                           RegistryKeyNode& localMachine);

} // namespace platform
