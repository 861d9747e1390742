#include "DialCommand.h"

namespace {

std::string WithoutCommandBreaks(std::string_view text)
{
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != ';')
            kept.push_back(c);
    }
    return kept;
}

} // namespace

std::string BuildDialString(std::string_view dialOut, std::string_view number)
{
    std::string prefix = WithoutCommandBreaks(dialOut);
    return (prefix.empty() ? prefix : prefix + ",") + WithoutCommandBreaks(number);
}

std::string BuildDialCommand(std::string_view dialOut, std::string_view number)
{
    return "atm1\r\natdt" + BuildDialString(dialOut, number) + ";\r\n";
}
