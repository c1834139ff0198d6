#pragma once

// The laid-out tree: the output of layout and the input of painting,
// hit-testing and the JSON dump. It is a flat list in painting order; each
// entry names its parent by index. Frames are in window points, after
// scrolling and presentation offsets.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/core/Color.hpp"
#include "toolkit/core/Geometry.hpp"
#include "toolkit/core/View.hpp"
#include "toolkit/layout/TextMeasurer.hpp"

namespace ui {

struct LaidOutView {
    std::string kind;  // "Text", "Image", "Label", "RoundedRectangle", "Rectangle", "Divider",
                       // "Button", "VStack", "HStack", "ZStack", "ScrollView", "Grid",
                       // "Spacer", "LinearGradient", "NavigationStack", "NavigationBar", ...
    int parent = -1;
    Rect frame;                     // the view itself, modifiers folded in
    Rect outerFrame;                // the view with its padding and frames
    Rect clip = Rect::infinite();   // painting and touches stay inside
    double opacity = 1;             // multiplied into everything painted

    // Texts (Text, Label, Button titles), after lookup and upper-casing.
    std::optional<std::string> text;
    bool truncated = false;
    std::optional<double> wrapWidth;  // the width the text was laid out in; empty: one line
    int lineLimit = 0;                // 0: none
    std::optional<std::string> symbol;  // Image and Label: the system name
    Rect symbolFrame;                   // Label: where the symbol goes
    Rect textFrame;                     // Label: where the title goes

    std::optional<Style> foreground;
    std::optional<Style> fill;
    std::optional<Style> stroke;
    double lineWidth = 0;
    std::optional<Font> font;  // as asked for (nominal size)
    ResolvedFont resolvedFont; // what is drawn
    double fontScale = 1;      // < 1 when shrunk to fit

    // Shapes.
    ShapeNode::Kind shapeKind = ShapeNode::Kind::rectangle;
    double cornerRadius = 0;
    CornerStyle cornerStyle = CornerStyle::circular;
    bool topCornersOnly = false;  // sheets round their top corners only

    std::optional<std::string> accessibilityLabel;
    std::optional<std::string> accessibilityHint;
    bool selectable = false;

    // Input. Only the runtime reads these.
    Rect hitFrame;                         // the touch area (contentShape or the frame)
    std::function<void()> buttonAction;    // set on Buttons
    ButtonRole buttonRole = ButtonRole::none;
    bool isButton = false;
    bool highlighted = false;              // pressed
    const LongPressModifier* longPress = nullptr;  // owned by the view tree
    std::string scrollKey;                 // ScrollView: whose offset this is
    double contentHeight = 0;              // ScrollView: height of its content
    double scrollOffset = 0;               // ScrollView: the offset applied
    std::string layer;                     // "" for the root, "alert", "sheet", ...
};

struct LayoutTree {
    Size size;
    double scale = 1;
    std::vector<LaidOutView> views;
};

}  // namespace ui
