#pragma once

// The inside of the layout engine: one pass over a view tree.
//
// Terms used throughout:
// - A *query* asks a view which size it answers for a proposal, in an
//   environment. Answers depend on nothing else, so one pass caches every
//   answer by (node, environment, proposal). Stacks ask each child up to
//   three questions (at 0, at infinity, and the real one); without the
//   cache nested stacks cost exponential time.
// - The *environment* is what a view inherits from the views around it:
//   font, foreground style, line limit and so on. Environments are interned
//   for the pass, so a pointer names one and can be part of a cache key.
// - *Placing* a view gives it its position: the parent has already asked
//   its size, so placing asks again (a cache hit), positions the children
//   and appends the entries of the laid-out tree, in painting order.
// - A modifier chain *folds* into the entry of the view it modifies: the
//   chain's outermost rectangle becomes the entry's outer frame, and
//   gestures and accessibility modifiers met on the way end up on it.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "toolkit/core/View.hpp"
#include "toolkit/layout/Layout.hpp"
#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/layout/TextMeasurer.hpp"

namespace ui::layout_detail {

// What a view inherits. Unset optionals mean "the default of whoever reads
// it": text and symbols are white (every surface is dark), shapes without
// a fill of their own take the foreground style.
struct Environment {
    std::optional<Font> font;
    std::optional<Style> foreground;
    std::optional<int> lineLimit;
    double minimumScaleFactor = 1;
    std::optional<Color> tint;
    ButtonStyleKind buttonStyle = ButtonStyleKind::automatic;
    bool textSelection = false;
    // The axis of the nearest enclosing stack: a Divider draws across it and
    // a Spacer grows along it.
    std::optional<Axis> stackAxis;

    Font fontOrBody() const { return font.value_or(Font::body); }
};

// The answer to a query. Texts and labels also keep how they fitted, so
// placing them needs no second measurement.
struct Measured {
    Measured() = default;
    Measured(Size s) : size(s) {}  // NOLINT: most answers are just a size

    Size size;
    double fontScale = 1;
    bool truncated = false;
    int lineLimit = 0;  // the limit the text was measured with; 0: none
    Size titleSize;     // Labels: the title's own box
};

// A layer's rectangle and the part of it that is safe from the system bars.
struct Region {
    Rect bounds;
    Rect safe;
};

// Where the entries of a view being placed go.
struct Context {
    int parent = -1;
    Rect clip = Rect::infinite();
    const Region* region = nullptr;
};

// What the modifiers above a view contribute to its entry.
struct Folded {
    std::optional<Rect> outerFrame;
    std::optional<Rect> hitFrame;
    bool hitFromShape = false;
    const LongPressModifier* longPress = nullptr;
    const LocalizedString* accessibilityHint = nullptr;
    const LocalizedString* accessibilityLabel = nullptr;
};

// A stack as the stack algorithm sees it; a Group outside any container is
// laid out as a plain VStack.
struct StackSpec {
    Axis axis = Axis::vertical;
    HorizontalAlignment horizontalAlignment = HorizontalAlignment::center;
    VerticalAlignment verticalAlignment = VerticalAlignment::center;
    std::optional<double> spacing;
};

// One child of a stack after sizing: the proposal it was given and its answer.
struct Slot {
    const Node* node = nullptr;
    ProposedSize proposal;
    Size size;
};

using Children = std::vector<const Node*>;

// The size of each axis for the stack algorithm, which is written once for
// both directions.
inline double major(Axis axis, Size s) { return axis == Axis::horizontal ? s.width : s.height; }
inline double minor(Axis axis, Size s) { return axis == Axis::horizontal ? s.height : s.width; }
inline std::optional<double> major(Axis axis, ProposedSize p) {
    return axis == Axis::horizontal ? p.width : p.height;
}
inline std::optional<double> minor(Axis axis, ProposedSize p) {
    return axis == Axis::horizontal ? p.height : p.width;
}
inline ProposedSize along(Axis axis, std::optional<double> majorLength,
                          std::optional<double> minorLength) {
    return axis == Axis::horizontal ? ProposedSize{majorLength, minorLength}
                                    : ProposedSize{minorLength, majorLength};
}

// Symbol names we have artwork for. Unknown names take an empty glyph box.
bool isKnownSymbol(std::string_view systemName);

class Pass {
public:
    explicit Pass(TextMeasurer& measurer) : measurer_(measurer) {}

    // Starts a pass: forgets every cached answer and environment. Component
    // bodies evaluated by earlier passes stay alive until `releaseComponents`.
    void begin(double scale, const std::function<double(const std::string&)>* scrollOffsets,
               LayoutTree* tree, std::string_view layer, LayoutStats* stats);
    void releaseComponents() { retainedComponents_.clear(); }

    const Environment* rootEnvironment() const { return rootEnvironment_; }

    Measured measure(const Node& node, const Environment* env, ProposedSize proposal);
    Size sizeOf(const Node& node, const Environment* env, ProposedSize proposal) {
        return measure(node, env, proposal).size;
    }
    void place(const Node& node, const Environment* env, ProposedSize proposal, Point origin,
               const Context& context, Folded folded);

private:
    // Shared machinery (Layout.cpp).
    Measured compute(const Node& node, const Environment* env, ProposedSize proposal);
    const Node& resolved(const Node& node);
    const Children& children(const Node& container, const std::vector<View>& views);
    void flatten(const std::vector<View>& views, Children& out);
    enum class Derivation { modifier, stack, buttonLabel, navigationBar };
    const Environment* derive(const Environment* parent, const void* by, Derivation how,
                              const std::function<void(Environment&)>& change);
    const Environment* modifierEnvironment(const Node& self, const Modifier& modifier,
                                           const Environment* env);
    int addEntry(const char* kind, Rect frame, const Context& context, const Folded& folded);
    std::string scrollKey() const;
    void pushPath(std::string_view step) { path_.append(".").append(step); }

