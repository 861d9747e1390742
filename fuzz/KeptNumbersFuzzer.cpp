// Any bytes as the port numbers file: no crash, every number read is a COM number, every
// identity is used once, and what Telmo writes of the numbers reads back as the same numbers
// with no line out of place.
#include "serial/KeptNumbers.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const platform::KeptNumbersText text =
        platform::ParseKeptNumbers(std::string_view(reinterpret_cast<const char*>(data), size));
    std::set<std::string> identities;
    for (const auto& [number, identity] : text.numbers) {
        if (number < 1 || identity.empty() || !identities.insert(identity).second)
            std::abort();
    }
    const platform::KeptNumbersText again =
        platform::ParseKeptNumbers(platform::FormatKeptNumbers(text.numbers));
    if (again.numbers != text.numbers || !again.badLines.empty())
        std::abort();
    return 0;
}
