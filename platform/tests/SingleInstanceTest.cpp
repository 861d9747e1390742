#include "SingleInstance.h"

#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A probe process holding (or failing to get) the named mutex until it is stopped.
class Probe
{
public:
    explicit Probe(const std::string& mutexName)
    {
        int toChild[2];
        int fromChild[2];
        if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
        std::string program = NAMED_MUTEX_PROBE;
        char* argv[] = {program.data(), const_cast<char*>(mutexName.c_str()), nullptr};
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, environ) != 0)
            throw std::runtime_error("spawn");
        posix_spawn_file_actions_destroy(&actions);
        close(toChild[0]);
        close(fromChild[1]);
        m_stdin = toChild[1];
        m_stdout = fromChild[0];
    }
    ~Probe() { Stop(); }

    // What the probe found: "owner" or "exists".
    std::string Answer()
    {
        std::string answer;
        char c;
        while (read(m_stdout, &c, 1) == 1 && c != '\n')
            answer += c;
        return answer;
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        close(m_stdin);
        close(m_stdout);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = 0;
    }

private:
    pid_t m_pid = 0;
    int m_stdin = -1;
    int m_stdout = -1;
};

class SingleInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::permissions(m_runtime.path(), std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    testsupport::TempFolder m_runtime;
};

} // namespace

TEST_F(SingleInstanceTest, OnlyTheFirstProcessOwnsTheMutexUntilItEnds)
{
    Probe first("TelmoMutex");
    ASSERT_EQ(first.Answer(), "owner");
    Probe second("TelmoMutex");
    EXPECT_EQ(second.Answer(), "exists");
    EXPECT_TRUE(platform::NamedMutex("TelmoMutex").AlreadyExisted());

    // The kernel releases the mutex with the process that held it.
    first.Stop();
    Probe third("TelmoMutex");
    EXPECT_EQ(third.Answer(), "owner");
}

TEST_F(SingleInstanceTest, DifferentNamesDoNotExcludeEachOther)
{
    Probe first("TelmoMutex");
    ASSERT_EQ(first.Answer(), "owner");
    EXPECT_FALSE(platform::NamedMutex("OtherMutex").AlreadyExisted());
}

TEST_F(SingleInstanceTest, ProgramsStartedByTheOwnerDoNotKeepTheMutex)
{
    auto owner = std::make_unique<platform::NamedMutex>("TelmoMutex");
    ASSERT_FALSE(owner->AlreadyExisted());
    // A program the owner starts (the import wizard) may outlive it; the mutex must not.
    Probe child("SomethingElse");
    ASSERT_EQ(child.Answer(), "owner");
    owner.reset();
    Probe next("TelmoMutex");
    EXPECT_EQ(next.Answer(), "owner");
}

TEST(RuntimeDirectoryTest, OnlyAFolderPrivateToTheUserHoldsTheLocks)
{
    namespace fs = std::filesystem;
    struct Case
    {
        const char* what;
        // What another user (or an accident) left at the folder's place beforehand.
        std::function<void(const fs::path&)> arrange;
        bool used;
    };
    auto folderWith = [](fs::perms mode) {
        return [mode](const fs::path& at) {
            fs::create_directory(at);
            fs::permissions(at, mode);
        };
    };
    const std::vector<Case> cases = {
        {"missing: made private", [](const fs::path&) {}, true},
        {"private already", folderWith(fs::perms::owner_all), true},
        {"open to everyone", folderWith(fs::perms::all), false},
        {"readable by the group",
         folderWith(fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec), false},
        {"a link to a private folder",
         [&](const fs::path& at) {
             folderWith(fs::perms::owner_all)(fs::path(at).concat("-target"));
             fs::create_directory_symlink(fs::path(at).concat("-target"), at);
         },
         false},
        {"a file", [](const fs::path& at) { testsupport::WriteFile(at, ""); }, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        testsupport::TempFolder temporary;
        testsupport::TempFolder cache;
        const fs::path shared = temporary / ("telmo-" + std::to_string(getuid()));
        row.arrange(shared);
        testsupport::ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
        testsupport::ScopedEnvironment tmp("TMPDIR", temporary.path().string());
        testsupport::ScopedEnvironment cacheHome("XDG_CACHE_HOME", cache.path().string());

        const std::optional<fs::path> folder = platform::RuntimeDirectory();
        ASSERT_TRUE(folder.has_value());
        EXPECT_EQ(*folder, row.used ? shared : cache / "telmo");
        EXPECT_TRUE(platform::IsPrivateFolder(*folder));
    }

    // A runtime folder that others can reach is passed over too.
    testsupport::TempFolder runtime;
    fs::permissions(runtime.path(), fs::perms::all);
    testsupport::ScopedEnvironment sharedRuntime("XDG_RUNTIME_DIR", runtime.path().string());
    EXPECT_NE(platform::RuntimeDirectory(), runtime.path());
    fs::permissions(runtime.path(), fs::perms::owner_all);
    EXPECT_EQ(platform::RuntimeDirectory(), runtime.path());
}
