#include "ProfileFile.h"

#include "AtomicFile.h"
#include "FileDescriptor.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

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

// Writers take a lock on a small file beside the file itself, which outlives every replacement of
// the file, with a byte-range lock: that, unlike flock, works on network file systems too (NFS
// emulates flock with byte-range locks, which need a file open for writing). The lock belongs to
// the open file, not to the process, so two ProfileFile objects in one process exclude each other
// as well. Without a lock service at all (an NFS mount whose lock manager is missing) the lock
// cannot be had; a write then goes ahead without it, still whole thanks to the atomic replacement.
int OpenLockFile(const std::filesystem::path& file)
{
    const std::filesystem::path path = FolderOf(file) / ("." + file.filename().string() + ".lock");
    return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

// `lock` is the result of OpenLockFile, errno still telling why it failed.
std::error_code WaitForWriteLock(const FileDescriptor& lock)
{
    if (!lock.valid())
        return LastError();
    struct flock whole = {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    while (fcntl(lock.get(), F_OFD_SETLKW, &whole) != 0) {
        if (errno == ENOLCK)
            return {};
        if (errno != EINTR)
            return LastError();
    }
    return {};
}

} // namespace

ProfileFile::ProfileFile(std::filesystem::path path) : m_path(std::move(path)) {}

ProfileDocument ProfileFile::Load() const
{
    std::error_code ignored;
    return Load(ignored);
}

ProfileDocument ProfileFile::Load(std::error_code& error) const
{
    std::string bytes;
    bool exists = false;
    error = ReadWholeFile(m_path, bytes, exists);
    if (error)
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
    if (!ProfileDocument::CanWrite(section, key))
        return std::make_error_code(std::errc::invalid_argument);
    return Update([&](ProfileDocument& document) { document.WriteString(section, key, value); });
}

std::error_code ProfileFile::WriteInt(std::string_view section, std::string_view key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

std::error_code ProfileFile::Update(const std::function<void(ProfileDocument&)>& change)
{
    const std::filesystem::path file = ResolveLinks(m_path);
    const std::filesystem::path folder = FolderOf(file);

    // A folder where no lock file can be made (read-only, missing) takes no write either; a
    // change that alters nothing still succeeds there.
    const FileDescriptor lock(OpenLockFile(file));
    const std::error_code lockError = WaitForWriteLock(lock);

    std::string before;
    bool exists = false;
    // A file that exists but cannot be read is never replaced by one holding only the new keys.
    if (std::error_code error = ReadWholeFile(file, before, exists))
        return error;
    ProfileDocument document = ProfileDocument::Parse(before);
    change(document);
    std::string after = document.Serialize();
    if (after == before)
        return {};
    if (lockError)
        return lockError;
    if ((exists && MarkedReadOnly(file)) || MarkedReadOnly(folder))
        return std::make_error_code(std::errc::permission_denied);
    RemoveAbandonedTemporaries(file);
    return ReplaceFileAtomically(file, after);
}

} // namespace platform
