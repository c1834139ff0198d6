// The runtime's first part: building frames (evaluating bodies, laying
// out, decorating) and time (timers and animations). Presentations and
// input have files of their own.

#include "toolkit/runtime/Runtime.hpp"

#include <algorithm>
#include <cmath>

#include "toolkit/runtime/RuntimeParts.hpp"

namespace ui {
using namespace runtime_detail;

namespace {

constexpr Color kIndicator = Color::white.opacity(0.35);
// Scroll indicators: a bar this thick, this far in from the scroll view's
// trailing edge and from its ends, and never shorter than the minimum.
constexpr double kIndicatorThickness = 3;
constexpr double kIndicatorInset = 3;
constexpr double kIndicatorMinimumLength = 36;
// A pressed button dims while the finger is inside it.
constexpr double kPressedOpacity = 0.5;

}  // namespace

Runtime::Runtime(View root, TextMeasurer& measurer, Viewport viewport)
    : root_(std::move(root)),
      measurer_(measurer),
      viewport_(viewport),
      resolver_(store_),
      engine_(measurer) {
    store_.setOnChange([this] {
        stateDirty_ = true;
        dirty_ = true;
    });
    engine_.setScrollOffsets([this](const std::string& key) {
        auto it = scrollOffsets_.find(key);
        return it == scrollOffsets_.end() ? 0.0 : it->second;
    });
}

Runtime::~Runtime() = default;

void Runtime::setViewport(Viewport viewport) {
    viewport_ = viewport;
    dirty_ = true;
}

const LayoutStats& Runtime::layoutStats() const { return engine_.stats(); }

// ---- Building frames ---------------------------------------------------

void Runtime::bringUpToDate() {
    if (needsFrame()) rebuild();
}

bool Runtime::needsFrame() const { return dirty_ || stateDirty_ || isAnimating(); }

void Runtime::rebuild() {
    if (stateDirty_) {
        stateDirty_ = false;
        resolveAll();
    }
    dropFinishedPresentations();
    layoutAll();
    // Focus that moved (into or back out of a presentation) may scroll its
    // view into sight, which needs the tree laid out again.
    if (followFocus()) layoutAll();
    markFocus();
    dirty_ = false;
    if (frameObserver_) frameObserver_(tree_);
}

void Runtime::resolveAll() {
    store_.beginPass();
    resolver_.clearPresentations();
    resolvedRoot_ = resolver_.resolve(root_, "root");
    found_ = resolver_.presentations();
    syncPresentations();
    for (auto& p : presentations_) {
        if (p->kind != Presentation::Kind::sheet || p->dismissing || !p->sheet.content) continue;
        const Presentation* self = p.get();
        resolver_.clearPresentations();
        // Only the live presentation may be closed by its content.
        p->content = resolver_.resolve(p->sheet.content(), p->layer().name(),
                                       [this, self] { closeAfterAction(self); });
    }
    store_.endPass();
}

void Runtime::layoutAll() {
    tree_.views.clear();
    tree_.size = viewport_.size;
    tree_.scale = viewport_.scale;
    engine_.setScale(viewport_.scale);
    Rect window{0, 0, viewport_.size.width, viewport_.size.height};
    engine_.layout(resolvedRoot_, window, viewport_.safeArea, tree_);
    for (auto& p : presentations_) {
        if (p->kind == Presentation::Kind::alert) {
            double visibility = easeOut(p->dismissing
                                            ? 1 - progress(now_ - p->dismissedAt, kAlertAnimation)
                                            : progress(now_ - p->shownAt, kAlertAnimation));
            layoutAlert(*p, visibility);
        } else {
            layoutSheet(*p);
        }
    }
    captureScrollOffsets();
    if (selection_) layoutCopyMenu();
    decorate();
}

void Runtime::captureScrollOffsets() {
    for (const auto& v : tree_.views) {
        if (v.kind == EntryKind::scrollView) scrollOffsets_[v.place] = v.scrollOffset;
    }
}

void Runtime::decorate() {
    const auto* pressing = gesture_ ? gesture_->as<Gesture::PressingButton>() : nullptr;
    if (pressing && pressing->inside) {
        for (std::size_t i = 0; i < tree_.views.size(); ++i) {
            if (isWithin(tree_, static_cast<int>(i), pressing->entry)) {
                tree_.views[i].opacity *= kPressedOpacity;
            }
        }
    }
    // Scroll indicators show while scrolling, and a moment after.
    if (now_ - lastScrollAt_ < kScrollIndicatorLinger) addScrollIndicators();
}

void Runtime::addScrollIndicators() {
    std::vector<LaidOutView> indicators;
    for (const auto& v : tree_.views) {
        if (v.kind != EntryKind::scrollView || v.contentHeight <= v.frame.height + 0.5) continue;
        const double visible = v.frame.height / v.contentHeight;
        const double track = v.frame.height - 2 * kIndicatorInset;
        const double length = std::max(kIndicatorMinimumLength, track * visible);
        const double maxOffset = v.contentHeight - v.frame.height;
        const double travel = track - length;
        LaidOutView bar;
        bar.kind = EntryKind::scrollIndicator;
        bar.place = v.place + "/indicator";
        bar.layer = v.layer;
        bar.frame = bar.outerFrame = {
            v.frame.maxX() - kIndicatorInset - kIndicatorThickness,
            v.frame.y + kIndicatorInset + travel * (v.scrollOffset / maxOffset),
            kIndicatorThickness, length};
        // It fades over the last third of its linger.
        bar.fill = kIndicator;
        bar.opacity = clamp01((kScrollIndicatorLinger - (now_ - lastScrollAt_)) /
                              (kScrollIndicatorLinger / 3));
        bar.shapeKind = ShapeNode::Kind::roundedRectangle;
        bar.cornerRadius = kIndicatorThickness / 2;
        bar.clip = v.clip;
        indicators.push_back(bar);
    }
    // Each indicator goes after its layer's last entry, so it is drawn above
    // the content and under any presentation.
    for (auto& bar : indicators) {
        auto pos = tree_.views.end();
        for (auto it = tree_.views.begin(); it != tree_.views.end(); ++it) {
            if (it->layer == bar.layer) pos = it + 1;
        }
        int shift = static_cast<int>(pos - tree_.views.begin());
        for (auto it = pos; it != tree_.views.end(); ++it) {
            if (it->parent >= shift) ++it->parent;
        }
        tree_.views.insert(pos, bar);
    }
}

// ---- Time -----------------------------------------------------------------

std::optional<double> Runtime::nextDeadline() const {
    if (!gesture_) return std::nullopt;
    if (const auto* waiting = std::get_if<Gesture::AwaitingLongPress>(&gesture_->phase)) {
        return gesture_->downAt + waiting->longPress.minimumDuration;
    }
    if (gesture_->is<Gesture::AwaitingCopyHold>()) return gesture_->downAt + kCopyHoldDuration;
    return std::nullopt;
}

bool Runtime::isAnimating() const {
    if (now_ - lastScrollAt_ < kScrollIndicatorLinger) return true;
    for (const auto& p : presentations_) {
        if (p->dismissing) return true;
        if (now_ - p->shownAt < p->animationDuration()) return true;
        if (now_ - p->springAt < kSpringBackDuration) return true;
    }
    return false;
}

void Runtime::fireDueTimers(double until) {
    // Timers fire at their own moments, in order, so that a long press is
    // recognised exactly when it has lasted its minimum duration. A gesture
    // has one timer at most, the one of its phase.
    std::optional<double> at = nextDeadline();
    if (!at || *at > until) return;
    now_ = std::max(now_, *at);
    if (auto* waiting = gesture_->as<Gesture::AwaitingLongPress>()) {
        auto action = waiting->longPress.action;
        gesture_->phase = Gesture::Touching{};
        if (action) action();
        markDirty();
        return;
    }
    const int entry = gesture_->as<Gesture::AwaitingCopyHold>()->entry;
    gesture_->phase = Gesture::Touching{};
    // Bringing the tree up to date may present something, which ends the
    // gesture.
    bringUpToDate();
    if (!gesture_) return;
    if (entry >= 0 && entry < static_cast<int>(tree_.views.size())) {
        openCopyMenu(entry);
        gesture_->phase = Gesture::Spent{};  // lifting the finger leaves the menu open
    }
}

void Runtime::advanceTo(double now) {
    if (now < now_) return;  // the clock never runs backwards
    bool wasAnimating = isAnimating();
    bool indicator = now_ - lastScrollAt_ < kScrollIndicatorLinger;
    fireDueTimers(now);
    now_ = now;
    if (wasAnimating || indicator) markDirty();
}

}  // namespace ui
