#pragma once

#include <filesystem>
#include <optional>

// Where the programs keep telmo.ini.
//
// Installed for one user (built from source into a folder of the user's own, or run from the
// build folder), the book is a file of the program folder, as it always was. Installed for every
// user of the machine (the Debian package in /usr), the program folder is not the users' to
// write: the installation marks it as shared, and each user's book is then
// $XDG_DATA_HOME/telmo/telmo.ini.

// The file in a program folder that marks the installation as shared by the machine's users.
inline constexpr const char* kSharedInstallMarker = "shared-install";

// True when the programs in this folder are installed for every user of the machine.
bool IsSharedInstall(const std::filesystem::path& programFolder);

// The phone book of the program in programFolder: telmo.ini in ownFolder (the folder an
// installation of one user keeps it in), or the user's own book of a shared installation.
std::filesystem::path PhoneBookFile(const std::filesystem::path& programFolder,
                                    const std::filesystem::path& ownFolder);

// The user's phone book of a shared installation, its folder made if need be; nothing without a
// home folder. A book that an installation of the user's own left in ~/.local/lib/telmo is taken
// over once: copied, never over a book already there, and left where it was. Should the copy
// fail, that book is used where it is, so that no entry ever seems lost.
std::optional<std::filesystem::path> UserPhoneBook();
