#include "toolkit/a11y/AccessibleTree.hpp"

#include <unordered_map>

namespace ui::a11y {

namespace {

std::unordered_map<std::string_view, const AccessibleNode*> byId(const AccessibleSnapshot& s) {
    std::unordered_map<std::string_view, const AccessibleNode*> index;
    index.reserve(s.nodes.size());
    for (const auto& node : s.nodes) index.emplace(node.id, &node);
    return index;
}

}  // namespace

SnapshotDiff diff(const AccessibleSnapshot& before, const AccessibleSnapshot& after) {
    SnapshotDiff result;
    auto old = byId(before);
    auto now = byId(after);
    for (const auto& node : before.nodes) {
        if (!now.count(node.id)) result.removed.push_back(node.id);
    }
    for (const auto& node : after.nodes) {
        auto found = old.find(node.id);
        if (found == old.end()) {
            result.added.push_back(node.id);
            continue;
        }
        const AccessibleNode& was = *found->second;
        if (was.name != node.name) result.renamed.push_back(node.id);
        if (was.states != node.states) {
            result.stateChanges.push_back(
                {node.id, node.states & ~was.states, was.states & ~node.states});
        }
    }
    return result;
}

}  // namespace ui::a11y
