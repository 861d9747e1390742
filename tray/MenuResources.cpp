#include "MenuResources.h"

#include "PhoneEntry.h"
#include "ResourceIds.h"

#include <string>

namespace tray {

namespace {

platform::Menu EntryMenuTemplate()
{
    platform::Menu entries;
    for (int slot = 0; slot < kEntrySlots; ++slot) {
        const std::string title = "Item" + std::to_string(slot + 1);
        const unsigned editId = kFirstEntryCommand + 10 * static_cast<unsigned>(slot);
        platform::Menu slotPopup;
        // The number items in command-id order; their template texts name the keys.
        for (const PhoneKind& kind : PhoneKinds())
            slotPopup.AppendCommand(editId + static_cast<unsigned>(kind.offset),
                                    title + "_" + kind.key);
        slotPopup.AppendSeparator().AppendCommand(editId, "Edit Entry");
        entries.AppendPopup(title, std::move(slotPopup));
    }
    platform::Menu bar;
    bar.AppendPopup("Entries", std::move(entries));
    return bar;
}

platform::Menu CommandMenuTemplate()
{
    platform::Menu importExport;
    importExport.AppendCommand(kCmdImportEntries, "Import Entries")
        .AppendCommand(kCmdExportEntries, "Export Entries");
    platform::Menu commands;
    commands.AppendCommand(kCmdNewEntry, "New Entry")
        .AppendCommand(kCmdSettings, "Settings")
        .AppendCommand(kCmdRefresh, "Refresh")
        .AppendPopup("Import/Export", std::move(importExport))
        .AppendSeparator()
        .AppendCommand(kCmdAbout, "About")
        .AppendCommand(kCmdHelp, "Help")
        .AppendSeparator()
        .AppendCommand(kCmdExit, "Exit");
    platform::Menu bar;
    bar.AppendPopup("Commands", std::move(commands));
    return bar;
}

} // namespace

std::optional<platform::Menu> LoadMenu(int resourceId)
{
    switch (resourceId) {
    case kEntryMenu:
        return EntryMenuTemplate();
    case kCommandMenu:
        return CommandMenuTemplate();
    default:
        return std::nullopt;
    }
}

} // namespace tray
