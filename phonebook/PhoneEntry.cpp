#include "PhoneEntry.h"

#include "text/TextEncoding.h"

#include <algorithm>

const std::array<PhoneKind, 5>& PhoneKinds()
{
    static const std::array<PhoneKind, 5> kinds{{
        {1, "Home", "HomePhone", "Home:\t", 1002, &PhoneEntry::homePhone},
        {2, "Work", "WorkPhone", "Work:\t", 1006, &PhoneEntry::workPhone},
        {3, "Cellphone", "CellPhone", "Cellphone:\t", 1007, &PhoneEntry::cellPhone},
        {4, "Fax", "Fax", "Fax:\t", 1010, &PhoneEntry::fax},
        {5, "Beeper", "Beeper", "Beeper:\t", 1008, &PhoneEntry::beeper},
    }};
    return kinds;
}

const PhoneKind* FindPhoneKind(std::string_view label)
{
    const auto& kinds = PhoneKinds();
    auto found = std::find_if(kinds.begin(), kinds.end(),
                              [&](const PhoneKind& kind) { return label == kind.label; });
    return found == kinds.end() ? nullptr : &*found;
}

bool NameSortsBefore(std::string_view a, std::string_view b)
{
    return platform::SortsBeforeInWindows1252Order(a, b);
}

bool SameTexts(const PhoneEntry& a, const PhoneEntry& b)
{
    const auto& kinds = PhoneKinds();
    return a.name == b.name && std::all_of(kinds.begin(), kinds.end(), [&](const PhoneKind& kind) {
               return a.*kind.number == b.*kind.number;
           });
}
