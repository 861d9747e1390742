#include "files/AtomicFile.h"

#include "files/FileDescriptor.h"

#include <atomic>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace platform {

namespace {

std::filesystem::path TemporaryNameFor(const std::filesystem::path& file)
{
    static std::atomic<unsigned> counter{0};
    return FolderOf(file) /
           (TemporaryFilePrefix(file) + std::to_string(getpid()) + "-" + std::to_string(counter++));
}

std::error_code WriteAll(int fd, std::string_view bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return LastError();
        written += static_cast<std::size_t>(count);
    }
    return {};
}

// Writes the bytes to a new file and flushes them to disk; mode, when given, sets its permission
// bits, else the process's defaults apply.
std::error_code WriteTemporary(const std::filesystem::path& temporary, std::string_view bytes,
                               std::optional<mode_t> mode)
{
    FileDescriptor fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid())
        return LastError();
    std::error_code error = WriteAll(fd.get(), bytes);
    if (!error && mode && fchmod(fd.get(), *mode) != 0)
        error = LastError();
    if (!error && fsync(fd.get()) != 0)
        error = LastError();
    return error;
}

} // namespace

std::filesystem::path FolderOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::string TemporaryFilePrefix(const std::filesystem::path& file)
{
    return "." + file.filename().string() + ".tmp-";
}

std::filesystem::path ResolveLinks(std::filesystem::path path)
{
    std::error_code error;
    for (int depth = 0; depth < 40 && std::filesystem::is_symlink(path, error); ++depth) {
        std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

std::error_code ReadWholeFile(const std::filesystem::path& path, std::string& bytes, bool& exists)
{
    bytes.clear();
    exists = false;
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return errno == ENOENT ? std::error_code() : LastError();
    exists = true;
    char buffer[65536];
    for (;;) {
        ssize_t count = read(fd.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return LastError();
        if (count == 0)
            return {};
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

std::error_code ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes)
{
    struct stat original;
    std::optional<mode_t> mode;
    if (stat(file.c_str(), &original) == 0)
        mode = original.st_mode & 07777;
    const std::filesystem::path temporary = TemporaryNameFor(file);
    std::error_code error = WriteTemporary(temporary, bytes, mode);
    if (!error && rename(temporary.c_str(), file.c_str()) != 0)
        error = LastError();
    if (error)
        unlink(temporary.c_str());
    // The data was synced before the rename, so after a power cut the folder names either the
    // old or the new file, each whole; the folder itself is not synced, which would double the
    // time of every save for no more than keeping the very last change.
    return error;
}

std::error_code CreateFileAtomically(const std::filesystem::path& file, std::string_view bytes)
{
    const std::filesystem::path temporary = TemporaryNameFor(file);
    std::error_code error = WriteTemporary(temporary, bytes, std::nullopt);
    // A new link, unlike a rename, never takes the place of a file that is already there.
    if (!error && link(temporary.c_str(), file.c_str()) != 0)
        error = LastError();
    unlink(temporary.c_str());
    return error;
}

} // namespace platform
