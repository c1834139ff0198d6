// The runtime's presentations: alerts and sheets follow their flags, are
// laid out as layers of their own above the screen, animate in and out, and
// close when a button, a swipe or Escape commits their dismissal. The copy
// menu over selected text is laid out here too.

#include <algorithm>

#include "toolkit/runtime/Runtime.hpp"
#include "toolkit/runtime/RuntimeParts.hpp"

namespace ui {
using namespace runtime_detail;

namespace {

// The surfaces of the presentations, in the dark appearance.
constexpr Color kAlertCard{0.17, 0.17, 0.18, 0.97};
constexpr Color kSheetBase{0.11, 0.11, 0.12, 1};
constexpr Color kBackdrop{0, 0, 0, 0.4};
constexpr Color kMenuFill{0.23, 0.23, 0.25, 1};
constexpr Color kSelectionFill = Color::blue.opacity(0.35);

// The alert: a card of fixed width with the title over the message, then
// one row per action with a hairline above it.
constexpr double kAlertWidth = 270;
constexpr double kAlertCornerRadius = 14;
constexpr double kAlertTitleSize = 17;
constexpr double kAlertMessageSize = 13;
constexpr double kAlertTitleSpacing = 4;  // between the title and the message
constexpr EdgeInsets kAlertTextInsets{19, 16, 19, 16};
constexpr double kAlertActionSize = 17;
constexpr double kAlertActionHeight = 44;

// The sheet rounds its top corners.
constexpr double kSheetCornerRadius = 10;

// The copy menu: one button, above the selection (below it when there is
// no room above), kept inside the window's edges.
constexpr double kMenuTextSize = 15;
constexpr EdgeInsets kMenuInsets{8, 14, 8, 14};
constexpr double kMenuCornerRadius = 8;
constexpr double kMenuGap = 6;          // between the menu and the selection
constexpr double kMenuEdgeMargin = 4;   // from the window's edges

// A full-window dimming behind a presentation.
LaidOutView backdrop(const Layer& layer, Size window, double opacity) {
    LaidOutView v;
    v.kind = EntryKind::rectangle;
    v.layer = layer;
    v.place = layer.name() + "/backdrop";
    v.frame = v.outerFrame = v.hitFrame = {0, 0, window.width, window.height};
    v.fill = kBackdrop;
    v.opacity = opacity;
    return v;
}

}  // namespace

// ---- Following the flags -------------------------------------------------

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
        return p->dismissing && now_ - p->dismissedAt >= p->animationDuration();
    });
}

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
    double shown = easeOut(progress(now_ - p.shownAt, kSheetAnimation));
    p.dismissFrom = std::clamp((1 - shown) * height + p.dragOffset, 0.0, height);
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

// Closes `p` if it is still up: its buttons and its content's dismiss
// action close only the live presentation they belong to.
void Runtime::closeAfterAction(const Presentation* p) {
    for (auto& q : presentations_) {
        if (q.get() == p && !q->dismissing) commitDismiss(*q);
    }
}

Runtime::Presentation* Runtime::topPresentation() {
    return presentations_.empty() ? nullptr : presentations_.back().get();
}

// Nothing takes input while the front presentation closes.
bool Runtime::frontIsClosing() {
    Presentation* top = topPresentation();
    return top && top->dismissing;
}

// The layer that takes input: the front presentation, or the screen.
Layer Runtime::inputLayer() {
    Presentation* top = topPresentation();
    return top ? top->layer() : Layer{};
}

// ---- Laying out ------------------------------------------------------------

double Runtime::sheetHeight() const {
    return std::max(0.0, viewport_.size.height - viewport_.safeArea.top - kSheetTopGap);
}

