#pragma once

#include "files/ProfileDocument.h"

#include <filesystem>
#include <functional>
#include <system_error>

namespace platform {

// An initialisation file on disk, shared by both programs. Reading a missing or unreadable file
// gives the callers' defaults. Every change is one locked step on the file (UpdateLockedFile), so
// two programs never lose each other's keys and a crash never leaves half a file. Writes report
// their failure (FileLockError::Held when another program kept the lock too long); a section or
// key name that cannot be written is refused.
class ProfileFile
{
public:
    explicit ProfileFile(std::filesystem::path path);

    const std::filesystem::path& Path() const { return m_path; }

    ProfileDocument Load() const;
    // The same; error tells why a file that exists could not be read (a missing file is empty).
    ProfileDocument Load(std::error_code& error) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    [[nodiscard]] std::error_code WriteString(std::string_view section, std::string_view key,
                                              std::string_view value);
    [[nodiscard]] std::error_code WriteInt(std::string_view section, std::string_view key,
                                           int value);

    // Reads, changes and writes the file as one locked step; writes only when the change
    // altered something.
    [[nodiscard]] std::error_code Update(const std::function<void(ProfileDocument&)>& change);

private:
    std::filesystem::path m_path;
};

} // namespace platform
