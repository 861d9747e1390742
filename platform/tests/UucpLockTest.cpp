#include "UucpLock.h"

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::UucpLock;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const fs::path kDevice = "/dev/ttyTelmoTest0";
constexpr int kCannotChangeUser = 99;

std::string Hdb(pid_t pid)
{
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

std::string Binary(pid_t pid)
{
    const auto value = static_cast<std::int32_t>(pid);
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

pid_t EndedProcess()
{
    ChildProcess ended = ChildProcess::Fork([] { return 0; });
    ended.WaitForExit();
    return ended.Pid();
}

// A lock folder as /run/lock is: every user may make files in it and remove only their own.
class LockFolder
{
public:
    LockFolder() { fs::permissions(m_folder.path(), fs::perms::all | fs::perms::sticky_bit); }
    const fs::path& Path() const { return m_folder.path(); }
    fs::path LockFile() const { return UucpLock::LockFileFor(Path(), kDevice); }

private:
    TempFolder m_folder;
};

// What taking the lock came to; a lock taken must name its holder as other programs read it.
int Outcome(UucpLock::Result result, const fs::path& lockFile)
{
    if (result == UucpLock::Result::Taken && ReadFile(lockFile) != Hdb(getpid()))
        return 3;
    return static_cast<int>(result);
}

enum class Taker
{
    ThisUser,
    AnotherUser // an ordinary user, who cannot signal the owner's processes
};

class UucpLockTest : public testing::TestWithParam<Taker>
{};

} // namespace

TEST_P(UucpLockTest, ALiveOwnersLockIsKeptInEveryFormatAndOnlyAProvablyStaleOneTaken)
{
    ChildProcess live = ChildProcess::Fork([] { return pause(); });
    const pid_t ended = EndedProcess();
    const std::string minicom = " minicom root\n";
    const struct
    {
        const char* what;
        std::string lock;
        UucpLock::Result result;
        bool justMade = false;
    } rows[] = {
        {"ten columns", Hdb(live.Pid()), UucpLock::Result::HeldByOther},
        {"ten columns, owner ended", Hdb(ended), UucpLock::Result::Taken},
        {"with name and user", Hdb(live.Pid()).substr(0, 10) + minicom,
         UucpLock::Result::HeldByOther},
        {"with name and user, owner ended", Hdb(ended).substr(0, 10) + minicom,
         UucpLock::Result::Taken},
        {"binary", Binary(live.Pid()), UucpLock::Result::HeldByOther},
        {"binary, owner ended", Binary(ended), UucpLock::Result::Taken},
        {"empty, just made", "", UucpLock::Result::HeldByOther, true},
        {"empty for a minute", "", UucpLock::Result::Taken},
        {"no process id", "garbage\n", UucpLock::Result::HeldByOther},
        {"process id 0", "0\n", UucpLock::Result::HeldByOther},
        {"id run into text", std::to_string(ended) + "x\n", UucpLock::Result::HeldByOther},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        LockFolder folder;
        ChildProcess taker = ChildProcess::Fork([&] {
            if (GetParam() == Taker::AnotherUser && !BecomeNobody())
                return kCannotChangeUser;
            WriteFile(folder.LockFile(), row.lock);
            const timespec aMinuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
            if (!row.justMade)
                utimensat(AT_FDCWD, folder.LockFile().c_str(), aMinuteAgo, 0);
            UucpLock lock;
            return Outcome(lock.Acquire(folder.Path(), kDevice), folder.LockFile());
        });
        const int outcome = ExitCode(taker.WaitForExit());
        if (outcome == kCannotChangeUser)
            GTEST_SKIP() << "only root can act as another user";
        EXPECT_EQ(outcome, static_cast<int>(row.result));
        if (row.result == UucpLock::Result::HeldByOther) {
            EXPECT_EQ(ReadFile(folder.LockFile()), row.lock);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Takers, UucpLockTest, testing::Values(Taker::ThisUser, Taker::AnotherUser),
                         [](const auto& taker) {
                             return taker.param == Taker::ThisUser ? "ThisUser" : "AnotherUser";
                         });

TEST(UucpLockRaceTest, OfManyProgramsTakingOverOneStaleLockExactlyOneGetsIt)
{
    constexpr int kRounds = 300;
    constexpr int kTakers = 8;
    LockFolder folder;
    int roundsWithoutOneHolder = 0;
    for (int round = 0; round < kRounds; ++round) {
        WriteFile(folder.LockFile(), Hdb(EndedProcess()));
        // Every taker starts when the start pipe closes, and holds what it got until all have
        // tried.
        int start[2], tried[2], release[2];
        ASSERT_EQ(pipe(start) | pipe(tried) | pipe(release), 0);
        std::vector<ChildProcess> takers;
        for (int i = 0; i < kTakers; ++i) {
            takers.push_back(ChildProcess::Fork([&] {
                char byte = 0;
                close(start[1]), close(release[1]);
                if (read(start[0], &byte, 1) != 0)
                    return 2;
                UucpLock lock;
                const bool taken = lock.Acquire(folder.Path(), kDevice) == UucpLock::Result::Taken;
                if (write(tried[1], "x", 1) != 1 || read(release[0], &byte, 1) != 0)
                    return 2;
                return taken ? 0 : 1;
            }));
        }
        close(start[1]);
        char byte = 0;
        for (int i = 0; i < kTakers; ++i)
            ASSERT_EQ(read(tried[0], &byte, 1), 1);
        close(release[1]);
        int holders = 0;
        for (ChildProcess& taker : takers)
            holders += ExitCode(taker.WaitForExit()) == 0;
        roundsWithoutOneHolder += holders != 1;
        for (int end : {start[0], tried[0], tried[1], release[0]})
            close(end);
    }
    EXPECT_EQ(roundsWithoutOneHolder, 0) << "of " << kRounds << " rounds";
}

TEST(UucpLockLinkTest, ALinkPlantedInTheLockFolderIsNeverWrittenThroughAndMeansBusy)
{
    LockFolder folder;
    TempFolder mine;
    const fs::path victim = mine / "telmo.ini";
    WriteFile(victim, "[Modem]\n");
    // The names an attacker can guess: the lock's, and temporary names made of a process id.
    ChildProcess planter = ChildProcess::Fork([&] {
        if (!BecomeNobody())
            return kCannotChangeUser;
        std::error_code error;
        fs::create_symlink(victim, folder.LockFile(), error);
        for (pid_t pid = getppid(); !error && pid < getppid() + 4; ++pid)
            fs::create_symlink(victim, folder.Path() / ("LTMP." + std::to_string(pid)), error);
        return error ? 1 : 0;
    });
    const int planted = ExitCode(planter.WaitForExit());
    if (planted == kCannotChangeUser)
        GTEST_SKIP() << "only root can act as another user";
    ASSERT_EQ(planted, 0);
    UucpLock lock;
    EXPECT_EQ(lock.Acquire(folder.Path(), kDevice), UucpLock::Result::HeldByOther);
    EXPECT_EQ(ReadFile(victim), "[Modem]\n");
    EXPECT_TRUE(fs::is_symlink(folder.LockFile()));
}
