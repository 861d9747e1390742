#pragma once

#include <filesystem>
#include <string>

namespace platform {

// The folder for the current user's locks: XDG_RUNTIME_DIR, or a private folder under the
// temporary folder when the desktop does not provide one.
std::filesystem::path RuntimeDirectory();

// A named mutex that exists once per user: the first holder owns it until it ends (the kernel
// releases it with the process); any later creator learns that it already existed.
class NamedMutex
{
public:
    explicit NamedMutex(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when another process holds the mutex. When the lock file cannot be made at all the
    // guard cannot work, and the program is let through rather than refused.
    bool AlreadyExisted() const { return m_alreadyExisted; }

private:
    int m_fd = -1;
    bool m_alreadyExisted = false;
};

} // namespace platform
