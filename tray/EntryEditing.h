#pragma once

#include "EntryMenu.h"
#include "PhoneBook.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tray {

// The entry a menu slot showed, as the file holds it now, when it is still live under the same
// name; nothing when it has gone since the menu was built (the editor then starts a new entry).
std::optional<PhoneEntry> EntryStillShown(const CPhoneBook& book, const EntryMenuItem& shown);

// The editor field of the kind with exactly this label; 0 when the label names no kind.
int FieldForKindLabel(std::string_view kindLabel);

std::string DeleteQuestion(std::string_view name);
// Delete on an entry that another program deleted or replaced since the editor opened it.
std::string EntryGoneMessage(std::string_view name);

// What the user reads when a change could not be written; the editor keeps the typed text.
std::string SaveFailureMessage(const std::filesystem::path& file, std::error_code error);

} // namespace tray
