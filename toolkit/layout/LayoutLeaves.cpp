// Leaves: texts, labels, symbol images, shapes, dividers, spacers and
// gradients.

#include <algorithm>
#include <array>
#include <cmath>

#include "toolkit/core/StringTable.hpp"
#include "toolkit/core/Symbols.hpp"
#include "toolkit/layout/LayoutPass.hpp"

namespace ui::layout_detail {
namespace {

// A symbol's box is this many times its point size, in both directions.
constexpr double kSymbolBoxFactor = 1.2;
// Shapes and gradients asked for their ideal size answer this, per axis.
constexpr double kIdealShapeLength = 10;
// Steps of the search for the largest shrink factor at which a text fits.
constexpr int kShrinkSearchSteps = 7;
// Widths that agree to within this much count as fitting.
constexpr double kFitTolerance = 1e-6;

// The system divider colour, before anything is laid over it.
constexpr Color kDividerColor = Color::rgb255(84, 84, 88, 0.6);

}  // namespace

bool isKnownSymbol(std::string_view systemName) {
    return symbolCodepoint(systemName).has_value();
}

// ---- Text ----------------------------------------------------------------

// Shrinks a text that is cut at full size uniformly, no further than
// `minimum`, to the largest factor at which it fits without being cut; if
// even `minimum` does not fit, the text is cut at that size. `metrics`
// becomes the text's metrics at the factor returned.
double Pass::shrinkToFit(std::string_view text, const Font& font, double width, int limit,
                         double minimum, TextMetrics& metrics) {
    auto at = [&](double s) { return measurer_.measure(text, resolve(font, s), width, limit); };
    double upper = 1;
    if (limit == 1) {
        // One line shrinks in proportion to its width, which gives the
        // answer at once for a measurer that scales linearly.
        double natural = measurer_.measure(text, resolve(font, 1), std::nullopt, 1).size.width;
        if (natural > 0) upper = std::clamp(width / natural, minimum, 1.0);
        if (upper < 1) {
            TextMetrics guess = at(upper);
            if (!guess.truncated) {
                metrics = guess;
                return upper;
            }
        }
    }
    TextMetrics smallest = at(minimum);
    metrics = smallest;
    double scale = minimum;
    if (!smallest.truncated) {
        double lower = minimum;
        for (int step = 0; step < kShrinkSearchSteps; ++step) {
            double middle = (lower + upper) / 2;
            TextMetrics tried = at(middle);
            if (tried.truncated) {
                upper = middle;
            } else {
                lower = middle;
                metrics = tried;
                scale = middle;
            }
        }
    }
    return scale;
}

Measured Pass::measureText(const Node& owner, std::string_view text, const Font& font,
                           const Environment* environment, const ProposedSize& proposal) {
    const Environment& env = *environment;
    // No width (or an infinite one) means one line per paragraph.
    std::optional<double> width = proposal.width;
    if (width && !std::isfinite(*width)) width.reset();
    int limit = std::max(0, env.lineLimit.value_or(0));
    const ResolvedFont full = resolve(font, 1);

    TextMetrics metrics;
    const TextKey key{&owner, environment};
    const TextMetrics* unwrapped = unwrapped_.find(key);
    if (width && unwrapped && !unwrapped->truncated &&
        unwrapped->size.width <= *width + kFitTolerance) {
        metrics = *unwrapped;
    } else {
        metrics = measurer_.measure(text, full, width, limit);
        if (!width) unwrapped_.insert(key, metrics);
    }

    // A proposed height holds only so many lines; past them the text is cut,
    // unless a fixedSize above it asked for its ideal height instead.
    if (proposal.height && std::isfinite(*proposal.height) && full.lineHeight > 0) {
        double fitting = std::floor(*proposal.height / full.lineHeight + 1e-9);
        int byHeight = static_cast<int>(std::clamp(fitting, 1.0, 1e6));
        if (metrics.lineCount > byHeight) {
            limit = limit > 0 ? std::min(limit, byHeight) : byHeight;
            metrics = measurer_.measure(text, full, width, limit);
        }
    }

    double scale = 1;
    if (metrics.truncated && env.minimumScaleFactor < 1 && width) {
        scale = shrinkToFit(text, font, *width, limit, env.minimumScaleFactor, metrics);
    }

    Measured m;
    m.size = {width ? std::min(metrics.size.width, *width) : metrics.size.width,
              metrics.size.height};
    m.fontScale = scale;
    m.truncated = metrics.truncated;
    m.lineLimit = limit;
    return m;
}

void Pass::placeText(const TextNode& node, const Measured& m, const Environment& env,
                     const ProposedSize& proposal, Rect rect, const Context& context,
                     const Folded& folded) {
    const int index = addEntry(EntryKind::text, rect, context, folded);
    LaidOutView& v = tree_->views[static_cast<std::size_t>(index)];
    v.text = localized(node.string);
    v.truncated = m.truncated;
    if (proposal.width && std::isfinite(*proposal.width)) v.wrapWidth = proposal.width;
    v.lineLimit = m.lineLimit;
    v.font = env.fontOrBody();
    v.resolvedFont = resolve(*v.font, m.fontScale);
    v.fontScale = m.fontScale;
    v.foreground = env.foreground.value_or(Color::white);
    if (!v.accessibilityLabel) v.accessibilityLabel = v.text;
    v.selectable = env.textSelection;
    v.accent = env.tint.value_or(Color::blue);
}

// ---- Label ---------------------------------------------------------------

Size Pass::symbolBox(std::string_view systemName, const Font& font) const {
    const double side = kSymbolBoxFactor * font.pointSize();
    return {isKnownSymbol(systemName) ? side : 0, side};
}

Measured Pass::measureLabel(const Node& owner, const LabelNode& node,
                            const Environment* environment, const ProposedSize& proposal) {
    const Environment& env = *environment;
    // A Label is its symbol's box, a gap, then its title, centred on each
    // other vertically; only the title wraps, shrinks or is cut.
    const Font font = env.fontOrBody();
    const Size box = symbolBox(node.systemImage, font);
    const double gap = labelSpacing(font);
    ProposedSize titleProposal = proposal;
    if (proposal.width) titleProposal.width = std::max(0.0, *proposal.width - box.width - gap);
    std::string storage;
    Measured m =
        measureText(owner, shownText(node.title, storage), font, environment, titleProposal);
    m.titleSize = m.size;
    m.size = {box.width + gap + m.titleSize.width, std::max(box.height, m.titleSize.height)};
    return m;
}

void Pass::placeLabel(const LabelNode& node, const Measured& m, const Environment& env,
                      const ProposedSize& proposal, Rect rect, const Context& context,
                      const Folded& folded) {
    const Font font = env.fontOrBody();
    const Size box = symbolBox(node.systemImage, font);
    const double gap = labelSpacing(font);
    const int index = addEntry(EntryKind::label, rect, context, folded);
    LaidOutView& v = tree_->views[static_cast<std::size_t>(index)];
    v.text = localized(node.title);
    v.symbol = node.systemImage;
    v.symbolFrame = {rect.x, rect.y + (rect.height - box.height) / 2, box.width, box.height};
    v.textFrame = {rect.x + box.width + gap, rect.y + (rect.height - m.titleSize.height) / 2,
                   m.titleSize.width, m.titleSize.height};
    v.truncated = m.truncated;
    if (proposal.width && std::isfinite(*proposal.width)) {
        v.wrapWidth = std::max(0.0, *proposal.width - box.width - gap);
    }
    v.lineLimit = m.lineLimit;
    v.font = font;
    v.resolvedFont = resolve(font, m.fontScale);
    v.fontScale = m.fontScale;
    v.foreground = env.foreground.value_or(Color::white);
    if (!v.accessibilityLabel) v.accessibilityLabel = v.text;
}

// ---- Simple leaves ---------------------------------------------------------

Size Pass::measureLeaf(const ImageNode& node, const Environment& env, const ProposedSize&) const {
    return symbolBox(node.systemName, env.fontOrBody());
}

// Shapes and gradients fill whatever they are offered.
Size Pass::measureLeaf(const ShapeNode&, const Environment&, const ProposedSize& proposal) const {
    return Size{proposal.width.value_or(kIdealShapeLength),
                proposal.height.value_or(kIdealShapeLength)};
}
Size Pass::measureLeaf(const GradientNode&, const Environment& env,
                       const ProposedSize& proposal) const {
    return measureLeaf(ShapeNode{}, env, proposal);
}

Size Pass::measureLeaf(const DividerNode&, const Environment& env,
                       const ProposedSize& proposal) const {
    // One device pixel thick, across the enclosing stack's axis.
    const double thickness = 1 / scale_;
    if (env.stackAxis == Axis::horizontal) return {thickness, proposal.height.value_or(0)};
    return {proposal.width.value_or(0), thickness};
}

Size Pass::measureLeaf(const SpacerNode& node, const Environment& env,
                       const ProposedSize& proposal) const {
    // Along its stack a spacer takes what it is offered, but never less
    // than its minimum; across it, nothing. Outside a stack it grows
    // both ways.
    const double minimum = node.minLength.value_or(kDefaultSpacerLength);
    auto grow = [minimum](std::optional<double> p) { return std::max(p.value_or(minimum), minimum); };
    if (env.stackAxis == Axis::horizontal) return {grow(proposal.width), 0};
    if (env.stackAxis == Axis::vertical) return {0, grow(proposal.height)};
    return {grow(proposal.width), grow(proposal.height)};
}

void Pass::placeLeaf(const ImageNode& node, const Environment& env, Rect rect,
                     const Context& context, const Folded& folded) {
    const int index = addEntry(EntryKind::image, rect, context, folded);
    LaidOutView& v = tree_->views[static_cast<std::size_t>(index)];
    v.symbol = node.systemName;
    v.font = env.fontOrBody();
    v.resolvedFont = resolve(*v.font);
    v.foreground = env.foreground.value_or(Color::white);
}

void Pass::placeLeaf(const ShapeNode& node, const Environment& env, Rect rect,
                     const Context& context, const Folded& folded) {
    const bool rounded = node.kind == ShapeNode::Kind::roundedRectangle;
    const int index = addEntry(rounded ? EntryKind::roundedRectangle : EntryKind::rectangle, rect, context, folded);
    LaidOutView& v = tree_->views[static_cast<std::size_t>(index)];
    v.shapeKind = node.kind;
    v.cornerRadius = rounded ? node.cornerRadius : 0;
    v.cornerStyle = node.cornerStyle;
    if (node.stroke) {
        v.stroke = node.stroke;
        v.lineWidth = node.lineWidth;
    } else {
        // A shape with no fill of its own is filled with the inherited
        // foreground style.
        v.fill = node.fill ? *node.fill : env.foreground.value_or(Color::white);
    }
}

void Pass::placeLeaf(const DividerNode&, const Environment&, Rect rect, const Context& context,
                     const Folded& folded) {
    const int index = addEntry(EntryKind::divider, rect, context, folded);
    tree_->views[static_cast<std::size_t>(index)].fill = kDividerColor;
}

void Pass::placeLeaf(const SpacerNode&, const Environment&, Rect rect, const Context& context,
                     const Folded& folded) {
    addEntry(EntryKind::spacer, rect, context, folded);
}

void Pass::placeLeaf(const GradientNode& node, const Environment&, Rect rect,
                     const Context& context, const Folded& folded) {
    const int index = addEntry(EntryKind::linearGradient, rect, context, folded);
    tree_->views[static_cast<std::size_t>(index)].fill = node.gradient;
}

}  // namespace ui::layout_detail
