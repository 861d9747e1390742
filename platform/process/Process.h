#pragma once

// Other programs: finding and starting them, the desktop's handler for documents and help (the
// shell's "open" verb, Shell.h) and the guard that lets one instance of a program run per user
// (SingleInstance.h). No text ever reaches a shell: a program gets its arguments as they are; a
// program started beside Telmo is never waited for nor left a zombie; and nobody else can hold the
// guard on the user's behalf.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The full path of an executable found in the folders of PATH, as a shell would find it.
std::optional<std::filesystem::path> FindOnPath(const std::string& name);

// Starts a program and does not wait for it: no shell, its own session, standard input from
// /dev/null, and the child reaped in the background so it never lingers as a zombie.
// True when the program was started.
bool SpawnDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& workingDirectory = {});

// Runs a program without a shell, waits for it and returns what it wrote to its standard output.
// Nothing when it could not be started or did not end with exit status 0. Its standard input is
// /dev/null and its error output is discarded.
std::optional<std::string> CaptureOutput(const std::filesystem::path& program,
                                         const std::vector<std::string>& arguments);

} // namespace platform

namespace platform {

// The full path of the running program's own file.
std::filesystem::path ExecutablePath();

} // namespace platform
