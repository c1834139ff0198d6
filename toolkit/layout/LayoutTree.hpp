#pragma once

// The laid-out tree: the output of layout and the input of painting,
// hit-testing and the JSON dump. It is a flat list in painting order; each
// entry names its parent by index. Frames are in window points, after
// scrolling and presentation offsets.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/core/Color.hpp"
#include "toolkit/core/Geometry.hpp"
#include "toolkit/core/View.hpp"
#include "toolkit/layout/TextMeasurer.hpp"

namespace ui {

// What an entry is. The tree writer (TreeJson.cpp) alone turns these into
// the names the JSON shows.
enum class EntryKind : std::uint8_t {
    text,
    image,
    label,
    roundedRectangle,
    rectangle,
    divider,
    button,
    vStack,
    hStack,
    zStack,
    scrollView,
    grid,
    spacer,
    linearGradient,
    navigationStack,
    navigationBar,
    scrollIndicator,  // drawn by the runtime over a scroll view while it scrolls
};

// The layer an entry belongs to: the screen, one presentation (named by its
// key, the path of its modifier), or the copy menu above everything. Input
// goes to the front layer only.
enum class LayerKind : std::uint8_t { screen, alert, sheet, menu };
struct Layer {
    LayerKind kind = LayerKind::screen;
    std::string key;  // alerts and sheets: the presentation's key

    // "" for the screen, "alert:<key>", "sheet:<key>", "menu": the layer's
    // part of a place, and its name in the JSON.
    std::string name() const;
    friend bool operator==(const Layer&, const Layer&) = default;
};

struct LaidOutView {
    EntryKind kind = EntryKind::rectangle;
    // Where the view stands: its layer's name, "/", then the steps from the
    // layer's root to it (child positions, "b"ackground, "o"verlay, the
    // "n"avigation bar, "t"oolbar items) joined by dots, e.g. "sheet:…/0.1.b".
    // The same view has the same place in every frame, so an observer can
    // follow it from frame to frame. Views the runtime adds carry their
    // owner's place with a word added ("/backdrop", "/indicator").
    std::string place;
    int parent = -1;
    Rect frame;                    // the view itself, modifiers folded in
    Rect outerFrame;               // the view with its padding and frames
    Rect clip = Rect::infinite();  // painting and touches stay inside
    double opacity = 1;            // multiplied into everything painted

    // Texts (Text, Label, Button titles), after lookup and upper-casing.
    std::optional<std::string> text;
    bool truncated = false;
    std::optional<double> wrapWidth;    // the width the text was laid out in; empty: one line
    int lineLimit = 0;                  // 0: none
    std::optional<std::string> symbol;  // Image and Label: the system name
    Rect symbolFrame;                   // Label: where the symbol goes
    Rect textFrame;                     // Label: where the title goes

    std::optional<Style> foreground;
    std::optional<Style> fill;
    std::optional<Style> stroke;
    double lineWidth = 0;
    std::optional<Font> font;   // as asked for (nominal size)
    ResolvedFont resolvedFont;  // what is drawn
    double fontScale = 1;       // < 1 when shrunk to fit

    // Shapes.
    ShapeNode::Kind shapeKind = ShapeNode::Kind::rectangle;
    double cornerRadius = 0;
    CornerStyle cornerStyle = CornerStyle::circular;
    bool topCornersOnly = false;  // sheets round their top corners only

    std::optional<std::string> accessibilityLabel;
    std::optional<std::string> accessibilityHint;
    bool selectable = false;
    // The accent colour where a button or selectable text stands (the
    // environment's tint): its focus ring is drawn in it.
    Color accent = Color::blue;
    // The entry that has keyboard focus; the tree says whether its ring shows.
    bool focused = false;

    // Input. Only the runtime reads these.
    Rect hitFrame;                       // the touch area (contentShape or the frame)
    std::function<void()> buttonAction;  // set on Buttons
    ButtonRole buttonRole = ButtonRole::none;
    bool isButton = false;
    const LongPressModifier* longPress = nullptr;  // owned by the view tree
    double contentHeight = 0;                      // ScrollView: height of its content
    double scrollOffset = 0;                       // ScrollView: the offset applied
    Layer layer;
};

// The focus ring: a line this wide, this far outside its view's outline.
// The painter draws it; the runtime scrolls a focused view into sight with
// its ring.
inline constexpr double kFocusRingWidth = 2;
inline constexpr double kFocusRingGap = 1;
inline constexpr double kFocusRingReach = kFocusRingGap + kFocusRingWidth;

struct LayoutTree {
    Size size;
    double scale = 1;
    std::vector<LaidOutView> views;
    // Whether the focused entry shows its focus ring: only once the keyboard
    // has been used, and not again after a pointer press until it is used again.
    bool focusRingShown = false;
};

// Whether entry `index` is entry `ancestor` or lies inside it. Entries
// name their parents by index, so this walks up from `index`.
inline bool isWithin(const LayoutTree& tree, int index, int ancestor) {
    for (int i = index; i >= 0; i = tree.views[i].parent) {
        if (i == ancestor) return true;
    }
    return false;
}

}  // namespace ui
