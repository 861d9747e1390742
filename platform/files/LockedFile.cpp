#include "files/LockedFile.h"

#include "files/AtomicFile.h"
#include "files/FileDescriptor.h"

#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace platform {

namespace {

class FileLockCategory : public std::error_category
{
public:
    const char* name() const noexcept override { return "file lock"; }
    std::string message(int) const override
    {
        return "another program is changing the file and holds its lock";
    }
};

// The user's read-only marking is honoured even for a user (root) whom the system would let write.
bool MarkedReadOnly(const std::filesystem::path& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0;
}

// Only a writer holding the lock creates temporary files, so any found under the lock were left
// by a writer that died; they are removed rather than left to pile up beside the file.
void RemoveAbandonedTemporaries(const std::filesystem::path& file)
{
    const std::string prefix = TemporaryFilePrefix(file);
    std::error_code error;
    // Stepped with an error code: a folder that fails to list part-way must not end the program.
    for (std::filesystem::directory_iterator item(FolderOf(file), error), end;
         !error && item != end; item.increment(error)) {
        std::error_code ignored;
        if (item->path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::remove(item->path(), ignored);
    }
}

// One wait for the lock, made on a thread of its own so that the waiting caller can give up: a
// lock request on a network file system whose lock manager hangs does not return at all. An
// attempt given up closes the lock file itself once its request returns, which frees the lock
// should it have been granted after all.
class LockAttempt
{
public:
    explicit LockAttempt(int fd) : m_fd(fd) {}

    void Run()
    {
        Enter(State::Asking);
        struct flock whole = {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        int result = 0;
        while (fcntl(m_fd, F_OFD_SETLKW, &whole) != 0) {
            if (errno != EINTR) {
                result = errno;
                break;
            }
        }
        std::lock_guard guard(m_mutex);
        m_result = result;
        if (m_givenUp)
            close(m_fd);
        m_state = State::Answered;
        m_changed.notify_all();
    }

    // The request's errno (0: granted) when it was answered within the wait; else the attempt
    // is given up. The wait counts from the request, not from the thread's start, so that a busy
    // machine that is slow to run the thread never passes for a lock held by another program.
    std::optional<int> Result(std::chrono::milliseconds wait)
    {
        std::unique_lock guard(m_mutex);
        m_changed.wait(guard, [this] { return m_state != State::Starting; });
        if (m_changed.wait_for(guard, wait, [this] { return m_state == State::Answered; }))
            return m_result;
        m_givenUp = true;
        return std::nullopt;
    }

private:
    enum class State
    {
        Starting,
        Asking,
        Answered
    };

    void Enter(State state)
    {
        std::lock_guard guard(m_mutex);
        m_state = state;
        m_changed.notify_all();
    }

    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = State::Starting;
    bool m_givenUp = false;
    int m_result = 0;
};

// Takes the lock on the lock file beside `file` with a byte-range lock: that, unlike flock, works
// on network file systems too (NFS emulates flock with byte-range locks, which need a file open
// for writing). The lock belongs to the open file, not to the process, so two writers in one
// process exclude each other as well. Without a lock service at all (an NFS mount whose lock
// manager is missing) the lock cannot be had; a write then goes ahead without it, still whole
// thanks to the atomic replacement.
FileDescriptor TakeLock(const std::filesystem::path& file, std::error_code& error)
{
    error.clear();
    FileDescriptor opened(open(LockFileOf(file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!opened.valid()) {
        error = LastError();
        return FileDescriptor(-1);
    }
    auto attempt = std::make_shared<LockAttempt>(opened.get());
    try {
        std::thread([attempt] { attempt->Run(); }).detach();
    } catch (const std::system_error& failure) {
        error = failure.code();
        return FileDescriptor(-1);
    }
    const std::optional<int> result = attempt->Result(kLockWait);
    if (!result) {
        opened.release(); // the attempt closes it
        error = FileLockError::Held;
    } else if (*result != 0 && *result != ENOLCK) {
        error = {*result, std::generic_category()};
    }
    return FileDescriptor(result && *result == 0 ? opened.release() : -1);
}

} // namespace

std::error_code make_error_code(FileLockError error)
{
    static const FileLockCategory category;
    return {static_cast<int>(error), category};
}

std::filesystem::path LockFileOf(const std::filesystem::path& file)
{
    return FolderOf(file) / ("." + file.filename().string() + ".lock");
}

std::error_code UpdateLockedFile(const std::filesystem::path& path, const FileChange& change)
{
    const std::filesystem::path file = ResolveLinks(path);
    const std::filesystem::path folder = FolderOf(file);

    // A folder where no lock file can be made (read-only, missing) takes no write either; a
    // change that alters nothing still succeeds there.
    std::error_code lockError;
    const FileDescriptor lock = TakeLock(file, lockError);

    std::string before;
    bool exists = false;
    // A file that exists but cannot be read is never replaced by one holding only the changes.
    if (std::error_code error = ReadWholeFile(file, before, exists))
        return error;
    const std::optional<std::string> after = change(before);
    if (!after || *after == before)
        return {};
    if (lockError)
        return lockError;
    if ((exists && MarkedReadOnly(file)) || MarkedReadOnly(folder))
        return std::make_error_code(std::errc::permission_denied);
    RemoveAbandonedTemporaries(file);
    return ReplaceFileAtomically(file, *after);
}

} // namespace platform
