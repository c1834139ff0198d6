#pragma once

// The display list: what one frame paints, in painting order, as plain
// values. It is built from the laid-out tree by a pure function and
// compared with the previous frame's list, so an unchanged frame paints
// nothing and a changed one repaints only where its operations differ.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "toolkit/core/Color.hpp"
#include "toolkit/core/Geometry.hpp"
#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/layout/TextMeasurer.hpp"
#include "toolkit/render/Path.hpp"

namespace ui {

// Everything up to the matching PopClip is drawn only inside `rect`.
// Clips nest: a pushed clip narrows the one in force.
struct PushClip {
    Rect rect;
    friend bool operator==(const PushClip&, const PushClip&) = default;
};
struct PopClip {
    friend bool operator==(const PopClip&, const PopClip&) = default;
};

// Fills the outline with a colour or a gradient (non-zero winding,
// antialiased). A gradient runs between unit points of `shape.rect`.
struct FillPath {
    ShapeOutline shape;
    Style style;
    double opacity = 1;
    friend bool operator==(const FillPath&, const FillPath&) = default;
};

// Strokes the outline with the line centred on it: half the line lies
// outside the shape. Butt caps, miter joins, miter limit 10.
struct StrokePath {
    ShapeOutline shape;
    Style style;
    double lineWidth = 1;
    double opacity = 1;
    friend bool operator==(const StrokePath&, const StrokePath&) = default;
};

// A text whose first line's box starts at `rect`'s origin. Lines are
// `font.lineHeight` apart, wrapped at `wrapWidth` when given, and cut with
// "…" after `lineLimit` lines (0: no limit), exactly as the measurer did.
struct DrawText {
    std::string text;
    ResolvedFont font;
    Rect rect;
    Color color;
    std::optional<double> wrapWidth;
    int lineLimit = 0;
    double opacity = 1;
    friend bool operator==(const DrawText&, const DrawText&) = default;
};

// An icon-font glyph of `size` points, its em box centred in `rect`.
struct DrawSymbol {
    char32_t codepoint = 0;
    double size = 17;
    Rect rect;
    Color color;
    double opacity = 1;
    friend bool operator==(const DrawSymbol&, const DrawSymbol&) = default;
};

using DisplayOp = std::variant<PushClip, PopClip, FillPath, StrokePath, DrawText, DrawSymbol>;

struct DisplayList {
    Size size;         // window points
    double scale = 1;  // pixels per point
    std::vector<DisplayOp> ops;
    friend bool operator==(const DisplayList&, const DisplayList&) = default;
};

// Paints the laid-out tree: each entry, in order, contributes its fill, its
// stroke, its text and its symbol, whichever it has. Entries with none of
// them (stacks, spacers) contribute nothing; so do fully transparent entries
// and entries entirely outside their clip or the window. Consecutive entries
// with the same clip share one PushClip/PopClip pair. When the tree shows
// a focus ring, it is stroked around the focused entry after the last entry
// of that entry's layer.
DisplayList buildDisplayList(const LayoutTree& tree);

// A rectangle (window points) that contains every pixel `op` can touch,
// with room for antialiasing, glyph overhang and half of a stroke. Clip
// operations touch nothing themselves: their bounds are empty.
Rect paintedBounds(const DisplayOp& op);

// The colour a text or symbol is drawn in: the foreground colour, a
// gradient's first colour, or white (the dark appearance's primary colour)
// when the view has no foreground of its own.
Color textColor(const std::optional<Style>& foreground);

}  // namespace ui
