#pragma once

// The inside of the layout engine: one pass over a view tree.
//
// Terms used throughout:
// - A *query* asks a view which size it answers for a proposal, in an
//   environment. Answers depend on nothing else, so one pass caches them by
//   (node, environment, proposal). Stacks ask each child up to three
//   questions (at 0, at infinity, and the real one); without the cache
//   nested stacks cost exponential time. Only containers and texts are
//   cached: modifiers and simple leaves are cheaper to answer again.
// - The *environment* is what a view inherits from the views around it:
//   font, foreground style, line limit and so on. Environments are interned
//   for the pass, so a pointer names one and can be part of a cache key.
// - *Placing* a view gives it its position. The parent already knows the
//   view's size (it needed it to place the view), hands it down, and the
//   view positions its children and appends its entries to the laid-out
//   tree, in painting order.
// - A modifier chain *folds* into the entry of the view it modifies: the
//   chain's outermost rectangle becomes the entry's outer frame, and
//   gestures and accessibility modifiers met on the way end up on it.

#include <bit>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/core/StringTable.hpp"
#include "toolkit/core/View.hpp"
#include "toolkit/layout/FlatCache.hpp"
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
    // Stacks: where the pass keeps the children's proposals and answers, so
    // placing the stack needs no second round of questions.
    std::uint32_t firstSlot = 0;
    std::uint32_t slotCount = 0;
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
inline double major(Axis axis, Size s) {
    return axis == Axis::horizontal ? s.width : s.height;
}
inline double minor(Axis axis, Size s) {
    return axis == Axis::horizontal ? s.height : s.width;
}
inline std::optional<double> major(Axis axis, const ProposedSize& p) {
    return axis == Axis::horizontal ? p.width : p.height;
}
inline std::optional<double> minor(Axis axis, const ProposedSize& p) {
    return axis == Axis::horizontal ? p.height : p.width;
}
inline ProposedSize along(Axis axis, std::optional<double> majorLength,
                          std::optional<double> minorLength) {
    return axis == Axis::horizontal ? ProposedSize{majorLength, minorLength}
                                    : ProposedSize{minorLength, majorLength};
}

// Symbol names we have artwork for. Unknown names take an empty glyph box.
bool isKnownSymbol(std::string_view systemName);

// The text a view shows. Verbatim texts are used where they are, without a
// copy, unless a NUL in them must be made visible; keys are looked up into
// `storage`.
inline std::string_view shownText(const LocalizedString& string, std::string& storage) {
    if (string.verbatim && string.key.find('\0') == std::string::npos) return string.key;
    storage = localized(string);
    return storage;
}

// A Label puts this much space between its symbol and its title.
inline double labelSpacing(const Font& font) {
    return 0.35 * font.pointSize();
}

class Pass {
  public:
    explicit Pass(TextMeasurer& measurer) : measurer_(measurer) {}

    // Starts a pass: forgets every cached answer and environment. Component
    // bodies evaluated by earlier passes stay alive until `releaseComponents`.
    void begin(double scale, const std::function<double(const std::string&)>* scrollOffsets,
               LayoutTree* tree, const Layer& layer, LayoutStats* stats);
    void releaseComponents() { componentViews_.clear(); }

    const Environment* rootEnvironment() const { return rootEnvironment_; }

    Measured measure(const Node& node, const Environment* env, const ProposedSize& proposal);
    Size sizeOf(const Node& node, const Environment* env, const ProposedSize& proposal) {
        return measure(node, env, proposal).size;
    }
    // The length of `node` along `axis` when it is offered 0 there, whatever
    // it is offered across, if that follows without laying it out; empty
    // otherwise. Stacks use it to find their children's flexibility.
    std::optional<double> lengthAtZero(const Node& node, const Environment* env, Axis axis);

    // Places `node`, whose answer to `proposal` (`size`) its parent already
    // knows, with its top-left corner at `origin`.
    void place(const Node& node, const Environment* env, const ProposedSize& proposal, Point origin,
               Size size, const Context& context, const Folded& folded);

  private:
    // Shared machinery (Layout.cpp; the environment of modifiers in
    // LayoutModifiers.cpp).
    Measured compute(const Node& node, const Environment* env, const ProposedSize& proposal);
    const Node& resolved(const Node& node);
    Environment* newEnvironment(const Environment& from);
    const Children& children(const Node& container, const std::vector<View>& views);
    void flatten(const std::vector<View>& views, Children& out);
    enum class Derivation { modifier, stack, buttonLabel, navigationBar };
    template <class Change>
    const Environment* derive(const Environment* parent, const void* by, Derivation how,
                              Change&& change) {
        const DeriveKey key{parent, by, how};
        if (const Environment* const* found = derived_.find(key)) return *found;
        Environment* env = newEnvironment(*parent);
        change(*env);
        derived_.insert(key, env);
        return env;
    }
    const Environment* modifierEnvironment(const Node& self, const Modifier& modifier,
                                           const Environment* env);
    int addEntry(EntryKind kind, Rect frame, const Context& context, const Folded& folded);

