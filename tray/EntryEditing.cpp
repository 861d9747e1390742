#include "EntryEditing.h"

#include <algorithm>

namespace tray {

std::string SectionStillShown(const CPhoneBook& book, const EntryMenuItem& shown)
{
    const std::vector<PhoneEntry> live = book.LiveEntries();
    const bool stillThere = std::any_of(live.begin(), live.end(), [&](const PhoneEntry& entry) {
        return entry.section == shown.section && entry.name == shown.name;
    });
    return stillThere ? shown.section : std::string();
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

std::string SaveFailureMessage(const std::filesystem::path& file, std::error_code error)
{
    return "The phone book could not be saved to " + file.string() + ": " + error.message() +
           ".\n\nYour changes are still in the editor.";
}

} // namespace tray
