#include "toolkit/core/View.hpp"

namespace ui {
namespace {

View modified(const View& content, Modifier modifier) {
    return makeView(ModifiedNode{content, std::move(modifier)});
}

ShapeNode roundedRectangle(double radius, CornerStyle style) {
    ShapeNode s;
    s.kind = ShapeNode::Kind::roundedRectangle;
    s.cornerRadius = radius;
    s.cornerStyle = style;
    return s;
}

}  // namespace

View::View() : node_(std::make_shared<const Node>(Node{EmptyNode{}})) {}

View View::padding(double length) const { return padding(Edges::all, length); }
View View::padding(Edges edges, double length) const { return padding(EdgeInsets::on(edges, length)); }
View View::padding(EdgeInsets insets) const { return modified(*this, PaddingModifier{insets}); }
View View::frame(double width, double height, Alignment alignment) const {
    return frame(Frame::fixed(width, height, alignment));
}
View View::frame(Frame frame) const { return modified(*this, FrameModifier{frame}); }
View View::fixedSize(bool horizontal, bool vertical) const {
    return modified(*this, FixedSizeModifier{horizontal, vertical});
}

View View::font(Font font) const { return modified(*this, FontModifier{font}); }
View View::foregroundStyle(Style style) const {
    return modified(*this, ForegroundStyleModifier{std::move(style)});
}
View View::lineLimit(std::optional<int> limit) const { return modified(*this, LineLimitModifier{limit}); }
View View::minimumScaleFactor(double factor) const {
    return modified(*this, MinimumScaleFactorModifier{factor});
}
View View::tint(Color color) const { return modified(*this, TintModifier{color}); }
View View::buttonStyle(ButtonStyleKind style) const {
    return modified(*this, ButtonStyleModifier{style});
}
View View::textSelection(bool enabled) const {
    return modified(*this, TextSelectionModifier{enabled});
}

View View::background(View view) const {
    return modified(*this, BackgroundModifier{std::move(view), Edges::none});
}
View View::background(Style style, const Shape& shape) const {
    return modified(*this, BackgroundModifier{shape.fill(std::move(style)), Edges::none});
}
View View::background(Style style, Edges ignoresSafeAreaEdges) const {
    return modified(*this, BackgroundModifier{Rectangle().fill(std::move(style)), ignoresSafeAreaEdges});
}
View View::overlay(View view) const {
    return modified(*this, OverlayModifier{std::move(view), Edges::none});
}
View View::overlay(Color color, Edges ignoresSafeAreaEdges) const {
    return modified(*this, OverlayModifier{Rectangle().fill(color), ignoresSafeAreaEdges});
}

View View::contentShape(const Shape& shape) const {
    return modified(*this, ContentShapeModifier{shape.shape()});
}
View View::onLongPressGesture(double minimumDuration, double maximumDistance,
                              std::function<void()> perform) const {
    return modified(*this, LongPressModifier{minimumDuration, maximumDistance, std::move(perform)});
}
View View::accessibilityHint(LocalizedString hint) const {
    return modified(*this, AccessibilityHintModifier{std::move(hint)});
}
View View::accessibilityLabel(LocalizedString label) const {
    return modified(*this, AccessibilityLabelModifier{std::move(label)});
}

View View::alert(LocalizedString title, Binding<bool> isPresented, std::vector<View> actions,
                 View message) const {
    return modified(*this, AlertModifier{std::move(title), std::move(isPresented),
                                         std::move(actions), std::move(message)});
}
View View::sheet(Binding<bool> isPresented, std::function<void()> onDismiss,
                 std::function<View()> content) const {
    return modified(*this,
                    SheetModifier{std::move(isPresented), std::move(onDismiss), std::move(content)});
}
View View::toolbar(std::vector<ToolbarItem> items) const {
    return modified(*this, ToolbarModifier{std::move(items)});
}

Text::Text(std::string key) : View(makeView(TextNode{LocalizedString(std::move(key))})) {}
Text::Text(std::string key, std::string argument)
    : View(makeView(TextNode{LocalizedString(std::move(key), std::move(argument))})) {}
View Text::verbatim(std::string text) {
    return makeView(TextNode{LocalizedString::verbatimText(std::move(text))});
}

Image::Image(std::string systemName) : View(makeView(ImageNode{std::move(systemName)})) {}

Label::Label(std::string titleKey, std::string systemImage)
    : View(makeView(LabelNode{LocalizedString(std::move(titleKey)), std::move(systemImage)})) {}

Shape::Shape(ShapeNode node) : View(makeView(node)), shape_(std::move(node)) {}
View Shape::fill(Style style) const {
    ShapeNode s = shape_;
    s.fill = std::move(style);
    s.stroke.reset();
    return makeView(std::move(s));
}
View Shape::stroke(Style style, double lineWidth) const {
    ShapeNode s = shape_;
    s.stroke = std::move(style);
    s.fill.reset();
    s.lineWidth = lineWidth;
    return makeView(std::move(s));
}

RoundedRectangle::RoundedRectangle(double cornerRadius, CornerStyle style)
    : Shape(roundedRectangle(cornerRadius, style)) {}
Rectangle::Rectangle() : Shape(ShapeNode{}) {}

Divider::Divider() : View(makeView(DividerNode{})) {}
Spacer::Spacer() : View(makeView(SpacerNode{})) {}
Spacer::Spacer(double minLength) : View(makeView(SpacerNode{minLength})) {}

Button::Button(std::function<void()> action, View label)
    : View(makeView(ButtonNode{std::move(action), std::move(label), ButtonRole::none})) {}
Button::Button(std::string titleKey, ButtonRole role, std::function<void()> action)
    : View(makeView(ButtonNode{std::move(action), Text(std::move(titleKey)), role})) {}
Button::Button(std::string titleKey, std::function<void()> action)
    : Button(std::move(titleKey), ButtonRole::none, std::move(action)) {}

VStack::VStack(std::vector<View> children)
    : VStack(HorizontalAlignment::center, std::nullopt, std::move(children)) {}
VStack::VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<View> children)
    : View(makeView(StackNode{Axis::vertical, alignment, VerticalAlignment::center, spacing,
                              std::move(children)})) {}

HStack::HStack(std::vector<View> children)
    : HStack(VerticalAlignment::center, std::nullopt, std::move(children)) {}
HStack::HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<View> children)
    : View(makeView(StackNode{Axis::horizontal, HorizontalAlignment::center, alignment, spacing,
                              std::move(children)})) {}

ZStack::ZStack(std::vector<View> children) : ZStack(Alignment::center, std::move(children)) {}
ZStack::ZStack(Alignment alignment, std::vector<View> children)
    : View(makeView(ZStackNode{alignment, std::move(children)})) {}

ScrollView::ScrollView(View content, Axis axis, bool showsIndicators)
    : View(makeView(ScrollViewNode{axis, showsIndicators, std::move(content)})) {}

LazyVGrid::LazyVGrid(GridItem column, HorizontalAlignment alignment, std::optional<double> spacing,
                     std::vector<View> children)
    : View(makeView(GridNode{column, alignment, spacing, std::move(children)})) {}

NavigationStack::NavigationStack(View root) : View(makeView(NavigationStackNode{std::move(root)})) {}

View gradientView(LinearGradient gradient) { return makeView(GradientNode{std::move(gradient)}); }

Group::Group(std::vector<View> children) : View(makeView(GroupNode{std::move(children), {}})) {}

}  // namespace ui
