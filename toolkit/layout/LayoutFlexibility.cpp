// Flexibility: the length of a view along an axis when it is offered
// nothing there, found without laying it out where the rules allow.
//
// A stack orders its children by flexibility, which needs each child's
// length when offered nothing along the stack's axis. For many views that
// length follows from the rules without laying anything out, and does not
// depend on what is offered across the axis: a text offered no width is 0
// wide (its answer never exceeds the proposal), an image is its symbol box,
// a fixed frame its fixed length, padding its insets plus its content's
// length. `lengthAtZero` answers those and gives up (empty) on the rest,
// which are then asked the real question.

#include <algorithm>

#include "toolkit/layout/LayoutPass.hpp"

namespace ui::layout_detail {

std::optional<double> Pass::lengthAtZero(const Node& node, const Environment* env, Axis axis) {
    const bool horizontal = axis == Axis::horizontal;
    return visitKind(
        node.value,
        Overloaded{
            [&](const TextNode&) { return horizontal ? std::optional(0.0) : std::nullopt; },
            [&](const LabelNode& n) -> std::optional<double> {
                if (!horizontal) return std::nullopt;
                const Font font = env->fontOrBody();
                return symbolBox(n.systemImage, font).width + labelSpacing(font);
            },
            [&](const ImageNode& n) -> std::optional<double> {
                return major(axis, symbolBox(n.systemName, env->fontOrBody()));
            },
            [&](const OneOf<ShapeNode, GradientNode> auto&) { return std::optional(0.0); },
            [&](const DividerNode&) {
                const bool upright = env->stackAxis == Axis::horizontal;
                return std::optional(upright == horizontal ? 1 / scale_ : 0.0);
            },
            [&](const ComponentNode&) { return lengthAtZero(resolved(node), env, axis); },
            [&](const StackNode& n) {
                StackSpec spec{n.axis, n.horizontalAlignment, n.verticalAlignment, n.spacing};
                return stackLengthAtZero(node, spec, children(node, n.children), env, axis);
            },
            [&](const ZStackNode& n) -> std::optional<double> {
                double longest = 0;
                for (const Node* child : children(node, n.children)) {
                    std::optional<double> length = lengthAtZero(*child, env, axis);
                    if (!length) return std::nullopt;
                    longest = std::max(longest, *length);
                }
                return longest;
            },
            [&](const ModifiedNode& n) { return modifierLengthAtZero(node, n, env, axis); },
            // The rest are asked the real question.
            [&](const OneOf<EmptyNode, SpacerNode, ButtonNode, ScrollViewNode, GridNode, GroupNode,
                            NavigationStackNode> auto&) { return std::optional<double>(); }});
}

std::optional<double> Pass::modifierLengthAtZero(const Node& self, const ModifiedNode& node,
                                                 const Environment* env, Axis axis) {
    const bool horizontal = axis == Axis::horizontal;
    const Node& content = node.content.node();
    return visitKind(
        node.modifier,
        Overloaded{
            [&](const PaddingModifier& m) -> std::optional<double> {
                std::optional<double> inner = lengthAtZero(content, env, axis);
                if (!inner) return std::nullopt;
                return *inner + (horizontal ? m.insets.horizontal() : m.insets.vertical());
            },
            [&](const FrameModifier& m) -> std::optional<double> {
                const Frame& f = m.frame;
                const std::optional<double> fixed = horizontal ? f.fixedWidth : f.fixedHeight;
                if (fixed) return std::max(0.0, *fixed);
                const bool bounded = horizontal ? (f.minimumWidth || f.maximumWidth)
                                                : (f.minimumHeight || f.maximumHeight);
                if (bounded) return std::nullopt;
                return lengthAtZero(content, env, axis);
            },
            [&](const FixedSizeModifier& m) -> std::optional<double> {
                if (horizontal ? m.horizontal : m.vertical) return std::nullopt;
                return lengthAtZero(content, env, axis);
            },
            [&](const OneOf<FontModifier, ForegroundStyleModifier, LineLimitModifier,
                            MinimumScaleFactorModifier, TintModifier, ButtonStyleModifier,
                            TextSelectionModifier, BackgroundModifier, OverlayModifier,
                            ContentShapeModifier, LongPressModifier, AccessibilityHintModifier,
                            AccessibilityLabelModifier, AlertModifier, SheetModifier,
                            ToolbarModifier> auto&) {
                return lengthAtZero(content, modifierEnvironment(self, node.modifier, env), axis);
            }});
}

}  // namespace ui::layout_detail
