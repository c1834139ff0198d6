#pragma once

// The platform's names for views: small constructors of nodes, so that a
// screen reads `VStack(...)`, `Text(...)`, `ForEach(...)`.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/core/Nodes.hpp"

namespace ui {

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

}  // namespace ui
