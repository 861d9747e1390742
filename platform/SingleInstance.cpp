#include "SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::filesystem::path RuntimeDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if (runtime && *runtime && std::filesystem::is_directory(runtime, error))
        return runtime;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path(error) / ("telmo-" + std::to_string(getuid()));
    // Private to the user, so nobody else can hold the lock on their behalf.
    mkdir(folder.c_str(), S_IRWXU);
    return folder;
}

NamedMutex::NamedMutex(const std::string& name)
{
    std::filesystem::path lockFile = RuntimeDirectory() / (name + ".lock");
    // Close-on-exec: a program started later (the import wizard) must not keep the lock alive.
    m_fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
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
