#pragma once

// The handle every view is passed around as, and the plain values its
// modifiers take. A `View` is an immutable, type-erased handle to a node
// (toolkit/core/Nodes.hpp); modifiers wrap it in a new node, in the order
// written. Screens include toolkit/core/View.hpp, which brings all of it.

#include <functional>
#include <memory>
#include <optional>
#include <string>
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

}  // namespace ui