    // Modifiers (Layout.cpp).
    Measured measureModified(const Node& self, const ModifiedNode& node, const Environment* env,
                             ProposedSize proposal);
    void placeModified(const Node& self, const ModifiedNode& node, const Environment* env,
                       ProposedSize proposal, Point origin, const Context& context, Folded folded);
    Size measureFrame(const Frame& frame, const Node& content, const Environment* env,
                      ProposedSize proposal, ProposedSize* childProposal, Size* childSize);
    void placeSecondary(const View& secondary, Edges ignoresSafeAreaEdges, Rect rect,
                        const Environment* env, const Context& context, const char* step);

    // Containers (LayoutContainers.cpp).
    void sizeStack(const StackSpec& spec, const Children& kids, const Environment* childEnv,
                   ProposedSize proposal, std::vector<Slot>& slots);
    Size stackSize(const StackSpec& spec, const std::vector<Slot>& slots) const;
    const Environment* stackEnvironment(const Node& self, Axis axis, const Environment* env);
    Measured measureStack(const Node& self, const StackSpec& spec, const Children& kids,
                          const Environment* env, ProposedSize proposal);
    void placeStack(const Node& self, const StackSpec& spec, const Children& kids,
                    const Environment* env, ProposedSize proposal, Point origin,
                    const Context& context, const Folded& folded, bool withEntry);
    Measured measureZStack(const Node& self, const ZStackNode& node, const Environment* env,
                           ProposedSize proposal);
    void placeZStack(const Node& self, const ZStackNode& node, const Environment* env,
                     ProposedSize proposal, Point origin, const Context& context,
                     const Folded& folded);
    struct GridShape {
        int columns = 1;
        double columnWidth = 0;
        double columnSpacing = 0;
        double rowSpacing = 0;
    };
    GridShape gridShape(const GridNode& node, ProposedSize proposal) const;
    Measured measureGrid(const Node& self, const GridNode& node, const Environment* env,
                         ProposedSize proposal);
    void placeGrid(const Node& self, const GridNode& node, const Environment* env,
                   ProposedSize proposal, Point origin, const Context& context,
                   const Folded& folded);
    Measured measureScrollView(const ScrollViewNode& node, const Environment* env,
                               ProposedSize proposal);
    void placeScrollView(const Node& self, const ScrollViewNode& node, const Environment* env,
                         ProposedSize proposal, Point origin, const Context& context,
                         const Folded& folded);

    // Controls (LayoutControls.cpp).
    const Environment* buttonLabelEnvironment(const Node& self, const ButtonNode& node,
                                              const Environment* env);
    Measured measureButton(const Node& self, const ButtonNode& node, const Environment* env,
                           ProposedSize proposal);
    void placeButton(const Node& self, const ButtonNode& node, const Environment* env,
                     ProposedSize proposal, Point origin, const Context& context,
                     const Folded& folded);
    Measured measureNavigationStack(const NavigationStackNode& node, const Environment* env,
                                    ProposedSize proposal);
    void placeNavigationStack(const Node& self, const NavigationStackNode& node,
                              const Environment* env, ProposedSize proposal, Point origin,
                              const Context& context, const Folded& folded);

    // Leaves (LayoutLeaves.cpp).
    Measured measureText(std::string_view text, const Font& font, const Environment& env,
                         ProposedSize proposal);
    Measured measureLabel(const LabelNode& node, const Environment& env, ProposedSize proposal);
    Size symbolBox(std::string_view systemName, const Font& font) const;
    Size measureLeaf(const Node& node, const Environment& env, ProposedSize proposal) const;
    void placeText(const TextNode& node, const Measured& m, const Environment& env,
                   ProposedSize proposal, Rect rect, const Context& context, const Folded& folded);
    void placeLabel(const LabelNode& node, const Measured& m, const Environment& env,
                    ProposedSize proposal, Rect rect, const Context& context,
                    const Folded& folded);
    void placeLeaf(const Node& node, const Environment& env, Rect rect, const Context& context,
                   const Folded& folded);

    // The cache of answers.
    struct QueryKey {
        const Node* node;
        const Environment* env;
        double width;  // kUnspecified when the proposal leaves the axis open
        double height;
        friend bool operator==(const QueryKey&, const QueryKey&) = default;
    };
    struct QueryKeyHash {
        std::size_t operator()(const QueryKey& k) const noexcept;
    };
    struct DeriveKey {
        const Environment* parent;
        const void* by;
        Derivation how;
        friend bool operator==(const DeriveKey&, const DeriveKey&) = default;
    };
    struct DeriveKeyHash {
        std::size_t operator()(const DeriveKey& k) const noexcept;
    };

    TextMeasurer& measurer_;
    double scale_ = 1;
    const std::function<double(const std::string&)>* scrollOffsets_ = nullptr;
    LayoutTree* tree_ = nullptr;
    std::string layer_;
    LayoutStats* stats_ = nullptr;

    std::deque<Environment> environments_;
    const Environment* rootEnvironment_ = nullptr;
    std::unordered_map<DeriveKey, const Environment*, DeriveKeyHash> derived_;
    std::unordered_map<QueryKey, Measured, QueryKeyHash> answers_;
    std::unordered_map<const Node*, Children> children_;
    std::unordered_map<const Node*, View> components_;
    std::vector<View> retainedComponents_;
    std::string path_;  // child positions from the layer's root, for scroll keys
};

}  // namespace ui::layout_detail