    // The place of the view being placed (see LaidOutView::place): the
    // layer's name, then one step per level, each a child's position or one
    // of these for views that are not children. It is kept written out as
    // the pass goes down and up, so each entry copies it as it is.
    static constexpr int kBackgroundStep = -1;
    static constexpr int kOverlayStep = -2;
    static constexpr int kNavigationBarStep = -3;
    static constexpr int kFirstToolbarStep = -4;  // toolbar item n is kFirstToolbarStep - n
    class PathStep {
      public:
        PathStep(std::string& path, int step);
        ~PathStep() { path_.resize(length_); }
        PathStep(const PathStep&) = delete;
        PathStep& operator=(const PathStep&) = delete;

      private:
        std::string& path_;
        std::size_t length_;
    };

    // Modifiers (LayoutModifiers.cpp).
    Measured measureModified(const Node& self, const ModifiedNode& node, const Environment* env,
                             const ProposedSize& proposal);
    void placeModified(const Node& self, const ModifiedNode& node, const Environment* env,
                       const ProposedSize& proposal, Point origin, Size size,
                       const Context& context, const Folded& folded);
    Size measureFrame(const Frame& frame, const Node& content, const Environment* env,
                      const ProposedSize& proposal, ProposedSize* childProposal, Size* childSize);
    void placeSecondary(const View& secondary, Edges ignoresSafeAreaEdges, Rect rect,
                        const Environment* env, const Context& context, int step);

    // Flexibility (LayoutFlexibility.cpp).
    std::optional<double> modifierLengthAtZero(const Node& self, const ModifiedNode& node,
                                               const Environment* env, Axis axis);

    // Containers (LayoutContainers.cpp).
    void sizeStack(const StackSpec& spec, const Children& kids, const Environment* childEnv,
                   const ProposedSize& proposal, Slot* slots);
    void sizeSpacers(Axis axis, const Children& kids, const Environment* childEnv,
                     std::optional<double> cross, double leftover, std::size_t spacers,
                     Slot* slots);
    std::optional<double> stackLengthAtZero(const Node& self, const StackSpec& spec,
                                            const Children& kids, const Environment* env,
                                            Axis axis);
    Size stackSize(const StackSpec& spec, const Slot* slots, std::size_t count) const;
    const Environment* stackEnvironment(const Node& self, Axis axis, const Environment* env);
    Measured measureStack(const Node& self, const StackSpec& spec, const Children& kids,
                          const Environment* env, const ProposedSize& proposal);
    void placeStack(const Node& self, const StackSpec& spec, const Children& kids,
                    const Environment* env, const ProposedSize& proposal, Point origin, Size size,
                    const Context& context, const Folded& folded, bool withEntry);
    Measured measureZStack(const Node& self, const ZStackNode& node, const Environment* env,
                           const ProposedSize& proposal);
    void placeZStack(const Node& self, const ZStackNode& node, const Environment* env,
                     const ProposedSize& proposal, Point origin, Size size, const Context& context,
                     const Folded& folded);
    struct GridShape {
        int columns = 1;
        double columnWidth = 0;
        double columnSpacing = 0;
        double rowSpacing = 0;
    };
    GridShape gridShape(const GridNode& node, const ProposedSize& proposal) const;
    Measured measureGrid(const Node& self, const GridNode& node, const Environment* env,
                         const ProposedSize& proposal);
    void placeGrid(const Node& self, const GridNode& node, const Environment* env,
                   const ProposedSize& proposal, Point origin, Size size, const Context& context,
                   const Folded& folded);
    Measured measureScrollView(const ScrollViewNode& node, const Environment* env,
                               const ProposedSize& proposal);
    void placeScrollView(const Node& self, const ScrollViewNode& node, const Environment* env,
                         const ProposedSize& proposal, Point origin, Size size,
                         const Context& context, const Folded& folded);

    // Controls (LayoutControls.cpp).
    const Environment* buttonLabelEnvironment(const Node& self, const ButtonNode& node,
                                              const Environment* env);
    Measured measureButton(const Node& self, const ButtonNode& node, const Environment* env,
                           const ProposedSize& proposal);
    void placeButton(const Node& self, const ButtonNode& node, const Environment* env,
                     const ProposedSize& proposal, Point origin, Size size, const Context& context,
                     const Folded& folded);
    Measured measureNavigationStack(const NavigationStackNode& node, const Environment* env,
                                    const ProposedSize& proposal);
    void placeNavigationStack(const Node& self, const NavigationStackNode& node,
                              const Environment* env, const ProposedSize& proposal, Point origin,
                              Size size, const Context& context, const Folded& folded);
    void placeBarItems(const Node& self, const Node& root, const Environment* env, Rect bar,
                       const Context& barContext, int barIndex);

