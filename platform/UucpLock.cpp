#include "UucpLock.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace platform {

namespace {

// The owner's process id, or nothing when the file holds none.
std::optional<pid_t> ReadOwner(const fs::path& file)
{
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos)
        return std::nullopt;
    pid_t pid = 0;
    auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), pid);
    if (error != std::errc() || end != text.data() + text.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

bool IsAlive(pid_t pid)
{
    return kill(pid, 0) == 0 || errno == EPERM;
}

// Writes our id into a file of our own and links it to the lock's name, so that nobody ever
// reads a lock that is not yet written.
int LinkNewLock(const fs::path& file)
{
    fs::path temporary = file.parent_path() / ("LTMP." + std::to_string(getpid()));
    FileDescriptor fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.valid())
        return errno;
    char text[16];
    int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    int result = write(fd.get(), text, static_cast<std::size_t>(length)) == length ? 0 : EIO;
    if (result == 0 && link(temporary.c_str(), file.c_str()) != 0)
        result = errno;
    unlink(temporary.c_str());
    return result;
}

} // namespace

UucpLock::~UucpLock()
{
    Release();
}

UucpLock::UucpLock(UucpLock&& other) noexcept : m_file(std::exchange(other.m_file, {})) {}

UucpLock& UucpLock::operator=(UucpLock&& other) noexcept
{
    if (this != &other) {
        Release();
        m_file = std::exchange(other.m_file, {});
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
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return Result::NotPossible;
    fs::path file = LockFileFor(folder, device);
    // Twice at most: once more after a stale lock was cleared away.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int result = LinkNewLock(file);
        if (result == 0) {
            m_file = file;
            return Result::Taken;
        }
        if (result != EEXIST)
            return Result::NotPossible;
        std::optional<pid_t> owner = ReadOwner(file);
        if (owner && IsAlive(*owner))
            return Result::HeldByOther;
        unlink(file.c_str());
    }
    return Result::HeldByOther;
}

void UucpLock::Release()
{
    if (m_file.empty())
        return;
    // Only a lock that is still ours is removed.
    if (ReadOwner(m_file) == getpid())
        unlink(m_file.c_str());
    m_file.clear();
}

} // namespace platform
