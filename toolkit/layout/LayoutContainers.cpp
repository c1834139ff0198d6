// Containers: stacks (and Groups standing alone), ZStack, the adaptive lazy
// grid and the scroll view.

#include <algorithm>
#include <array>
#include <cmath>

#include "toolkit/layout/LayoutPass.hpp"

namespace ui::layout_detail {
namespace {

// The gap between two views of a stack that names no spacing.
constexpr double kDefaultStackSpacing = 8;
// Rows of a lazy grid that names no spacing.
constexpr double kDefaultGridSpacing = 8;

const SpacerNode* asSpacer(const Node* node) {
    return std::get_if<SpacerNode>(&node->value);
}

// The gap in front of child `i` (i > 0): an explicit spacing stands between
// every pair, spacers included; otherwise two views are 8 apart and a
// spacer sits flush against its neighbours.
double gapBefore(const StackSpec& spec, const Children& kids, std::size_t i) {
    if (spec.spacing) return *spec.spacing;
    return asSpacer(kids[i - 1]) || asSpacer(kids[i]) ? 0 : kDefaultStackSpacing;
}

}  // namespace

// ---- Stacks --------------------------------------------------------------

const Environment* Pass::stackEnvironment(const Node& self, Axis axis, const Environment* env) {
    if (env->stackAxis == axis) return env;
    return derive(env, &self, Derivation::stack, [axis](Environment& e) { e.stackAxis = axis; });
}

// A small buffer on the C++ stack for per-child scratch data, falling back
// to the heap only for unusually long stacks; sizing runs for every stack
// query, so it should not allocate.
template <class T>
class ScratchBuffer {
  public:
    explicit ScratchBuffer(std::size_t n) : data_(n <= kInline ? inline_.data() : nullptr) {
        if (!data_) {
            heap_.resize(n);
            data_ = heap_.data();
        }
    }
    T& operator[](std::size_t i) { return data_[i]; }
    T* data() { return data_; }

