#include "serial/UucpLock.h"

#include "files/FileDescriptor.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace platform {

namespace {

// Longer than any owner line; what follows the first bytes never says more.
constexpr std::size_t kReadLimit = 128;
// Taking over a stale lock may find that another program got there first; a few rounds settle
// who holds the port.
constexpr int kAttempts = 3;

std::optional<pid_t> TextOwner(std::string_view bytes)
{
    const std::size_t start = bytes.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return std::nullopt;
    const char* first = bytes.data() + start;
    const char* last = bytes.data() + bytes.size();
    pid_t pid = 0;
    auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || pid <= 0 ||
        (end != last && std::strchr(" \t\r\n", *end) == nullptr))
        return std::nullopt;
    return pid;
}

bool ProcessIsGone(pid_t pid)
{
    // EPERM means the process exists but belongs to another user: it holds the lock as much as
    // one of ours would.
    return kill(pid, 0) != 0 && errno == ESRCH;
}

bool IsStale(const LockOwner& owner, const struct stat& status)
{
    switch (owner.kind) {
    case LockOwner::Kind::Process:
        return ProcessIsGone(owner.pid);
    case LockOwner::Kind::Empty:
        return std::time(nullptr) - status.st_mtime >= UucpLock::kEmptyLockAge.count();
    case LockOwner::Kind::Unrecognised:
        break;
    }
    return false;
}

enum class InTheWay
{
    Gone, // the lock file is no longer there: try again
    Held  // it holds the port
};

// Looks at the lock file that is in the way and removes it when it is stale. Takers hold an
// flock on the file while they judge and remove it, and remove it only while its name still
// leads to the file they judged: of two programs taking over one stale lock, the second finds
// the first one's live lock in its place and leaves it.
InTheWay RemoveIfStale(const fs::path& file)
{
    FileDescriptor fd(open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return errno == ENOENT ? InTheWay::Gone : InTheWay::Held;
    struct stat opened = {};
    if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || fstat(fd.get(), &opened) != 0 ||
        !S_ISREG(opened.st_mode))
        return InTheWay::Held;
    struct stat named = {};
    if (lstat(file.c_str(), &named) != 0)
        return errno == ENOENT ? InTheWay::Gone : InTheWay::Held;
    if (named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
        return InTheWay::Gone;

    char bytes[kReadLimit];
    const ssize_t count = pread(fd.get(), bytes, sizeof bytes, 0);
    if (count < 0 || !IsStale(ParseLockOwner({bytes, static_cast<std::size_t>(count)}), opened))
        return InTheWay::Held;
    return unlink(file.c_str()) == 0 ? InTheWay::Gone : InTheWay::Held;
}

// Our own lock, written in full under a name nobody can guess before it is linked to the lock's
// name: nobody reads it unwritten, and nobody can plant a link where it is made.
struct WrittenLock
{
    fs::path file;
    struct stat status = {};
};

std::optional<WrittenLock> WriteOwnLock(const fs::path& folder, int& error)
{
    std::string name = (folder / "LTMP.XXXXXX").string();
    FileDescriptor fd(mkostemp(name.data(), O_CLOEXEC));
    if (!fd.valid()) {
        error = errno;
        return std::nullopt;
    }
    WrittenLock written{name};
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    // Readable by all: other programs read the owner to know whether the port is free.
    if (fchmod(fd.get(), 0644) != 0 ||
        write(fd.get(), text, static_cast<std::size_t>(length)) != length ||
        fstat(fd.get(), &written.status) != 0) {
        error = errno ? errno : EIO;
        unlink(name.c_str());
        return std::nullopt;
    }
    return written;
}

} // namespace

LockOwner ParseLockOwner(std::string_view bytes)
{
    if (bytes.empty())
        return {LockOwner::Kind::Empty};
    // Text never holds a NUL, and a binary pid always does (pids stay far below 2^24): a binary
    // pid whose low bytes happen to be a digit and a blank is still read as binary.
    const bool text = bytes.find('\0') == std::string_view::npos;
    if (std::optional<pid_t> pid = text ? TextOwner(bytes) : std::nullopt)
        return {LockOwner::Kind::Process, *pid};
    std::int32_t binary = 0;
    if (bytes.size() == sizeof binary) {
        std::memcpy(&binary, bytes.data(), sizeof binary);
        if (binary > 0)
            return {LockOwner::Kind::Process, binary};
    }
    return {};
}

UucpLock::~UucpLock()
{
    Release();
}

UucpLock::UucpLock(UucpLock&& other) noexcept : m_held(std::exchange(other.m_held, std::nullopt)) {}

UucpLock& UucpLock::operator=(UucpLock&& other) noexcept
{
    if (this != &other) {
        Release();
        m_held = std::exchange(other.m_held, std::nullopt);
    }
    return *this;
}

fs::path UucpLock::LockFileFor(const fs::path& folder, const fs::path& device)
{
    std::error_code error;
    fs::path real = fs::canonical(device, error);
    if (error)
        real = device.lexically_normal();
    fs::path belowDev = real.lexically_relative("/dev");
    std::string name = belowDev.empty() || belowDev.string().starts_with("..")
                           ? real.filename().string()
                           : belowDev.string();
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return folder / ("LCK.." + name);
}

UucpLock::Result UucpLock::Acquire(const fs::path& folder, const fs::path& device)
{
    Release();
    std::error_code folderError;
    if (!fs::is_directory(folder, folderError))
        return Result::NotPossible;
    int error = 0;
    std::optional<WrittenLock> own = WriteOwnLock(folder, error);
    if (!own) {
        const bool unwritable = error == EACCES || error == EPERM || error == EROFS ||
                                error == ENOENT || error == ENOTDIR;
        return unwritable ? Result::NotPossible : Result::HeldByOther;
    }

    const fs::path file = LockFileFor(folder, device);
    Result result = Result::HeldByOther;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (link(own->file.c_str(), file.c_str()) == 0) {
            m_held = OwnLock{file, own->status.st_dev, own->status.st_ino, getpid()};
            result = Result::Taken;
            break;
        }
        if (errno != EEXIST || RemoveIfStale(file) == InTheWay::Held)
            break;
    }
    unlink(own->file.c_str());
    return result;
}

void UucpLock::Release()
{
    if (!m_held)
        return;
    struct stat named = {};
    if (m_held->process == getpid() && lstat(m_held->file.c_str(), &named) == 0 &&
        named.st_dev == m_held->device && named.st_ino == m_held->inode)
        unlink(m_held->file.c_str());
    m_held.reset();
}

} // namespace platform
