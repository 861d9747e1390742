#pragma once

#include "registry/Registry.h"

#include <functional>
#include <string>
#include <vector>

// The box that tells the user about a failed registry call.
struct RegistryErrorMessage
{
    std::string text;
    std::string caption;
};

// How a registry failure reaches the user. The settings dialog shows it as an information box
// with an OK button and no owner; without a window (tests, benchmarks) it can be recorded.
using RegistryErrorReporter = std::function<void(const RegistryErrorMessage&)>;

// Tells the user that a registry call failed: "%u %s\n%s %u" from the code, the operation, the
// source file and the line, under the system's text for the code.
void ReportRegistryError(const RegistryErrorReporter& reporter, unsigned code,
                         const char* operation, const char* sourceFile, unsigned line);

// One open registry key, the search of a key tree for a value, and the only place where registry
// errors are shown.
class CRegistryKey
{
public:
    CRegistryKey(platform::HKEY root, RegistryErrorReporter reporter);
    virtual ~CRegistryKey();
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Opens subKey below parent with full access; this key's handle becomes the opened key.
    bool Open(platform::HKEY parent, const std::string& subKey);
    void Close();
    // A text value of at most 200 bytes, terminator included; a longer one reads as absent.
    // On failure out stays as it was.
    bool QueryString(const std::string& valueName, std::string& out);
    // The names of subKey's sub-keys (below this key), each of up to 199 characters. A name that
    // does not fit is reported to the user and ends the listing with false; the names before
    // it stay in out.
    bool EnumSubKeys(const std::string& subKey, std::vector<std::string>& out);
    // The first key, depth first and each key before its sub-keys, from path down, whose value
    // valueName equals wanted without regard to case; empty when none.
    std::string FindKeyByValue(const std::string& path, const std::string& valueName,
                               const std::string& wanted);

private:
    platform::HKEY m_hKey;
    RegistryErrorReporter m_reporter;
};
