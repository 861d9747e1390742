#include "MenuResources.h"

#include "ResourceIds.h"

#include <array>
#include <string>

namespace tray {

namespace {

// The five number items of a slot, in command-id order; their template texts name the keys.
constexpr std::array<const char*, 5> kTemplateKeys = {"HomePhone", "WorkPhone", "CellPhone", "Fax",
                                                      "Beeper"};

platform::Menu EntryMenuTemplate()
{
    platform::Menu entries;
    for (int slot = 0; slot < kEntrySlots; ++slot) {
        const std::string title = "Item" + std::to_string(slot + 1);
        const unsigned editId = kFirstEntryCommand + 10 * static_cast<unsigned>(slot);
        platform::Menu slotPopup;
        for (unsigned offset = 1; offset <= kTemplateKeys.size(); ++offset)
            slotPopup.AppendCommand(editId + offset, title + "_" + kTemplateKeys[offset - 1]);
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
