#include "toolkit/a11y/AccessibleTree.hpp"

#include <unordered_map>

namespace ui::a11y {

namespace {

using Index = std::unordered_map<std::string_view, const AccessibleNode*>;

Index byId(const AccessibleSnapshot& s) {
    Index index;
    index.reserve(s.nodes.size());
    for (const auto& node : s.nodes) index.emplace(node.id, &node);
    return index;
}

// The window that carries kActive, if any. At most one does.
const AccessibleNode* activeWindow(const AccessibleSnapshot& s) {
    for (const auto& node : s.nodes) {
        if (isWindow(node.role) && (node.states & kActive)) return &node;
    }
    return nullptr;
}

// Bits other than activation and focus, in the order they are announced.
constexpr AccessibleState kPlainStates[] = {kShowing, kVisible, kEnabled, kSensitive, kFocusable};

void announce(SnapshotDiff& d, const AccessibleSnapshot& before, const AccessibleSnapshot& after,
              const Index& old) {
    const AccessibleNode* wasActive = activeWindow(before);
    const AccessibleNode* isActive = activeWindow(after);
    // The frame's id is "", so "no window" is told apart by the pointers.
    bool moved = (wasActive == nullptr) != (isActive == nullptr) ||
                 (wasActive && isActive && wasActive->id != isActive->id);
    if (moved && wasActive)
        d.deactivations.push_back({Announcement::Kind::deactivate, wasActive->id});
    if (moved && isActive) d.announcements.push_back({Announcement::Kind::activate, isActive->id});

    for (const auto& change : d.stateChanges) {
        for (AccessibleState bit : kPlainStates) {
            if (change.turnedOn & bit) {
                d.announcements.push_back({Announcement::Kind::state, change.id, bit, true});
            }
            if (change.turnedOff & bit) {
                d.announcements.push_back({Announcement::Kind::state, change.id, bit, false});
            }
        }
    }
    for (const auto& change : d.stateChanges) {
        if (change.turnedOff & kFocused) {
            d.announcements.push_back({Announcement::Kind::state, change.id, kFocused, false});
        }
    }
    for (const auto& node : after.nodes) {
        if (!(node.states & kFocused)) continue;
        auto found = old.find(node.id);
        if (found == old.end() || !(found->second->states & kFocused)) {
            d.announcements.push_back({Announcement::Kind::state, node.id, kFocused, true});
        }
    }
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
    announce(result, before, after, old);
    return result;
}

}  // namespace ui::a11y
