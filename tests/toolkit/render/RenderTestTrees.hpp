#pragma once

// Hand-built laid-out trees for the painter's tests: the painter only
// consumes trees, so the tests write the entries the layout engine would.

#include <string>

#include "toolkit/layout/LayoutTree.hpp"

namespace ui::test {

inline const LinearGradient kDashboardGradient{
    {{0.04, 0.11, 0.16}, {0.07, 0.18, 0.22}, {0.12, 0.12, 0.17}},
    UnitPoint::topLeading,
    UnitPoint::bottomTrailing};

inline LaidOutView entry(EntryKind kind, Rect frame) {
    LaidOutView v;
    v.kind = kind;
    v.frame = frame;
    v.outerFrame = frame;
    v.hitFrame = frame;
    return v;
}

inline LaidOutView gradientEntry(Rect frame, LinearGradient gradient = kDashboardGradient) {
    LaidOutView v = entry(EntryKind::linearGradient, frame);
    v.fill = std::move(gradient);
    return v;
}

inline LaidOutView roundedFill(Rect frame, Style fill, double radius = 8,
                               CornerStyle style = CornerStyle::continuous) {
    LaidOutView v = entry(EntryKind::roundedRectangle, frame);
    v.shapeKind = ShapeNode::Kind::roundedRectangle;
    v.cornerRadius = radius;
    v.cornerStyle = style;
    v.fill = std::move(fill);
    return v;
}

inline LaidOutView roundedStroke(Rect frame, Style stroke, double lineWidth, double radius = 8,
                                 CornerStyle style = CornerStyle::continuous) {
    LaidOutView v = entry(EntryKind::roundedRectangle, frame);
    v.shapeKind = ShapeNode::Kind::roundedRectangle;
    v.cornerRadius = radius;
    v.cornerStyle = style;
    v.stroke = std::move(stroke);
    v.lineWidth = lineWidth;
    return v;
}

inline ResolvedFont resolvedFont(double size, double lineHeight,
                                 Font::Weight weight = Font::Weight::regular,
                                 Font::Design design = Font::Design::standard) {
    ResolvedFont f;
    f.size = size;
    f.lineHeight = lineHeight;
    f.weight = weight;
    f.design = design;
    return f;
}

inline LaidOutView textEntry(Rect frame, std::string text, ResolvedFont font,
                             Color color = Color::white) {
    LaidOutView v = entry(EntryKind::text, frame);
    v.text = std::move(text);
    v.resolvedFont = font;
    v.foreground = color;
    return v;
}

inline LaidOutView imageEntry(Rect frame, std::string systemName, double pointSize, Color color) {
    LaidOutView v = entry(EntryKind::image, frame);
    v.symbol = std::move(systemName);
    v.resolvedFont = resolvedFont(pointSize, pointSize * 1.2);
    v.foreground = color;
    return v;
}

// A phone-sized window (points) with the dashboard's background gradient.
inline LayoutTree windowTree(double width = 390, double height = 844, double scale = 3) {
    LayoutTree tree;
    tree.size = {width, height};
    tree.scale = scale;
    tree.views.push_back(gradientEntry({0, 0, width, height}));
    return tree;
}

}  // namespace ui::test
