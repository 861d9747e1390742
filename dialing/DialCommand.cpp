#include "DialCommand.h"

namespace {

std::string WithoutControlCharacters(std::string_view text)
{
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20)
            kept.push_back(c);
    }
    return kept;
}

} // namespace

std::string BuildDialCommand(std::string_view dialOut, std::string_view number)
{
    std::string command = "atm1\r\natdt";
    std::string prefix = WithoutControlCharacters(dialOut);
    if (!prefix.empty())
        command += prefix + ",";
    command += WithoutControlCharacters(number);
    command += ";\r\n";
    return command;
}
