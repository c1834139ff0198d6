// The layout engine's front and the machinery every kind of view shares:
// the cache of answers, interned environments, component evaluation, entry
// creation and the modifiers. Containers, controls and leaves have files of
// their own.

#include "toolkit/layout/Layout.hpp"

#include <bit>
#include <cmath>

#include "toolkit/core/StringTable.hpp"
#include "toolkit/layout/LayoutPass.hpp"

namespace ui {
namespace layout_detail {
namespace {

// Proposals are never negative (every proposal made here is clamped at 0),
// so -1 can stand for "unspecified" inside a cache key.
constexpr double kUnspecified = -1;

// Hashes for the pass's tables: fold the key's words together, then one
// multiplication by 2^64/φ spreads them (Fibonacci hashing). The tables use
// the low bits, so the high half is folded back down.
std::size_t spread(std::uint64_t folded) {
    std::uint64_t h = folded * 0x9e3779b97f4a7c15ULL;
    return static_cast<std::size_t>(h ^ (h >> 32));
}
std::uint64_t word(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}
std::uint64_t rotate(std::uint64_t v, int by) {
    return (v << by) | (v >> (64 - by));
}

// A proposal as this pass stores it: no negative lengths. Proposals made
// inside the pass are clamped where they are made; this catches what
// callers pass in.
bool isNegative(const ProposedSize& p) {
    return (p.width && !(*p.width >= 0)) || (p.height && !(*p.height >= 0));
}
ProposedSize sanitized(ProposedSize p) {
    if (p.width && !(*p.width >= 0)) p.width = 0;
    if (p.height && !(*p.height >= 0)) p.height = 0;
    return p;
}

std::optional<double> shrunk(std::optional<double> length, double by) {
    if (!length) return std::nullopt;
    return std::max(0.0, *length - by);
}

// A throwaway context for components laid out directly (in tests, or by a
// caller that did not resolve them first): every state starts fresh and
// dismissing does nothing.
class ThrowawayContext : public ComponentContext {
  protected:
    std::shared_ptr<StateCellBase> slot(std::size_t, std::type_index,
                                        std::shared_ptr<StateCellBase> fresh) override {
        return fresh;
    }
    std::function<void()> dismissAction() override {
        return [] {};
    }
};

// The position of `T` among the alternatives of the variant `V`, for
// switching on `index()`: cheaper in the hot paths than std::visit with a
// set of capturing lambdas, which builds the whole set on every call.
template <class T, class V, std::size_t I = 0>
constexpr std::size_t indexOf() {
    if constexpr (std::is_same_v<std::variant_alternative_t<I, V>, T>) {
        return I;
    } else {
        return indexOf<T, V, I + 1>();
    }
}
template <class T>
constexpr std::size_t kind() {
    return indexOf<T, Node::Value>();
}
template <class T>
constexpr std::size_t modifierKind() {
    return indexOf<T, Modifier>();
}
// The alternative the caller has just switched on.
template <class T, class V>
const T& as(const V& v) {
    return *std::get_if<T>(&v);
}

// Whether a node answers from the cache. Containers, controls and texts do:
// their answers cost child queries or measuring. Modifiers and simple leaves are
// cheaper to recompute than to look up, and placing never asks them again
// (parents hand the size down), so they are not cached.
bool isCached(const Node& node) {
    switch (node.value.index()) {
        case kind<StackNode>():
        case kind<ZStackNode>():
        case kind<GridNode>():
        case kind<GroupNode>():
        case kind<TextNode>():
        case kind<LabelNode>():
        case kind<ButtonNode>():
        case kind<ScrollViewNode>():
        case kind<NavigationStackNode>():
        case kind<ComponentNode>():
            return true;
        default:
            return false;
    }
}

}  // namespace

std::size_t Pass::QueryKeyHash::operator()(const QueryKey& k) const noexcept {
    return spread(word(k.node) ^ rotate(word(k.env), 17) ^
                  rotate(std::bit_cast<std::uint64_t>(k.width), 31) ^
                  rotate(std::bit_cast<std::uint64_t>(k.height), 47));
}

std::size_t Pass::DeriveKeyHash::operator()(const DeriveKey& k) const noexcept {
    return spread(word(k.by) ^ rotate(word(k.parent), 17) ^ static_cast<std::uint64_t>(k.how));
}

std::size_t Pass::TextKeyHash::operator()(const TextKey& k) const noexcept {
    return spread(word(k.owner) ^ rotate(word(k.env), 17));
}

std::size_t Pass::NodeHash::operator()(const Node* n) const noexcept {
    return spread(word(n));
}

void Pass::begin(double scale, const std::function<double(const std::string&)>* scrollOffsets,
                 LayoutTree* tree, std::string_view layer, LayoutStats* stats) {
    scale_ = scale > 0 ? scale : 1;
    scrollOffsets_ = scrollOffsets;
    tree_ = tree;
    layer_ = layer;
    stats_ = stats;
    answers_.clear();
    derived_.clear();
    unwrapped_.clear();
    stackSlots_.clear();
    childrenIndex_.clear();
    childrenUsed_ = 0;
    environmentsUsed_ = 0;
    rootEnvironment_ = newEnvironment(Environment{});
    componentIndex_.clear();
    path_.clear();
}

// ---- Shared machinery ----------------------------------------------------

Environment* Pass::newEnvironment(const Environment& from) {
    // Environments are reused from pass to pass; a deque keeps their
    // addresses fixed as it grows.
    if (environmentsUsed_ == environments_.size()) environments_.emplace_back();
    Environment* env = &environments_[environmentsUsed_++];
    *env = from;
    return env;
}

const Node& Pass::resolved(const Node& node) {
    const Node* current = &node;
    while (const auto* component = std::get_if<ComponentNode>(&current->value)) {
        if (const std::uint32_t* index = componentIndex_.find(current)) {
            current = &componentViews_[*index].node();
            continue;
        }
        ThrowawayContext context;
        View body = component->evaluate(context);
        componentIndex_.insert(current, static_cast<std::uint32_t>(componentViews_.size()));
        componentViews_.push_back(std::move(body));
        current = &componentViews_.back().node();
    }
    return *current;
}

void Pass::flatten(const std::vector<View>& views, Children& out) {
    for (const View& view : views) {
        const Node& node = resolved(view.node());
        if (const auto* group = std::get_if<GroupNode>(&node.value)) {
            flatten(group->children, out);
        } else if (!std::holds_alternative<EmptyNode>(node.value)) {
            out.push_back(&node);
        }
    }
}

const Children& Pass::children(const Node& container, const std::vector<View>& views) {
    if (const std::uint32_t* index = childrenIndex_.find(&container)) return childrenLists_[*index];
    // Lists are reused from pass to pass. Flattening only evaluates
    // component bodies, never asks for another list, so filling this one in
    // place is safe.
    if (childrenUsed_ == childrenLists_.size()) childrenLists_.emplace_back();
    Children& list = childrenLists_[childrenUsed_];
    list.clear();
    flatten(views, list);
    childrenIndex_.insert(&container, static_cast<std::uint32_t>(childrenUsed_++));
    return list;
}

const Environment* Pass::modifierEnvironment(const Node& self, const Modifier& modifier,
                                             const Environment* env) {
    auto change = [&](auto&& apply) { return derive(env, &self, Derivation::modifier, apply); };
    switch (modifier.index()) {
        case modifierKind<FontModifier>():
            return change([&](Environment& e) { e.font = as<FontModifier>(modifier).font; });
        case modifierKind<ForegroundStyleModifier>():
            return change([&](Environment& e) {
                e.foreground = as<ForegroundStyleModifier>(modifier).style;
            });
        case modifierKind<LineLimitModifier>():
            return change(
                [&](Environment& e) { e.lineLimit = as<LineLimitModifier>(modifier).limit; });
        case modifierKind<MinimumScaleFactorModifier>():
            return change([&](Environment& e) {
                e.minimumScaleFactor =
                    std::clamp(as<MinimumScaleFactorModifier>(modifier).factor, 0.0, 1.0);
            });
        case modifierKind<TintModifier>():
            return change([&](Environment& e) { e.tint = as<TintModifier>(modifier).color; });
        case modifierKind<ButtonStyleModifier>():
            return change(
                [&](Environment& e) { e.buttonStyle = as<ButtonStyleModifier>(modifier).style; });
        case modifierKind<TextSelectionModifier>():
            return change([&](Environment& e) {
                e.textSelection = as<TextSelectionModifier>(modifier).enabled;
            });
        default:
            return env;
    }
}

int Pass::addEntry(const char* kind, Rect frame, const Context& context, const Folded& folded) {
    LaidOutView& v = tree_->views.emplace_back();
    v.kind = kind;
    v.parent = context.parent;
    v.frame = frame;
    v.outerFrame = folded.outerFrame.value_or(frame);
    v.clip = context.clip;
    v.hitFrame = folded.hitFrame.value_or(v.outerFrame);
    v.longPress = folded.longPress;
    if (folded.accessibilityHint) v.accessibilityHint = localized(*folded.accessibilityHint);
    if (folded.accessibilityLabel) v.accessibilityLabel = localized(*folded.accessibilityLabel);
    v.layer = layer_;
    return static_cast<int>(tree_->views.size()) - 1;
}

std::string Pass::scrollKey() const {
    // "<layer>/<steps>" with the steps joined by dots, e.g. "sheet/0.1.b".
    std::string key = layer_ + "/";
    for (std::size_t i = 0; i < path_.size(); ++i) {
        if (i > 0) key += '.';
        const int step = path_[i];
        if (step >= 0) {
            key += std::to_string(step);
        } else if (step == kBackgroundStep) {
            key += 'b';
        } else if (step == kOverlayStep) {
            key += 'o';
        } else {
            key += 't' + std::to_string(kFirstToolbarStep - step);
        }
    }
    return key;
}

// ---- Queries -------------------------------------------------------------

Measured Pass::measure(const Node& node, const Environment* env, const ProposedSize& proposal) {
    if (isNegative(proposal)) return measure(node, env, sanitized(proposal));
    if (!isCached(node)) return compute(node, env, proposal);
    ++stats_->sizeQueries;
    const QueryKey key{&node, env, proposal.width.value_or(kUnspecified),
                       proposal.height.value_or(kUnspecified)};
    if (const Measured* found = answers_.find(key)) {
        ++stats_->cacheHits;
        return *found;
    }
    Measured answer = compute(node, env, proposal);
    answers_.insert(key, answer);
    return answer;
}

Measured Pass::compute(const Node& node, const Environment* env, const ProposedSize& proposal) {
    const Node::Value& v = node.value;
    switch (v.index()) {
        case kind<ModifiedNode>():
            return measureModified(node, as<ModifiedNode>(v), env, proposal);
        case kind<StackNode>(): {
            const auto& n = as<StackNode>(v);
            StackSpec spec{n.axis, n.horizontalAlignment, n.verticalAlignment, n.spacing};
            return measureStack(node, spec, children(node, n.children), env, proposal);
        }
        case kind<GroupNode>():
            return measureStack(node, StackSpec{}, children(node, as<GroupNode>(v).children), env,
                                proposal);
        case kind<ZStackNode>():
            return measureZStack(node, as<ZStackNode>(v), env, proposal);
        case kind<GridNode>():
            return measureGrid(node, as<GridNode>(v), env, proposal);
        case kind<ScrollViewNode>():
            return measureScrollView(as<ScrollViewNode>(v), env, proposal);
        case kind<NavigationStackNode>():
            return measureNavigationStack(as<NavigationStackNode>(v), env, proposal);
        case kind<ButtonNode>():
            return measureButton(node, as<ButtonNode>(v), env, proposal);
        case kind<ComponentNode>():
            return measure(resolved(node), env, proposal);
        case kind<TextNode>(): {
            std::string storage;
            return measureText(node, shownText(as<TextNode>(v).string, storage), env->fontOrBody(),
                               env, proposal);
        }
        case kind<LabelNode>():
            return measureLabel(node, as<LabelNode>(v), env, proposal);
        default:
            return Measured{measureLeaf(node, *env, proposal)};
    }
}

void Pass::place(const Node& node, const Environment* env, const ProposedSize& proposal,
                 Point origin, Size size, const Context& context, const Folded& folded) {
    const Rect rect{origin.x, origin.y, size.width, size.height};
    const Node::Value& v = node.value;
    switch (v.index()) {
        case kind<ModifiedNode>():
            placeModified(node, as<ModifiedNode>(v), env, proposal, origin, size, context, folded);
            break;
        case kind<StackNode>(): {
            const auto& n = as<StackNode>(v);
            StackSpec spec{n.axis, n.horizontalAlignment, n.verticalAlignment, n.spacing};
            placeStack(node, spec, children(node, n.children), env, proposal, origin, size, context,
                       folded, true);
            break;
        }
        case kind<GroupNode>():
            placeStack(node, StackSpec{}, children(node, as<GroupNode>(v).children), env, proposal,
                       origin, size, context, folded, false);
            break;
        case kind<ZStackNode>():
            placeZStack(node, as<ZStackNode>(v), env, proposal, origin, size, context, folded);
            break;
        case kind<GridNode>():
            placeGrid(node, as<GridNode>(v), env, proposal, origin, size, context, folded);
            break;
        case kind<ScrollViewNode>():
            placeScrollView(node, as<ScrollViewNode>(v), env, proposal, origin, size, context,
                            folded);
            break;
        case kind<NavigationStackNode>():
            placeNavigationStack(node, as<NavigationStackNode>(v), env, proposal, origin, size,
                                 context, folded);
            break;
        case kind<ButtonNode>():
            placeButton(node, as<ButtonNode>(v), env, proposal, origin, size, context, folded);
            break;
        case kind<ComponentNode>():
            place(resolved(node), env, proposal, origin, size, context, folded);
            break;
        case kind<EmptyNode>():
            break;
        case kind<TextNode>():
            placeText(as<TextNode>(v), measure(node, env, proposal), *env, proposal, rect, context,
                      folded);
            break;
        case kind<LabelNode>():
            placeLabel(as<LabelNode>(v), measure(node, env, proposal), *env, proposal, rect,
                       context, folded);
            break;
        default:
            placeLeaf(node, *env, rect, context, folded);
            break;
    }
}

// ---- Modifiers -----------------------------------------------------------

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
    const Modifier& m = node.modifier;
    switch (m.index()) {
        case modifierKind<PaddingModifier>(): {
            const EdgeInsets& insets = as<PaddingModifier>(m).insets;
            ProposedSize inner{shrunk(proposal.width, insets.horizontal()),
                               shrunk(proposal.height, insets.vertical())};
            Size s = sizeOf(content, env, inner);
            return Measured{{s.width + insets.horizontal(), s.height + insets.vertical()}};
        }
        case modifierKind<FrameModifier>():
            return Measured{
                measureFrame(as<FrameModifier>(m).frame, content, env, proposal, nullptr, nullptr)};
        case modifierKind<FixedSizeModifier>(): {
            ProposedSize inner = proposal;
            if (as<FixedSizeModifier>(m).horizontal) inner.width.reset();
            if (as<FixedSizeModifier>(m).vertical) inner.height.reset();
            return Measured{sizeOf(content, env, inner)};
        }
        default:
            // Everything else keeps the size of the view it modifies,
            // possibly in a changed environment.
            return Measured{sizeOf(content, modifierEnvironment(self, m, env), proposal)};
    }
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

void Pass::placeModified(const Node& self, const ModifiedNode& node, const Environment* env,
                         const ProposedSize& proposal, Point origin, Size size,
                         const Context& context, const Folded& above) {
    const Node& content = node.content.node();
    const Rect rect{origin.x, origin.y, size.width, size.height};
    // Most links of a chain add nothing to the entry, so what the links
    // above contributed is copied only when this one changes it.
    Folded changed;
    const Folded* current = &above;
    auto edit = [&]() -> Folded& {
        if (current != &changed) {
            changed = above;
            current = &changed;
        }
        return changed;
    };
    if (!above.outerFrame) edit().outerFrame = rect;
    const Folded& folded = *current;
    // Most modifiers leave the size alone, so their content is placed in
    // the same rectangle.
    auto same = [&](const Environment* contentEnv) {
        place(content, contentEnv, proposal, origin, size, context, *current);
    };

    const Modifier& modifier = node.modifier;
    switch (modifier.index()) {
        case modifierKind<PaddingModifier>(): {
            const EdgeInsets& insets = as<PaddingModifier>(modifier).insets;
            ProposedSize inner{shrunk(proposal.width, insets.horizontal()),
                               shrunk(proposal.height, insets.vertical())};
            place(content, env, inner, {origin.x + insets.leading, origin.y + insets.top},
                  sizeOf(content, env, inner), context, folded);
            break;
        }
        case modifierKind<FrameModifier>(): {
            const Frame& frame = as<FrameModifier>(modifier).frame;
            ProposedSize inner;
            Size child;
            measureFrame(frame, content, env, proposal, &inner, &child);
            Point at{origin.x + alignedOffset(frame.alignment.horizontal, size.width, child.width),
                     origin.y + alignedOffset(frame.alignment.vertical, size.height, child.height)};
            place(content, env, inner, at, child, context, folded);
            break;
        }
        case modifierKind<FixedSizeModifier>(): {
            ProposedSize inner = proposal;
            if (as<FixedSizeModifier>(modifier).horizontal) inner.width.reset();
            if (as<FixedSizeModifier>(modifier).vertical) inner.height.reset();
            place(content, env, inner, origin, size, context, folded);
            break;
        }
        case modifierKind<BackgroundModifier>(): {
            const auto& m = as<BackgroundModifier>(modifier);
            placeSecondary(m.view, m.ignoresSafeAreaEdges, rect, env, context, kBackgroundStep);
            same(env);
            break;
        }
        case modifierKind<OverlayModifier>(): {
            const auto& m = as<OverlayModifier>(modifier);
            same(env);
            placeSecondary(m.view, m.ignoresSafeAreaEdges, rect, env, context, kOverlayStep);
            break;
        }
        case modifierKind<ContentShapeModifier>():
            // The outermost content shape names the touch area; it replaces
            // the rectangle a gesture further out assumed.
            if (!folded.hitFromShape) {
                edit().hitFrame = rect;
                edit().hitFromShape = true;
            }
            same(env);
            break;
        case modifierKind<LongPressModifier>():
            if (!folded.longPress) edit().longPress = &as<LongPressModifier>(modifier);
            if (!current->hitFrame) edit().hitFrame = rect;
            same(env);
            break;
        case modifierKind<AccessibilityHintModifier>():
            // The outermost modifier wins, as a later-applied one replaces
            // what the view said about itself.
            if (!folded.accessibilityHint) {
                edit().accessibilityHint = &as<AccessibilityHintModifier>(modifier).hint;
            }
            same(env);
            break;
        case modifierKind<AccessibilityLabelModifier>():
            if (!folded.accessibilityLabel) {
                edit().accessibilityLabel = &as<AccessibilityLabelModifier>(modifier).label;
            }
            same(env);
            break;
        default:
            // Inherited values, presentations (the runtime shows those) and
            // toolbars (read by the enclosing NavigationStack).
            same(modifierEnvironment(self, modifier, env));
            break;
    }
}

}  // namespace layout_detail

// ---- The engine ----------------------------------------------------------

struct LayoutEngine::Impl {
    explicit Impl(TextMeasurer& measurer) : pass(measurer) {}
    layout_detail::Pass pass;
    double scale = 1;
    std::function<double(const std::string&)> scrollOffsets;
    LayoutStats stats;
};

LayoutEngine::LayoutEngine(TextMeasurer& measurer) : impl_(std::make_unique<Impl>(measurer)) {}
LayoutEngine::~LayoutEngine() = default;

void LayoutEngine::setScale(double scale) {
    impl_->scale = scale > 0 ? scale : 1;
}

void LayoutEngine::setScrollOffsets(std::function<double(const std::string& key)> offsets) {
    impl_->scrollOffsets = std::move(offsets);
}

void LayoutEngine::layout(const View& root, Rect bounds, EdgeInsets safeArea, LayoutTree& tree,
                          const std::string& layer, int parent) {
    using namespace layout_detail;
    // A new frame starts with the root layer: component bodies evaluated for
    // the previous frame's trees are no longer referenced after that.
    if (layer.empty() && parent < 0) impl_->pass.releaseComponents();
    impl_->stats = {};
    impl_->pass.begin(impl_->scale, impl_->scrollOffsets ? &impl_->scrollOffsets : nullptr, &tree,
                      layer, &impl_->stats);
    tree.scale = impl_->scale;
    if (layer.empty() && parent < 0) tree.size = bounds.size();

    Region region;
    region.bounds = bounds;
    region.safe = {bounds.x + safeArea.leading, bounds.y + safeArea.top,
                   std::max(0.0, bounds.width - safeArea.horizontal()),
                   std::max(0.0, bounds.height - safeArea.vertical())};
    const ProposedSize& proposal{region.safe.width, region.safe.height};
    const Environment* env = impl_->pass.rootEnvironment();
    Size size = impl_->pass.sizeOf(root.node(), env, proposal);
    // A root smaller than the safe area sits in its middle, as a window's
    // content does on the platform.
    Point origin{region.safe.x + (region.safe.width - size.width) / 2,
                 region.safe.y + (region.safe.height - size.height) / 2};
    Context context;
    context.parent = parent;
    context.region = &region;
    impl_->pass.place(root.node(), env, proposal, origin, size, context, Folded{});
}

Size LayoutEngine::sizeThatFits(const View& view, ProposedSize proposal) {
    impl_->stats = {};
    LayoutTree scratch;
    impl_->pass.begin(impl_->scale, nullptr, &scratch, "", &impl_->stats);
    return impl_->pass.sizeOf(view.node(), impl_->pass.rootEnvironment(), proposal);
}

const LayoutStats& LayoutEngine::stats() const {
    return impl_->stats;
}

}  // namespace ui
