#include "PlatformInfo.h"

namespace platform {

namespace {

OsVersionInfo g_version;

} // namespace

OsVersionInfo GetVersionEx()
{
    return g_version;
}

std::uint32_t GetVersion()
{
    return (g_version.majorVersion & 0xFFu) | (g_version.minorVersion & 0xFFu) << 8 |
           (g_version.buildNumber & 0x7FFFu) << 16;
}

ScopedOsVersion::ScopedOsVersion(const OsVersionInfo& version) : m_previous(g_version)
{
    g_version = version;
}

ScopedOsVersion::~ScopedOsVersion()
{
    g_version = m_previous;
}

} // namespace platform
