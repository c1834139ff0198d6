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

std::size_t mix(std::size_t seed, std::size_t value) {
    // The 64-bit finaliser of MurmurHash3: cheap, and it spreads pointer
    // bits that differ only in their low positions.
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    seed ^= seed >> 33;
    seed *= 0xff51afd7ed558ccdULL;
    seed ^= seed >> 33;
    return seed;
}

// A proposal as this pass stores it: no negative lengths.
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

// Whether a node answers from the cache. Only the kinds whose answer costs
// something do: stacks and grids (they ask their children several
// questions) and texts (they measure). Modifiers and simple leaves are
// cheaper to recompute than to look up.
bool isCached(const Node& node) {
    return std::holds_alternative<StackNode>(node.value) ||
           std::holds_alternative<ZStackNode>(node.value) ||
           std::holds_alternative<GridNode>(node.value) ||
           std::holds_alternative<TextNode>(node.value) ||
           std::holds_alternative<LabelNode>(node.value) ||
           std::holds_alternative<GroupNode>(node.value);
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

std::size_t Pass::QueryKeyHash::operator()(const QueryKey& k) const noexcept {
    std::size_t h = mix(reinterpret_cast<std::uintptr_t>(k.node),
                        reinterpret_cast<std::uintptr_t>(k.env));
    h = mix(h, std::bit_cast<std::uint64_t>(k.width));
    return mix(h, std::bit_cast<std::uint64_t>(k.height));
}

std::size_t Pass::DeriveKeyHash::operator()(const DeriveKey& k) const noexcept {
    std::size_t h = mix(reinterpret_cast<std::uintptr_t>(k.parent),
                        reinterpret_cast<std::uintptr_t>(k.by));
    return mix(h, static_cast<std::size_t>(k.how));
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
    children_.clear();
    environments_.clear();
    rootEnvironment_ = &environments_.emplace_back();
    // Gesture entries point into component bodies evaluated here, so those
    // bodies must outlive this pass's cache.
    for (auto& [node, view] : components_) retainedComponents_.push_back(std::move(view));
    components_.clear();
    path_.clear();
}

// ---- Shared machinery ----------------------------------------------------

const Node& Pass::resolved(const Node& node) {
    const Node* current = &node;
    while (const auto* component = std::get_if<ComponentNode>(&current->value)) {
        auto [it, inserted] = components_.try_emplace(current);
        if (inserted) {
            ThrowawayContext context;
            it->second = component->evaluate(context);
        }
        current = &it->second.node();
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
    auto [it, inserted] = children_.try_emplace(&container);
    if (inserted) flatten(views, it->second);
    return it->second;
}

const Environment* Pass::derive(const Environment* parent, const void* by, Derivation how,
                                const std::function<void(Environment&)>& change) {
    auto [it, inserted] = derived_.try_emplace(DeriveKey{parent, by, how}, nullptr);
    if (inserted) {
        Environment& env = environments_.emplace_back(*parent);
        change(env);
        it->second = &env;
    }
    return it->second;
}

const Environment* Pass::modifierEnvironment(const Node& self, const Modifier& modifier,
                                             const Environment* env) {
    auto change = [&](auto&& apply) {
        return derive(env, &self, Derivation::modifier, apply);
    };
    return std::visit(
        Overloaded{
            [&](const FontModifier& m) { return change([&](Environment& e) { e.font = m.font; }); },
            [&](const ForegroundStyleModifier& m) {
                return change([&](Environment& e) { e.foreground = m.style; });
            },
            [&](const LineLimitModifier& m) {
                return change([&](Environment& e) { e.lineLimit = m.limit; });
            },
            [&](const MinimumScaleFactorModifier& m) {
                return change([&](Environment& e) {
                    e.minimumScaleFactor = std::clamp(m.factor, 0.0, 1.0);
                });
            },
            [&](const TintModifier& m) {
                return change([&](Environment& e) { e.tint = m.color; });
            },
            [&](const ButtonStyleModifier& m) {
                return change([&](Environment& e) { e.buttonStyle = m.style; });
            },
            [&](const TextSelectionModifier& m) {
                return change([&](Environment& e) { e.textSelection = m.enabled; });
            },
            [&](const auto&) { return env; },
        },
        modifier);
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
    // The path starts with "." (every step appends ".<step>"); the key reads
    // "<layer>/<steps>", e.g. "sheet/0.1".
    return layer_ + "/" + (path_.empty() ? std::string() : path_.substr(1));
}

// ---- Queries -------------------------------------------------------------

Measured Pass::measure(const Node& node, const Environment* env, ProposedSize proposal) {
    proposal = sanitized(proposal);
    if (!isCached(node)) return compute(node, env, proposal);
    ++stats_->sizeQueries;
    QueryKey key{&node, env, proposal.width.value_or(kUnspecified),
                 proposal.height.value_or(kUnspecified)};
    if (auto it = answers_.find(key); it != answers_.end()) {
        ++stats_->cacheHits;
        return it->second;
    }
    Measured answer = compute(node, env, proposal);
    answers_.emplace(key, answer);
    return answer;
}

Measured Pass::compute(const Node& node, const Environment* env, ProposedSize proposal) {
    return std::visit(
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
                return measureText(localized(n.string), env->fontOrBody(), *env, proposal);
            },
            [&](const LabelNode& n) { return measureLabel(n, *env, proposal); },
            [&](const auto&) { return Measured{measureLeaf(node, *env, proposal)}; },
        },
        node.value);
}

