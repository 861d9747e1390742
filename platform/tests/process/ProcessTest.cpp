#include "process/Process.h"

#include "process/Shell.h"
#include "process/SingleInstance.h"
#include "support/ChildProcess.h"
#include "support/FakeCommands.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/VanishedWorkingFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace platform;
using namespace testsupport;
namespace fs = std::filesystem;

TEST(HelpTest, CompiledHelpOpensOnlyWhenTheDesktopHasAProgramForIt)
{
    // Each row: whether the compiled help is there, what xdg-mime answers (null: no xdg-mime),
    // whether the compiled help opens.
    const std::tuple<const char*, bool, const char*, bool> rows[] = {
        {"a program for it", true, "echo xchm.desktop", true},
        {"no program", true, "echo", false},
        {"xdg-mime fails", true, "echo xchm.desktop; exit 4", false},
        {"no xdg-mime", true, nullptr, false},
        {"no compiled help beside the program", false, "echo xchm.desktop", false},
    };
    for (const auto& [what, compiledHelpFile, xdgMimeAnswer, compiledHelpOpens] : rows) {
        SCOPED_TRACE(what);
        TempFolder program;
        const fs::path chm = program / "telmo.CHM";
        if (compiledHelpFile)
            WriteFile(chm, "ITSF");
        FakeCommands commands;
        if (xdgMimeAnswer)
            commands.Add("xdg-mime", xdgMimeAnswer);
        EXPECT_EQ(HelpToOpen(chm), compiledHelpOpens ? chm : program / "help" / "index.html");
        if (xdgMimeAnswer && compiledHelpFile) {
            EXPECT_EQ(commands.WaitForArguments("xdg-mime"),
                      "query\ndefault\napplication/vnd.ms-htmlhelp\n");
        }
    }
}

TEST(HelpTest, OpenHelpHandsThePagesBesideThisProgramToTheDesktop)
{
    FakeCommands commands;
    commands.Add("xdg-open");
    const fs::path program = ExecutablePath();
    EXPECT_EQ(HelpFilePath(), fs::path(program).replace_extension(".CHM"));
    ASSERT_TRUE(OpenHelp());
    EXPECT_EQ(commands.WaitForArguments("xdg-open"),
              (program.parent_path() / "help" / "index.html").string() + "\n");
}

TEST(ProcessTest, ProgramsStartWithTheirArgumentsVerbatimWithoutAShell)
{
    FakeCommands commands;
    commands.Add("recorder");
    EXPECT_EQ(FindOnPath("recorder"), commands.Folder() / "recorder");
    EXPECT_FALSE(FindOnPath("telmo-no-such-program").has_value());
    EXPECT_FALSE(FindOnPath("").has_value());

    // A shell would expand $HOME and split at the blank and the semicolon.
    ASSERT_TRUE(SpawnDetached(commands.Folder() / "recorder", {"$HOME", "a b;c"}));
    EXPECT_EQ(commands.WaitForArguments("recorder"), "$HOME\na b;c\n");

    EXPECT_EQ(CaptureOutput("/bin/sh", {"-c", "printf 'a b\\n$HOME'; echo err >&2"}), "a b\n$HOME");
    EXPECT_EQ(CaptureOutput("/bin/sh", {"-c", "echo partial; exit 3"}), std::nullopt);
    EXPECT_EQ(CaptureOutput("/nonexistent/xdg-mime", {}), std::nullopt);
}

TEST(ShellTest, AMissingProgramOrADeletedWorkingFolderStartsNothing)
{
    EXPECT_FALSE(ShellOpen("telmo import.exe", TempFolder().path()));
    VanishedWorkingFolder vanished;
    EXPECT_FALSE(ShellOpen("telmo import.exe"));
}

TEST(SingleInstanceTest, OnlyTheFirstProcessOwnsTheMutexWhileItRuns)
{
    TempFolder runtime;
    fs::permissions(runtime.path(), fs::perms::owner_all);
    ScopedEnvironment runtimeVariable("XDG_RUNTIME_DIR", runtime.path().string());
    // A process that holds (or fails to get) the named mutex until its input ends.
    auto StartProbe = [](const char* mutexName) {
        ChildOptions options;
        options.pipeStdin = options.pipeStdout = true;
        return ChildProcess(NAMED_MUTEX_PROBE, {mutexName}, options);
    };
    ChildProcess first = StartProbe("TelmoMutex");
    ASSERT_EQ(first.ReadLine(), "owner");
    EXPECT_EQ(StartProbe("TelmoMutex").ReadLine(), "exists");
    EXPECT_FALSE(NamedMutex("OtherMutex").AlreadyExisted());
    // The kernel releases the mutex with the process that held it.
    first.Signal(SIGKILL);
    ASSERT_TRUE(first.WaitForExit());
    auto owner = std::make_unique<NamedMutex>("TelmoMutex");
    ASSERT_FALSE(owner->AlreadyExisted());

    // A program the owner starts (the import wizard) may outlive it; the mutex must not.
    ChildProcess started = StartProbe("SomethingElse");
    ASSERT_EQ(started.ReadLine(), "owner");
    owner.reset();
    EXPECT_EQ(StartProbe("TelmoMutex").ReadLine(), "owner");
}

TEST(RuntimeDirectoryTest, OnlyAFolderPrivateToTheUserHoldsTheLocks)
{
    auto folderWith = [](fs::perms mode) {
        return [mode](const fs::path& at) { fs::create_directory(at), fs::permissions(at, mode); };
    };
    // What another user (or an accident) left at the folder's place beforehand.
    const std::tuple<const char*, std::function<void(const fs::path&)>, bool> rows[] = {
        {"missing: made private", [](const fs::path&) {}, true},
        {"private already", folderWith(fs::perms::owner_all), true},
        {"open to everyone", folderWith(fs::perms::all), false},
        {"a link to a private folder",
         [&](const fs::path& at) {
             folderWith(fs::perms::owner_all)(fs::path(at).concat("-target"));
             fs::create_directory_symlink(fs::path(at).concat("-target"), at);
         },
         false},
        {"a file", [](const fs::path& at) { WriteFile(at, ""); }, false},
    };
    for (const auto& [what, arrange, used] : rows) {
        SCOPED_TRACE(what);
        TempFolder temporary;
        TempFolder cache;
        const fs::path shared = temporary / ("telmo-" + std::to_string(getuid()));
        arrange(shared);
        ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
        ScopedEnvironment tmp("TMPDIR", temporary.path().string());
        ScopedEnvironment cacheHome("XDG_CACHE_HOME", cache.path().string());
        const std::optional<fs::path> folder = RuntimeDirectory();
        ASSERT_TRUE(folder.has_value());
        EXPECT_EQ(*folder, used ? shared : cache / "telmo");
        EXPECT_TRUE(IsPrivateFolder(*folder));
    }

    // A runtime folder that others can reach is passed over too.
    TempFolder runtime;
    fs::permissions(runtime.path(), fs::perms::all);
    ScopedEnvironment sharedRuntime("XDG_RUNTIME_DIR", runtime.path().string());
    EXPECT_NE(RuntimeDirectory(), runtime.path());
    fs::permissions(runtime.path(), fs::perms::owner_all);
    EXPECT_EQ(RuntimeDirectory(), runtime.path());
}
