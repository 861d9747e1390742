#include "files/FileStamp.h"

#include <sys/stat.h>

namespace platform {

FileStamp::FileStamp(std::filesystem::path file) : path(std::move(file))
{
    struct stat status = {};
    if (::stat(path.c_str(), &status) != 0)
        return;
    exists = true;
    device = status.st_dev;
    inode = status.st_ino;
    size = status.st_size;
    modifiedSeconds = status.st_mtim.tv_sec;
    modifiedNanoseconds = status.st_mtim.tv_nsec;
}

} // namespace platform
