#pragma once

// The view values our screens are written in. A `View` is an immutable,
// type-erased handle to a node; modifiers wrap it in a new node, in the
// order written. Screens are small structs with `ui::View body() const`;
// they convert to `View` implicitly and are evaluated by the runtime, which
// binds their state before it asks for their body.

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <typeindex>
#include <variant>
#include <vector>

#include "toolkit/core/Color.hpp"
#include "toolkit/core/Font.hpp"
#include "toolkit/core/Geometry.hpp"
#include "toolkit/core/State.hpp"

namespace ui {

struct Node;
class View;
class Shape;

// A text as a view states it: a localisable key (with at most one argument
// standing for its "%@"), or a verbatim text that is never looked up.
struct LocalizedString {
    std::string key;
    std::optional<std::string> argument;
    bool verbatim = false;

    LocalizedString() = default;
    LocalizedString(const char* k) : key(k) {}
    LocalizedString(std::string k) : key(std::move(k)) {}
    LocalizedString(std::string k, std::string arg) : key(std::move(k)), argument(std::move(arg)) {}
    static LocalizedString verbatimText(std::string text) {
        LocalizedString s(std::move(text));
        s.verbatim = true;
        return s;
    }
};

enum class CornerStyle { circular, continuous };
enum class ButtonRole { none, cancel };
enum class ButtonStyleKind { automatic, borderedProminent };
enum class ToolbarPlacement { topBarLeading, topBarTrailing };

// A frame modifier: fixed sides, or flexible bounds, with an alignment for
// the child inside.
struct Frame {
    std::optional<double> fixedWidth;
    std::optional<double> fixedHeight;
    std::optional<double> minimumWidth;
    std::optional<double> maximumWidth;
    std::optional<double> minimumHeight;
    std::optional<double> maximumHeight;
    Alignment alignment = Alignment::center;

    static Frame fixed(std::optional<double> w, std::optional<double> h,
                       Alignment a = Alignment::center) {
        Frame f;
        f.fixedWidth = w;
        f.fixedHeight = h;
        f.alignment = a;
        return f;
    }
    static Frame width(double w, Alignment a = Alignment::center) { return fixed(w, std::nullopt, a); }
    static Frame maxWidth(double w, Alignment a = Alignment::center) {
        Frame f;
        f.maximumWidth = w;
        f.alignment = a;
        return f;
    }
    bool isFlexible() const { return minimumWidth || maximumWidth || minimumHeight || maximumHeight; }
};

// One adaptive column description of a lazy grid.
struct GridItem {
    double minimum = 10;
    double maximum = infinity;
    double spacing = 8;
    static GridItem adaptive(double minimum, double maximum = infinity, double spacing = 8) {
        return {minimum, maximum, spacing};
    }
};

struct ToolbarItem;

class View {
public:
    View();  // an empty view
    explicit View(std::shared_ptr<const Node> node) : node_(std::move(node)) {}

    // Any struct with `View body() const` is a view.
    template <class C>
        requires requires(const C& c) {
            { c.body() } -> std::same_as<View>;
        }
    View(C component);

    const Node& node() const { return *node_; }
    const std::shared_ptr<const Node>& nodePtr() const { return node_; }

    // Layout modifiers.
    View padding(double length = 16) const;
    View padding(Edges edges, double length = 16) const;
    View padding(EdgeInsets insets) const;
    View frame(double width, double height, Alignment alignment = Alignment::center) const;
    View frame(Frame frame) const;
    View fixedSize(bool horizontal = true, bool vertical = true) const;

    // Inherited by everything inside.
    View font(Font font) const;
    View foregroundStyle(Style style) const;
    View lineLimit(std::optional<int> limit) const;
    View minimumScaleFactor(double factor) const;
    View tint(Color color) const;
    View buttonStyle(ButtonStyleKind style) const;
    View textSelection(bool enabled) const;

    // Secondary views: they take the size of the view they modify.
    View background(View view) const;
    View background(Style style, const Shape& shape) const;
    View background(Style style, Edges ignoresSafeAreaEdges) const;
    View overlay(View view) const;
    View overlay(Color color, Edges ignoresSafeAreaEdges = Edges::all) const;

