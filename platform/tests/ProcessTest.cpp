#include "Process.h"

#include "Shell.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path MakeTempFolder()
{
    fs::path folder = fs::temp_directory_path() / ("telmo-process-" + std::to_string(getpid()));
    fs::create_directories(folder);
    return folder;
}

bool WaitForFile(const fs::path& file)
{
    for (int attempt = 0; attempt < 200 && !fs::exists(file); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(file);
}

} // namespace

TEST(ProcessTest, FindsProgramsOnPathAndRejectsMissingOnes)
{
    ASSERT_TRUE(platform::FindOnPath("sh").has_value());
    EXPECT_FALSE(platform::FindOnPath("telmo-no-such-program").has_value());
    EXPECT_FALSE(platform::FindOnPath("").has_value());
}

TEST(ProcessTest, SpawnPassesArgumentsVerbatimWithoutAShell)
{
    fs::path folder = MakeTempFolder();
    fs::path out = folder / "args.txt";
    // A shell would expand $HOME and split at the blank; a direct start passes both untouched.
    ASSERT_TRUE(platform::SpawnDetached(
        "/bin/sh",
        {"-c", "printf '%s|%s' \"$1\" \"$2\" > args.tmp && mv args.tmp args.txt", "sh", "$HOME",
         "a b;c"},
        folder));
    ASSERT_TRUE(WaitForFile(out));
    std::ifstream in(out);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "$HOME|a b;c");
    fs::remove_all(folder);
}

TEST(ProcessTest, SpawnOfMissingProgramFails)
{
    EXPECT_FALSE(platform::SpawnDetached("/nonexistent/telmo-import", {}));
}

TEST(ShellTest, ExeNamesMapToProgramsInTheWorkingDirectory)
{
    EXPECT_EQ(platform::ExecutableForName("telmo import.exe", "/opt/telmo"),
              fs::path("/opt/telmo/telmo-import"));
    EXPECT_EQ(platform::ExecutableForName("telmo export.exe", "/opt/telmo"),
              fs::path("/opt/telmo/telmo-export"));
    EXPECT_TRUE(platform::ExecutableForName("manual.CHM", "/opt/telmo").empty());
    EXPECT_TRUE(platform::ExecutableForName(".exe", "/opt/telmo").empty());
}

TEST(ShellTest, OpeningAMissingProgramReportsFailure)
{
    EXPECT_FALSE(platform::ShellOpen("telmo import.exe", MakeTempFolder()));

    // The working directory deleted while the program runs: nothing to start, and no end.
    const fs::path previous = fs::current_path();
    const fs::path vanished = MakeTempFolder() / "vanished";
    fs::create_directory(vanished);
    fs::current_path(vanished);
    fs::remove(vanished);
    bool started = true;
    EXPECT_NO_THROW(started = platform::ShellOpen("telmo import.exe"));
    fs::current_path(previous);
    EXPECT_FALSE(started);
}

TEST(ShellTest, HelpFileIsBesideTheProgramWithTheChmExtension)
{
    fs::path help = platform::HelpFilePath();
    EXPECT_EQ(help.extension(), ".CHM");
    EXPECT_EQ(help.parent_path(), platform::ExecutablePath().parent_path());
    EXPECT_EQ(help.stem(), "platform_tests");
}
