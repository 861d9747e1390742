#include "SingleInstance.h"
#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using namespace std::chrono_literals;

pid_t StartTelmo(const std::filesystem::path& workingDirectory)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    std::string program = TELMO_EXECUTABLE;
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// The exit status once the process has ended; nothing if it still runs after a generous wait
// (then it is ended, so no test leaves it behind).
std::optional<int> WaitForExit(pid_t pid)
{
    for (int attempt = 0; attempt < 3000; ++attempt) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(10ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return std::nullopt;
}

bool MutexHeldElsewhere()
{
    for (int attempt = 0; attempt < 3000; ++attempt) {
        if (platform::NamedMutex("TelmoMutex").AlreadyExisted())
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

class SingleInstanceAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A runtime folder that others could reach would not be used for the lock.
        std::filesystem::permissions(m_runtime.path(), std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    testsupport::TempFolder m_runtime;
    testsupport::TempFolder m_first;
    testsupport::TempFolder m_second;
};

} // namespace

TEST_F(SingleInstanceAppTest, ASecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    const pid_t first = StartTelmo(m_first.path());
    ASSERT_GT(first, 0);
    ASSERT_TRUE(MutexHeldElsewhere());

    const pid_t second = StartTelmo(m_second.path());
    ASSERT_GT(second, 0);
    EXPECT_EQ(WaitForExit(second), 0);
    EXPECT_TRUE(std::filesystem::is_empty(m_second.path())); // no file touched

    int status = 0;
    EXPECT_EQ(waitpid(first, &status, WNOHANG), 0); // still running
    kill(first, SIGTERM);
    waitpid(first, &status, 0);
}

TEST_F(SingleInstanceAppTest, TheMutexIsFreeAgainOnceTheProgramHasEnded)
{
    const pid_t first = StartTelmo(m_first.path());
    ASSERT_GT(first, 0);
    ASSERT_TRUE(MutexHeldElsewhere());
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    EXPECT_FALSE(platform::NamedMutex("TelmoMutex").AlreadyExisted());
}
