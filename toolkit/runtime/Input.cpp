// The runtime's input: pointer, wheel and keys find their target by
// hit-testing the front layer of the laid-out tree; a touch is one gesture
// whose phase says what it is doing. Activating a view by its place serves
// observers of the tree, such as an accessibility bridge; keyboard focus has
// a file of its own (Focus.cpp).

#include <algorithm>
#include <cmath>

#include "toolkit/runtime/Runtime.hpp"
#include "toolkit/runtime/RuntimeParts.hpp"

namespace ui {
using namespace runtime_detail;

namespace {

// A flick downwards at this speed (points per second) closes a sheet
// however little it was pulled.
constexpr double kSheetFlickSpeed = 1200;
// The arrow keys scroll this far; a page keeps this much of the last one.
constexpr double kKeyScrollStep = 40;

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

// ---- Hit-testing -----------------------------------------------------------

int Runtime::hitTest(Point p, const std::function<bool(const LaidOutView&)>& accepts) {
    const Layer layer = inputLayer();
    for (int i = static_cast<int>(tree_.views.size()) - 1; i >= 0; --i) {
        const auto& v = tree_.views[i];
        if (v.layer != layer) continue;
        if (!v.clip.contains(p) || !v.hitFrame.contains(p)) continue;
        if (accepts(v)) return i;
    }
    return -1;
}

int Runtime::scrollViewAt(Point p) {
    return hitTest(p, [](const LaidOutView& v) { return v.kind == EntryKind::scrollView; });
}

int Runtime::frontScrollView() {
    const Layer layer = inputLayer();
    for (int i = static_cast<int>(tree_.views.size()) - 1; i >= 0; --i) {
        if (tree_.views[i].layer == layer && tree_.views[i].kind == EntryKind::scrollView) return i;
    }
    return -1;
}

// The entry at `place` that `accepts` takes, in the front layer or in the
// copy menu while it is open; -1 if none.
int Runtime::frontEntryAt(const std::string& place,
                          const std::function<bool(const LaidOutView&)>& accepts) {
    const Layer layer = inputLayer();
    for (int i = static_cast<int>(tree_.views.size()) - 1; i >= 0; --i) {
        const auto& v = tree_.views[i];
        if (v.place != place || !accepts(v)) continue;
        if (v.layer == layer || (selection_ && v.layer.kind == LayerKind::menu)) return i;
    }
    return -1;
}

// ---- Scrolling -------------------------------------------------------------

void Runtime::setScrollOffset(const std::string& key, double offset, double maxOffset) {
    double clamped = std::clamp(offset, 0.0, std::max(0.0, maxOffset));
    auto& current = scrollOffsets_[key];
    if (current != clamped) {
        current = clamped;
        markDirty();
    }
}

void Runtime::scrollBy(int entry, double dy) {
    if (entry < 0) return;
    const auto& v = tree_.views[entry];
    setScrollOffset(v.place, v.scrollOffset + dy, v.contentHeight - v.frame.height);
    lastScrollAt_ = now_;
    selection_.reset();
    markDirty();
}

// ---- Touches ---------------------------------------------------------------

void Runtime::pointerDown(Point p, double now) {
    advanceTo(now);
    bringUpToDate();
    pointerHidesRing();
    beginTouch(p);
}

void Runtime::beginTouch(Point p) {
    gesture_ = std::make_unique<Gesture>();
    Gesture& g = *gesture_;
    g.down = p;
    g.downAt = now_;
    g.samples.push_back({now_, p.y});
    g.layer = inputLayer();
    if (frontIsClosing()) {
        g.phase = Gesture::Spent{};
        return;
    }
    if (selection_) {
        // With the copy menu open, a touch is for the menu's button or
        // closes the menu.
        if (selection_->copyButton.contains(p)) {
            g.phase = Gesture::OnCopyButton{};
        } else {
            selection_.reset();
            g.phase = Gesture::Spent{};
            markDirty();
        }
        return;
    }
    int front = hitTest(p, [](const LaidOutView& v) {
        return v.isButton || v.longPress != nullptr || v.selectable;
    });
    if (front >= 0) {
        const auto& v = tree_.views[front];
        if (v.isButton) {
            g.phase = Gesture::PressingButton{front, v.hitFrame, v.buttonAction, true};
            markDirty();
        } else if (v.longPress) {
            g.phase = Gesture::AwaitingLongPress{*v.longPress};
        } else {
            g.phase = Gesture::AwaitingCopyHold{front};
        }
    }
    g.scrollEntry = scrollViewAt(p);
    if (g.scrollEntry >= 0) {
        g.scrollKey = tree_.views[g.scrollEntry].place;
        g.scrollStart = tree_.views[g.scrollEntry].scrollOffset;
    }
}

void Runtime::pointerMove(Point p, double now) {
    advanceTo(now);
    bringUpToDate();
    if (!gesture_) return;
    Gesture& g = *gesture_;
    if (g.is<Gesture::Spent>() || g.is<Gesture::OnCopyButton>()) return;
    g.samples.push_back({now_, p.y});
    if (g.samples.size() > 8) g.samples.erase(g.samples.begin());
    double moved = distance(p, g.down);
    if (auto* waiting = g.as<Gesture::AwaitingLongPress>();
        waiting && moved > waiting->longPress.maximumDistance) {
        g.phase = Gesture::Touching{};
    }
    if (g.is<Gesture::AwaitingCopyHold>() && moved > kDragSlop) g.phase = Gesture::Touching{};
    if (g.undecided() && moved > kDragSlop) decideDrag(p);

    Presentation* top = topPresentation();
    if (g.is<Gesture::DraggingSheet>() && top) {
        top->dragOffset = std::max(0.0, p.y - g.down.y - kDragSlop);
        markDirty();
    } else if (g.is<Gesture::Scrolling>()) {
        int entry = -1;
        for (int i = 0; i < static_cast<int>(tree_.views.size()); ++i) {
            const auto& v = tree_.views[i];
            if (v.kind == EntryKind::scrollView && v.place == g.scrollKey) entry = i;
        }
        if (entry >= 0) {
            const auto& v = tree_.views[entry];
            setScrollOffset(g.scrollKey, g.scrollStart - (p.y - g.down.y), v.contentHeight - v.frame.height);
            lastScrollAt_ = now_;
            markDirty();
        }
    } else if (auto* pressing = g.as<Gesture::PressingButton>()) {
        bool inside = pressing->frame.contains(p);
        if (inside != pressing->inside) {
            pressing->inside = inside;
            markDirty();
        }
    }
}

// A finger that has moved past the slop either pulls the sheet, scrolls, or
// (sideways, or with nothing to scroll) stays what it was.
void Runtime::decideDrag(Point p) {
    Gesture& g = *gesture_;
    Presentation* top = topPresentation();
    const bool inSheet = top && top->kind == Presentation::Kind::sheet && g.layer == top->layer();
    const double dy = p.y - g.down.y;
    const bool vertical = std::abs(dy) >= std::abs(p.x - g.down.x);
    // On a sheet, a downward pull on content already at its top moves the
    // sheet, not the content.
    const bool atTop = g.scrollEntry < 0 || tree_.views[g.scrollEntry].scrollOffset <= 0.5;
    const bool wasPressing = g.is<Gesture::PressingButton>();
    if (inSheet && vertical && dy > 0 && atTop) {
        g.phase = Gesture::DraggingSheet{};
    } else if (g.scrollEntry >= 0 && vertical) {
        g.phase = Gesture::Scrolling{};
    } else {
        return;
    }
    // A drag is not a tap: a pressed button lets go.
    if (wasPressing) markDirty();
}

void Runtime::pointerUp(Point p, double now) {
    advanceTo(now);
    // Bringing the tree up to date may present something, which ends
    // whatever the finger was doing beneath it.
    bringUpToDate();
    if (!gesture_) return;
    std::unique_ptr<Gesture> ended = std::move(gesture_);
    Gesture& g = *ended;
    if (g.is<Gesture::OnCopyButton>()) {
        if (selection_ && selection_->copyButton.contains(p) && clipboard_) clipboard_(selection_->text);
        selection_.reset();
        markDirty();
    } else if (Presentation* top = topPresentation(); g.is<Gesture::DraggingSheet>() && top) {
        endSheetDrag(*top, g);
    } else if (auto* pressing = g.as<Gesture::PressingButton>()) {
        markDirty();
        if (pressing->frame.contains(p) && pressing->action) pressing->action();
    }
}

// A sheet let go far enough down, or flicked down, closes; otherwise it
// springs back.
void Runtime::endSheetDrag(Presentation& top, const Gesture& g) {
    double speed = 0;
    if (g.samples.size() >= 2) {
        auto [t0, y0] = g.samples.front();
        auto [t1, y1] = g.samples.back();
        if (t1 - t0 > 1e-6) speed = (y1 - y0) / (t1 - t0);
    }
    if (top.dragOffset > sheetHeight() / 3 || speed > kSheetFlickSpeed) {
        commitDismiss(top);
    } else {
        top.springFrom = top.dragOffset;
        top.springAt = now_;
        top.dragOffset = 0;
    }
    markDirty();
}

void Runtime::secondaryClick(Point p, double now) {
    advanceTo(now);
    bringUpToDate();
    pointerHidesRing();
    gesture_.reset();
    selection_.reset();
    if (frontIsClosing()) return;
    int entry = hitTest(p, [](const LaidOutView& v) { return v.selectable; });
    if (entry >= 0) openCopyMenu(entry);
    markDirty();
}

void Runtime::openCopyMenu(int entry) {
    const auto& v = tree_.views[entry];
    selection_ = std::make_unique<Selection>();
    selection_->text = v.text.value_or("");
    selection_->frame = v.frame;
    selection_->layer = v.layer;
    markDirty();
}

// ---- Wheel and keys --------------------------------------------------------

void Runtime::wheel(Point p, double dy, double now) {
    advanceTo(now);
    bringUpToDate();
    if (frontIsClosing()) return;
    int entry = scrollViewAt(p);
    if (entry < 0) entry = frontScrollView();
    scrollBy(entry, dy);
}

void Runtime::key(Key key, double now) {
    advanceTo(now);
    bringUpToDate();
    if (!keyboardUsed_) {
        keyboardUsed_ = true;
        markDirty();  // the focus ring shows
    }
    if (keyOnFocus(key)) return;
    Presentation* top = topPresentation();
    if (key == Key::escape || key == Key::enter) {
        keyOnPresentation(key, top);
        return;
    }
    if (frontIsClosing()) return;
    int entry = frontScrollView();
    if (entry < 0) return;
    const auto& v = tree_.views[entry];
    const double page = std::max(kKeyScrollStep, v.frame.height - kKeyScrollStep);
    const double maxOffset = v.contentHeight - v.frame.height;
    switch (key) {
        case Key::up: scrollBy(entry, -kKeyScrollStep); break;
        case Key::down: scrollBy(entry, kKeyScrollStep); break;
        case Key::pageUp: scrollBy(entry, -page); break;
        case Key::pageDown: scrollBy(entry, page); break;
        case Key::home: scrollBy(entry, -v.scrollOffset); break;
        case Key::end: scrollBy(entry, maxOffset - v.scrollOffset); break;
        case Key::escape:
        case Key::enter:
        case Key::tab:
        case Key::backTab:
        case Key::space:
        case Key::copy: break;
    }
}

// Escape closes the copy menu or the front presentation (for an alert, as
// its cancel button); Return presses an alert's cancel button, or its only
// button.
void Runtime::keyOnPresentation(Key key, Presentation* top) {
    if (key == Key::escape) {
        if (selection_) {
            selection_.reset();
            markDirty();
        } else if (top && !top->dismissing) {
            if (top->kind == Presentation::Kind::alert) {
                for (const View& action : top->alert.actions) {
                    const auto* b = std::get_if<ButtonNode>(&action.node().value);
                    if (b && b->role == ButtonRole::cancel && b->action) b->action();
                }
            }
            commitDismiss(*top);
        }
        return;
    }
    if (!top || top->dismissing || top->kind != Presentation::Kind::alert) return;
    const ButtonNode* chosen = nullptr;
    for (const View& action : top->alert.actions) {
        const auto* b = std::get_if<ButtonNode>(&action.node().value);
        if (b && (b->role == ButtonRole::cancel || top->alert.actions.size() == 1)) chosen = b;
    }
    if (!chosen) return;
    if (chosen->action) chosen->action();
    commitDismiss(*top);
}

// ---- By place ----------------------------------------------------------------

bool Runtime::activate(const std::string& place, double now) {
    advanceTo(now);
    bringUpToDate();
    if (frontIsClosing()) return false;
    int entry = frontEntryAt(place, [](const LaidOutView& v) { return v.isButton; });
    if (entry < 0) return false;
    // As a click would: whatever the finger was doing ends, and a button
    // outside the copy menu closes the menu.
    gesture_.reset();
    if (tree_.views[entry].layer.kind != LayerKind::menu) selection_.reset();
    markDirty();
    if (auto action = tree_.views[entry].buttonAction) action();
    return true;
}

}  // namespace ui
