#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/types.h>

namespace platform {

// Who a lock file names as its owner, as the programs sharing serial ports write it: the process
// id in text (ten columns and a newline; minicom and others add their name and user after it),
// or as four bytes in the machine's order (older programs). A file just made by a program that
// has yet to write its id is empty.
struct LockOwner
{
    enum class Kind
    {
        Process,
        Empty,
        Unrecognised
    };
    Kind kind = Kind::Unrecognised;
    pid_t pid = 0; // for Process: above 0
};

LockOwner ParseLockOwner(std::string_view bytes);

// The lock file that programs sharing a serial port agree on (terminal programs, cu, dialers):
// "LCK..ttyUSB0" in the system's lock folder, holding the owner's process id. Released on
// destruction.
//
// A lock is taken over only when it is stale: it names a process that provably does not exist,
// or it has stayed empty past kEmptyLockAge (its maker died between making and writing it).
// Anything else, a lock this user cannot read or understand included, means the port is busy.
// Telmo never follows a link in the lock folder, and of several programs taking over one stale
// lock exactly one gets it.
class UucpLock
{
public:
    enum class Result
    {
        Taken,
        HeldByOther, // the port is busy: another program holds it, or the lock could not be had
        NotPossible  // no lock folder, or one this user may not write: nothing to agree on
    };

    static constexpr std::chrono::seconds kEmptyLockAge{5};

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
    // The lock this object holds: its name, and the file and process that made it ours, so that
    // only our own file is ever removed (never one that took its place, nor a forked copy's).
    struct OwnLock
    {
        std::filesystem::path file;
        dev_t device = 0;
        ino_t inode = 0;
        pid_t process = 0;
    };
    std::optional<OwnLock> m_held;
};

} // namespace platform
