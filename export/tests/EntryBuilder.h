#pragma once

#include "PhoneEntry.h"

#include <array>
#include <string>

// An entry with its name and its numbers in the kinds' order: home, work, cellphone, fax, beeper.
inline PhoneEntry Entry(std::string name, const std::array<std::string, 5>& numbers = {})
{
    PhoneEntry entry;
    entry.name = std::move(name);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        entry.*PhoneKinds()[i].number = numbers[i];
    return entry;
}
