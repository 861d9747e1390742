#pragma once

#include <filesystem>

namespace platform {

// The lock file that programs sharing a serial port agree on (terminal programs, cu, dialers):
// "LCK..ttyUSB0" in the system's lock folder, holding the owner's process id as ten characters
// and a line break. A lock whose owner is gone is stale and taken over. Released on destruction.
class UucpLock
{
public:
    enum class Result
    {
        Taken,
        HeldByOther, // a live process, this one included, holds the port
        NotPossible  // no lock folder, or one this user may not write: nothing to agree on
    };

    UucpLock() = default;
    ~UucpLock();
    UucpLock(UucpLock&& other) noexcept;
    UucpLock& operator=(UucpLock&& other) noexcept;

    Result Acquire(const std::filesystem::path& folder, const std::filesystem::path& device);
    void Release();

    // "LCK.." and the device's path below /dev with "/" as "_" (ttyUSB0, pts_3), its links
    // followed first so that every name of one device locks the same file.
    static std::filesystem::path LockFileFor(const std::filesystem::path& folder,
                                             const std::filesystem::path& device);

private:
    std::filesystem::path m_file;
};

} // namespace platform
