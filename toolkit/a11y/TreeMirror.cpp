#include "toolkit/a11y/TreeMirror.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "toolkit/layout/LayoutTree.hpp"

namespace ui::a11y {

namespace {

bool isPresentation(const Layer& layer) {
    return layer.kind == LayerKind::alert || layer.kind == LayerKind::sheet;
}

// The layer that takes input: the frontmost presentation, else the screen.
// The copy menu floats above whatever it was opened on and counts as front
// too.
Layer frontLayer(const LayoutTree& tree) {
    for (auto it = tree.views.rbegin(); it != tree.views.rend(); ++it) {
        if (it->layer.kind != LayerKind::menu) return it->layer;
    }
    return {};
}

bool inFront(const Layer& layer, const Layer& front) {
    return layer == front || layer.kind == LayerKind::menu;
}

PixelRect toPixels(const Rect& r, double scale) {
    int x = static_cast<int>(std::lround(r.x * scale));
    int y = static_cast<int>(std::lround(r.y * scale));
    return {x, y, static_cast<int>(std::lround(r.maxX() * scale)) - x,
            static_cast<int>(std::lround(r.maxY() * scale)) - y};
}

// The text of a button's title and symbol, for its name. Descendants follow
// their ancestor in the list; the first view after it that does not lie
// inside it ends them.
std::string textWithin(const LayoutTree& tree, std::size_t button) {
    std::string text;
    for (std::size_t i = button + 1;
         i < tree.views.size() && isWithin(tree, static_cast<int>(i), static_cast<int>(button));
         ++i) {
        const auto& v = tree.views[i];
        const auto& t = v.accessibilityLabel ? v.accessibilityLabel : v.text;
        if (t && !t->empty()) text += (text.empty() ? "" : " ") + *t;
    }
    return text;
}

class Mirror {
  public:
    Mirror(const LayoutTree& tree, const MirrorGeometry& geometry)
        : tree_(tree), geometry_(geometry), front_(frontLayer(tree)) {}

    AccessibleSnapshot run() {
        AccessibleSnapshot s;
        s.windowX = geometry_.windowX;
        s.windowY = geometry_.windowY;
        Rect window{0, 0, tree_.size.width, tree_.size.height};
        States frameStates = kShowing | kVisible | kEnabled | kSensitive;
        if (geometry_.windowActive && !isPresentation(front_)) frameStates |= kActive;
        s.nodes.push_back({"", -1, Role::frame, geometry_.title, "", frameStates,
                           toPixels(window, geometry_.pixelsPerPoint), false, false});
        std::vector<bool> insideButton(tree_.views.size(), false);
        for (std::size_t i = 0; i < tree_.views.size(); ++i) {
            const LaidOutView& v = tree_.views[i];
            if (v.parent >= 0) {
                insideButton[i] = insideButton[v.parent] || tree_.views[v.parent].isButton;
            }
            if (insideButton[i]) continue;
            if (v.isButton) {
                add(s, i, Role::pushButton, v.accessibilityLabel.value_or(textWithin(tree_, i)));
            } else if ((v.kind == EntryKind::text || v.kind == EntryKind::label) && v.text &&
                       !v.text->empty()) {
                add(s, i, Role::label, v.accessibilityLabel.value_or(*v.text));
            }
        }
        return s;
    }

  private:
    // A view goes under its presentation's node, made when the layer's
    // first mirrored view turns up; everything else goes under the frame.
    int containerFor(AccessibleSnapshot& s, const LaidOutView& v, const std::string& name) {
        if (!isPresentation(v.layer)) return 0;
        std::string id = v.layer.name();
        auto found = presentations_.find(id);
        if (found != presentations_.end()) return found->second;
        bool alert = v.layer.kind == LayerKind::alert;
        AccessibleNode node{id,
                            0,
                            alert ? Role::alert : Role::dialog,
                            name,
                            "",
                            windowStates(v.layer),
                            layerExtents(v.layer),
                            false,
                            false};
        s.nodes.push_back(std::move(node));
        int index = static_cast<int>(s.nodes.size()) - 1;
        presentations_.emplace(id, index);
        return index;
    }

    void add(AccessibleSnapshot& s, std::size_t i, Role role, std::string name) {
        const LaidOutView& v = tree_.views[i];
        int parent = containerFor(s, v, name);
        Rect seen =
            v.frame.intersection(v.clip).intersection({0, 0, tree_.size.width, tree_.size.height});
        bool onScreen = seen.width > 0 && seen.height > 0 && v.opacity > 0;
        bool focusable = v.isButton || v.selectable;
        AccessibleNode node{v.place,
                            parent,
                            role,
                            std::move(name),
                            v.accessibilityHint.value_or(""),
                            statesFor(v.layer, onScreen, focusable, v.focused),
                            toPixels(v.frame, geometry_.pixelsPerPoint),
                            role == Role::label,
                            role == Role::pushButton};
        if (role == Role::pushButton && node.description.empty()) {
            node.description = hintWithin(i);
        }
        s.nodes.push_back(std::move(node));
    }

    States statesFor(const Layer& layer, bool onScreen, bool focusable, bool focused) const {
        States states = kVisible;
        if (!inFront(layer, front_)) return states;
        states |= kEnabled | kSensitive;
        if (onScreen) states |= kShowing;
        if (focusable) states |= kFocusable;
        if (focused) states |= kFocused;
        return states;
    }

    // A presentation is a window of its own for a screen reader, and the
    // active one while it is in front of a window that has the keyboard.
    States windowStates(const Layer& layer) const {
        States states = statesFor(layer, true, false, false);
        if (geometry_.windowActive && layer == front_) states |= kActive;
        return states;
    }

    // A presentation is as large as its content: everything in its layer
    // but the dimmed backdrop, which is always the layer's first view.
    PixelRect layerExtents(const Layer& layer) const {
        std::optional<Rect> bounds;
        bool backdrop = true;
        for (const auto& v : tree_.views) {
            if (v.layer != layer || v.parent >= 0) continue;
            if (backdrop) {
                backdrop = false;
                continue;
            }
            bounds = bounds ? unionOf(*bounds, v.frame) : v.frame;
        }
        return toPixels(bounds.value_or(Rect{}), geometry_.pixelsPerPoint);
    }

    std::string hintWithin(std::size_t button) const {
        for (std::size_t i = button + 1;
             i < tree_.views.size() &&
             isWithin(tree_, static_cast<int>(i), static_cast<int>(button));
             ++i) {
            if (tree_.views[i].accessibilityHint) return *tree_.views[i].accessibilityHint;
        }
        return "";
    }

    const LayoutTree& tree_;
    const MirrorGeometry& geometry_;
    Layer front_;
    std::map<std::string, int> presentations_;
};

}  // namespace

AccessibleSnapshot mirror(const LayoutTree& tree, const MirrorGeometry& geometry) {
    return Mirror(tree, geometry).run();
}

}  // namespace ui::a11y
