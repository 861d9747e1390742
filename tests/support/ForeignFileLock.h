#pragma once

#include "ChildProcess.h"

#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace testsupport {

// Another process holding a byte-range write lock on a whole file, the way any program may lock
// it, from construction until destruction.
class ForeignFileLock
{
public:
    explicit ForeignFileLock(const std::filesystem::path& file)
    {
        int held[2];
        if (pipe(held) != 0)
            throw std::runtime_error("no pipe");
        m_holder.emplace(ChildProcess::Fork([&] {
            struct flock whole = {};
            whole.l_type = F_WRLCK;
            const int fd = open(file.c_str(), O_RDWR | O_CREAT, 0666);
            if (fd < 0 || fcntl(fd, F_SETLKW, &whole) != 0 || write(held[1], "x", 1) != 1)
                return 1;
            return pause();
        }));
        char byte = 0;
        const bool locked = read(held[0], &byte, 1) == 1;
        close(held[0]), close(held[1]);
        if (!locked)
            throw std::runtime_error("the file could not be locked");
    }

private:
    std::optional<ChildProcess> m_holder;
};

} // namespace testsupport