void Runtime::layoutAlert(Presentation& p, double visibility) {
    const Layer layer = p.layer();
    tree_.views.push_back(backdrop(layer, viewport_.size, visibility));

    std::vector<View> rows;
    rows.push_back(VStack(HorizontalAlignment::center, kAlertTitleSpacing,
                          {makeView(TextNode{p.alert.title})
                               .font(Font::system(kAlertTitleSize, Font::Weight::semibold)),
                           p.alert.message.font(Font::system(kAlertMessageSize))})
                       .padding(kAlertTextInsets));
    const Presentation* self = &p;
    std::vector<ButtonRole> roles;
    for (const View& action : p.alert.actions) {
        const auto* button = std::get_if<ButtonNode>(&action.node().value);
        if (!button) continue;
        roles.push_back(button->role);
        // Every button closes the alert after its action.
        auto run = [this, self, action = button->action] {
            if (action) action();
            closeAfterAction(self);
        };
        Font::Weight weight =
            button->role == ButtonRole::cancel ? Font::Weight::semibold : Font::Weight::regular;
        Frame row{std::nullopt, kAlertActionHeight, std::nullopt, infinity,
                  std::nullopt, std::nullopt, Alignment::center};
        rows.push_back(Divider());
        rows.push_back(Button(run, button->label.font(Font::system(kAlertActionSize, weight)).frame(row)));
    }
    View card = VStack(HorizontalAlignment::center, 0, std::move(rows))
                    .frame(Frame::fixed(kAlertWidth, std::nullopt))
                    .background(kAlertCard, RoundedRectangle(kAlertCornerRadius, CornerStyle::continuous));
    Size size = engine_.sizeThatFits(card, {kAlertWidth, std::nullopt});
    Rect bounds{(viewport_.size.width - size.width) / 2, (viewport_.size.height - size.height) / 2,
                size.width, size.height};
    std::size_t first = tree_.views.size();
    engine_.layout(card, bounds, {}, tree_, layer);
    // The rows' buttons keep their actions' roles, so that keyboard focus
    // can find the cancel button.
    std::size_t row = 0;
    for (std::size_t i = first; i < tree_.views.size(); ++i) {
        auto& v = tree_.views[i];
        v.opacity *= visibility;
        if (v.isButton && row < roles.size()) v.buttonRole = roles[row++];
    }
}

void Runtime::layoutSheet(Presentation& p) {
    const Layer layer = p.layer();
    double height = sheetHeight();
    double offset;
    if (p.dismissing) {
        offset = p.dismissFrom + (height - p.dismissFrom) * easeOut(progress(now_ - p.dismissedAt, kSheetAnimation));
    } else {
        offset = (1 - easeOut(progress(now_ - p.shownAt, kSheetAnimation))) * height;
        offset += p.springFrom * (1 - easeOut(progress(now_ - p.springAt, kSpringBackDuration)));
        offset += p.dragOffset;
    }
    double visibility = height > 0 ? 1 - offset / height : 0;
    tree_.views.push_back(backdrop(layer, viewport_.size, clamp01(visibility)));

    Rect sheet{0, viewport_.size.height - height + offset, viewport_.size.width, height};
    LaidOutView base;
    base.kind = EntryKind::roundedRectangle;
    base.layer = layer;
    base.place = layer.name() + "/surface";
    base.frame = base.outerFrame = base.hitFrame = sheet;
    base.fill = kSheetBase;
    base.shapeKind = ShapeNode::Kind::roundedRectangle;
    base.cornerRadius = kSheetCornerRadius;
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
    const Layer menuLayer{LayerKind::menu, ""};
    LaidOutView highlight;
    highlight.kind = EntryKind::rectangle;
    highlight.layer = menuLayer;
    highlight.place = menuLayer.name() + "/selection";
    highlight.frame = highlight.outerFrame = s.frame;
    highlight.fill = kSelectionFill;
    tree_.views.push_back(highlight);

    View menu = Button([this] {
                           if (!selection_) return;
                           if (clipboard_) clipboard_(selection_->text);
                           selection_.reset();
                           markDirty();
                       },
                       Text("Copy").font(Font::system(kMenuTextSize)).foregroundStyle(Color::white))
                    .padding(kMenuInsets)
                    .background(kMenuFill, RoundedRectangle(kMenuCornerRadius, CornerStyle::continuous));
    Size size = engine_.sizeThatFits(menu, {});
    double x = std::clamp(s.frame.midX() - size.width / 2, kMenuEdgeMargin,
                          std::max(kMenuEdgeMargin, viewport_.size.width - size.width - kMenuEdgeMargin));
    double y = s.frame.minY() - size.height - kMenuGap;
    if (y < viewport_.safeArea.top + kMenuEdgeMargin) y = s.frame.maxY() + kMenuGap;
    Rect bounds{x, y, size.width, size.height};
    s.copyButton = bounds;
    engine_.layout(menu, bounds, {}, tree_, menuLayer);
}

}  // namespace ui
