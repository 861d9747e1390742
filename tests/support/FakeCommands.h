#pragma once

#include "ScopedEnvironment.h"
#include "TempFolder.h"

#include <string>

namespace testsupport {

// A folder of stand-ins for the desktop's commands (xdg-open, xdg-mime, ...), alone on PATH while
// the object lives. Each stand-in records the arguments of its last start, one a line.
class FakeCommands
{
public:
    FakeCommands();

    // A command that records its arguments, then runs the given shell lines (its answer).
    void Add(const std::string& name, const std::string& answer = "");

    // The arguments of the command's last start, waited for; the record is consumed, so the
    // next wait is for the next start. Empty if the command was not started within the bound.
    std::string WaitForArguments(const std::string& name) const;
    bool WasStarted(const std::string& name) const;

    const std::filesystem::path& Folder() const { return m_folder.path(); }

private:
    std::filesystem::path Record(const std::string& name) const;

    TempFolder m_folder;
    ScopedEnvironment m_path;
};

} // namespace testsupport
