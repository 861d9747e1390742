#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The COM numbers given to the machine's serial devices, by number: the device's identity.
using KeptNumbers = std::map<int, std::string>;

// What a numbers file says: "COMn=identity" lines, each number and identity used once, with
// blank lines and "#" comments between them.
struct KeptNumbersText
{
    KeptNumbers numbers; // its well-formed lines, the first for each number and identity
    std::vector<std::size_t> badLines; // the numbers (from 1) of all other lines
};

KeptNumbersText ParseKeptNumbers(std::string_view text);
std::string FormatKeptNumbers(const KeptNumbers& numbers);

// Gives each identity its kept number, else the lowest number that neither `reserved` nor `kept`
// holds, which is kept from then on. A kept number that is reserved is no longer the identity's.
// Returns the numbers in the order of the identities.
std::vector<int> AssignNumbers(KeptNumbers& kept, const std::vector<std::string>& identities,
                               const std::set<int>& reserved);

// AssignNumbers on the numbers file, which programs change in turn under its lock, so that two
// of them numbering devices at once never give one number twice. A file that cannot be read or
// holds lines that are not understood is never replaced: the user is told once, and this process
// goes on with the numbers in memory (those of the file's last good reading, or those it could
// read).
std::vector<int> NumberDevices(const std::filesystem::path& file,
                               const std::vector<std::string>& identities,
                               const std::set<int>& reserved);

} // namespace platform
