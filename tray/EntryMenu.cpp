#include "EntryMenu.h"

#include "MenuResources.h"
#include "ResourceIds.h"

#include <algorithm>
#include <any>

namespace tray {

bool IsEntryCommand(unsigned id)
{
    return id >= kFirstEntryCommand && id <= kLastEntryCommand && id % 10 <= PhoneKinds().size();
}

int SlotFromCommand(unsigned id)
{
    return static_cast<int>((id - kFirstEntryCommand) / 10);
}

int KindOffsetFromCommand(unsigned id)
{
    return static_cast<int>(id % 10);
}

unsigned EntryCommandId(int slot, int kindOffset)
{
    return kFirstEntryCommand + 10 * static_cast<unsigned>(slot) +
           static_cast<unsigned>(kindOffset);
}

platform::Menu MakeEntryMenu(const std::vector<PhoneEntry>& liveEntries)
{
    platform::Menu menu = *LoadMenu(kEntryMenu);
    platform::Menu& entries = *menu.GetSubMenu(0);
    const int shown = std::min(static_cast<int>(liveEntries.size()), kEntrySlots);
    for (int slot = 0; slot < shown; ++slot) {
        const PhoneEntry& entry = liveEntries[static_cast<std::size_t>(slot)];
        entries.ModifyMenuByPosition(slot, entry.name);
        for (const PhoneKind& kind : PhoneKinds()) {
            const unsigned id = EntryCommandId(slot, kind.offset);
            entries.ModifyMenuByCommand(id, kind.menuPrefix + entry.*kind.number);
            entries.SetMenuItemData(
                id, EntryMenuItem{entry.section, entry.name, entry.*kind.number, kind.label});
        }
        entries.SetMenuItemData(EntryCommandId(slot, 0),
                                EntryMenuItem{entry.section, entry.name, {}, {}});
    }
    while (entries.GetMenuItemCount() > shown)
        entries.RemoveMenu(shown);
    return menu;
}

const EntryMenuItem* FindEntryMenuItem(const platform::Menu& menu, unsigned id)
{
    if (!IsEntryCommand(id))
        return nullptr;
    const std::any* data = menu.GetMenuItemData(id);
    return data ? std::any_cast<EntryMenuItem>(data) : nullptr;
}

} // namespace tray
