#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// True when only the current user can reach folder: a directory itself, not a symbolic link,
// owned by the user, with mode 0700.
bool IsPrivateFolder(const std::filesystem::path& folder);

// The folder for the current user's locks, private so that nobody else can hold a lock on the
// user's behalf: XDG_RUNTIME_DIR; else telmo-<uid> in the temporary folder, made when missing;
// else, when another user has taken that name, telmo in the user's cache folder. Nothing when
// none of them is private.
std::optional<std::filesystem::path> RuntimeDirectory();

// A named mutex that exists once per user: the first holder owns it until it ends (the kernel
// releases it with the process); any later creator learns that it already existed.
class NamedMutex
{
public:
    explicit NamedMutex(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when another process holds the mutex. When no private folder or lock file can be had
    // the guard cannot work, and the program is let through rather than refused.
    bool AlreadyExisted() const { return m_alreadyExisted; }

private:
    int m_fd = -1;
    bool m_alreadyExisted = false;
};

} // namespace platform
