// Modifiers: how each kind changes the size of the view it wraps, where it
// places that view, what it adds to the view's entry, and what it changes
// in the environment inherited inside.

#include <algorithm>

#include "toolkit/layout/LayoutPass.hpp"

namespace ui::layout_detail {
namespace {

std::optional<double> shrunk(std::optional<double> length, double by) {
    if (!length) return std::nullopt;
    return std::max(0.0, *length - by);
}

ProposedSize insideOf(const ProposedSize& proposal, const EdgeInsets& insets) {
    return {shrunk(proposal.width, insets.horizontal()), shrunk(proposal.height, insets.vertical())};
}

ProposedSize unfixed(ProposedSize proposal, const FixedSizeModifier& m) {
    if (m.horizontal) proposal.width.reset();
    if (m.vertical) proposal.height.reset();
    return proposal;
}

// The modifiers that only hand something down to the views inside.
template <class T>
concept InheritedModifier =
    OneOf<T, FontModifier, ForegroundStyleModifier, LineLimitModifier, MinimumScaleFactorModifier,
          TintModifier, ButtonStyleModifier, TextSelectionModifier>;

// The modifiers layout passes by: presentations (the runtime shows those)
// and toolbars (read by the enclosing NavigationStack).
template <class T>
concept PassedModifier = OneOf<T, AlertModifier, SheetModifier, ToolbarModifier>;

}  // namespace

const Environment* Pass::modifierEnvironment(const Node& self, const Modifier& modifier,
                                             const Environment* env) {
    auto change = [&](auto&& apply) { return derive(env, &self, Derivation::modifier, apply); };
    return visitKind(
        modifier,
        Overloaded{
            [&](const FontModifier& m) {
                return change([&](Environment& e) { e.font = m.font; });
            },
            [&](const ForegroundStyleModifier& m) {
                return change([&](Environment& e) { e.foreground = m.style; });
            },
            [&](const LineLimitModifier& m) {
                return change([&](Environment& e) { e.lineLimit = m.limit; });
            },
            [&](const MinimumScaleFactorModifier& m) {
                return change(
                    [&](Environment& e) { e.minimumScaleFactor = std::clamp(m.factor, 0.0, 1.0); });
            },
            [&](const TintModifier& m) { return change([&](Environment& e) { e.tint = m.color; }); },
            [&](const ButtonStyleModifier& m) {
                return change([&](Environment& e) { e.buttonStyle = m.style; });
            },
            [&](const TextSelectionModifier& m) {
                return change([&](Environment& e) { e.textSelection = m.enabled; });
            },
            [&](const OneOf<PaddingModifier, FrameModifier, FixedSizeModifier, BackgroundModifier,
                            OverlayModifier, ContentShapeModifier, LongPressModifier,
                            AccessibilityHintModifier, AccessibilityLabelModifier, AlertModifier,
                            SheetModifier, ToolbarModifier> auto&) { return env; }});
}

Size Pass::measureFrame(const Frame& frame, const Node& content, const Environment* env,
                        const ProposedSize& proposal, ProposedSize* childProposal,
                        Size* childSize) {
    // Per axis: a fixed length is proposed and reported as it is. A flexible
    // axis proposes the proposal clamped to its bounds and reports the
    // child's size pulled towards the proposal, within the bounds: with
    // `maxWidth: .infinity` that is the whole proposed width, or the
    // child's width when that is larger.
    auto clampProposal = [](std::optional<double> p, std::optional<double> lo,
                            std::optional<double> hi) -> std::optional<double> {
        if (!p) return p;
        double v = *p;
        if (hi) v = std::min(v, *hi);
        if (lo) v = std::max(v, *lo);
        return v;
    };
    ProposedSize inner = proposal;
    if (frame.fixedWidth) {
        inner.width = std::max(0.0, *frame.fixedWidth);
    } else {
        inner.width = clampProposal(proposal.width, frame.minimumWidth, frame.maximumWidth);
    }
    if (frame.fixedHeight) {
        inner.height = std::max(0.0, *frame.fixedHeight);
    } else {
        inner.height = clampProposal(proposal.height, frame.minimumHeight, frame.maximumHeight);
    }
    Size child = sizeOf(content, env, inner);

    auto flexible = [](std::optional<double> p, double c, std::optional<double> lo,
                       std::optional<double> hi) {
        double r = c;
        if (lo) r = std::max(*lo, std::min(r, p.value_or(r)));
        if (hi) r = std::min(*hi, std::max(r, p.value_or(r)));
        return r;
    };
    Size size;
    size.width = frame.fixedWidth
                     ? *inner.width
                     : flexible(inner.width, child.width, frame.minimumWidth, frame.maximumWidth);
    size.height = frame.fixedHeight ? *inner.height
                                    : flexible(inner.height, child.height, frame.minimumHeight,
                                               frame.maximumHeight);
    if (childProposal) *childProposal = inner;
    if (childSize) *childSize = child;
    return size;
}

Measured Pass::measureModified(const Node& self, const ModifiedNode& node, const Environment* env,
                               const ProposedSize& proposal) {
    const Node& content = node.content.node();
    return visitKind(
        node.modifier,
        Overloaded{
            [&](const PaddingModifier& m) {
                Size s = sizeOf(content, env, insideOf(proposal, m.insets));
                return Measured{{s.width + m.insets.horizontal(), s.height + m.insets.vertical()}};
            },
            [&](const FrameModifier& m) {
                return Measured{measureFrame(m.frame, content, env, proposal, nullptr, nullptr)};
            },
            [&](const FixedSizeModifier& m) {
                return Measured{sizeOf(content, env, unfixed(proposal, m))};
            },
            // Everything else keeps the size of the view it modifies,
            // possibly in a changed environment.
            [&](const OneOf<BackgroundModifier, OverlayModifier, ContentShapeModifier,
                            LongPressModifier, AccessibilityHintModifier,
                            AccessibilityLabelModifier> auto&) {
                return Measured{sizeOf(content, env, proposal)};
            },
            [&](const InheritedModifier auto&) {
                return Measured{sizeOf(content, modifierEnvironment(self, node.modifier, env), proposal)};
            },
            [&](const PassedModifier auto&) { return Measured{sizeOf(content, env, proposal)}; }});
}

void Pass::placeSecondary(const View& secondary, Edges ignoresSafeAreaEdges, Rect rect,
                          const Environment* env, const Context& context, int step) {
    // A background or overlay is proposed exactly the size of the view it
    // decorates, or a larger one where it ignores the safe area: along each
    // such edge that the view reaches, it runs out to the layer's edge.
    if (ignoresSafeAreaEdges != Edges::none && context.region) {
        const Rect& safe = context.region->safe;
        const Rect& bounds = context.region->bounds;
        constexpr double kTouch = 0.5;  // half a point counts as touching
        double minX = rect.minX(), minY = rect.minY(), maxX = rect.maxX(), maxY = rect.maxY();
        if (contains(ignoresSafeAreaEdges, Edges::top) && minY <= safe.minY() + kTouch)
            minY = std::min(minY, bounds.minY());
        if (contains(ignoresSafeAreaEdges, Edges::leading) && minX <= safe.minX() + kTouch)
            minX = std::min(minX, bounds.minX());
        if (contains(ignoresSafeAreaEdges, Edges::bottom) && maxY >= safe.maxY() - kTouch)
            maxY = std::max(maxY, bounds.maxY());
        if (contains(ignoresSafeAreaEdges, Edges::trailing) && maxX >= safe.maxX() - kTouch)
            maxX = std::max(maxX, bounds.maxX());
        // Rebuilt only when an edge moved, so an untouched rectangle keeps
        // its exact numbers.
        if (minX != rect.minX() || minY != rect.minY() || maxX != rect.maxX() ||
            maxY != rect.maxY()) {
            rect = {minX, minY, maxX - minX, maxY - minY};
        }
    }
    const Node& node = secondary.node();
    const ProposedSize& proposal{rect.width, rect.height};
    Size size = sizeOf(node, env, proposal);
    Point origin{rect.x + (rect.width - size.width) / 2, rect.y + (rect.height - size.height) / 2};
    PathStep stepIn(path_, step);
    place(node, env, proposal, origin, size, context, Folded{});
}

namespace {

// What the modifier at `rect` adds to the entry of the view it modifies,
// on top of what the links above it added (`above`). Most links of a chain
// add nothing, so `above` is copied into `scratch` only when this one
// changes it; the answer is one of the two.
const Folded& folded(const Modifier& modifier, Rect rect, const Folded& above, Folded& scratch) {
    const Folded* current = &above;
    auto edit = [&]() -> Folded& {
        if (current != &scratch) {
            scratch = above;
            current = &scratch;
        }
        return scratch;
    };
    if (!above.outerFrame) edit().outerFrame = rect;
    visitKind(
        modifier,
        Overloaded{
            [&](const ContentShapeModifier&) {
                // The outermost content shape names the touch area; it
                // replaces the rectangle a gesture further out assumed.
                if (!current->hitFromShape) {
                    edit().hitFrame = rect;
                    edit().hitFromShape = true;
                }
            },
            [&](const LongPressModifier& m) {
                if (!current->longPress) edit().longPress = &m;
                if (!current->hitFrame) edit().hitFrame = rect;
            },
            // The outermost accessibility modifier wins, as a later-applied
            // one replaces what the view said about itself.
            [&](const AccessibilityHintModifier& m) {
                if (!current->accessibilityHint) edit().accessibilityHint = &m.hint;
            },
            [&](const AccessibilityLabelModifier& m) {
                if (!current->accessibilityLabel) edit().accessibilityLabel = &m.label;
            },
            [](const OneOf<PaddingModifier, FrameModifier, FixedSizeModifier, BackgroundModifier,
                           OverlayModifier> auto&) {},
            [](const InheritedModifier auto&) {},
            [](const PassedModifier auto&) {}});
    return *current;
}

}  // namespace

void Pass::placeModified(const Node& self, const ModifiedNode& node, const Environment* env,
                         const ProposedSize& proposal, Point origin, Size size,
                         const Context& context, const Folded& above) {
    const Node& content = node.content.node();
    const Rect rect{origin.x, origin.y, size.width, size.height};
    Folded scratch;
    const Folded& current = folded(node.modifier, rect, above, scratch);
    // Most modifiers leave the size alone, so their content is placed in
    // the same rectangle.
    auto same = [&](const Environment* contentEnv) {
        place(content, contentEnv, proposal, origin, size, context, current);
    };
    visitKind(
        node.modifier,
        Overloaded{
            [&](const PaddingModifier& m) {
                ProposedSize inner = insideOf(proposal, m.insets);
                place(content, env, inner, {origin.x + m.insets.leading, origin.y + m.insets.top},
                      sizeOf(content, env, inner), context, current);
            },
            [&](const FrameModifier& m) {
                ProposedSize inner;
                Size child;
                measureFrame(m.frame, content, env, proposal, &inner, &child);
                Point at{
                    origin.x + alignedOffset(m.frame.alignment.horizontal, size.width, child.width),
                    origin.y + alignedOffset(m.frame.alignment.vertical, size.height, child.height)};
                place(content, env, inner, at, child, context, current);
            },
            [&](const FixedSizeModifier& m) {
                place(content, env, unfixed(proposal, m), origin, size, context, current);
            },
            [&](const BackgroundModifier& m) {
                placeSecondary(m.view, m.ignoresSafeAreaEdges, rect, env, context, kBackgroundStep);
                same(env);
            },
            [&](const OverlayModifier& m) {
                same(env);
                placeSecondary(m.view, m.ignoresSafeAreaEdges, rect, env, context, kOverlayStep);
            },
            [&](const InheritedModifier auto&) {
                same(modifierEnvironment(self, node.modifier, env));
            },
            [&](const OneOf<ContentShapeModifier, LongPressModifier, AccessibilityHintModifier,
                            AccessibilityLabelModifier> auto&) { same(env); },
            [&](const PassedModifier auto&) { same(env); }});
}

}  // namespace ui::layout_detail
