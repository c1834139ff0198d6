#include "toolkit/runtime/Runtime.hpp"

#include <algorithm>
#include <cmath>

#include "toolkit/core/StringTable.hpp"

namespace ui {
namespace {

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double easeOut(double t) { return 1 - (1 - t) * (1 - t) * (1 - t); }
double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The surfaces of the presentations, in the dark appearance.
constexpr Color kAlertCard{0.17, 0.17, 0.18, 0.97};
constexpr Color kSheetBase{0.11, 0.11, 0.12, 1};
constexpr Color kBackdrop{0, 0, 0, 0.4};
constexpr Color kMenuFill{0.23, 0.23, 0.25, 1};
constexpr Color kSelectionFill = Color::blue.opacity(0.35);
constexpr Color kIndicator = Color::white.opacity(0.35);

bool isAncestor(const LayoutTree& tree, int ancestor, int index) {
    for (int i = index; i >= 0; i = tree.views[i].parent) {
        if (i == ancestor) return true;
    }
    return false;
}

}  // namespace

struct Runtime::Presentation {
    enum class Kind { alert, sheet };
    Kind kind = Kind::alert;
    std::string key;
    AlertModifier alert;
    SheetModifier sheet;
    double shownAt = 0;
    bool dismissing = false;
    double dismissedAt = 0;
    double dismissFrom = 0;  // sheet offset when the closing animation began
    double dragOffset = 0;   // sheet: how far a finger has pulled it down
    double springFrom = 0;   // sheet: offset a spring-back started from
    double springAt = -1e9;
    View content;  // sheet: the resolved content, kept through the closing animation

