#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// What a child is started with besides its program and arguments.
struct ChildOptions
{
    std::filesystem::path workingFolder;  // empty: the test's own
    std::vector<std::string> environment; // "NAME=value", added to (or replacing in) the test's
    bool pipeStdin = false;               // its input stays open until the child is ended
    bool pipeStdout = false;              // ReadLine reads its standard output
};

// A process a test started: a program, or a function run in a forked copy of the test. A child
// still running when the test ends is killed and reaped, so no test leaves one behind.
class ChildProcess
{
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const ChildOptions& options = {});
    // Runs body in a forked copy of this process; the child exits with body's result.
    static ChildProcess Fork(const std::function<int()>& body);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t Pid() const { return m_pid; }

    // The wait status once the child has ended, or nothing if it still runs after the bound.
    std::optional<int> WaitForExit(std::chrono::milliseconds bound = std::chrono::seconds(30));
    bool Running();
    void Signal(int signal);

    // One line of the child's output without its newline; nothing at end of output or when no
    // line came within the bound.
    std::optional<std::string> ReadLine(std::chrono::milliseconds bound = std::chrono::seconds(30));

private:
    ChildProcess() = default;

    pid_t m_pid = -1;
    std::optional<int> m_status;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_pending;
};

// The exit code of a child that exited normally, else -1 (killed by a signal, or still running).
int ExitCode(const std::optional<int>& status);

// In a forked child of a test that runs as root: goes on as the unprivileged user nobody, so that
// the child acts as another user than the test. False where the process cannot change its user.
bool BecomeNobody();

} // namespace testsupport
