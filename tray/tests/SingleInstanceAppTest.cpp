#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The process holding a lock taken with flock on the file, as the kernel lists it; 0 for none.
pid_t LockHolder(const std::filesystem::path& file)
{
    struct stat status = {};
    if (stat(file.c_str(), &status) != 0)
        return 0;
    const std::string inode = ":" + std::to_string(status.st_ino) + " ";
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        if (line.find(" FLOCK ") == std::string::npos || line.find(inode) == std::string::npos)
            continue;
        std::istringstream fields(line.substr(line.find("WRITE") + 5));
        pid_t pid = 0;
        fields >> pid;
        return pid;
    }
    return 0;
}

} // namespace

TEST(SingleInstanceAppTest, ASecondStartEndsAtOnceAndTheLockGoesWithTheFirst)
{
    testsupport::TempFolder runtime, first, second;
    // A runtime folder that others could reach would not be used for the lock.
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
    const std::filesystem::path lock = runtime / "TelmoMutex.lock";
    auto start = [&](const testsupport::TempFolder& folder) {
        return testsupport::ChildProcess(
            TELMO_EXECUTABLE, {}, {folder.path(), {"XDG_RUNTIME_DIR=" + runtime.path().string()}});
    };

    testsupport::ChildProcess telmo = start(first);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return LockHolder(lock) == telmo.Pid(); }))
        << "the first start never took the lock";
    testsupport::ChildProcess again = start(second);
    EXPECT_EQ(testsupport::ExitCode(again.WaitForExit()), 0);
    EXPECT_TRUE(std::filesystem::is_empty(second.path())) << "the second start touched a file";
    EXPECT_TRUE(telmo.Running());

    telmo.Signal(SIGKILL);
    telmo.WaitForExit();
    testsupport::ChildProcess next = start(first);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return LockHolder(lock) == next.Pid(); }))
        << "the lock outlived the program that held it";
}
