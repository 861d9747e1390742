#include "AtomicFile.h"

#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FileNamesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(AtomicFileTest, ReplacesTheWholeFileAndKeepsItsPermissions)
{
    TempFolder folder;
    const fs::path file = folder / "out.csv";
    ASSERT_FALSE(platform::ReplaceFileAtomically(file, "first"));
    EXPECT_EQ(ReadFile(file), "first");

    chmod(file.c_str(), 0640);
    ASSERT_FALSE(platform::ReplaceFileAtomically(file, std::string("a\0b", 3)));
    EXPECT_EQ(ReadFile(file), std::string("a\0b", 3));
    struct stat status;
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(FileNamesIn(folder.path()), std::vector<std::string>{"out.csv"});
}

TEST(AtomicFileTest, AWriteThatFailsHalfwayLeavesTheOldFileAndNoTemporary)
{
    TempFolder folder;
    const fs::path file = folder / "out.csv";
    WriteFile(file, "old");
    std::error_code error;
    {
        testsupport::ScopedFileSizeLimit limit(8);
        error = platform::ReplaceFileAtomically(file, "more than eight bytes");
    }
    EXPECT_EQ(error, std::errc::file_too_large);
    EXPECT_EQ(ReadFile(file), "old");
    EXPECT_EQ(FileNamesIn(folder.path()), std::vector<std::string>{"out.csv"});
}

TEST(AtomicFileTest, AMissingFolderIsReported)
{
    TempFolder folder;
    EXPECT_EQ(platform::ReplaceFileAtomically(folder / "no-such-folder" / "out.csv", "x"),
              std::errc::no_such_file_or_directory);
    EXPECT_EQ(platform::FolderOf("telmo.ini"), fs::path("."));
}
