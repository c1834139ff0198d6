#pragma once

// What a screen reader sees of one frame: an immutable, flat list of
// accessible objects, independent of ATK and of the laid-out tree it was
// taken from. The UI thread builds one after each frame and hands a copy to
// the bridge's thread; the bridge only ever reads these, so the two threads
// share no mutable UI state.
//
// Terms:
// - An object's id is its place: a path that names the same view from frame
//   to frame, so an object keeps its identity while the screen changes.
// - Extents are in the window's own pixel coordinates; the bridge adds the
//   window's position on the screen when a client asks in screen
//   coordinates.

#include <cstdint>
#include <string>
#include <vector>

namespace ui::a11y {

enum class Role { frame, label, pushButton, alert, dialog };

// ATK's state names, as bits. Only these are ever set.
enum AccessibleState : std::uint32_t {
    kShowing = 1u << 0,
    kVisible = 1u << 1,
    kEnabled = 1u << 2,
    kSensitive = 1u << 3,
    kFocusable = 1u << 4,
    kFocused = 1u << 5,
    // Only on a window (the frame, an alert, a sheet): the one a screen
    // reader presents, because it has the keyboard.
    kActive = 1u << 6,
};
using States = std::uint32_t;

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    bool operator==(const PixelRect&) const = default;
};

struct AccessibleNode {
    std::string id;   // the view's place; "" for the frame
    int parent = -1;  // index in the same snapshot; -1 for the frame only
    Role role = Role::label;
    std::string name;
    std::string description;
    States states = 0;
    PixelRect extents;
    bool hasText = false;    // labels: the Text interface reads `name`
    bool clickable = false;  // push buttons: one "click" action
    bool operator==(const AccessibleNode&) const = default;
};

// Node 0 is always the frame; every other node comes after its parent, in
// painting order, so the last children of a parent are the frontmost.
struct AccessibleSnapshot {
    std::vector<AccessibleNode> nodes;
    int windowX = 0, windowY = 0;  // the window's origin on the screen
    bool operator==(const AccessibleSnapshot&) const = default;
};

// Whether a node is a window a screen reader treats as a top-level: the
// frame, and the alert and sheet in front of it.
inline bool isWindow(Role role) {
    return role == Role::frame || role == Role::alert || role == Role::dialog;
}

// One event a screen reader hears about an object that is there at the
// time: a window that stops or starts being the active one, or another
// state bit that flipped.
struct Announcement {
    enum class Kind { deactivate, activate, state };
    Kind kind = Kind::state;
    std::string id;
    AccessibleState state = kActive;  // `state` only: the bit that flipped
    bool on = false;
    bool operator==(const Announcement&) const = default;
};

// How one snapshot differs from the one before, by id. The bridge turns it
// into the events a screen reader hears: an object added or removed is a
// children-changed, a rename a name change, a state bit that flips a
// state change. Extents and descriptions are just read afresh.
//
// Screen readers drop what happens outside the active window, and take a
// focus event for the window it happens in, so order matters:
//   1. `deactivations`, while the old objects are all still there (an
//      alert that goes says so before it is removed);
//   2. objects removed, then added (children-changed);
//   3. `announcements`: the window that became active, then the other
//      state changes, then focus leaving, then focus arriving (a control
//      that arrives focused included).
struct SnapshotDiff {
    std::vector<std::string> added;    // in the new snapshot's order
    std::vector<std::string> removed;  // in the old snapshot's order
    std::vector<std::string> renamed;
    struct StateChange {
        std::string id;
        States turnedOn = 0;
        States turnedOff = 0;
    };
    std::vector<StateChange> stateChanges;
    std::vector<Announcement> deactivations;
    std::vector<Announcement> announcements;
    bool empty() const {
        return added.empty() && removed.empty() && renamed.empty() && stateChanges.empty();
    }
};

SnapshotDiff diff(const AccessibleSnapshot& before, const AccessibleSnapshot& after);

}  // namespace ui::a11y
