#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

namespace platform {

// A change that gave up because another program held the file's lock for longer than
// kLockWait: nothing was written, and trying again later may succeed.
enum class FileLockError
{
    Held = 1
};

std::error_code make_error_code(FileLockError error);

// How long a change waits for its file's lock: long enough for another program's change (a few
// milliseconds) to end, short enough that the user interface never stalls on a lock that is
// stuck (a hung lock manager on NFS, a program that keeps the lock).
inline constexpr std::chrono::milliseconds kLockWait{80};

// The small file beside `file` (".<name>.lock", kept) whose lock guards every change of it.
std::filesystem::path LockFileOf(const std::filesystem::path& file);

// What a change makes of a file's bytes (empty for a missing file): the new bytes, or nothing to
// leave the file as it is.
using FileChange = std::function<std::optional<std::string>(const std::string& before)>;

// Reads, changes and replaces a file shared with other programs as one step under its lock
// (links to the file followed), so that two programs never lose each other's changes and a
// crash never leaves half a file. A file that cannot be read is never replaced: the change is
// not asked and the read's error is returned. A change that alters nothing succeeds without a
// write; one that would needs the lock (FileLockError::Held when another program kept it past
// kLockWait), a file and folder not marked read-only, and a successful atomic replacement.
// Temporary files that a writer which died under the lock left beside the file are removed.
[[nodiscard]] std::error_code UpdateLockedFile(const std::filesystem::path& file,
                                               const FileChange& change);

} // namespace platform

template <> struct std::is_error_code_enum<platform::FileLockError> : std::true_type
{};