void Pass::place(const Node& node, const Environment* env, ProposedSize proposal, Point origin,
                 const Context& context, Folded folded) {
    proposal = sanitized(proposal);
    std::visit(
        Overloaded{
            [&](const ModifiedNode& n) {
                placeModified(node, n, env, proposal, origin, context, std::move(folded));
            },
            [&](const StackNode& n) {
                StackSpec spec{n.axis, n.horizontalAlignment, n.verticalAlignment, n.spacing};
                placeStack(node, spec, children(node, n.children), env, proposal, origin, context,
                           folded, true);
            },
            [&](const GroupNode& n) {
                placeStack(node, StackSpec{}, children(node, n.children), env, proposal, origin,
                           context, folded, false);
            },
            [&](const ZStackNode& n) { placeZStack(node, n, env, proposal, origin, context, folded); },
            [&](const GridNode& n) { placeGrid(node, n, env, proposal, origin, context, folded); },
            [&](const ScrollViewNode& n) {
                placeScrollView(node, n, env, proposal, origin, context, folded);
            },
            [&](const NavigationStackNode& n) {
                placeNavigationStack(node, n, env, proposal, origin, context, folded);
            },
            [&](const ButtonNode& n) { placeButton(node, n, env, proposal, origin, context, folded); },
            [&](const ComponentNode&) {
                place(resolved(node), env, proposal, origin, context, std::move(folded));
            },
            [&](const EmptyNode&) {},
            [&](const TextNode& n) {
                Measured m = measure(node, env, proposal);
                placeText(n, m, *env, proposal, {origin.x, origin.y, m.size.width, m.size.height},
                          context, folded);
            },
            [&](const LabelNode& n) {
                Measured m = measure(node, env, proposal);
                placeLabel(n, m, *env, proposal, {origin.x, origin.y, m.size.width, m.size.height},
                           context, folded);
            },
            [&](const auto&) {
                Size s = measureLeaf(node, *env, proposal);
                placeLeaf(node, *env, {origin.x, origin.y, s.width, s.height}, context, folded);
            },
        },
        node.value);
}

// ---- Modifiers -----------------------------------------------------------

Size Pass::measureFrame(const Frame& frame, const Node& content, const Environment* env,
                        ProposedSize proposal, ProposedSize* childProposal, Size* childSize) {
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
    size.width = frame.fixedWidth ? *inner.width
                                  : flexible(inner.width, child.width, frame.minimumWidth,
                                             frame.maximumWidth);
    size.height = frame.fixedHeight ? *inner.height
                                    : flexible(inner.height, child.height, frame.minimumHeight,
                                               frame.maximumHeight);
    if (childProposal) *childProposal = inner;
    if (childSize) *childSize = child;
    return size;
}

Measured Pass::measureModified(const Node& self, const ModifiedNode& node, const Environment* env,
                               ProposedSize proposal) {
    const Node& content = node.content.node();
    return std::visit(
        Overloaded{
            [&](const PaddingModifier& m) {
                ProposedSize inner{shrunk(proposal.width, m.insets.horizontal()),
                                   shrunk(proposal.height, m.insets.vertical())};
                Size s = sizeOf(content, env, inner);
                return Measured{{s.width + m.insets.horizontal(), s.height + m.insets.vertical()}};
            },
            [&](const FrameModifier& m) {
                return Measured{measureFrame(m.frame, content, env, proposal, nullptr, nullptr)};
            },
            [&](const FixedSizeModifier& m) {
                ProposedSize inner = proposal;
                if (m.horizontal) inner.width.reset();
                if (m.vertical) inner.height.reset();
                return Measured{sizeOf(content, env, inner)};
            },
            [&](const auto&) {
                // Everything else keeps the size of the view it modifies,
                // possibly in a changed environment.
                return Measured{sizeOf(content, modifierEnvironment(self, node.modifier, env),
                                       proposal)};
            },
        },
        node.modifier);
}

