#include "ProfileFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

// Closes a descriptor on every way out.
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

private:
    int m_fd;
};

// A symbolic link to the file is followed, so that writing replaces the file it points to and
// the link itself stays.
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

std::filesystem::path FolderOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// Reads the whole file. A missing file reads as empty; any other failure is reported, so that a
// file that exists but cannot be read is never replaced by a file holding only the new keys.
std::error_code ReadAll(const std::filesystem::path& path, std::string& bytes, bool& exists)
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

std::error_code WriteAll(int fd, const std::string& bytes)
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

// The user's read-only marking is honoured even for a user (root) whom the system would let write.
bool MarkedReadOnly(const std::filesystem::path& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0;
}

std::filesystem::path TemporaryNameFor(const std::filesystem::path& file)
{
    static std::atomic<unsigned> counter{0};
    return FolderOf(file) / ("." + file.filename().string() + ".tmp-" + std::to_string(getpid()) +
                             "-" + std::to_string(counter++));
}

// Only a writer holding the lock creates temporary files, so any found under the lock were left
// by a writer that died; they are removed rather than left to pile up beside the file.
void RemoveAbandonedTemporaries(const std::filesystem::path& file)
{
    const std::string prefix = "." + file.filename().string() + ".tmp-";
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(FolderOf(file), error)) {
        if (item.path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::remove(item.path(), error);
    }
}

std::error_code ReplaceAtomically(const std::filesystem::path& file, int folderFd,
                                  const std::string& bytes, bool fileExists)
{
    struct stat original;
    bool keepMode = fileExists && stat(file.c_str(), &original) == 0;
    std::filesystem::path temporary = TemporaryNameFor(file);
    FileDescriptor fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid())
        return LastError();

    std::error_code error = WriteAll(fd.get(), bytes);
    if (!error && keepMode && fchmod(fd.get(), original.st_mode & 07777) != 0)
        error = LastError();
    if (!error && fsync(fd.get()) != 0)
        error = LastError();
    if (!error && rename(temporary.c_str(), file.c_str()) != 0)
        error = LastError();
    if (error) {
        unlink(temporary.c_str());
        return error;
    }
    fsync(folderFd);
    return {};
}

} // namespace

ProfileFile::ProfileFile(std::filesystem::path path) : m_path(std::move(path)) {}

ProfileDocument ProfileFile::Load() const
{
    std::string bytes;
    bool exists = false;
    if (ReadAll(m_path, bytes, exists))
        bytes.clear();
    return ProfileDocument::Parse(bytes);
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const
{
    return Load().ReadString(section, key, defaultValue);
}

int ProfileFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const
{
    return Load().ReadInt(section, key, defaultValue);
}

std::error_code ProfileFile::WriteString(std::string_view section, std::string_view key,
                                         std::string_view value)
{
    return Update([&](ProfileDocument& document) { document.WriteString(section, key, value); });
}

std::error_code ProfileFile::WriteInt(std::string_view section, std::string_view key, int value)
{
    return Update([&](ProfileDocument& document) { document.WriteInt(section, key, value); });
}

std::error_code ProfileFile::Update(const std::function<void(ProfileDocument&)>& change)
{
    const std::filesystem::path file = ResolveLinks(m_path);
    const std::filesystem::path folder = FolderOf(file);

    // The lock is taken on the folder, which outlives every replacement of the file itself.
    FileDescriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.valid())
        return LastError();
    while (flock(folderFd.get(), LOCK_EX) != 0)
        if (errno != EINTR)
            return LastError();

    std::string before;
    bool exists = false;
    if (std::error_code error = ReadAll(file, before, exists))
        return error;
    ProfileDocument document = ProfileDocument::Parse(before);
    change(document);
    std::string after = document.Serialize();
    if (after == before)
        return {};
    if ((exists && MarkedReadOnly(file)) || MarkedReadOnly(folder))
        return std::make_error_code(std::errc::permission_denied);
    RemoveAbandonedTemporaries(file);
    return ReplaceAtomically(file, folderFd.get(), after, exists);
}

} // namespace platform
