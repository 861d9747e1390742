#pragma once

// The tray program's fixed resource numbers: menus, commands, dialog templates, controls and
// strings.
namespace tray {

// Menus and the notification icon.
constexpr int kEntryMenu = 129;
constexpr int kCommandMenu = 145;
constexpr unsigned kTrayIconId = 129;

// Commands of the command menu.
constexpr unsigned kCmdNewEntry = 32771;
constexpr unsigned kCmdSettings = 32772;
constexpr unsigned kCmdExit = 32773;
constexpr unsigned kCmdExportEntries = 32774;
constexpr unsigned kCmdImportEntries = 32775;
constexpr unsigned kCmdRefresh = 33277;
constexpr unsigned kCmdAbout = 57664;
constexpr unsigned kCmdHelp = 57670;

// Commands of the entry menu: 32780 + 10 * slot + kind offset, offset 0 being "Edit Entry".
constexpr unsigned kFirstEntryCommand = 32780;
constexpr unsigned kLastEntryCommand = 32825;
constexpr int kEntrySlots = 5;

// Dialog templates.
constexpr int kAboutDialog = 100;
constexpr int kMainDialog = 102;

// Controls of the entry editor.
constexpr int kNameField = 1000;
constexpr int kDeleteButton = 1003;
constexpr int kSaveButton = 1005;
constexpr int kCancelButton = 1009;
constexpr int kWorkPicture = 1011;
constexpr int kAboutOkButton = 1;

// Strings.
constexpr const char* kLimitMessage = "The limit of entries was reached. Delete existing entries "
                                      "before adding new entries."; // string 1020

} // namespace tray
