#pragma once

// The bridge thread's live set of accessible objects, kept in step with
// the snapshots the UI thread publishes. Objects are found by id (place),
// so an object a screen reader holds stays the same object from frame to
// frame; applying a snapshot announces only what changed.

#include <atk/atk.h>

#include <string>
#include <unordered_map>

#include "toolkit/a11y/AccessibleTree.hpp"
#include "toolkit/a11y/AtkObjects.hpp"

namespace ui::a11y {

class ObjectTree {
  public:
    ObjectTree(const char* applicationName, std::function<void(Request)> request);
    ~ObjectTree();
    ObjectTree(const ObjectTree&) = delete;
    ObjectTree& operator=(const ObjectTree&) = delete;

    AtkObject* application() const { return application_; }
    void apply(const AccessibleSnapshot& next);
    // Announces the current active window, if there is one, as just
    // activated: for listeners that came after it was.
    void announceActiveWindow();

  private:
    void announce(const Announcement& announcement);
    void remove(const std::string& id);
    void add(const AccessibleNode& node, const AccessibleSnapshot& next);
    void reorderChildren(const AccessibleSnapshot& next);

    AtkObject* application_;
    ObjectContext context_;
    AccessibleSnapshot current_;
    std::unordered_map<std::string, AtkObject*> objects_;
};

}  // namespace ui::a11y
