#include "process/SingleInstance.h"

#include "files/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

// folder, made with mode 0700 when missing, if it is private.
std::optional<fs::path> PrivateFolder(const fs::path& folder)
{
    mkdir(folder.c_str(), S_IRWXU);
    if (!IsPrivateFolder(folder))
        return std::nullopt;
    return folder;
}

} // namespace

bool IsPrivateFolder(const fs::path& folder)
{
    struct stat status = {};
    return lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == geteuid() && (status.st_mode & 0777) == S_IRWXU;
}

std::optional<fs::path> RuntimeDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && IsPrivateFolder(runtime))
        return fs::path(runtime);
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (!error) {
        // In the shared temporary folder another user may have taken the name first.
        if (std::optional<fs::path> folder =
                PrivateFolder(temporary / ("telmo-" + std::to_string(getuid()))))
            return folder;
    }
    std::optional<fs::path> cache = UserFolder("XDG_CACHE_HOME", ".cache");
    if (!cache)
        return std::nullopt;
    fs::create_directories(*cache, error);
    return PrivateFolder(*cache / "telmo");
}

NamedMutex::NamedMutex(const std::string& name)
{
    std::optional<fs::path> folder = RuntimeDirectory();
    if (!folder)
        return;
    // Close-on-exec: a program started later (the import wizard) must not keep the lock alive.
    m_fd = open((*folder / (name + ".lock")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                S_IRUSR | S_IWUSR);
    if (m_fd < 0)
        return;
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_alreadyExisted = errno == EWOULDBLOCK;
        close(m_fd);
        m_fd = -1;
    }
}

NamedMutex::~NamedMutex()
{
    if (m_fd >= 0)
        close(m_fd);
}

} // namespace platform
