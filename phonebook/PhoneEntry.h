#pragma once

#include <array>
#include <string>
#include <string_view>

// One phone book entry as read from or written to its section; its texts are UTF-8, whatever the
// file's encoding.
struct PhoneEntry
{
    std::string section;
    std::string name;
    std::string homePhone;
    std::string workPhone;
    std::string cellPhone;
    std::string fax;
    std::string beeper;
    int pos = 0;
    int deleted = 0;
};

// The five kinds of number, in the order that fixes the command ids of the entry menu.
struct PhoneKind
{
    int offset;             // 1..5, added to a slot's command id base
    const char* label;      // what the number card shows, e.g. "Home"
    const char* key;        // the key in the entry's section
    const char* menuPrefix; // the start of the menu item, e.g. "Home:\t"
    int editorFieldId;      // the editor's field for this number
    std::string PhoneEntry::*number;
};

const std::array<PhoneKind, 5>& PhoneKinds();

// The kind with exactly this label, or null.
const PhoneKind* FindPhoneKind(std::string_view label);

constexpr int kPhoneBookCapacity = 5;

// Names sort by the byte values of the legacy code page, case counting, so every capital sorts
// before every small letter. The order does not depend on the file's encoding, so converting a
// file to UTF-8 never reorders its entries.
bool NameSortsBefore(std::string_view a, std::string_view b);

// Whether two entries hold the same texts: name and numbers.
bool SameTexts(const PhoneEntry& a, const PhoneEntry& b);
