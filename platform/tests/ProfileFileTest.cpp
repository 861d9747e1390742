#include "ProfileFile.h"

#include "support/TempFolder.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <random>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using platform::ProfileDocument;
using platform::ProfileFile;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

pid_t StartWriter(const std::vector<std::string>& arguments)
{
    std::vector<std::string> storage{PROFILE_STRESS_WRITER};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, PROFILE_STRESS_WRITER, nullptr, nullptr, argv.data(), nullptr), 0);
    return pid;
}

int WaitForExit(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

std::vector<fs::path> FilesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& item : fs::directory_iterator(folder))
        files.push_back(item.path().filename());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(ProfileFileTest, MissingFileReadsDefaultsAndTheFirstWriteCreatesIt)
{
    TempFolder folder;
    ProfileFile file(folder / "telmo.ini");
    EXPECT_EQ(file.ReadInt("General", "Count", 0), 0);
    EXPECT_EQ(file.ReadString("Item0", "Name", "none"), "none");
    EXPECT_FALSE(fs::exists(folder / "telmo.ini")) << "reading must not create the file";

    ASSERT_FALSE(file.WriteInt("General", "Count", 1));
    EXPECT_EQ(ReadFile(folder / "telmo.ini"), "[General]\nCount=1\n");
    EXPECT_EQ(FilesIn(folder.path()), (std::vector<fs::path>{".telmo.ini.lock", "telmo.ini"}))
        << "no temporaries left";
}

