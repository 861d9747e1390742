#include "PhoneBookLocation.h"

#include "files/AtomicFile.h"
#include "files/UserFolders.h"

#include <string>

namespace fs = std::filesystem;

namespace {

// The book of an installation of the user's own into the default place, ~/.local.
std::optional<fs::path> EarlierPhoneBook()
{
    std::optional<fs::path> home = platform::HomeFolder();
    if (!home)
        return std::nullopt;
    fs::path book = *home / ".local" / "lib" / "telmo" / "telmo.ini";
    std::error_code error;
    if (!fs::is_regular_file(book, error))
        return std::nullopt;
    return book;
}

// The book to use once `earlier` has been copied to `book`, or could not be.
fs::path TakeOver(const fs::path& earlier, const fs::path& book)
{
    std::string bytes;
    bool exists = false;
    if (platform::ReadWholeFile(earlier, bytes, exists))
        return earlier;
    if (!exists)
        return book;
    const std::error_code error = platform::CreateFileAtomically(book, bytes);
    return !error || error == std::errc::file_exists ? book : earlier;
}

} // namespace

bool IsSharedInstall(const fs::path& programFolder)
{
    std::error_code error;
    return fs::exists(programFolder / kSharedInstallMarker, error);
}

fs::path PhoneBookFile(const fs::path& programFolder, const fs::path& ownFolder)
{
    if (IsSharedInstall(programFolder))
        if (std::optional<fs::path> book = UserPhoneBook())
            return *book;
    return ownFolder / "telmo.ini";
}

std::optional<fs::path> UserPhoneBook()
{
    std::optional<fs::path> data = platform::UserFolder("XDG_DATA_HOME", ".local/share");
    if (!data)
        return std::nullopt;
    const fs::path book = *data / "telmo" / "telmo.ini";
    std::error_code error;
    fs::create_directories(book.parent_path(), error);
    if (fs::exists(book, error))
        return book;
    if (std::optional<fs::path> earlier = EarlierPhoneBook())
        return TakeOver(*earlier, book);
    return book;
}
