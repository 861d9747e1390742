#pragma once

#include <string>
#include <string_view>

namespace platform {

// Text as the original platform's names compare: blanks are spaces and tabs, and letter case is
// folded for ASCII letters only, every other byte standing as it is.
bool IsBlank(char c);
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
std::string_view Trim(std::string_view text);

char UpperAscii(char c);
std::string UpperCase(std::string_view text);
bool EqualIgnoringCase(std::string_view left, std::string_view right);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

} // namespace platform
