#include "PhoneBookLocation.h"

#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

TEST(PhoneBookLocationTest, ASharedInstallKeepsEachUsersBookAndTakesTheEarlierOneOverOnce)
{
    const struct
    {
        const char* what;
        bool shared;
        const char* earlier;  // the book of an earlier install into ~/.local; nullptr: none
        const char* current;  // the book already in the data folder; nullptr: none
        const char* dataHome; // XDG_DATA_HOME below the home folder; nullptr: unset
        const char* expected; // "own", "user" or "earlier": the book used
        const char* bytes;    // what it holds; nullptr: not made yet
    } rows[] = {
        {"an install of the user's own", false, "old", nullptr, nullptr, "own", nullptr},
        {"a first start", true, nullptr, nullptr, nullptr, "user", nullptr},
        {"XDG_DATA_HOME honoured", true, nullptr, nullptr, "data", "user", nullptr},
        {"the earlier book taken over", true, "old", nullptr, "data", "user", "old"},
        {"never over a book already there", true, "old", "new", nullptr, "user", "new"},
        // A file where the data folder should be: the copy fails.
        {"the earlier book used where it is", true, "old", nullptr, "file", "earlier", "old"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testsupport::TempFolder home, program;
        testsupport::ScopedEnvironment homeVariable("HOME", home.path().string());
        testsupport::ScopedEnvironment dataVariable(
            "XDG_DATA_HOME",
            row.dataHome ? std::optional((home / row.dataHome).string()) : std::nullopt);
        const fs::path earlier = home / ".local/lib/telmo/telmo.ini";
        const fs::path user =
            (row.dataHome ? home / row.dataHome : home / ".local/share") / "telmo" / "telmo.ini";
        if (row.shared)
            WriteFile(program / kSharedInstallMarker, "");
        if (row.earlier) {
            fs::create_directories(earlier.parent_path());
            WriteFile(earlier, row.earlier);
        }
        if (row.current) {
            fs::create_directories(user.parent_path());
            WriteFile(user, row.current);
        }
        if (row.dataHome && std::string(row.dataHome) == "file")
            WriteFile(home / "file", "");

        const fs::path book = PhoneBookFile(program.path(), program.path());
        const std::string expected = row.expected;
        EXPECT_EQ(book, expected == "own"    ? program / "telmo.ini"
                        : expected == "user" ? user
                                             : earlier);
        EXPECT_EQ(fs::exists(book), row.bytes != nullptr);
        EXPECT_EQ(ReadFile(book), row.bytes ? row.bytes : "");
        EXPECT_EQ(fs::is_directory(user.parent_path()), row.shared && expected != "earlier");
        if (row.earlier) {
            EXPECT_EQ(ReadFile(earlier), row.earlier);
        }
    }
}
