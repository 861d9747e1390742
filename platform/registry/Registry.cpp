#include "registry/Registry.h"

#include "files/FileStamp.h"
#include "registry/RegFile.h"
#include "registry/SerialRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <unordered_map>

namespace fs = std::filesystem;

namespace platform {

using SubKeyMap = decltype(RegistryKeyNode::subKeys);

struct RegistryKeyHandle
{
    RegistryKeyHandle() = default;
    RegistryKeyHandle(std::shared_ptr<const RegistryKeyNode> tree, const RegistryKeyNode* key)
        : tree(std::move(tree)), key(key), cursor(key->subKeys.begin())
    {}

    // Keeps the tree that the key belongs to alive while the key is open.
    std::shared_ptr<const RegistryKeyNode> tree;
    const RegistryKeyNode* key = nullptr;
    // Sub-keys are listed by rising index; remembering the last position keeps listing a key of
    // many sub-keys linear.
    std::uint32_t cursorIndex = 0;
    SubKeyMap::const_iterator cursor;
};

namespace {

RegistryKeyHandle g_localMachine;

void ReportSkippedLines(const fs::path& file, const std::vector<RegFileProblem>& problems)
{
    for (const RegFileProblem& problem : problems) {
        if (problem.line == 0)
            std::fprintf(stderr, "%s: skipped: %s\n", file.c_str(), problem.reason.c_str());
        else
            std::fprintf(stderr, "%s:%zu: line skipped: %s\n", file.c_str(), problem.line,
                         problem.reason.c_str());
    }
}

// The tree of the registry files, read again only when one of them has changed on disk.
class RegFileCache
{
public:
    std::shared_ptr<const RegistryKeyNode> Load(const std::vector<fs::path>& files)
    {
        std::vector<FileStamp> stamps(files.begin(), files.end());
        if (m_tree && stamps == m_stamps)
            return m_tree;
        auto tree = std::make_shared<RegistryKeyNode>();
        for (const fs::path& file : files)
            ReportSkippedLines(file, ApplyRegFileAt(file, *tree));
        m_stamps = std::move(stamps);
        m_tree = std::move(tree);
        return m_tree;
    }

private:
    std::vector<FileStamp> m_stamps;
    std::shared_ptr<const RegistryKeyNode> m_tree;
};

class RegistryState
{
public:
    static RegistryState& Instance()
    {
        static RegistryState state;
        return state;
    }

    // The tree that open keys share; a new one when none is open.
    std::shared_ptr<const RegistryKeyNode> Tree()
    {
        std::lock_guard lock(m_mutex);
        if (std::shared_ptr<const RegistryKeyNode> live = m_liveTree.lock())
            return live;
        RegistrySources sources = Sources();
        std::shared_ptr<const RegistryKeyNode> files = m_regFiles.Load(sources.regFiles);
        SerialPortMap ports = PortMap(sources, *files);
        // A root of its own, sharing the keys below it with the files' tree, so that the tree
        // lives exactly as long as keys are open in it.
        auto tree = std::make_shared<RegistryKeyNode>(*files);
        AddSerialPortKeys(*tree, ports.Ports());
        m_liveTree = tree;
        return tree;
    }

    SerialPortMap SerialPorts()
    {
        std::lock_guard lock(m_mutex);
        RegistrySources sources = Sources();
        return PortMap(sources, *m_regFiles.Load(sources.regFiles));
    }

    HKEY Adopt(std::unique_ptr<RegistryKeyHandle> handle)
    {
        std::lock_guard lock(m_mutex);
        HKEY key = handle.get();
        m_handles.emplace(key, std::move(handle));
        return key;
    }

    bool IsOpen(HKEY key)
    {
        std::lock_guard lock(m_mutex);
        return m_handles.contains(key);
    }

    bool Close(HKEY key)
    {
        // Declared before the lock, so that a tree that the key was the last to hold is freed
        // after the lock is released.
        std::unique_ptr<RegistryKeyHandle> closed;
        std::lock_guard lock(m_mutex);
        auto found = m_handles.find(key);
        if (found == m_handles.end())
            return false;
        closed = std::move(found->second);
        m_handles.erase(found);
        return true;
    }

    std::optional<RegistrySources> ReplaceSources(std::optional<RegistrySources> sources)
    {
        std::lock_guard lock(m_mutex);
        std::swap(m_sources, sources);
        m_liveTree.reset();
        m_regFiles = {};
        return sources;
    }

private:
    RegistrySources Sources() const { return m_sources ? *m_sources : RegistrySources::Default(); }

    static SerialPortMap PortMap(const RegistrySources& sources, const RegistryKeyNode& files)
    {
        SerialPortMap map(sources.serialPorts);
        AddSerialCommEntries(files, map);
        return map;
    }

