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

void ObjectTree::apply(const AccessibleSnapshot& next) {
    SnapshotDiff changes = diff(current_, next);
    context_.windowX = next.windowX;
    context_.windowY = next.windowY;
    for (const auto& a : changes.deactivations) announce(a);
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
    for (const auto& a : changes.announcements) announce(a);
    current_ = next;
}

void ObjectTree::announceActiveWindow() {
    for (const auto& node : current_.nodes) {
        if (isWindow(node.role) && (node.states & kActive)) {
            announce({Announcement::Kind::activate, node.id});
        }
    }
}

// A window's activation is what a desktop toolkit sends when its window
// gains or loses the keyboard: the state change, then AtkWindow's signal.
void ObjectTree::announce(const Announcement& a) {
    auto found = objects_.find(a.id);
    if (found == objects_.end()) return;
    AtkObject* object = found->second;
    switch (a.kind) {
        case Announcement::Kind::deactivate: {
            // It is announced before the new snapshot's nodes are in, so
            // its own node still says active until now.
            AccessibleNode node = nodeOf(object);
            node.states &= ~kActive;
            setNode(object, node);
            atk_object_notify_state_change(object, ATK_STATE_ACTIVE, FALSE);
            g_signal_emit_by_name(object, "deactivate");
            break;
        }
        case Announcement::Kind::activate:
            atk_object_notify_state_change(object, ATK_STATE_ACTIVE, TRUE);
            g_signal_emit_by_name(object, "activate");
            break;
        case Announcement::Kind::state:
            for (auto [bit, state] : kAnnouncedStates) {
                if (a.state == bit) atk_object_notify_state_change(object, state, a.on);
            }
            break;
    }
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
