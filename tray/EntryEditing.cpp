#include "EntryEditing.h"

#include <algorithm>

namespace tray {

std::optional<PhoneEntry> EntryStillShown(const CPhoneBook& book, const EntryMenuItem& shown)
{
    std::vector<PhoneEntry> live = book.LiveEntries();
    auto found = std::find_if(live.begin(), live.end(), [&](const PhoneEntry& entry) {
        return entry.section == shown.section && entry.name == shown.name;
    });
    if (found == live.end())
        return std::nullopt;
    return std::move(*found);
}

int FieldForKindLabel(std::string_view kindLabel)
{
    const PhoneKind* kind = FindPhoneKind(kindLabel);
    return kind ? kind->editorFieldId : 0;
}

std::string DeleteQuestion(std::string_view name)
{
    return "Delete " + std::string(name) + "?";
}

std::string EntryGoneMessage(std::string_view name)
{
    return std::string(name) + " is no longer in the phone book. Nothing was deleted.";
}

std::string SaveFailureMessage(const std::filesystem::path& file, std::error_code error)
{
    return "The phone book could not be saved to " + file.string() + ": " + error.message() +
           ".\n\nYour changes are still in the editor.";
}

} // namespace tray