    std::mutex m_mutex;
    std::unordered_map<HKEY, std::unique_ptr<RegistryKeyHandle>> m_handles;
    std::weak_ptr<const RegistryKeyNode> m_liveTree;
    std::optional<RegistrySources> m_sources;
    RegFileCache m_regFiles;
};

// Runs an operation on an open key, or on the root key of the tree of the moment.
template <typename Operation> std::int32_t WithKey(HKEY key, Operation&& operation)
{
    if (key == HKEY_LOCAL_MACHINE) {
        std::shared_ptr<const RegistryKeyNode> tree = RegistryState::Instance().Tree();
        RegistryKeyHandle root(tree, tree.get());
        return operation(root);
    }
    if (!key || !RegistryState::Instance().IsOpen(key))
        return ERROR_INVALID_HANDLE;
    return operation(*key);
}

} // namespace

const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

RegistrySources RegistrySources::Default()
{
    RegistrySources sources;
    const char* named = std::getenv(kEnvironmentVariable);
    std::error_code error;
    if (named && *named)
        sources.regFiles.emplace_back(named);
    else if (fs::exists(kSystemFile, error))
        sources.regFiles.emplace_back(kSystemFile);
    return sources;
}

ScopedRegistrySources::ScopedRegistrySources(RegistrySources sources)
    : m_previous(RegistryState::Instance().ReplaceSources(std::move(sources)))
{}

ScopedRegistrySources::~ScopedRegistrySources()
{
    RegistryState::Instance().ReplaceSources(std::move(m_previous));
}

SerialPortMap RegistrySerialPortMap()
{
    return RegistryState::Instance().SerialPorts();
}

std::int32_t RegOpenKeyEx(HKEY parent, const char* subKey, std::uint32_t /*options*/,
                          std::uint32_t /*access*/, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    return WithKey(parent, [&](RegistryKeyHandle& from) {
        const RegistryKeyNode* found = FindPath(*from.key, subKey ? subKey : "");
        if (!found)
            return ERROR_FILE_NOT_FOUND;
        *result =
            RegistryState::Instance().Adopt(std::make_unique<RegistryKeyHandle>(from.tree, found));
        return ERROR_SUCCESS;
    });
}

std::int32_t RegQueryValueEx(HKEY key, const char* valueName, std::uint32_t* type,
                             unsigned char* data, std::uint32_t* dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    return WithKey(key, [&](RegistryKeyHandle& handle) {
        auto found = handle.key->values.find(std::string_view(valueName ? valueName : ""));
        if (found == handle.key->values.end())
            return ERROR_FILE_NOT_FOUND;
        const RegistryValue& value = found->second;
        if (type)
            *type = value.type;
        // Values come from files of at most kMaxRegFileSize bytes, so the size fits.
        auto size = static_cast<std::uint32_t>(value.data.size());
        if (data && *dataSize < size) {
            *dataSize = size;
            return ERROR_MORE_DATA;
        }
        if (data)
            std::memcpy(data, value.data.data(), size);
        if (dataSize)
            *dataSize = size;
        return ERROR_SUCCESS;
    });
}

std::int32_t RegQueryInfoKey(HKEY key, std::uint32_t* subKeyCount)
{
    return WithKey(key, [&](RegistryKeyHandle& handle) {
        if (subKeyCount)
            *subKeyCount = static_cast<std::uint32_t>(handle.key->subKeys.size());
        return ERROR_SUCCESS;
    });
}

std::int32_t RegEnumKeyEx(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength)
{
    if (!name || !nameLength)
        return ERROR_INVALID_PARAMETER;
    return WithKey(key, [&](RegistryKeyHandle& handle) {
        const SubKeyMap& subKeys = handle.key->subKeys;
        if (index >= subKeys.size())
            return ERROR_NO_MORE_ITEMS;
        if (index < handle.cursorIndex) {
            handle.cursor = subKeys.begin();
            handle.cursorIndex = 0;
        }
        std::advance(handle.cursor, index - handle.cursorIndex);
        handle.cursorIndex = index;
        const std::string& subKeyName = handle.cursor->first;
        if (subKeyName.size() + 1 > *nameLength)
            return ERROR_MORE_DATA;
        std::memcpy(name, subKeyName.data(), subKeyName.size());
        name[subKeyName.size()] = '\0';
        *nameLength = static_cast<std::uint32_t>(subKeyName.size());
        return ERROR_SUCCESS;
    });
}

std::int32_t RegCloseKey(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    return RegistryState::Instance().Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::optional<std::string> SystemMessageText(std::uint32_t code)
{
    switch (code) {
    case ERROR_SUCCESS:
        return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND:
        return "The system cannot find the file specified.";
    case ERROR_INVALID_HANDLE:
        return "The handle is invalid.";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect.";
    case ERROR_MORE_DATA:
        return "More data is available.";
    case ERROR_NO_MORE_ITEMS:
        return "No more data is available.";
    default:
        return std::nullopt;
    }
}

} // namespace platform
