// The runtime's keyboard focus: the desktop's full keyboard access. Tab and
// Shift+Tab move focus through the front layer's buttons and selectable
// texts in reading order; Space and Return press the focused button and
// Ctrl+C copies the focused text. A presentation that opens takes focus and
// gives it back when it closes. The focus ring shows once the keyboard has
// been used and goes on a pointer press, as desktop toolkits do; the
// painter draws it from the tree's `focused` entry.

#include <algorithm>

#include "toolkit/runtime/Runtime.hpp"
#include "toolkit/runtime/RuntimeParts.hpp"

namespace ui {

namespace {

bool focusable(const LaidOutView& v) { return v.isButton || v.selectable; }

// The nearest scroll view that holds entry `index`, or -1.
int enclosingScrollView(const LayoutTree& tree, int index) {
    for (int i = tree.views[index].parent; i >= 0; i = tree.views[i].parent) {
        if (tree.views[i].kind == EntryKind::scrollView) return i;
    }
    return -1;
}

// Where an entry's top stands in its content, whatever the scroll views
// around it are scrolled to, so that reading order does not change as the
// content scrolls.
double contentTop(const LayoutTree& tree, int index) {
    double top = tree.views[index].frame.minY();
    for (int i = tree.views[index].parent; i >= 0; i = tree.views[i].parent) {
        if (tree.views[i].kind == EntryKind::scrollView) top += tree.views[i].scrollOffset;
    }
    return top;
}

}  // namespace

// Focus lives in the front presentation that is not closing, or on the
// screen: while a presentation closes, focus is already back beneath it.
Layer Runtime::focusLayer() {
    for (auto it = presentations_.rbegin(); it != presentations_.rend(); ++it) {
        if (!(*it)->dismissing) return (*it)->layer();
    }
    return Layer{};
}

// The focused entry in the focus layer, or -1.
int Runtime::focusedEntry() {
    if (!focused_) return -1;
    const Layer layer = focusLayer();
    for (int i = 0; i < static_cast<int>(tree_.views.size()); ++i) {
        const auto& v = tree_.views[i];
        if (v.place == *focused_ && v.layer == layer && focusable(v)) return i;
    }
    return -1;
}

// The focus layer's focusable entries in reading order: by top, then by
// leading edge.
std::vector<int> Runtime::focusOrder() {
    const Layer layer = focusLayer();
    std::vector<std::pair<Point, int>> found;
    for (int i = 0; i < static_cast<int>(tree_.views.size()); ++i) {
        const auto& v = tree_.views[i];
        if (v.layer == layer && focusable(v)) found.push_back({{v.frame.minX(), contentTop(tree_, i)}, i});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.y != b.first.y ? a.first.y < b.first.y : a.first.x < b.first.x;
    });
    std::vector<int> order;
    for (const auto& f : found) order.push_back(f.second);
    return order;
}

// Tab moves to the next view, Shift+Tab to the previous one, wrapping at
// the ends; without focus they start at the first or the last view.
void Runtime::moveFocus(bool backwards) {
    selection_.reset();  // the copy menu belongs to the pointer's selection
    markDirty();
    const std::vector<int> order = focusOrder();
    if (order.empty()) return;
    const int count = static_cast<int>(order.size());
    const int current = focusedEntry();
    auto at = std::find(order.begin(), order.end(), current);
    int next = backwards ? count - 1 : 0;
    if (at != order.end()) {
        const int position = static_cast<int>(at - order.begin());
        next = (position + (backwards ? count - 1 : 1)) % count;
    }
    focused_ = tree_.views[order[next]].place;
    revealFocused();
}

bool Runtime::focus(const std::string& place, double now) {
    advanceTo(now);
    bringUpToDate();
    if (frontIsClosing()) return false;
    const std::optional<std::string> before = focused_;
    focused_ = place;
    if (focusedEntry() < 0) {
        focused_ = before;
        return false;
    }
    revealFocused();
    markDirty();
    return true;
}

