#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A folder of its own for one test, removed with everything in it when the test ends.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path Write(const std::string& name, std::string_view bytes) const;

private:
    std::filesystem::path m_path;
};

std::string ReadBytes(const std::filesystem::path& file);
