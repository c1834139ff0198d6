#pragma once

// The one place that knows the laid-out tree: it turns a frame's tree into
// the snapshot a screen reader reads. Everything else in this folder sees only snapshots.

#include <string>

#include "toolkit/a11y/AccessibleTree.hpp"

namespace ui {
struct LayoutTree;
}

namespace ui::a11y {

struct MirrorGeometry {
    std::string title;          // the frame's name, the window title
    double pixelsPerPoint = 1;  // window coordinates per point
    int windowX = 0, windowY = 0;
    // The window has the keyboard: its front layer (the frame, or the
    // presentation in front of it) is the active window.
    bool windowActive = false;
};

AccessibleSnapshot mirror(const LayoutTree& tree, const MirrorGeometry& geometry);

}  // namespace ui::a11y
