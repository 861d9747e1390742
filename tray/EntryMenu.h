#pragma once

#include "PhoneEntry.h"
#include "notify/Menu.h"

#include <string>
#include <vector>

namespace tray {

// What an item of the entry menu carries, as the file held it when the menu was built: the entry
// shown in the item's slot and, for a number item, the number and its kind label. The number
// card gets these unchanged, whatever characters they hold and however long they are.
struct EntryMenuItem
{
    std::string section;
    std::string name;
    std::string number;    // empty for "Edit Entry"
    std::string kindLabel; // "Home" ... "Beeper"; empty for "Edit Entry"
};

bool IsEntryCommand(unsigned id);
// (id - 32780) / 10.
int SlotFromCommand(unsigned id);
// The kind offset of an entry command: 1..5 for a number, 0 for "Edit Entry".
int KindOffsetFromCommand(unsigned id);
unsigned EntryCommandId(int slot, int kindOffset);

// Menu 129 filled with the live entries in menu order, at most five, one slot each; the slots
// left over are removed. Entries outside the order a sound file keeps (gaps, positions of five
// and above, two entries at one position) still fill the slots in order, so the menu never shows
// a template text and never hides an entry while a slot is free.
platform::Menu MakeEntryMenu(const std::vector<PhoneEntry>& liveEntries);

// The data of the entry-menu item with this id, nullptr when the menu holds no such item.
const EntryMenuItem* FindEntryMenuItem(const platform::Menu& menu, unsigned id);

} // namespace tray
