#include "files/ProfileFile.h"

#include "files/AtomicFile.h"
#include "files/LockedFile.h"

namespace platform {

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
    return UpdateLockedFile(m_path, [&](const std::string& before) -> std::optional<std::string> {
        ProfileDocument document = ProfileDocument::Parse(before);
        change(document);
        return document.Serialize();
    });
}

} // namespace platform
