#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace ui {

// All geometry is in points. Pixels only exist inside the painter, which
// multiplies by the display scale.
inline constexpr double infinity = std::numeric_limits<double>::infinity();

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
    bool contains(Point p) const { return p.x >= x && p.x < maxX() && p.y >= y && p.y < maxY(); }
    Rect offsetBy(double dx, double dy) const { return {x + dx, y + dy, width, height}; }
    Rect intersection(const Rect& o) const {
        double nx = std::max(x, o.x), ny = std::max(y, o.y);
        double mx = std::min(maxX(), o.maxX()), my = std::min(maxY(), o.maxY());
        if (mx <= nx || my <= ny) return {nx, ny, 0, 0};
        return {nx, ny, mx - nx, my - ny};
    }
    bool intersects(const Rect& o) const {
        return x < o.maxX() && o.x < maxX() && y < o.maxY() && o.y < maxY();
    }
    static Rect infinite() { return {-1e18, -1e18, 2e18, 2e18}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The smallest rectangle that holds both. A rectangle without area adds
// nothing, so a union can start from an empty rectangle and grow.
inline Rect unionOf(const Rect& a, const Rect& b) {
    if (a.width <= 0 || a.height <= 0) return b;
    if (b.width <= 0 || b.height <= 0) return a;
    double x = std::min(a.minX(), b.minX()), y = std::min(a.minY(), b.minY());
    return {x, y, std::max(a.maxX(), b.maxX()) - x, std::max(a.maxY(), b.maxY()) - y};
}

// Whether `inner` lies wholly inside `outer`, edges included.
inline bool covers(const Rect& outer, const Rect& inner) {
    return outer.minX() <= inner.minX() && outer.minY() <= inner.minY() &&
           outer.maxX() >= inner.maxX() && outer.maxY() >= inner.maxY();
}

// Spacer() keeps at least this much room along its stack.
inline constexpr double kDefaultSpacerLength = 8;

// A set of edges, as bit flags, so `Edges::horizontal` reads like the
// platform's edge sets.
enum class Edges : unsigned {
    none = 0,
    top = 1,
    leading = 2,
    bottom = 4,
    trailing = 8,
    horizontal = 2 | 8,
    vertical = 1 | 4,
    all = 15,
};
inline constexpr Edges operator|(Edges a, Edges b) {
    return static_cast<Edges>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
inline constexpr bool contains(Edges set, Edges e) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(e)) == static_cast<unsigned>(e);
}

struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;

    static EdgeInsets on(Edges edges, double length) {
        return {contains(edges, Edges::top) ? length : 0, contains(edges, Edges::leading) ? length : 0,
                contains(edges, Edges::bottom) ? length : 0,
                contains(edges, Edges::trailing) ? length : 0};
    }
    double horizontal() const { return leading + trailing; }
    double vertical() const { return top + bottom; }
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

enum class Axis { horizontal, vertical };

enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom };

struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center;
    VerticalAlignment vertical = VerticalAlignment::center;

    static const Alignment center, leading, trailing, top, bottom, topLeading, topTrailing,
        bottomLeading, bottomTrailing;
    friend bool operator==(const Alignment&, const Alignment&) = default;
};
inline constexpr Alignment Alignment::center{HorizontalAlignment::center, VerticalAlignment::center};
inline constexpr Alignment Alignment::leading{HorizontalAlignment::leading, VerticalAlignment::center};
inline constexpr Alignment Alignment::trailing{HorizontalAlignment::trailing, VerticalAlignment::center};
inline constexpr Alignment Alignment::top{HorizontalAlignment::center, VerticalAlignment::top};
inline constexpr Alignment Alignment::bottom{HorizontalAlignment::center, VerticalAlignment::bottom};
inline constexpr Alignment Alignment::topLeading{HorizontalAlignment::leading, VerticalAlignment::top};
inline constexpr Alignment Alignment::topTrailing{HorizontalAlignment::trailing, VerticalAlignment::top};
inline constexpr Alignment Alignment::bottomLeading{HorizontalAlignment::leading, VerticalAlignment::bottom};
inline constexpr Alignment Alignment::bottomTrailing{HorizontalAlignment::trailing, VerticalAlignment::bottom};

// Where a child of `childSize` sits inside a box of `boxSize`, by alignment.
inline double alignedOffset(HorizontalAlignment a, double box, double child) {
    switch (a) {
        case HorizontalAlignment::leading: return 0;
        case HorizontalAlignment::center: return (box - child) / 2;
        case HorizontalAlignment::trailing: return box - child;
    }
    return 0;
}
inline double alignedOffset(VerticalAlignment a, double box, double child) {
    switch (a) {
        case VerticalAlignment::top: return 0;
        case VerticalAlignment::center: return (box - child) / 2;
        case VerticalAlignment::bottom: return box - child;
    }
    return 0;
}

// A unit point names a place inside any rectangle: (0, 0) is the top
// leading corner, (1, 1) the bottom trailing one.
struct UnitPoint {
    double x = 0;
    double y = 0;
    static const UnitPoint topLeading, top, topTrailing, leading, center, trailing, bottomLeading,
        bottom, bottomTrailing;
    friend bool operator==(const UnitPoint&, const UnitPoint&) = default;
};
inline constexpr UnitPoint UnitPoint::topLeading{0, 0};
inline constexpr UnitPoint UnitPoint::top{0.5, 0};
inline constexpr UnitPoint UnitPoint::topTrailing{1, 0};
inline constexpr UnitPoint UnitPoint::leading{0, 0.5};
inline constexpr UnitPoint UnitPoint::center{0.5, 0.5};
inline constexpr UnitPoint UnitPoint::trailing{1, 0.5};
inline constexpr UnitPoint UnitPoint::bottomLeading{0, 1};
inline constexpr UnitPoint UnitPoint::bottom{0.5, 1};
inline constexpr UnitPoint UnitPoint::bottomTrailing{1, 1};

}  // namespace ui
