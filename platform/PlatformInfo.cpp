#include "PlatformInfo.h"

namespace platform {

namespace {

ScopedPlatformVersion* g_answer = nullptr;

constexpr std::uint32_t kMajorVersion = 10;

} // namespace

bool GetVersionEx(OsVersionInfo& info)
{
    if (info.size != sizeof(OsVersionInfo))
        return false;
    info.majorVersion = g_answer ? g_answer->m_majorVersion : kMajorVersion;
    info.minorVersion = 0;
    info.buildNumber = 0;
    info.platformId = g_answer ? g_answer->m_platformId : VER_PLATFORM_WIN32_NT;
    info.servicePack[0] = '\0';
    return true;
}

std::uint32_t GetVersion()
{
    OsVersionInfo info;
    info.size = sizeof info;
    GetVersionEx(info);
    return (info.majorVersion & 0xFF) | (info.minorVersion & 0xFF) << 8;
}

ScopedPlatformVersion::ScopedPlatformVersion(std::uint32_t majorVersion, std::uint32_t platformId)
    : m_previous(g_answer), m_majorVersion(majorVersion), m_platformId(platformId)
{
    g_answer = this;
}

ScopedPlatformVersion::~ScopedPlatformVersion()
{
    g_answer = m_previous;
}

} // namespace platform