// Called after each layout: presentations that closed give focus back, the
// ones that opened take it, and focus that lost its view is dropped.
// Returns whether a scroll offset changed to bring the focus into sight.
bool Runtime::followFocus() {
    auto live = [this](const std::string& key) {
        return std::any_of(presentations_.begin(), presentations_.end(),
                           [&](const auto& p) { return p->key == key && !p->dismissing; });
    };
    bool moved = false;
    for (std::size_t i = focusReturns_.size(); i-- > 0;) {
        if (live(focusReturns_[i].first)) continue;
        // A closed presentation beneath another hands its saved focus to
        // the one above it.
        if (i + 1 == focusReturns_.size()) {
            focused_ = focusReturns_[i].second;
        } else {
            focusReturns_[i + 1].second = focusReturns_[i].second;
        }
        focusReturns_.erase(focusReturns_.begin() + static_cast<std::ptrdiff_t>(i));
        moved = true;
    }
    bool entered = false;
    for (const auto& p : presentations_) {
        if (p->dismissing || std::any_of(focusReturns_.begin(), focusReturns_.end(),
                                         [&](const auto& r) { return r.first == p->key; })) {
            continue;
        }
        focusReturns_.emplace_back(p->key, focused_);
        entered = true;
    }
    if (entered) {
        // Into the front presentation: an alert's cancel button, else its
        // first view in reading order.
        focused_.reset();
        moved = true;
        const std::vector<int> order = focusOrder();
        auto cancel = std::find_if(order.begin(), order.end(), [this](int i) {
            return tree_.views[i].isButton && tree_.views[i].buttonRole == ButtonRole::cancel;
        });
        if (cancel != order.end()) focused_ = tree_.views[*cancel].place;
        else if (!order.empty()) focused_ = tree_.views[order.front()].place;
    }
    if (focused_ && focusedEntry() < 0) focused_.reset();
    return moved && revealFocused();
}

// Scrolls the focused view's scroll view just enough to show it whole with
// its focus ring (its top when it is taller than the scroll view). Returns
// whether the offset changed.
bool Runtime::revealFocused() {
    const int entry = focusedEntry();
    if (entry < 0) return false;
    const int scroll = enclosingScrollView(tree_, entry);
    if (scroll < 0) return false;
    const Rect& frame = tree_.views[entry].frame;
    const Rect view{frame.x, frame.y - kFocusRingReach, frame.width, frame.height + 2 * kFocusRingReach};
    const auto& s = tree_.views[scroll];
    double delta = 0;
    if (view.minY() < s.frame.minY()) {
        delta = view.minY() - s.frame.minY();
    } else if (view.maxY() > s.frame.maxY()) {
        delta = std::min(view.maxY() - s.frame.maxY(), view.minY() - s.frame.minY());
    }
    if (delta == 0) return false;
    const double before = s.scrollOffset;
    setScrollOffset(s.place, before + delta, s.contentHeight - s.frame.height);
    return scrollOffsets_[s.place] != before;
}

void Runtime::markFocus() {
    const int entry = focusedEntry();
    if (entry >= 0) tree_.views[entry].focused = true;
    tree_.focusRingShown = entry >= 0 && keyboardUsed_;
}

// The keys that act on focus. Returns false for a key the rest of the
// runtime handles (Return without a focused button included).
bool Runtime::keyOnFocus(Key key) {
    switch (key) {
        case Key::tab:
        case Key::backTab:
            if (!frontIsClosing()) moveFocus(key == Key::backTab);
            return true;
        case Key::space: pressFocused(); return true;
        case Key::enter: return pressFocused();
        case Key::copy: copyFocused(); return true;
        default: return false;
    }
}

// Presses the focused button as a click would; false without one.
bool Runtime::pressFocused() {
    const int entry = focusedEntry();
    if (entry < 0 || !tree_.views[entry].isButton) return false;
    return activate(tree_.views[entry].place, now_);
}

// Ctrl+C does what the copy menu's "Copy" does: with the menu open it copies
// its selection and closes it; otherwise it copies the focused selectable
// text whole.
void Runtime::copyFocused() {
    if (selection_) {
        if (clipboard_) clipboard_(selection_->text);
        selection_.reset();
        markDirty();
        return;
    }
    const int entry = focusedEntry();
    if (entry < 0 || !tree_.views[entry].selectable || frontIsClosing()) return;
    if (clipboard_) clipboard_(tree_.views[entry].text.value_or(""));
}

// A pointer press takes the focus ring away; focus itself stays.
void Runtime::pointerHidesRing() {
    keyboardUsed_ = false;
    if (tree_.focusRingShown) markDirty();
}

}  // namespace ui
