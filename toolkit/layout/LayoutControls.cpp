// Controls: buttons, and the navigation stack with its bar.

#include <algorithm>

#include "toolkit/layout/LayoutPass.hpp"

namespace ui::layout_detail {
namespace {

// A bordered prominent button pads its label like this and rounds its fill.
constexpr double kProminentHorizontalInset = 12;
constexpr double kProminentVerticalInset = 7;
constexpr double kProminentCornerRadius = 8;

// The navigation bar: its height, and the margin of its items from the
// bar's ends and between each other.
constexpr double kBarHeight = 44;
constexpr double kBarMargin = 16;
constexpr double kBarItemSpacing = 8;

bool isProminent(const Environment& env) {
    return env.buttonStyle == ButtonStyleKind::borderedProminent;
}

}  // namespace

// ---- Button ----------------------------------------------------------------

const Environment* Pass::buttonLabelEnvironment(const Node& self, const ButtonNode& node,
                                                const Environment* env) {
    return derive(env, &self, Derivation::buttonLabel, [&](Environment& e) {
        // A prominent button draws its label in white on the tinted fill;
        // the automatic style draws it in the tint (the accent colour when
        // none is set) unless a foreground style was set further out.
        if (isProminent(*env)) {
            e.foreground = Color::white;
        } else if (!e.foreground) {
            e.foreground = env->tint.value_or(Color::blue);
        }
        // A cancel button stands out with the semibold weight.
        if (node.role == ButtonRole::cancel) e.font = e.fontOrBody().weight(Font::Weight::semibold);
    });
}

Measured Pass::measureButton(const Node& self, const ButtonNode& node, const Environment* env,
                             const ProposedSize& proposal) {
    const Environment* labelEnv = buttonLabelEnvironment(self, node, env);
    const double dx = isProminent(*env) ? 2 * kProminentHorizontalInset : 0;
    const double dy = isProminent(*env) ? 2 * kProminentVerticalInset : 0;
    ProposedSize inner{
        proposal.width ? std::optional(std::max(0.0, *proposal.width - dx)) : std::nullopt,
        proposal.height ? std::optional(std::max(0.0, *proposal.height - dy)) : std::nullopt};
    Size label = sizeOf(node.label.node(), labelEnv, inner);
    return Measured{{label.width + dx, label.height + dy}};
}

void Pass::placeButton(const Node& self, const ButtonNode& node, const Environment* env,
                       const ProposedSize& proposal, Point origin, Size size,
                       const Context& context, const Folded& folded) {
    const Environment* labelEnv = buttonLabelEnvironment(self, node, env);
    const bool prominent = isProminent(*env);
    const double insetX = prominent ? kProminentHorizontalInset : 0;
    const double insetY = prominent ? kProminentVerticalInset : 0;
    const int index =
        addEntry(EntryKind::button, {origin.x, origin.y, size.width, size.height}, context, folded);
    {
        LaidOutView& v = tree_->views[static_cast<std::size_t>(index)];
        v.isButton = true;
        v.buttonAction = node.action;
        v.buttonRole = node.role;
        v.accent = env->tint.value_or(Color::blue);
        if (prominent) {
            v.fill = env->tint.value_or(Color::blue);
            v.shapeKind = ShapeNode::Kind::roundedRectangle;
            v.cornerRadius = kProminentCornerRadius;
            v.cornerStyle = CornerStyle::continuous;
        }
    }

    ProposedSize inner{
        proposal.width ? std::optional(std::max(0.0, *proposal.width - 2 * insetX)) : std::nullopt,
        proposal.height ? std::optional(std::max(0.0, *proposal.height - 2 * insetY))
                        : std::nullopt};
    Context labelContext = context;
    labelContext.parent = index;
    {
        PathStep step(path_, 0);
        place(node.label.node(), labelEnv, inner, {origin.x + insetX, origin.y + insetY},
              sizeOf(node.label.node(), labelEnv, inner), labelContext, Folded{});
    }

    // Read aloud, a button is the text of its label.
    LaidOutView& button = tree_->views[static_cast<std::size_t>(index)];
    if (!button.accessibilityLabel) {
        std::string spoken;
        for (std::size_t i = static_cast<std::size_t>(index) + 1; i < tree_->views.size(); ++i) {
            const LaidOutView& v = tree_->views[i];
            if (!v.text) continue;
            if (!spoken.empty()) spoken += ", ";
            spoken += v.accessibilityLabel.value_or(*v.text);
        }
        if (!spoken.empty()) button.accessibilityLabel = std::move(spoken);
    }
}

// ---- NavigationStack -----------------------------------------------------

Measured Pass::measureNavigationStack(const NavigationStackNode& node, const Environment* env,
                                      const ProposedSize& proposal) {
    ProposedSize inner{proposal.width,
                       proposal.height ? std::optional(std::max(0.0, *proposal.height - kBarHeight))
                                       : std::nullopt};
    Size root = sizeOf(node.root.node(), env, inner);
    return Measured{
        {proposal.width.value_or(root.width), proposal.height.value_or(root.height + kBarHeight)}};
}

void Pass::placeNavigationStack(const Node& self, const NavigationStackNode& node,
                                const Environment* env, const ProposedSize&, Point origin,
                                Size size, const Context& context, const Folded& folded) {
    const Rect rect{origin.x, origin.y, size.width, size.height};
    const int index = addEntry(EntryKind::navigationStack, rect, context, folded);

    // The bar takes the top 44 points of the safe area; the root is laid out
    // below it, but what ignores the safe area still runs up under the bar
    // and the system's own bars, to the layer's edges.
    const Rect safe = context.region ? rect.intersection(context.region->safe) : rect;
    const Rect bar{rect.x, safe.y, rect.width, kBarHeight};
    Region inner;
    inner.bounds = context.region ? context.region->bounds : rect;
    inner.safe = {safe.x, safe.y + kBarHeight, safe.width, std::max(0.0, safe.height - kBarHeight)};

    Context rootContext = context;
    rootContext.parent = index;
    rootContext.region = &inner;
    const ProposedSize rootProposal{inner.safe.width, inner.safe.height};
    const Node& root = node.root.node();
    Size rootSize = sizeOf(root, env, rootProposal);
    {
        PathStep step(path_, 0);
        place(root, env, rootProposal,
              {inner.safe.x + (inner.safe.width - rootSize.width) / 2,
               inner.safe.y + (inner.safe.height - rootSize.height) / 2},
              rootSize, rootContext, Folded{});
    }

    Context barContext = context;
    barContext.parent = index;
    const int barIndex = [&] {
        PathStep step(path_, kNavigationBarStep);
        return addEntry(EntryKind::navigationBar, bar, barContext, Folded{});
    }();

    placeBarItems(self, root, env, bar, barContext, barIndex);
}

// The bar's items come from the toolbars on the root's modifier chain, in
// the order they were written (innermost first).
void Pass::placeBarItems(const Node& self, const Node& root, const Environment* env, Rect bar,
                         const Context& barContext, int barIndex) {
    std::vector<const ToolbarModifier*> toolbars;
    for (const Node* n = &resolved(root); const auto* m = std::get_if<ModifiedNode>(&n->value);
         n = &resolved(m->content.node())) {
        if (const auto* toolbar = std::get_if<ToolbarModifier>(&m->modifier)) {
            toolbars.push_back(toolbar);
        }
    }
    std::vector<const ToolbarItem*> leading, trailing;
    for (auto it = toolbars.rbegin(); it != toolbars.rend(); ++it) {
        for (const ToolbarItem& item : (*it)->items) {
            (item.placement == ToolbarPlacement::topBarLeading ? leading : trailing)
                .push_back(&item);
        }
    }
    if (leading.empty() && trailing.empty()) return;

    // Bar items are 17-point body text, laid out in a row.
    const Environment* itemEnv = derive(env, &self, Derivation::navigationBar, [](Environment& e) {
        e.font = Font::body;
        e.stackAxis = Axis::horizontal;
    });
    Context itemContext = barContext;
    itemContext.parent = barIndex;
    int n = 0;
    auto placeRow = [&](const std::vector<const ToolbarItem*>& items, double x) {
        for (const ToolbarItem* item : items) {
            Size s = sizeOf(item->content.node(), itemEnv, ProposedSize{});
            PathStep step(path_, kFirstToolbarStep - n++);
            place(item->content.node(), itemEnv, ProposedSize{},
                  {x, bar.y + (bar.height - s.height) / 2}, s, itemContext, Folded{});
            x += s.width + kBarItemSpacing;
        }
    };
    placeRow(leading, bar.x + kBarMargin);
    // Trailing items keep their order and end at the trailing margin.
    double trailingWidth = 0;
    for (const ToolbarItem* item : trailing) {
        trailingWidth += sizeOf(item->content.node(), itemEnv, ProposedSize{}).width;
    }
    if (!trailing.empty())
        trailingWidth += kBarItemSpacing * static_cast<double>(trailing.size() - 1);
    placeRow(trailing, bar.maxX() - kBarMargin - trailingWidth);
}

}  // namespace ui::layout_detail
