#include "ChildProcess.h"

#include "WaitUntil.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& changes)
{
    std::vector<std::string> merged;
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& change : changes)
            replaced = replaced || change.compare(0, name.size(), name) == 0;
        if (!replaced)
            merged.push_back(entry);
    }
    merged.insert(merged.end(), changes.begin(), changes.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildOptions& options)
{
    int toChild[2] = {-1, -1};
    int fromChild[2] = {-1, -1};
    if ((options.pipeStdin && pipe2(toChild, O_CLOEXEC) != 0) ||
        (options.pipeStdout && pipe2(fromChild, O_CLOEXEC) != 0))
        throw std::runtime_error("no pipe for the child");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.pipeStdin)
        posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    if (options.pipeStdout)
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    if (!options.workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workingFolder.c_str());

    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = MergedEnvironment(options.environment);
    const int error = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, Pointers(argv).data(),
                                  Pointers(envp).data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        m_pid = -1;

    for (int end : {toChild[0], fromChild[1]})
        if (end >= 0)
            close(end);
    m_stdin = toChild[1];
    m_stdout = fromChild[0];
}

ChildProcess ChildProcess::Fork(const std::function<int()>& body)
{
    ChildProcess child;
    child.m_pid = fork();
    if (child.m_pid == 0)
        _exit(body());
    return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(other.m_pid), m_status(other.m_status), m_stdin(other.m_stdin),
      m_stdout(other.m_stdout), m_pending(std::move(other.m_pending))
{
    other.m_pid = -1;
    other.m_stdin = -1;
    other.m_stdout = -1;
}

ChildProcess::~ChildProcess()
{
    for (int pipe : {m_stdin, m_stdout})
        if (pipe >= 0)
            close(pipe);
    if (Running()) {
        Signal(SIGKILL);
        WaitForExit();
    }
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds bound)
{
    WaitUntil([this] { return !Running(); }, bound);
    return m_status;
}

bool ChildProcess::Running()
{
    if (m_pid <= 0 || m_status)
        return false;
    int status = 0;
    pid_t ended = waitpid(m_pid, &status, WNOHANG);
    if (ended == m_pid || (ended < 0 && errno == ECHILD))
        m_status = status;
    return !m_status;
}

void ChildProcess::Signal(int signal)
{
    if (m_pid > 0 && !m_status)
        kill(m_pid, signal);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        if (const auto end = m_pending.find('\n'); end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd output{m_stdout, POLLIN, 0};
        if (m_stdout < 0 || left.count() <= 0 ||
            poll(&output, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        char buffer[256];
        const ssize_t got = read(m_stdout, buffer, sizeof buffer);
        if (got <= 0)
            return std::nullopt;
        m_pending.append(buffer, static_cast<std::size_t>(got));
    }
}

int ExitCode(const std::optional<int>& status)
{
    return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

std::vector<int> RunAtOnce(int count, const std::function<int(int index)>& body)
{
    int start[2], done[2], release[2];
    if (pipe(start) != 0 || pipe(done) != 0 || pipe(release) != 0)
        throw std::runtime_error("no pipe");
    std::vector<ChildProcess> children;
    for (int index = 0; index < count; ++index) {
        children.push_back(ChildProcess::Fork([&] {
            char byte = 0;
            close(start[1]), close(release[1]);
            if (read(start[0], &byte, 1) != 0)
                return -1;
            const int result = body(index);
            return write(done[1], "x", 1) == 1 && read(release[0], &byte, 1) == 0 ? result : -1;
        }));
    }
    close(start[1]);
    char byte = 0;
    for (int index = 0; index < count && read(done[0], &byte, 1) == 1; ++index) {
    }
    close(release[1]);
    std::vector<int> results;
    for (ChildProcess& child : children)
        results.push_back(ExitCode(child.WaitForExit()));
    for (int end : {start[0], done[0], done[1], release[0]})
        close(end);
    return results;
}

ChildProcess HoldFileLock(const std::filesystem::path& file)
{
    ChildProcess holder("/usr/bin/python3",
                        {"-c",
                         "import fcntl, sys\nwith open(sys.argv[1], 'a') as held:\n"
                         "    fcntl.lockf(held, fcntl.LOCK_EX)\n    print('held', flush=True)\n"
                         "    sys.stdin.read()",
                         file.string()},
                        {.pipeStdin = true, .pipeStdout = true});
    if (holder.ReadLine() != "held")
        throw std::runtime_error("the file could not be locked");
    return holder;
}

ChildProcess ForkAsNobody(const std::function<int()>& body)
{
    return ChildProcess::Fork([&] {
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 && (setgroups(0, nullptr) || setgid(kNobody) || setuid(kNobody)))
            return 125;
        return body();
    });
}

} // namespace testsupport
