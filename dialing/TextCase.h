#pragma once

#include <string>
#include <string_view>

// Letter case as the modem code compares it: ASCII letters only, other bytes as they are.
std::string UpperCase(std::string_view text);
bool EqualIgnoringCase(std::string_view left, std::string_view right);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
