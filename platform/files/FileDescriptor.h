#pragma once

#include <cerrno>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {

inline std::error_code LastError()
{
    return {errno, std::generic_category()};
}

// Closes a descriptor on every way out, unless it is handed on with release().
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

} // namespace platform
