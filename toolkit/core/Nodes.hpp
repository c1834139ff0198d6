#pragma once

// The nodes a view tree is made of: leaves, containers, and a modifier
// wrapped around a view. Nodes are plain values; the layout engine and the
// runtime interpret them.
//
// Every branch over the kinds of node and of modifier is written with
// `visitKind` below and handles each kind by name, so that adding a kind
// without handling it everywhere fails to compile. A new kind of node or
// modifier must be handled in:
// - toolkit/layout/Layout.cpp: `Pass::compute` (measuring), `Pass::place`
//   and `cachedKind` (whether its answers are cached);
// - toolkit/layout/LayoutModifiers.cpp: `Pass::measureModified`,
//   `Pass::placeModified`, `folded` and `Pass::modifierEnvironment`
//   (modifiers);
// - toolkit/layout/LayoutFlexibility.cpp: `Pass::lengthAtZero` and its
//   modifier half;
// - toolkit/runtime/Resolve.cpp: `Resolver::resolveNode` and the views a
//   modifier holds (`resolveModifierViews`).

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <type_traits>
#include <variant>
#include <vector>

#include "toolkit/core/ViewValue.hpp"

namespace ui {

// ---- Leaves -----------------------------------------------------------

struct TextNode {
    LocalizedString string;
};
struct ImageNode {
    std::string systemName;
};
struct LabelNode {
    LocalizedString title;
    std::string systemImage;
};
struct ShapeNode {
    enum class Kind { rectangle, roundedRectangle };
    Kind kind = Kind::rectangle;
    double cornerRadius = 0;
    CornerStyle cornerStyle = CornerStyle::circular;
    std::optional<Style> fill;    // none: filled with the foreground style
    std::optional<Style> stroke;  // set: stroked along the outline instead
    double lineWidth = 1;
};
struct DividerNode {};
struct SpacerNode {
    std::optional<double> minLength;
};
struct EmptyNode {};
struct GradientNode {
    LinearGradient gradient;
};

struct ButtonNode {
    std::function<void()> action;
    View label;
    ButtonRole role = ButtonRole::none;
};

// ---- Containers -------------------------------------------------------

struct StackNode {
    Axis axis = Axis::vertical;
    HorizontalAlignment horizontalAlignment = HorizontalAlignment::center;  // VStack
    VerticalAlignment verticalAlignment = VerticalAlignment::center;        // HStack
    std::optional<double> spacing;
    std::vector<View> children;
};
struct ZStackNode {
    Alignment alignment = Alignment::center;
    std::vector<View> children;
};
struct ScrollViewNode {
    Axis axis = Axis::vertical;
    bool showsIndicators = true;
    View content;
};
struct GridNode {
    GridItem item;
    HorizontalAlignment alignment = HorizontalAlignment::center;
    std::optional<double> spacing;
    std::vector<View> children;
};
// `ForEach` and `Group`: their children stand in the enclosing container
// as if written there. `ids` names each child (ForEach) for identity.
struct GroupNode {
    std::vector<View> children;
    std::vector<std::string> ids;
};
struct NavigationStackNode {
    View root;
};
struct ComponentNode {
    std::type_index type;
    std::function<View(ComponentContext&)> evaluate;
};

// ---- Modifiers --------------------------------------------------------

struct PaddingModifier {
    EdgeInsets insets;
};
struct FrameModifier {
    Frame frame;
};
struct FixedSizeModifier {
    bool horizontal = true;
    bool vertical = true;
};
struct FontModifier {
    Font font;
};
struct ForegroundStyleModifier {
    Style style;
};
struct LineLimitModifier {
    std::optional<int> limit;
};
struct MinimumScaleFactorModifier {
    double factor = 1;
};
struct TintModifier {
    Color color;
};
struct ButtonStyleModifier {
    ButtonStyleKind style = ButtonStyleKind::automatic;
};
struct TextSelectionModifier {
    bool enabled = true;
};
struct BackgroundModifier {
    View view;
    Edges ignoresSafeAreaEdges = Edges::none;
};
struct OverlayModifier {
    View view;
    Edges ignoresSafeAreaEdges = Edges::none;
};
struct ContentShapeModifier {
    ShapeNode shape;
};
struct LongPressModifier {
    double minimumDuration = 0.5;
    double maximumDistance = 10;
    std::function<void()> action;
};
struct AccessibilityHintModifier {
    LocalizedString hint;
};
struct AccessibilityLabelModifier {
    LocalizedString label;
};
struct AlertModifier {
    LocalizedString title;
    Binding<bool> isPresented;
    std::vector<View> actions;
    View message;
};
struct SheetModifier {
    Binding<bool> isPresented;
    std::function<void()> onDismiss;
    std::function<View()> content;
};
struct ToolbarModifier {
    std::vector<ToolbarItem> items;
};

using Modifier =
    std::variant<PaddingModifier, FrameModifier, FixedSizeModifier, FontModifier,
                 ForegroundStyleModifier, LineLimitModifier, MinimumScaleFactorModifier,
                 TintModifier, ButtonStyleModifier, TextSelectionModifier, BackgroundModifier,
                 OverlayModifier, ContentShapeModifier, LongPressModifier,
                 AccessibilityHintModifier, AccessibilityLabelModifier, AlertModifier,
                 SheetModifier, ToolbarModifier>;

struct ModifiedNode {
    View content;
    Modifier modifier;
};

struct Node {
    using Value = std::variant<EmptyNode, TextNode, ImageNode, LabelNode, ShapeNode, DividerNode,
                               SpacerNode, GradientNode, ButtonNode, StackNode, ZStackNode,
                               ScrollViewNode, GridNode, GroupNode, NavigationStackNode,
                               ComponentNode, ModifiedNode>;
    Value value;
};

// Every node is made here; View.cpp says how their memory is kept.
std::shared_ptr<const Node> newNode(Node node);

template <class T>
View makeView(T value) {
    return View(newNode(Node{Node::Value(std::move(value))}));
}

// An overload set made of lambdas, for `visitKind`.
template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

// Whether `T` is one of `Kinds`: lets one handler take a few kinds that are
// treated alike while still naming each of them.
template <class T, class... Kinds>
concept OneOf = (std::is_same_v<T, Kinds> || ...);

// Calls `handler` with the alternative `value` holds (a node's `Node::Value`
// or a `Modifier`, const or not). The handler must accept every alternative, so a kind
// nobody handles is a compile error. Dispatch is a switch on the index,
// which the hot paths of layout need: it compiles to one jump, and the
// handler's lambdas inline into it.
namespace kind_detail {
// Room for this many kinds in one variant; the switch below has a case for
// each.
inline constexpr std::size_t kMaxKinds = 24;

template <std::size_t I, class Variant, class Handler>
decltype(auto) call(Variant& value, Handler& handler) {
    static_assert(std::is_invocable_v<Handler&, decltype(*std::get_if<I>(&value))>,
                  "a kind of node or modifier has no handler here: every kind must be handled");
    return handler(*std::get_if<I>(&value));
}
}  // namespace kind_detail

template <class Variant, class Handler>
decltype(auto) visitKind(Variant& value, Handler&& handler) {
    constexpr std::size_t kinds = std::variant_size_v<std::remove_const_t<Variant>>;
    static_assert(kinds <= kind_detail::kMaxKinds, "raise kMaxKinds and add cases to visitKind");
    // Cases past the variant's last alternative are never taken; each
    // stands in for the next so that the switch compiles for any size.
#define NORVEL_KIND_CASE(I)                                             \
    case I:                                                             \
        if constexpr (I < kinds) return kind_detail::call<I>(value, handler); \
        [[fallthrough]];
    switch (value.index()) {
        NORVEL_KIND_CASE(0)
        NORVEL_KIND_CASE(1)
        NORVEL_KIND_CASE(2)
        NORVEL_KIND_CASE(3)
        NORVEL_KIND_CASE(4)
        NORVEL_KIND_CASE(5)
        NORVEL_KIND_CASE(6)
        NORVEL_KIND_CASE(7)
        NORVEL_KIND_CASE(8)
        NORVEL_KIND_CASE(9)
        NORVEL_KIND_CASE(10)
        NORVEL_KIND_CASE(11)
        NORVEL_KIND_CASE(12)
        NORVEL_KIND_CASE(13)
        NORVEL_KIND_CASE(14)
        NORVEL_KIND_CASE(15)
        NORVEL_KIND_CASE(16)
        NORVEL_KIND_CASE(17)
        NORVEL_KIND_CASE(18)
        NORVEL_KIND_CASE(19)
        NORVEL_KIND_CASE(20)
        NORVEL_KIND_CASE(21)
        NORVEL_KIND_CASE(22)
        NORVEL_KIND_CASE(23)
        default:
            break;
    }
#undef NORVEL_KIND_CASE
    // A valueless variant (only after an exception while assigning it,
    // which nodes never throw) has no kind to branch on.
    std::abort();
}

}  // namespace ui
