// The layout engine's front and the machinery every kind of view shares:
// the cache of answers, interned environments, component evaluation, entry
// creation, and the two branches over every kind of node (measuring and
// placing). Modifiers, containers, controls and leaves have files of their
// own.

#include "toolkit/layout/Layout.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "toolkit/core/StringTable.hpp"
#include "toolkit/layout/LayoutPass.hpp"

namespace ui {
namespace layout_detail {
namespace {

// Proposals are never negative (every proposal made here is clamped at 0),
// so -1 can stand for "unspecified" inside a cache key.
constexpr double kUnspecified = -1;

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

// Whether a node answers from the cache. Containers, controls and texts do:
// their answers cost child queries or measuring. Modifiers and simple leaves are
// cheaper to recompute than to look up, and placing never asks them again
// (parents hand the size down), so they are not cached. Every kind is named
// on one side or the other; the answers form a table looked up by kind.
template <class T>
consteval bool cachedKind() {
    if constexpr (OneOf<T, StackNode, ZStackNode, GridNode, GroupNode, TextNode, LabelNode,
                        ButtonNode, ScrollViewNode, NavigationStackNode, ComponentNode>) {
        return true;
    } else {
        static_assert(OneOf<T, EmptyNode, ImageNode, ShapeNode, DividerNode, SpacerNode,
                            GradientNode, ModifiedNode>,
                      "a kind of node must say whether it is cached");
        return false;
    }
}
template <std::size_t... I>
consteval std::array<bool, sizeof...(I)> cachedKinds(std::index_sequence<I...>) {
    return {cachedKind<std::variant_alternative_t<I, Node::Value>>()...};
}
constexpr auto kCachedKinds = cachedKinds(std::make_index_sequence<std::variant_size_v<Node::Value>>());

bool isCached(const Node& node) {
    return kCachedKinds[node.value.index()];
}

}  // namespace

void Pass::begin(double scale, const std::function<double(const std::string&)>* scrollOffsets,
                 LayoutTree* tree, const Layer& layer, LayoutStats* stats) {
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
    // Assigned in place, so the path keeps its buffer from pass to pass.
    path_.assign(layer.name());
    path_ += '/';
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

int Pass::addEntry(EntryKind kind, Rect frame, const Context& context, const Folded& folded) {
    LaidOutView& v = tree_->views.emplace_back();
    v.kind = kind;
    v.place = path_;
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

Pass::PathStep::PathStep(std::string& path, int step) : path_(path), length_(path.size()) {
    if (path_.back() != '/') path_ += '.';
    if (step >= 0 && step < 10) {
        // Most steps are one digit; this runs for every view placed.
        path_ += static_cast<char>('0' + step);
    } else if (step >= 0) {
        char digits[16];
        auto end = std::to_chars(digits, digits + sizeof digits, step).ptr;
        path_.append(digits, end);
    } else if (step == kBackgroundStep) {
        path_ += 'b';
    } else if (step == kOverlayStep) {
        path_ += 'o';
    } else if (step == kNavigationBarStep) {
        path_ += 'n';
    } else {
        path_ += 't';
        path_ += std::to_string(kFirstToolbarStep - step);
    }
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
    return visitKind(
        node.value,
        Overloaded{
            [&](const ModifiedNode& n) { return measureModified(node, n, env, proposal); },
            [&](const StackNode& n) {
                StackSpec spec{n.axis, n.horizontalAlignment, n.verticalAlignment, n.spacing};
                return measureStack(node, spec, children(node, n.children), env, proposal);
            },
            [&](const GroupNode& n) {
                return measureStack(node, StackSpec{}, children(node, n.children), env, proposal);
            },
            [&](const ZStackNode& n) { return measureZStack(node, n, env, proposal); },
            [&](const GridNode& n) { return measureGrid(node, n, env, proposal); },
            [&](const ScrollViewNode& n) { return measureScrollView(n, env, proposal); },
            [&](const NavigationStackNode& n) { return measureNavigationStack(n, env, proposal); },
            [&](const ButtonNode& n) { return measureButton(node, n, env, proposal); },
            [&](const ComponentNode&) { return measure(resolved(node), env, proposal); },
            [&](const TextNode& n) {
                std::string storage;
                return measureText(node, shownText(n.string, storage), env->fontOrBody(), env,
                                   proposal);
            },
            [&](const LabelNode& n) { return measureLabel(node, n, env, proposal); },
            [&](const EmptyNode&) { return Measured{}; },
            [&](const OneOf<ImageNode, ShapeNode, DividerNode, SpacerNode, GradientNode> auto& n) {
                return Measured{measureLeaf(n, *env, proposal)};
            }});
}

void Pass::place(const Node& node, const Environment* env, const ProposedSize& proposal,
                 Point origin, Size size, const Context& context, const Folded& folded) {
    const Rect rect{origin.x, origin.y, size.width, size.height};
    visitKind(
        node.value,
        Overloaded{
            [&](const ModifiedNode& n) {
                placeModified(node, n, env, proposal, origin, size, context, folded);
            },
            [&](const StackNode& n) {
                StackSpec spec{n.axis, n.horizontalAlignment, n.verticalAlignment, n.spacing};
                placeStack(node, spec, children(node, n.children), env, proposal, origin, size,
                           context, folded, true);
            },
            [&](const GroupNode& n) {
                placeStack(node, StackSpec{}, children(node, n.children), env, proposal, origin,
                           size, context, folded, false);
            },
            [&](const ZStackNode& n) {
                placeZStack(node, n, env, proposal, origin, size, context, folded);
            },
            [&](const GridNode& n) {
                placeGrid(node, n, env, proposal, origin, size, context, folded);
            },
            [&](const ScrollViewNode& n) {
                placeScrollView(node, n, env, proposal, origin, size, context, folded);
            },
            [&](const NavigationStackNode& n) {
                placeNavigationStack(node, n, env, proposal, origin, size, context, folded);
            },
            [&](const ButtonNode& n) {
                placeButton(node, n, env, proposal, origin, size, context, folded);
            },
            [&](const ComponentNode&) {
                place(resolved(node), env, proposal, origin, size, context, folded);
            },
            [&](const TextNode& n) {
                placeText(n, measure(node, env, proposal), *env, proposal, rect, context, folded);
            },
            [&](const LabelNode& n) {
                placeLabel(n, measure(node, env, proposal), *env, proposal, rect, context, folded);
            },
            [&](const EmptyNode&) {},
            [&](const OneOf<ImageNode, ShapeNode, DividerNode, SpacerNode, GradientNode> auto& n) {
                placeLeaf(n, *env, rect, context, folded);
            }});
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
                          const Layer& layer, int parent) {
    using namespace layout_detail;
    // A new frame starts with the root layer: component bodies evaluated for
    // the previous frame's trees are no longer referenced after that.
    const bool newFrame = layer.kind == LayerKind::screen && parent < 0;
    if (newFrame) impl_->pass.releaseComponents();
    impl_->stats = {};
    impl_->pass.begin(impl_->scale, impl_->scrollOffsets ? &impl_->scrollOffsets : nullptr, &tree,
                      layer, &impl_->stats);
    tree.scale = impl_->scale;
    if (newFrame) tree.size = bounds.size();

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
    impl_->pass.begin(impl_->scale, nullptr, &scratch, Layer{}, &impl_->stats);
    return impl_->pass.sizeOf(view.node(), impl_->pass.rootEnvironment(), proposal);
}

const LayoutStats& LayoutEngine::stats() const {
    return impl_->stats;
}

std::string Layer::name() const {
    switch (kind) {
        case LayerKind::screen: return "";
        case LayerKind::alert: return "alert:" + key;
        case LayerKind::sheet: return "sheet:" + key;
        case LayerKind::menu: return "menu";
    }
    return "";
}

}  // namespace ui
