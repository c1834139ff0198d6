#include "toolkit/core/View.hpp"

#include <new>

namespace ui {
namespace {

// Every rebuild makes a screen's few hundred nodes afresh and drops the
// last pass's as many, all blocks of one size. The general allocator keeps
// only a handful of freed blocks of a size at hand, so most of those went
// through its slow paths (a third of a rebuild's time). Freed node blocks
// are kept here instead, per thread and up to a bound, for the next node.
// Under AddressSanitizer every node gets fresh memory, so that a use after
// free is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepNodeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kKeepNodeBlocks = false;
#else
constexpr bool kKeepNodeBlocks = true;
#endif
#else
constexpr bool kKeepNodeBlocks = true;
#endif

// More than any screen holds twice over; beyond it blocks are freed.
constexpr std::size_t kMaxKeptBlocks = 2048;

struct FreeBlock {
    FreeBlock* next;
};

// Trivially destructible, so it stays usable while the thread's other
// objects are destroyed; `closed` then sends late blocks straight back.
struct KeptBlocks {
    FreeBlock* head = nullptr;
    std::size_t count = 0;
    bool closed = false;
};

struct KeptBlocksCloser {
    KeptBlocks* blocks;
    ~KeptBlocksCloser() {
        while (FreeBlock* block = blocks->head) {
            blocks->head = block->next;
            ::operator delete(block);
        }
        blocks->count = 0;
        blocks->closed = true;
    }
};

template <std::size_t Size>
KeptBlocks& keptBlocks() {
    thread_local KeptBlocks blocks;
    thread_local KeptBlocksCloser closer{&blocks};
    return blocks;
}

template <class T>
struct NodeAllocator {
    using value_type = T;
    NodeAllocator() = default;
    template <class U>
    NodeAllocator(const NodeAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        static_assert(sizeof(T) >= sizeof(FreeBlock) && alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
        if (kKeepNodeBlocks && n == 1) {
            KeptBlocks& kept = keptBlocks<sizeof(T)>();
            if (FreeBlock* block = kept.head) {
                kept.head = block->next;
                --kept.count;
                block->~FreeBlock();
                return static_cast<T*>(static_cast<void*>(block));
            }
        }
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }

    void deallocate(T* p, std::size_t n) noexcept {
        if (kKeepNodeBlocks && n == 1) {
            KeptBlocks& kept = keptBlocks<sizeof(T)>();
            if (!kept.closed && kept.count < kMaxKeptBlocks) {
                kept.head = ::new (static_cast<void*>(p)) FreeBlock{kept.head};
                ++kept.count;
                return;
            }
        }
        ::operator delete(p);
    }

    template <class U>
    friend bool operator==(const NodeAllocator&, const NodeAllocator<U>&) {
        return true;
    }
};

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

std::shared_ptr<const Node> newNode(Node node) {
    return std::allocate_shared<const Node>(NodeAllocator<Node>{}, std::move(node));
}

View::View() : node_(newNode(Node{EmptyNode{}})) {}

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
