#include "Shell.h"

#include "Process.h"

#include <algorithm>

namespace platform {

std::filesystem::path ExecutableForName(const std::string& name,
                                        const std::filesystem::path& folder)
{
    const std::string suffix = ".exe";
    if (name.size() <= suffix.size() ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return {};
    std::string program = name.substr(0, name.size() - suffix.size());
    std::replace(program.begin(), program.end(), ' ', '-');
    return folder / program;
}

bool ShellOpen(const std::string& file, const std::filesystem::path& workingDirectory)
{
    std::filesystem::path program = ExecutableForName(file, workingDirectory);
    if (!program.empty())
        return SpawnDetached(program, {}, workingDirectory);
    std::optional<std::filesystem::path> opener = FindOnPath("xdg-open");
    return opener && SpawnDetached(*opener, {file}, workingDirectory);
}

std::filesystem::path HelpFilePath()
{
    std::filesystem::path help = ExecutablePath();
    help.replace_extension(".CHM");
    return help;
}

} // namespace platform
