#include "toolkit/a11y/ObjectTree.hpp"

#include <algorithm>

namespace ui::a11y {

namespace {

constexpr std::pair<AccessibleState, AtkStateType> kAnnouncedStates[] = {
    {kShowing, ATK_STATE_SHOWING},     {kVisible, ATK_STATE_VISIBLE},
    {kEnabled, ATK_STATE_ENABLED},     {kSensitive, ATK_STATE_SENSITIVE},
    {kFocusable, ATK_STATE_FOCUSABLE}, {kFocused, ATK_STATE_FOCUSED},
};

guint indexIn(AtkObject* parent, AtkObject* child) {
    auto& children = childrenOf(parent);
    return static_cast<guint>(std::find(children.begin(), children.end(), child) -
                              children.begin());
}

}  // namespace

ObjectTree::ObjectTree(const char* applicationName, std::function<void(Request)> request)
    : application_(newApplication(applicationName)) {
    context_.request = std::move(request);
}

ObjectTree::~ObjectTree() {
    g_object_unref(application_);
}

AtkObject* ObjectTree::frame() const {
    auto found = objects_.find("");
    return found == objects_.end() ? nullptr : found->second;
}

void ObjectTree::apply(const AccessibleSnapshot& next) {
    SnapshotDiff changes = diff(current_, next);
    context_.windowX = next.windowX;
    context_.windowY = next.windowY;
    // Children go before their parents, so every removal names a parent
    // that is still there.
    for (auto it = changes.removed.rbegin(); it != changes.removed.rend(); ++it) remove(*it);
    for (const auto& node : next.nodes) {
        auto found = objects_.find(node.id);
        if (found == objects_.end()) continue;
        AtkObject* object = found->second;
        const AccessibleNode& was = nodeOf(object);
        bool renamed = was.name != node.name;
        bool described = was.description != node.description;
        setNode(object, node);
        if (renamed) atk_object_set_name(object, node.name.c_str());
        if (described) atk_object_set_description(object, node.description.c_str());
    }
    for (const auto& id : changes.added) {
        auto node = std::find_if(next.nodes.begin(), next.nodes.end(),
                                 [&](const AccessibleNode& n) { return n.id == id; });
        add(*node, next);
    }
    reorderChildren(next);
    for (const auto& id : changes.added) {
        AtkObject* object = objects_[id];
        AtkObject* parent = atk_object_get_parent(object);
        if (parent == application_) continue;
        g_signal_emit_by_name(parent, "children-changed::add", indexIn(parent, object), object);
    }
    // A view that arrives with focus (an alert's button) is announced as
    // focused too, or a screen reader would not know where focus went.
    for (const auto& id : changes.added) {
        auto node = std::find_if(next.nodes.begin(), next.nodes.end(),
                                 [&](const AccessibleNode& n) { return n.id == id; });
        if (node->states & kFocused) atk_object_notify_state_change(objects_[id], ATK_STATE_FOCUSED, TRUE);
    }
    for (const auto& change : changes.stateChanges) {
        AtkObject* object = objects_[change.id];
        for (auto [bit, state] : kAnnouncedStates) {
            if (change.turnedOn & bit) atk_object_notify_state_change(object, state, TRUE);
            if (change.turnedOff & bit) atk_object_notify_state_change(object, state, FALSE);
        }
    }
    current_ = next;
}

void ObjectTree::remove(const std::string& id) {
    auto found = objects_.find(id);
    if (found == objects_.end()) return;
    AtkObject* object = found->second;
    objects_.erase(found);
    markDefunct(object);
    atk_object_notify_state_change(object, ATK_STATE_DEFUNCT, TRUE);
    AtkObject* parent = atk_object_get_parent(object);
    auto& siblings = childrenOf(parent);
    auto at = std::find(siblings.begin(), siblings.end(), object);
    if (at == siblings.end()) return;
    guint index = static_cast<guint>(at - siblings.begin());
    siblings.erase(at);
    g_signal_emit_by_name(parent, "children-changed::remove", index, object);
    // A client may still hold a proxy: the bridge keeps its own reference
    // until it is done, and the object answers as defunct meanwhile.
    g_object_unref(object);
}

void ObjectTree::add(const AccessibleNode& node, const AccessibleSnapshot& next) {
    AtkObject* parent = node.parent < 0 ? application_ : objects_.at(next.nodes[node.parent].id);
    AtkObject* object = newObject(node, context_, parent);
    childrenOf(parent).push_back(object);  // the parent's list holds the reference
    objects_.emplace(node.id, object);
}

// Children in the snapshot's order: painting order, front last, which is
// what hit-testing walks backwards.
void ObjectTree::reorderChildren(const AccessibleSnapshot& next) {
    std::unordered_map<AtkObject*, std::vector<AtkObject*>> ordered;
    for (const auto& node : next.nodes) {
        AtkObject* object = objects_.at(node.id);
        ordered[atk_object_get_parent(object)].push_back(object);
    }
    for (auto& [parent, children] : ordered) childrenOf(parent) = std::move(children);
}

}  // namespace ui::a11y
