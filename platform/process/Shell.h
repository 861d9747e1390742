#pragma once

#include <filesystem>
#include <string>

namespace platform {

// The program that the original platform would run for a name ending in ".exe": the name
// without ".exe", blanks as "-" ("telmo import.exe" -> "telmo-import"), in the folder given.
// Empty when the name does not end in ".exe".
std::filesystem::path ExecutableForName(const std::string& name,
                                        const std::filesystem::path& folder);

// The shell's "open" verb: a program name ending in ".exe" starts that program from the working
// directory, without arguments; anything else is handed to the desktop's handler for documents.
// Neither waits. True when something was started. Without a working directory the process's own
// is used as it stands, so that a folder deleted meanwhile finds no program rather than failing.
bool ShellOpen(const std::string& file, const std::filesystem::path& workingDirectory = {});

// The program's help file: its own path with the extension replaced by ".CHM".
std::filesystem::path HelpFilePath();

// The same help as HTML pages, which every desktop can show: help/index.html beside the help file.
std::filesystem::path HelpPagesPath(const std::filesystem::path& helpFile);

// What the Help command opens: the compiled help file when it is there and the desktop has a
// program for compiled help (asked of xdg-mime), otherwise the HTML pages.
std::filesystem::path HelpToOpen(const std::filesystem::path& helpFile);

// Opens the program's help with the desktop's handler and does not wait. True when the handler
// was started.
bool OpenHelp();

} // namespace platform
