#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

// One scratch file per fuzzing process for readers that take a path: a file in memory, so a
// million inputs cost no disk, each written over the last one.
class FuzzFile
{
public:
    static FuzzFile& Instance()
    {
        static FuzzFile file;
        return file;
    }

    // The path of the file, now holding exactly these bytes.
    const std::string& Hold(std::string_view bytes)
    {
        if (::ftruncate(m_fd, 0) != 0 ||
            ::pwrite(m_fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
            std::abort(); // the scratch file itself failed; no finding of the target
        return m_path;
    }

private:
    FuzzFile()
        : m_fd(::memfd_create("telmo-fuzz", MFD_CLOEXEC)),
          m_path("/proc/self/fd/" + std::to_string(m_fd))
    {
        if (m_fd < 0)
            std::abort();
    }

    int m_fd;
    std::string m_path;
};

// Splits fuzz input into records at \x1E and fields at \x1F, so one input describes a table.
inline std::vector<std::vector<std::string>> SplitTable(std::string_view data)
{
    std::vector<std::vector<std::string>> table(1, std::vector<std::string>(1));
    for (const char c : data) {
        if (c == '\x1E')
            table.emplace_back(1);
        else if (c == '\x1F')
            table.back().emplace_back();
        else
            table.back().back().push_back(c);
    }
    return table;
}