void Pass::placeSecondary(const View& secondary, Edges ignoresSafeAreaEdges, Rect rect,
                          const Environment* env, const Context& context, const char* step) {
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
    ProposedSize proposal{rect.width, rect.height};
    Size size = sizeOf(node, env, proposal);
    Point origin{rect.x + (rect.width - size.width) / 2, rect.y + (rect.height - size.height) / 2};
    std::size_t mark = path_.size();
    pushPath(step);
    place(node, env, proposal, origin, context, Folded{});
    path_.resize(mark);
}

void Pass::placeModified(const Node& self, const ModifiedNode& node, const Environment* env,
                         ProposedSize proposal, Point origin, const Context& context,
                         Folded folded) {
    const Node& content = node.content.node();
    Size size = sizeOf(self, env, proposal);
    Rect rect{origin.x, origin.y, size.width, size.height};
    if (!folded.outerFrame) folded.outerFrame = rect;

    std::visit(
        Overloaded{
            [&](const PaddingModifier& m) {
                ProposedSize inner{shrunk(proposal.width, m.insets.horizontal()),
                                   shrunk(proposal.height, m.insets.vertical())};
                place(content, env, inner, {origin.x + m.insets.leading, origin.y + m.insets.top},
                      context, folded);
            },
            [&](const FrameModifier& m) {
                ProposedSize inner;
                Size child;
                measureFrame(m.frame, content, env, proposal, &inner, &child);
                Point at{origin.x + alignedOffset(m.frame.alignment.horizontal, size.width,
                                                  child.width),
                         origin.y + alignedOffset(m.frame.alignment.vertical, size.height,
                                                  child.height)};
                place(content, env, inner, at, context, folded);
            },
            [&](const FixedSizeModifier& m) {
                ProposedSize inner = proposal;
                if (m.horizontal) inner.width.reset();
                if (m.vertical) inner.height.reset();
                place(content, env, inner, origin, context, folded);
            },
            [&](const BackgroundModifier& m) {
                placeSecondary(m.view, m.ignoresSafeAreaEdges, rect, env, context, "b");
                place(content, env, proposal, origin, context, folded);
            },
            [&](const OverlayModifier& m) {
                place(content, env, proposal, origin, context, folded);
                placeSecondary(m.view, m.ignoresSafeAreaEdges, rect, env, context, "o");
            },
            [&](const ContentShapeModifier&) {
                // The outermost content shape names the touch area; it
                // replaces the rectangle a gesture further out assumed.
                if (!folded.hitFromShape) {
                    folded.hitFrame = rect;
                    folded.hitFromShape = true;
                }
                place(content, env, proposal, origin, context, folded);
            },
            [&](const LongPressModifier& m) {
                if (!folded.longPress) folded.longPress = &m;
                if (!folded.hitFrame) folded.hitFrame = rect;
                place(content, env, proposal, origin, context, folded);
            },
            [&](const AccessibilityHintModifier& m) {
                // The outermost modifier wins, as a later-applied one
                // replaces what the view said about itself.
                if (!folded.accessibilityHint) folded.accessibilityHint = &m.hint;
                place(content, env, proposal, origin, context, folded);
            },
            [&](const AccessibilityLabelModifier& m) {
                if (!folded.accessibilityLabel) folded.accessibilityLabel = &m.label;
                place(content, env, proposal, origin, context, folded);
            },
            [&](const auto&) {
                // Inherited values, presentations (the runtime shows those)
                // and toolbars (read by the enclosing NavigationStack).
                place(content, modifierEnvironment(self, node.modifier, env), proposal, origin,
                      context, folded);
            },
        },
        node.modifier);
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

void LayoutEngine::setScale(double scale) { impl_->scale = scale > 0 ? scale : 1; }

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
    ProposedSize proposal{region.safe.width, region.safe.height};
    const Environment* env = impl_->pass.rootEnvironment();
    Size size = impl_->pass.sizeOf(root.node(), env, proposal);
    // A root smaller than the safe area sits in its middle, as a window's
    // content does on the platform.
    Point origin{region.safe.x + (region.safe.width - size.width) / 2,
                 region.safe.y + (region.safe.height - size.height) / 2};
    Context context;
    context.parent = parent;
    context.region = &region;
    impl_->pass.place(root.node(), env, proposal, origin, context, Folded{});
}

Size LayoutEngine::sizeThatFits(const View& view, ProposedSize proposal) {
    impl_->stats = {};
    LayoutTree scratch;
    impl_->pass.begin(impl_->scale, nullptr, &scratch, "", &impl_->stats);
    return impl_->pass.sizeOf(view.node(), impl_->pass.rootEnvironment(), proposal);
}

const LayoutStats& LayoutEngine::stats() const { return impl_->stats; }

}  // namespace ui
