#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Registry value types, numbered as the original platform numbers them.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_MULTI_SZ = 7;

// Keys nest at most this deep below a root, as on the original platform. Whatever builds a tree
// from outside data keeps to it, because walks of a tree (its teardown, the key searches) recurse
// once per level.
constexpr std::size_t kMaxKeyDepth = 512;

// A value's bytes as the 8-bit calls hand them out: text values carry their terminating NUL.
struct RegistryValue
{
    std::uint32_t type = REG_NONE;
    std::string data;
};

// Orders key and value names as the registry does: without regard to ASCII letter case.
struct RegistryNameLess
{
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const;
};

bool RegistryNamesEqual(std::string_view left, std::string_view right);

// The text of a string value: its bytes plus the terminating NUL.
RegistryValue MakeStringValue(std::string_view text);

// One key of the in-memory registry. Trees are shared between snapshots: a key reachable from a
// published tree is never changed; WritableSubKey copies it first.
struct RegistryKeyNode
{
    std::map<std::string, std::shared_ptr<RegistryKeyNode>, RegistryNameLess> subKeys;
    std::map<std::string, RegistryValue, RegistryNameLess> values;
};

// The sub-key of parent with that name, created when missing and copied first when another tree
// shares it, so that it can be changed without touching any other tree.
RegistryKeyNode& WritableSubKey(RegistryKeyNode& parent, std::string_view name);

// Like WritableSubKey for every name of a "\"-separated path. Empty names are not allowed in a
// path; the caller checks with IsValidKeyPath.
RegistryKeyNode& WritablePath(RegistryKeyNode& root, std::string_view path);

// The key at a "\"-separated path below root (root itself for ""), or nullptr.
const RegistryKeyNode* FindPath(const RegistryKeyNode& root, std::string_view path);

// Removes the key at path and everything below it; false when there was none.
bool RemovePath(RegistryKeyNode& root, std::string_view path);

// How many of the keys of a "\"-separated path below root do not exist yet: the keys that
// WritablePath would create.
std::size_t MissingKeyCount(const RegistryKeyNode& root, std::string_view path);

// The number of names in a "\"-separated path; 0 for "".
std::size_t KeyDepth(std::string_view path);

// True for "" and for paths whose names are all non-empty.
bool IsValidKeyPath(std::string_view path);

} // namespace platform
