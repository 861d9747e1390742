#include "RegistryEx.h"

#include "text/TextCase.h"

#include <algorithm>

using namespace platform;

namespace {

constexpr std::uint32_t kValueBufferSize = 200;
constexpr std::uint32_t kNameBufferSize = 200;
// The module and line that the error box names for a failed listing of sub-keys: fixed, so that
// the box reads the same whichever folder the program was built in.
constexpr const char* kEnumErrorSource = "RegistryEx.cpp";
constexpr unsigned kEnumErrorLine = 1024;

} // namespace

void ReportRegistryError(const RegistryErrorReporter& reporter, unsigned code,
                         const char* operation, const char* sourceFile, unsigned line)
{
    RegistryErrorMessage message;
    message.text =
        std::to_string(code) + " " + operation + "\n" + sourceFile + " " + std::to_string(line);
    // The message box's own caption when the system has no text for the code.
    message.caption = SystemMessageText(code).value_or("Error");
    reporter(message);
}

CRegistryKey::CRegistryKey(HKEY root, RegistryErrorReporter reporter)
    : m_hKey(root), m_reporter(std::move(reporter))
{}

CRegistryKey::~CRegistryKey()
{
    Close();
}

bool CRegistryKey::Open(HKEY parent, const std::string& subKey)
{
    HKEY opened = nullptr;
    std::int32_t result = RegOpenKeyEx(parent, subKey.c_str(), 0, KEY_ALL_ACCESS, &opened);
    // The key opened before, if any, is released rather than forgotten.
    Close();
    m_hKey = opened;
    return result == ERROR_SUCCESS;
}

void CRegistryKey::Close()
{
    if (m_hKey) {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

bool CRegistryKey::QueryString(const std::string& valueName, std::string& out)
{
    unsigned char buffer[kValueBufferSize];
    std::uint32_t size = sizeof buffer;
    if (RegQueryValueEx(m_hKey, valueName.c_str(), nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    const char* text = reinterpret_cast<const char*>(buffer);
    out.assign(text, std::find(text, text + size, '\0'));
    return true;
}

bool CRegistryKey::EnumSubKeys(const std::string& subKey, std::vector<std::string>& out)
{
    HKEY opened = nullptr;
    if (RegOpenKeyEx(m_hKey, subKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;

    std::uint32_t count = 0;
    if (RegQueryInfoKey(opened, &count) != ERROR_SUCCESS) {
        RegCloseKey(opened);
        return false;
    }
    out.clear();
    bool listed = true;
    for (std::uint32_t index = 0; index < count; ++index) {
        char name[kNameBufferSize];
        std::uint32_t length = kNameBufferSize;
        std::int32_t result = RegEnumKeyEx(opened, index, name, &length);
        if (result != ERROR_SUCCESS) {
            ReportRegistryError(m_reporter, static_cast<unsigned>(result), "RegEnumKeyEx",
                                kEnumErrorSource, kEnumErrorLine);
            listed = false;
            break;
        }
        out.emplace_back(name, length);
    }
    RegCloseKey(opened);
    return listed;
}

std::string CRegistryKey::FindKeyByValue(const std::string& path, const std::string& valueName,
                                         const std::string& wanted)
{
    std::string value;
    {
        CRegistryKey key(HKEY_LOCAL_MACHINE, m_reporter);
        if (key.Open(HKEY_LOCAL_MACHINE, path))
            key.QueryString(valueName, value);
    }
    if (platform::EqualIgnoringCase(value, wanted))
        return path;

    std::vector<std::string> children;
    if (!EnumSubKeys(path, children))
        return {};
    std::string found;
    for (const std::string& child : children) {
        if (!found.empty())
            break;
        std::string childPath = path + "\\" + child;
        // Listing the child first is only a test that it can be opened and listed.
        std::vector<std::string> unused;
        if (EnumSubKeys(childPath, unused))
            found = FindKeyByValue(childPath, valueName, wanted);
    }
    return found;
}
