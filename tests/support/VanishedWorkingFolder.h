#pragma once

#include "TempFolder.h"

#include <filesystem>

namespace testsupport {

// While alive, the process's working folder is one that has been deleted, as when the user
// removes the folder a program was started from; the previous one comes back at the end.
class VanishedWorkingFolder
{
public:
    VanishedWorkingFolder()
    {
        const std::filesystem::path gone = m_parent / "vanished";
        std::filesystem::create_directory(gone);
        std::filesystem::current_path(gone);
        std::filesystem::remove(gone);
    }
    ~VanishedWorkingFolder() { std::filesystem::current_path(m_previous); }
    VanishedWorkingFolder(const VanishedWorkingFolder&) = delete;
    VanishedWorkingFolder& operator=(const VanishedWorkingFolder&) = delete;

private:
    std::filesystem::path m_previous = std::filesystem::current_path();
    TempFolder m_parent;
};

} // namespace testsupport
