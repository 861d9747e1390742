#pragma once

#include <cstdint>

namespace platform {

// What the original platform's version calls report. Here the answer is always the platform
// the programs were written for (major version 4, platform id 2); tests may ask for others.
struct OsVersionInfo
{
    unsigned majorVersion = 4;
    unsigned minorVersion = 0;
    unsigned buildNumber = 1381;
    unsigned platformId = 2;
};

OsVersionInfo GetVersionEx();

// Packed as the original call packs it: the low byte is the major version, the next byte the
// minor version, the high word the build number.
std::uint32_t GetVersion();

// While alive, the version calls answer with the given version instead.
class ScopedOsVersion
{
public:
    explicit ScopedOsVersion(const OsVersionInfo& version);
    ~ScopedOsVersion();
    ScopedOsVersion(const ScopedOsVersion&) = delete;
    ScopedOsVersion& operator=(const ScopedOsVersion&) = delete;

private:
    OsVersionInfo m_previous;
};

} // namespace platform
