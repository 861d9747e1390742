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
    std::filesystem::path workingFolder{};  // empty: the test's own
    std::vector<std::string> environment{}; // "NAME=value", added to (or replacing in) the test's
    bool pipeStdin = false;                 // its input stays open until the child is ended
    bool pipeStdout = false;                // ReadLine reads its standard output
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

// Runs body(0) to body(count - 1), each in a forked copy of this process, all let go at one
// moment, and keeps every copy alive until all bodies have returned, so that what one holds the
// others meet. Gives the bodies' results in order.
std::vector<int> RunAtOnce(int count, const std::function<int(int index)>& body);

// Another process holding a byte-range write lock on a whole file, as any program may lock it,
// until the child ends.
ChildProcess HoldFileLock(const std::filesystem::path& file);

// Runs body in a forked copy of this process, as the unprivileged user nobody where the test runs
// as root (so that the child acts as another user than the test), else as this user.
ChildProcess ForkAsNobody(const std::function<int()>& body);

} // namespace testsupport
