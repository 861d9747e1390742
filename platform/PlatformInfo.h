#pragma once

#include <cstdint>

namespace platform {

// Platform ids, numbered as the original platform numbers them.
constexpr std::uint32_t VER_PLATFORM_WIN32s = 0;
constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

// The version record of the original platform, laid out as it is there (148 bytes); callers set
// size to sizeof(OsVersionInfo) before asking.
struct OsVersionInfo
{
    std::uint32_t size = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::uint32_t platformId = 0;
    char servicePack[128] = {};
};
static_assert(sizeof(OsVersionInfo) == 148);

// This system answers as the NT family (platform id 2), major version 10, unless a test has
// installed another answer. False, and nothing filled, when size is not 148.
bool GetVersionEx(OsVersionInfo& info);

// The version as one number: major version in the low byte, minor version in the next one.
std::uint32_t GetVersion();

// While alive, the version calls give this answer instead of the system's.
class ScopedPlatformVersion
{
public:
    ScopedPlatformVersion(std::uint32_t majorVersion, std::uint32_t platformId);
    ~ScopedPlatformVersion();
    ScopedPlatformVersion(const ScopedPlatformVersion&) = delete;
    ScopedPlatformVersion& operator=(const ScopedPlatformVersion&) = delete;

private:
    ScopedPlatformVersion* m_previous;
    std::uint32_t m_majorVersion;
    std::uint32_t m_platformId;

    friend bool GetVersionEx(OsVersionInfo& info);
};

} // namespace platform
