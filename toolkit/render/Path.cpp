#include "toolkit/render/Path.hpp"

#include <algorithm>
#include <array>

namespace ui {
namespace {

// A quarter circle as one cubic curve: the control points sit this fraction
// of the radius away from the curve's ends, along the tangents.
constexpr double kCircleControl = 0.5522847498307936;

// The continuous corner, in corner-local coordinates (u along the incoming
// edge back from the corner, v along the outgoing edge), as multiples of r.
// These are the widely published control points of the smooth corner; the
// curve is symmetric about the corner's diagonal.
struct CornerCurve {
    std::array<double, 2> c1, c2, end;
};
constexpr std::array<CornerCurve, 3> kContinuousCorner{{
    {{1.08849296, 0}, {0.86840694, 0}, {0.63149379, 0.07491139}},
    {{0.37282383, 0.16905956}, {0.16905956, 0.37282383}, {0.07491139, 0.63149379}},
    {{0, 0.86840694}, {0, 1.08849296}, {0, kContinuousCornerExtent}},
}};

class PathBuilder {
  public:
    void moveTo(Point p) { path_.push_back({PathElement::Verb::moveTo, {p, {}, {}}}); }
    void lineTo(Point p) {
        // Zero-length lines come from corners that use up a whole side; they
        // would only add noise for the tests and the rasteriser.
        if (!path_.empty() && current() == p) return;
        path_.push_back({PathElement::Verb::lineTo, {p, {}, {}}});
    }
    void curveTo(Point c1, Point c2, Point end) {
        path_.push_back({PathElement::Verb::curveTo, {c1, c2, end}});
    }
    void close() { path_.push_back({PathElement::Verb::close, {}}); }
    Path take() { return std::move(path_); }

  private:
    Point current() const {
        const PathElement& e = path_.back();
        return e.verb == PathElement::Verb::curveTo ? e.points[2] : e.points[0];
    }
    Path path_;
};

// One corner of the outline. `vertex` is the sharp corner, `in` the unit
// direction pointing back along the edge we arrive on, `out` the unit
// direction along the edge we leave on. The path is expected to stand at
// vertex + in·reach; the corner ends at vertex + out·reach.
void addCorner(PathBuilder& b, Point vertex, Point in, Point out, double r, CornerStyle style) {
    auto at = [&](double u, double v) {
        return Point{vertex.x + (u * in.x + v * out.x) * r, vertex.y + (u * in.y + v * out.y) * r};
    };
    if (r <= 0) {
        b.lineTo(vertex);
        return;
    }
    if (style == CornerStyle::circular) {
        b.curveTo(at(1 - kCircleControl, 0), at(0, 1 - kCircleControl), at(0, 1));
        return;
    }
    for (const CornerCurve& c : kContinuousCorner) {
        b.curveTo(at(c.c1[0], c.c1[1]), at(c.c2[0], c.c2[1]), at(c.end[0], c.end[1]));
    }
}

}  // namespace

double effectiveCornerRadius(const ShapeOutline& shape) {
    double halfShorter = std::max(0.0, std::min(shape.rect.width, shape.rect.height) / 2);
    double r = std::max(0.0, shape.cornerRadius);
    if (shape.cornerStyle == CornerStyle::continuous) {
        return std::min(r, halfShorter / kContinuousCornerExtent);
    }
    return std::min(r, halfShorter);
}

Path outlinePath(const ShapeOutline& shape) {
    const Rect& f = shape.rect;
    double r = effectiveCornerRadius(shape);
    double reach = shape.cornerStyle == CornerStyle::continuous ? kContinuousCornerExtent * r : r;
    double bottomR = shape.topCornersOnly ? 0 : r;
    double bottomReach = shape.topCornersOnly ? 0 : reach;

    const Point left{-1, 0}, right{1, 0}, up{0, -1}, down{0, 1};
    PathBuilder b;
    b.moveTo({f.minX() + reach, f.minY()});
    b.lineTo({f.maxX() - reach, f.minY()});
    addCorner(b, {f.maxX(), f.minY()}, left, down, r, shape.cornerStyle);
    b.lineTo({f.maxX(), f.maxY() - bottomReach});
    addCorner(b, {f.maxX(), f.maxY()}, up, left, bottomR, shape.cornerStyle);
    b.lineTo({f.minX() + bottomReach, f.maxY()});
    addCorner(b, {f.minX(), f.maxY()}, right, up, bottomR, shape.cornerStyle);
    b.lineTo({f.minX(), f.minY() + reach});
    addCorner(b, {f.minX(), f.minY()}, down, right, r, shape.cornerStyle);
    b.close();
    return b.take();
}

}  // namespace ui
