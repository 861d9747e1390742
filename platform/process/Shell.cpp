#include "process/Shell.h"

#include "process/Process.h"

#include <algorithm>
#include <optional>

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
    std::filesystem::path program =
        ExecutableForName(file, workingDirectory.empty() ? "." : workingDirectory);
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

namespace {

bool DesktopOpensCompiledHelp()
{
    std::optional<std::filesystem::path> xdgMime = FindOnPath("xdg-mime");
    if (!xdgMime)
        return false;
    std::optional<std::string> handler =
        CaptureOutput(*xdgMime, {"query", "default", "application/vnd.ms-htmlhelp"});
    return handler && handler->find_first_not_of(" \t\r\n") != std::string::npos;
}

} // namespace

std::filesystem::path HelpPagesPath(const std::filesystem::path& helpFile)
{
    return helpFile.parent_path() / "help" / "index.html";
}

std::filesystem::path HelpToOpen(const std::filesystem::path& helpFile)
{
    std::error_code error;
    if (std::filesystem::is_regular_file(helpFile, error) && DesktopOpensCompiledHelp())
        return helpFile;
    return HelpPagesPath(helpFile);
}

bool OpenHelp()
{
    const std::filesystem::path helpFile = HelpFilePath();
    return ShellOpen(HelpToOpen(helpFile).string(), helpFile.parent_path());
}

} // namespace platform
