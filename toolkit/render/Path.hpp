#pragma once

// Outlines of the shapes the painter fills and strokes, as plain path
// elements in window points. Keeping them as data (rather than issuing Cairo
// calls directly) lets the recording canvas and the tests look at exactly
// the geometry the raster receives.

#include <vector>

#include "toolkit/core/Geometry.hpp"
#include "toolkit/core/View.hpp"

namespace ui {

// How far the continuous ("squircle") corner reaches along each edge, as a
// multiple of the corner radius. A circular corner reaches exactly r.
inline constexpr double kContinuousCornerExtent = 1.528665;

// A rectangle with optionally rounded corners: every shape the laid-out tree
// can ask for. A plain rectangle has radius 0.
struct ShapeOutline {
    Rect rect;
    double cornerRadius = 0;
    CornerStyle cornerStyle = CornerStyle::circular;
    bool topCornersOnly = false;  // the bottom corners stay square (sheets)
    friend bool operator==(const ShapeOutline&, const ShapeOutline&) = default;
};

struct PathElement {
    enum class Verb { moveTo, lineTo, curveTo, close };
    Verb verb = Verb::moveTo;
    // moveTo/lineTo use points[0]; curveTo uses two control points and then
    // the end point.
    Point points[3];
    friend bool operator==(const PathElement&, const PathElement&) = default;
};

using Path = std::vector<PathElement>;

// The corner radius actually drawn: a circular corner may be at most half
// the shorter side, a continuous one at most so long that its 1.528665·r
// reach fits into half the shorter side.
double effectiveCornerRadius(const ShapeOutline& shape);

// The closed outline, clockwise from the end of the top-leading corner.
// Circular corners are quarter circles written as one cubic curve each;
// continuous corners are three cubic curves each.
Path outlinePath(const ShapeOutline& shape);

}  // namespace ui
