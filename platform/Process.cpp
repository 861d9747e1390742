#include "Process.h"

#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {

std::optional<std::filesystem::path> FindOnPath(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    if (name.find('/') != std::string::npos) {
        if (access(name.c_str(), X_OK) == 0)
            return std::filesystem::path(name);
        return std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::filesystem::path folder = folders.substr(start, end - start);
        if (folder.empty())
            folder = ".";
        std::filesystem::path candidate = folder / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

namespace {

class SpawnAttributes
{
public:
    SpawnAttributes()
    {
        posix_spawnattr_init(&m_attributes);
        posix_spawn_file_actions_init(&m_actions);
    }
    ~SpawnAttributes()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attributes);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    posix_spawnattr_t m_attributes;
    posix_spawn_file_actions_t m_actions;
};

} // namespace

bool SpawnDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& workingDirectory)
{
    SpawnAttributes spawn;
    posix_spawnattr_setflags(&spawn.m_attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    sigset_t noSignalsBlocked;
    sigemptyset(&noSignalsBlocked);
    posix_spawnattr_setsigmask(&spawn.m_attributes, &noSignalsBlocked);
    posix_spawn_file_actions_addopen(&spawn.m_actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&spawn.m_actions, workingDirectory.c_str());

    std::vector<std::string> argvStorage;
    argvStorage.reserve(arguments.size() + 1);
    argvStorage.push_back(program.string());
    argvStorage.insert(argvStorage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argvStorage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &spawn.m_actions, &spawn.m_attributes, argv.data(),
                    environ) != 0)
        return false;
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

} // namespace platform

namespace platform {

std::filesystem::path ExecutablePath()
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

} // namespace platform
