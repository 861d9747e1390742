#include "FakeCommands.h"

#include "WaitUntil.h"

namespace fs = std::filesystem;

namespace testsupport {

FakeCommands::FakeCommands() : m_path("PATH", m_folder.path().string()) {}

void FakeCommands::Add(const std::string& name, const std::string& answer)
{
    const fs::path command = m_folder / name;
    // Written under another name and moved, so that a reader never sees half a record.
    const std::string record = Record(name).string();
    WriteFile(command, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".part'\n/bin/mv '" +
                           record + ".part' '" + record + "'\n" + answer + "\n");
    fs::permissions(command, fs::perms::owner_all);
}

std::string FakeCommands::WaitForArguments(const std::string& name) const
{
    if (!WaitUntil([&] { return fs::exists(Record(name)); }))
        return "";
    std::string arguments = ReadFile(Record(name));
    fs::remove(Record(name));
    return arguments;
}

bool FakeCommands::WasStarted(const std::string& name) const
{
    return fs::exists(Record(name));
}

fs::path FakeCommands::Record(const std::string& name) const
{
    return m_folder / (name + ".args");
}

} // namespace testsupport