    std::string layer() const { return (kind == Kind::alert ? "alert:" : "sheet:") + key; }
};

// One contact from down to up.
struct Runtime::Gesture {
    Point down;
    Point last;
    double downAt = 0;
    std::string layer;
    int button = -1;  // entry index of the pressed button
    Rect buttonFrame;
    std::function<void()> buttonAction;
    bool buttonInside = false;
    bool copyButton = false;
    LongPressModifier longPress;
    bool longPressPending = false;
    int selectable = -1;
    bool copyHoldPending = false;
    int scrollEntry = -1;
    std::string scrollKey;
    double scrollStart = 0;
    bool scrolling = false;
    bool sheetDragging = false;
    bool swallowed = false;  // the touch only closed the copy menu
    std::vector<std::pair<double, double>> samples;  // (time, y) for the flick speed
};

struct Runtime::Selection {
    std::string text;
    Rect frame;
    std::string layer;
    Rect copyButton;
};

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

const LayoutTree& Runtime::tree() {
    if (dirty_ || stateDirty_ || isAnimating()) rebuild();
    return tree_;
}

bool Runtime::needsFrame() const { return dirty_ || stateDirty_ || isAnimating(); }

void Runtime::rebuild() {
    if (stateDirty_) {
        stateDirty_ = false;
        resolveAll();
    }
    dropFinishedPresentations();
    layoutAll();
    dirty_ = false;
}

void Runtime::resolveAll() {
    store_.beginPass();
    resolver_.clearPresentations();
    resolvedRoot_ = resolver_.resolve(root_, "root");
    found_ = resolver_.presentations();
    syncPresentations();
    for (auto& p : presentations_) {
        if (p->kind != Presentation::Kind::sheet || p->dismissing || !p->sheet.content) continue;
        Presentation* self = p.get();
        resolver_.clearPresentations();
        p->content = resolver_.resolve(p->sheet.content(), p->layer(), [this, self] {
            // Only the live presentation may be closed by its content.
            for (auto& q : presentations_) {
                if (q.get() == self && !q->dismissing) commitDismiss(*q);
            }
        });
    }
    store_.endPass();
    // A state write during this pass (none expected) must not be lost.
}

void Runtime::syncPresentations() {
    for (const auto& f : found_) {
        bool up = f.alert ? f.alert->isPresented.wrappedValue() : f.sheet->isPresented.wrappedValue();
        auto live = std::find_if(presentations_.begin(), presentations_.end(), [&](const auto& p) {
            return p->key == f.key && !p->dismissing;
        });
        if (up && live == presentations_.end()) {
            auto p = std::make_unique<Presentation>();
            p->kind = f.alert ? Presentation::Kind::alert : Presentation::Kind::sheet;
            p->key = f.key;
            p->shownAt = now_;
            if (f.alert) p->alert = *f.alert;
            if (f.sheet) p->sheet = *f.sheet;
            presentations_.push_back(std::move(p));
            gesture_.reset();  // whatever the finger was doing is beneath the presentation now
            selection_.reset();
        } else if (live != presentations_.end()) {
            if (f.alert) (*live)->alert = *f.alert;
            if (f.sheet) (*live)->sheet = *f.sheet;
            if (!up) {
                (*live)->dismissing = true;
                (*live)->dismissedAt = now_;
                (*live)->dismissFrom = (*live)->dragOffset;
            }
        }
    }
    // A presentation whose modifier left the tree closes too.
    for (auto& p : presentations_) {
        bool present = std::any_of(found_.begin(), found_.end(), [&](const auto& f) { return f.key == p->key; });
        if (!present && !p->dismissing) {
            p->dismissing = true;
            p->dismissedAt = now_;
            p->dismissFrom = p->dragOffset;
        }
    }
}

void Runtime::dropFinishedPresentations() {
    std::erase_if(presentations_, [this](const auto& p) {
        double duration = p->kind == Presentation::Kind::alert ? kAlertAnimation : kSheetAnimation;
        return p->dismissing && now_ - p->dismissedAt >= duration;
    });
}

double Runtime::sheetHeight() const {
    return std::max(0.0, viewport_.size.height - viewport_.safeArea.top - kSheetTopGap);
}

void Runtime::layoutAll() {
    tree_.views.clear();
    tree_.size = viewport_.size;
    tree_.scale = viewport_.scale;
    engine_.setScale(viewport_.scale);
    Rect window{0, 0, viewport_.size.width, viewport_.size.height};
    engine_.layout(resolvedRoot_, window, viewport_.safeArea, tree_, "");
    for (auto& p : presentations_) {
        if (p->kind == Presentation::Kind::alert) {
            double t = p->dismissing ? 1 - clamp01((now_ - p->dismissedAt) / kAlertAnimation)
                                     : clamp01((now_ - p->shownAt) / kAlertAnimation);
            layoutAlert(*p, easeOut(t));
        } else {
            layoutSheet(*p);
        }
    }
    captureScrollOffsets();
    if (selection_) layoutCopyMenu();
    decorate();
}

void Runtime::layoutAlert(Presentation& p, double visibility) {
    const std::string layer = p.layer();
    LaidOutView backdrop;
    backdrop.kind = "Rectangle";
    backdrop.layer = layer;
    backdrop.frame = backdrop.outerFrame = backdrop.hitFrame = {0, 0, viewport_.size.width, viewport_.size.height};
    backdrop.fill = kBackdrop;
    backdrop.opacity = visibility;
    tree_.views.push_back(backdrop);

    // The card: title and message, then one 44-point row per action with a
    // hairline above it. Every button closes the alert after its action.
    std::vector<View> rows;
    rows.push_back(VStack(HorizontalAlignment::center, 4,
                          {makeView(TextNode{p.alert.title}).font(Font::system(17, Font::Weight::semibold)),
                           p.alert.message.font(Font::system(13))})
                       .padding(EdgeInsets{19, 16, 19, 16}));
    Presentation* self = &p;
    for (const View& action : p.alert.actions) {
        const auto* button = std::get_if<ButtonNode>(&action.node().value);
        if (!button) continue;
        auto run = [this, self, action = button->action] {
            if (action) action();
            for (auto& q : presentations_) {
                if (q.get() == self && !q->dismissing) commitDismiss(*q);
            }
        };
        Font::Weight weight = button->role == ButtonRole::cancel ? Font::Weight::semibold : Font::Weight::regular;
        rows.push_back(Divider());
        rows.push_back(Button(run, button->label.font(Font::system(17, weight))
                                       .frame(Frame{std::nullopt, 44, std::nullopt, infinity,
                                                    std::nullopt, std::nullopt, Alignment::center})));
    }
    View card = VStack(HorizontalAlignment::center, 0, std::move(rows))
                    .frame(Frame::fixed(270, std::nullopt))
                    .background(kAlertCard, RoundedRectangle(14, CornerStyle::continuous));
    Size size = engine_.sizeThatFits(card, {270, std::nullopt});
    Rect bounds{(viewport_.size.width - size.width) / 2, (viewport_.size.height - size.height) / 2,
                size.width, size.height};
    std::size_t first = tree_.views.size();
    engine_.layout(card, bounds, {}, tree_, layer);
    for (std::size_t i = first; i < tree_.views.size(); ++i) tree_.views[i].opacity *= visibility;
}

void Runtime::layoutSheet(Presentation& p) {
    const std::string layer = p.layer();
    double height = sheetHeight();
    double offset;
    if (p.dismissing) {
        double t = easeOut(clamp01((now_ - p.dismissedAt) / kSheetAnimation));
        offset = p.dismissFrom + (height - p.dismissFrom) * t;
    } else {
        double t = easeOut(clamp01((now_ - p.shownAt) / kSheetAnimation));
        offset = (1 - t) * height;
        double spring = clamp01((now_ - p.springAt) / 0.25);
        if (spring < 1) offset += p.springFrom * (1 - easeOut(spring));
        offset += p.dragOffset;
    }
    double visibility = height > 0 ? 1 - offset / height : 0;

    LaidOutView backdrop;
    backdrop.kind = "Rectangle";
    backdrop.layer = layer;
    backdrop.frame = backdrop.outerFrame = backdrop.hitFrame = {0, 0, viewport_.size.width, viewport_.size.height};
    backdrop.fill = kBackdrop;
    backdrop.opacity = clamp01(visibility);
    tree_.views.push_back(backdrop);

    Rect sheet{0, viewport_.size.height - height + offset, viewport_.size.width, height};
    LaidOutView base;
    base.kind = "RoundedRectangle";
    base.layer = layer;
    base.frame = base.outerFrame = base.hitFrame = sheet;
    base.fill = kSheetBase;
    base.shapeKind = ShapeNode::Kind::roundedRectangle;
    base.cornerRadius = 10;
    base.cornerStyle = CornerStyle::continuous;
    base.topCornersOnly = true;
    tree_.views.push_back(base);

    std::size_t first = tree_.views.size();
    EdgeInsets safe{0, 0, viewport_.safeArea.bottom, 0};
    engine_.layout(p.content, sheet, safe, tree_, layer);
    for (std::size_t i = first; i < tree_.views.size(); ++i) {
        auto& v = tree_.views[i];
        v.clip = v.clip.intersection(sheet);
    }
}

void Runtime::layoutCopyMenu() {
    Selection& s = *selection_;
    LaidOutView highlight;
    highlight.kind = "Rectangle";
    highlight.layer = "menu";
    highlight.frame = highlight.outerFrame = s.frame;
    highlight.fill = kSelectionFill;
    tree_.views.push_back(highlight);

    View menu = Button([this] {
                           if (!selection_) return;
                           if (clipboard_) clipboard_(selection_->text);
                           selection_.reset();
                           markDirty();
                       },
                       Text("Copy").font(Font::system(15)).foregroundStyle(Color::white))
                    .padding(EdgeInsets{8, 14, 8, 14})
                    .background(kMenuFill, RoundedRectangle(8, CornerStyle::continuous));
    Size size = engine_.sizeThatFits(menu, {});
    double x = std::clamp(s.frame.midX() - size.width / 2, 4.0,
                          std::max(4.0, viewport_.size.width - size.width - 4));
    double y = s.frame.minY() - size.height - 6;
    if (y < viewport_.safeArea.top + 4) y = s.frame.maxY() + 6;  // no room above: below
    Rect bounds{x, y, size.width, size.height};
    s.copyButton = bounds;
    engine_.layout(menu, bounds, {}, tree_, "menu");
}

void Runtime::captureScrollOffsets() {
    for (const auto& v : tree_.views) {
        if (v.kind == "ScrollView" && !v.scrollKey.empty()) scrollOffsets_[v.scrollKey] = v.scrollOffset;
    }
}

void Runtime::decorate() {
    // A pressed button dims while the finger is inside it.
    if (gesture_ && gesture_->button >= 0 && gesture_->buttonInside) {
        for (std::size_t i = 0; i < tree_.views.size(); ++i) {
            if (isAncestor(tree_, gesture_->button, static_cast<int>(i))) tree_.views[i].opacity *= 0.5;
        }
    }
    // Scroll indicators show while scrolling, and a moment after.
    if (now_ - lastScrollAt_ < kScrollIndicatorLinger) {
        std::vector<LaidOutView> indicators;
        for (const auto& v : tree_.views) {
            if (v.kind != "ScrollView" || v.contentHeight <= v.frame.height + 0.5) continue;
            double visible = v.frame.height / v.contentHeight;
            double length = std::max(36.0, (v.frame.height - 6) * visible);
            double maxOffset = v.contentHeight - v.frame.height;
            double travel = v.frame.height - 6 - length;
            LaidOutView bar;
            bar.kind = "ScrollIndicator";
            bar.layer = v.layer;
            bar.frame = bar.outerFrame = {v.frame.maxX() - 6, v.frame.y + 3 + travel * (v.scrollOffset / maxOffset), 3, length};
            // It fades over the last third of its linger.
            double fade = clamp01((kScrollIndicatorLinger - (now_ - lastScrollAt_)) / (kScrollIndicatorLinger / 3));
            bar.fill = kIndicator;
            bar.opacity = fade;
            bar.shapeKind = ShapeNode::Kind::roundedRectangle;
            bar.cornerRadius = 1.5;
            bar.clip = v.clip;
            indicators.push_back(bar);
        }
        // Each indicator goes after its layer's last entry, so it is drawn
        // above the content and under any presentation.
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
}

// ---- Presentations ---------------------------------------------------

bool Runtime::alertPresented() const {
    return std::any_of(found_.begin(), found_.end(),
                       [](const auto& f) { return f.alert && f.alert->isPresented.wrappedValue(); });
}

bool Runtime::sheetPresented() const {
    return std::any_of(found_.begin(), found_.end(),
                       [](const auto& f) { return f.sheet && f.sheet->isPresented.wrappedValue(); });
}

std::vector<Runtime::OnScreen> Runtime::presentationsOnScreen() const {
    std::vector<OnScreen> out;
    for (const auto& p : presentations_) out.push_back({p->kind == Presentation::Kind::alert, p->dismissing});
    return out;
}

void Runtime::commitDismiss(Presentation& p) {
    // The flag drops the moment the dismissal is committed; the closing
    // animation follows.
    p.dismissing = true;
    p.dismissedAt = now_;
    double height = sheetHeight();
    double t = easeOut(clamp01((now_ - p.shownAt) / kSheetAnimation));
    p.dismissFrom = std::clamp((1 - t) * height + p.dragOffset, 0.0, height);
    gesture_.reset();
    selection_.reset();
    if (p.kind == Presentation::Kind::alert) {
        p.alert.isPresented.set(false);
    } else {
        p.sheet.isPresented.set(false);
        if (p.sheet.onDismiss) p.sheet.onDismiss();
    }
    markDirty();
}

Runtime::Presentation* Runtime::topPresentation() {
    return presentations_.empty() ? nullptr : presentations_.back().get();
}

// The layer that takes input: the front presentation, or the screen.
std::string Runtime::inputLayer() {
    Presentation* top = topPresentation();
    return top ? top->layer() : "";
}

// ---- Input ---------------------------------------------------------------

int Runtime::hitTest(Point p, const std::function<bool(const LaidOutView&)>& accepts) {
    std::string layer = inputLayer();
    for (int i = static_cast<int>(tree_.views.size()) - 1; i >= 0; --i) {
        const auto& v = tree_.views[i];
        if (v.layer != layer) continue;
        if (!v.clip.contains(p) || !v.hitFrame.contains(p)) continue;
        if (accepts(v)) return i;
    }
    return -1;
}

int Runtime::scrollViewAt(Point p) {
    return hitTest(p, [](const LaidOutView& v) { return v.kind == "ScrollView"; });
}

int Runtime::frontScrollView() {
    std::string layer = inputLayer();
    for (int i = static_cast<int>(tree_.views.size()) - 1; i >= 0; --i) {
        if (tree_.views[i].layer == layer && tree_.views[i].kind == "ScrollView") return i;
    }
    return -1;
}

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
    setScrollOffset(v.scrollKey, v.scrollOffset + dy, v.contentHeight - v.frame.height);
    lastScrollAt_ = now_;
    selection_.reset();
    markDirty();
}

void Runtime::pointerDown(Point p, double now) {
    advanceTo(now);
    tree();
    gesture_ = std::make_unique<Gesture>();
    Gesture& g = *gesture_;
    g.down = g.last = p;
    g.downAt = now_;
    g.samples.push_back({now_, p.y});
    g.layer = inputLayer();

    Presentation* top = topPresentation();
    if (top && top->dismissing) {
        g.swallowed = true;  // nothing takes touches while a presentation closes
        return;
    }
    if (selection_) {
        if (selection_->copyButton.contains(p)) {
            g.copyButton = true;
        } else {
            selection_.reset();
            g.swallowed = true;
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
            g.button = front;
            g.buttonFrame = v.hitFrame;
            g.buttonAction = v.buttonAction;
            g.buttonInside = true;
            markDirty();
        } else if (v.longPress) {
            g.longPress = *v.longPress;
            g.longPressPending = true;
        } else if (v.selectable) {
            g.selectable = front;
            g.copyHoldPending = true;
        }
    }
    g.scrollEntry = scrollViewAt(p);
    if (g.scrollEntry >= 0) {
        g.scrollKey = tree_.views[g.scrollEntry].scrollKey;
        g.scrollStart = tree_.views[g.scrollEntry].scrollOffset;
    }
}

void Runtime::pointerMove(Point p, double now) {
    advanceTo(now);
    tree();
    if (!gesture_ || gesture_->swallowed) return;
    Gesture& g = *gesture_;
    g.last = p;
    g.samples.push_back({now_, p.y});
    if (g.samples.size() > 8) g.samples.erase(g.samples.begin());
    double moved = distance(p, g.down);
    if (g.longPressPending && moved > g.longPress.maximumDistance) g.longPressPending = false;
    if (g.copyHoldPending && moved > kDragSlop) g.copyHoldPending = false;

    Presentation* top = topPresentation();
    bool inSheet = top && top->kind == Presentation::Kind::sheet && g.layer == top->layer();
    if (!g.scrolling && !g.sheetDragging && moved > kDragSlop) {
        double dy = p.y - g.down.y;
        bool vertical = std::abs(dy) >= std::abs(p.x - g.down.x);
        // On a sheet, a downward pull on content already at its top moves
        // the sheet, not the content.
        bool atTop = g.scrollEntry < 0 || tree_.views[g.scrollEntry].scrollOffset <= 0.5;
        if (inSheet && vertical && dy > 0 && atTop) {
            g.sheetDragging = true;
        } else if (g.scrollEntry >= 0 && vertical) {
            g.scrolling = true;
        }
        if (g.sheetDragging || g.scrolling) {
            // A drag that turns into a scroll is not a tap.
            if (g.button >= 0) markDirty();
            g.button = -1;
            g.buttonAction = nullptr;
            g.longPressPending = false;
            g.copyHoldPending = false;
        }
    }
    if (g.sheetDragging && top) {
        top->dragOffset = std::max(0.0, p.y - g.down.y - kDragSlop);
        markDirty();
    } else if (g.scrolling) {
        int entry = -1;
        for (int i = 0; i < static_cast<int>(tree_.views.size()); ++i) {
            if (tree_.views[i].scrollKey == g.scrollKey && tree_.views[i].kind == "ScrollView") entry = i;
        }
        if (entry >= 0) {
            const auto& v = tree_.views[entry];
            setScrollOffset(g.scrollKey, g.scrollStart - (p.y - g.down.y), v.contentHeight - v.frame.height);
            lastScrollAt_ = now_;
            markDirty();
        }
    } else if (g.button >= 0) {
        bool inside = g.buttonFrame.contains(p);
        if (inside != g.buttonInside) {
            g.buttonInside = inside;
            markDirty();
        }
    }
}

void Runtime::pointerUp(Point p, double now) {
    advanceTo(now);
    // Bringing the tree up to date may present something, which ends
    // whatever the finger was doing beneath it.
    tree();
    if (!gesture_) return;
    std::unique_ptr<Gesture> ended = std::move(gesture_);
    Gesture& g = *ended;
    if (g.swallowed) return;
    if (g.copyButton) {
        if (selection_ && selection_->copyButton.contains(p)) {
            if (clipboard_) clipboard_(selection_->text);
        }
        selection_.reset();
        markDirty();
        return;
    }
    Presentation* top = topPresentation();
    if (g.sheetDragging && top) {
        double height = sheetHeight();
        double speed = 0;
        if (g.samples.size() >= 2) {
            auto [t0, y0] = g.samples.front();
            auto [t1, y1] = g.samples.back();
            if (t1 - t0 > 1e-6) speed = (y1 - y0) / (t1 - t0);
        }
        if (top->dragOffset > height / 3 || speed > 1200) {
            commitDismiss(*top);
        } else {
            top->springFrom = top->dragOffset;
            top->springAt = now_;
            top->dragOffset = 0;
        }
        markDirty();
        return;
    }
    if (g.button >= 0) {
        markDirty();
        if (g.buttonFrame.contains(p) && g.buttonAction) g.buttonAction();
    }
}

void Runtime::secondaryClick(Point p, double now) {
    advanceTo(now);
    tree();
    gesture_.reset();
    selection_.reset();
    Presentation* top = topPresentation();
    if (top && top->dismissing) return;
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

void Runtime::wheel(Point p, double dy, double now) {
    advanceTo(now);
    tree();
    Presentation* top = topPresentation();
    if (top && top->dismissing) return;
    int entry = scrollViewAt(p);
    if (entry < 0) entry = frontScrollView();
    scrollBy(entry, dy);
}

void Runtime::key(Key key, double now) {
    advanceTo(now);
    tree();
    Presentation* top = topPresentation();
    if (key == Key::escape) {
        if (selection_) {
            selection_.reset();
            markDirty();
        } else if (top && !top->dismissing) {
            if (top->kind == Presentation::Kind::alert) {
                // Escape is the alert's cancel button.
                for (const View& action : top->alert.actions) {
                    const auto* b = std::get_if<ButtonNode>(&action.node().value);
                    if (b && b->role == ButtonRole::cancel && b->action) b->action();
                }
            }
            commitDismiss(*top);
        }
        return;
    }
    if (key == Key::enter) {
        if (!top || top->dismissing || top->kind != Presentation::Kind::alert) return;
        const ButtonNode* chosen = nullptr;
        for (const View& action : top->alert.actions) {
            const auto* b = std::get_if<ButtonNode>(&action.node().value);
            if (b && (b->role == ButtonRole::cancel || top->alert.actions.size() == 1)) chosen = b;
        }
        if (!chosen) return;
        if (chosen->action) chosen->action();
        commitDismiss(*top);
        return;
    }
    if (top && top->dismissing) return;
    int entry = frontScrollView();
    if (entry < 0) return;
    const auto& v = tree_.views[entry];
    double page = std::max(40.0, v.frame.height - 40);
    double maxOffset = v.contentHeight - v.frame.height;
    switch (key) {
        case Key::up: scrollBy(entry, -40); break;
        case Key::down: scrollBy(entry, 40); break;
        case Key::pageUp: scrollBy(entry, -page); break;
        case Key::pageDown: scrollBy(entry, page); break;
        case Key::home: scrollBy(entry, -v.scrollOffset); break;
        case Key::end: scrollBy(entry, maxOffset - v.scrollOffset); break;
        default: break;
    }
}

// ---- Time -----------------------------------------------------------------

std::optional<double> Runtime::nextDeadline() const {
    std::optional<double> next;
    auto consider = [&next](double t) {
        if (!next || t < *next) next = t;
    };
    if (gesture_ && gesture_->longPressPending) consider(gesture_->downAt + gesture_->longPress.minimumDuration);
    if (gesture_ && gesture_->copyHoldPending) consider(gesture_->downAt + kCopyHoldDuration);
    return next;
}

bool Runtime::isAnimating() const {
    if (now_ - lastScrollAt_ < kScrollIndicatorLinger) return true;
    for (const auto& p : presentations_) {
        double duration = p->kind == Presentation::Kind::alert ? kAlertAnimation : kSheetAnimation;
        if (p->dismissing) return true;
        if (now_ - p->shownAt < duration) return true;
        if (now_ - p->springAt < 0.25) return true;
    }
    return false;
}

void Runtime::fireDueTimers(double until) {
    // Timers fire at their own moments, in order, so that a long press is
    // recognised exactly when it has lasted its minimum duration.
    while (gesture_) {
        Gesture& g = *gesture_;
        double longPressAt = g.longPressPending ? g.downAt + g.longPress.minimumDuration : INFINITY;
        double copyAt = g.copyHoldPending ? g.downAt + kCopyHoldDuration : INFINITY;
        double at = std::min(longPressAt, copyAt);
        if (at > until) break;
        now_ = std::max(now_, at);
        if (at == longPressAt) {
            g.longPressPending = false;
            if (g.longPress.action) g.longPress.action();
            markDirty();
        } else {
            g.copyHoldPending = false;
            tree();
            if (g.selectable >= 0 && g.selectable < static_cast<int>(tree_.views.size())) {
                openCopyMenu(g.selectable);
                g.swallowed = true;  // lifting the finger leaves the menu open
            }
        }
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