  private:
    static constexpr std::size_t kInline = 16;
    std::array<T, kInline> inline_{};
    std::vector<T> heap_;
    T* data_;
};

std::optional<double> Pass::stackLengthAtZero(const Node& self, const StackSpec& spec,
                                              const Children& kids, const Environment* env,
                                              Axis axis) {
    // Offered nothing along its own axis, a stack offers every child nothing
    // and its spacers keep their minimum, so its length is the sum of theirs
    // and the gaps. Offered nothing across, it offers each child nothing
    // across and is as long as the longest.
    const Environment* childEnv = stackEnvironment(self, spec.axis, env);
    double total = 0;
    for (std::size_t i = 0; i < kids.size(); ++i) {
        double length;
        if (const SpacerNode* spacer = asSpacer(kids[i])) {
            length = spec.axis == axis ? spacer->minLength.value_or(kDefaultSpacerLength) : 0;
        } else {
            std::optional<double> known = lengthAtZero(*kids[i], childEnv, axis);
            if (!known) return std::nullopt;
            length = *known;
        }
        if (spec.axis == axis) {
            total += length + (i > 0 ? gapBefore(spec, kids, i) : 0);
        } else {
            total = std::max(total, length);
        }
    }
    return total;
}

void Pass::sizeStack(const StackSpec& spec, const Children& kids, const Environment* childEnv,
                     const ProposedSize& proposal, Slot* slots) {
    const Axis axis = spec.axis;
    const std::optional<double> cross = minor(axis, proposal);
    for (std::size_t i = 0; i < kids.size(); ++i) slots[i] = Slot{kids[i], {}, {}};

    const std::optional<double> length = major(axis, proposal);
    if (!length) {
        // Asked for its ideal size, a stack asks every child for its own.
        for (std::size_t i = 0; i < kids.size(); ++i) {
            slots[i].proposal = along(axis, std::nullopt, cross);
            slots[i].size = sizeOf(*kids[i], childEnv, slots[i].proposal);
        }
        return;
    }

    double gaps = 0;
    for (std::size_t i = 1; i < kids.size(); ++i) gaps += gapBefore(spec, kids, i);

    // Spacers come last but keep their minimum length reserved, so the views
    // before them cannot take it.
    double reserved = 0;
    ScratchBuffer<std::size_t> order(kids.size());
    ScratchBuffer<double> flexibility(kids.size());
    std::size_t sized = 0;
    for (std::size_t i = 0; i < kids.size(); ++i) {
        if (const SpacerNode* spacer = asSpacer(kids[i])) {
            reserved += spacer->minLength.value_or(kDefaultSpacerLength);
            continue;
        }
        // Flexibility: how much more a child takes when offered everything
        // than when offered nothing. The least flexible go first so the
        // flexible ones get what is left.
        std::optional<double> known = lengthAtZero(*kids[i], childEnv, axis);
        double small =
            known ? *known : major(axis, sizeOf(*kids[i], childEnv, along(axis, 0.0, cross)));
        double large = major(axis, sizeOf(*kids[i], childEnv, along(axis, infinity, cross)));
        double flex = large - small;
        flexibility[i] = std::isnan(flex) ? infinity : flex;
        order[sized++] = i;
    }
    std::stable_sort(order.data(), order.data() + sized,
                     [&](std::size_t a, std::size_t b) { return flexibility[a] < flexibility[b]; });

    double remaining = *length - gaps - reserved;
    std::size_t left = sized;
    for (std::size_t k = 0; k < sized; ++k) {
        const std::size_t i = order[k];
        double share = std::max(0.0, remaining / static_cast<double>(left));
        if (std::isnan(share)) share = 0;
        slots[i].proposal = along(axis, share, cross);
        slots[i].size = sizeOf(*kids[i], childEnv, slots[i].proposal);
        // An infinite remainder stays infinite: subtracting an infinite
        // answer from it would leave no number at all.
        if (std::isfinite(remaining)) remaining -= major(axis, slots[i].size);
        --left;
    }

    // What is left, reserve included, goes to the spacers.
    sizeSpacers(axis, kids, childEnv, cross, remaining + reserved, kids.size() - sized, slots);
}

// Shares `leftover` among the `spacers` spacers of `kids` in equal parts.
void Pass::sizeSpacers(Axis axis, const Children& kids, const Environment* childEnv,
                       std::optional<double> cross, double leftover, std::size_t spacers,
                       Slot* slots) {
    for (std::size_t i = 0; i < kids.size() && spacers > 0; ++i) {
        if (!asSpacer(kids[i])) continue;
        double share = std::max(0.0, leftover / static_cast<double>(spacers));
        if (std::isnan(share)) share = 0;
        slots[i].proposal = along(axis, share, cross);
        slots[i].size = sizeOf(*kids[i], childEnv, slots[i].proposal);
        if (std::isfinite(leftover)) leftover -= major(axis, slots[i].size);
        --spacers;
    }
}

Size Pass::stackSize(const StackSpec& spec, const Slot* slots, std::size_t count) const {
    double length = 0, breadth = 0;
    for (std::size_t i = 0; i < count; ++i) {
        length += major(spec.axis, slots[i].size);
        breadth = std::max(breadth, minor(spec.axis, slots[i].size));
        if (i > 0) {
            length += spec.spacing ? *spec.spacing
                                   : (asSpacer(slots[i - 1].node) || asSpacer(slots[i].node)
                                          ? 0
                                          : kDefaultStackSpacing);
        }
    }
    return spec.axis == Axis::horizontal ? Size{length, breadth} : Size{breadth, length};
}

Measured Pass::measureStack(const Node& self, const StackSpec& spec, const Children& kids,
                            const Environment* env, const ProposedSize& proposal) {
    ScratchBuffer<Slot> slots(kids.size());
    sizeStack(spec, kids, stackEnvironment(self, spec.axis, env), proposal, slots.data());
    Measured m(stackSize(spec, slots.data(), kids.size()));
    // Keep what the children were offered and answered for placing.
    m.firstSlot = static_cast<std::uint32_t>(stackSlots_.size());
    m.slotCount = static_cast<std::uint32_t>(kids.size());
    stackSlots_.insert(stackSlots_.end(), slots.data(), slots.data() + kids.size());
    return m;
}

void Pass::placeStack(const Node& self, const StackSpec& spec, const Children& kids,
                      const Environment* env, const ProposedSize& proposal, Point origin, Size size,
                      const Context& context, const Folded& folded, bool withEntry) {
    const Environment* childEnv = stackEnvironment(self, spec.axis, env);
    const Measured m = measure(self, env, proposal);

    Context inner = context;
    if (withEntry) {
        inner.parent = addEntry(spec.axis == Axis::horizontal ? EntryKind::hStack : EntryKind::vStack,
                                {origin.x, origin.y, size.width, size.height}, context, folded);
    }
    double along = 0;
    for (std::size_t i = 0; i < m.slotCount; ++i) {
        if (i > 0) along += gapBefore(spec, kids, i);
        // A copy: placing the child may add slots and move the array.
        const Slot slot = stackSlots_[m.firstSlot + i];
        Point at;
        if (spec.axis == Axis::horizontal) {
            at = {origin.x + along,
                  origin.y + alignedOffset(spec.verticalAlignment, size.height, slot.size.height)};
        } else {
            at = {origin.x + alignedOffset(spec.horizontalAlignment, size.width, slot.size.width),
                  origin.y + along};
        }
        PathStep step(path_, static_cast<int>(i));
        place(*slot.node, childEnv, slot.proposal, at, slot.size, inner, Folded{});
        along += major(spec.axis, slot.size);
    }
}

// ---- ZStack --------------------------------------------------------------

Measured Pass::measureZStack(const Node& self, const ZStackNode& node, const Environment* env,
                             const ProposedSize& proposal) {
    Size size;
    for (const Node* child : children(self, node.children)) {
        Size s = sizeOf(*child, env, proposal);
        size.width = std::max(size.width, s.width);
        size.height = std::max(size.height, s.height);
    }
    return Measured{size};
}

void Pass::placeZStack(const Node& self, const ZStackNode& node, const Environment* env,
                       const ProposedSize& proposal, Point origin, Size size,
                       const Context& context, const Folded& folded) {
    Context inner = context;
    inner.parent =
        addEntry(EntryKind::zStack, {origin.x, origin.y, size.width, size.height}, context, folded);
    const Children& kids = children(self, node.children);
    for (std::size_t i = 0; i < kids.size(); ++i) {
        Size s = sizeOf(*kids[i], env, proposal);
        Point at{origin.x + alignedOffset(node.alignment.horizontal, size.width, s.width),
                 origin.y + alignedOffset(node.alignment.vertical, size.height, s.height)};
        PathStep step(path_, static_cast<int>(i));
        place(*kids[i], env, proposal, at, s, inner, Folded{});
    }
}

// ---- LazyVGrid -----------------------------------------------------------

Pass::GridShape Pass::gridShape(const GridNode& node, const ProposedSize& proposal) const {
    // One adaptive item makes as many columns of at least `minimum` as fit:
    // N = max(1, ⌊(W + s) / (m + s)⌋), sharing W equally. Without a finite
    // width to fill, the grid is one column of the minimum width.
    const GridItem& item = node.item;
    GridShape shape;
    shape.columnSpacing = std::max(0.0, item.spacing);
    shape.rowSpacing = node.spacing.value_or(kDefaultGridSpacing);
    const double minimum = std::max(0.0, item.minimum);
    if (!proposal.width || !std::isfinite(*proposal.width)) {
        shape.columnWidth = minimum;
        return shape;
    }
    const double width = *proposal.width;
    const double fit = std::floor((width + shape.columnSpacing) / (minimum + shape.columnSpacing));
    shape.columns = fit >= 1 && std::isfinite(fit) ? static_cast<int>(std::min(fit, 1e6)) : 1;
    shape.columnWidth =
        std::max(0.0, (width - (shape.columns - 1) * shape.columnSpacing) / shape.columns);
    shape.columnWidth = std::min(shape.columnWidth, std::max(item.maximum, minimum));
    return shape;
}

Measured Pass::measureGrid(const Node& self, const GridNode& node, const Environment* env,
                           const ProposedSize& proposal) {
    GridShape shape = gridShape(node, proposal);
    const Children& kids = children(self, node.children);
    const ProposedSize cell{shape.columnWidth, std::nullopt};
    double height = 0;
    std::size_t rows = 0;
    for (std::size_t start = 0; start < kids.size(); start += shape.columns, ++rows) {
        double rowHeight = 0;
        for (std::size_t i = start; i < std::min(kids.size(), start + shape.columns); ++i) {
            rowHeight = std::max(rowHeight, sizeOf(*kids[i], env, cell).height);
        }
        height += rowHeight;
    }
    if (rows > 1) height += (rows - 1) * shape.rowSpacing;
    double width = shape.columns * shape.columnWidth + (shape.columns - 1) * shape.columnSpacing;
    return Measured{{width, height}};
}

void Pass::placeGrid(const Node& self, const GridNode& node, const Environment* env,
                     const ProposedSize& proposal, Point origin, Size size, const Context& context,
                     const Folded& folded) {
    Context inner = context;
    inner.parent = addEntry(EntryKind::grid, {origin.x, origin.y, size.width, size.height}, context, folded);
    GridShape shape = gridShape(node, proposal);
    const Children& kids = children(self, node.children);
    const ProposedSize cell{shape.columnWidth, std::nullopt};
    double y = origin.y;
    for (std::size_t start = 0; start < kids.size(); start += shape.columns) {
        const std::size_t end = std::min(kids.size(), start + shape.columns);
        double rowHeight = 0;
        for (std::size_t i = start; i < end; ++i) {
            rowHeight = std::max(rowHeight, sizeOf(*kids[i], env, cell).height);
        }
        for (std::size_t i = start; i < end; ++i) {
            Size s = sizeOf(*kids[i], env, cell);
            double columnX = origin.x + static_cast<double>(i - start) *
                                            (shape.columnWidth + shape.columnSpacing);
            Point at{columnX + alignedOffset(node.alignment, shape.columnWidth, s.width),
                     y + (rowHeight - s.height) / 2};
            PathStep step(path_, static_cast<int>(i));
            place(*kids[i], env, cell, at, s, inner, Folded{});
        }
        y += rowHeight + shape.rowSpacing;
    }
}

// ---- ScrollView ----------------------------------------------------------

Measured Pass::measureScrollView(const ScrollViewNode& node, const Environment* env,
                                 const ProposedSize& proposal) {
    // The content is offered the scroll view's breadth and its ideal length
    // along the scrolling axis; the scroll view itself takes all it is
    // offered.
    const bool vertical = node.axis == Axis::vertical;
    ProposedSize offer = vertical ? ProposedSize{proposal.width, std::nullopt}
                                  : ProposedSize{std::nullopt, proposal.height};
    Size content = sizeOf(node.content.node(), env, offer);
    return Measured{
        {proposal.width.value_or(content.width), proposal.height.value_or(content.height)}};
}

void Pass::placeScrollView(const Node&, const ScrollViewNode& node, const Environment* env,
                           const ProposedSize& proposal, Point origin, Size size,
                           const Context& context, const Folded& folded) {
    Rect rect{origin.x, origin.y, size.width, size.height};
    const int index = addEntry(EntryKind::scrollView, rect, context, folded);

    const bool vertical = node.axis == Axis::vertical;
    ProposedSize offer = vertical ? ProposedSize{proposal.width, std::nullopt}
                                  : ProposedSize{std::nullopt, proposal.height};
    const Node& content = node.content.node();
    Size contentSize = sizeOf(content, env, offer);
    const double extent = vertical ? contentSize.height : contentSize.width;
    const double viewport = vertical ? size.height : size.width;

    LaidOutView& entry = tree_->views[static_cast<std::size_t>(index)];
    double offset = scrollOffsets_ && *scrollOffsets_ ? (*scrollOffsets_)(entry.place) : 0;
    if (!std::isfinite(offset)) offset = 0;
    offset = std::clamp(offset, 0.0, std::max(0.0, extent - viewport));
    entry.contentHeight = extent;
    entry.scrollOffset = offset;

    // Content shorter than the viewport sits at its start; across the
    // scrolling axis it is centred.
    Point at = vertical
                   ? Point{origin.x + (size.width - contentSize.width) / 2, origin.y - offset}
                   : Point{origin.x - offset, origin.y + (size.height - contentSize.height) / 2};
    Context inner = context;
    inner.parent = index;
    inner.clip = context.clip.intersection(rect);
    PathStep step(path_, 0);
    place(content, env, offer, at, contentSize, inner, Folded{});
}

}  // namespace ui::layout_detail
