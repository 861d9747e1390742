#include "serial/UucpLock.h"

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using platform::UucpLock;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const fs::path kDevice = "/dev/ttyTelmoTest0";

std::string TenColumns(pid_t pid)
{
    const std::string id = std::to_string(pid);
    return std::string(10 - id.size(), ' ') + id + "\n";
}

pid_t EndedProcess()
{
    ChildProcess ended = ChildProcess::Fork([] { return 0; });
    ended.WaitForExit();
    return ended.Pid();
}

// A lock folder as /run/lock is: every user may make files in it and remove only their own.
fs::path LockFolder(const TempFolder& folder)
{
    fs::permissions(folder.path(), fs::perms::all | fs::perms::sticky_bit);
    return folder.path();
}

// Takers of this user, and ordinary users, who cannot signal the lock owner's processes.
class UucpLockTest : public testing::TestWithParam<bool>
{};

} // namespace

TEST(UucpLockOwnerTest, ABinaryPidWhoseBytesLookLikeTextIsReadAsBinary)
{
    const pid_t pid = '9' | ('\t' << 8); // "9\t\0\0" on this machine
    const platform::LockOwner owner =
        platform::ParseLockOwner(std::string(reinterpret_cast<const char*>(&pid), 4));
    EXPECT_EQ(owner.kind, platform::LockOwner::Kind::Process);
    EXPECT_EQ(owner.pid, pid);
}

TEST_P(UucpLockTest, ALiveOwnersLockIsKeptInEveryFormatAndOnlyAProvablyStaleOneTaken)
{
    if (GetParam() && geteuid() != 0)
        GTEST_SKIP() << "only root can act as another user";
    ChildProcess live = ChildProcess::Fork([] { return pause(); });
    const pid_t ended = EndedProcess();
    const auto binary = [](pid_t pid) { return std::string(reinterpret_cast<char*>(&pid), 4); };
    const auto withName = [](pid_t pid) { return TenColumns(pid).substr(0, 10) + " cu ann\n"; };
    using Result = UucpLock::Result;
    const struct
    {
        std::string lock;
        Result result;
        bool justMade = false;
    } rows[] = {
        // clang-format off
        {TenColumns(live.Pid()), Result::HeldByOther}, {TenColumns(ended), Result::Taken},
        {withName(live.Pid()), Result::HeldByOther},   {withName(ended), Result::Taken},
        {binary(live.Pid()), Result::HeldByOther},     {binary(ended), Result::Taken},
        {"", Result::HeldByOther, true},               {"", Result::Taken}, // empty for a minute
        {"garbage\n", Result::HeldByOther},            {"0\n", Result::HeldByOther},
        {std::to_string(ended) + "x\n", Result::HeldByOther},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.lock));
        TempFolder folder;
        const fs::path lockFile = UucpLock::LockFileFor(LockFolder(folder), kDevice);
        ChildProcess taker = (GetParam() ? ForkAsNobody : ChildProcess::Fork)([&] {
            WriteFile(lockFile, row.lock);
            const timespec aMinuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
            if (!row.justMade)
                utimensat(AT_FDCWD, lockFile.c_str(), aMinuteAgo, 0);
            UucpLock lock;
            const Result result = lock.Acquire(folder.path(), kDevice);
            // A lock taken names its holder as the other programs read it.
            const bool named = ReadFile(lockFile) == TenColumns(getpid());
            return result == Result::Taken && !named ? -1 : static_cast<int>(result);
        });
        EXPECT_EQ(ExitCode(taker.WaitForExit()), static_cast<int>(row.result));
        if (row.result == Result::HeldByOther) {
            EXPECT_EQ(ReadFile(lockFile), row.lock);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Takers, UucpLockTest, testing::Values(false, true), [](const auto& taker) {
    return taker.param ? "AnotherUser" : "ThisUser";
});

TEST(UucpLockRaceTest, OfManyProgramsTakingOverOneStaleLockExactlyOneGetsIt)
{
    TempFolder folder;
    const fs::path lockFile = UucpLock::LockFileFor(LockFolder(folder), kDevice);
    int roundsWithoutOneHolder = 0;
    for (int round = 0; round < 150; ++round) {
        WriteFile(lockFile, TenColumns(EndedProcess()));
        const std::vector<int> taken = RunAtOnce(8, [&](int) {
            // Held until this copy of the test ends.
            return (new UucpLock)->Acquire(folder.path(), kDevice) == UucpLock::Result::Taken;
        });
        roundsWithoutOneHolder += std::count(taken.begin(), taken.end(), 1) != 1;
    }
    EXPECT_EQ(roundsWithoutOneHolder, 0) << "of 150";
}

TEST(UucpLockLinkTest, ALinkPlantedInTheLockFolderIsNeverWrittenThroughAndMeansBusy)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can act as another user";
    TempFolder folder, mine;
    const fs::path locks = LockFolder(folder), victim = mine / "telmo.ini";
    WriteFile(victim, "[Modem]\n");
    // Another user plants links where names can be guessed: the lock's, and temporary names
    // made of a process id.
    ChildProcess planter = ForkAsNobody([&] {
        std::error_code error;
        fs::create_symlink(victim, UucpLock::LockFileFor(locks, kDevice), error);
        for (pid_t pid = getppid(); !error && pid < getppid() + 4; ++pid)
            fs::create_symlink(victim, locks / ("LTMP." + std::to_string(pid)), error);
        return error ? 1 : 0;
    });
    ASSERT_EQ(ExitCode(planter.WaitForExit()), 0);
    UucpLock lock;
    EXPECT_EQ(lock.Acquire(locks, kDevice), UucpLock::Result::HeldByOther);
    EXPECT_EQ(ReadFile(victim), "[Modem]\n");
}
