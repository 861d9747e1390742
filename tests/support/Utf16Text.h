#pragma once

#include <string>
#include <string_view>

namespace testsupport {

// The code units as the bytes of a UTF-16 file: its byte-order mark, then each unit in that order.
inline std::string Utf16(std::u16string_view units, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

} // namespace testsupport
