// Any bytes as a registry file: no crash, and the tree and the problem list stay within the
// bounds that keep a hostile file from growing without end.
#include "registry/RegFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

namespace {

struct TreeSize
{
    std::size_t entries = 0; // keys below the root and values
    std::size_t depth = 0;
};

TreeSize Measure(const platform::RegistryKeyNode& root)
{
    TreeSize size;
    std::vector<std::pair<const platform::RegistryKeyNode*, std::size_t>> pending{{&root, 0}};
    while (!pending.empty()) {
        auto [key, depth] = pending.back();
        pending.pop_back();
        size.depth = std::max(size.depth, depth);
        size.entries += key->values.size() + key->subKeys.size();
        for (const auto& [name, subKey] : key->subKeys)
            pending.emplace_back(subKey.get(), depth + 1);
    }
    return size;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::RegistryKeyNode root;
    const std::vector<platform::RegFileProblem> problems =
        platform::ApplyRegFile(std::string_view(reinterpret_cast<const char*>(data), size), root);
    const TreeSize tree = Measure(root);
    if (problems.size() > platform::kMaxListedRegFileProblems + 1 ||
        tree.depth > platform::kMaxKeyDepth || tree.entries > platform::kMaxRegFileEntries)
        std::abort();
    return 0;
}