TEST(ProfileFileTest, AnUpdateIsOneWriteThatKeepsPermissionsAndFollowsLinks)
{
    TempFolder folder;
    fs::create_directory(folder / "data");
    WriteFile(folder / "data" / "real.ini", "[General]\r\nCount=0\r\n");
    chmod((folder / "data" / "real.ini").c_str(), 0640);
    fs::create_symlink("data/real.ini", folder / "telmo.ini");

    ProfileFile file(folder / "telmo.ini");
    ASSERT_FALSE(file.Update([](ProfileDocument& document) {
        document.WriteInt("General", "Count", 1);
        document.WriteString("Item0", "Name", "Ann");
    }));

    EXPECT_TRUE(fs::is_symlink(folder / "telmo.ini"));
    EXPECT_EQ(ReadFile(folder / "data" / "real.ini"),
              "[General]\r\nCount=1\r\n[Item0]\r\nName=Ann\r\n");
    struct stat status;
    ASSERT_EQ(stat((folder / "data" / "real.ini").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST(ProfileFileTest, UpdateThatChangesNothingDoesNotTouchTheFile)
{
    TempFolder folder;
    WriteFile(folder / "telmo.ini", "[General]\nCount=2\n");
    chmod((folder / "telmo.ini").c_str(), 0444);
    ProfileFile file(folder / "telmo.ini");
    EXPECT_FALSE(file.WriteInt("General", "Count", 2));
    EXPECT_FALSE(file.Update([](ProfileDocument&) {}));
    EXPECT_FALSE(ProfileFile(folder / "new.ini").Update([](ProfileDocument&) {}));
    EXPECT_FALSE(fs::exists(folder / "new.ini")) << "an empty change creates no file";
}

TEST(ProfileFileTest, FailedWritesAreReportedAndLeaveTheFileAsItWas)
{
    TempFolder folder;
    const std::string original = "[General]\nCount=2\n";

    WriteFile(folder / "readonly.ini", original);
    chmod((folder / "readonly.ini").c_str(), 0444);
    EXPECT_TRUE(ProfileFile(folder / "readonly.ini").WriteInt("General", "Count", 3));
    EXPECT_EQ(ReadFile(folder / "readonly.ini"), original);

    fs::create_directory(folder / "locked");
    WriteFile(folder / "locked" / "telmo.ini", original);
    chmod((folder / "locked").c_str(), 0555);
    EXPECT_TRUE(ProfileFile(folder / "locked" / "telmo.ini").WriteInt("General", "Count", 3));
    EXPECT_TRUE(ProfileFile(folder / "locked" / "new.ini").WriteInt("General", "Count", 3));
    chmod((folder / "locked").c_str(), 0755);
    EXPECT_EQ(ReadFile(folder / "locked" / "telmo.ini"), original);
    EXPECT_FALSE(fs::exists(folder / "locked" / "new.ini"));

    EXPECT_TRUE(
        ProfileFile(folder / "no-such-folder" / "telmo.ini").WriteInt("General", "Count", 1));
}

TEST(ProfileFileTest, AFileThatCannotBeReadIsNeverReplaced)
{
    TempFolder folder;
    fs::create_directory(folder / "telmo.ini"); // a folder where the file should be
    ProfileFile file(folder / "telmo.ini");
    EXPECT_EQ(file.ReadInt("General", "Count", 7), 7);
    std::error_code readError;
    file.Load(readError);
    EXPECT_TRUE(readError) << "the reader learns why the file reads as empty";
    std::error_code missingError;
    ProfileFile(folder / "missing.ini").Load(missingError);
    EXPECT_FALSE(missingError) << "a missing file is an empty one";
    EXPECT_TRUE(file.WriteInt("General", "Count", 1));
    EXPECT_TRUE(fs::is_directory(folder / "telmo.ini"));
}

TEST(ProfileFileTest, TwoProcessesWritingAtOnceLoseNoKey)
{
    TempFolder folder;
    const std::string path = (folder / "telmo.ini").string();
    pid_t first = StartWriter({"distinct", path, "a", "500"});
    pid_t second = StartWriter({"distinct", path, "b", "500"});
    EXPECT_EQ(WaitForExit(first), 0);
    EXPECT_EQ(WaitForExit(second), 0);

    const ProfileDocument document = ProfileFile(path).Load();
    int found = 0;
    for (int i = 0; i < 500; ++i) {
        found += document.ReadInt("Keys", "a" + std::to_string(i), -1) == i;
        found += document.ReadInt("Keys", "b" + std::to_string(i), -1) == i;
    }
    EXPECT_EQ(found, 1000);
}

TEST(ProfileFileTest, AWriterKilledAtAnyMomentLeavesAWholeFile)
{
    TempFolder folder;
    const fs::path path = folder / "telmo.ini";
    const int keys = 40;
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicroseconds(0, 20000);

    for (int attempt = 0; attempt < 100; ++attempt) {
        pid_t writer = StartWriter({"rounds", path.string(), std::to_string(keys)});
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        kill(writer, SIGKILL);
        WaitForExit(writer);

        // Every write sets all keys to one round, so a whole file holds one round everywhere
        // (or no key at all, when the writer died before its first write).
        const ProfileDocument document = ProfileFile(path).Load();
        const std::string round = document.ReadString("Keys", "k0", "missing");
        for (int key = 1; key < keys; ++key)
            ASSERT_EQ(document.ReadString("Keys", "k" + std::to_string(key), "missing"), round)
                << "attempt " << attempt;
    }
    // A temporary file abandoned by a killed writer is cleared by the next write.
    ASSERT_FALSE(ProfileFile(path).WriteString("Keys", "after", "1"));
    EXPECT_EQ(FilesIn(folder.path()), (std::vector<fs::path>{".telmo.ini.lock", "telmo.ini"}));
}

// The lock is a byte-range lock on a file beside telmo.ini, the kind of lock that network file
// systems (NFS) support; a lock on the folder would not exclude a writer that honours only these.
TEST(ProfileFileTest, AWriterWaitsForTheByteRangeLockBesideTheFile)
{
    TempFolder folder;
    const int held = open((folder / ".telmo.ini.lock").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(held, 0);
    struct flock whole = {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    ASSERT_EQ(fcntl(held, F_OFD_SETLK, &whole), 0);

    ProfileFile file(folder / "telmo.ini");
    auto write =
        std::async(std::launch::async, [&] { return file.WriteInt("General", "Count", 1); });
    EXPECT_EQ(write.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout)
        << "the write went ahead while another writer held the lock";
    close(held);
    ASSERT_EQ(write.wait_for(std::chrono::seconds(30)), std::future_status::ready)
        << "the write never got the lock after it was released";
    EXPECT_FALSE(write.get());
    EXPECT_EQ(file.ReadInt("General", "Count", 0), 1);
}

TEST(ProfileFileTest, ANameThatCouldNotBeReadBackIsRefused)
{
    TempFolder folder;
    ProfileFile file(folder / "telmo.ini");
    EXPECT_EQ(file.WriteString("Item0]\n[General", "Count", "9"),
              std::make_error_code(std::errc::invalid_argument));
    EXPECT_EQ(file.WriteInt("Item0", "Pos=1\nCount", 9),
              std::make_error_code(std::errc::invalid_argument));
    EXPECT_FALSE(fs::exists(folder / "telmo.ini"));
}