    // Input and accessibility.
    View contentShape(const Shape& shape) const;
    View onLongPressGesture(double minimumDuration, double maximumDistance,
                            std::function<void()> perform) const;
    View accessibilityHint(LocalizedString hint) const;
    View accessibilityLabel(LocalizedString label) const;

    // Presentations and bars.
    View alert(LocalizedString title, Binding<bool> isPresented, std::vector<View> actions,
               View message) const;
    View sheet(Binding<bool> isPresented, std::function<void()> onDismiss,
               std::function<View()> content) const;
    View toolbar(std::vector<ToolbarItem> items) const;

private:
    std::shared_ptr<const Node> node_;
};

struct ToolbarItem {
    ToolbarPlacement placement = ToolbarPlacement::topBarTrailing;
    View content;
};

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

// ---- The platform's view names ---------------------------------------

struct Text : View {
    // A localisable key, shown as written when there is no translation.
    explicit Text(std::string key);
    // A localisable key with one argument in place of its "%@".
    Text(std::string key, std::string argument);
    static View verbatim(std::string text);
};

struct Image : View {
    explicit Image(std::string systemName);
};

struct Label : View {
    Label(std::string titleKey, std::string systemImage);
};

class Shape : public View {
public:
    explicit Shape(ShapeNode node);
    const ShapeNode& shape() const { return shape_; }
    View fill(Style style) const;
    View stroke(Style style, double lineWidth = 1) const;

private:
    ShapeNode shape_;
};

struct RoundedRectangle : Shape {
    explicit RoundedRectangle(double cornerRadius, CornerStyle style = CornerStyle::circular);
};

struct Rectangle : Shape {
    Rectangle();
};

struct Divider : View {
    Divider();
};

struct Spacer : View {
    Spacer();
    explicit Spacer(double minLength);
};

struct EmptyView : View {
    EmptyView() = default;
};

struct Button : View {
    Button(std::function<void()> action, View label);
    Button(std::string titleKey, ButtonRole role, std::function<void()> action = {});
    Button(std::string titleKey, std::function<void()> action);
};

struct VStack : View {
    explicit VStack(std::vector<View> children);
    VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<View> children);
};

struct HStack : View {
    explicit HStack(std::vector<View> children);
    HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<View> children);
};

struct ZStack : View {
    explicit ZStack(std::vector<View> children);
    ZStack(Alignment alignment, std::vector<View> children);
};

struct ScrollView : View {
    explicit ScrollView(View content, Axis axis = Axis::vertical, bool showsIndicators = true);
};

struct LazyVGrid : View {
    LazyVGrid(GridItem column, HorizontalAlignment alignment, std::optional<double> spacing,
              std::vector<View> children);
};

struct NavigationStack : View {
    explicit NavigationStack(View root);
};

// A linear gradient used as a view fills whatever space it is given.
View gradientView(LinearGradient gradient);

struct Group : View {
    explicit Group(std::vector<View> children);
};

// One view per element of `items`, identified by the element's `id`.
template <class Collection, class Content>
View ForEach(const Collection& items, Content content) {
    GroupNode group;
    for (const auto& item : items) {
        group.children.push_back(View(content(item)));
        if constexpr (requires { item.id.uuidString(); }) {
            group.ids.push_back(item.id.uuidString());
        } else {
            group.ids.push_back(std::to_string(item.id));
        }
    }
    return makeView(std::move(group));
}

// ---- Components -------------------------------------------------------

// A component may list the state and environment it reads, in
// declaration order, so the runtime can bind them before `body` runs:
//     auto dynamicProperties() { return std::tie(isShowingA, isShowingB); }
template <class C>
concept HasDynamicProperties = requires(C& c) { c.dynamicProperties(); };

template <class C>
    requires requires(const C& c) {
        { c.body() } -> std::same_as<View>;
    }
View::View(C component)
    : View(makeView(ComponentNode{
          typeid(C), [component = std::move(component)](ComponentContext& context) {
              C live = component;
              if constexpr (HasDynamicProperties<C>) {
                  std::apply([&context](auto&... property) { (context.bind(property), ...); },
                             live.dynamicProperties());
              }
              return live.body();
          }})) {}

}  // namespace ui
