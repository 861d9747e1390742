#include "registry/RegistryTree.h"

#include "text/TextCase.h"

#include <algorithm>

namespace platform {

namespace {

// Splits "A\B\C" into its first name and the rest.
std::pair<std::string_view, std::string_view> SplitFirst(std::string_view path)
{
    std::size_t separator = path.find('\\');
    if (separator == std::string_view::npos)
        return {path, {}};
    return {path.substr(0, separator), path.substr(separator + 1)};
}

// The deepest key of path that exists below root, and the names of path below it that do not.
std::pair<const RegistryKeyNode*, std::string_view> DeepestExistingKey(const RegistryKeyNode& root,
                                                                       std::string_view path)
{
    const RegistryKeyNode* key = &root;
    while (!path.empty()) {
        auto [name, rest] = SplitFirst(path);
        auto found = key->subKeys.find(name);
        if (found == key->subKeys.end())
            break;
        key = found->second.get();
        path = rest;
    }
    return {key, path};
}

} // namespace

bool RegistryNameLess::operator()(std::string_view left, std::string_view right) const
{
    // Searches compare many names with long common beginnings; equal bytes need no case folding.
    std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (left[i] == right[i])
            continue;
        auto a = static_cast<unsigned char>(UpperAscii(left[i]));
        auto b = static_cast<unsigned char>(UpperAscii(right[i]));
        if (a != b)
            return a < b;
    }
    return left.size() < right.size();
}

bool RegistryNamesEqual(std::string_view left, std::string_view right)
{
    return EqualIgnoringCase(left, right);
}

RegistryValue MakeStringValue(std::string_view text)
{
    RegistryValue value{REG_SZ, std::string(text)};
    value.data.push_back('\0');
    return value;
}

RegistryKeyNode& WritableSubKey(RegistryKeyNode& parent, std::string_view name)
{
    auto found = parent.subKeys.find(name);
    if (found == parent.subKeys.end())
        found =
            parent.subKeys.emplace(std::string(name), std::make_shared<RegistryKeyNode>()).first;
    else if (found->second.use_count() > 1)
        found->second = std::make_shared<RegistryKeyNode>(*found->second);
    return *found->second;
}

RegistryKeyNode& WritablePath(RegistryKeyNode& root, std::string_view path)
{
    RegistryKeyNode* key = &root;
    while (!path.empty()) {
        auto [name, rest] = SplitFirst(path);
        key = &WritableSubKey(*key, name);
        path = rest;
    }
    return *key;
}

const RegistryKeyNode* FindPath(const RegistryKeyNode& root, std::string_view path)
{
    if (!IsValidKeyPath(path))
        return nullptr;
    auto [key, missing] = DeepestExistingKey(root, path);
    return missing.empty() ? key : nullptr;
}

std::size_t MissingKeyCount(const RegistryKeyNode& root, std::string_view path)
{
    return KeyDepth(DeepestExistingKey(root, path).second);
}

std::size_t KeyDepth(std::string_view path)
{
    return path.empty() ? 0 : static_cast<std::size_t>(std::ranges::count(path, '\\')) + 1;
}

bool RemovePath(RegistryKeyNode& root, std::string_view path)
{
    std::size_t separator = path.rfind('\\');
    std::string_view parentPath =
        separator == std::string_view::npos ? "" : path.substr(0, separator);
    std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    if (name.empty() || !IsValidKeyPath(path) || !FindPath(root, path))
        return false;
    WritablePath(root, parentPath).subKeys.erase(std::string(name));
    return true;
}

bool IsValidKeyPath(std::string_view path)
{
    if (path.empty())
        return true;
    return path.front() != '\\' && path.back() != '\\' &&
           path.find("\\\\") == std::string_view::npos;
}

} // namespace platform
