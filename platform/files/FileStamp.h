#pragma once

#include <cstdint>
#include <filesystem>
#include <sys/types.h>

namespace platform {

// What identifies one version of a file on disk, to tell whether it changed since it was read.
struct FileStamp
{
    std::filesystem::path path;
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    FileStamp() = default;
    explicit FileStamp(std::filesystem::path file);
    bool operator==(const FileStamp&) const = default;
};

} // namespace platform