    // Leaves (LayoutLeaves.cpp).
    // `owner` is the Text or Label node the text belongs to.
    Measured measureText(const Node& owner, std::string_view text, const Font& font,
                         const Environment* env, const ProposedSize& proposal);
    double shrinkToFit(std::string_view text, const Font& font, double width, int limit,
                       double minimum, TextMetrics& metrics);
    Measured measureLabel(const Node& owner, const LabelNode& node, const Environment* env,
                          const ProposedSize& proposal);
    Size symbolBox(std::string_view systemName, const Font& font) const;
    // Simple leaves, one overload per kind.
    Size measureLeaf(const ImageNode& node, const Environment& env,
                     const ProposedSize& proposal) const;
    Size measureLeaf(const ShapeNode& node, const Environment& env,
                     const ProposedSize& proposal) const;
    Size measureLeaf(const GradientNode& node, const Environment& env,
                     const ProposedSize& proposal) const;
    Size measureLeaf(const DividerNode& node, const Environment& env,
                     const ProposedSize& proposal) const;
    Size measureLeaf(const SpacerNode& node, const Environment& env,
                     const ProposedSize& proposal) const;
    void placeText(const TextNode& node, const Measured& m, const Environment& env,
                   const ProposedSize& proposal, Rect rect, const Context& context,
                   const Folded& folded);
    void placeLabel(const LabelNode& node, const Measured& m, const Environment& env,
                    const ProposedSize& proposal, Rect rect, const Context& context,
                    const Folded& folded);
    void placeLeaf(const ImageNode& node, const Environment& env, Rect rect,
                   const Context& context, const Folded& folded);
    void placeLeaf(const ShapeNode& node, const Environment& env, Rect rect,
                   const Context& context, const Folded& folded);
    void placeLeaf(const GradientNode& node, const Environment& env, Rect rect,
                   const Context& context, const Folded& folded);
    void placeLeaf(const DividerNode& node, const Environment& env, Rect rect,
                   const Context& context, const Folded& folded);
    void placeLeaf(const SpacerNode& node, const Environment& env, Rect rect,
                   const Context& context, const Folded& folded);

    // The cache of answers.
    struct QueryKey {
        const Node* node;
        const Environment* env;
        double width;  // kUnspecified when the proposal leaves the axis open
        double height;
        friend bool operator==(const QueryKey&, const QueryKey&) = default;
    };
    struct QueryKeyHash {
        std::size_t operator()(const QueryKey& k) const noexcept {
            return spread(word(k.node) ^ rotate(word(k.env), 17) ^
                          rotate(std::bit_cast<std::uint64_t>(k.width), 31) ^
                          rotate(std::bit_cast<std::uint64_t>(k.height), 47));
        }
    };
    struct DeriveKey {
        const Environment* parent;
        const void* by;
        Derivation how;
        friend bool operator==(const DeriveKey&, const DeriveKey&) = default;
    };
    struct DeriveKeyHash {
        std::size_t operator()(const DeriveKey& k) const noexcept {
            return spread(word(k.by) ^ rotate(word(k.parent), 17) ^ static_cast<std::uint64_t>(k.how));
        }
    };
    struct NodeHash {
        std::size_t operator()(const Node* n) const noexcept { return spread(word(n)); }
    };

    TextMeasurer& measurer_;
    double scale_ = 1;
    const std::function<double(const std::string&)>* scrollOffsets_ = nullptr;
    LayoutTree* tree_ = nullptr;
    Layer layer_;
    LayoutStats* stats_ = nullptr;

    std::deque<Environment> environments_;
    std::size_t environmentsUsed_ = 0;
    const Environment* rootEnvironment_ = nullptr;
    FlatCache<DeriveKey, const Environment*, DeriveKeyHash> derived_;
    // Each text's size on unwrapped lines, once measured: a text offered at
    // least that width lays out the same, so it need not be measured again.
    struct TextKey {
        const Node* owner;
        const Environment* env;
        friend bool operator==(const TextKey&, const TextKey&) = default;
    };
    struct TextKeyHash {
        std::size_t operator()(const TextKey& k) const noexcept {
            return spread(word(k.owner) ^ rotate(word(k.env), 17));
        }
    };
    FlatCache<TextKey, TextMetrics, TextKeyHash> unwrapped_;
    FlatCache<QueryKey, Measured, QueryKeyHash> answers_;
    std::vector<Slot> stackSlots_;  // see Measured::firstSlot
    // Flattened children lists, kept across passes so their storage is reused.
    FlatCache<const Node*, std::uint32_t, NodeHash> childrenIndex_;
    std::deque<Children> childrenLists_;  // a deque: references stay valid as it grows
    std::size_t childrenUsed_ = 0;
    // Component bodies evaluated by this pass (indexed) and by earlier ones:
    // entries point into them, so they live until `releaseComponents`.
    FlatCache<const Node*, std::uint32_t, NodeHash> componentIndex_;
    std::vector<View> componentViews_;
    std::string path_;
};

}  // namespace ui::layout_detail
