#include "process/Process.h"

#include "files/FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
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

// The program's name followed by its arguments, as the zero-terminated array a new process
// takes.
class ArgumentVector
{
public:
    ArgumentVector(const std::filesystem::path& program, const std::vector<std::string>& arguments)
    {
        m_storage.reserve(arguments.size() + 1);
        m_storage.push_back(program.string());
        m_storage.insert(m_storage.end(), arguments.begin(), arguments.end());
        for (std::string& argument : m_storage)
            m_pointers.push_back(argument.data());
        m_pointers.push_back(nullptr);
    }

    char* const* get() const { return m_pointers.data(); }

private:
    std::vector<std::string> m_storage;
    std::vector<char*> m_pointers;
};

void ResetSignalMask(posix_spawnattr_t& attributes, short flags)
{
    posix_spawnattr_setflags(&attributes, static_cast<short>(flags | POSIX_SPAWN_SETSIGMASK));
    sigset_t noSignalsBlocked;
    sigemptyset(&noSignalsBlocked);
    posix_spawnattr_setsigmask(&attributes, &noSignalsBlocked);
}

} // namespace

bool SpawnDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& workingDirectory)
{
    SpawnAttributes spawn;
    ResetSignalMask(spawn.m_attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_addopen(&spawn.m_actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&spawn.m_actions, workingDirectory.c_str());

    ArgumentVector argv(program, arguments);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &spawn.m_actions, &spawn.m_attributes, argv.get(),
                    environ) != 0)
        return false;
    try {
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the program has started all the same, and the system reaps it
        // once this one ends.
    }
    return true;
}

std::optional<std::string> CaptureOutput(const std::filesystem::path& program,
                                         const std::vector<std::string>& arguments)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    FileDescriptor readEnd(pipeFds[0]);
    pid_t pid = 0;
    {
        FileDescriptor writeEnd(pipeFds[1]);
        SpawnAttributes spawn;
        ResetSignalMask(spawn.m_attributes, 0);
        posix_spawn_file_actions_addopen(&spawn.m_actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&spawn.m_actions, writeEnd.get(), STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&spawn.m_actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        ArgumentVector argv(program, arguments);
        if (posix_spawn(&pid, program.c_str(), &spawn.m_actions, &spawn.m_attributes, argv.get(),
                        environ) != 0)
            return std::nullopt;
    }

    std::string output;
    char buffer[4096];
    for (;;) {
        ssize_t count = read(readEnd.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        output.append(buffer, static_cast<std::size_t>(count));
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

} // namespace platform

namespace platform {

std::filesystem::path ExecutablePath()
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

} // namespace platform
